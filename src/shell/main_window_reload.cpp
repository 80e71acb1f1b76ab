// The main window's preferences command, language and database switch, and reload of
// every data in place.
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QScopedValueRollback>
#include <QSlider>
#include <QStatusBar>
#include <QTimer>

#include "cp1252.h"
#include "database_globals.h"
#include "desktop.h"
#include "folders.h"
#include "location_tree_view.h"
#include "main_window.h"
#include "map_renderer.h"
#include "preferences.h"
#include "ressource.h"
#include "widget_helpers.h"

void TForm4::applyAlphaBlend()
{
    setWindowOpacity(Preferences.ALFA ? (Preferences.ALFV & 0xFF) / 255.0 : 1.0);
}

void TForm4::releaseCommonData()
{
    // categpref.bin holds what the preferences dialog changed in the categories: written
    // each time these data go, so the next load (or the next start) finds it.
    if (CommonData) CommonData->SaveProgramCategoryPrefs();
    CommonData.reset();
}

void TForm4::load_all_data(bool reloadTexts)
{
    if (reloadTexts) {
        LoadRessources(); // may fall back to "Francais"
        init_formcaption();
        statusBar()->clearMessage(); // a hint in the language left behind; the pointer brings the next
    }
    DatabaseLangDir = DatabaseLang.isEmpty() ? QString() : DatabaseDir + DatabaseLang + '/';
    CommonData = TData_common::Create();
    trace("commondata");
    load_database(); // also names the additions file after DatabaseLang
    refresh_concolors(true);
    // The level filter outlives the tree: one still checked hides in the new tree what it
    // hid in the old one, as its check box and edits say.
    if (levelFilter.enabled) update_node_visibility();
    loadedInterfaceLang_ = InterfaceLang;
    loadedDatabaseLang_ = DatabaseLang;
    markFolderMenus();
}

void TForm4::show_map_again(int mapId)
{
    // A map the database does not hold leaves the splash shown.
    const int zoneNode = MyTreeStore.find_region_masternode(mapId);
    if (zoneNode != kNoTreeNode) localize_data(zoneNode, false, true);
    const QSignalBlocker block(ZoomBar);
    ZoomBar->setValue(scene.view.Zoom);
}

void TForm4::markFolderMenus()
{
    CheckFolderItem(Langage1, InterfaceLang);
    CheckFolderItem(Database1, DatabaseLang);
}

bool TForm4::reload_all(bool reloadTexts)
{
    if (loadingData_) return false;
    // The reload reads the additions file again: changes still unsaved (No to an earlier
    // question that kept them) are asked about now, and Cancel keeps everything loaded.
    if (AdditionsModified() && !confirm_sauver(1)) {
        InterfaceLang = loadedInterfaceLang_;
        DatabaseLang = loadedDatabaseLang_;
        markFolderMenus();
        return false;
    }
    {
        // Boxes shown while loading run an event loop: paints and timers go on, while
        // the commands that load, save or close wait for the end.
        const QScopedValueRollback loading(loadingData_, true);
        BusyCursor busy;
        const int32_t mapId = scene.CurrentMapId;
        const int32_t zoom = scene.view.Zoom, offsetX = scene.view.OffsetX, offsetY = scene.view.OffsetY;
        clear_mapview();
        clear_database_view();
        releaseCommonData();
        load_all_data(reloadTexts);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        show_map_again(mapId);
        scene.view.restoreZoom(zoom);
        scene.view.OffsetX = offsetX;
        scene.view.OffsetY = offsetY;
        {
            const QSignalBlocker block(ZoomBar);
            ZoomBar->setValue(scene.view.Zoom);
        }
        toggle_tagnew(false); // the flag and the save controls agree
    }
    repaintMap();
    show_feedback(64, 3, ToCp1252(DatabaseLang).value_or(""), "");
    closeIfAskedDuringLoad();
    return true;
}

void TForm4::closeIfAskedDuringLoad()
{
    if (!closeAfterLoad_) return;
    closeAfterLoad_ = false;
    QTimer::singleShot(0, this, [this] { close(); });
}

void TForm4::ressourceClick(QAction* item)
{
    // Qt has already moved the mark to the clicked item: every way out puts it where the
    // loaded names say.
    if (!item || loadingData_) {
        markFolderMenus();
        return;
    }
    const bool language = item->property("Tag").toInt() == 1;
    const QString folder = item->data().toString();
    if (folder == (language ? InterfaceLang : DatabaseLang) || !confirm_sauver(1)) {
        markFolderMenus();
        return;
    }
    (language ? InterfaceLang : DatabaseLang) = folder;
    reload_all(true);
}

void TForm4::appelle_prefs()
{
    if (loadingData_ || !dialogs_.preferences) return;
    if (!confirm_sauver(63)) return;
    const QPointer<TForm4> alive(this);
    const auto runDialog = dialogs_.preferences; // a copy: the window may go while it runs
    const bool reload = runDialog(this, Listiconmap);
    if (!alive) return;
    MyTree->viewport()->update();
    setAutosaveTimer(Preferences.AUTO);
    init_hinttime(Preferences.HINT);
    applyAlphaBlend();
    if (reload) init_menulang();
    // A reload the user cancelled still owes the new settings their effect.
    if (!reload || !reload_all(true)) {
        RecolourAll = true;
        update_node_visibility();
        update_lod(scene);
        repaintMap();
    }
}
