// The location editor's own controls as a user works them, opened from the map menu: the
// type list, the button to the player-level page, an attribute's box and the note's menu;
// what the location then holds and what the save writes.
#include "edit_window_fixture.h"
#include "criteria_tree.h"
#include "spec_set.h"

TEST(EditorGestures, TypeAttributeNoteMenuAndPlayerLevelButtonReachTheSavedLocation)
{
    EditWindow e;
    // A database location of a kind with levels and a type.
    const int db = e.findLocation([](const TNodeData& d) {
        return d.item->id != 0 && d.item->fromMaster && d.category->kind == kindCreature;
    });
    ASSERT_NE(db, kNoTreeNode);
    const uint32_t id = e.item(db).id;
    const uint8_t typeBefore = e.item(db).typeId;
    // The copy buffer names another location: the note's menu inserts a reference to it.
    const int other = e.findLocation([&](const TNodeData& d) { return d.item->id != id && d.item->name != e.item(db).name; });
    e.mapMenu(e.hover(other), e.w->Copiernode1);
    const std::string copied = e.w->CopyData->item->name;

    int attribute = 0;
    int typeChosen = -1;
    e.inEditor = [&](TForm2& ed) {
        // The type, stepped through with the keyboard.
        ed.ComboBox1->setFocus();
        QTest::keyClick(ed.ComboBox1, typeBefore + 1 < ed.ComboBox1->count() ? Qt::Key_Down : Qt::Key_Up);
        typeChosen = ed.ComboBox1->currentIndex();
        // The glyph button brings the player-level page.
        QTest::mouseClick(ed.BitBtn1, Qt::LeftButton);
        EXPECT_EQ(ed.PageControl1->currentWidget(), ed.TabSheet3);
        // An attribute's box, clicked, marks it; the location had none of it.
        QTreeWidgetItem* item = nullptr;
        for (int i = 0; i < ed.treebool->topLevelItemCount() && !item; ++i)
            if (ed.treebool->topLevelItem(i)->checkState(0) == Qt::Unchecked) item = ed.treebool->topLevelItem(i);
        ASSERT_NE(item, nullptr);
        attribute = item->data(0, kSpecIdRole).toInt();
        const QRect r = ed.treebool->visualItemRect(item);
        QTest::mouseClick(ed.treebool->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 10, r.center().y()));
        EXPECT_EQ(item->checkState(0), Qt::Checked);
        // The note: typed, then the reference from its menu.
        ed.PageControl1->setCurrentWidget(ed.TabSheet1);
        ed.MemoInfo->setFocus();
        QTest::keyClick(ed.MemoInfo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(ed.MemoInfo, Qt::Key_Delete);
        QTest::keyClicks(ed.MemoInfo, "Voir ");
        const QPoint at(10, 10);
        QContextMenuEvent menu(QContextMenuEvent::Mouse, at, ed.MemoInfo->viewport()->mapToGlobal(at));
        QApplication::sendEvent(ed.MemoInfo->viewport(), &menu);
        ASSERT_TRUE(ed.PopupMenu1->isVisible());
        QTest::mouseClick(ed.PopupMenu1, Qt::LeftButton, {}, ed.PopupMenu1->actionGeometry(ed.acc1).center());
        EXPECT_EQ(ed.MemoInfo->toPlainText(), ToDisplay("Voir {" + copied + "}"));
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.mapMenu(e.hover(db), e.w->ajouter1);
    ASSERT_EQ(e.editorRuns, 1);
    ASSERT_NE(typeChosen, int(typeBefore));

    const int edited = e.w->scene.SelectionChain[0];
    ASSERT_TRUE(e.tree().isNode(edited));
    const rItemdata& now = e.item(edited);
    EXPECT_EQ(now.id, id);
    EXPECT_EQ(now.typeId, typeChosen);
    EXPECT_TRUE(HasSpec(now.attributes, attribute));
    EXPECT_EQ(now.description, "Voir {" + copied + "}");

    QTest::mouseClick(e.w->but_sav, Qt::LeftButton);
    EXPECT_TRUE(e.f.readFile(e.f.additionsPath()).contains(QByteArray::fromStdString("Voir {" + copied + "}")));
}

TEST(EditorGestures, EnterInTheNameIsOkAndEscapeIsCancel)
{
    EditWindow e;
    const int db = e.dbLocation();
    const uint32_t id = e.item(db).id;
    const std::string name = e.item(db).name;
    // Escape after typing: nothing changes.
    e.inEditor = [](TForm2& ed) {
        typeInto(ed.Edit1, "Never kept");
        QTest::keyClick(ed.Edit1, Qt::Key_Escape);
        EXPECT_FALSE(ed.isVisible());
    };
    e.keyI(db);
    ASSERT_EQ(e.editorRuns, 1);
    EXPECT_TRUE(e.named("Never kept").empty());
    EXPECT_TRUE(e.tree().isNode(db));
    EXPECT_FALSE(e.w->AdditionsModified());

    // Enter in the name: the change is taken.
    e.inEditor = [](TForm2& ed) {
        typeInto(ed.Edit1, "Kept by Enter", true);
        EXPECT_FALSE(ed.isVisible());
    };
    e.keyI(db);
    ASSERT_EQ(e.editorRuns, 2);
    const std::vector<int> renamed = e.named("Kept by Enter");
    ASSERT_EQ(renamed.size(), 1u);
    EXPECT_EQ(e.item(renamed[0]).id, id);
    EXPECT_TRUE(e.named(name).empty() || e.item(e.named(name).front()).id != id);
    EXPECT_TRUE(e.w->AdditionsModified());
}
