// Where the main window appears under a window manager, over two starts of the program.
#include "main_window_fixture.h"
#include "x11_support.h"

namespace {

// The frame's place as the server has it, with the client area's size.
QRect frameOnScreen(const QWidget& w)
{
    return QRect(x11::frameOrigin(&w), w.size());
}

std::string describe(const QRect& r)
{
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
           std::to_string(r.height());
}

} // namespace

TEST(WindowPlacement, KeptOverTwoStartsAndStayOnTop)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f(false);
    f.writePrefs("[MAPW]=800\r\n[MAPH]=560\r\n[MAPT]=60\r\n[MAPL]=90\r\n");

    QRect moved;
    {
        // First start: the frame where pref.ini puts it, the client area of its size.
        auto w = f.start();
        w->show();
        ASSERT_TRUE(x11::waitManaged(w.get()));
        const QRect expected(90, 60, 800, 560);
        ASSERT_EVENTUALLY(frameOnScreen(*w) == expected)
            << describe(frameOnScreen(*w));

        // Stay on top on, off and on: the window stays where it is, and the window knows
        // where that is (it saves its place from what it knows).
        for (int i = 0; i < 3; ++i) {
            QTest::mouseClick(w->but_stay, Qt::LeftButton);
            ASSERT_EVENTUALLY(x11::managed(w.get()));
            x11::settle();
            EXPECT_EQ(frameOnScreen(*w), expected) << "click " << i + 1;
            EXPECT_EQ(QRect(w->frameGeometry().topLeft(), w->size()), expected)
                << "click " << i + 1 << ": " << describe(w->frameGeometry());
        }

        // The user moves it elsewhere and closes the program.
        w->move(140, 110);
        ASSERT_EVENTUALLY(frameOnScreen(*w).topLeft() == QPoint(140, 110));
        moved = frameOnScreen(*w);
        ASSERT_TRUE(w->close());
    }

    // Second start: the same place and size again.
    auto w = f.start();
    w->show();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    EXPECT_EVENTUALLY(frameOnScreen(*w) == moved) << describe(frameOnScreen(*w));
}
