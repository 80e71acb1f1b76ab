// The hint of a location near the bottom of the screen: moved up so that it ends at the
// screen's edge, it lies over the pointer and stays up.
#include "edit_window_fixture.h"
#include "hint_window.h"
#include "x11_support.h"

TEST(HintWindow, ALocationAtTheBottomOfTheScreenKeepsItsHintOverThePointer)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    EditWindow e;
    ASSERT_TRUE(x11::waitManaged(e.w.get()));
    const int node = e.findLocation();
    QPoint p = e.hover(node);
    // The window moved down until the location's icon lies 10 pixels above the screen's bottom.
    const QRect screen = e.w->screen()->geometry();
    const QPoint icon = e.w->ImageMapView->mapToGlobal(p);
    e.w->move(e.w->pos() + QPoint(0, screen.bottom() - 10 - icon.y()));
    ASSERT_EVENTUALLY(e.w->ImageMapView->mapToGlobal(p).y() == screen.bottom() - 10);
    x11::settle();
    e.paint();
    p = iconOf(*e.w, node);
    // Off the icon first, so that coming back to it raises its hint anew.
    e.w->hints->hideHint();
    moveOverMap(*e.w, p + QPoint(40, -40));
    moveOverMap(*e.w, p);
    TCustomHint* hint = e.w->hints->window();
    ASSERT_EVENTUALLY(hint->isVisible());
    ASSERT_TRUE(hint->geometry().contains(e.w->ImageMapView->mapToGlobal(p)));
    // Once the X server has delivered what the hint's showing caused, the pointer is still
    // on the map and the hint still up.
    x11::settle();
    x11::settle();
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(e.w->scene.HotNode, node);
}
