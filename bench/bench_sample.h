#pragma once
// A sample program folder for the benchmarks that load a database without a window.
#include <memory>

#include <QDir>
#include <QString>

#include "data_model.h"
#include "location_tree.h"
#include "master_file.h"
#include "folders.h"
#include "sample_folder.h"

// Writes a sample program folder of `locations` locations (1,000 zones, 50 categories) into
// dir, makes its folders, language and database the current ones, and returns its common
// data (categories and tables), which writes no preferences when it goes.
inline std::unique_ptr<TData_common> UseNewSampleFolder(const QString& dir, int locations)
{
    sample::SampleOptions o;
    o.locations = locations;
    o.zones = 1000;
    o.categories = 50;
    sample::makeSampleFolder(dir, o);
    SetProgramFolder(dir);
    InterfaceLang = "Francais";
    DatabaseLang = QDir(DatabaseDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot).value(0);
    DatabaseLangDir = DatabaseDir + DatabaseLang + '/';
    auto common = TData_common::Create();
    return common;
}

// The current database's map index and master file loaded into tree, sorted, as a start does.
inline void LoadSampleTree(LocationTree& tree, TRealm_info& realm, TData_common& common)
{
    tree.init_tree(*realm.mapIndex, common);
    tree.BeginUpdate();
    MasterFileLoader master(tree, realm);
    master.loadmaster2();
    tree.sortAll();
    tree.EndUpdate();
}
