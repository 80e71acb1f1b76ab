// The label fonts learnt while the window is idle: in slices, not while something loads,
// and with the same glyph data a paint learns itself, so a first visit to a map learns
// nothing more and draws what a paint from a cold cache draws.
#include <gtest/gtest.h>

#include <QAction>
#include <QSlider>
#include <QTest>

#include <chrono>
#include <utility>

#include "label_warmup.h"
#include "main_window_fixture.h"
#include "map_render_cache.h"
#include "map_widget.h"
#include "progress_bar.h"

namespace {

// Lets the event loop wait for events for a while, as the program's own loop does.
void idleFor(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

size_t masksLearnt(TForm4& w)
{
    size_t n = 0;
    for (const auto& [font, glyphs] : renderCache(w.scene).labelGlyphs) n += glyphs->masksLearnt();
    return n;
}

} // namespace

TEST(LabelFontWarmup, LearntInSlicesWhenNothingLoadsAndAFirstVisitThenLearnsNothingAndDrawsAsACold)
{
    using namespace std::chrono_literals;
    MainWindowFixture f(true, 3000, 24);
    auto w = f.start();
    auto* warmup = w->findChild<LabelFontWarmup*>("labelFontWarmup");
    ASSERT_TRUE(warmup);
    warmup->setSliceLength(0ms); // many short slices
    EXPECT_EQ(warmup->slices(), 0) << "nothing learnt while the data loaded";

    // The progress bar up, as while data or a map loads: the idle window learns nothing.
    w->resize(1000, 700);
    w->G32_ProgressBar1->show();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    idleFor(300ms);
    EXPECT_EQ(warmup->slices(), 0);
    EXPECT_EQ(warmup->learnt(), 0u);

    w->G32_ProgressBar1->hide();
    ASSERT_TRUE(idleUntil([&] { return warmup->done(); }));
    EXPECT_GT(warmup->slices(), 10);
    EXPECT_GE(warmup->learnt(), 3000u);
    EXPECT_FALSE(warmup->active());

    const QList<QAction*> items = mapItems(*w);
    ASSERT_GE(items.size(), 2);
    MapWidget& map = *w->ImageMapView;
    auto paintCold = [&] {
        const auto kept = std::exchange(w->scene.renderCache, nullptr);
        QImage cold(map.lastFrame().size(), map.lastFrame().format());
        map.paintLayer(cold);
        w->scene.renderCache = kept;
        return cold;
    };
    w->findChild<QSlider*>("ZoomBar")->setValue(700); // labels large enough to read
    const size_t learnt = masksLearnt(*w);
    EXPECT_GT(learnt, 50u);
    for (const int item : {1, 0}) {
        const size_t labelsBefore = renderCache(w->scene).labelsMade;
        items[item]->trigger();
        map.repaint();
        EXPECT_GT(renderCache(w->scene).labelsMade, labelsBefore + 20);
        EXPECT_EQ(masksLearnt(*w), learnt) << "the visit found every glyph it needed learnt";
        EXPECT_TRUE(map.lastFrame() == paintCold());
    }

    // A reload brings a new tree: its names are looked at again once the loop is idle.
    const int slices = warmup->slices();
    ASSERT_TRUE(w->reload_all(false));
    EXPECT_FALSE(warmup->done());
    ASSERT_TRUE(idleUntil([&] { return warmup->done(); }));
    EXPECT_GT(warmup->slices(), slices);
    EXPECT_GE(warmup->learnt(), 3000u);
}
