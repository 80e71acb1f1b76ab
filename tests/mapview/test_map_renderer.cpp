// The map layer: zone placement, the veil, images against tiles at the [MAHD] boundary, tile
// release and memory, colour squares, icons at the view's edges and the hit-test buffer, the
// level of detail, the splash case, the paint order, labels, dashes, vector streams, lines
// far off, other buffer formats, and the blending rows against their formula.
#include <gtest/gtest.h>

#include <cstring>

#include <QPainter>

#include "map_blit.h"
#include "map_fixture.h"
#include "map_interaction.h"
#include "map_loading.h"
#include "map_renderer.h"
#include "markers.h"

namespace {

std::vector<HitTestRecord> hitRecords(const MemoryStream& stream)
{
    std::vector<HitTestRecord> out(stream.size() / sizeof(HitTestRecord));
    if (!out.empty()) std::memcpy(out.data(), stream.data.data(), out.size() * sizeof(HitTestRecord));
    return out;
}

struct Px {
    int x, y;
    uint32_t colour;
};

void expectPixels(const QImage& b, std::initializer_list<Px> want)
{
    for (const Px& p : want) EXPECT_EQ(b.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}

bool near(uint32_t a, uint32_t b, int tolerance = 1)
{
    for (int shift = 0; shift < 32; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

class MapRendererTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        f.scene.view.restoreZoom(100);
        f.scene.view.OffsetX = 10;
        f.scene.view.OffsetY = 20;
    }
    QImage paint()
    {
        QImage buffer(300, 300, QImage::Format_ARGB32_Premultiplied);
        paint_map_layer(f.scene, buffer);
        return buffer;
    }
    MapFixture f;
};

TEST_F(MapRendererTest, TwoByTwoSolidZonesLandOnPredictedPixels)
{
    f.showMap1();
    const QImage b = paint();
    // NW at (10, 20)-(110, 120), NE right of it, SW below it; one zone is 100 pixels at zoom 100.
    expectPixels(b, {{10, 20, 0xFFFF0000u}, {109, 119, 0xFFFF0000u}, {110, 20, 0xFF00FF00u}, {209, 119, 0xFF00FF00u},
                     {10, 120, 0xFF0000FFu}, {110, 120, 0xFFFFFF00u}, {209, 219, 0xFFFFFF00u},
                     {9, 20, kMapBackground}, {10, 19, kMapBackground}, {210, 220, kMapBackground}});
    for (const pMap_info* z : f.scene.DisplayedZones) EXPECT_EQ(z->inView, 1);
}

TEST_F(MapRendererTest, VeilDarkensEverythingUnderTheIcons)
{
    f.showMap1(0xFFFFFFFF);
    f.add("a", 10, 1, 32767, 32767); // icon centre at (60, 70)
    f.scene.overlays.subtitles = true;
    const QImage b = paint();
    // $66000000 over white: 255 x (255 - $66) / 255 = 153.
    EXPECT_TRUE(near(b.pixel(20, 30), 0xFF999999u)) << std::hex << b.pixel(20, 30);
    EXPECT_TRUE(near(b.pixel(250, 250), 0xFF4A4A4Au)) << std::hex << b.pixel(250, 250); // $7A x 153 / 255
    EXPECT_EQ(b.pixel(60, 70), kIconColour); // the icons come after the veil
}

TEST_F(MapRendererTest, TilesAboveMahdInViewOnlyAndReleasedAtMahdOrOutOfView)
{
    f.showMap1();
    f.writeBmp(f.mapsPath("high/ZONE_NW.bmp"), 0xFF123456, 32); // found whatever the letter case
    f.writeBmp(f.mapsPath("high/zone_se.bmp"), 0xFF654321, 32);
    f.scene.view.OffsetX = f.scene.view.OffsetY = 0;
    // Back at [MAHD] the tile is released and the image is drawn again.
    const int32_t mahd = Preferences.MAHD;
    for (auto [zoom, colour, width] : {std::tuple{mahd, 0xFFFF0000u, 1}, {mahd + 1, 0xFF123456u, 32},
                                       {mahd, 0xFFFF0000u, 1}}) {
        f.scene.view.restoreZoom(zoom);
        EXPECT_EQ(paint().pixel(5, 5), colour) << zoom;
        EXPECT_EQ(f.nw->tile->width(), width) << zoom;
    }
    f.scene.view.restoreZoom(600);
    paint(); // SE at (600, 600) lies past the 300 x 300 view
    EXPECT_EQ(std::tuple(f.nw->tile->width(), f.se->inView, f.se->tile->width()), std::tuple(32, 0, 1));
    f.scene.view.OffsetX = f.scene.view.OffsetY = -700; // NW now ends left of the view
    paint();
    EXPECT_EQ(std::tuple(f.nw->inView, f.nw->tile->width(), f.se->tile->width()), std::tuple(0, 1, 32));
}

TEST_F(MapRendererTest, MissingTilesAreRememberedNotSearchedAgain)
{
    f.showMap1();
    f.scene.view.restoreZoom(600);
    f.scene.view.OffsetX = f.scene.view.OffsetY = 0;
    EXPECT_EQ(paint().pixel(10, 10), 0xFFFF0000u); // NW: no tile file, its image
    f.writeBmp(f.mapsPath("high/zone_nw.bmp"), 0xFF123456, 32); // appears after the first look
    EXPECT_EQ(paint().pixel(10, 10), 0xFFFF0000u);
    EXPECT_TRUE(f.scene.TilesUnavailable.count(f.nw));
}

TEST_F(MapRendererTest, ColourSquareOnlyForAColourAboveZero)
{
    f.showMap1(0xFF202020);
    f.scene.overlays.legend = false;
    const int coloured = f.add("red", 10, 1, 32767, 32767, 0x000000FF); // (60, 70)
    f.add("none", 10, 1, 13107, 32767, 0);                              // (30, 70)
    f.add("system", 10, 1, 52428, 32767, 0x8000000F);                   // (90, 70): below 0 as a TColor
    ASSERT_NE(coloured, kNoTreeNode);
    const QImage b = paint();
    // A 5 x 5 square under the icon; the uncoloured location keeps its icon all the same.
    expectPixels(b, {{58, 68, 0xFFFF0000u}, {62, 72, 0xFFFF0000u}, {57, 70, 0xFF202020u}, {63, 70, 0xFF202020u},
                     {60, 70, kIconColour}, {28, 68, 0xFF202020u}, {30, 70, kIconColour}, {88, 68, 0xFF202020u}});
}

TEST_F(MapRendererTest, IconAtColumnZeroIsNeitherPaintedNorRecorded)
{
    f.showMap1(0xFF202020);
    f.scene.view.OffsetX = 0;
    f.scene.overlays.legend = false;
    f.add("edge", 10, 1, 0, 13107, 0x000000FF);          // (0, 40)
    const int inside = f.add("one", 10, 1, 656, 32767); // (1, 70)
    const QImage b = paint();
    expectPixels(b, {{0, 40, 0xFF202020u}, {1, 40, 0xFF202020u}, {1, 70, kIconColour}}); // the first: neither square nor icon
    const auto records = hitRecords(f.scene.HitTestStream);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(std::tuple(records[0].node, records[0].x, records[0].y), std::tuple(inside, 1, 70));
    // Far-off points are tested in 32 bits: 65546 would be 10 in 16 bits.
    EXPECT_FALSE(putmapnode(f.scene, QPoint(65546, 10), inside));
    f.scene.HitTestStream.position = 0; // where a reader may leave it
    EXPECT_TRUE(putmapnode(f.scene, QPoint(10, 10), inside));
    const auto after = hitRecords(f.scene.HitTestStream);
    ASSERT_EQ(after.size(), 2u); // appended, the first record kept
    EXPECT_TRUE(after[0].x == 1 && after[1].x == 10);
}

TEST_F(MapRendererTest, HitTestRecordsFollowZoneAndTreeOrderAndSkipHiddenOnes)
{
    f.showMap1(0xFF202020);
    // The translation filter hides a location of another language but still records it.
    Preferences.TRAN = true;
    f.scene.overlays.traduc = TraducCheck::Checked;
    const int foreign = f.add("foreign", 10, 1, 32767, 32767); // (60, 70)
    f.tree.nodeData(foreign)->item->languageTag = 99;
    const int a = f.add("a", 11, 1, 100, 100);
    f.add("b", 10, 2, 100, 100); // a camp: its category shows no icons
    const int c = f.add("c", 10, 1, 200, 200);
    const int hidden = f.add("hidden", 10, 1, 300, 300);
    const int unchecked = f.add("unchecked", 10, 1, 400, 400);
    f.tree.setVisible(hidden, false);
    f.tree.setCheckState(unchecked, NodeCheck::Unchecked);
    f.camps->iconsNow = 0; // its locations are skipped altogether
    EXPECT_EQ(paint().pixel(60, 70), 0xFF202020u);
    const auto r = hitRecords(f.scene.HitTestStream);
    ASSERT_EQ(r.size(), 3u); // neither the camp, the hidden nor the unchecked location
    // Zone NW first, then NE.
    EXPECT_EQ(std::tuple(r[0].node, r[1].node, r[2].node, r[2].x), std::tuple(foreign, c, a, int16_t(110)));
}

TEST_F(MapRendererTest, LevelOfDetailTable)
{
    Preferences.LODA = 200;
    Preferences.LODB = 400;
    Preferences.LODC = 600;
    rCateg* odd = f.addCategory(9, "Odd", kindNoLevel, 0, 7); // class 7 counts as 3
    struct Row {
        int zoom;
        int icons[3];
        int labels[3];
    };
    const Row rows[] = {{199, {1, 0, 0}, {1, 0, 0}}, {200, {1, 1, 0}, {1, 0, 0}}, {399, {1, 1, 0}, {1, 0, 0}},
                        {400, {1, 1, 0}, {1, 1, 0}}, {599, {1, 1, 0}, {1, 1, 0}}, {600, {1, 1, 1}, {1, 1, 1}}};
    rCateg* cats[3] = {f.towns, f.camps, f.herbs};
    for (const Row& row : rows) {
        f.scene.view.restoreZoom(row.zoom);
        update_lod(f.scene);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(cats[i]->iconsNow, row.icons[i]) << row.zoom << " class " << i + 1;
            EXPECT_EQ(cats[i]->labelsNow, row.labels[i]) << row.zoom << " class " << i + 1;
        }
        EXPECT_TRUE(odd->iconsNow == cats[2]->iconsNow && odd->labelsNow == cats[2]->labelsNow) << row.zoom;
    }
    // Without the box every icon shows; the labels still follow the table.
    f.scene.overlays.levelOfDetail = false;
    f.scene.view.restoreZoom(199);
    update_lod(f.scene);
    EXPECT_TRUE(f.herbs->iconsNow == 1 && f.herbs->labelsNow == 0);
}

TEST_F(MapRendererTest, LevelOfDetailShowsPathsByCategoryOrAlwaysShownOption)
{
    const int node = f.add("route", 10, 3, 10, 10);
    rItemdata* item = f.tree.nodeData(node)->item.get();
    item->command = std::make_unique<rCommand>();
    item->command->alwaysShown = 1;
    f.scene.Paths.resize(2);
    f.scene.Paths[0].category = f.scene.Paths[1].category = f.herbs;
    f.scene.Paths[1].item = item;
    f.scene.view.restoreZoom(100);
    update_lod(f.scene);
    EXPECT_TRUE(f.scene.Paths[0].shown == 0 && f.scene.Paths[1].shown == 1);
    f.scene.view.restoreZoom(3000);
    update_lod(f.scene);
    EXPECT_EQ(f.scene.Paths[0].shown, 1);
}

TEST_F(MapRendererTest, SplashCaseDrawsSplashAndTipsOnly)
{
    f.showMap1();
    f.scene.CurrentMapId = -1;
    solidImage(20, 0xFF00AA00).copy(0, 0, 20, 10).save(f.dir.path() + "/data/VMAR.BMP", "BMP");
    init_imagemap(f.scene); // the splash from the data folder
    FeedbackLines feedback(2);
    f.scene.feedback = &feedback;
    const std::vector<std::string> tips = {"one", "two"};
    f.scene.tips = &tips;
    f.scene.TipsWidth = 50;
    f.scene.TipsLineHeight = 13;
    putmapnode(f.scene, QPoint(5, 5), 1);
    QImage b = paint();
    EXPECT_EQ(f.scene.HitTestStream.size(), 0u);
    // The splash centred; no zone (100, 100) and no feedback box (2, 150); the tips box (3, 3)
    // to (50 + 12, 3 x 13 + 12), right column and bottom row excluded: $55000000.
    expectPixels(b, {{140, 145, 0xFF00AA00u}, {159, 154, 0xFF00AA00u}, {139, 145, kMapBackground}, {160, 154, kMapBackground},
                     {100, 100, kMapBackground}, {2, 150, kMapBackground}, {62, 50, kMapBackground}, {61, 51, kMapBackground}});
    EXPECT_TRUE(near(b.pixel(61, 50), 0xFF515151u)) << std::hex << b.pixel(61, 50);
    // The first activation still under way: the splash too, with a map loaded.
    f.scene.CurrentMapId = kMap1;
    f.scene.FirstActivate = true;
    f.scene.overlays.tips = false;
    b = paint();
    EXPECT_EQ(b.pixel(140, 145), 0xFF00AA00u);
    EXPECT_EQ(b.pixel(61, 50), kMapBackground);
}

TEST_F(MapRendererTest, PaintOrderSpotChecks)
{
    f.showMap1(0xFF202020, 0xFF202020, 0xFF202020, 0xFF202020);
    f.scene.overlays.legend = false;
    f.add("a", 10, 1, 32767, 32767); // icon at (60, 70)
    // A redirect line on row 40, a link line on row 50, both across NW.
    f.scene.RedirLines.push_back({0, 13107, 65535, 13107, 0xFF00FF00});
    f.scene.LinkLines.push_back({0, 19660, 65535, 19660, 0xFF0000FF});
    // Waypoints across the icon's row; the coarse grid across it too.
    f.scene.Waypoints = {{0, 32767, f.nw}, {65535, 32767, f.nw}};
    QImage b = paint();
    // Redirect lines always, their end pixel left out; link lines only with the overview button.
    expectPixels(b, {{30, 40, 0xFF00FF00u}, {10, 40, 0xFF00FF00u}, {109, 40, 0xFF00FF00u}, {110, 40, 0xFF202020u},
                     {30, 50, 0xFF202020u}});
    EXPECT_TRUE(near(b.pixel(60, 70), 0xFFFFFF00u, 8)) << std::hex << b.pixel(60, 70) << " waypoints on top";
    f.scene.overlays.overview = true;
    f.scene.Waypoints.clear();
    Preferences.MCUR = true;
    f.scene.SelectionZone = f.nw;
    f.scene.BorderVec = horizontalLine(0.5f); // row 70 of NW
    b = paint();
    EXPECT_EQ(b.pixel(30, 50), 0xFF0000FFu);
    // Grid off, so only the highlight draws the border, over the icon: $55FFFF00 blended.
    EXPECT_NE(b.pixel(60, 70), kIconColour);
    EXPECT_NE(b.pixel(30, 70), 0xFF202020u);
    EXPECT_EQ(b.pixel(130, 70), 0xFF202020u) << "only the selected zone is highlighted";
}

TEST_F(MapRendererTest, CoarseGridOnlyAtOrBelowLodv)
{
    f.showMap1(0xFF202020, 0xFF202020, 0xFF202020, 0xFF202020);
    f.scene.overlays.grid = true;
    f.scene.GridVec = horizontalLine(0.25f);
    f.scene.BorderVec = horizontalLine(0.5f);
    f.scene.view.OffsetX = f.scene.view.OffsetY = 0;
    f.scene.view.restoreZoom(Preferences.LODV); // 500: rows 125 and 250 of NW
    const QImage b = paint();
    EXPECT_EQ(b.pixel(50, 125), 0xFF202020u); // the grid left out, the border drawn
    EXPECT_NE(b.pixel(50, 250), 0xFF202020u);
    f.scene.view.restoreZoom(Preferences.LODV + 1);
    EXPECT_NE(paint().pixel(50, 125), 0xFF202020u);
}

TEST_F(MapRendererTest, LabelsFollowLegendAndCategoryColourMode)
{
    f.showMap1(0xFF202020, 0xFF202020, 0xFF202020, 0xFF202020);
    f.add("Wwwww", 10, 1, 6553, 13107, 0x00FF0000); // town (kind 0): the category's red
    f.add("Wwwww", 10, 2, 6553, 39321, 0x00FF0000); // camp (kind 1): the location's blue
    auto dominant = [](const QImage& b, int top, int channelShift) {
        for (int y = top; y < top + 14; ++y)
            for (int x = 26; x < 80; ++x) {
                const uint32_t p = b.pixel(x, y);
                const int c = int((p >> channelShift) & 0xFF);
                const int others = int(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) - c;
                if (c > 150 && others < 120) return true;
            }
        return false;
    };
    for (bool legend : {true, false}) { // icons at (20, 40) and (20, 80); labels from x = 25
        f.scene.overlays.legend = legend;
        const QImage b = paint();
        EXPECT_EQ(dominant(b, 33, 16), legend) << "red label";
        EXPECT_EQ(dominant(b, 73, 0), legend) << "blue label";
    }
}

TEST_F(MapRendererTest, LinesFromFarOffPointsAreClippedAndVectorStreamsNeverReadPastTheirEnd)
{
    f.showMap1(0xFF202020, 0xFF202020, 0xFF202020, 0xFF202020);
    f.scene.RedirLines.push_back({-2000000000, 13107, 2000000000, 13107, 0x00FF00FF});
    f.scene.OwnPath.colour32 = 0x44FF0000;
    f.scene.OwnPath.points = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
    const QImage b = paint();
    EXPECT_EQ(b.pixel(150, 40), 0xFFFF00FFu); // made opaque
    const uint32_t inside = b.pixel(150, 150);
    EXPECT_GT(int((inside >> 16) & 0xFF), int(inside & 0xFF) + 20) << std::hex << inside;

    // Vector streams.
    QImage v(100, 100, QImage::Format_ARGB32_Premultiplied);
    v.fill(Qt::black);
    MemoryStream s;
    const uint16_t zero = 0, two = 2, five = 5;
    const float line[4] = {0.0f, 0.5f, 1.0f, 0.5f};
    s.write(&zero, 2); // a block with no point is skipped, the next one still drawn
    s.write(&two, 2);
    s.write(line, sizeof line);
    s.write(&five, 2); // truncated: five points announced, one given
    s.write(line, 8);
    QPainter p(&v);
    draw_vectors(s, p, 0.0f, 0.0f, 100, 0xFFFFFFFF);
    p.end();
    EXPECT_EQ(v.pixel(50, 50), 0xFFFFFFFFu);
    EXPECT_EQ(v.pixel(50, 49), 0xFF000000u);
}

TEST_F(MapRendererTest, PathsAreDashedFourOnTwoOffAndTheCompassTwoOnOneOff)
{
    f.showMap1(0xFF202020, 0xFF202020, 0xFF202020, 0xFF202020);
    rwpitem path;
    path.shown = 1;
    path.colour32 = 0xFFFF0000;
    path.points = {{0, 13107}, {65535, 13107}}; // row 40, from x 10 to 110
    f.scene.Paths.push_back(path);
    SetPosition(f.scene.MyPos, {0, 19660}, f.nw); // row 50, from x 10
    SetPosition(f.scene.OtherPos, {0, 19660}, f.ne); // to x 110
    f.scene.MyPos.Visible = f.scene.OtherPos.Visible = true;
    f.scene.Waypoints = {{0, 26214, f.nw}, {65535, 26214, f.nw}}; // row 60, solid
    const QImage b = paint();
    std::string dashes, compass, waypoints;
    for (int x = 10; x < 22; ++x) {
        dashes += b.pixel(x, 40) == 0xFFFF0000u ? 'x' : b.pixel(x, 40) == 0xFF202020u ? '.' : '?';
        compass += b.pixel(x, 50) == kMyPosColour ? 'x' : b.pixel(x, 50) == 0xFF202020u ? '.' : '?';
        waypoints += b.pixel(x, 60) == kWaypointColour ? 'x' : '?';
    }
    EXPECT_EQ(dashes, "xxxx..xxxx..");
    EXPECT_EQ(compass, "xx.xx.xx.xx.");
    EXPECT_EQ(waypoints, "xxxxxxxxxxxx");
    EXPECT_EQ(b.pixel(110, 40), 0xFF202020u); // the last point is left out
    f.scene.Paths[0].shown = 0;
    EXPECT_EQ(paint().pixel(10, 40), 0xFF202020u);
}

TEST(MapBlit, RowsMatchTheBlendFormula)
{
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int n = 1; n <= 40; ++n) {
        std::vector<uint32_t> dst(static_cast<size_t>(n)), before;
        std::vector<uint8_t> cover(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            dst[size_t(i)] = 0xFF000000u | (next() & 0xFFFFFF);
            const uint32_t r = next() % 4;
            cover[size_t(i)] = r == 0 ? 0 : r == 1 ? 255 : uint8_t(next());
        }
        before = dst;
        const uint32_t colour = 0xFF000000u | (next() & 0xFFFFFF);
        for (auto* row : {&blendCoverageRow, &blendCoverageRow4}) {
            dst = before;
            row(dst.data(), cover.data(), n, colour);
            for (int i = 0; i < n; ++i) {
                const uint32_t c = cover[size_t(i)];
                for (int shift = 0; shift < 32; shift += 8) {
                    const double d = (before[size_t(i)] >> shift) & 0xFF, k = (colour >> shift) & 0xFF;
                    const double want = d + (k - d) * c / 255.0;
                    EXPECT_NEAR(double((dst[size_t(i)] >> shift) & 0xFF), want, 1.01) << n << " " << i;
                }
                // No cover and full cover are exact.
                EXPECT_TRUE(c % 255 || dst[size_t(i)] == (c ? colour : before[size_t(i)])) << n << " " << i;
            }
        }
        // Premultiplied source over, against Qt's own.
        std::vector<uint32_t> src(static_cast<size_t>(n));
        for (auto& p : src) p = qPremultiply((next() % 3 == 0 ? 0u : next() % 2 ? 0xFF000000u : (next() & 0xFF) << 24) | (next() & 0xFFFFFF));
        QImage expected(n, 1, QImage::Format_ARGB32_Premultiplied), source(n, 1, QImage::Format_ARGB32_Premultiplied);
        std::memcpy(expected.bits(), before.data(), size_t(n) * 4);
        std::memcpy(source.bits(), src.data(), size_t(n) * 4);
        QPainter(&expected).drawImage(0, 0, source);
        dst = before;
        blendRow(dst.data(), src.data(), n);
        for (int i = 0; i < n; ++i) EXPECT_TRUE(near(dst[size_t(i)], expected.pixel(i, 0))) << n << " " << i;
    }
}

} // namespace
