// Side panel controls as a user works them: the jump group (a typed place code and its
// button, a location whose link is a place code), the position zone lists and the compass
// switch, the search page's lists and boxes, and a link item of the map menu.
#include <iomanip>
#include <sstream>

#include "main_window_fixture.h"
#include "search_result_model.h"

namespace {

struct PanelWindow {
    MainWindowFixture f;
    std::unique_ptr<TForm4> w;

    explicit PanelWindow(int zones = 6) : f(true, 300, zones), w(f.startShown({1100, 760}))
    {
        QApplication::setActiveWindow(w.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    void showPage(int i)
    {
        if (!w->but_liste[size_t(i)]->isChecked()) QTest::mouseClick(w->but_liste[size_t(i)], Qt::LeftButton);
        ASSERT_EQ(w->Pages->currentIndex(), i);
        ASSERT_TRUE(w->PanelDock->isVisible());
    }
    QPoint worldAtCentre() const { return w->scene.view.screen_to_world(w->scene.view.view_center()); }
    // Chooses the combo box's item with the keyboard, as a user steps through it.
    void choose(QComboBox* combo, int index)
    {
        combo->setFocus();
        while (combo->currentIndex() < index) QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > index) QTest::keyClick(combo, Qt::Key_Up);
    }
    std::vector<int> results() const
    {
        std::vector<int> out;
        for (int r = 0; r < w->TreeResultModel->rowCount(); ++r) out.push_back(w->TreeResultModel->nodeAt(r));
        return out;
    }
};

std::string placeCode(int zoneId, int x, int y)
{
    std::ostringstream s;
    s << "J_1" << std::uppercase << std::hex << std::setfill('0') << std::setw(4) << (zoneId & 0xFFFF) << std::setw(4)
      << x << std::setw(4) << y;
    return s.str();
}

} // namespace

TEST(JumpGesture, ATypedCodeShowsItsPointAFaultyOneSaysSoAndALocationsCodeJumpsOnClick)
{
    PanelWindow t;
    const pMap_info& zone = *RealmInfo->mapIndex->zones.back();
    const std::string code = placeCode(zone.zoneId, 0x1000, 0x2000);
    t.showPage(3);
    typeInto(t.w->EditJump, FromCp1252(code));
    ASSERT_EQ(t.w->EditJump->text(), FromCp1252(code));
    QTest::mouseClick(t.w->Button2, Qt::LeftButton);
    const QPoint world = MapViewport::worldmaptoworld(QPoint(0x1000, 0x2000), zone);
    EXPECT_EQ(t.w->scene.CurrentMapId, zone.regionId);
    EXPECT_TRUE(t.w->scene.Target.Visible);
    EXPECT_EQ(QPoint(t.w->scene.Target.X, t.w->scene.Target.Y), world);
    const int pixel = 65536 / t.w->scene.view.Zoom + 2;
    EXPECT_NEAR(t.worldAtCentre().x(), world.x(), pixel);
    EXPECT_NEAR(t.worldAtCentre().y(), world.y(), pixel);

    // A code whose fields are not whole: S42 on the map, nothing moves.
    const QPoint centre = t.worldAtCentre();
    typeInto(t.w->EditJump, "J_1AB");
    QTest::mouseClick(t.w->Button2, Qt::LeftButton);
    EXPECT_EQ(lastFeedback(*t.w), messageText(42, "J_1AB").section('\n', -1));
    EXPECT_EQ(t.worldAtCentre(), centre);

    // A location whose link is a place code jumps there when clicked, instead of its info page.
    const pMap_info& home = *RealmInfo->mapIndex->zones.front();
    t.w->localize_data(home.treeNode, false);
    t.w->scene.view.zoomFromBar(1500);
    t.w->ImageMapView->repaint();
    const ByteBuffer& hits = t.w->scene.HitTestStream.data;
    ASSERT_GE(hits.size(), sizeof(HitTestRecord));
    HitTestRecord first;
    std::memcpy(&first, hits.data(), sizeof first);
    rItemdata& item = *t.w->MyTreeStore.nodeData(first.node)->item;
    item.command = std::make_unique<rCommand>();
    item.command->text = placeCode(zone.zoneId, 0x3000, 0x0100);
    const QPoint icon(first.x, first.y);
    moveOverMap(*t.w, icon);
    t.showPage(0);
    QTest::mouseClick(t.w->ImageMapView, Qt::LeftButton, {}, icon);
    EXPECT_EQ(t.w->scene.CurrentMapId, zone.regionId);
    EXPECT_EQ(QPoint(t.w->scene.Target.X, t.w->scene.Target.Y), MapViewport::worldmaptoworld(QPoint(0x3000, 0x0100), zone));
    EXPECT_EQ(t.w->Pages->currentIndex(), 0) << "no info page";
}

TEST(PositionGestures, TheZoneListsPlaceTheMarkersAndTheCompassSwitchHidesTheLine)
{
    PanelWindow t(16);
    // A map of two zones or more.
    for (const auto& z : RealmInfo->mapIndex->zones) {
        t.w->localize_data(z->treeNode, false);
        if (t.w->scene.DisplayedZones.size() >= 2) break;
    }
    ASSERT_GE(t.w->scene.DisplayedZones.size(), 2u);
    t.showPage(3);
    typeInto(t.w->Edit_myX, "10", true);
    typeInto(t.w->Edit_myY, "20", true);
    typeInto(t.w->Edit_otherX, "30", true);
    typeInto(t.w->Edit_otherY, "40", true);
    t.choose(t.w->ComboBox4, 1);
    EXPECT_EQ(t.w->scene.MyPos.Zone, t.w->scene.DisplayedZones[1]);
    EXPECT_EQ(QPoint(t.w->scene.MyPos.X, t.w->scene.MyPos.Y), QPoint(10000, 20000));
    t.choose(t.w->ComboBox5, 1);
    EXPECT_EQ(t.w->scene.OtherPos.Zone, t.w->scene.DisplayedZones[1]);
    EXPECT_EQ(QPoint(t.w->scene.OtherPos.X, t.w->scene.OtherPos.Y), QPoint(30000, 40000));
    EXPECT_TRUE(t.w->scene.overlays.compass);

    // The compass switch: off, the line goes and the map menu's marker items rest.
    ASSERT_TRUE(t.w->but_boussole->isChecked());
    QTest::mouseClick(t.w->but_boussole, Qt::LeftButton, {}, QPoint(6, t.w->but_boussole->height() / 2));
    EXPECT_FALSE(t.w->but_boussole->isChecked());
    EXPECT_FALSE(t.w->scene.overlays.compass);
    EXPECT_FALSE(t.w->scene.MyPos.Visible || t.w->scene.OtherPos.Visible) << "both markers hidden";
    EXPECT_EQ(t.w->scene.MyPos.Zone, t.w->scene.DisplayedZones[1]) << "the positions stay";
    const QPoint p = t.w->scene.view.world_to_screen(MapViewport::zone_center(*t.w->scene.DisplayedZones[0]));
    moveOverMap(*t.w, p);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, p, t.w->ImageMapView->mapToGlobal(p));
    QApplication::sendEvent(t.w->ImageMapView, &menu);
    ASSERT_TRUE(t.w->Menu_image->isVisible());
    EXPECT_FALSE(t.w->BMy->isEnabled());
    EXPECT_FALSE(t.w->BOther->isEnabled());
    t.w->Menu_image->close();
    QTest::mouseClick(t.w->but_boussole, Qt::LeftButton, {}, QPoint(6, t.w->but_boussole->height() / 2));
    EXPECT_TRUE(t.w->scene.overlays.compass);
    EXPECT_TRUE(t.w->scene.MyPos.Visible && t.w->scene.OtherPos.Visible);

    // Two digits at most, 65 thousand at most; an emptied edit counts as 0.
    typeInto(t.w->Edit_myX, "997", true);
    EXPECT_EQ(t.w->Edit_myX->text(), "99");
    EXPECT_EQ(t.w->scene.MyPos.X, 65000);
    t.w->Edit_myY->setFocus();
    QTest::keyClick(t.w->Edit_myY, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(t.w->Edit_myY, Qt::Key_Backspace);
    QTest::keyClick(t.w->Edit_myY, Qt::Key_Return);
    EXPECT_TRUE(t.w->Edit_otherX->hasFocus()) << "Enter goes on to the next edit";
    EXPECT_EQ(t.w->scene.MyPos.Y, 0);
}

TEST(SearchGestures, CategoryTypeAndScopeChosenInTheirListsCheckTheirBoxesAndNarrowTheSearch)
{
    PanelWindow t;
    const pMap_info& zone = *RealmInfo->mapIndex->zones.front();
    t.w->localize_data(zone.treeNode, false);
    t.showPage(2);
    // Boxes clicked off: no text criterion.
    t.w->Edit1->clear();
    for (QCheckBox* box : {t.w->CheckBox1, t.w->CheckBox2})
        if (box->isChecked()) QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    // A category chosen in its list checks its box; the search lists that category only.
    ASSERT_FALSE(t.w->CheckBox3->isChecked());
    t.choose(t.w->ComboCateg, 1);
    EXPECT_TRUE(t.w->CheckBox3->isChecked());
    const auto* categ = reinterpret_cast<const rCateg*>(t.w->ComboCateg->currentData().value<quintptr>());
    ASSERT_NE(categ, nullptr);
    QTest::mouseClick(t.w->Button1, Qt::LeftButton);
    const std::vector<int> byCategory = t.results();
    ASSERT_FALSE(byCategory.empty());
    for (int n : byCategory) EXPECT_EQ(t.w->MyTreeStore.nodeData(n)->category, categ);

    // The displayed map as scope keeps the results of the map shown.
    t.choose(t.w->ComboBox6, 1);
    QTest::mouseClick(t.w->Button1, Qt::LeftButton);
    const std::vector<int> onMap = t.results();
    EXPECT_LT(onMap.size(), byCategory.size());
    for (int n : onMap) EXPECT_EQ(t.w->MyTreeStore.nodeData(n)->zone->regionId, t.w->scene.CurrentMapId);

    // A type chosen in its list checks its box; every result has that type.
    t.choose(t.w->ComboBox6, 0);
    QTest::mouseClick(t.w->CheckBox3, Qt::LeftButton, {}, QPoint(6, t.w->CheckBox3->height() / 2));
    ASSERT_FALSE(t.w->CheckBox3->isChecked());
    ASSERT_FALSE(t.w->CheckBox15->isChecked());
    t.choose(t.w->ComboBox8, 1);
    EXPECT_TRUE(t.w->CheckBox15->isChecked());
    QTest::mouseClick(t.w->Button1, Qt::LeftButton);
    for (int n : t.results()) EXPECT_EQ(t.w->MyTreeStore.nodeData(n)->item->typeId, 2);

    // The exact box, clicked: a whole name finds that name only, a part of it nothing.
    QTest::mouseClick(t.w->CheckBox15, Qt::LeftButton, {}, QPoint(6, t.w->CheckBox15->height() / 2));
    const std::string whole = t.w->MyTreeStore.nodeData(byCategory.front())->item->name;
    QTest::mouseClick(t.w->CheckBox6, Qt::LeftButton, {}, QPoint(6, t.w->CheckBox6->height() / 2));
    ASSERT_TRUE(t.w->CheckBox6->isChecked());
    typeInto(t.w->Edit1, ToDisplay(whole), true);
    ASSERT_FALSE(t.results().empty());
    for (int n : t.results()) EXPECT_EQ(NormalizeText(t.w->MyTreeStore.nodeData(n)->item->name), NormalizeText(whole));
    typeInto(t.w->Edit1, ToDisplay(whole.substr(0, whole.size() - 1)), true);
    EXPECT_TRUE(t.results().empty());
}

TEST(MapMenuLinkGesture, ALinkItemOfTheMenuShowsTheNamedLocation)
{
    PanelWindow t;
    // Two locations of one category side by side, the first naming the second in its note.
    const pMap_info& zone = *RealmInfo->mapIndex->zones.front();
    const rCateg* categ = nullptr;
    t.w->MyTreeStore.forEachLocation([&](int, const TNodeData& d) {
        if (!categ && d.zone == &zone) categ = d.category;
    });
    ASSERT_NE(categ, nullptr);
    auto add = [&](const std::string& name, const std::string& note, uint32_t x) {
        rnew_node r;
        r.name = name;
        r.description = note;
        r.zoneId = uint16_t(zone.zoneId);
        r.categoryId = categ->id;
        r.x = x;
        r.y = 30000;
        r.hasItem = 1;
        return t.w->MyTreeStore.addnode(r);
    };
    const int target = add("Qwx Cible", "", 36000);
    const int source = add("Qwx Source", "voir {Qwx Cible}", 30000);
    t.w->localize_data(source, true);
    t.w->ImageMapView->repaint();
    const QPoint at = iconOf(*t.w, source);
    ASSERT_NE(at, QPoint(-1, -1));
    moveOverMap(*t.w, at + QPoint(0, 30));
    moveOverMap(*t.w, at);
    ASSERT_EQ(t.w->scene.HotNode, source);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, t.w->ImageMapView->mapToGlobal(at));
    QApplication::sendEvent(t.w->ImageMapView, &menu);
    ASSERT_TRUE(t.w->Menu_image->isVisible());
    QAction* link = t.w->Menu_image->actions().front();
    ASSERT_EQ(link->text(), "Qwx Cible");
    QTest::mouseClick(t.w->Menu_image, Qt::LeftButton, {}, t.w->Menu_image->actionGeometry(link).center());
    EXPECT_EVENTUALLY(t.w->scene.SelectionChain[0] == target);
    EXPECT_EQ(t.w->Label1->text(), "Qwx Cible");
}
