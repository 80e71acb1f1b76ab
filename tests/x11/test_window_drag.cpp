// The window drag under a window manager: the real pointer pressed on the top tool bar's
// free width and moved moves the window with it; a maximized window stays where it is.
#include <QScreen>
#include <QToolBar>

#include "main_window_fixture.h"
#include "real_input.h"

namespace {

using x11::xdotool;

// Presses the left button at `from`, moves the pointer by `by` in two steps and lets go,
// as a user drags. When the window is to move (`moving`), the pointer first nudges it until
// the window manager, which takes the move over once it has the pointer, moves its frame:
// on a busy machine it may get the pointer after the test has let go.
void dragWithThePointer(QPoint from, QPoint by, const QWidget* moving = nullptr)
{
    const auto at = x11::pointerAt;
    ASSERT_TRUE(xdotool(at(from)));
    ASSERT_TRUE(xdotool({"mousedown", "1"}));
    x11::settle(); // the press reached the window, which handed the move to the window manager
    if (moving) {
        const QPoint before = x11::frameOrigin(moving);
        int nudge = 0;
        ASSERT_TRUE(test_wait::waitUntil([&] {
            xdotool(at(from + QPoint(1 + nudge % 2, 1)));
            ++nudge;
            return x11::frameOrigin(moving) != before;
        })) << "the window manager never took the move";
    }
    ASSERT_TRUE(xdotool(at(from + by / 2)));
    ASSERT_TRUE(xdotool(at(from + by)));
    ASSERT_TRUE(xdotool({"mouseup", "1"}));
}

// A point of the top tool bar that none of its buttons covers, on the screen; the middle
// row first.
QPoint freePointOfTopBar(const TForm4& w)
{
    const QToolBar* bar = w.ToolBar1;
    for (int dy = 0; dy < bar->height() / 2; ++dy)
        for (int y : {bar->height() / 2 - dy, bar->height() / 2 + dy})
            for (int x = bar->width() - 1; x >= 0; --x)
                if (!bar->childAt(x, y)) return bar->mapToGlobal(QPoint(x, y));
    ADD_FAILURE() << "the top bar has no free point";
    return bar->mapToGlobal(QPoint(0, 0));
}

} // namespace

TEST(WindowDrag, ThePointerOnTheTopBarMovesTheWindowButNotAMaximizedOne)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    REQUIRE_XDOTOOL();
    MainWindowFixture f(false);
    f.writePrefs("[MAPW]=800\r\n[MAPH]=560\r\n[MAPT]=60\r\n[MAPL]=90\r\n");
    auto w = f.start();
    w->show();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    ASSERT_EVENTUALLY(x11::frameOrigin(w.get()) == QPoint(90, 60) && x11::placeKnown(w.get()));

    dragWithThePointer(freePointOfTopBar(*w), QPoint(120, 70), w.get());
    EXPECT_EVENTUALLY(x11::frameOrigin(w.get()) == QPoint(210, 130));
    EXPECT_EVENTUALLY(w->frameGeometry().topLeft() == QPoint(210, 130)) << "the window knows where it is";

    // A press on a button is the button's, not a drag (let go off the button, it does nothing).
    const QPoint origin = x11::frameOrigin(w.get());
    const bool tips = w->but_tips->isChecked();
    dragWithThePointer(w->but_tips->mapToGlobal(w->but_tips->rect().center()), QPoint(60, 40));
    x11::settle();
    EXPECT_EQ(x11::frameOrigin(w.get()), origin);
    EXPECT_EQ(w->but_tips->isChecked(), tips);

    // Maximized, it stays.
    w->showMaximized();
    // Qt says maximized before the window manager has moved the frame: wait for the frame.
    const QPoint screenCorner = w->screen()->availableGeometry().topLeft();
    ASSERT_EVENTUALLY(w->isMaximized() && x11::managed(w.get()) && x11::frameOrigin(w.get()) == screenCorner);
    x11::settle();
    const QPoint maximized = x11::frameOrigin(w.get());
    dragWithThePointer(freePointOfTopBar(*w), QPoint(100, 80));
    x11::settle();
    EXPECT_EQ(x11::frameOrigin(w.get()), maximized);
    EXPECT_TRUE(w->isMaximized());
}
