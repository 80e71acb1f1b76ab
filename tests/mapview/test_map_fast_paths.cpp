// The painter's shortcuts against the plain drawing they stand for: zone pictures copied
// from their scaled copy, category icons blended from their prepared groups of pixels, label
// rows blended sixteen pixels a step.
#include <gtest/gtest.h>

#include <algorithm>
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
// by the view's edges, into either buffer format the paint writes in place.
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
        for (const int zoom : {37, 100, 129, 160, 255})
            for (const int offset : {0, 7, -23, -zoom / 2 - 3, 251}) {
                f.scene.view.restoreZoom(zoom);
                f.scene.view.OffsetX = offset;
                f.scene.view.OffsetY = 3 - offset;
                cache.lastZoneZoom = 0; // as after another zoom
                const QImage direct = paint(f.scene, format);
                const QImage copied = paint(f.scene, format);
                ASSERT_EQ(direct, copied) << format << " zoom " << zoom << " offset " << offset;
                // The copies were used, for the downscaled pictures in view only.
                EXPECT_EQ(cache.scaledPictures.count(f.nw), size_t(f.nw->inView && zoom < 256)) << zoom;
                EXPECT_EQ(cache.scaledPictures.count(f.se), size_t(f.se->inView && zoom < 160)) << zoom;
            }
    // A picture replaced under its zone (a reload) is scaled again, not copied stale; past
    // the memory cap the pictures are scaled directly.
    f.scene.view.restoreZoom(100);
    f.scene.view.OffsetX = f.scene.view.OffsetY = 0;
    cache.scaledByteCap = 100 * 100 * 4 * 2; // room for two copies
    paint(f.scene);
    paint(f.scene);
    *f.nw->image = noise(256, 256, 99);
    const QImage fresh = paint(f.scene);
    EXPECT_EQ(cache.scaledPictures.size(), 2u);
    cache.lastZoneZoom = 0;
    EXPECT_EQ(fresh, paint(f.scene));
    // Copies of zones that left the view, or of another zoom, are dropped.
    f.scene.view.OffsetX = f.scene.view.OffsetY = -1000;
    paint(f.scene);
    EXPECT_TRUE(cache.scaledPictures.empty());
    EXPECT_EQ(cache.scaledBytes, 0u);
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

// With AVX2 the label rows are blended sixteen and eight pixels a step with one formula per
// channel, d + round((colour - d) x f / 32768) with f = 128.5 c; the last pixels past a
// multiple of 8 as blendCoverageRow4 blends them. Long rows mix clear, full and partial
// coverage, and clear stretches that the steps skip.
TEST(MapFastPaths, LabelRowsBlendEveryStepWithOneFormula)
{
#if defined(__x86_64__) && defined(__GNUC__)
    if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "no AVX2";
#else
    GTEST_SKIP() << "no AVX2";
#endif
    uint32_t seed = 4242;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
    for (int n = 1; n <= 90; ++n) {
        std::vector<uint32_t> dst(static_cast<size_t>(n)), want;
        std::vector<uint8_t> cover(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            dst[size_t(i)] = 0xFF000000u | (next() & 0xFFFFFF);
            const uint32_t r = next() % 6;
            cover[size_t(i)] = r <= 1 || (i >= 16 && i < 32 && n > 40) ? 0 : r == 2 ? 255 : uint8_t(next());
        }
        const uint32_t colour = 0xFF000000u | (next() & 0xFFFFFF);
        want = dst;
        const int stepped = n / 8 * 8;
        for (size_t i = 0; i < size_t(stepped); ++i)
            for (int shift = 0; shift < 32; shift += 8) {
                const int d = int(want[i] >> shift & 0xFF), c = int(colour >> shift & 0xFF);
                const int f = 128 * cover[i] + cover[i] / 2;
                const int r = std::clamp(d + (((c - d) * f + 0x4000) >> 15), 0, 255);
                want[i] = (want[i] & ~(0xFFu << shift)) | uint32_t(r) << shift;
            }
        blendCoverageRow4(want.data() + stepped, cover.data() + stepped, n - stepped, colour);
        blendCoverageRow(dst.data(), cover.data(), n, colour);
        EXPECT_EQ(dst, want) << n;
    }
}

} // namespace
