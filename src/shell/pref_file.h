#pragma once
// pref.ini: the settings file in the program folder, read at start and written at exit.
// 47 lines of Windows-1252 text: a comment line, "[VERS]=1", then one "[KEY]=value"
// line per setting in a fixed order.
#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "preferences.h"

constexpr const char* kPrefFileName = "pref.ini";

// The settings pref.ini keeps outside rPreference: states of the main window that it
// copies into and out of its controls.
struct WindowSettings {
    QString InterfaceLang;          // [LANG]: a sub-folder of ResDir; empty until read
    QString DatabaseLang;           // [DBDB]: a sub-folder of DatabaseDir; empty until read
    bool But_Leg = true;            // [LGNA]: down state of the location names button
    bool but_editmode = false;      // [EDIT]
    bool but_tips = true;           // [TIPS]
    bool but_grid = false;          // [GRID]
    bool but_chemin = true;         // [CHEM]
    bool MasterListShown = true;    // [MASL]: side panel; on reading also the down state of but_liste1
    int32_t OffsetX = 0;            // [LOCX]: pan offsets in pixels
    int32_t OffsetY = 0;            // [LOCY]
    int32_t Zoom = 100;             // [LOCZ]: pixels per zone, 20..3500
    int32_t MAPW = 800;             // window's normal rectangle: width, height, top, left
    int32_t MAPH = 600;
    int32_t MAPT = 50;
    int32_t MAPL = 50;
    int32_t CurrentMapId = -1;      // written as [LOCR]; read back into rPreference::LOCR
    std::string Edit_lvl_min = "0"; // level filter edits' texts, written unconverted as [MINN]/[MAXN]
    std::string Edit_lvl_max = "99";
};

// Applies one line "[KEY]=value" (key compared letter case included). False when the value
// does not convert; True otherwise, also for an unknown key, a short or empty line.
bool parse_prefline(const std::string& line, rPreference& prefs, WindowSettings& window);

enum class PrefLoadResult {
    Ignored,          // line 2 is not "[VERS]=1": nothing applied
    Loaded,           // every line applied
    LoadedWithErrors, // some lines did not convert and were skipped; the others applied
};

// Reads the bytes of a whole pref.ini into the settings; shows nothing. The lines that did
// not convert go to skipped when given.
PrefLoadResult LoadPrefBytes(const std::string& bytes, rPreference& prefs, WindowSettings& window,
                             std::vector<std::string>* skipped = nullptr);

// Reads pref.ini when a file is there; the settings keep their values for what it lacks.
// One "prefs error" box when the file cannot be read or some of its lines did not convert,
// with a line below it naming the file and what was wrong.
void load_prefs(const QString& path, rPreference& prefs, WindowSettings& window);

// The exact bytes of pref.ini for these settings (CR LF line ends).
std::string PrefFileBytes(const rPreference& prefs, const WindowSettings& window);

// Writes pref.ini atomically. A file there that load_prefs would ignore (another version) is
// kept as path + ".bak" first. On failure shows message S22, leaves the old file and
// returns False.
bool save_prefs(const QString& path, const rPreference& prefs, const WindowSettings& window);
