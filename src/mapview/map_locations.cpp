// The icon pass of the map layer: colour squares, category icons and labels of the
// locations of the zones in view, and the hit-test records of every icon placed.
// Squares, icons and labels are written straight into the buffer's pixels: the labels are
// laid out and rasterised once per location (a coverage mask) and tinted at every paint.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <QPainter>
#include <QStaticText>

#include "cp1252.h"
#include "map_blit.h"
#include "map_render_cache.h"
#include "map_renderer.h"
#include "tree_visibility.h"

namespace {

constexpr size_t kMaxLabelBytes = size_t(64) << 20; // prepared labels kept before all are dropped
constexpr size_t kLabelMax = 41;      // "-" and the name
constexpr int kIconHalf = 5;          // icons are 11 x 11, centred on the location
constexpr int kSquareHalf = 2;        // colour squares are 5 x 5

// The buffer's pixels when the painter draws on a 32-bit image that can be written
// directly (premultiplied or opaque); null otherwise.
struct Pixels {
    uint8_t* bits = nullptr;
    qsizetype stride = 0;
    int width = 0, height = 0;
    explicit operator bool() const { return bits != nullptr; }
    uint32_t* row(int y) const { return reinterpret_cast<uint32_t*>(bits + stride * y); }
};

Pixels pixelsOf(QPainter& painter)
{
    Pixels px;
    QPaintDevice* device = painter.device();
    if (!device || device->devType() != QInternal::Image) return px;
    QImage* image = static_cast<QImage*>(device);
    if (image->format() != QImage::Format_ARGB32_Premultiplied && image->format() != QImage::Format_RGB32) return px;
    px.bits = image->bits(); // the painter already holds the image detached: no copy here
    px.stride = image->bytesPerLine();
    px.width = image->width();
    px.height = image->height();
    return px;
}

// Opaque square from (left, top), size x size, clipped.
void fillSquare(const Pixels& px, int left, int top, int size, uint32_t argb)
{
    const int x0 = std::max(left, 0), x1 = std::min(left + size, px.width);
    const int y0 = std::max(top, 0), y1 = std::min(top + size, px.height);
    for (int y = y0; y < y1; ++y) std::fill(px.row(y) + x0, px.row(y) + x1, argb);
}

// x rounded down to a multiple of 4.
inline int groupStart(int x)
{
    return x & ~3;
}

// Pixels are blended in groups of four that start on a multiple of 4 in the buffer, the
// same groups for every icon and label: a group read right after an overlapping one was
// written is then the same 16 bytes, which the processor hands over from its store queue
// (a group that straddles it would wait for the write to land).

// The category's icon with its top-left corner at (left, top), clipped.
void blendIcon(const Pixels& px, int left, int top, const MapRenderCache::CategoryLook& look)
{
    const int start = groupStart(left);
    const QImage& icon = look.shifted[size_t(left - start)];
    const int x0 = std::max(start, 0), x1 = std::min(start + icon.width(), px.width);
    const int y0 = std::max(top, 0), y1 = std::min(top + icon.height(), px.height);
    if (x0 >= x1) return;
    for (int y = y0; y < y1; ++y)
        blendRow(px.row(y) + x0, reinterpret_cast<const uint32_t*>(icon.constScanLine(y - top)) + (x0 - start), x1 - x0);
}

// A label's coverage tinted with an opaque colour, the label's top-left at (left, top), clipped.
void blendLabel(const Pixels& px, int left, int top, const MapRenderCache::Label& label, uint32_t colour)
{
    constexpr int pad = MapRenderCache::kLabelPad;
    left += label.dx;
    top += label.dy;
    const int y0 = std::max(top, 0), y1 = std::min(top + label.height, px.height);
    for (int y = y0; y < y1; ++y) {
        const auto [first, past] = label.ink[size_t(y - top)];
        const int x0 = std::max(left + first, 0), x1 = std::min(left + past, px.width);
        if (x0 >= x1) continue;
        // Out to whole groups: at most 3 clear pixels more on either side, within the padding.
        const int g0 = groupStart(x0), g1 = std::min(groupStart(x1 + 3), px.width);
        const uint8_t* row = label.coverage.data() + size_t(y - top) * size_t(label.stride()) + pad;
        blendCoverageRow(px.row(y) + g0, row + (g0 - left), g1 - g0, colour);
    }
}

// The same through a painter that is not on a 32-bit image.
void paintLabel(QPainter& painter, int left, int top, const MapRenderCache::Label& label, uint32_t colour)
{
    if (label.width <= 0 || label.height <= 0) return;
    QImage tinted(label.width, label.height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < label.height; ++y) {
        uint32_t* out = reinterpret_cast<uint32_t*>(tinted.scanLine(y));
        const uint8_t* row = label.coverage.data() + size_t(y) * size_t(label.stride()) + MapRenderCache::kLabelPad;
        for (int x = 0; x < label.width; ++x) out[x] = mapblit::byteMul(colour, row[x]);
    }
    painter.drawImage(left + label.dx, top + label.dy, tinted);
}

// Lays the text out and rasterises it in white on a clear image: its alpha is the coverage.
void rasterise(MapRenderCache::Label& label, const QString& text, const QFont& font)
{
    QStaticText laidOut(text);
    laidOut.setTextFormat(Qt::PlainText);
    laidOut.prepare(QTransform(), font);
    constexpr int margin = 4; // room for glyphs that reach out of the layout box
    const QSizeF size = laidOut.size();
    const int w = int(std::ceil(size.width())) + 2 * margin, h = int(std::ceil(size.height())) + 2 * margin;
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawStaticText(QPointF(margin, margin), laidOut);
    }
    int minX = w, minY = h, maxX = -1, maxY = -1;
    for (int y = 0; y < h; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (row[x] >> 24) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    }
    label.coverage.clear();
    label.ink.clear();
    if (maxX < 0) { // nothing to see: a name of blanks
        label.width = label.height = 0;
        return;
    }
    label.dx = minX - margin;
    label.dy = minY - margin;
    label.width = maxX - minX + 1;
    label.height = maxY - minY + 1;
    label.coverage.assign(size_t(label.stride()) * size_t(label.height), 0);
    label.ink.assign(size_t(label.height), {0, 0});
    for (int y = 0; y < label.height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(image.constScanLine(minY + y)) + minX;
        uint8_t* out = label.coverage.data() + size_t(y) * size_t(label.stride()) + MapRenderCache::kLabelPad;
        int first = label.width, past = 0;
        for (int x = 0; x < label.width; ++x) {
            const uint8_t c = uint8_t(row[x] >> 24);
            out[x] = c;
            if (c) {
                first = std::min(first, x);
                past = x + 1;
            }
        }
        if (past > 0) label.ink[size_t(y)] = {uint16_t(first), uint16_t(past)};
    }
}

QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

inline void prefetch(const void* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

int pointsOf(const QFont& font)
{
    if (font.pointSize() > 0) return font.pointSize();
    if (font.pixelSize() > 0) return (font.pixelSize() * 72 + 48) / 96;
    return 8;
}

} // namespace

MapRenderCache& renderCache(MapScene& scene)
{
    if (!scene.renderCache) scene.renderCache = std::make_shared<MapRenderCache>();
    return *scene.renderCache;
}

MapRenderCache::CategoryLook& MapRenderCache::look(const rCateg& category, const std::vector<QImage>* stripIcons)
{
    CategoryLook& look = categories[&category];
    const QImage* source = &category.icon;
    if (source->isNull() && stripIcons && category.iconIndex < stripIcons->size()) source = &(*stripIcons)[category.iconIndex];
    const qint64 key = source->isNull() ? -1 : source->cacheKey();
    if (look.iconKey != key) {
        look.iconKey = key;
        look.icon = source->isNull() ? QImage() : source->convertToFormat(QImage::Format_ARGB32_Premultiplied);
        for (int shift = 0; shift < 4; ++shift) {
            QImage& moved = look.shifted[size_t(shift)];
            if (look.icon.isNull()) {
                moved = QImage();
                continue;
            }
            moved = QImage((look.icon.width() + shift + 3) / 4 * 4, look.icon.height(), QImage::Format_ARGB32_Premultiplied);
            moved.fill(Qt::transparent);
            for (int y = 0; y < look.icon.height(); ++y)
                std::memcpy(moved.scanLine(y) + 4 * shift, look.icon.constScanLine(y), size_t(look.icon.width()) * 4);
        }
    }
    if (!look.hasFont || !(look.sourceFont == category.font)) {
        look.hasFont = true;
        look.sourceFont = category.font;
        look.points = pointsOf(category.font);
        look.labelFont = category.font;
        // Windows makes a font of p points on a 96-dpi screen MulDiv(p, 96, 72) pixels high.
        look.labelFont.setPixelSize(std::max(1, (look.points * 96 + 36) / 72));
        look.fontSerial = nextFontSerial++;
    }
    return look;
}

const MapRenderCache::CategoryLook& MapRenderCache::lookAsIs(const rCateg& category, const std::vector<QImage>* stripIcons)
{
    auto it = categories.find(&category);
    return it != categories.end() ? it->second : look(category, stripIcons);
}

const MapRenderCache::Label& MapRenderCache::label(int node, const std::string& name, const CategoryLook& look)
{
    const size_t id = size_t(node);
    if (id < labels.size() && labels[id] && labels[id]->fontSerial == look.fontSerial && labels[id]->name == name)
        return *labels[id];
    if (labelBytes >= kMaxLabelBytes) forgetLabels();
    if (id >= labels.size()) labels.resize(std::max(id + 1, tree ? tree->idLimit() : 0));
    if (!labels[id]) labels[id] = std::make_unique<Label>();
    Label& l = *labels[id];
    labelBytes -= l.bytes();
    l.name = name;
    l.fontSerial = look.fontSerial;
    rasterise(l, FromCp1252(("-" + name).substr(0, kLabelMax)), look.labelFont);
    labelBytes += l.bytes();
    return l;
}

void MapRenderCache::forgetLabels()
{
    labels.clear();
    labelBytes = 0;
}

void MapRenderCache::followTree(const LocationTree& t)
{
    if (tree != &t || treeGeneration != t.generation()) {
        forgetLabels();
        categories.clear(); // a reload frees the categories; their addresses may come back
        tree = &t;
        treeGeneration = t.generation();
    }
}

void forget_map_labels(MapScene& scene)
{
    if (scene.renderCache) scene.renderCache->forgetLabels();
}

bool putmapnode(MapScene& scene, QPoint screen, int node)
{
    if (!scene.view.point_in_view(screen)) return false;
    const int16_t x = int16_t(screen.x()), y = int16_t(screen.y());
    const int32_t n = node;
    uint8_t record[kHitTestRecordSize] = {
        uint8_t(x), uint8_t(uint16_t(x) >> 8), uint8_t(y), uint8_t(uint16_t(y) >> 8),
        uint8_t(n), uint8_t(uint32_t(n) >> 8), uint8_t(uint32_t(n) >> 16), uint8_t(uint32_t(n) >> 24)};
    scene.HitTestStream.write(record, sizeof record);
    return true;
}

void draw_locations(MapScene& scene, QPainter& painter)
{
    if (scene.CurrentMapId == -1 || !scene.ShowMarkers || !scene.tree) return;
    const LocationTree& tree = *scene.tree;
    MapRenderCache& cache = renderCache(scene);
    cache.followTree(tree);
    // Every category's icon and font checked once per frame, not once per location.
    if (scene.common)
        for (const auto& c : scene.common->categories)
            if (c) cache.look(*c, scene.categoryIcons);
    const Pixels px = pixelsOf(painter);
    const MapViewport& view = scene.view;
    const int32_t zoom = view.Zoom;
    const bool legend = scene.overlays.legend;

    bool labelFlag = false;
    const rCateg* lookCategory = nullptr;
    const MapRenderCache::CategoryLook* look = nullptr;
    for (const pMap_info* zone : scene.DisplayedZones) {
        if (!zone || !zone->inView || !tree.isNode(zone->treeNode)) continue;
        const ViewRect r = view.zoneScreenRect(*zone);
        // The zone node's own subtree, in tree order: categories, then their locations.
        for (int categNode : tree.children(zone->treeNode)) {
            const TreeNode& cn = tree.node(categNode);
            if (cn.visible && cn.level == levelCategory && cn.data && cn.data->category) {
                const rCateg& c = *cn.data->category;
                labelFlag = c.visible && c.labelsNow && legend;
                if (!c.iconsNow) continue; // on to the next category: none of its icons
            }
            // A hidden category node is passed over; its locations are still walked.
            const std::vector<int>& kids = cn.children;
            for (size_t k = 0; k < kids.size(); ++k) {
                // The payloads live on the heap: fetch them a few locations ahead.
                if (k + 4 < kids.size()) prefetch(tree.node(kids[k + 4]).data.get());
                if (k + 2 < kids.size())
                    if (const TNodeData* ahead = tree.node(kids[k + 2]).data.get()) prefetch(ahead->item.get());
                const int node = kids[k];
                const TreeNode& n = tree.node(node);
                if (!n.visible || n.level != levelLocation || n.check != NodeCheck::Checked) continue;
                if (!n.data || !n.data->item || !n.data->category) continue;
                const rItemdata& item = *n.data->item;
                const QPoint s(ScaleToScreen(item.x, zoom, r.left), ScaleToScreen(item.y, zoom, r.top));
                if (!putmapnode(scene, s, node)) continue; // outside the view: neither drawn nor hoverable
                if (!check_traduc_visibility(item, scene.overlays.traduc)) continue;

                const rCateg& c = *n.data->category;
                if (lookCategory != &c) {
                    look = &cache.lookAsIs(c, scene.categoryIcons);
                    lookCategory = &c;
                }
                const bool hasColour = int32_t(item.colour) > 0;
                const uint32_t squareColour = 0xFF000000u | fromTColor(item.colour).rgb();
                if (px) {
                    if (hasColour) fillSquare(px, s.x() - kSquareHalf, s.y() - kSquareHalf, 2 * kSquareHalf + 1, squareColour);
                    if (!look->icon.isNull()) blendIcon(px, s.x() - kIconHalf, s.y() - kIconHalf, *look);
                } else {
                    if (hasColour)
                        painter.fillRect(QRect(s.x() - kSquareHalf, s.y() - kSquareHalf, 2 * kSquareHalf + 1, 2 * kSquareHalf + 1),
                                         QColor::fromRgb(squareColour));
                    if (!look->icon.isNull()) painter.drawImage(s.x() - kIconHalf, s.y() - kIconHalf, look->icon);
                }
                if (!labelFlag) continue;
                // The text in the location's colour for creatures, else in the category's.
                const uint32_t textColour = 0xFF000000u | fromTColor(c.kind == kindCreature ? item.colour : c.colour).rgb();
                const MapRenderCache::Label& label = cache.label(node, item.name, *look);
                const int left = s.x() + kIconHalf, top = s.y() - look->points + 1;
                if (px)
                    blendLabel(px, left, top, label, textColour);
                else
                    paintLabel(painter, left, top, label, textColour);
            }
        }
    }
}
