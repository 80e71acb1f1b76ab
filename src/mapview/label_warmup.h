#pragma once
// Learns the label fonts while the program is idle. The first paint of a map otherwise
// learns, for every category font its labels use, the font engine, the glyphs and their
// steps from one to the next, and each glyph's coverage mask at the positions the names
// put it: work done once per font and glyph, which a first visit to a map would pay while
// the user waits. Whenever the event loop is about to wait and the tree's names have not
// been looked at yet (after a load or a reload), a zero timer goes through the locations a
// few milliseconds at a time and learns what their labels will need, without making the
// labels. The loop handles whatever came in between two slices. The data learnt is the
// same as the paint would learn: a label looks the same whichever learnt it.
// Names soon stop bringing anything new to a font: once a font's last kQuietRun labels
// needed nothing new, its other labels are passed over (a rare glyph or pair left out is
// learnt by the paint that needs it, as without the warm-up).
#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

#include <QObject>
#include <QTimer>

class LabelGlyphs;
class LocationTree;
struct MapScene;

class LabelFontWarmup : public QObject {
    Q_OBJECT
public:
    // paused: while true (data or a map loading, the window going), no slice runs.
    LabelFontWarmup(MapScene& scene, std::function<bool()> paused, QObject* parent);

    static constexpr std::chrono::milliseconds kSlice{4};
    static constexpr size_t kQuietRun = 4000;
    // The time a slice may take; 0 ends each slice after a few locations.
    void setSliceLength(std::chrono::milliseconds length) { slice_ = length; }
    // Slices run so far; whether one is due; whether every location of the current tree has
    // been looked at.
    int slices() const { return slices_; }
    bool active() const { return timer_.isActive(); }
    bool done() const;
    // Labels learnt from in the current tree (not those of fonts that had gone quiet).
    size_t learnt() const { return learnt_; }

private:
    bool wanted() const;
    void check();
    void slice();
    struct FontRun;
    FontRun& fontRun(const LabelGlyphs* glyphs);

    MapScene& scene_;
    std::function<bool()> paused_;
    QTimer timer_;
    std::chrono::milliseconds slice_ = kSlice;
    int slices_ = 0;
    // Where the walk of the tree by node id stands, and which tree it walks.
    const LocationTree* tree_ = nullptr;
    size_t generation_ = 0;
    size_t next_ = 0;
    size_t learnt_ = 0;
    // Categories whose look was made for the current tree (the first look loads the font).
    size_t looked_ = 0;
    // Per font of the current tree, how many labels in a row needed nothing new.
    struct FontRun {
        const LabelGlyphs* glyphs = nullptr;
        size_t quiet = 0;
    };
    std::vector<FontRun> fonts_;
};
