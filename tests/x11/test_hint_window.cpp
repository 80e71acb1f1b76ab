// The hint of the location under the mouse under a real X server: the right button's menu
// and the dialogs opened over the map come without it.
#include "edit_window_fixture.h"
#include "hint_window.h"
#include "x11_support.h"

TEST(HintWindow, TheMapMenuOpensWithoutTheHintOfTheHoveredLocation)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    EditWindow e;
    ASSERT_TRUE(x11::waitManaged(e.w.get()));
    const int node = e.findLocation();
    const QPoint p = e.hover(node);
    TCustomHint* hint = e.w->hints->window();
    ASSERT_EVENTUALLY(hint->isVisible());
    // The right button through the window, as the X server delivers it: the press opens the menu.
    QTest::mouseClick(e.w->windowHandle(), Qt::RightButton, {}, e.w->ImageMapView->mapTo(e.w.get(), p));
    ASSERT_EVENTUALLY(e.w->Menu_image->isVisible());
    x11::settle();
    EXPECT_FALSE(hint->isVisible());
    e.w->Menu_image->hide();
}
