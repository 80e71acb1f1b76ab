#include "label_warmup.h"

#include <exception>
#include <utility>

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>

#include "map_render_cache.h"
#include "map_scene.h"

LabelFontWarmup::LabelFontWarmup(MapScene& scene, std::function<bool()> paused, QObject* parent)
    : QObject(parent), scene_(scene), paused_(std::move(paused))
{
    timer_.setInterval(0);
    connect(&timer_, &QTimer::timeout, this, &LabelFontWarmup::slice);
    // The loop about to wait is the moment the program has nothing else to do.
    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &LabelFontWarmup::check);
}

bool LabelFontWarmup::wanted() const
{
    // Labels are drawn only with the markers and the names shown; the fonts come with the
    // categories of the loaded data.
    return scene_.tree && scene_.common && scene_.ShowMarkers && scene_.overlays.legend;
}

bool LabelFontWarmup::done() const
{
    return scene_.tree && tree_ == scene_.tree && generation_ == scene_.tree->generation() &&
           next_ >= scene_.tree->idLimit();
}

void LabelFontWarmup::check()
{
    if (timer_.isActive() || !wanted() || done() || paused_()) return;
    timer_.start();
}

LabelFontWarmup::FontRun& LabelFontWarmup::fontRun(const LabelGlyphs* glyphs)
{
    for (FontRun& r : fonts_)
        if (r.glyphs == glyphs) return r;
    return fonts_.emplace_back(FontRun{glyphs, 0});
}

void LabelFontWarmup::slice()
{
    if (!wanted() || paused_()) {
        timer_.stop(); // the next wait of the loop looks again
        return;
    }
    ++slices_;
    const LocationTree& tree = *scene_.tree;
    if (tree_ != &tree || generation_ != tree.generation()) { // a new tree: its names from the start
        tree_ = &tree;
        generation_ = tree.generation();
        next_ = 0;
        learnt_ = 0;
        looked_ = 0;
        fonts_.clear();
    }
    MapRenderCache& cache = renderCache(scene_);
    QElapsedTimer clock;
    clock.start();
    // The same looks the paint uses, brought up to date as a paint does (a category's font
    // may have changed since). A look made for the first time loads its font, which can take
    // milliseconds: with many categories the first looks are spread over several slices.
    cache.followTree(tree);
    const auto& categories = scene_.common->categories;
    for (size_t i = 0; i < categories.size(); ++i) {
        if (categories[i]) cache.look(*categories[i], scene_.categoryIcons);
        if (i < looked_) continue;
        looked_ = i + 1;
        // A new look: the timer runs on, and the next slice goes on from the next category.
        if (clock.elapsed() >= slice_.count() && looked_ < categories.size()) return;
    }
    const size_t limit = tree.idLimit();
    FontRun* run = nullptr; // the font of the location before, most often the next one's
    try {
        while (next_ < limit) {
            const int node = int(next_++);
            if (tree.levelOf(node) == levelLocation) {
                const TNodeData* data = tree.node(node).data.get();
                if (data && data->item && data->category) {
                    const MapRenderCache::CategoryLook& look = cache.lookAsIs(*data->category, scene_.categoryIcons);
                    if (look.glyphs) {
                        if (!run || run->glyphs != look.glyphs) run = &fontRun(look.glyphs);
                        if (run->quiet < kQuietRun) {
                            const size_t before = look.glyphs->learnings();
                            cache.learnLabel(data->item->name, look);
                            const bool learnt = look.glyphs->learnings() != before;
                            run->quiet = learnt ? 0 : run->quiet + 1;
                            ++learnt_;
                            // Learning a glyph draws it several times: the clock is looked at
                            // after each such label, so that a slice keeps to its time.
                            if (learnt && clock.elapsed() >= slice_.count()) break;
                        }
                    }
                }
            }
            if ((next_ & 31) == 0 && clock.elapsed() >= slice_.count()) break;
        }
    } catch (const std::exception&) { // out of memory: the paint learns what is left, or fails as it would
        next_ = limit;
    }
    if (next_ >= limit) timer_.stop();
}
