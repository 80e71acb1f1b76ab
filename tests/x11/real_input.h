#pragma once
// The real pointer and keyboard, through the X server: xdotool moves the pointer, presses
// its buttons and types keys as a user does, so the window manager and Qt's own focus and
// shortcut handling see them as they see a user's.
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include "main_window_fixture.h"
#include "x11_support.h"

namespace x11 {

// Runs xdotool with these arguments, then lets what it caused reach the program.
inline bool xdotool(const QStringList& arguments)
{
    QProcess p;
    p.start("xdotool", arguments);
    const bool ran = p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    settle();
    return ran;
}

inline bool xdotoolAvailable()
{
    return !QStandardPaths::findExecutable("xdotool").isEmpty();
}

inline QStringList pointerAt(QPoint screen)
{
    return {"mousemove", QString::number(screen.x()), QString::number(screen.y())};
}

// The main window of the fixture's folder, shown where pref.ini puts it (900 x 650 at 90,60),
// once the server and Qt both have it there: a busy window manager places the frame a little
// after managing it, and points mapped to the screen before that are off.
inline std::unique_ptr<TForm4> startPlaced(MainWindowFixture& f)
{
    f.writePrefs("[MAPW]=900\r\n[MAPH]=650\r\n[MAPT]=60\r\n[MAPL]=90\r\n");
    auto w = f.start();
    w->show();
    if (!waitManaged(w.get())) return nullptr;
    if (!test_wait::waitUntil([&] { return frameOrigin(w.get()) == QPoint(90, 60) && placeKnown(w.get()); }))
        return nullptr;
    return w;
}

} // namespace x11

// Skips (fails where the X11 tests are required) without xdotool.
#define REQUIRE_XDOTOOL()                                                                      \
    do {                                                                                       \
        if (!x11::xdotoolAvailable() && x11::required()) FAIL() << "xdotool is needed";         \
        if (!x11::xdotoolAvailable()) GTEST_SKIP() << "no xdotool";                            \
    } while (0)
