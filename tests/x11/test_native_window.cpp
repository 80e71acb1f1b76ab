// The main window's native window under a real X server and window manager: stay on top and
// Qt's own replacement of the native window leave the program running; the window manager's
// close and another program destroying the window close it the way the user's close does.
#include "main_window_fixture.h"
#include "nickname_dialog.h"
#include "x11_support.h"

namespace {

bool staysOnTopForWindowManager(const QWidget* w)
{
    return x11::hasAtom(x11::property32(x11::windowOf(w), "_NET_WM_STATE"), "_NET_WM_STATE_ABOVE");
}

// Clicks the stay-on-top button and waits until the window manager keeps the window above
// the others or no longer does; then every event that came of it has been handled.
void clickStayOnTop(TForm4& w, bool dialogOpen = false)
{
    const bool on = !w.but_stay->isChecked();
    if (dialogOpen)
        w.but_stay->click(); // a modal dialog keeps the mouse from the window
    else
        QTest::mouseClick(w.but_stay, Qt::LeftButton);
    ASSERT_EQ(w.but_stay->isChecked(), on);
    ASSERT_EVENTUALLY(x11::managed(&w) && staysOnTopForWindowManager(&w) == on)
        << "stay on top " << on;
    x11::settle();
}

// Changes a window flag through the widget, for which Qt replaces the shown window's native
// window, and waits until the window manager manages the new one.
void replaceNativeWindow(TForm4& w)
{
    const xcb_window_t before = x11::windowOf(&w);
    w.setWindowFlag(Qt::WindowStaysOnTopHint, !(w.windowFlags() & Qt::WindowStaysOnTopHint));
    w.show();
    ASSERT_EVENTUALLY(x11::windowOf(&w) != before && x11::managed(&w));
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
    EXPECT_EQ(x11::windowOf(w.get()), first); // told to the window manager on the same window
    EXPECT_FALSE(w->but_stay->isChecked());
    EXPECT_FALSE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(f.readFile("pref.ini"), prefs); // nothing was closed, nothing written
    EXPECT_TRUE(w->AdditionsModified());

    // With a dialog of the window open, the window goes on top and back; both stay.
    TForm6 dialog(w.get());
    dialog.show();
    ASSERT_TRUE(x11::waitManaged(&dialog));
    clickStayOnTop(*w, true);
    EXPECT_TRUE(w->windowFlags() & Qt::WindowStaysOnTopHint);
    clickStayOnTop(*w, true);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(x11::managed(&dialog));
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(f.boxes.shown.isEmpty());
    EXPECT_EQ(f.readFile("pref.ini"), prefs);
}

TEST(NativeWindow, ReplacedByQtIsNoCloseDestroyedByAnotherProgramIs)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f;
    auto w = f.startShown();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    w->toggle_tagnew(true);
    const QByteArray prefs = f.readFile("pref.ini");

    // Qt replaces the native window for some flag changes and destroys the old one itself:
    // repeatedly, and with a dialog of the window open, that is no close.
    replaceNativeWindow(*w);
    replaceNativeWindow(*w);
    TForm6 dialog(w.get());
    dialog.show();
    ASSERT_TRUE(x11::waitManaged(&dialog));
    replaceNativeWindow(*w);
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(f.boxes.shown.isEmpty()) << f.boxes.shown.join('|').toStdString();
    EXPECT_EQ(f.readFile("pref.ini"), prefs);
    dialog.reject();

    // Another client destroys the window in use now: the program asks as a close does.
    f.boxes.answers = {kAnswerNo};
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> other(xcb_connect(nullptr, nullptr),
                                                                       &xcb_disconnect);
    ASSERT_EQ(xcb_connection_has_error(other.get()), 0);
    xcb_destroy_window(other.get(), x11::windowOf(w.get()));
    xcb_flush(other.get());
    ASSERT_EVENTUALLY(!w->isVisible());
    EXPECT_EQ(f.boxes.shown.size(), 1);
    EXPECT_TRUE(f.boxes.answers.empty());
}

TEST(NativeWindow, WindowManagerCloseAsksAsTheUsersCloseDoes)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f;
    auto w = f.startShown();
    ASSERT_TRUE(x11::waitManaged(w.get()));
    clickStayOnTop(*w);
    w->toggle_tagnew(true);
    const QByteArray prefs = f.readFile("pref.ini");

    // Cancel at the save question: the window stays, the additions stay unsaved.
    f.boxes.answers = {kAnswerCancel};
    x11::closeThroughWindowManager(w.get());
    ASSERT_EVENTUALLY(f.boxes.shown.size() == 1);
    x11::settle();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(w->AdditionsModified());
    EXPECT_EQ(f.readFile("pref.ini"), prefs);

    // No: the window closes and leaves its settings behind.
    f.boxes.answers = {kAnswerNo};
    x11::closeThroughWindowManager(w.get());
    ASSERT_EVENTUALLY(!w->isVisible());
    EXPECT_EQ(f.boxes.shown.size(), 2);
    EXPECT_TRUE(f.boxes.answers.empty());
    w.reset();
    EXPECT_NE(f.readFile("pref.ini"), prefs);
}
