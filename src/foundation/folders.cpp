#include "folders.h"

QString ExeDir, DataDir, DatabaseDir, DatabaseLangDir, MapsDir, ResDir, AjoutsDir;
QString InterfaceLang, DatabaseLang;

void SetProgramFolder(const QString& exeDir)
{
    ExeDir = exeDir.endsWith('/') ? exeDir : exeDir + '/';
    DataDir = ExeDir + "data/";
    DatabaseDir = ExeDir + "database/";
    MapsDir = ExeDir + "maps/";
    ResDir = ExeDir + "res/";
    AjoutsDir = ExeDir + "ajouts/";
    DatabaseLangDir = DatabaseLang.isEmpty() ? QString() : DatabaseDir + DatabaseLang + '/';
}
