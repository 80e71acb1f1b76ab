#include "preferences_dialog.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValidator>

#include "cp1252.h"
#include "data_model.h"
#include "database_globals.h"
#include "folders.h"
#include "preferences.h"
#include "ressource.h"
#include "ressource_widgets.h"
#include "widget_helpers.h"
#include "window_system.h"

namespace {

PreferencesRunner& runner()
{
    static PreferencesRunner r;
    return r;
}

// Rows of one fixed height, whatever font an entry is painted in: a large legend font is
// judged in the preview panel, not by a tree whose rows grow with it.
class FixedRowHeightDelegate : public QStyledItemDelegate {
public:
    FixedRowHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

private:
    int height_;
};

constexpr int kLodMin = 2, kLodMax = 175;
constexpr int kHdMin = 512, kHdMax = 1024;
constexpr int kEntryRole = Qt::UserRole + 1;

QColor toQColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor toTColor(const QColor& c)
{
    return TColor(c.red()) | TColor(c.green()) << 8 | TColor(c.blue()) << 16;
}

// Refuses text with a character that has no Windows-1252 form, as the data files hold.
class Cp1252Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return ToCp1252(input) ? Acceptable : Invalid; }
};

template <class W>
W* tagged(W* w, const char* name, int tag)
{
    w->setObjectName(name);
    if (tag) w->setProperty("Tag", tag);
    return w;
}

QSlider* gauge(QWidget* parent, const char* name, int min, int max)
{
    auto* s = tagged(new QSlider(Qt::Horizontal, parent), name, 0);
    s->setMaximum(max); // maximum before minimum, as the positions are clamped in between
    s->setMinimum(min);
    return s;
}

// A gauge position from a setting stored as position x 10, rounded half to even: whole
// tenths are exact in a double, and lrint rounds halves to the even neighbour.
int32_t gaugeFromSetting(int32_t stored)
{
    return int32_t(std::lrint(double(stored) / 10.0));
}

} // namespace

// ttreeinfo

std::unique_ptr<ttreeinfo> ttreeinfo::Create(rCateg& category)
{
    auto e = std::make_unique<ttreeinfo>();
    e->category = &category;
    e->fontName = ToCp1252(category.font.family()).value_or(category.defaultFontName);
    e->fontSize = category.font.pointSize();
    e->fontStyle = FontStyleBits(category.font);
    e->colour = category.colour;
    e->visible = category.visible != 0;
    e->iconIndex = category.iconIndex;
    return e;
}

void ttreeinfo::ResetToDefaults()
{
    if (!category) return;
    fontName = category->defaultFontName;
    fontStyle = category->defaultFontStyle;
    fontSize = category->defaultFontSize;
    visible = category->defaultVisible != 0;
    colour = category->defaultColour;
    iconIndex = category->defaultIconIndex;
}

QFont ttreeinfo::font() const
{
    QFont f(FromCp1252(fontName));
    if (fontSize > 0) f.setPointSize(fontSize);
    ApplyFontStyleBits(f, fontStyle);
    return f;
}

void ttreeinfo::apply() const
{
    if (!category) return;
    category->visible = visible ? 1 : 0;
    category->colour = colour;
    category->font.setFamily(FromCp1252(fontName));
    if (fontSize > 0) category->font.setPointSize(fontSize);
    ApplyFontStyleBits(category->font, fontStyle);
    category->iconIndex = iconIndex;
}

// TForm3

TForm3::TForm3(QWidget* owner, const std::vector<QImage>& categoryIcons, PreferencesPickers pickers_in)
    : QDialog(owner, kTitleOnlyDialog), pickers(std::move(pickers_in)),
      icons_(categoryIcons)
{
    setObjectName("Form3");
    setFixedSize(356, 440);
    if (!pickers.font)
        pickers.font = [](QWidget* parent, const QFont& initial) -> std::optional<QFont> {
            bool ok = false;
            const QFont f = QFontDialog::getFont(&ok, initial, parent);
            return ok ? std::optional<QFont>(f) : std::nullopt;
        };
    if (!pickers.colour)
        pickers.colour = [](QWidget* parent, const QColor& initial) -> std::optional<QColor> {
            const QColor c = QColorDialog::getColor(initial, parent);
            return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
        };

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    PageControl1 = tagged(new QTabWidget(this), "PageControl1", 0);
    root->addWidget(PageControl1, 1);
    TabSheet1 = tagged(new QWidget(), "TabSheet1", 0);
    TabSheet3 = tagged(new QWidget(), "TabSheet3", 0);
    TabSheet2 = tagged(new QWidget(), "TabSheet2", 0);
    PageControl1->addTab(TabSheet1, QString());
    PageControl1->addTab(TabSheet3, QString());
    PageControl1->addTab(TabSheet2, QString());
    buildOptionsPage();
    buildLegendPage();
    buildMapPage();

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    Button1 = tagged(new QPushButton(this), "Button1", 31);
    Button2 = tagged(new QPushButton(this), "Button2", 32);
    Button1->setDefault(true);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    root->addLayout(buttons);
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);

    FormCreate();
    FormShow();
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->availableGeometry().center() - rect().center());
}

TForm3::~TForm3() = default;

void TForm3::buildOptionsPage()
{
    auto* page = new QVBoxLayout(TabSheet1);
    GroupBox4 = tagged(new QGroupBox(TabSheet1), "GroupBox4", 76);
    auto* g4 = new QGridLayout(GroupBox4);
    CheckBox1 = tagged(new QCheckBox(GroupBox4), "CheckBox1", 69);
    CheckBox8 = tagged(new QCheckBox(GroupBox4), "CheckBox8", 75);
    CheckBox5 = tagged(new QCheckBox(GroupBox4), "CheckBox5", 143);
    CheckBox7 = tagged(new QCheckBox(GroupBox4), "CheckBox7", 114);
    CheckBox4 = tagged(new QCheckBox(GroupBox4), "CheckBox4", 79);
    GaugeBar1 = gauge(GroupBox4, "GaugeBar1", 1, 255);
    g4->addWidget(CheckBox1, 0, 0, 1, 2);
    g4->addWidget(CheckBox8, 1, 0, 1, 2);
    g4->addWidget(CheckBox5, 2, 0, 1, 2);
    g4->addWidget(CheckBox7, 3, 0, 1, 2);
    g4->addWidget(CheckBox4, 4, 0);
    g4->addWidget(GaugeBar1, 4, 1);
    page->addWidget(GroupBox4);

    auto* row = new QHBoxLayout();
    GroupBox1 = tagged(new QGroupBox(TabSheet1), "GroupBox1", 148);
    auto* g1 = new QHBoxLayout(GroupBox1);
    Label1 = tagged(new QLabel(GroupBox1), "Label1", 71);
    UpDown1 = tagged(new QSpinBox(GroupBox1), "UpDown1", 0);
    UpDown1->setRange(0, 60);
    UpDown1->setValue(5);
    Edit2 = UpDown1->findChild<QLineEdit*>();
    if (Edit2) Edit2->setObjectName("Edit2");
    g1->addWidget(Label1);
    g1->addWidget(UpDown1);
    GroupBox2 = tagged(new QGroupBox(TabSheet1), "GroupBox2", 77);
    auto* g2 = new QHBoxLayout(GroupBox2);
    Edit1 = tagged(new QLineEdit(GroupBox2), "Edit1", 0);
    Edit1->setMaxLength(int(kPseudoMax));
    Edit1->setValidator(new Cp1252Validator(Edit1));
    g2->addWidget(Edit1);
    row->addWidget(GroupBox1, 1);
    row->addWidget(GroupBox2, 1);
    page->addLayout(row);

    auto* lists = new QHBoxLayout();
    GroupBox8 = tagged(new QGroupBox(TabSheet1), "GroupBox8", 100);
    ListBox2 = tagged(new QListWidget(GroupBox8), "ListBox2", 0);
    (new QVBoxLayout(GroupBox8))->addWidget(ListBox2);
    GroupBox3 = tagged(new QGroupBox(TabSheet1), "GroupBox3", 99);
    ListBox1 = tagged(new QListWidget(GroupBox3), "ListBox1", 0);
    (new QVBoxLayout(GroupBox3))->addWidget(ListBox1);
    lists->addWidget(GroupBox8);
    lists->addWidget(GroupBox3);
    page->addLayout(lists, 1);
}

void TForm3::buildLegendPage()
{
    auto* page = new QVBoxLayout(TabSheet3);
    Tree_leg = tagged(new QTreeWidget(TabSheet3), "Tree_leg", 0);
    Tree_leg->setHeaderHidden(true);
    Tree_leg->setRootIsDecorated(false);
    Tree_leg->setIconSize(QSize(11, 11));
    Tree_leg->setUniformRowHeights(true);
    Tree_leg->setItemDelegate(new FixedRowHeightDelegate(kLegendRowHeight, Tree_leg));
    // Grey behind the entries, so that light colours stay readable.
    Tree_leg->setStyleSheet("QTreeWidget { background: #808080; }");
    page->addWidget(Tree_leg, 1);
    GroupBox9 = tagged(new QGroupBox(TabSheet3), "GroupBox9", 138);
    auto* g9 = new QGridLayout(GroupBox9);
    Panel1 = tagged(new QLabel(GroupBox9), "Panel1", 0);
    Panel1->setFrameShape(QFrame::StyledPanel);
    Panel1->setAlignment(Qt::AlignCenter);
    Panel1->setMinimumHeight(40);
    Panel1->setAutoFillBackground(true);
    QPalette p = Panel1->palette();
    p.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    Panel1->setPalette(p);
    Button4 = tagged(new QPushButton(GroupBox9), "Button4", 136);
    Button5 = tagged(new QPushButton(GroupBox9), "Button5", 137);
    Button6 = tagged(new QPushButton(GroupBox9), "Button6", 141);
    g9->addWidget(Panel1, 0, 0, 1, 3);
    g9->addWidget(Button4, 1, 0);
    g9->addWidget(Button5, 1, 1);
    g9->addWidget(Button6, 1, 2);
    page->addWidget(GroupBox9);
    Button7 = tagged(new QPushButton(TabSheet3), "Button7", 142);
    page->addWidget(Button7, 0, Qt::AlignRight);
    for (QPushButton* b : {Button4, Button5, Button6}) b->setEnabled(false);
    connect(Button4, &QPushButton::clicked, this, &TForm3::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TForm3::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TForm3::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm3::Button7Click);
    connect(Tree_leg, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        if (ttreeinfo* e = entryOf(item)) e->visible = item->checkState(0) == Qt::Checked;
    });
    connect(Tree_leg, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { showEntry(item); });
}

void TForm3::buildMapPage()
{
    auto* page = new QVBoxLayout(TabSheet2);
    GroupBox5 = tagged(new QGroupBox(TabSheet2), "GroupBox5", 90);
    CheckBox2 = tagged(new QCheckBox(GroupBox5), "CheckBox2", 111);
    (new QVBoxLayout(GroupBox5))->addWidget(CheckBox2);
    page->addWidget(GroupBox5);
    GroupBox7 = tagged(new QGroupBox(TabSheet2), "GroupBox7", 91);
    auto* g7 = new QVBoxLayout(GroupBox7);
    Label2 = tagged(new QLabel(GroupBox7), "Label2", 92);
    TrackBarLod0 = gauge(GroupBox7, "TrackBarLod0", kLodMin, kLodMax);
    Label3 = tagged(new QLabel(GroupBox7), "Label3", 93);
    TrackBarLod1 = gauge(GroupBox7, "TrackBarLod1", kLodMin, kLodMax);
    Label4 = tagged(new QLabel(GroupBox7), "Label4", 94);
    TrackBarLod2 = gauge(GroupBox7, "TrackBarLod2", kLodMin, kLodMax);
    CheckBox3 = tagged(new QCheckBox(GroupBox7), "CheckBox3", 95);
    TrackBarVecteur = gauge(GroupBox7, "TrackBarVecteur", kLodMin, kLodMax);
    Label6 = tagged(new QLabel(GroupBox7), "Label6", 151);
    TrackbarHD = gauge(GroupBox7, "TrackbarHD", kHdMin, kHdMax);
    CheckBox9 = tagged(new QCheckBox(GroupBox7), "CheckBox9", 152);
    Button3 = tagged(new QPushButton(GroupBox7), "Button3", 141);
    for (QWidget* w : std::initializer_list<QWidget*>{Label2, TrackBarLod0, Label3, TrackBarLod1, Label4, TrackBarLod2})
        g7->addWidget(w);
    auto* vectors = new QHBoxLayout();
    vectors->addWidget(CheckBox3);
    vectors->addWidget(TrackBarVecteur, 1);
    g7->addLayout(vectors);
    for (QWidget* w : std::initializer_list<QWidget*>{Label6, TrackbarHD, CheckBox9}) g7->addWidget(w);
    g7->addWidget(Button3, 0, Qt::AlignRight);
    page->addWidget(GroupBox7);
    page->addStretch(1);
    connect(Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    connectLevelRules();
}

void TForm3::connectLevelRules()
{
    // Every change runs its gauge's rule, and a position a rule sets runs that gauge's
    // rule in turn, so Lod0 <= Lod1 <= Lod2 holds after every change.
    connect(TrackBarLod0, &QSlider::valueChanged, this, [this](int v) {
        if (v > TrackBarLod1->value()) TrackBarLod1->setValue(v);
        if (v > TrackBarLod2->value()) TrackBarLod2->setValue(v);
    });
    connect(TrackBarLod1, &QSlider::valueChanged, this, [this](int v) {
        if (v > TrackBarLod2->value()) TrackBarLod2->setValue(v);
        if (v < TrackBarLod0->value()) TrackBarLod0->setValue(v);
    });
    connect(TrackBarLod2, &QSlider::valueChanged, this, [this](int v) {
        if (v < TrackBarLod1->value()) TrackBarLod1->setValue(v);
        if (v < TrackBarLod0->value()) TrackBarLod0->setValue(v);
    });
}

void TForm3::FormCreate()
{
    ReloadRequested = false;
    TranslateForm(this);
    setWindowTitle(ToDisplay(GetCaptionText(43)));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet1), ToDisplay(GetCaptionText(97)));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet2), ToDisplay(GetCaptionText(98)));
    PageControl1->setTabText(PageControl1->indexOf(TabSheet3), ToDisplay(GetCaptionText(140)));

    if (CommonData)
        for (const auto& c : CommonData->categories)
            if (c) entries_.push_back(ttreeinfo::Create(*c));
    // Nodes sorted by their categories' names, letter case ignored.
    std::vector<size_t> order(entries_.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [this](size_t a, size_t b) {
        return FromCp1252(entries_[a]->category->name)
                   .compare(FromCp1252(entries_[b]->category->name), Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker block(Tree_leg);
    for (size_t i : order) {
        auto* item = new QTreeWidgetItem(Tree_leg);
        item->setData(0, kEntryRole, qulonglong(i));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        paintNode(item);
        item->setCheckState(0, entries_[i]->visible ? Qt::Checked : Qt::Unchecked);
    }
}

void TForm3::FormShow()
{
    ListBox1->clear();
    ListBox2->clear();
    ListSubFolders(ResDir + "*.*", InterfaceLang, ListBox1);
    ListSubFolders(DatabaseDir + "*.*", DatabaseLang, ListBox2);
    CheckBox1->setChecked(Preferences.CLVL);
    CheckBox8->setChecked(Preferences.AUTO);
    CheckBox3->setChecked(Preferences.AVCT);
    CheckBox2->setChecked(Preferences.LIAR);
    CheckBox7->setChecked(Preferences.WPSU);
    CheckBox4->setChecked(Preferences.ALFA);
    CheckBox9->setChecked(Preferences.MCUR);
    CheckBox5->setChecked(Preferences.LOCA);
    UpDown1->setValue(std::clamp(Preferences.HINT / 1000, 0, 60));
    Edit1->setText(FromCp1252(Preferences.PSEU.substr(0, kPseudoMax)));
    GaugeBar1->setValue(std::clamp(Preferences.ALFV, 1, 255));
    auto lod = [](int32_t stored) { return std::clamp(gaugeFromSetting(stored), kLodMin, kLodMax); };
    TrackbarHD->setValue(std::clamp(Preferences.MAHD, kHdMin, kHdMax));
    TrackBarLod0->setValue(lod(Preferences.LODA));
    TrackBarLod1->setValue(lod(Preferences.LODB));
    TrackBarLod2->setValue(lod(Preferences.LODC));
    TrackBarVecteur->setValue(lod(Preferences.LODV));
}

ttreeinfo* TForm3::entryOf(const QTreeWidgetItem* item) const
{
    if (!item) return nullptr;
    const size_t i = size_t(item->data(0, kEntryRole).toULongLong());
    return i < entries_.size() ? entries_[i].get() : nullptr;
}

ttreeinfo* TForm3::currentEntry() const
{
    return entryOf(Tree_leg->currentItem());
}

void TForm3::paintNode(QTreeWidgetItem* item)
{
    const ttreeinfo* e = entryOf(item);
    if (!e) return;
    QString text = FromCp1252(e->category->name);
    if (e->category->kind != 0) text += " *";
    item->setText(0, text);
    item->setFont(0, e->font());
    item->setForeground(0, toQColor(e->colour));
    item->setIcon(0, e->iconIndex < icons_.size() ? QIcon(QPixmap::fromImage(icons_[e->iconIndex])) : QIcon());
}

void TForm3::repaintTree()
{
    const QSignalBlocker block(Tree_leg);
    for (int i = 0; i < Tree_leg->topLevelItemCount(); ++i) paintNode(Tree_leg->topLevelItem(i));
}

void TForm3::showEntry(const QTreeWidgetItem* item)
{
    const ttreeinfo* e = entryOf(item);
    for (QPushButton* b : {Button4, Button5, Button6}) b->setEnabled(e != nullptr);
    if (!e) return;
    Panel1->setText(FromCp1252(e->category->name));
    Panel1->setFont(e->font());
    QPalette p = Panel1->palette();
    p.setColor(QPalette::WindowText, toQColor(e->colour));
    Panel1->setPalette(p);
}

void TForm3::Button1Click()
{
    // The nickname is stored as Windows-1252 bytes; the edit's validator keeps it so,
    // but text set otherwise is refused here rather than lost.
    const auto pseudo = ToCp1252(Edit1->text());
    if (!pseudo) {
        ShowRessourceMessage(16, false);
        Edit1->setFocus();
        return;
    }
    for (int i = 0; i < Tree_leg->topLevelItemCount(); ++i)
        if (const ttreeinfo* e = entryOf(Tree_leg->topLevelItem(i))) e->apply();
    Preferences.HINT = UpDown1->value() * 1000;
    Preferences.CLVL = CheckBox1->isChecked();
    Preferences.LIAR = CheckBox2->isChecked();
    Preferences.LOCA = CheckBox5->isChecked();
    Preferences.AUTO = CheckBox8->isChecked();
    Preferences.PSEU = pseudo->substr(0, kPseudoMax);
    // Both lists need an entry: with res/ or database/ empty the names stay as they are.
    const QListWidgetItem* db = ListBox2->currentItem();
    const QListWidgetItem* lang = ListBox1->currentItem();
    if (db && lang && (db->text() != DatabaseLang || lang->text() != InterfaceLang)) {
        ReloadRequested = true;
        DatabaseLang = db->text();
        InterfaceLang = lang->text();
    }
    Preferences.LODV = TrackBarVecteur->value() * 10;
    Preferences.LODA = TrackBarLod0->value() * 10;
    Preferences.LODB = TrackBarLod1->value() * 10;
    Preferences.LODC = TrackBarLod2->value() * 10;
    Preferences.MAHD = TrackbarHD->value();
    Preferences.MCUR = CheckBox9->isChecked();
    Preferences.AVCT = CheckBox3->isChecked();
    Preferences.WPSU = CheckBox7->isChecked();
    Preferences.ALFA = CheckBox4->isChecked();
    Preferences.ALFV = GaugeBar1->value();
    RecolourAll = true;
    accept();
}

void TForm3::Button2Click()
{
    ReloadRequested = false;
    reject();
}

void TForm3::Button3Click()
{
    TrackBarLod0->setValue(20);
    TrackBarLod1->setValue(40);
    TrackBarLod2->setValue(60);
    TrackBarVecteur->setValue(50);
    TrackbarHD->setValue(550);
}

void TForm3::Button4Click()
{
    ttreeinfo* e = currentEntry();
    if (!e) return;
    if (const auto chosen = pickers.font(this, e->font())) {
        // categpref.bin holds the name as at most 40 Windows-1252 bytes: anything else
        // could not be stored, so it is refused and the entry keeps its font.
        const auto name = ToCp1252(chosen->family());
        if (!name || name->empty() || name->size() > size_t(kCategoryFontNameMax)) {
            ShowRessourceMessage(16, false);
            return;
        }
        e->fontName = *name;
        // A size byte: 1 to 255 points.
        if (chosen->pointSizeF() > 0) e->fontSize = int(std::clamp<long>(std::lround(chosen->pointSizeF()), 1, 255));
        e->fontStyle = FontStyleBits(*chosen);
    }
    showEntry(Tree_leg->currentItem());
    repaintTree();
}

void TForm3::Button5Click()
{
    ttreeinfo* e = currentEntry();
    if (!e) return;
    if (const auto chosen = pickers.colour(this, toQColor(e->colour))) e->colour = toTColor(*chosen);
    showEntry(Tree_leg->currentItem());
    repaintTree();
}

void TForm3::Button6Click()
{
    QTreeWidgetItem* item = Tree_leg->currentItem();
    ttreeinfo* e = entryOf(item);
    if (!e) return;
    e->ResetToDefaults();
    // The mark follows the restored flag, so OK applies what the user sees.
    const QSignalBlocker block(Tree_leg);
    item->setCheckState(0, e->visible ? Qt::Checked : Qt::Unchecked);
    repaintTree();
}

void TForm3::Button7Click()
{
    const QSignalBlocker block(Tree_leg);
    for (int i = 0; i < Tree_leg->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = Tree_leg->topLevelItem(i);
        if (ttreeinfo* e = entryOf(item)) {
            e->ResetToDefaults();
            item->setCheckState(0, e->visible ? Qt::Checked : Qt::Unchecked);
        }
    }
    repaintTree();
}

void setPreferencesRunner(PreferencesRunner r)
{
    runner() = std::move(r);
}

bool run_preferences(QWidget* owner, const std::vector<QImage>& categoryIcons)
{
    // On the heap: the owner may be deleted while the dialog runs (a termination request
    // closes the main window), and it deletes its children with it.
    QPointer<TForm3> dialog = new TForm3(owner, categoryIcons);
    if (runner())
        runner()(*dialog);
    else
        dialog->exec();
    if (!dialog) return false;
    const bool reload = dialog->ReloadRequested;
    delete dialog;
    return reload;
}
