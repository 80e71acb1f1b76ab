#pragma once
// A Qt application for the fuzz targets that make fonts and read icon images, on the
// offscreen platform, with the program's log lines discarded.
#include <QGuiApplication>

#include "log.h"
#include "message_boxes.h"

inline void StartFuzzQt()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    SetLogSink([](const std::string&) {});
}

// Message boxes that answer at once (Cancel for a question), so no loader waits on a user.
class SilentBoxes : public MessageBoxes {
public:
    void information(const QString&) override {}
    int confirm(const QString&) override { return kAnswerCancel; }
    void plain(const QString&) override {}
};

// The Qt application and the silent boxes, once per process.
inline void StartQuietFuzzQt()
{
    static SilentBoxes boxes;
    static bool started = [] {
        StartFuzzQt();
        setMessageBoxes(&boxes);
        return true;
    }();
    (void)started;
}
