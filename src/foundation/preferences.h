#pragma once
// The user's settings record: one global instance that every layer reads directly,
// given its defaults at start, then read from and written back to pref.ini.
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kPseudoMax = 40; // PSEU is a short string of at most 40 characters

// Fields in their stored order, each named by its pref.ini key. Texts are Windows-1252 bytes.
struct rPreference {
    std::string GPAT;      // carried from the file back to the file, read by nothing else
    bool MCUR = false;     // mark the zone of the selected location
    bool ALFA = false;     // alpha blending of the main window
    bool LOCA = true;      // show the last map again at start
    int32_t LOCR = -1;     // id of the map to show at start; -1 none
    int32_t ALFV = 200;    // alpha value of the main window; its low 8 bits are applied
    bool AVCT = true;      // draw the zones' vector overlays above zoom LODV
    bool WPSU = true;      // detect the mouse over paths
    int32_t HINT = 5000;   // ms a hint stays shown; 0 or less means 999000 ms
    bool CLVL = true;      // colour creature levels against the player's level
    bool AUTO = false;     // save the additions every 300000 ms
    std::string PSEU;      // the user's nickname; short string: at most kPseudoMax characters
    bool LIAR = true;      // smooth stretching of zone images above zoom 1000
    bool TRAN = false;     // translation mode (written, never read back)
    int32_t LODA = 200;    // level-of-detail zoom thresholds
    int32_t LODB = 400;
    int32_t LODC = 600;
    int32_t LODV = 500;    // zoom above which vector overlays are drawn
    int32_t MAHD = 550;    // zoom above which high-resolution tiles are drawn
    int32_t DATU = 0;      // update frequency: index 0..4 of the update dialog's choices
    double DATW = 0.0;     // last closing of the update dialog, days since 1899-12-30
    int32_t MINN = 0;      // level filter bounds at start
    int32_t MAXN = 99;
    int32_t NIVP = 5;      // the player's level
    std::string PRXS;      // proxy host; empty means no proxy
    int32_t PRXP = 0;      // proxy port
    std::string PRXN;      // proxy user; empty means no proxy authentication
    std::string PRXM;      // proxy password
    bool PRXB = false;     // send basic proxy authentication by default
    int32_t HTTP = 1;      // 0 for HTTP/1.0, any other value for 1.1
};

extern rPreference Preferences;

// Gives every setting its default.
void InitPreferences();
