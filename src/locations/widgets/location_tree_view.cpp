#include "location_tree_view.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>

#include "cp1252.h"
#include "location_tree.h"
#include "location_tree_model.h"
#include "preferences.h"
#include "ressource.h"
#include "tree_visibility.h"
#include "widget_helpers.h"

LocationTreeView::LocationTreeView(LocationTree& tree, LocationTreeModel& model, QWidget* parent)
    : QTreeView(parent), tree_(tree), model_(model)
{
    setObjectName("MyTree");
    setModel(&model_);
    setUniformRowHeights(true);
    setHeaderHidden(true);
    setExpandsOnDoubleClick(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // The narrow selection-mark column comes first on screen; the tree stays on the text.
    header()->moveSection(LocationTreeModel::MarkColumn, 0);
    setTreePosition(LocationTreeModel::TextColumn);
    header()->setStretchLastSection(false);
    header()->resizeSection(LocationTreeModel::MarkColumn, 12);
    header()->resizeSection(LocationTreeModel::TextColumn, 200);
    header()->setMinimumSectionSize(12);
    setStyleSheet("QTreeView { background: #808080; color: #EFF0DE; }");

    Menu1 = new QMenu(this);
    Menu1->setObjectName("Menu1");
    auto add = [&](const char* name, int tag) {
        QAction* a = Menu1->addAction(QString());
        a->setObjectName(name);
        a->setProperty("Tag", tag);
        return a;
    };
    Modif1 = add("Modif1", 31);
    Copier1 = add("Copier1", 32);
    Couper1 = add("Couper1", 33);
    Fermer1 = add("Fermer1", 34);
    Trier1 = add("Trier1", 35);
    translateMenu();

    connect(Modif1, &QAction::triggered, this, [this] {
        int n = focusedLocationOrMessage();
        if (n != kNoTreeNode && onModify) onModify(n);
    });
    connect(Copier1, &QAction::triggered, this, [this] {
        int n = focusedLocationOrMessage();
        if (n != kNoTreeNode && onCopy) onCopy(n);
    });
    connect(Couper1, &QAction::triggered, this, [this] {
        int n = focusedLocationOrMessage();
        if (n != kNoTreeNode && onCut) onCut(n);
    });
    connect(Fermer1, &QAction::triggered, this, [this] { collapseAll(); });
    connect(Trier1, &QAction::triggered, this, [this] {
        tree_.sortAll();
        // The picked node keeps its pick in the new order; the view follows it there.
        if (currentIndex().isValid()) scrollTo(currentIndex());
    });

    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { Menu1->popup(viewport()->mapToGlobal(p)); });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (onFocusChanged) onFocusChanged(model_.nodeOf(current));
    });
}

void LocationTreeView::paintEvent(QPaintEvent* event)
{
    QTreeView::paintEvent(event);
    if (onAfterPaint) onAfterPaint();
}

void LocationTreeView::drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const
{
    QTreeView::drawBranches(painter, rect, index); // background and the expand arrows
    // One strip of indentation() pixels per level, the node's own strip rightmost. Its own
    // strip: a line from the top to the middle, on down when a sibling follows, and a stub to
    // the right; each ancestor's strip: a line through the row when that ancestor has a
    // sibling below. The lines leave a gap around the arrow of a node with children.
    const int indent = indentation();
    if (indent <= 0 || !index.isValid()) return;
    const QModelIndex node = index.siblingAtColumn(0);
    const auto hasNextSibling = [this](const QModelIndex& i) { return i.row() + 1 < model()->rowCount(i.parent()); };
    const int midY = rect.top() + rect.height() / 2;
    const int gap = node.model()->hasChildren(node) ? 6 : 0;

    painter->save();
    painter->setPen(QPen(QColor::fromRgb(kLineColour), 1, Qt::SolidLine));
    painter->setRenderHint(QPainter::Antialiasing, false);
    int stripLeft = rect.right() + 1 - indent;
    int midX = stripLeft + indent / 2;
    const bool firstOfAll = !node.parent().isValid() && node.row() == 0;
    if (!firstOfAll) painter->drawLine(midX, rect.top(), midX, midY - gap);
    if (hasNextSibling(node)) painter->drawLine(midX, midY + gap, midX, rect.bottom());
    painter->drawLine(midX + gap, midY, stripLeft + indent - 1, midY);
    for (QModelIndex ancestor = node.parent(); ancestor.isValid(); ancestor = ancestor.parent()) {
        stripLeft -= indent;
        midX = stripLeft + indent / 2;
        if (hasNextSibling(ancestor)) painter->drawLine(midX, rect.top(), midX, rect.bottom());
    }
    painter->restore();
}

void LocationTreeView::translateMenu()
{
    for (QAction* a : Menu1->actions()) a->setText(ToDisplay(GetMenuText(a->property("Tag").toInt())));
}

int LocationTreeView::focusedNode() const
{
    return model_.nodeOf(currentIndex());
}

int LocationTreeView::focusedLocationOrMessage() const
{
    const int n = focusedNode();
    if (n == kNoTreeNode) {
        ShowRessourceMessage(8, false);
        return kNoTreeNode;
    }
    if (tree_.levelOf(n) != levelLocation) {
        ShowRessourceMessage(9, false);
        return kNoTreeNode;
    }
    return n;
}

bool DigitKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (onEnter_) onEnter_();
        return true;
    }
    if (key->key() == Qt::Key_Backspace) return false;
    // Navigation and editing keys without text pass; any typed character must be a digit.
    const QString text = key->text();
    if (text.isEmpty() || key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
        // Pasting goes through the clamp on exit; let shortcuts through.
        return false;
    }
    // Only printable characters are typing: Tab, Escape and Delete carry a control
    // character as their text and keep their usual work (focus, the window's keys, deleting).
    for (QChar c : text)
        if (c.isPrint() && !c.isDigit()) return true;
    return false;
}

namespace {
int editNumber(QLineEdit* e)
{
    bool ok = false;
    int v = e->text().toInt(&ok);
    return ok ? v : 0;
}
} // namespace

void exitLevelMin(QLineEdit* minEdit, QLineEdit* maxEdit, LevelFilter& filter)
{
    ClampEditValue(minEdit, 0, 99);
    filter.LevelMin = editNumber(minEdit);
    if (filter.LevelMin > filter.LevelMax) filter.LevelMax = filter.LevelMin;
    maxEdit->setText(QString::number(filter.LevelMax));
}

void exitLevelMax(QLineEdit* minEdit, QLineEdit* maxEdit, LevelFilter& filter)
{
    ClampEditValue(maxEdit, 0, 99);
    filter.LevelMax = editNumber(maxEdit);
    if (filter.LevelMax < filter.LevelMin) filter.LevelMin = filter.LevelMax;
    minEdit->setText(QString::number(filter.LevelMin));
}

void exitPlayerLevel(QLineEdit* edit)
{
    if (edit->text().isEmpty()) edit->setText("1");
    ClampEditValue(edit, 1, 50);
    Preferences.NIVP = editNumber(edit);
}
