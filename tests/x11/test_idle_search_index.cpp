// The search index made while the program is idle, under the X server's event loop (the
// xcb platform waits for events in its own way).
#include "main_window_fixture.h"
#include "search.h"
#include "search_idle_build.h"
#include "x11_support.h"

TEST(IdleSearchIndex, MadeWhileTheWindowWaitsForEvents)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f(true, 3000);
    auto w = f.start();
    w->show();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    const auto* idle = w->findChild<SearchIndexIdleBuild*>("searchIndexIdleBuild");
    ASSERT_TRUE(idle);
    EXPECT_TRUE(idleUntil([&] { return w->searcher->upToDate(); }));
    const int slices = idle->slices();
    EXPECT_GT(slices, 0);
    // A note changed in place, as the editor reports it: made again while idle.
    w->MyTreeStore.contentChanged();
    EXPECT_FALSE(w->searcher->upToDate());
    EXPECT_TRUE(idleUntil([&] { return w->searcher->upToDate(); }));
    EXPECT_GT(idle->slices(), slices);
}
