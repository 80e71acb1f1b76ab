// The location editor dialog: its controls, the category list and the category choice, the
// level page's shapes, the typing rules of the name and the note, and the bulk options.
#include "location_editor.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTextLayout>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "con_colors.h"
#include "cp1252.h"
#include "criteria_tree.h"
#include "database_globals.h"
#include "folders.h"
#include "image_helpers.h"
#include "link_codes.h"
#include "path_resolver.h"
#include "preferences.h"
#include "ressource.h"
#include "ressource_widgets.h"
#include "widget_helpers.h"

namespace {

constexpr int kCategoryRole = Qt::UserRole + 7;
const QColor kChosenCategory(255, 255, 255);
const QColor kOtherCategory(0xC0, 0xC0, 0xC0);

QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

rCateg* categoryOf(const QTreeWidgetItem* item)
{
    return item ? reinterpret_cast<rCateg*>(item->data(0, kCategoryRole).value<quintptr>()) : nullptr;
}

QPushButton* makeButton(QWidget* parent, const char* name, int tag, QRect geometry)
{
    auto* b = new QPushButton(parent);
    b->setObjectName(name);
    b->setProperty("Tag", tag);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* makeCheck(QWidget* parent, const char* name, int tag, QRect geometry)
{
    auto* c = new QCheckBox(parent);
    c->setObjectName(name);
    c->setProperty("Tag", tag);
    c->setGeometry(geometry);
    return c;
}

QSpinBox* makeSpin(QWidget* parent, const char* name, int min, int max, QRect geometry)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(name);
    s->setRange(min, max);
    s->setGeometry(geometry);
    return s;
}

} // namespace

TForm2::TForm2(LocationEditorHost& host)
    : QDialog(host.editorParent(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), host_(host)
{
    setObjectName("Form2");
    setFixedSize(kClientWidth, kClientHeight);

    Treecateg = new QTreeWidget(this);
    Treecateg->setObjectName("Treecateg");
    Treecateg->setGeometry(4, 4, 170, 462);
    Treecateg->setHeaderHidden(true);
    Treecateg->setRootIsDecorated(false);
    Treecateg->setIconSize(QSize(11, 11));
    Treecateg->setStyleSheet("QTreeWidget { background: #808080; }");

    GroupBox5 = new QGroupBox(this);
    GroupBox5->setObjectName("GroupBox5");
    GroupBox5->setProperty("Tag", 1);
    GroupBox5->setGeometry(180, 2, 290, 62);
    Image1 = new QLabel(GroupBox5);
    Image1->setObjectName("Image1");
    Image1->setGeometry(8, 22, 16, 16);
    Edit1 = new QLineEdit(GroupBox5);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(30, 18, 252, 22);
    CheckBox12 = makeCheck(GroupBox5, "CheckBox12", 130, QRect(30, 41, 250, 18));
    CheckBox12->hide();

    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName("GroupBox2");
    GroupBox2->setProperty("Tag", 34);
    GroupBox2->setGeometry(180, 66, 290, 54);
    ComboBox1 = new QComboBox(GroupBox2);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(8, 22, 124, 22);
    ComboBox1->setMaxVisibleItems(15);
    Edit3 = makeSpin(GroupBox2, "Edit3", 0, 99, QRect(138, 22, 52, 22));
    Edit4 = makeSpin(GroupBox2, "Edit4", 0, 99, QRect(194, 22, 52, 22));
    BitBtn1 = new QToolButton(GroupBox2);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(252, 20, 28, 26);

    GroupBox3 = new QGroupBox(this);
    GroupBox3->setObjectName("GroupBox3");
    GroupBox3->setGeometry(180, 122, 290, 66);
    GroupBox3->setStyleSheet("QGroupBox { font-weight: bold; }");
    Label6 = new QLabel(GroupBox3);
    Label6->setObjectName("Label6");
    Label6->setGeometry(8, 18, 274, 44);
    Label6->setWordWrap(true);
    Label6->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label6->setStyleSheet("font-weight: normal;");

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(180, 192, 290, 242);
    TabSheet1 = new QWidget();
    TabSheet1->setObjectName("TabSheet1");
    TabSheet3 = new QWidget();
    TabSheet3->setObjectName("TabSheet3");
    TabSheet2 = new QWidget();
    TabSheet2->setObjectName("TabSheet2");
    PageControl1->addTab(TabSheet1, QString());
    PageControl1->addTab(TabSheet3, QString());
    PageControl1->addTab(TabSheet2, QString());

    MemoInfo = new QPlainTextEdit(TabSheet1);
    MemoInfo->setObjectName("MemoInfo");
    MemoInfo->setGeometry(2, 2, 280, 206);
    MemoInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemoInfo->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    acc1 = PopupMenu1->addAction(QString());
    acc1->setObjectName("acc1");
    PopupMenu1->addSeparator();
    acc6 = PopupMenu1->addAction(QString());
    acc6->setObjectName("acc6");
    connect(acc1, &QAction::triggered, this, &TForm2::acc1Click);
    connect(MemoInfo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenu1->popup(MemoInfo->viewport()->mapToGlobal(p)); });

    Edit7 = makeSpin(TabSheet3, "Edit7", 1, 50, QRect(8, 16, 52, 22));
    Label2 = new QLabel(TabSheet3);
    Label2->setObjectName("Label2");
    Label2->setProperty("Tag", 5);
    Label2->setGeometry(8, 48, 270, 16);
    Label3 = new QLabel(TabSheet3);
    Label3->setObjectName("Label3");
    Label3->setProperty("Tag", 85);
    Label3->setGeometry(8, 68, 270, 40);
    Label3->setWordWrap(true);

    Edit2 = new QLineEdit(TabSheet2);
    Edit2->setObjectName("Edit2");
    Edit2->setGeometry(4, 6, 276, 22);
    Edit2->setReadOnly(true);
    Edit2->setMouseTracking(true);
    Edit2->setContextMenuPolicy(Qt::CustomContextMenu);
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    trajet1 = PopupMenu2->addAction(QString());
    trajet1->setObjectName("trajet1");
    connect(trajet1, &QAction::triggered, this, &TForm2::trajet1Click);
    connect(Edit2, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        updateTrajet1();
        PopupMenu2->popup(Edit2->mapToGlobal(p));
    });
    Button6 = makeButton(TabSheet2, "Button6", 65, QRect(4, 34, 136, 25));
    Button6->setEnabled(false);
    Button5 = makeButton(TabSheet2, "Button5", 66, QRect(144, 34, 136, 25));
    Button11 = makeButton(TabSheet2, "Button11", 72, QRect(144, 62, 136, 25));
    Button7 = makeButton(TabSheet2, "Button7", 67, QRect(4, 62, 136, 25));
    Label1 = new QLabel(TabSheet2);
    Label1->setObjectName("Label1");
    Label1->setGeometry(4, 92, 276, 44);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    GroupBox4 = new QGroupBox(TabSheet2);
    GroupBox4->setObjectName("GroupBox4");
    GroupBox4->setProperty("Tag", 18);
    GroupBox4->setGeometry(4, 140, 276, 50);
    Edit5 = new QLineEdit(GroupBox4);
    Edit5->setObjectName("Edit5");
    Edit5->setGeometry(8, 20, 120, 22);
    Edit5->setReadOnly(true);
    Edit6 = new QLineEdit(GroupBox4);
    Edit6->setObjectName("Edit6");
    Edit6->setGeometry(140, 20, 120, 22);
    Edit6->setReadOnly(true);

    treebool = new QTreeWidget(this);
    treebool->setObjectName("treebool");
    treebool->setGeometry(476, 4, 229, 400);
    treebool->setStyleSheet("QTreeWidget { background: #808080; color: white; }");
    CheckBox2 = makeCheck(this, "CheckBox2", 0, QRect(476, 408, 229, 22));
    CheckBox2->hide();
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    GroupBox1->setProperty("Tag", 110);
    GroupBox1->setGeometry(4, kClientHeight + 2, kClientWidth - 8, kClientHeightBulk - kClientHeight - 6);
    CheckBox4 = makeCheck(GroupBox1, "CheckBox4", 38, QRect(8, 18, 160, 20));
    CheckBox5 = makeCheck(GroupBox1, "CheckBox5", 107, QRect(176, 18, 160, 20));
    CheckBox6 = makeCheck(GroupBox1, "CheckBox6", 108, QRect(344, 18, 180, 20));
    CheckBox7 = makeCheck(GroupBox1, "CheckBox7", 109, QRect(532, 18, 160, 20));
    CheckBox4->setChecked(true);
    CheckBox5->setChecked(true);
    CheckBox6->setChecked(true);
    CheckBox7->setChecked(false);
    CheckBox3 = makeCheck(this, "CheckBox3", 0, QRect(0, 0, 10, 10));
    CheckBox3->hide();

    Button4 = makeButton(this, "Button4", 35, QRect(180, 440, 90, 25));
    Button8 = makeButton(this, "Button8", 68, QRect(274, 440, 196, 25));
    Button1 = makeButton(this, "Button1", 32, QRect(540, 440, 80, 25));
    Button2 = makeButton(this, "Button2", 31, QRect(625, 440, 80, 25));
    Button2->setDefault(true);
    Button2->setAutoDefault(true);

    // Creation.
    placeholder = FormatRessource(GetInfoText(25), ToCp1252(DatabaseLang).value_or(""));
    Edit1->setText(ToDisplay(placeholder));
    if (CommonData)
        for (const std::string& t : CommonData->typeNames) ComboBox1->addItem(ToDisplay(t));
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? 0 : -1);
    if (CommonData) {
        std::vector<QTreeWidgetItem*> items;
        for (const auto& c : CommonData->categories) {
            auto* item = new QTreeWidgetItem({ToDisplay(c->name)});
            item->setData(0, kCategoryRole, QVariant::fromValue<quintptr>(quintptr(c.get())));
            item->setForeground(0, kOtherCategory);
            if (c->iconIndex < host_.categoryIcons().size())
                item->setIcon(0, QIcon(QPixmap::fromImage(host_.categoryIcons()[c->iconIndex])));
            items.push_back(item);
        }
        std::stable_sort(items.begin(), items.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
            return CompareText(categoryOf(a)->name, categoryOf(b)->name) < 0;
        });
        for (QTreeWidgetItem* item : items) Treecateg->addTopLevelItem(item);
    }
    static const std::vector<tboolspec> noSpecs;
    fill_booltree(treebool, true, CommonData ? CommonData->specNames : noSpecs, CriteriaKind::Editable);
    init_formcaption();

    connect(Treecateg, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { categoryChanged(current); });
    connect(Edit3, &QSpinBox::valueChanged, this, [this](int min) {
        if (min > Edit4->value()) Edit4->setValue(min);
    });
    connect(BitBtn1, &QToolButton::clicked, this, [this] { PageControl1->setCurrentWidget(TabSheet3); });
    Edit1->installEventFilter(this);
    MemoInfo->installEventFilter(this);
    Edit2->installEventFilter(this);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button4, &QPushButton::clicked, this, &TForm2::Button4Click);
    connect(Button8, &QPushButton::clicked, this, &TForm2::Button8Click);
    connect(Button5, &QPushButton::clicked, this, &TForm2::Button5Click);
    connect(Button11, &QPushButton::clicked, this, &TForm2::Button11Click);
    connect(Button6, &QPushButton::clicked, this, &TForm2::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TForm2::Button7Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TForm2::CheckBox2Click);
    connect(CheckBox12, &QCheckBox::clicked, this, &TForm2::CheckBox12Click);

    QWidget* parent = host.editorParent();
    if (QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm2::~TForm2()
{
    treebool->clear();
}

void TForm2::init_formcaption()
{
    acc1->setText(ToDisplay(GetMenuText(42)));
    const TNodeData* copy = host_.copyBuffer();
    // The copied name's "&" is text, not an accelerator mark.
    const QString copied =
        copyBufferFilled(copy) ? ToDisplay(copy->item->name).replace('&', "&&") : ToDisplay(GetMenuText(55));
    acc6->setText(ToDisplay(GetMenuText(54)) + " " + copied);
    trajet1->setText(ToDisplay(GetMenuText(14)));
    setWindowTitle(ToDisplay(GetCaptionText(40)));
    TranslateForm(this);
    PageControl1->setTabText(0, ToDisplay(GetCaptionText(2)));
    PageControl1->setTabText(1, ToDisplay(GetCaptionText(84)));
    PageControl1->setTabText(2, ToDisplay(GetCaptionText(64)));
    create_shapes();
    if (host_.panelIcons().size() > 7) BitBtn1->setIcon(QIcon(QPixmap::fromImage(host_.panelIcons()[7])));
}

void TForm2::create_shapes()
{
    for (int i = 0; i < 7; ++i) {
        if (shapes[size_t(i)]) continue;
        auto* shape = new QFrame(TabSheet3);
        shape->setObjectName(QString("Shape%1").arg(i + 1));
        shape->setProperty("Tag", i);
        shape->setGeometry(72 + 24 * i, 16, 25, 25);
        shape->setFrameShape(QFrame::Box);
        shape->setStyleSheet(QString("QFrame { background: %1; border: 1px solid black; }")
                                 .arg(fromTColor(ConColors[i]).name()));
        shape->installEventFilter(this);
        shapes[size_t(i)] = shape;
    }
}

void TForm2::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The caller has set the flags: from now on a change is the user's.
    connect(treebool, &QTreeWidget::itemChanged, this, [this] { flagsTouched_ = true; });
    if (const auto ico = ResolveExistingPath(DatabaseLangDir, "ico.bmp")) {
        const QPixmap pixmap = QPixmap::fromImage(ReadImageFile(*ico));
        if (!pixmap.isNull()) Image1->setPixmap(pixmap.scaled(Image1->size(), Qt::KeepAspectRatio));
    }
    Edit1->setFocus();
    const size_t waypoints = host_.waypoints().size();
    Button5->setEnabled(waypoints > 1);
    Button11->setEnabled(waypoints > 1);
    Button6->setEnabled(!LastPlaceCode.empty());
    Label1->setText(
        ToDisplay(linkPageInfo(waypoints, !LastPlaceCode.empty(), GetCaptionText(102), GetCaptionText(103))));
    if (category) {
        // The location's own category: opening must not rename it (its name may be
        // another category's default name).
        keepNameOnce_ = modifyMode;
        focusCategory(category);
        keepNameOnce_ = false;
    }
}

void TForm2::focusCategory(const rCateg* c)
{
    for (int i = 0; i < Treecateg->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = Treecateg->topLevelItem(i);
        if (categoryOf(item) == c) {
            if (Treecateg->currentItem() == item)
                categoryChanged(item);
            else
                Treecateg->setCurrentItem(item);
            Treecateg->scrollToItem(item);
            return;
        }
    }
}

void TForm2::categoryChanged(QTreeWidgetItem* item)
{
    rCateg* c = categoryOf(item);
    if (!c) return;
    // The chosen category is drawn bold white, the others silver.
    for (QTreeWidgetItem* changed : {chosenItem_, item}) {
        if (!changed) continue;
        QFont font = changed->font(0);
        font.setBold(changed == item);
        changed->setFont(0, font);
        changed->setForeground(0, changed == item ? kChosenCategory : kOtherCategory);
    }
    chosenItem_ = item;
    Label6->setText(ToDisplay(categoryDescription(GetPlainText(c->id))));
    GroupBox3->setTitle(ToDisplay(c->name + ":").replace('&', QStringLiteral("&&")));
    checked_selected(c);
    category = c;
    if (keepNameOnce_) return;
    std::vector<const rCateg*> all;
    if (CommonData)
        for (const auto& k : CommonData->categories) all.push_back(k.get());
    const std::string current = ToCp1252(Edit1->text()).value_or(std::string());
    const std::string next = nameAfterCategoryChange(current, placeholder, *c, all);
    if (next != current) Edit1->setText(ToDisplay(next));
}

void TForm2::checked_selected(const rCateg* c)
{
    if (!c) return;
    const bool levels = c->kind == kindCreature || c->kind == kindLevelRange;
    for (QWidget* w : std::initializer_list<QWidget*>{Edit3, Edit4, Edit7, ComboBox1}) w->setEnabled(levels);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::MouseButtonPress) {
        if (ToCp1252(Edit1->text().trimmed()).value_or(std::string()) == placeholder) Edit1->clear();
        return false;
    }
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        // The limit holds for typing only: a longer name set by the caller stays whole.
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Editing keys (Delete carries the DEL control character on X11) shorten the name.
        if (text.isEmpty() || !text[0].isPrint() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        return Edit1->text().size() - Edit1->selectedText().size() + text.size() > kNameMaxTyped;
    }
    if (watched == Edit2 && event->type() == QEvent::MouseMove) {
        updateTrajet1();
        return false;
    }
    if (watched == MemoInfo && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
        if (!text[0].isPrint() && text != "\r" && text != "\n") return false; // editing keys, Delete too
        for (QChar ch : text)
            if (ch == '#' || ch == '|' || !ToCp1252(QString(ch))) {
                ShowRessourceMessage(36, false, ToCp1252(QString(ch)).value_or("?"));
                return true;
            }
        const int length = MemoInfo->document()->characterCount() - 1;
        if (length - MemoInfo->textCursor().selectedText().size() + text.size() > kNoteMaxTyped) return true;
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress)
        for (int i = 0; i < 7; ++i)
            if (watched == shapes[size_t(i)]) {
                shapePressed(i);
                return true;
            }
    return QDialog::eventFilter(watched, event);
}

void TForm2::shapePressed(int shape)
{
    // Edit7 keeps its value within 1..50 by itself.
    if (!Edit7->isEnabled()) {
        ShowRessourceMessage(46, false);
        return;
    }
    const LevelRange range = shapeLevelRange(shape, Edit7->value(), Preferences.CLVL);
    Edit3->setValue(range.low);
    Edit4->setValue(range.high);
}

void TForm2::setBulkHeight()
{
    setFixedSize(kClientWidth, CheckBox2->isChecked() ? kClientHeightBulk : kClientHeight);
}

void TForm2::setBulkCaption(const QString& text)
{
    // The room left for text: the box's width less what the style adds around it (the
    // indicator, the spacing and the margins).
    QStyleOptionButton option;
    option.initFrom(CheckBox2);
    option.text = text;
    const QFontMetrics metrics = CheckBox2->fontMetrics();
    const QSize textSize = metrics.size(Qt::TextShowMnemonic, text);
    const int chrome =
        CheckBox2->style()->sizeFromContents(QStyle::CT_CheckBox, &option, textSize, CheckBox2).width() - textSize.width();
    const int room = CheckBox2->width() - chrome;
    // The caption names the location, so it is often wider than the box: it is broken into
    // lines that fit, between words where it can, and the box grows upwards over the bottom of
    // the attribute tree to show every line above the buttons.
    QTextLayout layout(text, CheckBox2->font());
    QTextOption wrap;
    wrap.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(wrap);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(room);
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    // A button takes "&" as a shortcut marker: "&&" shows the one a name may hold.
    CheckBox2->setText(lines.join('\n').replace('&', QStringLiteral("&&")));
    CheckBox2->setToolTip(text);
    const int bottom = CheckBox2->y() + CheckBox2->height();
    const int height = std::max(22, CheckBox2->sizeHint().height());
    CheckBox2->setGeometry(CheckBox2->x(), bottom - height, CheckBox2->width(), height);
    treebool->setGeometry(treebool->x(), treebool->y(), treebool->width(), CheckBox2->y() - 4 - treebool->y());
}

void TForm2::CheckBox2Click()
{
    setBulkHeight();
}

void TForm2::CheckBox12Click()
{
    if (!modifyMode || CheckBox2->isHidden() || !Preferences.TRAN) return;
    CheckBox2->setChecked(CheckBox12->isChecked());
    setBulkHeight();
}

SpecSet TForm2::get_flags()
{
    const QSignalBlocker block(treebool);
    std::vector<QTreeWidgetItem*> order;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        order.push_back(item);
        for (int i = 0; i < item->childCount(); ++i) walk(item->child(i));
    };
    for (int i = 0; i < treebool->topLevelItemCount(); ++i) walk(treebool->topLevelItem(i));
    for (QTreeWidgetItem* item : order)
        if (item->checkState(0) == Qt::Checked && item->parent()) item->parent()->setCheckState(0, Qt::Checked);
    SpecFlags flags{};
    for (QTreeWidgetItem* item : order) {
        const int attribute = item->data(0, kSpecIdRole).toInt();
        if (attribute >= 1 && attribute <= 96 && item->checkState(0) == Qt::Checked) flags[size_t(attribute - 1)] = true;
    }
    return PackSpecs(flags);
}

