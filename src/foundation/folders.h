#pragma once
// The program's folder globals, each ending with "/", and the chosen language and
// database names (sub-folders of ResDir and DatabaseDir, as named on disk).
#include <QString>

extern QString ExeDir;          // program folder: pref.ini, categpref.bin, readme.txt
extern QString DataDir;         // data/: icon strips, markers, splash, grid.vec, border.vec, kill
extern QString DatabaseDir;     // database/
extern QString DatabaseLangDir; // DatabaseDir + database name + "/"
extern QString MapsDir;         // maps/ (tiles in maps/high/)
extern QString ResDir;          // res/
extern QString AjoutsDir;       // ajouts/
extern QString InterfaceLang;   // sub-folder of ResDir
extern QString DatabaseLang;    // sub-folder of DatabaseDir

// Sets every folder global below a program folder (which gets its trailing "/").
void SetProgramFolder(const QString& exeDir);
