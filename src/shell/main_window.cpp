// The main window's construction, creation sequence, first activation and destruction.
#include "main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>

#include "con_colors.h"
#include "cp1252.h"
#include "database_globals.h"
#include "desktop.h"
#include "folders.h"
#include "hint_caption.h"
#include "hint_window.h"
#include "map_widget.h"
#include "kill_list.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "log.h"
#include "path_resolver.h"
#include "preferences.h"
#include "ressource.h"
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
    FormCreate();
}

TForm4::~TForm4()
{
    FormDestroy();
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
    trace("killlist");
    InitConColors();

    InterfaceLang.clear();
    DatabaseLang.clear();
    load_prefs(ExeDir + kPrefFileName, Preferences, settings);
    InterfaceLang = settings.InterfaceLang;
    DatabaseLang = settings.DatabaseLang;
    // Names from the settings find their folders by their normalised form.
    if (auto lang = FindFolderNormalized(ResDir, InterfaceLang)) InterfaceLang = *lang;
    if (auto db = FindFolderNormalized(DatabaseDir, DatabaseLang)) DatabaseLang = *db;
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
        w = std::clamp(w, 300, avail.width());
        h = std::clamp(h, 200, avail.height());
        // Keep the title bar reachable on some screen, whatever pref.ini says.
        const QRect wanted(left, top, w, h);
        bool reachable = false;
        for (QScreen* s : QGuiApplication::screens())
            if (s->availableGeometry().intersects(QRect(left, top, w, 30))) reachable = true;
        if (!reachable) {
            left = avail.left() + 50;
            top = avail.top() + 50;
        }
        (void)wanted;
    }
    resize(w, h);
    move(left, top);
}

bool TForm4::ask_firstinfo()
{
    return dialogs_.firstInfo ? dialogs_.firstInfo(this) : false;
}

void TForm4::init_menulang()
{
    auto onClick = [this](QAction*) {
        // Switching language or database reloads every data (a later part of the program).
    };
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

void TForm4::goto_newversion()
{
    const QString page = FromCp1252(UrlEntryAt(urlWebPage));
    // A missing or non-web entry is refused, never handed to the browser.
    if (!OpenWebPage(page)) ShowRessourceMessage(16, false);
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void TForm4::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (FirstActivate) QTimer::singleShot(0, this, [this] { FormActivate(); });
}

void TForm4::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
}

void TForm4::FormActivate()
{
    if (!FirstActivate || destroyed_) return;
    trace("activate");
    if (NewVersionAccepted) {
        QCoreApplication::processEvents();
        goto_newversion();
        return;
    }
    Pages->setCurrentIndex(0);
    setWindowOpacity(Preferences.ALFA ? (Preferences.ALFV & 0xFF) / 255.0 : 1.0);
    Editlvl->setText(QString::number(Preferences.NIVP));
    QCoreApplication::processEvents();
    {
        BusyCursor busy;
        init_menulang();
        LoadRessources();
        init_formcaption();
        CommonData = TData_common::Create();
        trace("commondata");
        load_database();
        refresh_concolors(true);
        if (Preferences.LOCA) {
            const int zoneNode = MyTreeStore.find_region_masternode(Preferences.LOCR);
            if (zoneNode != kNoTreeNode) localize_data(zoneNode, false, true);
            const QSignalBlocker block(ZoomBar);
            ZoomBar->setValue(scene.view.Zoom);
        }
        FirstActivate = false;
        scene.FirstActivate = false;
    }
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
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    settings.MAPW = normal.width();
    settings.MAPH = normal.height();
    settings.MAPT = normal.top();
    settings.MAPL = normal.left();
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
        CommonData.reset(); // writes categpref.bin
    } catch (...) {
        LogLine("categpref.bin could not be written");
    }
    SiteList.clear();
    UrlList.clear();
    clear_feedback();
}

void TForm4::closeEvent(QCloseEvent* event)
{
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
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
