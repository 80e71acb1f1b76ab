// The painter's shortcuts against the plain drawing they stand for: zone pictures copied
// from their scaled copy, category icons blended from their prepared groups of pixels. The
// label rows' every path gives the one-pixel blend exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include <QPainter>

#include "map_blit.h"
#include "map_fixture.h"
#include "map_render_cache.h"
#include "map_renderer.h"

namespace {

// An opaque picture whose every pixel differs from its neighbours.
QImage noise(int width, int height, uint32_t seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            image.setPixel(x, y, 0xFF000000u | (seed >> 8));
        }
    return image;
}

QImage paint(MapScene& scene, QImage::Format format = QImage::Format_ARGB32_Premultiplied)
{
    QImage buffer(300, 300, format);
    paint_map_layer(scene, buffer);
    return buffer;
}

// The first frame at a zoom scales the pictures directly; the next ones copy the scaled
// copies. Both must give the same pixels, wherever the zones lie and however they are cut
// by the view's edges, into either buffer format the paint writes in place, and a picture
// replaced under its zone (a reload) is scaled again, not copied stale.
TEST(MapFastPaths, ZoneCopiesLandExactlyAsTheScaledPictures)
{
    MapFixture f;
    f.showMap1();
    f.nw->image = std::make_unique<QImage>(noise(256, 256, 1));
    f.ne->image = std::make_unique<QImage>(noise(256, 256, 2));
    f.sw->image = std::make_unique<QImage>(noise(200, 256, 3)); // not square
    f.se->image = std::make_unique<QImage>(noise(160, 160, 4)); // upscaled past zoom 160
    MapRenderCache& cache = renderCache(f.scene);
    for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32})
        for (const int zoom : {37, 129, 255})
            for (const int offset : {7, -zoom / 2 - 3, 251}) {
                f.scene.view.restoreZoom(zoom);
                f.scene.view.OffsetX = offset;
                f.scene.view.OffsetY = 3 - offset;
                cache.lastZoneZoom = 0; // as after another zoom
                const QImage direct = paint(f.scene, format);
                const QImage copied = paint(f.scene, format);
                ASSERT_EQ(direct, copied) << format << " zoom " << zoom << " offset " << offset;
                // The copies were used, for the downscaled pictures in view only.
                ASSERT_EQ(cache.scaledPictures.count(f.nw), size_t(f.nw->inView && zoom < 256));
            }
    f.scene.view.restoreZoom(100);
    f.scene.view.OffsetX = f.scene.view.OffsetY = 0;
    paint(f.scene);
    paint(f.scene);
    *f.nw->image = noise(256, 256, 99);
    const QImage fresh = paint(f.scene);
    cache.lastZoneZoom = 0;
    EXPECT_EQ(fresh, paint(f.scene));
}

// A paint with nothing kept from the paints before: every picture scaled directly.
QImage paintAfresh(MapScene& scene)
{
    auto saved = std::exchange(scene.renderCache, nullptr);
    QImage fresh = paint(scene);
    scene.renderCache = saved;
    return fresh;
}

// Where the view's edge cuts a zone's square at its top or left, the scaled drawing steps
// through the picture from the first pixel it draws, and a row or column may come out one
// apart from the whole square's: the copy is then not used there, but kept for the next
// placements. Every paint, copies or not, must give what a paint that scales every picture
// directly gives; over many placements both cases must occur (the copies used, and passed
// over where they differ), and no copy is made twice at one zoom.
TEST(MapFastPaths, CopiesAreUsedOnlyWhereTheyLandAsTheScaledDrawing)
{
    MapFixture f;
    f.showMap1();
    const int sizes[] = {512, 500, 384, 311};
    for (size_t i = 0; i < 4; ++i)
        f.scene.DisplayedZones[i]->image = std::make_unique<QImage>(noise(sizes[i], sizes[i], uint32_t(40 + i)));
    MapRenderCache& cache = renderCache(f.scene);
    uint32_t seed = 5;
    auto next = [&seed](int range) { return seed = seed * 1103515245u + 12345u, int((seed >> 8) % uint32_t(range)); };
    int used = 0, passedOver = 0;
    for (int placement = 0; placement < 60; ++placement) {
        const int zoom = 150 + next(160);
        f.scene.view.restoreZoom(zoom);
        f.scene.view.OffsetX = -next(zoom);
        f.scene.view.OffsetY = next(zoom) - zoom / 2;
        int made = 0;
        for (int i = 0; i < 8; ++i) { // held still: every copy made
            paint(f.scene);
            made += cache.lastCost.copiesMade;
        }
        f.scene.view.OffsetX -= 1 + next(3);
        f.scene.view.OffsetY += next(3);
        const QImage shown = paint(f.scene);
        ASSERT_EQ(shown, paintAfresh(f.scene)) << "zoom " << zoom << " at " << f.scene.view.OffsetX << ","
                                               << f.scene.view.OffsetY;
        used += cache.lastCost.copiesUsed;
        passedOver += cache.lastCost.picturesScaled;
        made += cache.lastCost.copiesMade;
        for (int i = 0; i < 3; ++i) { // held still again: a copy passed over is kept, not made again
            paint(f.scene);
            made += cache.lastCost.copiesMade;
        }
        ASSERT_LE(made, 4) << "zoom " << zoom;
    }
    EXPECT_GT(used, 60);
    EXPECT_GT(passedOver, 0);
}

// After a zoom change the copies at the new zoom are made a few at a time, and mostly in the
// paints over a kept layer (a repaint of a still view), so that the paints of a drag find
// them made; a wheel step away and back finds the copies of the zoom it left. Every paint
// on the way draws what a paint without any copy draws.
TEST(MapFastPaths, CopiesFollowAZoomChangeOverThePaintsAndWaitForAReturn)
{
    MapFixture f(600, 500);
    f.showMap1();
    for (size_t i = 0; i < 4; ++i)
        f.scene.DisplayedZones[i]->image = std::make_unique<QImage>(noise(512, 512, uint32_t(70 + i)));
    MapRenderCache& cache = renderCache(f.scene);
    MapViewport& view = f.scene.view;
    view.restoreZoom(400);
    view.OffsetX = view.OffsetY = 0; // no zone cut at its top or left
    auto paintChecked = [&](const char* what) {
        const QImage shown = paint(f.scene);
        EXPECT_EQ(shown, paintAfresh(f.scene)) << what;
        return cache.lastCost;
    };
    MapRenderCache::PaintCost cost = paintChecked("the first paint at the zoom");
    EXPECT_EQ(cost.copiesMade, 0) << "no copy while the zoom may still move";
    cost = paintChecked("the first paint held still, which keeps the layer");
    EXPECT_TRUE(cost.zonesDrawn);
    int made = cost.copiesMade;
    EXPECT_LT(made, 4) << "only copies that cost little beyond the direct drawing";
    for (int i = 0; i < 4 && made < 4; ++i) {
        cost = paintChecked("a paint over the kept layer");
        EXPECT_FALSE(cost.zonesDrawn);
        EXPECT_EQ(cost.copiesMade, 1) << "a budget of the buffer's bytes (1.2 MB), a copy costing more";
        made += cost.copiesMade;
    }
    EXPECT_EQ(made, 4);
    view.OffsetX -= 7; // a drag: the zones drawn again, from their copies
    cost = paintChecked("a drag");
    EXPECT_EQ(cost.copiesUsed, 4);
    EXPECT_EQ(cost.picturesScaled + cost.copiesMade, 0);

    const QPoint centre = view.screen_to_world(view.view_center());
    view.zoom_at(centre, 440); // a wheel step: scaled directly, the copies at 400 kept aside
    cost = paintChecked("a wheel step away");
    EXPECT_EQ(cost.copiesUsed + cost.copiesMade, 0);
    view.zoom_at(centre, 400);
    cost = paintChecked("back to the zoom held before");
    EXPECT_EQ(cost.copiesUsed, 4);
    EXPECT_EQ(cost.copiesMade + cost.picturesScaled, 0);
    EXPECT_EQ(cache.scaledBytes, size_t(4 * 400 * 400 * 4)) << "the copies at 440 were never made";
}

// A zone paint fills the background only where no opaque zone picture covers the buffer
// (into a buffer that holds the last frame, or anything). What shows must be what the
// background under every picture scaled directly shows: under a zone without a picture and
// under a picture with an alpha channel too; at zooms that scale the pictures up and down,
// with the zones cut by the view's edges.
TEST(MapFastPaths, BackgroundShowsWhereNoPictureCovers)
{
    MapFixture f;
    f.showMap1();
    f.scene.overlays.tips = false;
    f.nw->image = std::make_unique<QImage>(noise(256, 256, 7));
    f.ne->image = std::make_unique<QImage>(noise(200, 131, 8));
    QImage translucent = noise(180, 180, 9).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < translucent.height(); ++y)
        for (int x = 0; x < translucent.width(); x += 3) translucent.setPixel(x, y, 0x40FF0000u);
    f.sw->image = std::make_unique<QImage>(translucent);
    f.se->image = std::make_unique<QImage>(); // none: nothing drawn there
    for (const int zoom : {37, 100, 131, 150, 199, 211, 257, 290, 333})
        for (const int offset : {3, -zoom / 2 - 5}) {
            f.scene.view.restoreZoom(zoom);
            f.scene.view.OffsetX = offset;
            f.scene.view.OffsetY = 11 - offset;
            QImage expected(300, 300, QImage::Format_ARGB32_Premultiplied);
            expected.fill(QColor::fromRgba(kMapBackground));
            QPainter painter(&expected);
            for (const pMap_info* z : f.scene.DisplayedZones) {
                const ViewRect r = f.scene.view.zoneScreenRect(*z);
                painter.drawImage(QRect(r.left, r.top, zoom, zoom), *z->image);
            }
            painter.end();
            for (int i = 0; i < 6; ++i) // the first paint, one that keeps, the copies ahead
                ASSERT_EQ(paint(f.scene), expected) << "zoom " << zoom << " offset " << offset << " paint " << i;
            f.scene.view.OffsetX += 1; // from the copies
            ASSERT_EQ(paint(f.scene), paintAfresh(f.scene)) << "zoom " << zoom;
        }
}

// The same stream moved to height fy in place: same length, same memory.
void moveLine(MemoryStream& s, float fy)
{
    std::memcpy(s.data.data() + 2 + 4, &fy, 4);
    std::memcpy(s.data.data() + 2 + 12, &fy, 4);
}

// A repaint over a still view starts from the zone layer kept from the frame before. After
// any change to what that layer is drawn from, the next paint must be what a paint without
// anything kept gives: the view moved or zoomed, a picture painted over in place, a tile
// arrived, vectors and grids rewritten in place at the same length, grids, vectors or the
// smooth filter switched, a zone gone, another buffer size.
TEST(MapFastPaths, KeptZoneLayerFollowsEveryInput)
{
    MapFixture f;
    f.showMap1();
    uint32_t seed = 10;
    for (pMap_info* z : f.scene.DisplayedZones) {
        z->image = std::make_unique<QImage>(noise(256, 256, ++seed));
        *z->vectors = horizontalLine(0.85f);
    }
    f.scene.overlays.grid = true;
    f.scene.GridVec = horizontalLine(0.88f);
    f.scene.BorderVec = horizontalLine(0.95f);
    f.scene.view.restoreZoom(600); // vectors and tiles shown, every line in view
    f.scene.view.OffsetX = f.scene.view.OffsetY = -450;
    MapRenderCache& cache = renderCache(f.scene);
    QSize size(300, 300);
    auto paintNow = [&] {
        QImage buffer(size, QImage::Format_ARGB32_Premultiplied);
        paint_map_layer(f.scene, buffer);
        return buffer;
    };
    const std::vector<std::pair<const char*, std::function<void()>>> changes = {
        {"pan", [&] { f.scene.view.OffsetX += 1; }},
        {"zoom", [&] { f.scene.view.restoreZoom(1100), f.scene.view.OffsetX = f.scene.view.OffsetY = -900; }},
        {"picture painted over", [&] { QPainter(f.nw->image.get()).fillRect(100, 100, 50, 50, Qt::white); }},
        {"tile arrived", [&] { *f.ne->tile = noise(512, 512, 77); }},
        {"zone vectors moved", [&] { moveLine(*f.nw->vectors, 0.9f); }},
        {"grid moved", [&] { moveLine(f.scene.GridVec, 0.92f); }},
        {"border moved", [&] { moveLine(f.scene.BorderVec, 0.97f); }},
        {"vectors off", [&] { Preferences.AVCT = false; }},
        {"grid off", [&] { f.scene.overlays.grid = false; }},
        {"smooth", [&] { Preferences.LIAR = true, f.scene.view.update_stretchfilter(); }},
        {"zone gone", [&] { f.scene.DisplayedZones.pop_back(); }},
        {"buffer size", [&] { size = QSize(280, 300); }},
    };
    for (const auto& [what, change] : changes) {
        paintNow();
        paintNow();
        const size_t reused = cache.zoneLayersReused;
        paintNow();
        ASSERT_EQ(cache.zoneLayersReused, reused + 1) << "before " << what << ": a still view reuses the layer";
        change();
        const QImage kept = paintNow();
        auto saved = std::exchange(f.scene.renderCache, nullptr);
        const QImage fresh = paintNow();
        f.scene.renderCache = saved;
        ASSERT_EQ(kept, fresh) << what;
    }
}

// Prepared pictures give the pixels of blendRow over each of their rows: clear, opaque and
// translucent pixels mixed within a group, pictures not a multiple of 4 wide, rows cut by
// the buffer's top and bottom.
TEST(MapFastPaths, PreparedPicturesBlendAsTheirRows)
{
    uint32_t seed = 777;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int width = 1; width <= 13; width += 3) {
        QImage picture(width, 11, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t kind = next() % 3, alpha = kind == 0 ? 0 : kind == 1 ? 255 : next() & 0xFF;
                picture.setPixel(x, y, qPremultiply(alpha << 24 | (next() & 0xFFFFFF)));
            }
        const PreparedPicture prepared = preparePicture(picture);
        const QImage background =
            noise(40, 30, uint32_t(width)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (const auto& [left, top] : {std::pair{0, 0}, {8, 5}, {24, -4}, {12, 25}}) {
            QImage fast = background, rows = background;
            QPainter painter(&fast);
            blendPrepared(pixelsOf(painter), left, top, prepared);
            painter.end();
            for (int y = std::max(top, 0); y < std::min(top + picture.height(), rows.height()); ++y)
                blendRow(reinterpret_cast<uint32_t*>(rows.scanLine(y)) + left,
                         reinterpret_cast<const uint32_t*>(picture.constScanLine(y - top)), width);
            EXPECT_EQ(fast, rows) << width << " at " << left << "," << top;
        }
    }
}


// Every way a label row is blended gives the pixels of the one-pixel formula, exactly: each
// channel meets every colour, background and coverage value, and the rows are cut into
// pieces of every length up to 40 at every alignment, so the sixteen- and eight-pixel steps,
// the groups of four and the single pixels at the ends all take part.
TEST(MapFastPaths, LabelRowsGiveTheOnePixelBlendOnEveryPath)
{
    std::vector<std::pair<const char*, CoverageRow>> paths{{"four", blendCoverageRow4}, {"chosen", blendCoverageRow}};
    if (CoverageRow avx2 = avx2CoverageRow()) paths.emplace_back("avx2", avx2);
    // Channel values as bijections of one byte, different for each channel.
    auto spread = [](uint32_t v) { return (v ^ 0x5Au) << 24 | (255u - v) << 16 | ((v * 7u) & 0xFFu) << 8 | v; };
    constexpr int kRow = 256, kGuard = 4;
    std::vector<uint32_t> background(kRow + kGuard, 0x12345678u), expected, got;
    std::vector<uint8_t> coverage(kRow);
    std::vector<size_t> mismatches(paths.size());
    uint32_t seed = 99;
    for (uint32_t k = 0; k < 256; ++k) {
        const uint32_t colour = 0xFF000000u | (spread(k) & 0xFFFFFF);
        for (int r = 0; r < kRow; ++r) {
            // Over the 256 rows, each pixel position pairs every background with every coverage.
            for (int i = 0; i < kRow; ++i) {
                background[size_t(i)] = spread(uint32_t(i * 29 + k) & 0xFF);
                coverage[size_t(i)] = uint8_t(i + r);
            }
            expected = background; // the guard pixels past the row stay
            for (int i = 0; i < kRow; ++i)
                expected[size_t(i)] = mapblit::coveragePixel(background[size_t(i)], colour, coverage[size_t(i)]);
            for (size_t p = 0; p < paths.size(); ++p) {
                got = background;
                for (int start = 0; start < kRow;) {
                    seed = seed * 1103515245u + 12345u;
                    const int length = std::min(int(seed >> 16) % 41, kRow - start);
                    paths[p].second(got.data() + start, coverage.data() + start, length, colour);
                    start += length;
                }
                mismatches[p] += got != expected;
            }
        }
    }
    for (size_t p = 0; p < paths.size(); ++p) EXPECT_EQ(mismatches[p], 0u) << paths[p].first;
}

} // namespace
