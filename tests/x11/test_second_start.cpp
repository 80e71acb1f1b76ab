// A second start of the program on a folder it is already running on: the running window
// comes back to the front and the second process ends without writing anything, so neither
// program saves over what the other saved.
#include <QFile>
#include <QProcess>

#include "main_window_fixture.h"
#include "real_input.h"

namespace {

// A sample folder with the program copied into it (it works on the folder it lives in),
// whose settings open no update dialog at start.
struct InstalledProgram : MainWindowFixture {
    QString program;
    InstalledProgram() : MainWindowFixture(false)
    {
        writePrefs("[DATU]=4\r\n");
        if (QFile::copy(QStringLiteral(VMAR_PROGRAM), exe + "vmarplotter")) program = exe + "vmarplotter";
    }
};

QProcessEnvironment xcbEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

// The top-level window of a process, found by the process id the program sets on it.
xcb_window_t windowOfProcess(qint64 pid)
{
    QProcess search;
    search.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid), "--name", "Vmar Plotterwerk"});
    if (!search.waitForFinished(10000)) return XCB_WINDOW_NONE;
    const QList<QByteArray> lines = search.readAllStandardOutput().split('\n');
    return lines.isEmpty() ? xcb_window_t(XCB_WINDOW_NONE) : xcb_window_t(lines.first().toUInt());
}

// Starts the program and waits for its window; the window, or none when it did not show.
xcb_window_t startShown(QProcess& process, const QString& program)
{
    process.setProcessEnvironment(xcbEnvironment());
    process.start(program, {});
    if (!process.waitForStarted(10000)) return XCB_WINDOW_NONE;
    xcb_window_t window = XCB_WINDOW_NONE;
    test_wait::waitUntil([&] { return (window = windowOfProcess(process.processId())) != XCB_WINDOW_NONE; });
    return window;
}

bool hidden(xcb_window_t window)
{
    return x11::hasAtom(x11::property32(window, "_NET_WM_STATE"), "_NET_WM_STATE_HIDDEN");
}

} // namespace

TEST(SecondStart, ShowsTheRunningWindowAndEndsWithoutWritingTheFolder)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    REQUIRE_XDOTOOL();
    const InstalledProgram f;
    const QString& program = f.program;
    ASSERT_FALSE(program.isEmpty());

    QProcess first;
    const xcb_window_t window = startShown(first, program);
    ASSERT_NE(window, xcb_window_t(XCB_WINDOW_NONE));

    // The user has minimized it, then starts the program again from the same folder.
    ASSERT_TRUE(x11::xdotool({"windowminimize", "--sync", QString::number(window)}));
    ASSERT_EVENTUALLY(hidden(window));
    const QByteArray prefs = f.readFile("pref.ini");
    const QByteArray additions = f.readFile(f.additionsPath());

    QProcess second;
    second.setProcessEnvironment(xcbEnvironment());
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(10000)) << "the second start kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EVENTUALLY(!hidden(window)) << "the running window stayed minimized";
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(f.readFile("pref.ini"), prefs);
    EXPECT_EQ(f.readFile(f.additionsPath()), additions);

    // Once the first has ended, a start runs again (the lock goes with the program).
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    QProcess third;
    EXPECT_NE(startShown(third, program), xcb_window_t(XCB_WINDOW_NONE));
    third.terminate();
    EXPECT_TRUE(third.waitForFinished(10000));
}

TEST(SecondStart, ALockLeftByAProgramThatDiedIsTakenOver)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    REQUIRE_XDOTOOL();
    const InstalledProgram f;
    const QString& program = f.program;
    ASSERT_FALSE(program.isEmpty());

    QProcess killed;
    ASSERT_NE(startShown(killed, program), xcb_window_t(XCB_WINDOW_NONE));
    killed.kill(); // no chance to let its lock or its socket go
    ASSERT_TRUE(killed.waitForFinished(10000));

    QProcess next;
    EXPECT_NE(startShown(next, program), xcb_window_t(XCB_WINDOW_NONE)) << "the next start did not run";
    next.terminate();
    EXPECT_TRUE(next.waitForFinished(10000));
}
