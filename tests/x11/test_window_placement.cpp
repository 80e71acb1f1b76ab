// Where the main window appears under a window manager, over two starts of the program.
#include "main_window_fixture.h"
#include "x11_support.h"

namespace {

QRect frameOnScreen(const QWidget& w)
{
    return QRect(w.frameGeometry().topLeft(), w.size());
}

} // namespace

TEST(WindowPlacement, KeptOverTwoStarts)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f(false);
    f.writePrefs("[MAPW]=800\r\n[MAPH]=560\r\n[MAPT]=60\r\n[MAPL]=90\r\n");

    // First start: the frame where pref.ini puts it, the client area of its size.
    QRect moved;
    {
        auto w = f.start();
        w->show();
        ASSERT_TRUE(x11::waitManaged(w.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return frameOnScreen(*w) == QRect(90, 60, 800, 560); }, 5000))
            << frameOnScreen(*w).x() << "," << frameOnScreen(*w).y() << " " << w->width() << "x" << w->height();
        // The user moves it elsewhere and closes the program.
        w->move(140, 110);
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->frameGeometry().topLeft() == QPoint(140, 110); }, 5000));
        moved = frameOnScreen(*w);
        ASSERT_TRUE(w->close());
    }

    // Second start: the same place and size again.
    auto w = f.start();
    w->show();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return frameOnScreen(*w) == moved; }, 5000))
        << frameOnScreen(*w).x() << "," << frameOnScreen(*w).y() << " " << w->width() << "x" << w->height();
}
