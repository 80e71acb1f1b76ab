// The icon pass of the map layer: colour squares, category icons and labels of the
// locations of the zones in view, and the hit-test records of every icon placed.
// Squares and icons are written straight into the buffer's pixels; the labels are laid out
// once per location (QStaticText) and drawn by the painter.
#include <algorithm>
#include <cstring>

#include <QPainter>

#include "cp1252.h"
#include "map_render_cache.h"
#include "map_renderer.h"
#include "tree_visibility.h"

namespace {

constexpr size_t kMaxLabels = 200000; // prepared labels kept before they are all dropped
constexpr size_t kLabelMax = 41;      // "-" and the name
constexpr int kIconHalf = 5;          // icons are 11 x 11, centred on the location
constexpr int kSquareHalf = 2;        // colour squares are 5 x 5

// x * a / 255 on the four channels of a premultiplied pixel, as Qt rounds it.
inline uint32_t byteMul(uint32_t x, uint32_t a)
{
    uint32_t t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = (x + ((x >> 8) & 0xff00ff) + 0x800080);
    x &= 0xff00ff00;
    return x | t;
}

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

// A premultiplied icon blended with its top-left corner at (left, top), clipped.
void blendIcon(const Pixels& px, int left, int top, const QImage& icon)
{
    const int x0 = std::max(left, 0), x1 = std::min(left + icon.width(), px.width);
    const int y0 = std::max(top, 0), y1 = std::min(top + icon.height(), px.height);
    for (int y = y0; y < y1; ++y) {
        const uint32_t* src = reinterpret_cast<const uint32_t*>(icon.constScanLine(y - top)) + (x0 - left);
        uint32_t* dst = px.row(y) + x0;
        for (int x = x0; x < x1; ++x, ++src, ++dst) {
            const uint32_t s = *src;
            const uint32_t a = s >> 24;
            if (a == 0) continue;
            *dst = a == 255 ? s : s + byteMul(*dst, 255 - a);
        }
    }
}

QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
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

const QStaticText& MapRenderCache::label(int node, const std::string& name, const CategoryLook& look)
{
    auto it = labels.find(node);
    if (it != labels.end() && it->second.fontSerial == look.fontSerial && it->second.name == name)
        return it->second.text;
    if (it == labels.end()) {
        if (labels.size() >= kMaxLabels) labels.clear();
        it = labels.emplace(node, Label{}).first;
    }
    Label& l = it->second;
    l.name = name;
    l.fontSerial = look.fontSerial;
    l.text = QStaticText(FromCp1252(("-" + name).substr(0, kLabelMax)));
    l.text.setTextFormat(Qt::PlainText);
    l.text.setPerformanceHint(QStaticText::AggressiveCaching);
    l.text.prepare(QTransform(), look.labelFont);
    return l.text;
}

void MapRenderCache::followTree(const LocationTree& t)
{
    if (tree != &t || treeGeneration != t.generation()) {
        labels.clear();
        categories.clear(); // a reload frees the categories; their addresses may come back
        tree = &t;
        treeGeneration = t.generation();
    }
}

void forget_map_labels(MapScene& scene)
{
    if (scene.renderCache) scene.renderCache->labels.clear();
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

    painter.save();
    uint32_t penColour = 0;
    bool penSet = false;
    uint32_t fontSerial = 0;
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
            for (int node : cn.children) {
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
                if (px) {
                    if (hasColour)
                        fillSquare(px, s.x() - kSquareHalf, s.y() - kSquareHalf, 2 * kSquareHalf + 1,
                                   0xFF000000u | fromTColor(item.colour).rgb());
                    if (!look->icon.isNull()) blendIcon(px, s.x() - kIconHalf, s.y() - kIconHalf, look->icon);
                } else {
                    if (hasColour)
                        painter.fillRect(QRect(s.x() - kSquareHalf, s.y() - kSquareHalf, 2 * kSquareHalf + 1, 2 * kSquareHalf + 1),
                                         fromTColor(item.colour));
                    if (!look->icon.isNull()) painter.drawImage(s.x() - kIconHalf, s.y() - kIconHalf, look->icon);
                }
                if (!labelFlag) continue;
                const TColor textColour = c.kind == kindCreature ? item.colour : c.colour;
                if (!penSet || penColour != textColour) {
                    painter.setPen(fromTColor(textColour));
                    penColour = textColour;
                    penSet = true;
                }
                if (fontSerial != look->fontSerial) {
                    painter.setFont(look->labelFont);
                    fontSerial = look->fontSerial;
                }
                painter.drawStaticText(QPointF(s.x() + kIconHalf, s.y() - look->points + 1), cache.label(node, item.name, *look));
            }
        }
    }
    painter.restore();
}
