#pragma once
// A Qt application for the fuzz targets that make fonts and read icon images, on the
// offscreen platform, with the program's log lines discarded.
#include <QGuiApplication>

#include "log.h"

inline void StartFuzzQt()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    SetLogSink([](const std::string&) {});
}
