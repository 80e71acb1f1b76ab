// The editing commands and the location editor through the real window: map menu, tree
// menu, key "i", Shift+click, and the editor's own controls, on a sample program folder.

#include <algorithm>

#include "edit_window_fixture.h"
#include "link_codes.h"

namespace {

// Clicks a category of the editor's list.
void pickCategory(TForm2& ed, const rCateg* c)
{
    for (int i = 0; i < ed.Treecateg->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = ed.Treecateg->topLevelItem(i);
        if (item->text(0) != ToDisplay(c->name)) continue;
        ed.Treecateg->scrollToItem(item);
        QTest::mouseClick(ed.Treecateg->viewport(), Qt::LeftButton, {}, ed.Treecateg->visualItemRect(item).center());
        return;
    }
    ADD_FAILURE() << "no category " << c->name;
}

// The first category of a kind, given a default name or none.
rCateg* categoryOfKind(uint8_t kind, const std::string& defaultName)
{
    for (const auto& c : CommonData->categories)
        if (c->kind == kind) {
            c->defaultName = defaultName;
            c->defaultNameFlag = defaultName.empty() ? 0 : 1;
            return c.get();
        }
    return nullptr;
}

} // namespace

TEST(EditCommands, CutPasteDeleteSaveAndReloadThroughTheMapMenu)
{
    EditWindow e;
    const int db = e.findLocation([](const TNodeData& d) {
        return d.item->id != 0 && d.item->fromMaster && d.item->command && !d.item->description.empty();
    });
    ASSERT_NE(db, kNoTreeNode);
    const std::string name(40, 'W'), tomb = "@" + std::string(39, 'W'); // cut to a name's 40 characters
    e.tree().nodeData(db)->item->name = name;
    SetSpec(e.tree().nodeData(db)->item->attributes, 5, true);
    const rItemdata& cut = e.item(db);
    // What a paste must carry over besides the name.
    const auto content = [](const rItemdata& it) {
        return std::tuple(it.description, it.levelMin, it.levelMax, it.typeId, linkTextOf(it),
                          it.attributes.w[0]);
    };
    const auto copied = content(cut);
    const QString idHex = QString("%1").arg(cut.id, 6, 16, QChar('0')).toUpper();
    const std::string fields = "||" + std::to_string(e.tree().nodeData(db)->zone->zoneId) + "|" +
                               std::to_string(e.tree().nodeData(db)->category->id) + "|" +
                               std::to_string(cut.x) + "|" + std::to_string(cut.y) +
                               "|0|0||0|0||000000000000000000000000|" + idHex.toStdString() + "||\r\n";
    const uint32_t id = cut.id;

    const QPoint p = e.hover(db);
    e.mapMenu(p, e.w->coupernode1);
    EXPECT_FALSE(e.tree().isNode(db));
    EXPECT_EQ(QApplication::clipboard()->text(), ToDisplay(name));
    EXPECT_TRUE(e.w->AdditionsModified());
    const std::vector<int> twins = e.named(tomb); // its id and fields: in the saved line below
    ASSERT_EQ(twins.size(), 1u);
    EXPECT_FALSE(e.tree().isVisible(twins[0]));

    // Paste at an empty point of a zone: a new user location there.
    const QPoint empty = e.hoverEmpty(p);
    const QPoint at = e.w->scene.MouseZonePoint;
    pMap_info* zone = e.w->scene.ZoneUnderMouse;
    e.mapMenu(empty, e.w->Copiernode1);
    std::vector<int> pasted = e.userMade(name);
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(QPoint(e.item(pasted[0]).x, e.item(pasted[0]).y), at);
    EXPECT_EQ(e.tree().nodeData(pasted[0])->zone, zone);
    EXPECT_EQ(content(e.item(pasted[0])), copied);
    EXPECT_EQ(e.item(pasted[0]).fromMaster + e.item(pasted[0]).locked, 0);
    EXPECT_EQ(e.w->scene.SelectionChain[0], pasted[0]);

    QTest::mouseClick(e.w->but_sav, Qt::LeftButton);
    EXPECT_FALSE(e.w->AdditionsModified());
    const QByteArray file = e.f.readFile(e.f.additionsPath());
    EXPECT_TRUE(file.contains(QByteArray::fromStdString(tomb + fields))) << tomb + fields;
    EXPECT_TRUE(file.contains(QByteArray::fromStdString("\r\n" + name + "|")));

    // Started again without the save question.
    e.f.boxes.answers = {kAnswerNo};
    e.w.reset();
    e.start();
    pasted = e.userMade(name);
    ASSERT_EQ(pasted.size(), 1u);
    EXPECT_EQ(QPoint(e.item(pasted[0]).x, e.item(pasted[0]).y), at);
    int visibleWithId = 0;
    e.tree().forEachLocation([&](int node, const TNodeData& d) {
        if (d.item->id == id && e.tree().isVisible(node)) ++visibleWithId;
    });
    EXPECT_EQ(visibleWithId, 0);

    // The editor's delete: the user's own location goes without a trace, a database
    // location leaves its tombstone.
    e.inEditor = [](TForm2& ed) { QTest::mouseClick(ed.Button4, Qt::LeftButton); };
    const size_t before = e.tree().locationCount();
    e.keyI(pasted[0]);
    EXPECT_FALSE(e.tree().isNode(pasted[0]));
    EXPECT_EQ(e.tree().locationCount(), before - 1);
    const int other = e.dbLocation();
    const std::string otherName = e.item(other).name;
    const uint32_t otherId = e.item(other).id;
    e.mapMenu(e.hover(other), e.w->ajouter1);
    EXPECT_FALSE(e.tree().isNode(other));
    const std::vector<int> tombs = e.named(("@" + otherName).substr(0, 40));
    ASSERT_EQ(tombs.size(), 1u);
    EXPECT_EQ(e.item(tombs[0]).id, otherId);
}

TEST(EditCommands, ReferenceDrawsTheLinkLockedOnesRefuseAndCuttingTheInfoPageLocationEmptiesIt)
{
    EditWindow e;
    const int a = e.findLocation([](const TNodeData& d) { return d.category->linkable != 0; });
    ASSERT_NE(a, kNoTreeNode);
    const pMap_info* zone = e.tree().nodeData(a)->zone;
    const int b = e.findLocation([&](const TNodeData& d) {
        return d.zone == zone && d.category->linkable && d.item->name != e.item(a).name &&
               d.item->description.find('{') == std::string::npos;
    });
    ASSERT_NE(b, kNoTreeNode);
    e.mapMenu(e.hover(a), e.w->Copiernode1);
    const size_t linesBefore = e.w->scene.LinkLines.size();
    const std::string note = e.item(b).description;
    const QPoint p = e.hover(b);
    e.mapMenu(p, e.w->hyperlink1);
    EXPECT_EQ(e.item(b).description, note + " {" + e.item(a).name + "}");
    EXPECT_EQ(e.item(b).fromMaster, 0);
    EXPECT_TRUE(e.w->AdditionsModified());
    EXPECT_EQ(e.w->scene.SelectionChain[0], b);
    EXPECT_GT(e.w->scene.LinkLines.size(), linesBefore);

    // Locked locations refuse cut, key i and reference, and stay as they are.
    int locked = kNoTreeNode;
    e.tree().forEachLocation([&](int node, const TNodeData& d) {
        if (locked == kNoTreeNode && d.item->locked && e.tree().isVisible(node)) locked = node;
    });
    ASSERT_NE(locked, kNoTreeNode);
    const std::string lockedNote = e.item(locked).description;
    QTest::mouseClick(e.w->but_sav, Qt::LeftButton);
    const std::pair<const char*, std::function<void()>> commands[] = {
        {"cut", [&] { e.mapMenu(e.hover(locked), e.w->coupernode1); }},
        {"key i", [&] { e.keyI(locked); }},
        {"reference", [&] { e.mapMenu(e.hover(locked), e.w->hyperlink1); }},
    };
    for (const auto& [what, command] : commands) {
        e.f.boxes.shown.clear();
        command();
        EXPECT_TRUE(e.f.boxes.saw(messageText(45))) << what;
    }
    EXPECT_EQ(e.editorRuns, 0);
    EXPECT_TRUE(e.tree().isNode(locked));
    EXPECT_EQ(e.item(locked).description, lockedNote);
    EXPECT_FALSE(e.w->AdditionsModified());

    // Cutting the location whose info page is shown takes its links away with it.
    QTest::mouseClick(e.w->ImageMapView, Qt::LeftButton, {}, e.hover(b)); // the info page
    ASSERT_GT(e.w->TreeRedir->topLevelItemCount(), 0);
    ASSERT_FALSE(e.w->interaction->popupRedirItems().empty());
    e.mapMenu(p, e.w->coupernode1);
    EXPECT_EQ(e.w->TreeRedir->topLevelItemCount(), 0);
    EXPECT_TRUE(e.w->scene.RedirLines.empty());
    EXPECT_TRUE(e.w->interaction->popupRedirItems().empty());
    EXPECT_EQ(e.w->scene.InfoNode, kNoTreeNode);
}

TEST(LocationEditor, CreateAtShiftClickChecksInOrderThenDefaultNamesAndLevelShapes)
{
    EditWindow e;
    const QPoint near = e.hover(e.findLocation());
    const QPoint p = e.hoverEmpty(near);
    const QPoint at = e.w->scene.MouseZonePoint;
    const rCateg* plain = categoryOfKind(kindNoLevel, "");
    ASSERT_TRUE(plain);
    std::vector<QString> order;
    e.inEditor = [&](TForm2& ed) {
        EXPECT_FALSE(ed.Button4->isVisible());
        EXPECT_FALSE(ed.CheckBox2->isVisible());
        EXPECT_EQ(ed.Edit5->text().toInt(), at.x());
        EXPECT_EQ(ed.Edit1->text(), ToDisplay(ed.placeholder));
        auto ok = [&] {
            e.f.boxes.shown.clear();
            QTest::mouseClick(ed.Button2, Qt::LeftButton);
            if (!e.f.boxes.shown.empty()) order.push_back(e.f.boxes.shown.back());
        };
        ok();
        EXPECT_EQ(ed.focusWidget(), ed.Edit1);
        typeInto(ed.Edit1, "Camp");
        ok();
        pickCategory(ed, plain);
        typeInto(ed.Edit1, "Ca#mp");
        ok();
        typeInto(ed.Edit1, "Camp");
        ed.MemoInfo->setPlainText("first|second"); // pasted, not typed
        ok();
        ed.MemoInfo->setPlainText("first\nsecond");
        ok();
        EXPECT_FALSE(ed.isVisible());
    };
    e.shiftClick(p);
    EXPECT_EQ(order, (std::vector<QString>{"info:" + messageText(17), "info:" + messageText(62),
                                           "info:" + messageText(18), "info:" + messageText(24)}));
    const std::vector<int> made = e.userMade("Camp");
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(e.item(made[0]).description, "first|second");
    EXPECT_EQ(QPoint(e.item(made[0]).x, e.item(made[0]).y), at);
    EXPECT_EQ(e.tree().nodeData(made[0])->category, plain);

    // Default names, and the levels from the colour shapes.
    Preferences.CLVL = true;
    const rCateg* named = categoryOfKind(kindCreature, "Loup gris");
    ASSERT_TRUE(named);
    e.inEditor = [&](TForm2& ed) {
        pickCategory(ed, named);
        EXPECT_EQ(ed.Edit1->text(), ToDisplay(named->defaultName));
        pickCategory(ed, plain);
        EXPECT_EQ(ed.Edit1->text(), ToDisplay(ed.placeholder));
        EXPECT_FALSE(ed.Edit3->isEnabled());
        e.f.boxes.shown.clear();
        QTest::mouseClick(ed.shapes[2], Qt::LeftButton);
        EXPECT_TRUE(e.f.boxes.saw(messageText(46)));
        QTest::mouseClick(ed.Edit1, Qt::LeftButton); // a press on the placeholder empties it
        EXPECT_TRUE(ed.Edit1->text().isEmpty());
        QTest::keyClicks(ed.Edit1, "Old bear");
        pickCategory(ed, named);
        EXPECT_EQ(ed.Edit1->text(), "Old bear");
        ASSERT_TRUE(ed.Edit3->isEnabled());

        ed.PageControl1->setCurrentWidget(ed.TabSheet3);
        typeInto(ed.Edit7, "50");
        QTest::mouseClick(ed.shapes[2], Qt::LeftButton);
        EXPECT_EQ(ed.Edit3->value(), 41);
        EXPECT_EQ(ed.Edit4->value(), 45);
        typeInto(ed.Edit3, "30");
        EXPECT_EQ(ed.Edit4->value(), 45);
        typeInto(ed.Edit4, "20");
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.shiftClick(e.hoverEmpty(near));
    const std::vector<int> bear = e.named("Old bear");
    ASSERT_EQ(bear.size(), 1u);
    EXPECT_EQ(e.item(bear[0]).levelMin, 30);
    EXPECT_EQ(e.item(bear[0]).levelMax, 30);
    EXPECT_EQ(Preferences.NIVP, 50);
    EXPECT_EQ(e.w->Editlvl->text(), "50");
}

TEST(LocationEditor, RouteCodesFromTheWaypointsAndTheirOptions)
{
    EditWindow e;
    const int owner = e.findLocation([](const TNodeData& d) { return d.item->command == nullptr; });
    const QPoint p = e.hover(owner);
    const pMap_info* zone = e.tree().nodeData(owner)->zone;
    // Waypoint mode from the map menu, then two Shift+clicks in the location's zone.
    e.mapMenu(e.hoverEmpty(p), e.w->waypoint1);
    ASSERT_TRUE(e.w->scene.waypointMode);
    for (int i = 0; i < 2; ++i) {
        const QPoint w = e.hoverEmpty(p + QPoint(0, 20 * i));
        ASSERT_EQ(e.w->scene.ZoneUnderMouse, zone);
        e.shiftClick(w);
    }
    ASSERT_EQ(e.w->scene.Waypoints.size(), 2u);
    e.inEditor = [&](TForm2& ed) {
        ed.PageControl1->setCurrentWidget(ed.TabSheet2);
        EXPECT_TRUE(ed.Button5->isEnabled());
        EXPECT_TRUE(ed.Label1->text().contains("(2 WP)"));
        ed.routeOptionsRunner = [](TForm_wpoptions& o) {
            EXPECT_FALSE(o.CheckBox1->isChecked()); // "0091": not always shown, colour 0, opaque
            EXPECT_EQ(o.ComboBox1->currentIndex(), 0);
            EXPECT_EQ(o.Edit2->value(), 10);
            QTest::mouseClick(o.CheckBox1, Qt::LeftButton);
            o.ComboBox1->setFocus();
            for (int i = 0; i < 3; ++i) QTest::keyClick(o.ComboBox1, Qt::Key_Down);
            o.Edit2->setFocus();
            for (int i = 0; i < 12; ++i) QTest::keyClick(o.Edit2, Qt::Key_Down);
            QTest::mouseClick(o.Button1, Qt::LeftButton);
        };
        QTest::mouseClick(ed.Button5, Qt::LeftButton);
        EXPECT_TRUE(ed.Edit2->text().startsWith("V_1301"));
        EXPECT_EQ(ed.Edit2->text().size(), 22);
        // A colour digit beyond the list reopens on item 0; untouched gives it back.
        ed.Edit2->setText("V_0X91" + ed.Edit2->text().mid(6));
        ed.routeOptionsRunner = [](TForm_wpoptions& o) { QTest::mouseClick(o.Button1, Qt::LeftButton); };
        auto linkMenu = [&] {
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), ed.Edit2->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(ed.Edit2, &event);
            EXPECT_TRUE(ed.PopupMenu2->isVisible());
        };
        linkMenu();
        ASSERT_TRUE(ed.trajet1->isEnabled());
        QTest::mouseClick(ed.PopupMenu2, Qt::LeftButton, {}, ed.PopupMenu2->actionGeometry(ed.trajet1).center());
        EXPECT_TRUE(ed.Edit2->text().startsWith("V_0091"));
        QTest::mouseClick(ed.Button11, Qt::LeftButton);
        EXPECT_TRUE(ed.Edit2->text().startsWith("S_"));
        EXPECT_EQ(ed.Edit2->text().size(), 26);
        linkMenu();
        EXPECT_FALSE(ed.trajet1->isEnabled());
        ed.PopupMenu2->hide();
        QTest::mouseClick(ed.Button7, Qt::LeftButton);
        EXPECT_TRUE(ed.Edit2->text().isEmpty());
        QTest::mouseClick(ed.Button5, Qt::LeftButton); // options untouched: "0091"
        EXPECT_TRUE(ed.Edit2->text().startsWith("V_0091"));
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.keyI(owner);
    ASSERT_EQ(e.editorRuns, 1);
    const int edited = e.w->scene.SelectionChain[0];
    ASSERT_TRUE(e.tree().isNode(edited));
    ASSERT_TRUE(e.item(edited).command);
    EXPECT_EQ(e.item(edited).command->text.substr(0, 6), "V_0091");
    EXPECT_TRUE(e.w->scene.Waypoints.empty());
    EXPECT_FALSE(e.w->scene.waypointMode);
    EXPECT_FALSE(e.w->waypoint1->isChecked());
}

TEST(LocationEditor, TypedInputRulesThenABulkChangeCopiesTheLevelsOntoTheSameNamed)
{
    EditWindow e;
    const int db = e.findLocation([](const TNodeData& d) { return d.item->id != 0; });
    const std::string longName(40, 'N');
    e.tree().nodeData(db)->item->name = longName;
    Preferences.TRAN = true;
    e.mapMenu(e.hover(db), e.w->Copiernode1); // the copy buffer names the location
    e.inEditor = [&](TForm2& ed) {
        // The bulk box's caption naming the location shows whole, in lines that fit its box,
        // between the attribute tree and the buttons; its tool tip holds it too.
        const QString bulkCaption = ToDisplay(FormatRessource(GetInfoText(14), longName));
        EXPECT_EQ(ed.CheckBox2->toolTip(), bulkCaption);
        EXPECT_EQ(ed.CheckBox2->text().remove('\n').remove(' ').toStdString(), QString(bulkCaption).remove(' ').toStdString());
        EXPECT_GT(ed.CheckBox2->text().count('\n'), 0);
        EXPECT_LE(ed.CheckBox2->sizeHint().width(), ed.CheckBox2->width());
        EXPECT_LE(ed.CheckBox2->sizeHint().height(), ed.CheckBox2->height());
        EXPECT_LE(ed.CheckBox2->geometry().right(), ed.width());
        EXPECT_LT(ed.treebool->geometry().bottom(), ed.CheckBox2->geometry().top());
        EXPECT_LT(ed.CheckBox2->geometry().bottom(), ed.Button1->geometry().top());
        // A longer name set by the program stays whole; typing cannot lengthen it.
        EXPECT_EQ(ed.Edit1->text().size(), 40);
        ed.Edit1->setFocus();
        ed.Edit1->end(false);
        QTest::keyClicks(ed.Edit1, "xy");
        EXPECT_EQ(ed.Edit1->text().size(), 40);
        typeInto(ed.Edit1, QString(50, 'a'));
        EXPECT_EQ(ed.Edit1->text().size(), TForm2::kNameMaxTyped);

        ed.PageControl1->setCurrentWidget(ed.TabSheet1);
        ed.MemoInfo->clear();
        ed.MemoInfo->setFocus();
        e.f.boxes.shown.clear();
        QTest::keyClicks(ed.MemoInfo, "a#b|c");
        EXPECT_EQ(ed.MemoInfo->toPlainText(), "abc");
        EXPECT_TRUE(e.f.boxes.saw(messageText(36, "#")));
        EXPECT_TRUE(e.f.boxes.saw(messageText(36, "|")));
        // acc1 braces the selection, or inserts the copied location's reference.
        QTextCursor all = ed.MemoInfo->textCursor();
        all.select(QTextCursor::Document);
        ed.MemoInfo->setTextCursor(all);
        ed.acc1->trigger();
        EXPECT_EQ(ed.MemoInfo->toPlainText(), "{abc}");
        ed.acc1->trigger();
        EXPECT_EQ(ed.MemoInfo->toPlainText(), ToDisplay("{abc}{" + longName + "}"));

        // In translation mode the language box carries the bulk change with it.
        ASSERT_TRUE(ed.CheckBox12->isVisible());
        const bool was = ed.CheckBox12->isChecked();
        EXPECT_FALSE(ed.CheckBox2->isChecked()); // opening never checks it
        QTest::mouseClick(ed.CheckBox12, Qt::LeftButton);
        EXPECT_EQ(ed.CheckBox2->isChecked(), !was);
        EXPECT_EQ(ed.height(), !was ? TForm2::kClientHeightBulk : TForm2::kClientHeight);
        QTest::mouseClick(ed.Button1, Qt::LeftButton); // cancel: nothing changes
    };
    e.keyI(db);
    Preferences.TRAN = false;
    EXPECT_EQ(e.editorRuns, 1);
    EXPECT_TRUE(e.tree().isNode(db));
    EXPECT_EQ(e.item(db).name, longName);
    EXPECT_FALSE(e.w->AdditionsModified());

    const int source = e.findLocation([](const TNodeData& d) { return d.category->kind == kindCreature; });
    ASSERT_NE(source, kNoTreeNode);
    const std::string name = e.item(source).name;
    const QPoint p = e.hover(source);
    e.mapMenu(p, e.w->Copiernode1);
    e.mapMenu(e.hoverEmpty(p), e.w->Copiernode1); // at least one other of that name
    // Every other unlocked location of that name and category follows (the locked ones
    // stay as they are: see the widget-free bulk change test).
    std::vector<int> followers;
    e.tree().forEachLocation([&](int node, const TNodeData& d) {
        if (node != source && !d.item->locked && d.category == e.tree().nodeData(source)->category &&
            NormalizeText(d.item->name) == NormalizeText(name))
            followers.push_back(node);
    });
    ASSERT_FALSE(followers.empty());

    e.inEditor = [&](TForm2& ed) {
        // The bulk options lie below the window's usual height: it grows to show them.
        EXPECT_EQ(ed.height(), TForm2::kClientHeight);
        QTest::mouseClick(ed.CheckBox2, Qt::LeftButton);
        EXPECT_EQ(ed.height(), TForm2::kClientHeightBulk);
        for (QCheckBox* c : {ed.CheckBox4, ed.CheckBox5, ed.CheckBox6, ed.CheckBox7}) {
            c->setFocus();
            QTest::keyClick(c, Qt::Key_Space);
        }
        EXPECT_FALSE(ed.CheckBox4->isChecked());
        EXPECT_TRUE(ed.CheckBox7->isChecked());
        typeInto(ed.Edit3, "40");
        typeInto(ed.Edit4, "45");
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.keyI(source);
    EXPECT_EQ(e.editorRuns, 2);
    for (int n : followers) {
        EXPECT_EQ(e.item(n).levelMin, 40);
        EXPECT_EQ(e.item(n).levelMax, 45);
        EXPECT_EQ(e.item(n).name, name);
        EXPECT_EQ(e.item(n).fromMaster, 0);
    }
    const QString expected = messageText(65, std::to_string(followers.size() + 1)).section('\n', 0, 0);
    EXPECT_TRUE(std::any_of(e.w->FeedbackList.begin(), e.w->FeedbackList.end(),
                            [&](const auto& line) { return ToDisplay(line.text) == expected; }))
        << expected.toStdString();
}

TEST(LocationEditor, AnUncheckedLanguageBoxLeavesTheLocationWithoutLanguage)
{
    EditWindow e;
    const int db = e.dbLocation();
    ASSERT_NE(db, kNoTreeNode);
    const uint32_t id = e.item(db).id;
    e.tree().nodeData(db)->item->languageTag = uint8_t(CurrentLangTag + 1); // another language's
    e.inEditor = [](TForm2& ed) {
        EXPECT_FALSE(ed.CheckBox12->isChecked());
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.keyI(db);
    ASSERT_EQ(e.editorRuns, 1);
    const int edited = e.w->scene.SelectionChain[0];
    ASSERT_TRUE(e.tree().isNode(edited));
    EXPECT_EQ(e.item(edited).id, id);
    EXPECT_EQ(e.item(edited).languageTag, 0);
    EXPECT_TRUE(e.w->AdditionsModified());
}

TEST(EditCommands, TreeMenuCopyModifyAndCutWithThePlaceCodeButtons)
{
    EditWindow e;
    const int db = e.dbLocation();
    const uint32_t id = e.item(db).id;
    const std::string name = e.item(db).name;
    // Shift+click on a location opens its editor; OK untouched changes nothing, even with
    // a note the memo shows differently.
    e.tree().nodeData(db)->item->description = "a||b|";
    e.inEditor = [](TForm2& ed) { QTest::mouseClick(ed.Button2, Qt::LeftButton); };
    e.shiftClick(e.hover(db));
    EXPECT_EQ(e.editorRuns, 1);
    EXPECT_EQ(e.item(db).fromMaster, 1);

    e.treeMenu(db, e.w->MyTree->Copier1);
    EXPECT_EQ(e.w->CopyData->item->name, name);
    EXPECT_EQ(QApplication::clipboard()->text(), ToDisplay(name));
    EXPECT_FALSE(e.w->AdditionsModified());

    // A place code copied from the map menu is pasted into the link by Button6; Button8
    // copies the location's own place code.
    e.mapMenu(e.hover(db), e.w->copierlelocref1);
    const std::string mapCode = LastPlaceCode;
    ASSERT_EQ(mapCode.size(), 15u);
    const TNodeData& d = *e.tree().nodeData(db);
    const std::string ownCode = buildPlaceCode(d.zone->zoneId, d.item->x, d.item->y);
    e.inEditor = [&](TForm2& ed) {
        EXPECT_EQ(ed.windowTitle(), ToDisplay(FormatRessource(GetInfoText(17), name, std::to_string(id))));
        EXPECT_EQ(ed.Edit1->text(), ToDisplay(name));
        EXPECT_TRUE(ed.CheckBox2->isVisible());
        EXPECT_TRUE(ed.Button4->isVisible());
        ed.PageControl1->setCurrentWidget(ed.TabSheet2);
        EXPECT_TRUE(ed.Button6->isEnabled());
        QTest::mouseClick(ed.Button6, Qt::LeftButton);
        EXPECT_EQ(ed.Edit2->text(), FromCp1252(mapCode));
        QTest::mouseClick(ed.Button8, Qt::LeftButton);
        EXPECT_EQ(ed.Edit2->text(), FromCp1252(mapCode)); // the link stays
        EXPECT_EQ(QApplication::clipboard()->text(), FromCp1252(ownCode));
        typeInto(ed.Edit1, "Renamed place");
        QTest::mouseClick(ed.Button2, Qt::LeftButton);
    };
    e.treeMenu(db, e.w->MyTree->Modif1);
    EXPECT_EQ(e.editorRuns, 2);
    EXPECT_EQ(LastPlaceCode, ownCode);
    EXPECT_FALSE(e.tree().isNode(db));
    const std::vector<int> renamed = e.named("Renamed place");
    ASSERT_EQ(renamed.size(), 1u);
    const rItemdata& edited = e.item(renamed[0]);
    EXPECT_EQ(edited.id, id); // replaced under its id
    EXPECT_EQ(edited.fromMaster, 0);
    EXPECT_EQ(linkTextOf(edited), mapCode);
    EXPECT_EQ(e.w->scene.SelectionChain[0], renamed[0]);
    EXPECT_TRUE(e.w->AdditionsModified());

    e.treeMenu(renamed[0], e.w->MyTree->Couper1);
    EXPECT_FALSE(e.tree().isNode(renamed[0]));
    EXPECT_EQ(QApplication::clipboard()->text(), "Renamed place");
}

// A database location changed in place (a reference added to its note) becomes the user's:
// the save writes its line, and the one after it too.
TEST(EditCommands, ADatabaseLocationGivenAReferenceIsSaved)
{
    EditWindow e;
    const int a = e.findLocation([](const TNodeData& d) { return d.category->linkable != 0; });
    ASSERT_NE(a, kNoTreeNode);
    const pMap_info* zone = e.tree().nodeData(a)->zone;
    const int b = e.findLocation([&](const TNodeData& d) {
        return d.zone == zone && d.category->linkable && d.item->fromMaster && d.item->name != e.item(a).name
               && d.item->description.find('{') == std::string::npos;
    });
    ASSERT_NE(b, kNoTreeNode);
    e.mapMenu(e.hover(a), e.w->Copiernode1);
    const std::string line = e.item(b).name + "||" + std::to_string(zone->zoneId) + "|";
    for (int save = 0; save < 2; ++save) {
        e.mapMenu(e.hover(b), e.w->hyperlink1); // once more before the second save
        const std::string note = e.item(b).description;
        QTest::mouseClick(e.w->but_sav, Qt::LeftButton);
        const QByteArray file = e.f.readFile(e.f.additionsPath());
        EXPECT_TRUE(file.contains(QByteArray::fromStdString("\r\n" + line))) << line;
        EXPECT_TRUE(file.contains(QByteArray::fromStdString("|" + note + "\r\n"))) << note;
    }
}
