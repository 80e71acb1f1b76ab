#pragma once
// The sample folder and the two maps the map-switch benchmarks show in the main window: 66
// zones of 1024 x 1024 JPEG split into a map of 16 zones and one of 50.
#include <cstdio>
#include <string>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QString>

#include "database_globals.h"
#include "main_window.h"
#include "sample_folder.h"

namespace windowmaps {

// A pref.ini in the program folder exe (ending in "/") that names its database and shows
// no map at start: the window writes its own back when it closes.
inline bool writePref(const QString& exe)
{
    QDir db(exe + "database");
    const std::string database = db.entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0).toStdString();
    QFile pref(exe + "pref.ini");
    if (!pref.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    pref.write(("#\r\n[VERS]=1\r\n[LANG]=Francais\r\n[DBDB]=" + database + "\r\n").c_str());
    return true;
}

// Writes the sample program folder into exe (ending in "/") with such a pref.ini; fonts as
// SampleOptions::fonts (0: the usual ones).
inline bool makeFolder(const QString& exe, int fonts)
{
    sample::SampleOptions options;
    options.zones = 66;
    options.imageSize = 1024;
    options.locations = 20000;
    options.categories = 16;
    options.fonts = fonts;
    return sample::makeSampleFolder(exe, options).ok && writePref(exe);
}

// Two maps share every zone: the first holds its home zone and 15 more, the second the
// other 50 (its home zone among them). Only the in-memory index changes; the window's path
// from the map command on is the program's own.
inline bool splitMaps()
{
    TData_map& index = *RealmInfo->mapIndex;
    if (index.maps.size() < 2 || index.zones.size() != 66) {
        std::fprintf(stderr, "unexpected sample: %zu maps, %zu zones\n", index.maps.size(), index.zones.size());
        return false;
    }
    const int16_t small = index.maps[0]->mapId, large = index.maps[1]->mapId;
    int inSmall = 0;
    for (auto& z : index.zones)
        if (z->zoneId == index.maps[0]->homeZoneId) z->regionId = small, ++inSmall;
    for (auto& z : index.zones) {
        if (z->zoneId == index.maps[0]->homeZoneId) continue;
        const bool home = z->zoneId == index.maps[1]->homeZoneId;
        z->regionId = !home && inSmall < 16 ? small : large;
        inSmall += z->regionId == small;
    }
    return true;
}

// Shows the window at 1920 x 1080, waits for its first activation (the database load) and
// the events it posted, then splits the maps.
inline bool openWindow(TForm4& window)
{
    window.resize(1920, 1080);
    window.show();
    while (window.FirstActivate) QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return splitMaps();
}

// The menu command that shows the map at this index of the map index (0: 16 zones, 1: 50).
inline QAction* mapCommand(TForm4& window, size_t index)
{
    for (QAction* a : window.findChild<QMenu*>("region1")->actions())
        if (size_t(-a->property("Tag").toInt()) == index) return a;
    return nullptr;
}

} // namespace windowmaps
