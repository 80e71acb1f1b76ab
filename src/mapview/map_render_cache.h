#pragma once
// What the map paint keeps from one frame to the next: every category's icon converted
// once for blitting and its label font, the labels of the locations laid out (QStaticText)
// and rasterised once into coverage masks that the paint tints and blends, the zone
// pictures scaled to a held zoom, the zone layer of a still view, and the tips laid out
// once. Private to the renderer's files.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QStaticText>

#include "label_glyphs.h"
#include "map_blit.h"
#include "memory_stream.h"

struct rCateg;
class pMap_info;
class LocationTree;
struct MapScene;

struct MapRenderCache {
    static constexpr int kLabelPad = 4;
    static constexpr size_t kLabelMax = 41;  // bytes of a label's text: "-" and the name
    static constexpr int kLabelMargin = 4;   // room round a label's layout box for glyphs that reach out of it
    struct CategoryLook {
        qint64 iconKey = 0;   // cacheKey of the icon it was made from; 0: none yet
        QImage icon;          // premultiplied ARGB, or null when the category has none
        // The icon moved right by 0..3 pixels in a clear image a multiple of 4 wide: the paint
        // blends whole groups of four pixels that start on a multiple of 4, the same groups
        // for every picture of the frame (see blendIcon).
        std::array<QImage, 4> shifted;
        std::array<PreparedPicture, 4> prepared; // the same, ready for blendPrepared
        bool hasFont = false;
        QFont sourceFont;     // the category's font it was made from
        QFont labelFont;      // the same in pixels: points x 96 / 72, the scale the stored fonts assume
        int points = 0;       // the size in points: the label's top is py - points + 1
        uint32_t fontSerial = 0;
        LabelGlyphs* glyphs = nullptr; // the label font's glyph steps, shared by every look of the font
    };
    struct Label {
        std::string name;     // the location name it was made from
        uint32_t fontSerial = 0;
        uint32_t lastFrame = 0; // the frame that last drew it
        int dx = 0, dy = 0;   // top-left of the mask from the label's top-left position
        int width = 0, height = 0;
        // height rows of kLabelPad clear bytes, width bytes of the text's coverage (0..255),
        // kLabelPad clear bytes: a row can be read from 3 pixels before to 3 after the ink.
        std::vector<uint8_t> coverage;
        int stride() const { return width + 2 * kLabelPad; }
        // Per row, the first column with ink and the column past the last one.
        std::vector<std::pair<uint16_t, uint16_t>> ink;
        size_t bytes() const
        {
            return sizeof(Label) + name.capacity() + coverage.capacity() + ink.capacity() * sizeof(ink[0]);
        }
    };

    // The category's look, refreshed when its icon or font changed (stripIcons: the icons of
    // the base strip by icon index, for a category without an icon of its own).
    CategoryLook& look(const rCateg& category, const std::vector<QImage>* stripIcons);
    // The look as the last refresh left it; refreshed first when the category has none yet.
    const CategoryLook& lookAsIs(const rCateg& category, const std::vector<QImage>* stripIcons);
    // The location's label, made again only when its name or its category's font changed;
    // counted as drawn in the current frame.
    const Label& label(int node, const std::string& name, const CategoryLook& look);
    // For fetching ahead of the paint: where the node's label is held, and the label as it
    // is (not checked against the name), or nullptr.
    const void* labelSlot(int node) const { return size_t(node) < labels.size() ? &labels[size_t(node)] : nullptr; }
    const Label* labelIfAny(int node) const { return size_t(node) < labels.size() ? labels[size_t(node)].get() : nullptr; }
    // Forgets labels of a cleared tree.
    void followTree(const LocationTree& tree);
    void forgetLabels();
    // Frames number the labels' use. endFrame ends the painter of the scratch image that the
    // labels of the frame were made on, and when the labels hold more than labelByteCap,
    // frees the least recently drawn down to three quarters of it, never one drawn in this
    // frame or the one before.
    void beginFrame() { ++frame; }
    void endFrame();

    // Lays a label's text (Windows-1252) out and rasterises it into its mask on the scratch
    // image: placed from the font's glyph steps, or through the full text layout when they
    // cannot place it (or fullLayoutOnly is set). Both give the same mask.
    void rasterise(Label& label, const std::string& text, const CategoryLook& look);
    bool fullLayoutOnly = false;
    // Placed glyph runs drawn by the painter, not put together from the glyphs' masks (the
    // same masks; for comparing the two ways).
    bool painterGlyphs = false;
    // The placed glyph run (at margin, margin) blended from its glyphs' masks onto the clear
    // canvas of w x h; false, with the canvas untouched, when a glyph has no mask.
    bool composeGlyphs(int w, int h, int margin, LabelGlyphs& glyphs);
    // The masks of the placed glyph run's glyphs (at margin, margin) into glyphMasks, learnt
    // where missing; false when a glyph has none.
    bool gatherMasks(int margin, LabelGlyphs& glyphs);
    // Learns what the label of a location of this name needs from its font (glyphs, pair
    // steps, glyph masks) without making the label: the label made later finds them ready,
    // the same data as if it had learnt them itself. False when the label would not be put
    // together from glyph masks.
    bool learnLabel(const std::string& name, const CategoryLook& look);
    std::string learnText; // the label text learnLabel looks at, reused
    // The label's mask and ink spans: the canvas's w x h coverage cut to its ink.
    void cutToInk(Label& label, int w, int h, int margin);
    std::vector<std::pair<const LabelGlyphs::Mask*, int>> glyphMasks; // of one label, with each glyph's whole pixel
    std::vector<uint8_t> canvas; // a label's coverage before the cut, rows canvasStride apart
    size_t canvasStride = 0;

    std::unordered_map<const rCateg*, CategoryLook> categories;
    std::vector<std::unique_ptr<Label>> labels; // by node id
    size_t labelBytes = 0; // bytes held by the labels' masks
    size_t labelByteCap = size_t(64) << 20;
    size_t labelsMade = 0; // labels rasterised so far
    uint32_t frame = 0;
    const LocationTree* tree = nullptr;
    size_t treeGeneration = 0;
    uint32_t nextFontSerial = 1;

    std::vector<int> walk; // the nodes of one zone in tree order, reused from zone to zone
    ByteBuffer hits;       // the frame's hit-test records, written to the stream in one piece
    QImage scratch;                           // where the labels are rasterised
    std::unique_ptr<QPainter> scratchPainter; // open on it for the labels of one frame
    uint32_t scratchFontSerial = 0;

    std::vector<std::pair<QFont, std::unique_ptr<LabelGlyphs>>> labelGlyphs; // by label font
    QGlyphRun glyphRun; // reused from label to label

    // Zone pictures scaled down to the zoom once (nearest neighbour), copied at every paint
    // instead of sampling the full picture again: premultiplied, clear where the scaled
    // drawing leaves a pixel untouched, so the copy lands exactly as the scaled drawing.
    struct ScaledPicture {
        qint64 sourceKey = 0; // cacheKey of the picture it was made from
        int32_t zoom = 0;
        uint32_t frame = 0;   // the last zone paint that had its zone in view
        QImage image;
    };
    using ScaledPictures = std::unordered_map<const pMap_info*, ScaledPicture>;
    // Whether the picture drawn into a zoom x zoom square can come from a scaled copy: scaled
    // down (the copy no larger than the picture), opaque, nearest neighbour.
    static bool copyable(const QImage& picture, int32_t zoom, bool smooth);
    // Whether the copy drawn with its top-left at the square's gives, within the clip, exactly
    // the pixels of the picture scaled into the square directly. Not always where the clip
    // cuts the square's top or left: the scaling then starts its fixed-point steps from the
    // first pixel it draws, and may sample a row or column of the picture apart.
    static bool copyLandsAsDrawn(const QImage& picture, int32_t zoom, const QRect& square, const QRect& clip);
    // Starts a paint's zone pictures at the zoom: a return to the zoom held before the last
    // change finds that zoom's copies again. The paint may make copies that cost up to
    // budget bytes more than drawing their pictures directly would (reading the source
    // pictures is most of it), and with firstFree one copy whatever it costs; the rest
    // follow in the next paints, mostly those over a kept layer (makeCopiesAhead).
    void beginZones(int32_t zoom, qint64 budget, bool firstFree);
    // The picture drawn into a zoom x zoom square at (left, top): from its scaled copy when
    // there is one and it lands there as the scaled drawing does; else the copy is made first when the zoom held since the previous zone
    // paint (a zoom in motion pays no copy it would throw away) and the paint's budget allows;
    // otherwise scaled directly.
    void drawZonePicture(QPainter& painter, const pMap_info* zone, int32_t left, int32_t top, int32_t zoom,
                         const QImage& picture);
    // Over a kept zone layer, where nothing is drawn: makes the copies the planned zones lack,
    // within the paint's budget, for the paints that draw them again (the view moved); first
    // those that land as drawn where their zones lie now, within the clip.
    void makeCopiesAhead(int32_t zoom, bool smooth, const QRect& clip);
    // Ends a zone paint: drops the copies of the zoom whose zones were not in view.
    void endZones(int32_t zoom);
    // The copy of the zone's picture at the zoom, or nullptr when there is none (made from
    // another picture, or at another zoom).
    ScaledPicture* copyOf(const pMap_info* zone, const QImage& picture, int32_t zoom);
    // Makes the zone's copy when the paint's budget and the byte cap allow; shown: the part of
    // its square that the paint would otherwise scale directly (empty over a kept layer).
    ScaledPicture* makeCopy(const pMap_info* zone, const QImage& picture, int32_t zoom, QRect shown);
    void dropFormer();
    ScaledPictures scaledPictures; // copies at copiesZoom
    int32_t copiesZoom = 0;
    ScaledPictures formerPictures; // copies at formerZoom, the zoom held before copiesZoom
    int32_t formerZoom = 0;
    size_t scaledBytes = 0; // of both sets
    size_t scaledByteCap = size_t(64) << 20;
    uint32_t zoneFrame = 0;
    int scaledMadeThisPaint = 0;
    qint64 copyExtraThisPaint = 0; // bytes the copies made this paint cost beyond direct drawing
    qint64 copyBudget = 0;         // the paint's allowance for copyExtraThisPaint
    bool firstCopyFree = true;     // the paint makes one copy whatever its budget
    int32_t lastZoneZoom = 0; // the zoom of the previous zone paint

    // The zone layer (background, zone pictures, their vectors and the grids) depends only
    // on what this key holds. A paint whose key is the previous paint's keeps a copy of the
    // layer; a paint that finds the kept copy's key again starts from the copy instead of
    // drawing the zones (a repaint over a still map: hover, selection, markers). A view in
    // motion pays no copy.
    struct ZonePlace {
        const pMap_info* zone = nullptr;
        int32_t left = 0, top = 0;
        qint64 pictureKey = 0;   // cacheKey of the image or tile drawn; 0: none
        uint64_t vectorHash = 0; // of the zone's vector bytes when they are drawn, else 0
        bool operator==(const ZonePlace&) const = default;
    };
    struct ZoneLayerKey {
        int width = 0, height = 0;
        qsizetype bytesPerLine = 0;
        QImage::Format format = QImage::Format_Invalid;
        qreal pixelRatio = 1;
        int32_t zoom = 0;
        bool smooth = false;
        uint64_t gridHash = 0, borderHash = 0; // of the grids' bytes when they are drawn, else 0
        std::vector<ZonePlace> zones; // in drawing order, the zones in view only
        bool operator==(const ZoneLayerKey&) const = default;
    };
    ZoneLayerKey zoneKey;     // this paint's
    std::vector<const QImage*> zonePictures; // this paint's, by zoneKey.zones
    ZoneLayerKey lastZoneKey; // the previous paint's
    ZoneLayerKey keptZoneKey; // the kept copy's
    QImage keptZones;         // null when none is kept
    size_t zoneLayersReused = 0; // paints that started from the kept copy

    // What the last paint spent its time on, for measuring (the clock is read a few times
    // a paint): milliseconds of each step, and what the steps made anew.
    struct PaintCost {
        double planMs = 0;      // zones in view, tiles asked for, the layer's key
        double zonesMs = 0;     // the zone layer: copied from the kept one, or drawn
        double picturesMs = 0;  // of which the zone pictures
        double keepMs = 0;      // the drawn layer copied to be kept
        double overlaysMs = 0;  // veil, markers, paths and lines
        double locationsMs = 0; // squares, icons and labels
        double restMs = 0;      // waypoints, highlight, tips, feedback
        bool zonesDrawn = false;
        int picturesScaled = 0; // zone pictures scaled directly
        int copiesMade = 0;     // scaled copies made
        int copiesUsed = 0;     // scaled copies drawn
        size_t labelsMade = 0;
    };
    PaintCost lastCost;

    std::vector<std::string> tipsSource;
    std::vector<QStaticText> tips;
};

// The scene's cache, made on first use.
MapRenderCache& renderCache(MapScene& scene);
