// Runs a test executable inside a QApplication on the offscreen platform (unless another is
// asked for), so widgets, fonts and images work without a display; message boxes are Qt's,
// as in the program, unless a test installs its own.
#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "window_message_boxes.h"

namespace {
// A test that ends the program leaves the application quitting: a quit asked for once the
// main loop has returned makes every event loop after it (a dialog's, a menu's) return at
// once. One turn of the main loop after each test starts the next with loops that run, so
// the tests of one executable pass together as they pass alone.
class MainLoopReset : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        QCoreApplication::exec();
    }
};
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    installWindowMessageBoxes();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new MainLoopReset);
    return RUN_ALL_TESTS();
}
