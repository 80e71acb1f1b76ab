// The main window's side panel pages and search: the page routine, the tool hints in the
// status bar, the search page and its result list, the info header, and the redirect
// links of the info page and following a link.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cp1252.h"
#include "criteria_tree.h"
#include "database_globals.h"
#include "folders.h"
#include "grid_line_delegate.h"
#include "image_control.h"
#include "info_panel.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window.h"
#include "map_interaction.h"
#include "preferences.h"
#include "ressource.h"
#include "search.h"
#include "search_idle_build.h"
#include "search_result_model.h"
#include "shape_control.h"

namespace {

// Runs a function for the events of one object.
class EventHook : public QObject {
public:
    EventHook(std::function<void(QEvent*)> onEvent, QObject* parent) : QObject(parent), onEvent_(std::move(onEvent)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        onEvent_(event);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(QEvent*)> onEvent_;
};

QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

constexpr int kRedirNameRole = Qt::UserRole + 1;

std::string bytesOf(const QVariant& v)
{
    const QByteArray b = v.toByteArray();
    return std::string(b.constData(), size_t(b.size()));
}

} // namespace

// ---- Tool hints -----------------------------------------------------------------------

void TForm4::but_toolMouseMove(QWidget* control)
{
    const std::string hint = GetHintText(control->property("Tag").toInt());
    // The hint's first character is the "@" that marks a simple hint.
    statusBar()->showMessage(hint.empty() ? QString() : ToDisplay(hint.substr(1)));
}

// ---- Info header and redirect list ----------------------------------------------------

QWidget* TForm4::buildInfoHeader(QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName("Panel6");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(2, 2, 2, 2);
    Label7 = new QLabel(panel);
    Label7->setObjectName("Label7");
    Label7->setStyleSheet("font-weight: bold;");
    Label1 = new QLabel(panel);
    Label1->setObjectName("Label1");
    auto* row = new QHBoxLayout();
    QFont levelFont("Arial");
    levelFont.setPointSize(8);
    levelFont.setBold(true);
    for (auto [shape, label, name, labelName] : {std::tuple{&Shape2, &Label8, "Shape2", "Label8"},
                                                 std::tuple{&Shape3, &Label9, "Shape3", "Label9"}}) {
        *shape = new ShapeControl(ShapeControl::Shape::Rectangle, panel);
        (*shape)->setObjectName(name);
        (*shape)->setFixedSize(17, 17);
        // The level text lies over its colour box.
        *label = new QLabel(*shape);
        (*label)->setObjectName(labelName);
        (*label)->setFont(levelFont);
        (*label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        (*label)->setGeometry(0, 0, 16, 17);
        row->addWidget(*shape);
    }
    for (auto [image, name] : {std::pair{&Image3, "Image3"}, std::pair{&Image4, "Image4"}}) {
        *image = new ImageControl(panel);
        (*image)->setObjectName(name);
        (*image)->setFixedSize(16, 16);
        row->addWidget(*image);
    }
    row->addStretch(1);
    layout->addWidget(Label7);
    layout->addWidget(Label1);
    layout->addLayout(row);
    return panel;
}

void TForm4::fillInfoHeader(const InfoPanelContent& c)
{
    Label7->setText(ToDisplay(c.categoryCaption));
    Label1->setText(ToDisplay(c.name));
    Label1->setStyleSheet(QString("color: %1; font-weight: bold;").arg(fromTColor(c.nameColour).name()));
    Label8->setText(ToDisplay(c.levelMinText));
    Label9->setText(ToDisplay(c.levelMaxText));
    Shape2->setBrushColour(fromTColor(c.levelMinColour));
    Shape3->setBrushColour(fromTColor(c.levelMaxColour));
    auto icon = [this](bool on, size_t index) { return on && index < ImageList1.size() ? ImageList1[index] : QImage(); };
    Image3->setImage(icon(c.descriptionIcon, 7));
    Image4->setImage(icon(c.linksIcon, 8));
}

void TForm4::setupTreeRedir()
{
    // Column 0 the name, column 1 a constant icon, shown first.
    TreeRedir->setColumnCount(2);
    TreeRedir->setHeaderHidden(true);
    TreeRedir->setRootIsDecorated(false);
    TreeRedir->header()->setStretchLastSection(false);
    TreeRedir->header()->moveSection(1, 0);
    TreeRedir->setColumnWidth(0, 121);
    TreeRedir->setColumnWidth(1, 20);
    TreeRedir->header()->setMaximumSectionSize(121);
    TreeRedir->setStyleSheet("QTreeWidget { background: #808080; color: #EFF0DE; }");
    connect(TreeRedir, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { TreeRedirFocusChanged(current); });
}

void TForm4::showTreeRedir(const InfoPanelContent& c)
{
    TreeRedir->setUpdatesEnabled(false);
    TreeRedir->clear();
    const QIcon icon = ImageList_c.empty() ? QIcon() : QIcon(QPixmap::fromImage(ImageList_c[0]));
    for (const std::string& name : c.redirEntries) {
        auto* entry = new QTreeWidgetItem(TreeRedir);
        entry->setText(0, ToDisplay(name));
        entry->setData(0, kRedirNameRole, QByteArray(name.data(), qsizetype(name.size())));
        entry->setIcon(1, icon);
    }
    TreeRedir->setUpdatesEnabled(true);
}

void TForm4::TreeRedirFocusChanged(QTreeWidgetItem* entry)
{
    if (!entry) return;
    // Following refills this very list: let the focus change finish first.
    const std::string name = bytesOf(entry->data(0, kRedirNameRole));
    QTimer::singleShot(0, this, [this, name] { followRedirect(name); });
}

void TForm4::popupredir_click(QAction* item)
{
    const std::string name = bytesOf(item->data());
    QTimer::singleShot(0, this, [this, name] { followRedirect(name); });
}

void TForm4::followRedirect(const std::string& name)
{
    // Every reference is cut to what a list entry holds, so the menu item, the list entry
    // and the line all look up the same name; the map shown is searched first, so a
    // followed link goes where its line points.
    const std::string cut = name.substr(0, kRedirEntryMax);
    int node = searcher->findByName(cut, true, scene.CurrentMapId, scene.CurrentMapNode);
    if (node == kNoTreeNode) node = searcher->findByName(cut, false, scene.CurrentMapId, scene.CurrentMapNode);
    affiche_searchnode(node, true);
}

void TForm4::affiche_searchnode(int node, bool centre)
{
    if (MyTreeStore.levelOf(node) != levelLocation) {
        ShowRessourceMessage(11, false);
        return;
    }
    MyTreeStore.setCheckState(node, NodeCheck::Checked); // so that it is drawn
    localize_data(node, centre);
}

// ---- Search page ----------------------------------------------------------------------

void TForm4::buildSearchPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto makeCheck = [](QWidget* parent, const char* name, int tag, bool checked) {
        auto* box = new QCheckBox(parent);
        box->setObjectName(name);
        if (tag) box->setProperty("Tag", tag);
        box->setChecked(checked);
        return box;
    };

    GroupBox3 = new QGroupBox(page);
    GroupBox3->setObjectName("GroupBox3");
    GroupBox3->setProperty("Tag", 7);
    auto* g3 = new QVBoxLayout(GroupBox3);
    auto* textRow = new QHBoxLayout();
    CheckBox1 = makeCheck(GroupBox3, "CheckBox1", 8, true);
    CheckBox2 = makeCheck(GroupBox3, "CheckBox2", 29, true);
    CheckBox6 = makeCheck(GroupBox3, "CheckBox6", 9, false);
    textRow->addWidget(CheckBox1);
    textRow->addWidget(CheckBox2);
    g3->addLayout(textRow);
    g3->addWidget(CheckBox6);
    Edit1 = new QLineEdit(GroupBox3);
    Edit1->setObjectName("Edit1");
    g3->addWidget(Edit1);
    auto* categRow = new QHBoxLayout();
    CheckBox3 = makeCheck(GroupBox3, "CheckBox3", 10, false);
    ComboCateg = new QComboBox(GroupBox3);
    ComboCateg->setObjectName("ComboCateg");
    ComboCateg->setMaxVisibleItems(25);
    categRow->addWidget(CheckBox3);
    categRow->addWidget(ComboCateg, 1);
    g3->addLayout(categRow);
    auto* levelRow = new QHBoxLayout();
    CheckBox4 = makeCheck(GroupBox3, "CheckBox4", 12, false);
    Edit3 = new QLineEdit("5", GroupBox3);
    Edit3->setObjectName("Edit3");
    Edit2 = new QLineEdit("5", GroupBox3);
    Edit2->setObjectName("Edit2");
    levelRow->addWidget(CheckBox4);
    levelRow->addWidget(Edit3);
    levelRow->addWidget(Edit2);
    g3->addLayout(levelRow);
    layout->addWidget(GroupBox3);

    treebool_search = new QTreeWidget(page);
    treebool_search->setObjectName("treebool_search");
    treebool_search->setContextMenuPolicy(Qt::CustomContextMenu);
    Popuptreesearch = new QMenu(this);
    QAction* reset1 = Popuptreesearch->addAction("reset");
    reset1->setObjectName("reset1");
    connect(reset1, &QAction::triggered, this, [this] { resetCriteria(treebool_search); });
    connect(treebool_search, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { Popuptreesearch->popup(treebool_search->viewport()->mapToGlobal(p)); });
    layout->addWidget(treebool_search, 1);

    auto* typeRow = new QHBoxLayout();
    CheckBox15 = makeCheck(page, "CheckBox15", 128, false);
    ComboBox8 = new QComboBox(page);
    ComboBox8->setObjectName("ComboBox8");
    typeRow->addWidget(CheckBox15);
    typeRow->addWidget(ComboBox8, 1);
    layout->addLayout(typeRow);

    // Options the page keeps on a panel that is never shown: their initial states count.
    panelmaster = new QWidget(page);
    panelmaster->setObjectName("panelmaster");
    auto* master = new QHBoxLayout(panelmaster);
    CheckBox17 = makeCheck(panelmaster, "CheckBox17", 130, false);
    CheckBox17->setTristate(true);
    CheckBox17->setCheckState(Qt::PartiallyChecked);
    CheckBox16 = makeCheck(panelmaster, "CheckBox16", 0, false);
    CheckBox16->setText("Freeze");
    CheckBox5 = makeCheck(panelmaster, "CheckBox5", 0, false);
    CheckBox5->setText("getnews");
    master->addWidget(CheckBox17);
    master->addWidget(CheckBox16);
    master->addWidget(CheckBox5);
    panelmaster->hide();
    layout->addWidget(panelmaster);

    GroupBox11 = new QGroupBox(page);
    GroupBox11->setObjectName("GroupBox11");
    GroupBox11->setProperty("Tag", 89);
    auto* g11 = new QHBoxLayout(GroupBox11);
    ComboBox6 = new QComboBox(GroupBox11);
    ComboBox6->setObjectName("ComboBox6");
    Button1 = new QPushButton(GroupBox11);
    Button1->setObjectName("Button1");
    Button1->setProperty("Tag", 16);
    Button1->setDefault(true);
    g11->addWidget(ComboBox6, 1);
    g11->addWidget(Button1);
    layout->addWidget(GroupBox11);

    Label6 = new QLabel(page);
    Label6->setObjectName("Label6");
    layout->addWidget(Label6);

    TreeResultModel = new SearchResultModel(MyTreeStore, this);
    TreeResult = new QTreeView(page);
    TreeResult->setObjectName("TreeResult");
    TreeResult->setModel(TreeResultModel);
    TreeResult->setRootIsDecorated(false);
    TreeResult->setUniformRowHeights(true);
    TreeResult->setMouseTracking(true);
    TreeResult->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TreeResult->setSelectionBehavior(QAbstractItemView::SelectRows);
    TreeResult->setStyleSheet("QTreeView { background: #808080; }");
    // Solid grid lines between the cells, in the desktop's button face colour (the list's own
    // palette has the grey background there).
    TreeResult->setItemDelegate(new GridLineDelegate(QGuiApplication::palette().color(QPalette::Button), TreeResult));
    TreeResult->setContextMenuPolicy(Qt::CustomContextMenu);
    QHeaderView* header = TreeResult->header();
    header->setFixedHeight(15);
    header->setContextMenuPolicy(Qt::PreventContextMenu); // Menu2 belongs to the rows
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(20);
    header->setMaximumSectionSize(500);
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->resizeSection(SearchResultModel::colName, 100);
    header->resizeSection(SearchResultModel::colZone, 83);
    header->resizeSection(SearchResultModel::colCategory, 20);
    header->resizeSection(SearchResultModel::colZoneIcon, 20);
    header->setSectionResizeMode(SearchResultModel::colCategory, QHeaderView::Fixed);
    // Shown from the left: zone icon, category icon, name, zone name.
    header->moveSection(header->visualIndex(SearchResultModel::colZoneIcon), 0);
    header->moveSection(header->visualIndex(SearchResultModel::colCategory), 1);
    layout->addWidget(TreeResult, 2);

    Menu2 = new QMenu(this);
    Menu2->setObjectName("Menu2");
    Modif2 = addMenuItem(Menu2, "Modif2", 31);
    Modif2->setVisible(false); // edit mode only
}

void TForm4::wireSearchAndPages()
{
    searcher = std::make_unique<LocationSearch>(MyTreeStore);
    scene.search = searcher.get();
    // The index is brought up to date while the program is idle, not while it loads.
    auto* idleBuild = new SearchIndexIdleBuild([this] { return searcher.get(); },
                                               [this] { return loadingData_ || destroyed_; }, this);
    idleBuild->setObjectName("searchIndexIdleBuild");
    TreeResultModel->setNameSource([this] { return searcher.get(); });

    // Search page controls: a change checks the box of its criterion.
    connect(Edit1, &QLineEdit::textEdited, this, [this] { CheckBox1->setChecked(true); });
    Edit1->installEventFilter(new EventHook([this](QEvent* e) {
        if (e->type() == QEvent::FocusIn) CheckBox1->setChecked(true);
    }, Edit1));
    connect(Edit1, &QLineEdit::returnPressed, Button1, &QPushButton::click);
    for (QLineEdit* level : {Edit3, Edit2}) {
        // Typed keys are filtered; pasted text is cleaned to its digits here.
        level->installEventFilter(new DigitKeyFilter([this] { Button1->click(); }, level));
        connect(level, &QLineEdit::textEdited, this, [this, level](const QString& text) {
            const QString digits = FromCp1252(levelEditText(ToCp1252(text).value_or("")));
            if (digits != text) level->setText(digits);
            CheckBox4->setChecked(true);
        });
    }
    connect(ComboCateg, &QComboBox::activated, this, [this] { CheckBox3->setChecked(true); });
    connect(ComboBox8, &QComboBox::activated, this, [this] { CheckBox15->setChecked(true); });
    connect(Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(CheckBox17, &QCheckBox::stateChanged, this, [this](int state) {
        scene.overlays.traduc = state == Qt::PartiallyChecked ? TraducCheck::Grayed
                                : state == Qt::Checked        ? TraducCheck::Checked
                                                              : TraducCheck::Unchecked;
        repaintMap();
    });

    // Result list.
    QHeaderView* header = TreeResult->header();
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
        TreeResultModel->headerClick(column);
        // The picked row keeps its pick through the new order; the list follows it there.
        if (TreeResult->currentIndex().isValid()) TreeResult->scrollTo(TreeResult->currentIndex());
    });
    connect(TreeResultModel, &SearchResultModel::sortChanged, this, [header](int column, Qt::SortOrder order) {
        header->setSortIndicator(column, order);
    });
    connect(TreeResult->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid()) return;
                const int node = TreeResultModel->nodeAt(current.row());
                // Showing the location must not run inside the list's own focus change.
                QTimer::singleShot(0, this, [this, node] { affiche_searchnode(node, true); });
            });
    TreeResult->viewport()->installEventFilter(new EventHook([this](QEvent* e) {
        // A mouse focus does not pick a row by itself.
        if (e->type() == QEvent::MouseMove && !TreeResult->hasFocus()) TreeResult->setFocus(Qt::MouseFocusReason);
    }, TreeResult));
    connect(TreeResult, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { Menu2->popup(TreeResult->viewport()->mapToGlobal(p)); });
    connect(Modif2, &QAction::triggered, this, &TForm4::Modif2Click);

    // Tool hints in the status bar.
    std::vector<QWidget*> hinted{but_autoup, but_pref, but_info, but_editmode, but_sav, but_mail,
                                 But_Leg, but_chemin};
    for (QToolButton* b : but_liste) hinted.push_back(b);
    hinted.push_back(Image1);
    for (QWidget* w : hinted) {
        w->setMouseTracking(true);
        w->installEventFilter(new EventHook([this, w](QEvent* e) {
            if (e->type() == QEvent::MouseMove) but_toolMouseMove(w);
        }, w));
    }
}

void TForm4::Button1Click()
{
    SearchPageValues page;
    page.text = ToCp1252(Edit1->text()).value_or("");
    page.inName = CheckBox1->isChecked();
    page.inNote = CheckBox2->isChecked();
    page.exact = CheckBox6->isChecked();
    page.byCategory = CheckBox3->isChecked();
    if (const auto* categ = reinterpret_cast<const rCateg*>(ComboCateg->currentData().value<quintptr>()))
        page.categoryId = categ->id;
    page.byLevel = CheckBox4->isChecked();
    page.levelLow = ToCp1252(Edit3->text()).value_or("");
    page.levelHigh = ToCp1252(Edit2->text()).value_or("");
    page.byType = CheckBox15->isChecked();
    page.typeIndex = ComboBox8->currentIndex();
    page.scope = ComboBox6->currentIndex();
    page.translation = CheckBox17->checkState() == Qt::PartiallyChecked ? TraducCheck::Grayed
                       : CheckBox17->isChecked()                         ? TraducCheck::Checked
                                                                         : TraducCheck::Unchecked;
    page.freeze = CheckBox16->isChecked();
    page.getnews = CheckBox5->isChecked();
    std::function<void(QTreeWidgetItem*)> collect = [&](QTreeWidgetItem* item) {
        page.criteria.emplace_back(item->data(0, kSpecIdRole).toInt(), criterionOf(item));
        for (int i = 0; i < item->childCount(); ++i) collect(item->child(i));
    };
    for (int i = 0; i < treebool_search->topLevelItemCount(); ++i) collect(treebool_search->topLevelItem(i));

    const std::optional<rSearchArea> area = buildSearchArea(page);
    Edit3->setText(FromCp1252(page.levelLow));
    Edit2->setText(FromCp1252(page.levelHigh));
    CheckBox1->setChecked(page.inName);
    CheckBox2->setChecked(page.inNote);
    if (!area) {
        ShowRessourceMessage(21, false);
        return;
    }
    clear_search();
    std::vector<int> found = searcher->run(*area, scene.CurrentMapId, scene.CurrentMapNode);
    const size_t count = found.size();
    TreeResultModel->setImages(ImageList_c);
    TreeResultModel->setResults(std::move(found));
    Label6->setText(ToDisplay(FormatRessource(GetInfoText(12), std::to_string(count))));
    reset_resultheader();
}

void TForm4::reset_resultheader()
{
    TreeResultModel->sortBy(TreeResultModel->count() > 0 ? int(SearchResultModel::colName) : -1, Qt::AscendingOrder);
}

void TForm4::Modif2Click()
{
    const QModelIndex current = TreeResult->currentIndex();
    const int node = current.isValid() ? TreeResultModel->nodeAt(current.row()) : kNoTreeNode;
    if (node == kNoTreeNode) {
        ShowRessourceMessage(8, false);
        return;
    }
    if (!MyTreeStore.isVisible(node)) {
        ShowRessourceMessage(54, false);
        return;
    }
    if (interaction->hooks().Appelle_modifierNode) interaction->hooks().Appelle_modifierNode(node);
}

void TForm4::show_traduc_check(bool visible)
{
    if (Preferences.TRAN) ShowRessourceMessage(55, false, ToCp1252(DatabaseLang).value_or(""));
    CheckBox17->setVisible(visible);
}
