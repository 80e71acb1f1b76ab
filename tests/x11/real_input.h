#pragma once
// The real pointer and keyboard, through the X server: xdotool moves the pointer, presses
// its buttons and types keys as a user does, so the window manager and Qt's own focus and
// shortcut handling see them as they see a user's.
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

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

} // namespace x11

// Skips (fails where the X11 tests are required) without xdotool.
#define REQUIRE_XDOTOOL()                                                                      \
    do {                                                                                       \
        if (!x11::xdotoolAvailable() && x11::required()) FAIL() << "xdotool is needed";         \
        if (!x11::xdotoolAvailable()) GTEST_SKIP() << "no xdotool";                            \
    } while (0)
