// The painter's shortcuts against the plain drawing they stand for: zone pictures copied
// from their scaled copy, category icons blended from their prepared rows.
#include <gtest/gtest.h>

#include <QPainter>

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
    // Copies of zones that left the view, or of another zoom, are dropped.
    f.scene.view.OffsetX = f.scene.view.OffsetY = -1000;
    paint(f.scene);
    EXPECT_TRUE(cache.scaledPictures.empty());
    EXPECT_EQ(cache.scaledBytes, 0u);
}

// A picture replaced under the same zone (a reload) is scaled again, not copied stale; with
// the stretch filter on, or past the memory cap, the pictures are scaled directly.
TEST(MapFastPaths, ZoneCopiesFollowTheirPictureTheFilterAndTheCap)
{
    MapFixture f;
    f.showMap1();
    for (pMap_info* z : f.scene.DisplayedZones) z->image = std::make_unique<QImage>(noise(128, 128, uint32_t(z->zoneId)));
    f.scene.view.restoreZoom(100);
    paint(f.scene);
    paint(f.scene);
    *f.nw->image = noise(128, 128, 99);
    const QImage fresh = paint(f.scene);
    renderCache(f.scene).lastZoneZoom = 0;
    EXPECT_EQ(fresh, paint(f.scene));

    MapRenderCache& cache = renderCache(f.scene);
    {
        QImage buffer(300, 300, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&buffer);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        cache.lastZoneZoom = 100;
        cache.scaledPictures.clear();
        cache.scaledBytes = 0;
        cache.drawZonePicture(painter, f.nw, 0, 0, 100, *f.nw->image);
        EXPECT_TRUE(cache.scaledPictures.empty());
    }
    cache.scaledByteCap = 100 * 100 * 4 * 2; // room for two copies
    paint(f.scene);
    EXPECT_EQ(cache.scaledPictures.size(), 2u);
    EXPECT_LE(cache.scaledBytes, cache.scaledByteCap);
    renderCache(f.scene).lastZoneZoom = 0;
    EXPECT_EQ(paint(f.scene), paint(f.scene));
}

} // namespace
