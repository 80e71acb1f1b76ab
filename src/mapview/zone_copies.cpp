// The zone pictures' scaled copies: each picture scaled down to the zoom once and copied at
// every paint after, instead of sampled again. A zoom change keeps the copies of the zoom
// it leaves, so that a return to it (the zoom bar, a double click and back) finds them;
// copies are made a few at a time, within a budget of bytes moved per paint, so that no one
// paint pays for all of them.
#include <algorithm>
#include <cmath>
#include <utility>

#include <QPainter>

#include "map_render_cache.h"

namespace {

// What scaling the picture into the part of a zoom x zoom square that is rows x columns costs,
// in bytes moved: each row reads its source row where the samples fall (a cache line of 64
// bytes each at most, the whole row for samples closer than that) and writes its pixels.
// Reading the source is most of it: the pictures are large and seldom in a cache.
qint64 scalingBytes(const QImage& picture, int32_t zoom, qint64 rows, qint64 columns)
{
    if (rows <= 0 || columns <= 0 || zoom <= 0) return 0;
    const qint64 sourceRow = qint64(picture.bytesPerLine()) * columns / zoom;
    return rows * (std::min(sourceRow, columns * 64) + columns * 4);
}

// A copy's own costs besides moving its pixels, counted as bytes moved: the image made (its
// fresh memory cleared by the system), a painter opened on it (about 40 us for a small copy).
constexpr qint64 kCopyOverhead = qint64(256) << 10;

// Along one axis, whether the pixels [cut, cut + visible) of a picture of `size` pixels
// scaled into `zoom` pixels whole are those of the same scaling drawn with its first `cut`
// pixels clipped off, the `visible` ones after them kept. The nearest-neighbour scaling
// steps through the source in fixed point (a step of size / zoom in 1/65536ths, truncated)
// from the first pixel it draws, whose position it works out in floating point: from a
// clipped start the steps can fall a source pixel apart from those of the whole square,
// and the last pixel is left out when its step lands at or past `limit` (the picture's size,
// for rows its stride in pixels).
// Whether the scaling of a picture of `size` pixels into `zoom` whole leaves its last pixel
// out (the first pixel's position and the step as in axisLandsAsDrawn).
bool leavesLastOut(int size, int limit, int zoom)
{
    const double scale = double(size) / zoom;
    const auto step = uint32_t(int(65536 * scale));
    const auto start = uint32_t(int(std::ceil(0.5 * scale * 65536)) - 1);
    return int((start + step * uint32_t(zoom - 1)) >> 16) >= limit;
}

bool axisLandsAsDrawn(int size, int limit, int zoom, int cut, int visible)
{
    if (visible <= 0) return true;
    const double scale = double(size) / zoom;
    const auto step = uint32_t(int(65536 * scale));
    const auto wholeStart = uint32_t(int(std::ceil(0.5 * scale * 65536)) - 1);
    const auto clippedStart = uint32_t(int(std::ceil((cut + 0.5) * scale * 65536)) - 1);
    const auto sample = [](uint32_t start, uint32_t step, int i) { return int((start + step * uint32_t(i)) >> 16); };
    const int wholeDrawn = sample(wholeStart, step, zoom - 1) >= limit ? zoom - 1 : zoom;
    const int clippedDrawn = sample(clippedStart, step, visible - 1) >= limit ? visible - 1 : visible;
    for (int i = 0; i < visible; ++i) {
        const bool drawn = i < clippedDrawn;
        if (drawn != (cut + i < wholeDrawn)) return false;
        if (drawn && sample(clippedStart, step, i) != sample(wholeStart, step, cut + i)) return false;
    }
    return true;
}

} // namespace

bool MapRenderCache::copyLandsAsDrawn(const QImage& picture, int32_t zoom, const QRect& square, const QRect& clip)
{
    const QRect shown = square.intersected(clip);
    if (shown.isEmpty()) return true;
    const int stride = int(picture.bytesPerLine() / 4);
    return axisLandsAsDrawn(picture.width(), stride, zoom, shown.left() - square.left(), shown.width()) &&
           axisLandsAsDrawn(picture.height(), picture.height(), zoom, shown.top() - square.top(), shown.height());
}

bool MapRenderCache::copyable(const QImage& picture, int32_t zoom, bool smooth)
{
    // Nearest-neighbour samples depend only on the pixel's place in the square, wherever the
    // square lies (where it is clipped, see copyLandsAsDrawn); bilinear sampling is left to
    // the painter.
    return zoom > 0 && int64_t(zoom) * zoom <= int64_t(picture.width()) * picture.height() &&
           (zoom != picture.width() || zoom != picture.height()) && picture.format() == QImage::Format_RGB32 && !smooth;
}

void MapRenderCache::beginZones(int32_t zoom, qint64 budget, bool firstFree)
{
    if (zoom != copiesZoom) {
        if (zoom == formerZoom) {
            scaledPictures.swap(formerPictures);
            std::swap(copiesZoom, formerZoom);
        } else {
            // A zoom in motion makes no copies: the zoom held before it stays the former one.
            if (!scaledPictures.empty()) {
                dropFormer();
                formerPictures.swap(scaledPictures);
                formerZoom = copiesZoom;
            }
            copiesZoom = zoom;
        }
    }
    scaledMadeThisPaint = 0;
    copyExtraThisPaint = 0;
    copyBudget = budget;
    firstCopyFree = firstFree;
}

MapRenderCache::ScaledPicture* MapRenderCache::copyOf(const pMap_info* zone, const QImage& picture, int32_t zoom)
{
    if (zoom != copiesZoom) return nullptr;
    const auto it = scaledPictures.find(zone);
    if (it == scaledPictures.end() || it->second.zoom != zoom || it->second.sourceKey != picture.cacheKey() ||
        it->second.image.isNull())
        return nullptr;
    return &it->second;
}

MapRenderCache::ScaledPicture* MapRenderCache::makeCopy(const pMap_info* zone, const QImage& picture, int32_t zoom,
                                                        QRect shown)
{
    if (zoom != copiesZoom || zoom != lastZoneZoom) return nullptr;
    // The copy is cleared first only when the scaling leaves a row or column of it untouched.
    const bool clear = leavesLastOut(picture.width(), int(picture.bytesPerLine() / 4), zoom) ||
                       leavesLastOut(picture.height(), picture.height(), zoom);
    // Beyond the scaling of the whole square, the copy is read again when drawn (and written
    // once more when cleared).
    const qint64 copyBytes = qint64(zoom) * zoom * 4;
    const qint64 extra = kCopyOverhead + (clear ? 2 : 1) * copyBytes + scalingBytes(picture, zoom, zoom, zoom) -
                         scalingBytes(picture, zoom, shown.height(), shown.width());
    if ((scaledMadeThisPaint > 0 || !firstCopyFree) && copyExtraThisPaint + extra > copyBudget) return nullptr;
    const size_t bytes = size_t(zoom) * size_t(zoom) * 4;
    const auto stale = scaledPictures.find(zone);
    const size_t staleBytes = stale != scaledPictures.end() ? size_t(stale->second.image.sizeInBytes()) : 0;
    if (scaledBytes - staleBytes + bytes > scaledByteCap) dropFormer();
    if (scaledBytes - staleBytes + bytes > scaledByteCap) return nullptr;
    QImage image(zoom, zoom, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return nullptr; // out of memory: the picture is scaled directly
    if (clear) image.fill(Qt::transparent);
    QPainter scaler(&image);
    scaler.drawImage(QRect(0, 0, zoom, zoom), picture);
    scaler.end();
    ScaledPicture& scaled = scaledPictures[zone];
    scaledBytes -= size_t(scaled.image.sizeInBytes());
    scaled.image = std::move(image);
    scaled.sourceKey = picture.cacheKey();
    scaled.zoom = zoom;
    scaled.frame = zoneFrame;
    scaledBytes += size_t(scaled.image.sizeInBytes());
    ++scaledMadeThisPaint;
    copyExtraThisPaint += extra;
    ++lastCost.copiesMade;
    return &scaled;
}

void MapRenderCache::dropFormer()
{
    for (const auto& [zone, copy] : formerPictures) scaledBytes -= size_t(copy.image.sizeInBytes());
    formerPictures.clear();
}

// Zone pictures are drawn into a QRect of Zoom pixels, with nearest-neighbour scaling or, above
// zoom 1000 when [LIAR] is on, bilinear scaling.
void MapRenderCache::drawZonePicture(QPainter& painter, const pMap_info* zone, int32_t left, int32_t top,
                                     int32_t zoom, const QImage& picture)
{
    if (picture.isNull()) return; // a missing image paints nothing
    const QRect square(left, top, zoom, zoom);
    const QPaintDevice* device = painter.device();
    const QRect clip(0, 0, device->width(), device->height());
    const bool plain = painter.compositionMode() == QPainter::CompositionMode_SourceOver && painter.opacity() == 1.0 &&
                       !painter.hasClipping() && painter.deviceTransform().isIdentity();
    if (plain && copyable(picture, zoom, painter.testRenderHint(QPainter::SmoothPixmapTransform))) {
        ScaledPicture* copy = copyOf(zone, picture, zoom);
        if (copy) copy->frame = zoneFrame; // its zone in view: kept, even where it does not land now
        if (copyLandsAsDrawn(picture, zoom, square, clip)) {
            if (!copy) copy = makeCopy(zone, picture, zoom, square.intersected(clip));
            if (copy) {
                painter.drawImage(left, top, copy->image);
                ++lastCost.copiesUsed;
                return;
            }
        }
    }
    painter.drawImage(square, picture);
    ++lastCost.picturesScaled;
}

void MapRenderCache::makeCopiesAhead(int32_t zoom, bool smooth, const QRect& clip)
{
    // First the copies that land where their zones lie now: the next paints, a view moved a
    // little, use them; then the others.
    for (const bool landing : {true, false})
        for (size_t i = 0; i < zoneKey.zones.size() && i < zonePictures.size(); ++i) {
            const QImage* picture = zonePictures[i];
            const ZonePlace& place = zoneKey.zones[i];
            if (!picture || picture->isNull() || !copyable(*picture, zoom, smooth) || copyOf(place.zone, *picture, zoom))
                continue;
            if (copyLandsAsDrawn(*picture, zoom, QRect(place.left, place.top, zoom, zoom), clip) != landing) continue;
            if (!makeCopy(place.zone, *picture, zoom, QRect())) return;
        }
}

void MapRenderCache::endZones(int32_t zoom)
{
    lastZoneZoom = zoom;
    for (auto it = scaledPictures.begin(); it != scaledPictures.end();) {
        if (it->second.frame == zoneFrame) {
            ++it;
            continue;
        }
        scaledBytes -= size_t(it->second.image.sizeInBytes());
        it = scaledPictures.erase(it);
    }
}
