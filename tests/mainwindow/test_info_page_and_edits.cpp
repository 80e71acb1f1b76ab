// The info page's groups, the hint and the link separator of the hovered location, the
// jump edit, the position edits and the standard editing keys of the window's text edits,
// through the real window.

#include <QDialog>

#include "edit_window_fixture.h"
#include "hint_window.h"

namespace {

// The group box around a control, and its caption.
QString groupCaption(QWidget* control)
{
    for (QWidget* p = control->parentWidget(); p; p = p->parentWidget())
        if (auto* box = qobject_cast<QGroupBox*>(p)) return box->title();
    return "(no group)";
}

} // namespace

TEST(InfoPage, PanesAndTheJumpEditStandInTheirCaptionedGroups)
{
    MainWindowFixture f;
    auto w = f.startShown();
    const std::pair<QWidget*, int> groups[] = {
        {w->Memo2, 29}, {w->Treeitem, 33}, {w->TreeRedir, 37}, {w->EditJump, 83}, {w->Button2, 83}};
    for (const auto& [control, caption] : groups)
        EXPECT_EQ(groupCaption(control), ToDisplay(GetCaptionText(caption))) << control->objectName().toStdString();

    // Typing into the jump edit leaves the caret at the end of the cleaned code.
    QTest::mouseClick(w->but_liste[3], Qt::LeftButton);
    w->EditJump->setFocus();
    w->EditJump->setCursorPosition(3);
    QTest::keyClick(w->EditJump, Qt::Key_Backspace);
    EXPECT_EQ(w->EditJump->text(), "J_############");
    EXPECT_EQ(w->EditJump->cursorPosition(), 14);
    typeInto(w->EditJump, "j1234567890abcdefg");
    EXPECT_EQ(w->EditJump->text(), "J_234567890ABCD");
    EXPECT_EQ(w->EditJump->cursorPosition(), 15);
}

TEST(InfoPage, CuttingTheShownLocationFromTheMapMenuEmptiesThePage)
{
    EditWindow e;
    const int node = e.findLocation([](const TNodeData& d) {
        return !d.item->description.empty() && d.category->kind != kindNoLevel;
    });
    ASSERT_NE(node, kNoTreeNode);
    const QPoint p = e.hover(node);
    QTest::mouseClick(e.w->ImageMapView, Qt::LeftButton, {}, p); // its info page
    ASSERT_EQ(e.w->Label1->text(), ToDisplay(e.item(node).name));
    ASSERT_FALSE(e.w->Memo2->toPlainText().isEmpty());
    ASSERT_FALSE(e.w->Label7->text().isEmpty());

    e.mapMenu(e.hover(node), e.w->coupernode1);
    ASSERT_FALSE(e.tree().isNode(node));
    EXPECT_TRUE(e.w->Label1->text().isEmpty());
    EXPECT_TRUE(e.w->Label7->text().isEmpty());
    EXPECT_TRUE(e.w->Label8->text().isEmpty());
    EXPECT_TRUE(e.w->Memo2->toPlainText().isEmpty());
    for (int i = 0; i < e.w->Treeitem->topLevelItemCount(); ++i)
        EXPECT_TRUE(e.w->Treeitem->topLevelItem(i)->isHidden()) << i;
}

TEST(MapMenu, NoteWithoutLinksShowsItsSeparatorAtTheTopAndTheMenuHasNoDoubledSeparators)
{
    EditWindow e;
    const int plain = e.findLocation([](const TNodeData& d) {
        return !d.item->description.empty() && d.item->description.find('{') == std::string::npos;
    });
    ASSERT_NE(plain, kNoTreeNode);
    // In and out of edit mode: the link separator is the menu's first visible line.
    for (bool editMode : {true, false}) {
        if (e.w->but_editmode->isChecked() != editMode) QTest::mouseClick(e.w->but_editmode, Qt::LeftButton);
        const QPoint p = e.hover(plain);
        QContextMenuEvent event(QContextMenuEvent::Mouse, p, e.w->ImageMapView->mapToGlobal(p));
        QApplication::sendEvent(e.w->ImageMapView, &event);
        QMenu* menu = e.w->Menu_image;
        ASSERT_TRUE(menu->isVisible());
        QAction* first = menu->actions().front();
        ASSERT_EQ(first->property("Tag").toInt(), 255);
        // Taller than a plain separator, which at the top would lie on the menu's border;
        // nothing to choose.
        EXPECT_GT(menu->actionGeometry(first).height(), 4) << editMode;
        EXPECT_FALSE(first->isEnabled());
        // Below it, visible items with single separators between them, none at the end.
        bool previousSeparates = true;
        for (QAction* a : menu->actions().mid(1)) {
            if (!a->isVisible()) continue;
            EXPECT_FALSE(a->isSeparator() && previousSeparates) << editMode;
            previousSeparates = a->isSeparator();
        }
        EXPECT_FALSE(previousSeparates) << editMode;
        menu->hide();
    }
}

TEST(MapKeys, HidingTheIconsHidesTheHintOfTheLocationUnderTheMouse)
{
    EditWindow e;
    const int node = e.findLocation();
    e.hover(node);
    TCustomHint* hint = e.w->hints->window();
    ASSERT_EVENTUALLY(hint->isVisible());
    QTest::keyClick(e.w->ImageMapView, Qt::Key_A);
    EXPECT_FALSE(e.w->scene.ShowMarkers);
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(e.w->scene.HotNode, kNoTreeNode);
}

TEST(MapMenu, TheHintOfTheHoveredLocationGoesWhenTheMenuOrADialogOpens)
{
    EditWindow e;
    const int node = e.findLocation();
    TCustomHint* hint = e.w->hints->window();
    // The right click's menu would otherwise open under a hint that stays for its whole pause.
    const QPoint p = e.hover(node);
    ASSERT_EVENTUALLY(hint->isVisible());
    QContextMenuEvent event(QContextMenuEvent::Mouse, p, e.w->ImageMapView->mapToGlobal(p));
    QApplication::sendEvent(e.w->ImageMapView, &event);
    ASSERT_TRUE(e.w->Menu_image->isVisible());
    EXPECT_FALSE(hint->isVisible());
    e.w->Menu_image->hide();

    // A window opening over the main one (the location editor, a message box) does not
    // have the hint drawn over it either.
    e.hover(node);
    ASSERT_EVENTUALLY(hint->isVisible());
    QDialog dialog(e.w.get());
    dialog.show();
    EXPECT_FALSE(hint->isVisible());
}

TEST(MapKeys, IAtAPointWithoutLocationCreatesOneExactlyWhileEditModeIsOn)
{
    // Edit mode comes from its button, with no click on the map since.
    EditWindow e;
    ASSERT_TRUE(e.w->but_editmode->isChecked());
    const QPoint p = e.hoverEmpty(e.hover(e.findLocation())); // beside a location of the map shown
    QTest::keyClick(e.w->ImageMapView, Qt::Key_I);
    EXPECT_EQ(e.editorRuns, 1);

    // Edit mode off: "i" over no location does nothing.
    QTest::mouseClick(e.w->but_editmode, Qt::LeftButton);
    ASSERT_FALSE(e.w->but_editmode->isChecked());
    e.hoverEmpty(p);
    QTest::keyClick(e.w->ImageMapView, Qt::Key_I);
    EXPECT_EQ(e.editorRuns, 1);
}

TEST(PositionEdits, LeavingAnEditRoundsThePositionFromTheMapEvenWithoutTyping)
{
    EditWindow e;
    QTest::mouseClick(e.w->but_liste[3], Qt::LeftButton);
    // Own position put at a point of the map that is no whole thousand.
    QPoint p = e.hover(e.findLocation());
    for (int step = 0; step < 12; ++step) {
        p += QPoint(3, 2);
        moveOverMap(*e.w, p);
        const QPoint z = e.w->scene.MouseZonePoint;
        if (e.w->scene.ZoneUnderMouse && z.x() % 1000 && z.y() % 1000) break;
    }
    const QPoint exact = e.w->scene.MouseZonePoint;
    auto myPos = [&] { return QPoint(e.w->scene.MyPos.X, e.w->scene.MyPos.Y); };
    // Into an edit and out again, with the mouse, then with Enter; no digit typed.
    for (QLineEdit* edit : {e.w->Edit_myX, e.w->Edit_myY}) {
        e.mapMenu(p, e.w->BMy);
        ASSERT_EQ(myPos(), exact);
        QTest::mouseClick(edit, Qt::LeftButton);
        if (edit == e.w->Edit_myX)
            QTest::mouseClick(e.w->Edit_otherY, Qt::LeftButton);
        else
            QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(myPos(), QPoint(exact.x() / 1000 * 1000, exact.y() / 1000 * 1000));
    }
}

TEST(TextEditKeys, SelectAllCopyPasteCutAndUndoActOnTheFocusedEdit)
{
    EditWindow e;
    auto ctrl = [](QWidget* edit, Qt::Key key) { QTest::keyClick(edit, key, Qt::ControlModifier); };
    // The level filter: Ctrl+A then digits replace the range's ends.
    QTest::mouseClick(e.w->but_liste[0], Qt::LeftButton);
    QTest::mouseClick(e.w->CheckBoxlvl, Qt::LeftButton);
    ASSERT_TRUE(e.w->CheckBoxlvl->isChecked());
    for (auto [edit, digits] : {std::pair{e.w->Edit_lvl_min, "12"}, {e.w->Edit_lvl_max, "30"}}) {
        QTest::mouseClick(edit, Qt::LeftButton);
        ctrl(edit, Qt::Key_A);
        QTest::keyClicks(edit, digits);
    }
    ctrl(e.w->Edit_lvl_max, Qt::Key_A);
    ctrl(e.w->Edit_lvl_max, Qt::Key_C);
    QTest::mouseClick(e.w->Edit_lvl_min, Qt::LeftButton);
    EXPECT_EQ(e.w->levelFilter.LevelMin, 12);
    EXPECT_EQ(e.w->levelFilter.LevelMax, 30);
    EXPECT_EQ(QApplication::clipboard()->text(), "30");

    // Paste over, cut, undo in the player level, the search text and a position edit; the
    // A of Ctrl+A does not toggle the icons.
    const bool markers = e.w->scene.ShowMarkers;
    for (auto [edit, page] : {std::pair{e.w->Editlvl, 0}, {e.w->Edit1, 2}, {e.w->Edit_myX, 3}}) {
        QTest::mouseClick(e.w->but_liste[page], Qt::LeftButton);
        QTest::mouseClick(edit, Qt::LeftButton);
        ctrl(edit, Qt::Key_A);
        ctrl(edit, Qt::Key_V);
        EXPECT_EQ(edit->text(), "30") << page;
        ctrl(edit, Qt::Key_A);
        ctrl(edit, Qt::Key_X);
        EXPECT_EQ(edit->text(), "") << page;
        ctrl(edit, Qt::Key_Z);
        EXPECT_EQ(edit->text(), "30") << page;
    }
    EXPECT_EQ(e.w->scene.ShowMarkers, markers);
}
