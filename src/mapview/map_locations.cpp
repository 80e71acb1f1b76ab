// The icon pass of the map layer: colour squares, category icons and labels of the
// locations of the zones in view, and the hit-test records of every icon placed.
// Squares, icons and labels are written straight into the buffer's pixels: the labels are
// laid out and rasterised once per location (a coverage mask, label_masks.cpp) and tinted
// at every paint.
#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>

#include <QPainter>

#include "map_blit.h"
#include "map_render_cache.h"
#include "map_renderer.h"
#include "tree_visibility.h"

namespace {

constexpr int kIconHalf = 5;          // icons are 11 x 11, centred on the location
constexpr int kSquareHalf = 2;        // colour squares are 5 x 5
// How many nodes of the walk ahead the paint fetches each stage of a location's data.
constexpr size_t kNodeAhead = 16, kDataAhead = 10, kItemAhead = 6, kRowsAhead = 3;

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
    if (x0 == start && x1 == start + icon.width()) { // not cut by the buffer's sides
        blendPrepared(px, start, top, look.prepared[size_t(left - start)]);
        return;
    }
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

} // namespace

namespace {

// A TColor ($00BBGGRR) as an opaque ARGB pixel.
inline uint32_t opaqueArgb(TColor c)
{
    return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

inline void prefetch(const void* p)
{
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

// A prepared label's name, ink spans and coverage rows.
inline void prefetchLabel(const MapRenderCache::Label& label)
{
    prefetch(label.name.data());
    prefetch(label.ink.data());
    const uint8_t* bytes = label.coverage.data();
    const size_t size = label.coverage.size();
    for (size_t at = 0; at < size; at += 64) prefetch(bytes + at);
}

// The buffer rows around a location at screen point (x, y) that its icon (11 x 11) and its
// label (up to labelReach pixels right of the icon, its top a few rows above the icon's)
// are drawn on: the start of each row, and along the label every 64 bytes.
inline void prefetchRows(const Pixels& px, int x, int y, int labelReach)
{
    const int x0 = std::clamp(x - kIconHalf, 0, px.width - 1);
    const int x1 = std::clamp(x + kIconHalf + labelReach, 0, px.width - 1);
    const int y0 = std::max(y - kIconHalf - 4, 0), y1 = std::min(y + kIconHalf, px.height - 1);
    for (int row = y0; row <= y1; ++row) {
        const uint32_t* line = px.row(row);
        for (int col = x0; col <= x1; col += 16) prefetch(line + col);
        prefetch(line + x1);
    }
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
                look.prepared[size_t(shift)] = PreparedPicture();
                continue;
            }
            moved = QImage((look.icon.width() + shift + 3) / 4 * 4, look.icon.height(), QImage::Format_ARGB32_Premultiplied);
            moved.fill(Qt::transparent);
            for (int y = 0; y < look.icon.height(); ++y)
                std::memcpy(moved.scanLine(y) + 4 * shift, look.icon.constScanLine(y), size_t(look.icon.width()) * 4);
            look.prepared[size_t(shift)] = preparePicture(moved);
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
        look.glyphs = nullptr;
        for (auto& [f, g] : labelGlyphs)
            if (f == look.labelFont) look.glyphs = g.get();
        if (!look.glyphs) {
            labelGlyphs.emplace_back(look.labelFont, std::make_unique<LabelGlyphs>(look.labelFont));
            look.glyphs = labelGlyphs.back().second.get();
        }
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
    if (id < labels.size() && labels[id] && labels[id]->fontSerial == look.fontSerial && labels[id]->name == name) {
        labels[id]->lastFrame = frame;
        return *labels[id];
    }
    if (id >= labels.size()) labels.resize(std::max(id + 1, tree ? tree->idLimit() : 0));
    if (!labels[id]) labels[id] = std::make_unique<Label>();
    Label& l = *labels[id];
    labelBytes -= l.bytes();
    l.name = name;
    l.fontSerial = look.fontSerial;
    l.lastFrame = frame;
    ++labelsMade;
    rasterise(l, ("-" + name).substr(0, kLabelMax), look);
    labelBytes += l.bytes();
    return l;
}

void MapRenderCache::endFrame()
{
    scratchPainter.reset();
    if (labelBytes <= labelByteCap) return;
    std::vector<std::pair<uint32_t, size_t>> old; // last frame drawn, node id
    for (size_t id = 0; id < labels.size(); ++id)
        if (labels[id] && labels[id]->lastFrame + 1 < frame) old.emplace_back(labels[id]->lastFrame, id);
    std::sort(old.begin(), old.end());
    const size_t goal = labelByteCap / 4 * 3;
    for (const auto& [lastFrame, id] : old) {
        if (labelBytes <= goal) break;
        labelBytes -= labels[id]->bytes();
        labels[id].reset();
    }
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

namespace {

// A hit-test record: x and y as signed 16 bits, then the node as 32 bits, little-endian.
void putRecord(uint8_t* out, QPoint screen, int node)
{
    const uint16_t x = uint16_t(int16_t(screen.x())), y = uint16_t(int16_t(screen.y()));
    const uint32_t n = uint32_t(int32_t(node));
    const uint8_t record[kHitTestRecordSize] = {uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8),
                                                uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)};
    std::memcpy(out, record, sizeof record);
}

// Round(units / 65535 x zoom + origin), ties to even, saturated: ScaleToScreen for the
// 16-bit zone-local coordinates of locations, with the divisor a constant. 65535 is odd, so
// the quotient is never a tie.
inline int32_t localToScreen(uint16_t units, int32_t zoom, int32_t origin)
{
    if (zoom < 0) return ScaleToScreen(units, zoom, origin);
    const int64_t v = int64_t(origin) + (int64_t(units) * zoom + kZoneSpan / 2) / kZoneSpan;
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

bool putmapnode(MapScene& scene, QPoint screen, int node)
{
    if (!scene.view.point_in_view(screen)) return false;
    uint8_t record[kHitTestRecordSize];
    putRecord(record, screen, node);
    MemoryStream& stream = scene.HitTestStream;
    stream.position = stream.size(); // appended, wherever a reader left the position
    stream.write(record, sizeof record);
    return true;
}

void draw_locations(MapScene& scene, QPainter& painter)
{
    if (scene.CurrentMapId == -1 || !scene.ShowMarkers || !scene.tree) return;
    const LocationTree& tree = *scene.tree;
    MapRenderCache& cache = renderCache(scene);
    cache.followTree(tree);
    cache.beginFrame();
    // Every category's icon and font checked once per frame, not once per location.
    if (scene.common)
        for (const auto& c : scene.common->categories)
            if (c) cache.look(*c, scene.categoryIcons);
    const MapViewport& view = scene.view;
    const int32_t zoom = view.Zoom;
    const bool legend = scene.overlays.legend;

    std::vector<int>& walk = cache.walk;
    ByteBuffer& hits = cache.hits;
    hits.clear();
    withPixels(painter, [&](const Pixels& px) {
        bool labelFlag = false;
        bool skipping = false; // in a category whose icons are not shown
        const rCateg* lookCategory = nullptr;
        const MapRenderCache::CategoryLook* look = nullptr;
        for (const pMap_info* zone : scene.DisplayedZones) {
            if (!zone || !zone->inView || !tree.isNode(zone->treeNode)) continue;
            const ViewRect r = view.zoneScreenRect(*zone);
            // The zone node's own subtree in tree order, flat: each category, then its locations.
            walk.clear();
            for (int categNode : tree.children(zone->treeNode)) {
                walk.push_back(categNode);
                const std::vector<int>& kids = tree.node(categNode).children;
                walk.insert(walk.end(), kids.begin(), kids.end());
            }
            for (size_t k = 0; k < walk.size(); ++k) {
                // Nodes, payloads and labels on the heap, and the buffer rows a location is
                // drawn on (scattered over the frame): fetch them a few nodes ahead, each
                // stage reading only what an earlier one fetched.
                if (k + kNodeAhead < walk.size()) prefetch(&tree.node(walk[k + kNodeAhead]));
                if (k + kDataAhead < walk.size()) {
                    prefetch(tree.node(walk[k + kDataAhead]).data.get());
                    prefetch(cache.labelSlot(walk[k + kDataAhead]));
                }
                if (k + kItemAhead < walk.size()) {
                    if (const TNodeData* ahead = tree.node(walk[k + kItemAhead]).data.get()) prefetch(ahead->item.get());
                    prefetch(cache.labelIfAny(walk[k + kItemAhead]));
                }
                if (k + kRowsAhead < walk.size()) {
                    const TreeNode& ahead = tree.node(walk[k + kRowsAhead]);
                    if (ahead.level == levelLocation && ahead.data && ahead.data->item) {
                        const rItemdata& item = *ahead.data->item;
                        const MapRenderCache::Label* label = labelFlag ? cache.labelIfAny(walk[k + kRowsAhead]) : nullptr;
                        if (label) prefetchLabel(*label);
                        if (labelFlag) prefetch(item.name.data());
                        const QPoint s(localToScreen(item.x, zoom, r.left), localToScreen(item.y, zoom, r.top));
                        if (view.point_in_view(s)) prefetchRows(px, s.x(), s.y(), label ? label->dx + label->width : 0);
                    }
                }
                const int node = walk[k];
                const TreeNode& n = tree.node(node);
                if (n.level == levelCategory) {
                    skipping = false;
                    if (!n.visible || !n.data || !n.data->category) continue; // passed over, its locations still walked
                    const rCateg& c = *n.data->category;
                    labelFlag = c.visible && c.labelsNow && legend;
                    skipping = !c.iconsNow; // on to the next category: none of its icons
                    continue;
                }
                if (skipping || !n.visible || n.level != levelLocation || n.check != NodeCheck::Checked) continue;
                if (!n.data || !n.data->item || !n.data->category) continue;
                const rItemdata& item = *n.data->item;
                const QPoint s(localToScreen(item.x, zoom, r.left), localToScreen(item.y, zoom, r.top));
                // Tested in 32 bits before it is stored in 16: outside the view, neither drawn
                // nor hoverable (putmapnode, here gathered and written once at the end).
                if (!view.point_in_view(s)) continue;
                hits.resize(hits.size() + kHitTestRecordSize);
                putRecord(hits.data() + hits.size() - kHitTestRecordSize, s, node);
                if (!check_traduc_visibility(item, scene.overlays.traduc)) continue;

                const rCateg& c = *n.data->category;
                if (lookCategory != &c) {
                    look = &cache.lookAsIs(c, scene.categoryIcons);
                    lookCategory = &c;
                }
                if (int32_t(item.colour) > 0) // a colour of 0 or below (a system colour) is none
                    fillSquare(px, s.x() - kSquareHalf, s.y() - kSquareHalf, 2 * kSquareHalf + 1, opaqueArgb(item.colour));
                if (!look->icon.isNull()) blendIcon(px, s.x() - kIconHalf, s.y() - kIconHalf, *look);
                if (!labelFlag) continue;
                // The text in the location's colour for creatures, else in the category's.
                const uint32_t textColour = opaqueArgb(c.kind == kindCreature ? item.colour : c.colour);
                const MapRenderCache::Label& label = cache.label(node, item.name, *look);
                blendLabel(px, s.x() + kIconHalf, s.y() - look->points + 1, label, textColour);
            }
        }
    });
    MemoryStream& stream = scene.HitTestStream;
    stream.position = stream.size(); // appended, wherever a reader left the position
    stream.write(hits.data(), hits.size());
    cache.endFrame();
}

MapLabelPreparer::MapLabelPreparer(MapScene& scene, const MapViewport& view) : scene_(scene), view_(view)
{
    // A copy of the view that only answers where things are: it repaints nothing.
    view_.onLevelOfDetail = nullptr;
    view_.onZoomBar = nullptr;
    view_.onRepaint = nullptr;
    if (scene.CurrentMapId == -1 || !scene.ShowMarkers || !scene.tree || !scene.overlays.legend) {
        done_ = true;
        return;
    }
    MapRenderCache& cache = renderCache(scene);
    cache.followTree(*scene.tree);
    if (scene.common)
        for (const auto& c : scene.common->categories)
            if (c) cache.look(*c, scene.categoryIcons);
}

MapLabelPreparer::~MapLabelPreparer()
{
    // Labels that went through the painter left it open on the scratch image.
    if (scene_.renderCache) scene_.renderCache->scratchPainter.reset();
}

bool MapLabelPreparer::step()
{
    if (done_) return false;
    try {
        if (makeNext()) return true;
    } catch (const std::exception&) { // out of memory: the paint makes what is left, or fails as it would
    }
    done_ = true;
    return false;
}

bool MapLabelPreparer::nextZone()
{
    const LocationTree& tree = *scene_.tree;
    while (zoneIndex_ < scene_.DisplayedZones.size()) {
        const pMap_info* zone = scene_.DisplayedZones[zoneIndex_++];
        if (!zone || !tree.isNode(zone->treeNode)) continue;
        zoneRect_ = view_.zoneScreenRect(*zone);
        if (!view_.zone_in_view(zoneRect_)) continue;
        walk_.clear();
        next_ = 0;
        for (int categNode : tree.children(zone->treeNode)) {
            walk_.push_back(categNode);
            const std::vector<int>& kids = tree.node(categNode).children;
            walk_.insert(walk_.end(), kids.begin(), kids.end());
        }
        return true;
    }
    return false;
}

bool MapLabelPreparer::makeNext()
{
    const LocationTree& tree = *scene_.tree;
    MapRenderCache& cache = renderCache(scene_);
    const int32_t zoom = view_.Zoom;
    for (;;) {
        if (next_ >= walk_.size() && !nextZone()) return false;
        if (next_ >= walk_.size()) continue;
        const int node = walk_[next_++];
        if (!tree.isNode(node)) continue;
        // The same choices as draw_locations, node by node.
        const TreeNode& n = tree.node(node);
        if (n.level == levelCategory) {
            skipping_ = false;
            if (!n.visible || !n.data || !n.data->category) continue;
            const rCateg& c = *n.data->category;
            labelFlag_ = c.visible && c.labelsNow;
            skipping_ = !c.iconsNow;
            continue;
        }
        if (skipping_ || !labelFlag_ || !n.visible || n.level != levelLocation || n.check != NodeCheck::Checked) continue;
        if (!n.data || !n.data->item || !n.data->category) continue;
        const rItemdata& item = *n.data->item;
        const QPoint s(localToScreen(item.x, zoom, zoneRect_.left), localToScreen(item.y, zoom, zoneRect_.top));
        if (!view_.point_in_view(s) || !check_traduc_visibility(item, scene_.overlays.traduc)) continue;
        cache.label(node, item.name, cache.lookAsIs(*n.data->category, scene_.categoryIcons));
        ++made_;
        return true;
    }
}
