// Map loading and selection: the map switch with its progress and its faults (missing and
// corrupt images), showing zone and location nodes, the selection chain, the view reset
// and the zone image lookup.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include <QGuiApplication>

#include "jpeg_writer.h"
#include "log.h"
#include "map_fixture.h"
#include "map_loading.h"
#include "map_renderer.h"

namespace {

std::vector<uint8_t> solidJpeg(int size, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> pixels;
    for (int i = 0; i < size * size; ++i) pixels.insert(pixels.end(), {r, g, b});
    return EncodeJpeg(pixels, size, size, 3, JCS_RGB);
}

std::vector<uint8_t> vectorFile()
{
    // One block of two points: count, then x, y as u16 each.
    return {2, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
}

class MapLoadingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.writeFile(f.mapsPath("zone_nw.jpg"), solidJpeg(16, 255, 0, 0));
        f.writeBmp(f.mapsPath("ZONE_NE.BMP"), 0xFF00FF00, 12);
        f.writeFile(f.mapsPath("Zone_SW.jpg"), solidJpeg(16, 0, 0, 255));
        f.writeBmp(f.mapsPath("zone_se.bmp"), 0xFFFFFF00, 12);
        f.writeFile(f.mapsPath("zone_nw.vec"), vectorFile());
        f.writeBmp(f.mapsPath("zone_other.bmp"), 0xFF808080, 12);
        loc = f.add("Fort", 10, 1, 1000, 2000);
        f.scene.view.restoreZoom(100);
        f.scene.view.OffsetX = 7;
        f.scene.view.OffsetY = 9;
    }
    MapFixture f;
    int loc = kNoTreeNode;
};

TEST_F(MapLoadingTest, MapSwitchLoadsOnceAndReportsTheZoneCountAsMaximum)
{
    f.herbs->iconsNow = 1;
    localize_data(f.scene, f.nw->treeNode, false);
    EXPECT_TRUE(f.herbs->iconsNow == 0 && f.towns->iconsNow == 1); // level of detail at zoom 100
    EXPECT_EQ(std::pair(f.scene.CurrentMapId, f.scene.CurrentMapNode),
              std::pair(int32_t(kMap1), f.tree.parentOf(f.nw->treeNode)));
    EXPECT_EQ(f.scene.DisplayedZones, (std::vector<pMap_info*>{f.nw, f.ne, f.sw, f.se}));
    std::vector<std::string> progress;
    std::copy_if(f.events.begin(), f.events.end(), std::back_inserter(progress),
                 [](const std::string& e) { return e.starts_with("progress"); });
    EXPECT_EQ(progress, (std::vector<std::string>{"progressMaximum 4", "progressPosition 1",
                                                  "progressPosition 2", "progressPosition 3",
                                                  "progressPosition 4", "progressHide"}));
    EXPECT_EQ(f.count("S"), 0u);
    // NE found as ZONE_NE.BMP, SW as Zone_SW.jpg; only NW has vectors, one block of two points.
    EXPECT_EQ(std::tuple(f.nw->image->size(), f.sw->image->size(), f.nw->tile->size()),
              std::tuple(QSize(16, 16), QSize(16, 16), QSize(1, 1)));
    EXPECT_EQ(f.ne->image->pixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(std::pair(f.nw->vectors->size(), f.ne->vectors->size()), std::pair(size_t(2 + 16), size_t(0)));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Another node of the same map: nothing is loaded again.
    const QImage* before = f.nw->image.get();
    f.events.clear();
    localize_data(f.scene, loc, true);
    localize_data(f.scene, f.se->treeNode, false);
    EXPECT_EQ(f.count("progress") + f.count("checkMapMenu"), 0u);
    EXPECT_EQ(f.nw->image.get(), before);
    EXPECT_EQ(f.count("repaintTree"), 2u);
}

TEST_F(MapLoadingTest, CorruptAndMissingImagesAreReportedAndTheLoadGoesOnAFailingHookEndsIt)
{
    QFile::remove(f.mapsPath("zone_nw.jpg")); // missing: its vectors are still loaded
    const std::vector<uint8_t> corrupt = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 9, 9, 9};
    f.writeFile(f.mapsPath("zone_ne.jpg"), corrupt);
    f.writeFile(f.mapsPath("Zone_SW.jpg"), corrupt);
    QFile::remove(f.mapsPath("ZONE_NE.BMP"));
    std::vector<std::string> log;
    SetLogSink([&](const std::string& line) { log.push_back(line); });
    localize_data(f.scene, f.nw->treeNode, false);
    SetLogSink({});
    ASSERT_EQ(f.scene.DisplayedZones.size(), 4u);
    EXPECT_TRUE(f.nw->image->isNull() && f.ne->image->isNull() && f.sw->image->isNull());
    EXPECT_EQ(f.nw->vectors->size(), 18u);
    EXPECT_EQ(f.se->image->size(), QSize(12, 12)); // the zones after them loaded
    EXPECT_EQ(f.count("S 53"), 1u); // once for the whole map
    EXPECT_EQ(f.count("progressPosition 4") + f.count("progressHide"), 2u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // One line per broken file, naming it, in zone order (the images decode on workers).
    std::vector<std::string> named;
    for (const auto& line : log)
        for (const char* name : {"zone_ne.jpg", "Zone_SW.jpg"})
            if (line.find(name) != std::string::npos) named.push_back(name);
    EXPECT_EQ(named, (std::vector<std::string>{"zone_ne.jpg", "Zone_SW.jpg"}));

    // A hook that fails still takes the progress bar and the busy cursor down.
    f.events.clear();
    f.scene.hooks.build_links = [] { throw std::runtime_error("links"); };
    EXPECT_THROW(load_map_zones(f.scene), std::runtime_error);
    EXPECT_EQ(f.count("progressHide"), 1u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MapLoadingTest, SwitchingMapsForgetsThePreviousOne)
{
    localize_data(f.scene, f.nw->treeNode, false);
    f.scene.MyPos.Zone = f.nw;
    f.scene.MyPos.Visible = true;
    f.scene.Waypoints = {{1, 2, f.nw}};
    f.scene.waypointMode = true;
    f.scene.Paths.resize(3);
    f.scene.LinkLines.resize(2);
    f.scene.RedirLines.resize(2);
    f.scene.view.ZoomBeforeDblClick = 250;
    f.events.clear();
    localize_data(f.scene, f.other->treeNode, false);
    EXPECT_EQ(f.scene.DisplayedZones, std::vector{f.other});
    EXPECT_TRUE(!f.nw->image && !f.nw->tile && !f.nw->vectors) << "the zone data released";
    EXPECT_TRUE(!f.scene.MyPos.Zone && !f.scene.MyPos.Visible) << "the position forgotten";
    EXPECT_TRUE(f.scene.Waypoints.empty() && !f.scene.waypointMode);
    EXPECT_TRUE(f.scene.LinkLines.empty() && f.scene.RedirLines.empty() && f.scene.Paths.empty());
    EXPECT_EQ(f.scene.view.ZoomBeforeDblClick, 0);
    EXPECT_EQ(f.scene.CurrentMapId, kMap2);
    EXPECT_EQ(f.count("progressMaximum 1"), 1u);
}

TEST_F(MapLoadingTest, ZoneNodeKeepCentreOrZoneCentre)
{
    localize_data(f.scene, f.nw->treeNode, false, true, 5, 5); // keep: the view stays
    EXPECT_EQ(std::tuple(f.scene.view.OffsetX, f.scene.Target.Visible, f.scene.SelectionChain[0]),
              std::tuple(7, false, f.nw->treeNode));
    EXPECT_EQ(f.scene.SelectionZone, f.nw);

    localize_data(f.scene, f.se->treeNode, true, false, 1000, 2000);
    const QPoint world = MapViewport::worldmaptoworld(QPoint(1000, 2000), *f.se);
    EXPECT_EQ(f.scene.view.world_to_screen(world), f.scene.view.view_center());
    EXPECT_TRUE(f.scene.Target.Visible);
    EXPECT_EQ(QPoint(f.scene.Target.X, f.scene.Target.Y), world);

    localize_data(f.scene, f.ne->treeNode, false);
    EXPECT_EQ(f.scene.view.world_to_screen(MapViewport::zone_center(*f.ne)), f.scene.view.view_center());
    EXPECT_FALSE(f.scene.Target.Visible); // the selection hid it
}

TEST_F(MapLoadingTest, LocationNodeIsCheckedShownInTheInfoPanelAndCentredOnRequest)
{
    f.tree.setCheckState(loc, NodeCheck::Unchecked);
    localize_data(f.scene, loc, false);
    EXPECT_EQ(f.tree.checkState(loc), NodeCheck::Checked);
    EXPECT_EQ(std::pair(f.count("affiche_memoinfo " + std::to_string(loc) + " 2"),
                        f.count("build_ownpath " + std::to_string(loc))), std::pair(size_t(1), size_t(1)));
    // Centre unset: the view stays.
    EXPECT_EQ(QPoint(f.scene.view.OffsetX, f.scene.view.OffsetY), QPoint(7, 9));
    localize_data(f.scene, loc, true);
    const QPoint world = MapViewport::worldmaptoworld(QPoint(1000, 2000), *f.nw);
    EXPECT_EQ(f.scene.view.world_to_screen(world), f.scene.view.view_center());
    set_target_node(f.scene, *f.tree.nodeData(loc)); // as the info page sets it
    EXPECT_EQ(QPoint(f.scene.Target.X, f.scene.Target.Y), world);
}

TEST_F(MapLoadingTest, HiddenNodesAndMapIdMinusOneDoNothing)
{
    f.tree.setVisible(loc, false);
    localize_data(f.scene, loc, true);
    localize_data(f.scene, kNoTreeNode, true);
    f.other->regionId = -1; // a zone of no map
    localize_data(f.scene, f.other->treeNode, true);
    EXPECT_TRUE(f.events.empty());
    EXPECT_EQ(f.scene.CurrentMapId, -1);
}

TEST_F(MapLoadingTest, SelectionChainAndZone)
{
    select_node(f.scene, loc);
    const int categ = f.tree.parentOf(loc);
    const int mapNode = f.tree.parentOf(f.nw->treeNode);
    EXPECT_EQ(f.scene.SelectionChain, (std::array<int, 4>{loc, categ, f.nw->treeNode, mapNode}));
    EXPECT_EQ(f.scene.SelectionZone, f.nw);
    select_node(f.scene, mapNode);
    EXPECT_EQ(f.scene.SelectionChain, (std::array<int, 4>{mapNode, kNoTreeNode, kNoTreeNode, kNoTreeNode}));
    EXPECT_EQ(f.scene.SelectionZone, nullptr);
    f.scene.Target.Visible = true;
    f.scene.OwnPath.points = {{1, 2}, {3, 4}};
    select_node(f.scene, kNoTreeNode);
    EXPECT_EQ(f.scene.SelectionChain[0], kNoTreeNode);
    EXPECT_TRUE(!f.scene.Target.Visible && f.scene.OwnPath.points.empty());
}

TEST_F(MapLoadingTest, ZoneImageLookupJpegFirstThenBmp)
{
    QImage image = solidImage(3, 0xFF010203);
    EXPECT_FALSE(load_zone_image(QString(), "nothing", image));
    EXPECT_EQ(image.size(), QSize(3, 3)); // left as it was
    f.writeBmp(f.mapsPath("both.bmp"), 0xFF00FF00, 4);
    f.writeFile(f.mapsPath("BOTH.JPG"), solidJpeg(8, 0, 0, 255));
    EXPECT_TRUE(load_zone_image(QString(), "both", image));
    EXPECT_EQ(image.size(), QSize(8, 8));
    f.writeFile(f.mapsPath("BOTH.JPG"), {0xFF, 0xD8, 0x00});
    EXPECT_TRUE(load_zone_image(QString(), "both", image)); // a broken .jpg counts as missing
    EXPECT_EQ(image.size(), QSize(4, 4));
    EXPECT_FALSE(load_zone_image(QString(), "../maps/both", image)); // nothing from outside
}

} // namespace
