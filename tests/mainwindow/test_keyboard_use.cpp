// The window used from the keyboard alone: Tab walks through the side panel's controls and
// out of the number edits, whose editing keys work as in any other edit.

#include "edit_window_fixture.h"
#include "main_window_fixture.h"

namespace {

class KeyboardUse : public ::testing::Test {
protected:
    MainWindowFixture f;
    std::unique_ptr<TForm4> window = f.startShown({1100, 760});
    TForm4& w = *window;

    KeyboardUse()
    {
        QApplication::setActiveWindow(&w);
        w.localize_data(RealmInfo->mapIndex->zones.front()->treeNode, false);
    }
    void showPage(int page)
    {
        if (!w.but_liste[page]->isChecked()) QTest::mouseClick(w.but_liste[page], Qt::LeftButton);
        ASSERT_EVENTUALLY(w.Pages->currentIndex() == page && w.PanelDock->isVisible());
    }
    // The names of the widgets the focus visits from `start` with Tab, `count` presses.
    std::vector<std::string> tabFrom(QWidget* start, int count)
    {
        start->setFocus(Qt::TabFocusReason);
        EXPECT_EVENTUALLY(QApplication::focusWidget() == start);
        std::vector<std::string> visited;
        for (int i = 0; i < count; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(QApplication::focusWidget()->objectName().toStdString());
        }
        return visited;
    }
};

} // namespace

TEST_F(KeyboardUse, TabLeavesTheNumberEditsOfEveryPage)
{
    showPage(0);
    EXPECT_NE(tabFrom(w.Editlvl, 1).front(), "Editlvl");
    showPage(2);
    EXPECT_EQ(tabFrom(w.Edit3, 1).front(), "Edit2");
    EXPECT_NE(tabFrom(w.Edit2, 1).front(), "Edit2");
    showPage(3);
    // Each position's edits, then its zone, in the order they stand.
    const std::vector<std::string> expected{"Edit_myY", "ComboBox4", "Edit_otherX", "Edit_otherY", "ComboBox5"};
    EXPECT_EQ(tabFrom(w.Edit_myX, 5), expected);
    // Shift+Tab goes back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), "Edit_otherY");
}

TEST_F(KeyboardUse, NumberEditsTakeTheEditingKeysAndRefuseLetters)
{
    showPage(0);
    w.Editlvl->setFocus();
    ASSERT_EVENTUALLY(w.Editlvl->hasFocus());
    w.Editlvl->setText("42");
    w.Editlvl->home(false);
    // On X11 the Delete key comes with the DEL control character as its text.
    QTest::sendKeyEvent(QTest::Click, w.Editlvl, Qt::Key_Delete, QString(QChar(0x7F)), Qt::NoModifier);
    EXPECT_EQ(w.Editlvl->text().toStdString(), "2");
    QTest::keyClick(w.Editlvl, Qt::Key_X);
    QTest::keyClick(w.Editlvl, Qt::Key_End);
    QTest::keyClick(w.Editlvl, Qt::Key_7);
    EXPECT_EQ(w.Editlvl->text().toStdString(), "27");
}

TEST(KeyboardUseEditor, DeleteShortensANameOrNoteAtItsLongest)
{
    EditWindow e;
    const int db = e.dbLocation();
    ASSERT_NE(db, kNoTreeNode);
    bool ran = false;
    e.inEditor = [&](TForm2& ed) {
        ran = true;
        const auto pressDelete = [](QWidget* w) {
            // On X11 the Delete key comes with the DEL control character as its text.
            QTest::sendKeyEvent(QTest::Click, w, Qt::Key_Delete, QString(QChar(0x7F)), Qt::NoModifier);
        };
        ed.Edit1->setFocus();
        ed.Edit1->setText(QString(TForm2::kNameMaxTyped, 'n'));
        ed.Edit1->home(false);
        pressDelete(ed.Edit1);
        EXPECT_EQ(ed.Edit1->text().size(), TForm2::kNameMaxTyped - 1);

        ed.PageControl1->setCurrentWidget(ed.TabSheet1);
        ed.MemoInfo->setFocus();
        ed.MemoInfo->setPlainText(QString(TForm2::kNoteMaxTyped, 'd'));
        ed.MemoInfo->moveCursor(QTextCursor::Start);
        pressDelete(ed.MemoInfo);
        EXPECT_EQ(ed.MemoInfo->toPlainText().size(), TForm2::kNoteMaxTyped - 1);
        QTest::mouseClick(ed.Button1, Qt::LeftButton);
    };
    e.keyI(db);
    EXPECT_TRUE(ran);
}
