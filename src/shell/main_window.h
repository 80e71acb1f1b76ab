#pragma once
// The main window: its frame (tool bars, menus, side panel, status bar), its start-up and
// shutdown, and the state the other parts of the program share. The work itself lives in
// the subsystem classes; the named methods here hand over to them.
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QTimer>

#include "additions.h"
#include "data_model.h"
#include "location_editor_host.h"
#include "feedback.h"
#include "map_scene.h"
#include "location_tree.h"
#include "pref_file.h"
#include "records.h"
#include "tree_visibility.h"
#include "update_list.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QSlider;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class HintManager;
class ImageControl;
class LocationSearch;
class SearchResultModel;
class ShapeControl;
class MapWidget;
class MapInteraction;
class MapInput;
class TG32_ProgressBar;
class QPushButton;
struct InfoPanelContent;
struct CreateLocationRequest;
class TForm2;
class LocationTreeModel;
class LocationTreeView;

// What the main window asks through dialogs; tests answer without a modal loop.
struct MainWindowDialogs {
    // The first-start dialog; True when a language and a database were chosen.
    std::function<bool(QWidget* owner)> firstInfo;
    // The nickname dialog; the text typed (Windows-1252), possibly empty.
    std::function<std::string(QWidget* owner)> pseudo;
    // The about box, on its credits page or not.
    std::function<void(QWidget* owner, bool credits)> about;
    // The preferences dialog, shown with the categories' icons; True when it asks for a
    // reload (another language or database was chosen).
    std::function<bool(QWidget* owner, const std::vector<QImage>& categoryIcons)> preferences;
    // Runs the location editor, already filled and shown, in place of its modal loop; it
    // must close the dialog (OK, delete or cancel). Empty: the real modal dialog.
    std::function<void(TForm2& editor)> editor;
    // The update dialog and what it reported; absent, no update dialog runs.
    std::function<UpdateOutcome(QWidget* owner)> update;
    // The sending dialog, with the direct upload allowed or not; absent, nothing is sent.
    std::function<void(QWidget* owner, bool uploadAllowed)> send;
};

class TForm4 : public QMainWindow, public AdditionsHost, public LocationEditorHost {
    Q_OBJECT
public:
    // Builds the window and runs its creation sequence for the program folder exeDir.
    explicit TForm4(const QString& exeDir, MainWindowDialogs dialogs = {}, QWidget* parent = nullptr);
    ~TForm4() override;

    // Life cycle.
    void FormActivate();
    void FormDestroy();
    void init_menulang();
    void goto_newversion();
    void update_auto();
    bool ask_firstinfo();
    static void check_folder(const QString& path);
    void apply_killlist();
    void load_vectors_markers();

    // Database load and clear.
    void load_database();
    void clear_database_view();
    void refresh_concolors(bool resetMap);
    void update_concolors();
    void update_node_visibility();
    void load_tips();
    void clear_search() override;

    // Frame and commands.
    void affiche_masterliste();
    // The side-panel page buttons (index 0..3). The one click handler of them all: a button
    // going down releases the others; the side-panel rule; its page comes forward; the tree
    // and info pages take the info header; the search page gives its text edit the focus.
    void but_listeClick(int index);
    // Presses a page button (down, never toggled up) and runs its click handler.
    void press_liste(int index);
    // The side panel shows while a page button is down and the window is 300 pixels wide or more.
    void applySidePanelRule(int windowWidth);
    void StayOnTop();
    void movefiche();
    void toggle_mode_edition();
    void init_formcaption();
    // Appends the icons of a strip to an image list of icons of that size; S47 on failure.
    void assign_icon(std::vector<QImage>& list, QSize iconSize, const QString& stripFileName);
    void show_about(bool creditsPage);
    void load_sitelinks(QMenu* parentItem);
    void lienClick(int index);
    void CombocheckChange();
    void apply_categfilter();
    // The level filter's check box: the two level edits follow it, then the visibility.
    void CheckBoxlvlClick();
    void checkLodClick();
    // Empties the waypoint list, repaints and brings the waypoint menu items in line.
    void erase_listWP();
    void ZoomBarChange(int position);
    void show_feedback(int id, int seconds, const std::string& text1, const std::string& text2) override;
    void TimerfeedbackTimer();
    void clear_feedback();
    void Sauver1Click();
    void Timer3Timer();
    void but_mailClick();
    void but_autoupClick();
    void but_editmodeClick();
    bool FormCloseQuery();
    // The window system destroyed this window's native window (another program closed it):
    // the window closes as a close does; when the save question is cancelled it is shown anew.
    void nativeWindowGone();
    void init_hinttime(int milliseconds);

    // Preferences, language and database switch, reload of all data.
    void appelle_prefs();
    // Drops and loads again the common data, the database and (when asked) the texts,
    // keeping the map, zoom and pan shown. False when it did not run: a load is under
    // way, or the user cancelled the question about unsaved additions (the language and
    // database names then return to the loaded ones).
    bool reload_all(bool reloadTexts);
    void ressourceClick(QAction* item);
    // True while the data are loaded (first activation or reload): commands that would
    // load, save or close wait for the end.
    bool loadingData() const { return loadingData_; }

    // The map: shows a node's map, selects and centres; forgets the map shown.
    void localize_data(int node, bool centre, bool keep = false, int32_t x = 0, int32_t y = 0);
    void select_node(int node);
    void clear_mapview();
    void load_vectors_and_markers();
    void showInfoPanel(const InfoPanelContent& content);
    void imagehint(const std::string& text);
    void repaintMap();
    // A text edit of this window (where typed characters belong) holds the keyboard focus.
    bool textEditHasFocus() const;
    // The window drag; tests replace it to see that a press on the tool bar asks for it.
    std::function<bool(QWidget*)> windowDrag;

    // Location editing (main_window_edit.cpp).
    int addnode(const rnew_node& record) override;
    void destroynode(int node) override;
    void destroynode_runtime(int node);
    void addtag_node_erase(int node);
    void couper_node(int node);
    void init_rcopiedata(int node);
    void create_nodecopie();
    void hyperlink1Click();
    void Appelle_modifierNode(int node);
    // The editor in create mode for the map's request; the node it added, or none.
    int runLocationEditor(const CreateLocationRequest& request);
    void refresh_pathslinks();
    // refresh_pathslinks after a command that changed one location (kNoTreeNode: none; the
    // bulk change recolours its own): that location recoloured, paths and links rebuilt.
    void refreshAfterEdit(int changed);
    // The page buttons' click handlers by their own names (see but_listeClick).
    void but_liste1Click() { but_listeClick(0); }
    void but_liste2Click() { but_listeClick(1); }
    void but_liste3Click() { but_listeClick(2); }
    void but_liste4Click() { but_listeClick(3); }
    // A tool button's (or the database icon's) hint in the status bar.
    void but_toolMouseMove(QWidget* control);
    // Search and its result list.
    void Button1Click();
    void reset_resultheader();
    void affiche_searchnode(int node, bool centre);
    void Modif2Click();
    void show_traduc_check(bool visible);
    // The map's context menu (main_window_map_menu.cpp): its state when it opens, the
    // items of edit mode, the waypoint items, the maps sub-menu.
    void Menu_imagePopup(const QPoint& position);
    bool toggle_mode_nozone();
    void showMapMenuEditItems(bool on);
    void update_waypointmenu();
    void fillRegionMenu();
    void add_region_item(const rRegion& map, int index);
    void regionClick(int index);
    // Checks the maps sub-menu's item of this map, and no other.
    void checkRegionItem(int32_t mapId);
    // Redirect links: the link items at the top of Menu_image, and following a link.
    void vider_popup_redir();
    // Inserts one link item (a separator for "-") at this position of Menu_image.
    void add_popupredir_items(const std::string& caption, int position);
    void popupredir_click(QAction* item);
    void TreeRedirFocusChanged(QTreeWidgetItem* entry);
    void followRedirect(const std::string& name);

    // LocationEditorHost (addnode, destroynode, toggle_tagnew and clear_search stand above)
    QWidget* editorParent() override { return this; }
    LocationTree& editedTree() override { return MyTreeStore; }
    const std::vector<QImage>& categoryIcons() const override { return Listiconmap; }
    const std::vector<QImage>& panelIcons() const override { return ImageList1; }
    const TNodeData* copyBuffer() const override { return CopyData.get(); }
    const std::vector<rWaypoint>& waypoints() const override { return scene.Waypoints; }
    void endWaypoints() override;

    // AdditionsHost
    std::string ask_pseudo() override;
    void setAutosaveTimer(bool on) override;
    void setSaveControlsEnabled(bool on) override;
    void log(const std::string& line) override;
    void toggle_tagnew(bool modified) override;
    bool confirm_sauver(int reason);

    // Shared state.
    bool FirstActivate = true;
    bool ShowMarkers = true;
    bool MasterListShown = true;
    int DroppedAdditions() const { return additions_ ? additions_->DroppedAdditions : 0; }
    bool AdditionsModified() const { return additions_ && additions_->AdditionsModified; }
    // The map view's shared state: viewport, map shown, selection, paths, markers, hit test.
    MapScene scene;
    std::unique_ptr<MapInteraction> interaction;
    std::unique_ptr<MapInput> input;
    LevelFilter levelFilter;
    FeedbackLines FeedbackList;
    std::vector<rLink> SiteList;
    std::unique_ptr<TNodeData> CopyData;
    double DatabaseDate = 0.0;
    WindowSettings settings; // what pref.ini keeps outside the settings record
    bool NewVersionAccepted = false;
    bool FilesUpdated = false;

    // Controls the tests and the other parts reach.
    LocationTree MyTreeStore;
    LocationTreeModel* MyTreeModel = nullptr;
    LocationTreeView* MyTree = nullptr;
    AdditionsFile* additions() const { return additions_.get(); }
    QPlainTextEdit* Memo1 = nullptr;
    MapWidget* ImageMapView = nullptr;
    TG32_ProgressBar* G32_ProgressBar1 = nullptr;
    // Positions page: the two position markers, the compass, the jump code.
    QComboBox *ComboBox4 = nullptr, *ComboBox5 = nullptr;
    QLineEdit *Edit_myX = nullptr, *Edit_myY = nullptr, *Edit_otherX = nullptr, *Edit_otherY = nullptr;
    QCheckBox* but_boussole = nullptr;
    QLineEdit* EditJump = nullptr;
    QPushButton* Button2 = nullptr;
    // Info page.
    QLabel *Label7 = nullptr, *Label1 = nullptr, *Label8 = nullptr, *Label9 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QTreeWidget* TreeRedir = nullptr;
    QSlider* ZoomBar = nullptr;
    QWidget* PanelDock = nullptr;
    QLabel* Image1 = nullptr; // the database's icon (ico.bmp) on ToolBar1
    QStackedWidget* Pages = nullptr;
    QToolBar *ToolBar1 = nullptr, *ToolBar2 = nullptr, *ToolBar3 = nullptr;
    QToolButton *but_stay = nullptr, *but_autoup = nullptr, *but_tips = nullptr, *but_pref = nullptr,
                *but_info = nullptr, *but_editmode = nullptr, *but_sav = nullptr, *but_mail = nullptr;
    std::array<QToolButton*, 4> but_liste{};
    QToolButton *But_Leg = nullptr, *but_chemin = nullptr, *but_grid = nullptr, *but_stitre = nullptr,
                *but_overview = nullptr;
    QMenu *menu_info = nullptr, *menu_lang = nullptr, *Menu_image = nullptr, *site1 = nullptr,
          *Database1 = nullptr, *Langage1 = nullptr, *region1 = nullptr;
    QAction *infos2 = nullptr, *credit1 = nullptr, *sauver1 = nullptr, *refresh1 = nullptr;
    QAction *ajouter1 = nullptr, *Copiernode1 = nullptr, *coupernode1 = nullptr, *copierlelocref1 = nullptr,
            *hyperlink1 = nullptr, *waypoint1 = nullptr, *wpdefaire1 = nullptr, *BMy = nullptr, *BOther = nullptr,
            *N6 = nullptr, *region1Action = nullptr, *site1Action = nullptr;
    QComboBox* Combocheck = nullptr;
    QCheckBox* checkLod = nullptr;
    QCheckBox* CheckBoxlvl = nullptr;
    QLineEdit *Edit_lvl_min = nullptr, *Edit_lvl_max = nullptr, *Editlvl = nullptr;
    // Search page (main_window_search.cpp) and info page lists.
    QComboBox *ComboCateg = nullptr, *ComboBox8 = nullptr, *ComboBox6 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QTreeWidget *treebool_search = nullptr, *Treeitem = nullptr;
    QMenu* Popuptreesearch = nullptr;
    QGroupBox *GroupBox3 = nullptr, *GroupBox11 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox6 = nullptr, *CheckBox3 = nullptr,
              *CheckBox15 = nullptr, *CheckBox16 = nullptr, *CheckBox5 = nullptr, *CheckBox17 = nullptr;
    QLineEdit *Edit1 = nullptr, *Edit3 = nullptr, *Edit2 = nullptr;
    QPushButton* Button1 = nullptr;
    QLabel* Label6 = nullptr;
    QWidget* panelmaster = nullptr;
    QTreeView* TreeResult = nullptr;
    SearchResultModel* TreeResultModel = nullptr;
    QMenu* Menu2 = nullptr;
    QAction* Modif2 = nullptr;
    std::unique_ptr<LocationSearch> searcher;
    // Info header (Panel6, shown on the tree page or the info page) and position circles.
    QWidget* Panel6 = nullptr;
    ShapeControl *Shape2 = nullptr, *Shape3 = nullptr, *Shape_perso = nullptr, *Shape_dest = nullptr;
    ImageControl *Image3 = nullptr, *Image4 = nullptr;
    QGroupBox *GroupBox4 = nullptr, *GroupBox5 = nullptr, *GroupBox7 = nullptr;
    std::vector<std::string> TipsList;
    int TipsWidth = 0, TipsLineHeight = 0;
    QTimer Timer3, Timerfeedback;
    HintManager* hints = nullptr;
    std::vector<QImage> ImageList1, ImageList3, ImageList_c, Listiconmap, listmenu;

    // Every step of creation and activation, in order, for the start-up test.
    std::vector<std::string> startupTrace;

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildControls();
    void buildToolBars();
    void buildMenus();
    void buildSidePanel();
    void buildSearchAndInfoPages();
    void buildPositionsPage(QWidget* page);
    void buildSearchPage(QWidget* page);
    QWidget* buildInfoHeader(QWidget* parent);
    void setupTreeRedir();
    void wireSearchAndPages();
    void fillInfoHeader(const InfoPanelContent& content);
    // Shows the link list entries of the info page's content in TreeRedir.
    void showTreeRedir(const InfoPanelContent& content);
    void setupMap();
    // The progress bar over the map, shared by the database load and the map load.
    void placeProgressBar();
    void showProgressBar(int32_t maximum);
    void hideProgressBar();
    void setupEditCommands();
    void buildMapMenu();
    void wireMapMenu();
    // Shows the editor modally (or through the dialogs' runner) and frees nothing.
    void execEditor(TForm2& editor);
    void applyPositionEdits();
    void applyWindowPlacement();
    void trace(const std::string& step) { startupTrace.push_back(step); }
    QAction* addMenuItem(QMenu* menu, const char* name, int tag);
    QToolButton* addToolButton(QToolBar* bar, const char* name, int tag, int image, bool checkable, bool down);
    void writeSettingsBack();
    // The load shared by the first activation and the reload: texts (when asked), the
    // database folder, the common data, the database, the colours.
    void load_all_data(bool reloadTexts);
    // Writes categpref.bin from the common data, then drops them.
    void releaseCommonData();
    // Shows the map with this id again, keeping the view (nothing when there is none).
    void show_map_again(int mapId);
    // Marks the language and database items of the loaded names.
    void markFolderMenus();
    void applyAlphaBlend();
    // A close asked for while the data were loading happens now, from the event loop.
    void closeIfAskedDuringLoad();
    // Key preview: the map's keys, seen before the focused control of this window.
    bool previewKey(QObject* receiver, QKeyEvent* event);
    void afterTreePaint();

    MainWindowDialogs dialogs_;
    std::unique_ptr<AdditionsFile> additions_;
    QActionGroup* regionGroup_ = nullptr;
    bool destroyed_ = false;
    bool loadingData_ = false;
    bool closeAfterLoad_ = false;
    // The language and database of the data loaded now.
    QString loadedInterfaceLang_, loadedDatabaseLang_;
};

// Folder of the running program: pref.ini, the sub-folders and the data live there.
QString ProgramFolder();
