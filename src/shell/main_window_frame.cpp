// The main window's frame: tool bars, menus, side panel, and the commands behind them.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <QTreeWidget>

#include "criteria_tree.h"
#include "cp1252.h"
#include "delphi_conv.h"
#include "desktop.h"
#include "file_io.h"
#include "folders.h"
#include "hint_window.h"
#include "image_helpers.h"
#include "log.h"
#include "text_files.h"
#include "text_helpers.h"
#include "map_widget.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window.h"
#include "map_input.h"
#include "link_codes.h"
#include "map_interaction.h"
#include "map_paths.h"
#include "map_renderer.h"
#include "path_resolver.h"
#include "preferences.h"
#include "ressource.h"
#include "ressource_widgets.h"
#include "send_additions.h"
#include "widget_helpers.h"
#include "window_system.h"

QAction* TForm4::addMenuItem(QMenu* menu, const char* name, int tag)
{
    QAction* a = menu->addAction(QString::fromLatin1(name));
    a->setObjectName(name);
    a->setProperty("Tag", tag);
    return a;
}

QToolButton* TForm4::addToolButton(QToolBar* bar, const char* name, int tag, int image, bool checkable, bool down)
{
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setProperty("Tag", tag);
    b->setProperty("ImageIndex", image);
    b->setCheckable(checkable);
    b->setChecked(down);
    b->setAutoRaise(true);
    bar->addWidget(b);
    return b;
}

void TForm4::buildControls()
{
    buildMenus();
    buildToolBars();
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* mapColumn = new QVBoxLayout();
    ImageMapView = new MapWidget(central);
    ZoomBar = new QSlider(Qt::Horizontal, central);
    ZoomBar->setObjectName("ZoomBar");
    ZoomBar->setRange(20, 3500);
    connect(ZoomBar, &QSlider::valueChanged, this, &TForm4::ZoomBarChange);
    mapColumn->addWidget(ImageMapView, 1);
    mapColumn->addWidget(ZoomBar);
    row->addWidget(ToolBar3);
    row->addLayout(mapColumn, 1);
    buildSidePanel();
    row->addWidget(PanelDock);
    setCentralWidget(central);
    statusBar();
    setupMap();
    wireSearchAndPages();
    setupEditCommands();
    wireMapMenu();

    Timer3.setInterval(300000);
    connect(&Timer3, &QTimer::timeout, this, &TForm4::Timer3Timer);
    Timerfeedback.setInterval(200);
    connect(&Timerfeedback, &QTimer::timeout, this, &TForm4::TimerfeedbackTimer);
}

void TForm4::buildToolBars()
{
    ToolBar1 = addToolBar("ToolBar1");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->installEventFilter(this); // a press on its free area drags the window
    but_stay = addToolButton(ToolBar1, "but_stay", 9, 15, true, false);
    but_autoup = addToolButton(ToolBar1, "but_autoup", 11, 26, false, false);
    but_tips = addToolButton(ToolBar1, "but_tips", 3, 22, true, true);
    but_pref = addToolButton(ToolBar1, "but_pref", 12, 27, false, false);
    but_pref->setMenu(menu_lang);
    but_pref->setPopupMode(QToolButton::MenuButtonPopup);
    but_info = addToolButton(ToolBar1, "but_info", 10, 7, false, false);
    but_info->setMenu(menu_info);
    but_info->setPopupMode(QToolButton::MenuButtonPopup);
    but_editmode = addToolButton(ToolBar1, "but_editmode", 13, 24, true, false);
    but_sav = addToolButton(ToolBar1, "but_sav", 7, 14, false, false);
    but_mail = addToolButton(ToolBar1, "but_mail", 16, 21, false, false);
    Image1 = new QLabel(ToolBar1);
    Image1->setObjectName("Image1");
    Image1->setProperty("Tag", 5);
    Image1->setProperty("Picture", true);
    Image1->setContentsMargins(4, 0, 4, 0);
    ToolBar1->addWidget(Image1);
    connect(but_stay, &QToolButton::clicked, this, &TForm4::StayOnTop);
    connect(but_autoup, &QToolButton::clicked, this, &TForm4::but_autoupClick);
    connect(but_tips, &QToolButton::clicked, this, [this] { repaintMap(); });
    connect(but_info, &QToolButton::clicked, this, [this] { show_about(false); });
    connect(but_pref, &QToolButton::clicked, this, &TForm4::appelle_prefs);
    connect(but_editmode, &QToolButton::clicked, this, &TForm4::but_editmodeClick);
    connect(but_sav, &QToolButton::clicked, this, &TForm4::Sauver1Click);
    connect(but_mail, &QToolButton::clicked, this, &TForm4::but_mailClick);

    ToolBar2 = addToolBar("ToolBar2");
    ToolBar2->setObjectName("ToolBar2");
    ToolBar2->setMovable(false);
    ToolBar2->installEventFilter(this);
    // The last bar of the row takes the free width: a spacer in front keeps its buttons at
    // the right edge, and presses on it reach the bar, which drags the window.
    auto* spacer = new QWidget(ToolBar2);
    spacer->setObjectName("ToolBarSpace");
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    spacer->setAttribute(Qt::WA_TransparentForMouseEvents);
    ToolBar2->addWidget(spacer);
    const int listImages[4] = {2, 0, 6, 7};
    for (int i = 0; i < 4; ++i) {
        const std::string name = "but_liste" + std::to_string(i + 1);
        but_liste[size_t(i)] = addToolButton(ToolBar2, name.c_str(), 20 + i, listImages[i], true, i == 0);
        connect(but_liste[size_t(i)], &QToolButton::clicked, this, [this, i] { but_listeClick(i); });
    }

    ToolBar3 = new QToolBar("ToolBar3", this);
    ToolBar3->setObjectName("ToolBar3");
    ToolBar3->setOrientation(Qt::Vertical);
    ToolBar3->setIconSize(QSize(25, 25));
    But_Leg = addToolButton(ToolBar3, "But_Leg", 1, 0, true, true);
    but_chemin = addToolButton(ToolBar3, "but_chemin", 28, 1, true, true);
    but_grid = addToolButton(ToolBar3, "but_grid", 24, 20, true, false);
    but_stitre = addToolButton(ToolBar3, "but_stitre", 2, 17, true, false);
    but_overview = addToolButton(ToolBar3, "but_overview", 4, 16, true, false);
    for (QToolButton* b : {But_Leg, but_chemin, but_grid, but_stitre, but_overview})
        connect(b, &QToolButton::clicked, this, [this] { repaintMap(); });
}

void TForm4::buildMenus()
{
    menu_info = new QMenu(this);
    menu_info->setObjectName("menu_info");
    infos2 = addMenuItem(menu_info, "infos2", 29);
    credit1 = addMenuItem(menu_info, "credit1", 43);
    menu_info->addSeparator();
    site1 = new QMenu(this);
    site1->setObjectName("site1");
    site1Action = menu_info->addMenu(site1);
    site1Action->setObjectName("site1");
    site1Action->setProperty("Tag", 50);
    connect(infos2, &QAction::triggered, this, [this] { show_about(false); });
    connect(credit1, &QAction::triggered, this, [this] { show_about(true); });

    menu_lang = new QMenu(this);
    menu_lang->setObjectName("menu_lang");
    Database1 = menu_lang->addMenu("Database");
    Database1->setObjectName("Database1");
    Langage1 = menu_lang->addMenu("Interface");
    Langage1->setObjectName("Langage1");

    // The hidden main menu: its items work by their shortcuts only.
    sauver1 = new QAction(this);
    sauver1->setObjectName("sauver1");
    sauver1->setShortcut(QKeySequence("Ctrl+S"));
    connect(sauver1, &QAction::triggered, this, &TForm4::Sauver1Click);
    refresh1 = new QAction(this);
    refresh1->setObjectName("refresh1");
    refresh1->setShortcut(QKeySequence("Ctrl+W"));
    connect(refresh1, &QAction::triggered, this, [this] { repaintMap(); });
    addAction(sauver1);
    addAction(refresh1);

    buildMapMenu();
}

void TForm4::buildSidePanel()
{
    PanelDock = new QWidget(this);
    PanelDock->setObjectName("PanelDock");
    // 260 pixels when the window has room; narrower windows squeeze it, so a window can be
    // made narrow enough for the side-panel rule to hide it.
    PanelDock->setMinimumWidth(120);
    PanelDock->setMaximumWidth(260);
    auto* dockLayout = new QVBoxLayout(PanelDock);
    dockLayout->setContentsMargins(0, 0, 0, 0);
    Pages = new QStackedWidget(PanelDock);
    dockLayout->addWidget(Pages);

    // Page 1: the location tree and its filters.
    auto* TabSheet1 = new QWidget();
    TabSheet1->setObjectName("TabSheet1");
    auto* page1 = new QVBoxLayout(TabSheet1);
    page1->setContentsMargins(2, 2, 2, 2);
    // The filter and the level-of-detail box each take the panel's whole width: side by side
    // a narrow panel cuts their captions.
    auto* Panel1 = new QVBoxLayout();
    Combocheck = new QComboBox(TabSheet1);
    Combocheck->setObjectName("Combocheck");
    Combocheck->setMaxVisibleItems(30);
    checkLod = new QCheckBox(TabSheet1);
    checkLod->setObjectName("checkLod");
    checkLod->setProperty("Tag", 104);
    checkLod->setChecked(true);
    Panel1->addWidget(Combocheck);
    Panel1->addWidget(checkLod);
    page1->addLayout(Panel1);
    connect(Combocheck, &QComboBox::currentIndexChanged, this, &TForm4::CombocheckChange);
    connect(checkLod, &QCheckBox::clicked, this, &TForm4::checkLodClick);

    MyTreeModel = new LocationTreeModel(MyTreeStore, this);
    MyTree = new LocationTreeView(MyTreeStore, *MyTreeModel, TabSheet1);
    page1->addWidget(MyTree, 1);
    MyTree->onAfterPaint = [this] { afterTreePaint(); };
    MyTree->onFocusChanged = [this](int node) {
        if (node == kNoTreeNode) return;
        switch (MyTreeStore.levelOf(node)) {
        case levelMap: {
            const TNodeData* d = MyTreeStore.nodeData(node);
            if (d && d->region) localize_data(MyTreeStore.find_map_masternode(d->region->homeZoneId), false);
            break;
        }
        case levelZone: localize_data(node, false); break;
        case levelLocation: localize_data(node, true); break;
        default: break;
        }
    };

    auto* GroupBox1 = new QGroupBox(TabSheet1);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setProperty("Tag", 4);
    auto* g1 = new QHBoxLayout(GroupBox1);
    CheckBoxlvl = new QCheckBox(GroupBox1);
    CheckBoxlvl->setObjectName("CheckBoxlvl");
    Edit_lvl_min = new QLineEdit("0", GroupBox1);
    Edit_lvl_min->setObjectName("Edit_lvl_min");
    Edit_lvl_max = new QLineEdit("99", GroupBox1);
    Edit_lvl_max->setObjectName("Edit_lvl_max");
    for (QLineEdit* e : {Edit_lvl_min, Edit_lvl_max}) {
        e->setMaxLength(2);
        e->setEnabled(false);
        e->setContextMenuPolicy(Qt::NoContextMenu);
    }
    g1->addWidget(CheckBoxlvl);
    g1->addWidget(Edit_lvl_min);
    g1->addWidget(Edit_lvl_max);
    auto* GroupBox2 = new QGroupBox(TabSheet1);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setProperty("Tag", 5);
    auto* g2 = new QHBoxLayout(GroupBox2);
    Editlvl = new QLineEdit("1", GroupBox2);
    Editlvl->setObjectName("Editlvl");
    Editlvl->setMaxLength(2);
    Editlvl->setContextMenuPolicy(Qt::NoContextMenu);
    g2->addWidget(Editlvl);
    auto* Panel2 = new QHBoxLayout();
    Panel2->addWidget(GroupBox1);
    Panel2->addWidget(GroupBox2);
    page1->addLayout(Panel2);

    auto minExit = [this] {
        exitLevelMin(Edit_lvl_min, Edit_lvl_max, levelFilter);
        update_node_visibility();
    };
    auto maxExit = [this] {
        exitLevelMax(Edit_lvl_min, Edit_lvl_max, levelFilter);
        update_node_visibility();
    };
    connect(Edit_lvl_min, &QLineEdit::editingFinished, this, minExit);
    connect(Edit_lvl_max, &QLineEdit::editingFinished, this, maxExit);
    Edit_lvl_min->installEventFilter(new DigitKeyFilter([this] { Edit_lvl_max->setFocus(); }, Edit_lvl_min));
    Edit_lvl_max->installEventFilter(new DigitKeyFilter([this] { Edit_lvl_min->setFocus(); }, Edit_lvl_max));
    auto playerExit = [this] {
        exitPlayerLevel(Editlvl);
        update_node_visibility();
    };
    connect(Editlvl, &QLineEdit::editingFinished, this, playerExit);
    Editlvl->installEventFilter(new DigitKeyFilter(playerExit, Editlvl));
    connect(CheckBoxlvl, &QCheckBox::clicked, this, &TForm4::CheckBoxlvlClick);
    Pages->addWidget(TabSheet1);

    // Pages 2 to 4: info, search, and positions with the log.
    for (const char* name : {"TabSheet4", "TabSheet2", "TabSheet3"}) {
        auto* page = new QWidget();
        page->setObjectName(name);
        Pages->addWidget(page);
    }
    buildSearchAndInfoPages();
    buildPositionsPage(Pages->widget(3));
}

void TForm4::buildSearchAndInfoPages()
{
    // Info page: the info header (Panel6, which starts on the tree page), the
    // description, the redirect links and the attribute list of the location shown.
    QWidget* info = Pages->widget(1);
    auto* infoLayout = new QVBoxLayout(info);
    Panel6 = buildInfoHeader(Pages->widget(0));
    static_cast<QVBoxLayout*>(Pages->widget(0)->layout())->insertWidget(0, Panel6);
    // Each pane in a group whose caption is the text number in its Tag.
    auto group = [info, infoLayout](const char* name, int tag, QWidget* pane) {
        auto* box = new QGroupBox(info);
        box->setObjectName(name);
        box->setProperty("Tag", tag);
        auto* boxLayout = new QVBoxLayout(box);
        boxLayout->setContentsMargins(2, 2, 2, 2);
        boxLayout->addWidget(pane);
        infoLayout->addWidget(box);
    };
    Memo2 = new QPlainTextEdit(info);
    Memo2->setObjectName("Memo2");
    Memo2->setReadOnly(true);
    group("GroupBoxMemo2", 29, Memo2);
    TreeRedir = new QTreeWidget(info);
    TreeRedir->setObjectName("TreeRedir");
    setupTreeRedir();
    group("GroupBoxTreeRedir", 37, TreeRedir);
    Treeitem = new QTreeWidget(info);
    Treeitem->setObjectName("Treeitem");
    group("GroupBoxTreeitem", 33, Treeitem);

    buildSearchPage(Pages->widget(2));
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == ToolBar1 || watched == ToolBar2) && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        movefiche();
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return previewKey(watched, static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void TForm4::movefiche()
{
    if (windowDrag)
        windowDrag(this);
    else
        StartWindowDrag(this);
}

void TForm4::StayOnTop()
{
    SetStayOnTop(this, but_stay->isChecked());
}

void TForm4::affiche_masterliste()
{
    applySidePanelRule(width());
}

void TForm4::but_listeClick(int index)
{
    if (index < 0 || index > 3) return;
    // One group in which all may be up: a button going down releases the others.
    if (but_liste[size_t(index)]->isChecked())
        for (int j = 0; j < 4; ++j)
            if (j != index) but_liste[size_t(j)]->setChecked(false);
    affiche_masterliste();
    Pages->setCurrentIndex(index);
    if (index == 0 || index == 1) {
        // The info header goes with the tree page or the info page, whichever was shown last.
        if (Panel6->parentWidget() != Pages->widget(index))
            static_cast<QVBoxLayout*>(Pages->widget(index)->layout())->insertWidget(0, Panel6);
    }
    if (index == 2 && PanelDock->isVisible() && Edit1->isVisible()) Edit1->setFocus();
}

void TForm4::press_liste(int index)
{
    if (index < 0 || index > 3) return;
    but_liste[size_t(index)]->setChecked(true);
    but_listeClick(index);
}

void TForm4::applySidePanelRule(int windowWidth)
{
    if (windowWidth >= 300) {
        bool any = false;
        for (QToolButton* b : but_liste) any = any || b->isChecked();
        MasterListShown = any;
    } else {
        MasterListShown = false;
        for (QToolButton* b : but_liste) b->setChecked(false);
    }
    PanelDock->setVisible(MasterListShown);
}

void TForm4::toggle_mode_edition()
{
    const bool on = but_editmode->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(but_sav), static_cast<QWidget*>(but_mail)}) {
        // Tool bar widgets are shown through their actions.
        for (QAction* a : ToolBar1->actions())
            if (ToolBar1->widgetForAction(a) == w) a->setVisible(on);
    }
    showMapMenuEditItems(on);
    for (QAction* a : {MyTree->Modif1, MyTree->Copier1, MyTree->Couper1, Modif2}) a->setVisible(on);
    // The map's keys ("i" creates a location only in edit mode) follow the button at once,
    // not from the next click on the map.
    if (input) input->editMode = on;
}

void TForm4::but_editmodeClick()
{
    if (but_editmode->isChecked()) show_feedback(44, 60, "", "");
    toggle_mode_edition();
}

void TForm4::init_formcaption()
{
    for (QMenu* menu : {Menu_image, MyTree->Menu1, menu_info, Menu2})
        for (QAction* a : menu->actions()) {
            const int tag = a->property("Tag").toInt();
            // Tag 255 marks the link items of the location under the mouse: captions of their own.
            if (tag > 0 && tag != 255) a->setText(ToDisplay(GetMenuText(tag)));
        }
    TranslateForm(this);
    // Tool buttons show their hint text as a tool tip; the hint window draws it.
}

void TForm4::assign_icon(std::vector<QImage>& list, QSize iconSize, const QString& stripFileName)
{
    if (!LoadIconStrip(stripFileName, iconSize, list))
        ShowRessourceMessage(47, false, ToCp1252(QFileInfo(stripFileName).fileName()).value_or(""));
}

void TForm4::show_about(bool creditsPage)
{
    if (dialogs_.about) dialogs_.about(this, creditsPage);
}

void TForm4::load_sitelinks(QMenu* parentItem)
{
    SiteList.clear();
    parentItem->clear();
    const auto path = ResolveExistingPath(ResDir, InterfaceLang + "/link.txt");
    if (!path) return;
    std::string text;
    if (!ReadTextFileCapped(*path, text)) return;
    SiteList = ParseSiteLinks(text);
    for (size_t i = 0; i < SiteList.size(); ++i) {
        const int index = int(i);
        QAction* a = parentItem->addAction(ToDisplay(SiteList[i].caption));
        connect(a, &QAction::triggered, this, [this, index] { lienClick(index); });
    }
}

void TForm4::lienClick(int index)
{
    if (index < 0 || size_t(index) >= SiteList.size()) return;
    const std::string& url = SiteList[size_t(index)].address;
    if (ShowRessourceMessage(32, true, kProductName, url) != 6) return;
    // Only http and https addresses reach the browser.
    if (!OpenWebPage(FromCp1252(url))) ShowRessourceMessage(16, false);
}

void TForm4::CombocheckChange()
{
    checkLod->setChecked(Combocheck->currentText() == ToDisplay(GetCaptionText(73)));
    apply_categfilter();
    checkLodClick();
}

void TForm4::apply_categfilter()
{
    if (scene.CurrentMapId < 0 || !RealmInfo) return;
    const auto* chosen = reinterpret_cast<const rCateg*>(Combocheck->currentData().value<quintptr>());
    ::apply_categfilter(MyTreeStore, *RealmInfo->mapIndex, chosen);
    // The paths and links follow the new check marks after the tree's paint; a tree that is
    // not on screen does not paint, so they follow at once.
    if (!MyTree->isVisible()) afterTreePaint();
    repaintMap();
}

void TForm4::CheckBoxlvlClick()
{
    const bool on = CheckBoxlvl->isChecked();
    Edit_lvl_min->setEnabled(on);
    Edit_lvl_max->setEnabled(on);
    levelFilter.enabled = on;
    update_node_visibility();
}

void TForm4::afterTreePaint()
{
    if (!MyTreeStore.ChecksChanged) return;
    MyTreeStore.ChecksChanged = false;
    build_paths(scene);
    build_links(scene);
    repaintMap();
}

void TForm4::checkLodClick()
{
    scene.overlays.levelOfDetail = checkLod->isChecked();
    update_lod(scene);
    repaintMap();
}

void TForm4::ZoomBarChange(int position)
{
    scene.view.zoomFromBar(position);
}

void TForm4::show_feedback(int id, int seconds, const std::string& text1, const std::string& text2)
{
    Timerfeedback.start();
    AddDirectFeedback(id, seconds, text1, FeedbackList, text2);
    repaintMap();
}

void TForm4::TimerfeedbackTimer()
{
    if (!AgeFeedback(FeedbackList)) Timerfeedback.stop();
    repaintMap();
}

void TForm4::clear_feedback()
{
    FeedbackList.clear();
}

void TForm4::init_hinttime(int milliseconds)
{
    if (hints) hints->init_hinttime(milliseconds);
}

void TForm4::but_mailClick()
{
    if (loadingData_) return;
    if (!confirm_sauver(29)) return;
    const std::string name = ToCp1252(MakeAdditionsFileName(DatabaseLang)).value_or("");
    const QString file = additions_ ? additions_->additionsPath() : AjoutsDir + MakeAdditionsFileName(DatabaseLang);
    if (!QFileInfo::exists(file)) {
        show_feedback(28, 3, name, "");
        return;
    }
    const int64_t size = GetFileSizeOf(file);
    if (size <= 0) {
        show_feedback(31, 3, name, "");
        return;
    }
    const int lines = CountFileLines(file);
    if (lines < 3) {
        show_feedback(31, 3, name, "");
        return;
    }
    if (lines <= 5 && ShowRessourceMessage(61, true, name) != 6) return;
    if (dialogs_.send) dialogs_.send(this, size <= int64_t(kUploadLimit));
}

void TForm4::but_autoupClick()
{
    if (loadingData_) return;
    if (confirm_sauver(48)) update_auto();
    if (NewVersionAccepted) {
        goto_newversion();
        return;
    }
    QCoreApplication::processEvents();
    if (FilesUpdated) reload_all(true); // replaced files take effect
}
