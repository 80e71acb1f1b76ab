// Runs a test executable inside a QApplication on the offscreen platform (unless another is
// asked for), so widgets, fonts and images work without a display; message boxes are Qt's,
// as in the program, unless a test installs its own.
#include <QApplication>
#include <gtest/gtest.h>

#include "window_message_boxes.h"

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    installWindowMessageBoxes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
