// The search page, the result list, the side panel pages and the redirect links, driven
// through the real window with mouse and key events.

#include "edit_window_fixture.h"
#include "image_control.h"
#include "info_panel.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window_fixture.h"
#include "search.h"
#include "search_idle_build.h"
#include "search_result_model.h"
#include "shape_control.h"

namespace {

struct Window {
    MainWindowFixture f;
    std::unique_ptr<TForm4> w;
    const TNodeData* sample = nullptr; // a location of the sample: its zone and a creature category

    Window() : w(f.startShown({1100, 760}))
    {
        QApplication::setActiveWindow(w.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
        w->MyTreeStore.forEachLocation([&](int, const TNodeData& d) {
            if (!sample && d.category && d.category->kind == kindCreature) sample = &d;
        });
    }

    int add(const std::string& name, const std::string& note = {}, int dx = 0, int levelMin = 10, int levelMax = 12,
            const pMap_info* zone = nullptr)
    {
        rnew_node r;
        r.name = name;
        r.description = note;
        r.zoneId = uint16_t((zone ? zone : sample->zone)->zoneId);
        r.categoryId = sample->category->id;
        r.x = uint32_t(30000 + dx);
        r.y = 30000;
        r.levelMin = uint32_t(levelMin);
        r.levelMax = uint32_t(levelMax);
        r.hasItem = 1;
        return w->MyTreeStore.addnode(r);
    }

    // Shows a location's map with it in the middle, paints, and gives its icon's centre.
    QPoint showOnMap(int node)
    {
        w->localize_data(node, true);
        w->ImageMapView->repaint();
        return iconOf(*w, node);
    }
    void search(const QString& text)
    {
        if (w->Pages->currentIndex() != 2 || !w->PanelDock->isVisible()) QTest::mouseClick(w->but_liste[2], Qt::LeftButton);
        typeInto(w->Edit1, text, true);
    }
    QModelIndex row(int r, int column = SearchResultModel::colName) const
    {
        return w->TreeResultModel->index(r, column);
    }
    void clickRow(int r)
    {
        const QRect rect = w->TreeResult->visualRect(row(r));
        QTest::mouseClick(w->TreeResult->viewport(), Qt::LeftButton, {}, rect.center());
        // The list shows the row's location from a posted call, after its own focus change;
        // what that shows differs from row to row, so its arrival is all there is to wait for.
        test_wait::deliverPostedEvents();
    }
    void clickLink(int i)
    {
        const QRect r = w->TreeRedir->visualItemRect(w->TreeRedir->topLevelItem(i));
        QTest::mouseClick(w->TreeRedir->viewport(), Qt::LeftButton, {}, r.center());
        // The link is followed from a posted call, after the list's own focus change; what
        // following shows differs from link to link, so its arrival is all there is to wait for.
        test_wait::deliverPostedEvents();
    }
    void clickHeader(int column, Qt::MouseButton button = Qt::LeftButton)
    {
        QHeaderView* h = w->TreeResult->header();
        QTest::mouseClick(h->viewport(), button, {}, QPoint(h->sectionViewportPosition(column) + 5, h->height() / 2));
    }
    std::vector<QString> names() const
    {
        std::vector<QString> out;
        for (int r = 0; r < w->TreeResultModel->rowCount(); ++r) out.push_back(row(r).data().toString());
        return out;
    }
    // The captions of the Tag-255 items at the top of the map menu ("-" for the separator,
    // a line widget when it stands alone).
    std::vector<QString> linkItems() const
    {
        std::vector<QString> out;
        for (QAction* a : w->Menu_image->actions()) {
            if (a->property("Tag").toInt() != 255) break;
            out.push_back(a->isSeparator() || qobject_cast<QWidgetAction*>(a) ? QString("-") : a->text());
        }
        return out;
    }
};

// A mouse move without a button, as the window system delivers it (QTest only moves the
// cursor for those).
void hover(QWidget* widget, QPoint pos)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QString i12(size_t count)
{
    return ToDisplay(FormatRessource(GetInfoText(12), std::to_string(count)));
}

} // namespace

TEST(SearchPage, FindsListsSortedShowsThePickAndTakesDigitsOnlyForLevels)
{
    Window t;
    const int b = t.add("Qwx Beta");
    const int a = t.add("qwx alpha", "", 3000);
    t.add("Qwx deux", "", 0, 30, 40);
    t.add("Autre", "la note dit qwx");
    // The search page button gives the search text the focus, which checks "in name".
    t.w->CheckBox1->setChecked(false);
    QTest::mouseClick(t.w->but_liste[2], Qt::LeftButton);
    EXPECT_EQ(t.w->Pages->currentIndex(), 2);
    EXPECT_TRUE(t.w->Edit1->hasFocus());
    EXPECT_TRUE(t.w->CheckBox1->isChecked());
    t.w->CheckBox2->setChecked(false);
    t.search("QWX");
    EXPECT_EQ(t.names(), (std::vector<QString>{"qwx alpha", "Qwx Beta", "Qwx deux"}));
    EXPECT_EQ(t.w->Label6->text(), i12(3));
    QHeaderView* h = t.w->TreeResult->header();
    EXPECT_EQ(h->sortIndicatorSection(), int(SearchResultModel::colName));
    // Columns from the left: zone icon, category icon, name, zone name.
    EXPECT_EQ((std::vector<int>{h->logicalIndex(0), h->logicalIndex(1), h->logicalIndex(2), h->logicalIndex(3)}),
              (std::vector<int>{SearchResultModel::colZoneIcon, SearchResultModel::colCategory,
                                SearchResultModel::colName, SearchResultModel::colZone}));
    EXPECT_EQ(t.row(0, SearchResultModel::colZone).data().toString(), ToDisplay(t.sample->zone->name));

    // Moving over the list takes the focus without picking a row; a click shows the pick.
    hover(t.w->TreeResult->viewport(), QPoint(40, 30));
    EXPECT_TRUE(t.w->TreeResult->hasFocus());
    // A pick would come as a posted call: deliver what is posted, then see that none came.
    test_wait::deliverPostedEvents();
    EXPECT_EQ(t.w->scene.SelectionChain[0], kNoTreeNode);
    t.w->MyTreeStore.setCheckState(b, NodeCheck::Unchecked);
    t.clickRow(1);
    EXPECT_EQ(t.w->scene.SelectionChain[0], b);
    EXPECT_EQ(t.w->scene.CurrentMapId, t.sample->zone->regionId);
    EXPECT_EQ(t.w->MyTreeStore.checkState(b), NodeCheck::Checked);
    EXPECT_EQ(t.w->Label1->text(), "Qwx Beta");
    t.clickRow(0);
    EXPECT_EQ(t.w->scene.SelectionChain[0], a);

    // In the note too; exact needs the whole name.
    t.w->CheckBox2->setChecked(true);
    t.search("qwx");
    EXPECT_EQ(t.names().size(), 4u);
    t.w->CheckBox6->setChecked(true);
    t.search("qwx beta");
    EXPECT_EQ(t.names(), (std::vector<QString>{"Qwx Beta"}));
    t.w->CheckBox6->setChecked(false);

    // An empty text unchecks both text boxes; with nothing else on: S21, old results stay.
    t.w->Edit1->clear();
    QTest::mouseClick(t.w->Button1, Qt::LeftButton);
    EXPECT_TRUE(t.f.boxes.saw(messageText(21)));
    EXPECT_FALSE(t.w->CheckBox1->isChecked());
    EXPECT_FALSE(t.w->CheckBox2->isChecked());
    EXPECT_EQ(t.names().size(), 1u);

    // Typed junk is swallowed, pasted junk is cleaned, three digits at most; a change
    // checks the level box.
    typeInto(t.w->Edit3, "a3b5c");
    EXPECT_EQ(t.w->Edit3->text(), "35");
    EXPECT_TRUE(t.w->CheckBox4->isChecked());
    t.w->Edit2->clear();
    QApplication::clipboard()->setText("x12345y");
    QTest::keyClick(t.w->Edit2, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(t.w->Edit2->text(), "123");
    // A reversed range is corrected in the edit; Return in a level edit searches.
    QTest::keyClicks(t.w->Edit1, "qwx");
    typeInto(t.w->Edit2, "20", true);
    EXPECT_EQ(t.w->Edit2->text(), "35");
    EXPECT_EQ(t.names(), (std::vector<QString>{"Qwx deux"}));
    // Empty level edits count as 1.
    t.w->Edit3->clear();
    t.w->Edit2->clear();
    QTest::mouseClick(t.w->Button1, Qt::LeftButton);
    EXPECT_EQ(t.w->Edit3->text(), "1");
    EXPECT_EQ(t.w->Edit2->text(), "1");

    // Scope "displayed map" with no map shown finds nothing.
    t.w->clear_mapview();
    t.w->ComboBox6->setCurrentIndex(1);
    t.search("a");
    EXPECT_EQ(t.names().size(), 0u);
    EXPECT_EQ(t.w->Label6->text(), i12(0));
    EXPECT_EQ(t.w->TreeResult->header()->sortIndicatorSection(), -1);
}

TEST(SearchPage, CriteriaTreeCyclesAndResets)
{
    Window t;
    ASSERT_GT(t.w->treebool_search->topLevelItemCount(), 0);
    QTreeWidgetItem* first = t.w->treebool_search->topLevelItem(0);
    EXPECT_EQ(first->checkState(0), Qt::PartiallyChecked);
    // Three clicks on the box bring a criterion back to neutral.
    QTest::mouseClick(t.w->but_liste[2], Qt::LeftButton);
    const QRect r = t.w->treebool_search->visualItemRect(first);
    const QPoint box(r.left() + 10, r.center().y());
    std::vector<Qt::CheckState> seen;
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(t.w->treebool_search->viewport(), Qt::LeftButton, {}, box);
        seen.push_back(first->checkState(0));
    }
    using S = Qt::CheckState;
    EXPECT_EQ(seen, (std::vector<S>{Qt::Checked, Qt::Unchecked, Qt::PartiallyChecked, Qt::Checked}));
    // "reset" in the tree's popup menu brings every criterion back to neutral.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, box, t.w->treebool_search->viewport()->mapToGlobal(box));
    QApplication::sendEvent(t.w->treebool_search->viewport(), &menu);
    ASSERT_TRUE(t.w->Popuptreesearch->isVisible());
    t.w->Popuptreesearch->actions().front()->trigger();
    t.w->Popuptreesearch->close();
    EXPECT_EQ(first->checkState(0), Qt::PartiallyChecked);
}

TEST(ResultList, HeaderClicksSortAndHiddenRowsAreGrey)
{
    Window t;
    const pMap_info* other = nullptr;
    for (const auto& z : RealmInfo->mapIndex->zones)
        if (z->zoneId != t.sample->zone->zoneId) other = z.get();
    ASSERT_NE(other, nullptr);
    t.add("Qwx b", "", 0, 10, 12, other);
    const int hidden = t.add("Qwx a", "", 0, 50, 55);
    t.add("Qwx c");
    t.search("qwx");
    EXPECT_EQ(t.names(), (std::vector<QString>{"Qwx a", "Qwx b", "Qwx c"}));
    t.clickHeader(SearchResultModel::colName);
    EXPECT_EQ(t.names(), (std::vector<QString>{"Qwx c", "Qwx b", "Qwx a"}));
    EXPECT_EQ(t.w->TreeResult->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    t.clickHeader(SearchResultModel::colName, Qt::RightButton); // other buttons do nothing
    EXPECT_EQ(t.names(), (std::vector<QString>{"Qwx c", "Qwx b", "Qwx a"}));
    t.clickHeader(SearchResultModel::colZone); // a new column sorts ascending
    const int16_t here = t.sample->zone->zoneId, there = other->zoneId;
    EXPECT_EQ(t.names()[here < there ? 2 : 0], "Qwx b");

    // The level filter hides one after the search: its row turns grey, Modif2 says S54.
    t.w->but_liste[0]->click();
    QTest::mouseClick(t.w->CheckBoxlvl, Qt::LeftButton);
    typeInto(t.w->Edit_lvl_max, "40", true);
    ASSERT_FALSE(t.w->MyTreeStore.isVisible(hidden));
    const int r = t.w->TreeResultModel->rowOf(hidden);
    EXPECT_EQ(t.row(r).data(Qt::ForegroundRole).value<QColor>(), QColor(0xCA, 0xC5, 0xBF));
    EXPECT_EQ(t.row(r == 0 ? 1 : 0).data(Qt::ForegroundRole).value<QColor>(), QColor(0xEF, 0xF0, 0xDE));

    // Modif2 is there in edit mode only; no focused row: S8; hidden: S54; else the editor.
    EXPECT_FALSE(t.w->Modif2->isVisible());
    QTest::mouseClick(t.w->but_editmode, Qt::LeftButton);
    EXPECT_TRUE(t.w->Modif2->isVisible());
    std::vector<int> edited;
    t.w->interaction->hooks().Appelle_modifierNode = [&](int node) { edited.push_back(node); };
    t.w->but_liste[2]->click();
    t.w->TreeResult->setCurrentIndex({});
    t.w->Modif2->trigger();
    EXPECT_TRUE(t.f.boxes.saw(messageText(8)));
    t.clickRow(r);
    t.w->Modif2->trigger();
    EXPECT_TRUE(t.f.boxes.saw(messageText(54)));
    EXPECT_TRUE(edited.empty());
    const int v = r == 0 ? 1 : 0, third = 3 - r - v;
    t.clickRow(v);
    t.w->Modif2->trigger();
    EXPECT_EQ(edited, (std::vector<int>{t.w->TreeResultModel->nodeAt(v)}));
    // A row whose location was removed counts as no location: S8, and S11 when picked.
    t.w->MyTreeStore.destroynode(t.w->TreeResultModel->nodeAt(v));
    t.f.boxes.shown.clear();
    t.w->Modif2->trigger();
    EXPECT_TRUE(t.f.boxes.saw(messageText(8)));
    t.clickRow(third);
    t.clickRow(v);
    EXPECT_TRUE(t.f.boxes.saw(messageText(11)));
}

TEST(SidePanel, PagesMoveTheInfoHeaderHintsGoToTheStatusBarAndPositionsCentre)
{
    Window t;
    EXPECT_EQ(t.w->Panel6->parentWidget(), t.w->Pages->widget(0));
    QTest::mouseClick(t.w->but_liste[1], Qt::LeftButton);
    EXPECT_EQ(t.w->Pages->currentIndex(), 1);
    EXPECT_EQ(t.w->Panel6->parentWidget(), t.w->Pages->widget(1));
    QTest::mouseClick(t.w->but_liste[3], Qt::LeftButton);
    EXPECT_EQ(t.w->Panel6->parentWidget(), t.w->Pages->widget(1)); // stays with the last of pages 1 and 2
    // F1 presses the tree page's button.
    t.w->ImageMapView->setFocus();
    QTest::keyClick(t.w->ImageMapView, Qt::Key_F1);
    EXPECT_TRUE(t.w->but_liste[0]->isChecked());
    EXPECT_EQ(t.w->Panel6->parentWidget(), t.w->Pages->widget(0));
    // Pressing the down button again releases it: the side panel closes.
    QTest::mouseClick(t.w->but_liste[0], Qt::LeftButton);
    EXPECT_FALSE(t.w->PanelDock->isVisible());

    // Edit mode shows its commands and says so; tool hints: H7 without its marker in the
    // status bar.
    QTest::mouseClick(t.w->but_editmode, Qt::LeftButton);
    EXPECT_TRUE(t.w->ajouter1->isVisible());
    const QString said = ToDisplay(t.w->FeedbackList[t.w->FeedbackList.size() - 2].text);
    EXPECT_EQ(said, messageText(44).section('\n', -1));
    hover(t.w->but_sav, QPoint(5, 5));
    EXPECT_EVENTUALLY(t.w->statusBar()->currentMessage() == ToDisplay(GetHintText(7).substr(1)));
    EXPECT_EQ(t.w->statusBar()->currentMessage(), ToDisplay(GetHintText(7).substr(1)));
    hover(t.w->but_liste[2], QPoint(6, 6));
    EXPECT_EVENTUALLY(t.w->statusBar()->currentMessage() == ToDisplay(GetHintText(22).substr(1)));
    EXPECT_EQ(t.w->statusBar()->currentMessage(), ToDisplay(GetHintText(22).substr(1)));
    QTest::mouseClick(t.w->but_editmode, Qt::LeftButton);
    EXPECT_FALSE(t.w->ajouter1->isVisible());

    // The positions page: its captions, and the circles centre the map on their point.
    for (auto [shown, caption] : {std::pair{t.w->GroupBox4->title(), 17}, {t.w->GroupBox7->title(), 19},
                                  {t.w->GroupBox5->title(), 20}, {t.w->but_boussole->text(), 86}})
        EXPECT_EQ(shown, ToDisplay(GetCaptionText(caption))) << caption;

    t.showOnMap(t.add("Qwx Ici"));
    QTest::mouseClick(t.w->but_liste[3], Qt::LeftButton);
    auto centreWorld = [&] { return t.w->scene.view.screen_to_world(t.w->scene.view.view_center()); };
    const QPoint before = centreWorld();
    QTest::mouseClick(t.w->Shape_dest, Qt::LeftButton, {}, QPoint(8, 8)); // unset: nothing
    EXPECT_EQ(centreWorld(), before);
    typeInto(t.w->Edit_myX, "60", true);
    typeInto(t.w->Edit_myY, "5", true);
    ASSERT_NE(t.w->scene.MyPos.Zone, nullptr);
    QTest::mouseClick(t.w->Shape_perso, Qt::LeftButton, {}, QPoint(8, 8));
    const QPoint centre = centreWorld();
    const int pixel = 65535 / t.w->scene.view.Zoom + 1; // world units of one screen pixel
    EXPECT_NEAR(centre.x(), t.w->scene.MyPos.WorldX, pixel);
    EXPECT_NEAR(centre.y(), t.w->scene.MyPos.WorldY, pixel);
}

TEST(RedirectLinks, MenuItemsFollowTheHoveredLocation)
{
    Window t;
    const int target = t.add("Qwx Cible", "", 4000);
    const int source = t.add("Qwx Source", "voir { qwx cible}, {A&B} {Nulle part}");
    const int plain = t.add("Qwx Simple", "sans lien", -4000);
    const int bare = t.add("Qwx Nu", "", 0, 10, 12);
    t.w->MyTreeStore.nodeData(bare)->item->y = 34000;
    t.w->MyTreeStore.contentChanged();
    const int ownItems = int(t.w->Menu_image->actions().size());
    const QPoint at = t.showOnMap(source);
    // Showing it filled the info page; hovering it then still makes it the location under
    // the mouse, with its link items (the map menu must act on it).
    hover(t.w->ImageMapView, at);
    EXPECT_EQ(t.linkItems().size(), 4u);
    hover(t.w->ImageMapView, at + QPoint(0, 40));
    hover(t.w->ImageMapView, at);
    EXPECT_EQ(t.linkItems(), (std::vector<QString>{" qwx cible", "A&&B", "Nulle part", "-"}));
    // Another location replaces them: a note without braces gives the separator alone.
    hover(t.w->ImageMapView, iconOf(*t.w, plain));
    EXPECT_EQ(t.linkItems(), (std::vector<QString>{"-"}));
    hover(t.w->ImageMapView, iconOf(*t.w, bare));
    EXPECT_TRUE(t.linkItems().empty());
    hover(t.w->ImageMapView, at);
    EXPECT_EQ(t.linkItems().size(), 4u);
    // Leaving the locations removes them; the menu's own items stay.
    hover(t.w->ImageMapView, at + QPoint(0, 40));
    EXPECT_EVENTUALLY(t.linkItems().empty());
    EXPECT_EQ(int(t.w->Menu_image->actions().size()), ownItems);

    // Choosing a link item shows the named location, chosen on the map shown.
    hover(t.w->ImageMapView, at);
    t.w->Menu_image->actions().front()->trigger();
    EXPECT_EVENTUALLY(t.w->scene.SelectionChain[0] == target) << "the link is followed from a posted call";
    EXPECT_EQ(t.w->scene.SelectionChain[0], target);
    t.w->Menu_image->actions()[2]->trigger();
    EXPECT_EVENTUALLY(t.f.boxes.saw(messageText(11)));
    EXPECT_TRUE(t.f.boxes.saw(messageText(11)));
}

TEST(RedirectLinks, InfoPageListsLinksDrawsLinesAndFollows)
{
    Window t;
    const pMap_info* elsewhere = nullptr;
    for (const auto& z : RealmInfo->mapIndex->zones)
        if (z->regionId != t.sample->zone->regionId) elsewhere = z.get();
    ASSERT_NE(elsewhere, nullptr);
    const std::string q45(45, 'Q');
    const int target = t.add("Qwx Cible", "", 4000);
    const int far = t.add(q45, "", 0, 10, 12, elsewhere); // stored cut to 40
    const int source = t.add("Qwx Source", "voir {qwx cible} {" + q45 + "} {Nulle part}", 0, 10, 40);
    // Player level 10: the two level boxes differ in colour.
    typeInto(t.w->Editlvl, "10", true);
    // A click on the location shows the info page.
    const QPoint at = t.showOnMap(source);
    t.w->select_node(kNoTreeNode);
    QTest::mouseClick(t.w->ImageMapView, Qt::LeftButton, {}, at);
    EXPECT_EVENTUALLY(t.w->but_liste[1]->isChecked() && t.w->TreeRedir->topLevelItemCount() == 3);
    EXPECT_TRUE(t.w->but_liste[1]->isChecked());
    EXPECT_EQ(t.w->Pages->currentIndex(), 1);
    ASSERT_EQ(t.w->TreeRedir->topLevelItemCount(), 3);
    EXPECT_EQ(t.w->TreeRedir->topLevelItem(1)->text(0), QString(40, 'Q'));
    EXPECT_EQ(t.w->TreeRedir->header()->logicalIndex(0), 1); // the icon column first
    EXPECT_FALSE(t.w->TreeRedir->topLevelItem(0)->icon(1).isNull());
    ASSERT_EQ(t.w->scene.RedirLines.size(), 1u); // only the target on this map
    EXPECT_EQ(t.w->scene.RedirLines[0].colour, 0xFFFF8800u);
    // The header: level boxes in their colours, the note and link icons.
    EXPECT_EQ(t.w->Label8->text(), "10");
    EXPECT_EQ(t.w->Label9->text(), "40");
    EXPECT_NE(t.w->Shape2->brushColour(), t.w->Shape3->brushColour());
    EXPECT_FALSE(t.w->Image3->image().isNull());
    EXPECT_FALSE(t.w->Image4->image().isNull());

    // An entry whose name no location has: S11. The cut name finds the location on the
    // other map, which the map switches to.
    t.clickLink(2);
    EXPECT_TRUE(t.f.boxes.saw(messageText(11)));
    t.clickLink(1);
    EXPECT_EQ(t.w->scene.SelectionChain[0], far);
    EXPECT_EQ(t.w->scene.CurrentMapId, elsewhere->regionId);
    EXPECT_TRUE(t.w->scene.RedirLines.empty());
    EXPECT_TRUE(t.w->Image4->image().isNull()); // the location shown now has no links
    t.w->localize_data(source, true);
    t.clickLink(0);
    EXPECT_EQ(t.w->scene.SelectionChain[0], target);
}

TEST(TranslationMode, TheLanguageBoxIsAnnouncedAndDrivesTheFilter)
{
    MainWindowFixture f;
    auto w = std::make_unique<TForm4>(f.exe, f.dialogs());
    Preferences.TRAN = true;
    w->FormActivate();
    Preferences.TRAN = false;
    EXPECT_TRUE(f.boxes.saw(messageText(55, f.database())));
    EXPECT_EQ(w->CheckBox17->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(w->scene.overlays.traduc, TraducCheck::Grayed);
    w->CheckBox17->setCheckState(Qt::Checked);
    EXPECT_EQ(w->scene.overlays.traduc, TraducCheck::Checked);
    EXPECT_EQ(w->CheckBox17->text(), ToDisplay(GetCaptionText(130)));
}

TEST(ResultList, SolidGridLinesRunAlongTheCellsOfTheRows)
{
    Window t;
    t.add("Qwx a");
    t.add("Qwx b");
    t.search("qwx");
    ASSERT_EQ(t.w->TreeResultModel->rowCount(), 2);
    const QImage shot = t.w->TreeResult->viewport()->grab().toImage();
    const QColor line = QGuiApplication::palette().color(QPalette::Button);
    ASSERT_NE(line, QColor(0x80, 0x80, 0x80));
    const QRect first = t.w->TreeResult->visualRect(t.row(0));
    for (int x = first.left(); x <= first.right(); ++x) EXPECT_EQ(shot.pixelColor(x, first.bottom()), line) << x;
    for (int y = first.top(); y <= first.bottom(); ++y) EXPECT_EQ(shot.pixelColor(first.right(), y), line) << y;
    // Below the last row the list is bare.
    const QRect last = t.w->TreeResult->visualRect(t.row(1));
    EXPECT_EQ(shot.pixelColor(last.right(), last.bottom() + 3), QColor(0x80, 0x80, 0x80));
}

TEST(SidePanel, TheTreeJoinsNodesWithSolidLinesInItsLineColour)
{
    Window t;
    QTest::mouseClick(t.w->but_liste[0], Qt::LeftButton);
    LocationTreeView* tree = t.w->MyTree;
    const LocationTreeModel& model = *t.w->MyTreeModel;
    ASSERT_GT(model.rowCount(), 1);
    const QModelIndex map = model.index(0, LocationTreeModel::TextColumn);
    ASSERT_GT(model.rowCount(map), 0);
    tree->setFocus();
    tree->setCurrentIndex(map);
    QTest::keyClick(tree, Qt::Key_Right); // expands the first map
    ASSERT_TRUE(tree->isExpanded(map));
    const QRect zone = tree->visualRect(model.index(0, LocationTreeModel::TextColumn, map));
    const int indent = tree->indentation(), middle = zone.top() + zone.height() / 2;
    const QImage shot = tree->viewport()->grab().toImage();
    const QColor line = QColor::fromRgb(LocationTreeView::kLineColour);
    // The map's line runs on past its zone to the next map; the zone's stub reaches its text.
    for (int y = zone.top(); y <= zone.bottom(); ++y)
        EXPECT_EQ(shot.pixelColor(zone.left() - 2 * indent + indent / 2, y), line) << y;
    EXPECT_EQ(shot.pixelColor(zone.left() - 1, middle), line);
}

TEST(SearchIndex, BuiltWhileIdleAfterTheLoadCutPasteAndMergeAndListsWhatABuildAtOnceLists)
{
    EditWindow e(4000);
    auto idle = [&] { return e.w->findChild<SearchIndexIdleBuild*>("searchIndexIdleBuild"); };
    ASSERT_TRUE(idle());
    // The rows of the list and its caption after a click on the search button.
    auto listed = [&] {
        QTest::mouseClick(e.w->Button1, Qt::LeftButton);
        std::vector<int> rows;
        for (int r = 0; r < e.w->TreeResultModel->count(); ++r) rows.push_back(e.w->TreeResultModel->nodeAt(r));
        return std::pair(rows, e.w->Label6->text());
    };
    // The same click with a search that builds its index at once.
    auto listedAtOnce = [&] {
        TForm4& w = *e.w;
        auto kept = std::move(w.searcher);
        w.searcher = std::make_unique<LocationSearch>(w.MyTreeStore);
        w.scene.search = w.searcher.get();
        const auto got = listed();
        w.searcher = std::move(kept);
        w.scene.search = w.searcher.get();
        return got;
    };
    auto searchPage = [&] {
        QTest::mouseClick(e.w->but_liste[2], Qt::LeftButton);
        typeInto(e.w->Edit1, "e");
        e.w->CheckBox2->setChecked(true);
    };
    searchPage();

    // Ready after the load without a search asking for it.
    ASSERT_TRUE(idleUntil([&] { return e.w->searcher->upToDate(); }));
    EXPECT_GT(idle()->slices(), 0);
    EXPECT_FALSE(idle()->active());
    const auto first = listed();
    EXPECT_GT(first.first.size(), 100u);
    EXPECT_EQ(first, listedAtOnce());

    // A cut: stale, made ready again while idle, without the location cut.
    const int db = e.findLocation([&](const TNodeData& d) {
        return d.item->fromMaster && NormalizeText(d.item->name).find('E') != std::string::npos;
    });
    ASSERT_NE(db, kNoTreeNode);
    const std::string name = e.item(db).name;
    const QPoint p = e.hover(db);
    e.mapMenu(p, e.w->coupernode1);
    ASSERT_FALSE(e.tree().isNode(db));
    const int slicesBefore = idle()->slices();
    ASSERT_TRUE(idleUntil([&] { return e.w->searcher->upToDate(); }));
    EXPECT_GT(idle()->slices(), slicesBefore);
    const auto afterCut = listed();
    EXPECT_EQ(std::count(afterCut.first.begin(), afterCut.first.end(), db), 0);
    EXPECT_EQ(afterCut, listedAtOnce());

    // A paste, searched at once: the click finishes the index itself.
    e.mapMenu(e.hoverEmpty(p), e.w->Copiernode1);
    ASSERT_EQ(e.userMade(name).size(), 1u);
    EXPECT_FALSE(e.w->searcher->upToDate());
    const auto afterPaste = listed();
    EXPECT_EQ(std::count(afterPaste.first.begin(), afterPaste.first.end(), e.userMade(name)[0]), 1);
    EXPECT_EQ(afterPaste, listedAtOnce());

    // Saved and started again: the additions file merged into the new tree, the index made
    // while idle once the load is over.
    QTest::mouseClick(e.w->but_sav, Qt::LeftButton);
    e.f.boxes.answers = {kAnswerNo};
    e.w.reset();
    e.start();
    searchPage();
    ASSERT_TRUE(idleUntil([&] { return e.w->searcher->upToDate(); }));
    EXPECT_GT(idle()->slices(), 0);
    const auto merged = listed();
    EXPECT_EQ(std::count(merged.first.begin(), merged.first.end(), e.userMade(name)[0]), 1);
    EXPECT_EQ(merged, listedAtOnce());
}

TEST(ResultList, SortingKeepsThePickedRowPickedAndInView)
{
    Window t;
    for (int i = 0; i < 80; ++i) t.add(QString("Qwx %1").arg(i, 2, 10, QChar('0')).toStdString(), "", i * 10);
    t.search("qwx");
    ASSERT_EQ(t.w->TreeResultModel->rowCount(), 80);
    t.clickRow(0);
    const int picked = t.w->TreeResultModel->nodeAt(0);
    const QRect view = t.w->TreeResult->viewport()->rect();
    // Descending by name: the picked row moves to the end of the list, out of the part shown.
    t.clickHeader(SearchResultModel::colName);
    ASSERT_EQ(t.names().back(), "Qwx 00");
    const QModelIndex current = t.w->TreeResult->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_EQ(t.w->TreeResultModel->nodeAt(current.row()), picked);
    EXPECT_TRUE(view.contains(t.w->TreeResult->visualRect(current))) << "the picked row scrolled out of view";
    // Back to ascending: it is the first row again, and the list shows it.
    t.clickHeader(SearchResultModel::colName);
    EXPECT_EQ(t.w->TreeResultModel->nodeAt(t.w->TreeResult->currentIndex().row()), picked);
    EXPECT_TRUE(view.contains(t.w->TreeResult->visualRect(t.w->TreeResult->currentIndex())));
}
