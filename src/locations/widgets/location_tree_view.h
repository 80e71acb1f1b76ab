#pragma once
// The tree view of the side panel with its popup menu, and the level filter edits.
#include <functional>

#include <QTreeView>

class QLineEdit;
class QMenu;
class QAction;
class LocationTree;
class LocationTreeModel;
struct LevelFilter;

class LocationTreeView : public QTreeView {
    Q_OBJECT
public:
    LocationTreeView(LocationTree& tree, LocationTreeModel& model, QWidget* parent = nullptr);

    QMenu* Menu1 = nullptr;
    QAction* Modif1 = nullptr;
    QAction* Copier1 = nullptr;
    QAction* Couper1 = nullptr;
    QAction* Fermer1 = nullptr;
    QAction* Trier1 = nullptr;

    // What the location commands do with the focused location node.
    std::function<void(int node)> onModify, onCopy, onCut;
    // The focused node changed (kNoTreeNode for none).
    std::function<void(int node)> onFocusChanged;
    // Runs after every paint of the tree (check changes are acted on then, once per batch).
    std::function<void()> onAfterPaint;

    int focusedNode() const;
    // Gives the menu items their captions from section M.
    void translateMenu();

    // Colour of the solid lines that join each node to its parent and siblings (TColor 9013641).
    static constexpr QRgb kLineColour = 0xFF898989;

protected:
    void paintEvent(QPaintEvent* event) override;
    void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

private:
    // S8 when no node has the focus, S9 when it is not a location; else the node.
    int focusedLocationOrMessage() const;

    LocationTree& tree_;
    LocationTreeModel& model_;
};

// Digits and backspace pass, other keys are swallowed; Enter runs `onEnter` and is swallowed.
class DigitKeyFilter : public QObject {
    Q_OBJECT
public:
    DigitKeyFilter(std::function<void()> onEnter, QObject* parent) : QObject(parent), onEnter_(std::move(onEnter)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> onEnter_;
};

// The exits of the level filter edits and of the player level edit: clamp, store, mirror.
void exitLevelMin(QLineEdit* minEdit, QLineEdit* maxEdit, LevelFilter& filter);
void exitLevelMax(QLineEdit* minEdit, QLineEdit* maxEdit, LevelFilter& filter);
// Empty becomes "1", then 1..50; stores the player level setting.
void exitPlayerLevel(QLineEdit* edit);
