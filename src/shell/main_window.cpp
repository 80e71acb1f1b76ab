// The main window's construction, creation sequence, first activation and destruction.
#include "main_window.h"

#include <functional>

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "background_release.h"
#include "con_colors.h"
#include "cp1252.h"
#include "database_globals.h"
#include "delphi_conv.h"
#include "desktop.h"
#include "folders.h"
#include "hint_caption.h"
#include "hint_window.h"
#include "map_widget.h"
#include "window_message_boxes.h"
#include "native_window_watch.h"
#include "kill_list.h"
#include "stale_files.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "log.h"
#include "path_resolver.h"
#include "preferences.h"
#include "ressource.h"
#include "search.h"
#include "url_list.h"
#include "map_input.h"
#include "link_codes.h"
#include "map_interaction.h"
#include "map_loading.h"
#include "markers.h"
#include "vector_file.h"
#include "widget_helpers.h"

QString ProgramFolder()
{
    return QCoreApplication::applicationDirPath() + '/';
}

TForm4::TForm4(const QString& exeDir, MainWindowDialogs dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(std::move(dialogs))
{
    setObjectName("Form4");
    SetProgramFolder(exeDir);
    buildControls();
    // Boxes open over this window, so they stay in front of it when it stays on top.
    setMessageBoxParent(this);
    // Key preview: the map's keys are seen before the focused control handles them.
    qApp->installEventFilter(this);
    WatchNativeWindowDestroyed(this, [this] { nativeWindowGone(); });
    FormCreate();
}

TForm4::~TForm4()
{
    FormDestroy();
    // The controls are deleted after this window's own part is gone; what they signal while
    // going (an edit losing the focus finishes its editing) must not reach it.
    qApp->removeEventFilter(this);
    for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
    // The tree model observes MyTreeStore, a member gone before QObject's destructor deletes
    // the children: the model goes first.
    delete MyTreeModel;
    MyTreeModel = nullptr;
}

void TForm4::check_folder(const QString& path)
{
    QDir dir(path);
    if (!dir.exists()) QDir().mkdir(path); // one level; a failure shows later as a missing file
}

void TForm4::apply_killlist()
{
    ::apply_killlist(ExeDir, DataDir + "kill");
}

void TForm4::FormCreate()
{
    trace("create");
    FeedbackList.clear();
    FirstActivate = true;
    HCaption = rHCaption();
    LastPlaceCode.clear();
    ShowMarkers = true;
    InitPreferences();
    hints = new HintManager(this);
    NewVersionAccepted = false;
    RecolourAll = false;
    MasterListShown = true;

    check_folder(MapsDir);
    check_folder(MapsDir + "high/");
    check_folder(AjoutsDir);
    settings = WindowSettings();
    trace("folders");
    apply_killlist();
    RemoveStaleSaveTemporaries(ExeDir, AjoutsDir);
    trace("killlist");
    InitConColors();

    InterfaceLang.clear();
    DatabaseLang.clear();
    load_prefs(ExeDir + kPrefFileName, Preferences, settings);
    InterfaceLang = settings.InterfaceLang;
    DatabaseLang = settings.DatabaseLang;
    // Names from the settings find their folders by their normalised form. They are single
    // folder names: a path is no name, and a database that no folder matches is no database
    // (the first-start dialog asks). A language without its folder falls back when loaded.
    if (auto lang = FindFolderNormalized(ResDir, InterfaceLang))
        InterfaceLang = *lang;
    else if (InterfaceLang.contains('/') || InterfaceLang.contains('\\') || InterfaceLang.startsWith('.'))
        InterfaceLang.clear();
    DatabaseLang = FindFolderNormalized(DatabaseDir, DatabaseLang).value_or(QString());
    trace("prefs");
    if (InterfaceLang.isEmpty() || DatabaseLang.isEmpty()) {
        trace("firstinfo");
        ask_firstinfo();
    }
    scene.view.restoreZoom(settings.Zoom);
    scene.view.OffsetX = settings.OffsetX;
    scene.view.OffsetY = settings.OffsetY;
    applyWindowPlacement();
    if (BMy) BMy->setVisible(true);
    if (BOther) BOther->setVisible(true);

    LoadRessources();
    init_formcaption();
    init_hinttime(Preferences.HINT);
    trace("texts");
    load_sitelinks(site1);
    site1Action->setEnabled(!SiteList.empty());
    DatabaseLangDir = DatabaseLang.isEmpty() ? QString() : DatabaseDir + DatabaseLang + '/';
    load_urllist();
    trace("urllist");
    // The update dialog at start, as often as the user chose; once more when its last
    // closing lies in the future (a clock set back), read again after the first run.
    const auto updateAge = [] { return DateTimeToDays(QDateTime::currentDateTime()) - Preferences.DATW; };
    if (UpdateDueByFrequency(Preferences.DATU, updateAge())) update_auto();
    if (updateAge() < 0) update_auto();
    setWindowTitle("Vmar Plotterwerk  v2.52");

    // Restored tool-button states; their click handlers run below where they matter.
    But_Leg->setChecked(settings.But_Leg);
    but_editmode->setChecked(settings.but_editmode);
    but_tips->setChecked(settings.but_tips);
    but_grid->setChecked(settings.but_grid);
    but_chemin->setChecked(settings.but_chemin);
    MasterListShown = settings.MasterListShown;
    but_liste[0]->setChecked(settings.MasterListShown);
    affiche_masterliste();

    scene.ZoneUnderMouse = nullptr;
    toggle_tagnew(false);
    levelFilter.LevelMin = Preferences.MINN;
    levelFilter.LevelMax = Preferences.MAXN;
    Edit_lvl_min->setText(QString::number(Preferences.MINN));
    Edit_lvl_max->setText(QString::number(Preferences.MAXN));
    scene.HitTestStream.clear();
    scene.GridVec.clear();
    scene.BorderVec.clear();
    toggle_mode_edition();
    assign_icon(ImageList1, QSize(16, 16), DataDir + "icon_a.bmp");
    assign_icon(ImageList3, QSize(16, 16), DataDir + "icon_b.bmp");
    assign_icon(ImageList_c, QSize(16, 16), DataDir + "icon_c.bmp");
    // Tool buttons show their image from the normal strip, the hot strip under the mouse.
    for (QToolButton* b : findChildren<QToolButton*>()) {
        bool ok = false;
        const int index = b->property("ImageIndex").toInt(&ok);
        if (!ok || index < 0 || size_t(index) >= ImageList1.size()) continue;
        QIcon icon(QPixmap::fromImage(ImageList1[size_t(index)]));
        if (size_t(index) < ImageList3.size()) icon.addPixmap(QPixmap::fromImage(ImageList3[size_t(index)]), QIcon::Active);
        b->setIcon(icon);
    }
    std::vector<QIcon> treeIcons;
    for (const QImage& i : ImageList_c) treeIcons.emplace_back(QPixmap::fromImage(i));
    MyTreeModel->setImages(std::move(treeIcons));
    hints->window()->setImages(&ImageList_c, ImageList1.size() > 8 ? ImageList1[8] : QImage());
    trace("icons");
    load_vectors_markers();
    init_imagemap(scene);
    trace("created");
}

void TForm4::applyWindowPlacement()
{
    int w = settings.MAPW, h = settings.MAPH, top = settings.MAPT, left = settings.MAPL;
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        // No larger than the screen; the window's own minimum size applies below that.
        w = std::min(w, avail.width());
        h = std::min(h, avail.height());
        // Keep the title bar reachable on some screen, whatever pref.ini says.
        bool reachable = false;
        for (QScreen* s : QGuiApplication::screens())
            if (s->availableGeometry().intersects(QRect(left, top, w, 30))) reachable = true;
        if (!reachable) {
            left = avail.left() + 50;
            top = avail.top() + 50;
        }
    }
    // The saved top and left are those of the frame (move places the frame), the width and
    // height those of the client area, as writeSettingsBack keeps them.
    resize(w, h);
    move(left, top);
}

bool TForm4::ask_firstinfo()
{
    return dialogs_.firstInfo ? dialogs_.firstInfo(this) : false;
}

void TForm4::init_menulang()
{
    auto onClick = [this](QAction* item) { ressourceClick(item); };
    BuildFolderMenu(ResDir + "*.*", InterfaceLang, 1, onClick, Langage1);
    BuildFolderMenu(DatabaseDir + "*.*", DatabaseLang, 2, onClick, Database1);
}

void TForm4::load_vectors_markers()
{
    scene.GridVec.clear();
    scene.BorderVec.clear();
    if (auto p = ResolveExistingPath(DataDir, "grid.vec")) LoadVectorFile(*p, scene.GridVec);
    if (auto p = ResolveExistingPath(DataDir, "border.vec")) LoadVectorFile(*p, scene.BorderVec);
    CreateMarkers(scene, DataDir);
}

void TForm4::update_auto()
{
    FilesUpdated = false;
    if (!dialogs_.update) return;
    trace("update");
    const UpdateOutcome outcome = dialogs_.update(this);
    FilesUpdated = outcome.filesUpdated;
    if (outcome.newVersionAccepted) NewVersionAccepted = true;
}

void TForm4::goto_newversion()
{
    const QString page = FromCp1252(UrlEntryAt(urlWebPage));
    // A missing or non-web entry is refused, never handed to the browser.
    if (!OpenWebPage(page)) ShowRessourceMessage(16, false);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

namespace {
// Runs then once the widget's window is on screen (a window system maps a new window a
// little after show()), or after about a second at most.
void whenExposed(QWidget* widget, int tries, std::function<void()> then)
{
    QTimer::singleShot(tries == 0 ? 0 : 10, widget, [widget, tries, then = std::move(then)]() mutable {
        const QWindow* window = widget->windowHandle();
        if (window && !window->isExposed() && tries < 100)
            whenExposed(widget, tries + 1, std::move(then));
        else
            then();
    });
}
} // namespace

void TForm4::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // The first activation loads the database behind the progress bar: it waits for the
    // window to be on screen, so that the window, its splash and the bar show meanwhile.
    if (FirstActivate) whenExposed(this, 0, [this] { FormActivate(); });
}

void TForm4::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
}

void TForm4::FormActivate()
{
    if (!FirstActivate || destroyed_ || loadingData_) return;
    trace("activate");
    if (NewVersionAccepted) {
        QCoreApplication::processEvents();
        goto_newversion();
        return;
    }
    Pages->setCurrentIndex(0);
    applyAlphaBlend();
    Editlvl->setText(QString::number(Preferences.NIVP));
    show_traduc_check(Preferences.TRAN);
    {
        const QScopedValueRollback loading(loadingData_, true);
        QCoreApplication::processEvents();
        BusyCursor busy;
        init_menulang();
        load_all_data(true);
        if (Preferences.LOCA) show_map_again(Preferences.LOCR);
        FirstActivate = false;
        scene.FirstActivate = false;
    }
    closeIfAskedDuringLoad();
    repaintMap();
    show_feedback(64, 3, ToCp1252(DatabaseLang).value_or(""), "");
    trace("activated");
}

void TForm4::writeSettingsBack()
{
    settings.InterfaceLang = InterfaceLang;
    settings.DatabaseLang = DatabaseLang;
    settings.But_Leg = But_Leg->isChecked();
    settings.but_editmode = but_editmode->isChecked();
    settings.but_tips = but_tips->isChecked();
    settings.but_grid = but_grid->isChecked();
    settings.but_chemin = but_chemin->isChecked();
    settings.MasterListShown = MasterListShown;
    settings.OffsetX = scene.view.OffsetX;
    settings.OffsetY = scene.view.OffsetY;
    settings.Zoom = scene.view.Zoom;
    // The normal (restored) rectangle: frame position, client size, the way
    // applyWindowPlacement restores it, so a start and a close leave it where it was.
    const QRect normal = (isMaximized() || isMinimized() || isFullScreen()) && normalGeometry().isValid()
                             ? normalGeometry()
                             : geometry();
    const QPoint frameOffset = geometry().topLeft() - frameGeometry().topLeft(); // border, title bar
    settings.MAPW = normal.width();
    settings.MAPH = normal.height();
    settings.MAPT = normal.top() - frameOffset.y();
    settings.MAPL = normal.left() - frameOffset.x();
    settings.CurrentMapId = scene.CurrentMapId;
    settings.Edit_lvl_min = ToCp1252(Edit_lvl_min->text()).value_or("0");
    settings.Edit_lvl_max = ToCp1252(Edit_lvl_max->text()).value_or("99");
}

void TForm4::FormDestroy()
{
    if (destroyed_) return;
    destroyed_ = true;
    Timer3.stop();
    Timerfeedback.stop();
    // Each step on its own: a failure in one loses nothing of the others.
    try {
        writeSettingsBack();
        save_prefs(ExeDir + kPrefFileName, Preferences, settings);
    } catch (...) {
        LogLine("pref.ini could not be written");
    }
    try {
        clear_mapview();
        clear_database_view();
    } catch (...) {
        LogLine("the database view could not be cleared");
    }
    try {
        releaseCommonData();
    } catch (...) {
        LogLine("categpref.bin could not be written");
        CommonData.reset();
    }
    SiteList.clear();
    UrlList.clear();
    clear_feedback();
}

void TForm4::closeEvent(QCloseEvent* event)
{
    if (loadingData_) {
        // The data are half loaded: nothing may close now. The request is kept, so that
        // a termination or the user's close is not lost: the window closes after the load.
        closeAfterLoad_ = true;
        event->ignore();
        return;
    }
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    // The program's window is deleted on close and the program ends with it: the location
    // tree it leaves behind is not taken apart, the system takes the memory back at exit.
    if (testAttribute(Qt::WA_DeleteOnClose)) LeaveReleasesToProcessExit();
}

void TForm4::nativeWindowGone()
{
    if (destroyed_ || close()) return;
    hide();
    if (QWindow* handle = windowHandle()) handle->destroy();
    show();
}

bool TForm4::FormCloseQuery()
{
    return confirm_sauver(1);
}

void TForm4::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (PanelDock) affiche_masterliste();
}
