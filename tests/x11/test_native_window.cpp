// The main window's native window under a real X server and window manager: stay on top
// re-creates it, the window manager's close button and another program destroying it close
// the program the way the user's close does.
#include "main_window_fixture.h"
#include "nickname_dialog.h"
#include "x11_support.h"

namespace {

bool staysOnTopForWindowManager(const QWidget* w)
{
    return x11::hasAtom(x11::property32(x11::windowOf(w), "_NET_WM_STATE"), "_NET_WM_STATE_ABOVE");
}

// Clicks the stay-on-top button and waits until the window manager manages the window
// again with the new state; then every notice of the old window has been handled.
void clickStayOnTop(TForm4& w, QWidget* clickTarget = nullptr)
{
    const bool on = !w.but_stay->isChecked();
    if (clickTarget)
        w.but_stay->click(); // a modal dialog keeps the mouse from the window
    else
        QTest::mouseClick(w.but_stay, Qt::LeftButton);
    ASSERT_EQ(w.but_stay->isChecked(), on);
    ASSERT_TRUE(QTest::qWaitFor([&] { return x11::managed(&w) && staysOnTopForWindowManager(&w) == on; }, 5000))
        << "stay on top " << on;
    x11::settle();
}

} // namespace

TEST(NativeWindow, StayOnTopOnAndOffKeepsTheProgramRunning)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f;
    auto w = f.startShown();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    w->toggle_tagnew(true); // unsaved additions: a close would ask first
    const QByteArray prefs = f.readFile("pref.ini");
    const xcb_window_t first = x11::windowOf(w.get());

    for (int i = 0; i < 4; ++i) {
        clickStayOnTop(*w);
        EXPECT_TRUE(w->isVisible()) << "click " << i + 1;
        EXPECT_TRUE(f.boxes.shown.isEmpty()) << f.boxes.shown.join('|').toStdString();
    }
    EXPECT_NE(x11::windowOf(w.get()), first); // the native window was indeed replaced
    EXPECT_FALSE(w->but_stay->isChecked());
    EXPECT_EQ(f.readFile("pref.ini"), prefs); // nothing was closed, nothing written
    EXPECT_TRUE(w->AdditionsModified());

    // With a dialog of the window open, the window goes on top and back; both stay.
    TForm6 dialog(w.get());
    dialog.show();
    ASSERT_TRUE(x11::waitManaged(&dialog));
    clickStayOnTop(*w, &dialog);
    clickStayOnTop(*w, &dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(x11::managed(&dialog));
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(f.boxes.shown.isEmpty());
    EXPECT_EQ(f.readFile("pref.ini"), prefs);
}

TEST(NativeWindow, WindowManagerCloseAsksAsTheUsersCloseDoes)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f;
    auto w = f.startShown();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    clickStayOnTop(*w); // the close reaches the window that replaced the first one
    w->toggle_tagnew(true);
    const QByteArray prefs = f.readFile("pref.ini");

    // Cancel at the save question: the window stays, the additions stay unsaved.
    f.boxes.answers = {kAnswerCancel};
    x11::closeThroughWindowManager(w.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.boxes.shown.size() == 1; }, 5000));
    x11::settle();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->AdditionsModified());
    EXPECT_EQ(f.readFile("pref.ini"), prefs);

    // No: the window closes and leaves its settings behind.
    f.boxes.answers = {kAnswerNo};
    x11::closeThroughWindowManager(w.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isVisible(); }, 5000));
    EXPECT_EQ(f.boxes.shown.size(), 2);
    EXPECT_TRUE(f.boxes.answers.empty());
    w.reset();
    EXPECT_NE(f.readFile("pref.ini"), prefs);
}

TEST(NativeWindow, DestroyedByAnotherProgramClosesAfterStayOnTop)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f;
    auto w = f.startShown();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    clickStayOnTop(*w);
    clickStayOnTop(*w);
    w->toggle_tagnew(true);

    // Another client destroys the window in use now: the program asks as a close does.
    f.boxes.answers = {kAnswerNo};
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> other(xcb_connect(nullptr, nullptr),
                                                                       &xcb_disconnect);
    ASSERT_EQ(xcb_connection_has_error(other.get()), 0);
    xcb_destroy_window(other.get(), x11::windowOf(w.get()));
    xcb_flush(other.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w->isVisible(); }, 5000));
    EXPECT_EQ(f.boxes.shown.size(), 1);
    EXPECT_TRUE(f.boxes.answers.empty());
}
