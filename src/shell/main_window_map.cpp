// The main window's map: the map control, its loading, painting and input, the hints and
// the info page, the markers and the positions page, wired to the map view's parts.
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTextEdit>
#include <QtMath>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <functional>
#include <tuple>

#include "cp1252.h"
#include "label_warmup.h"
#include "database_globals.h"
#include "hint_window.h"
#include "info_attributes.h"
#include "info_panel.h"
#include "location_tree_model.h"
#include "location_tree_view.h"
#include "main_window.h"
#include "map_input.h"
#include "map_interaction.h"
#include "map_loading.h"
#include "map_paths.h"
#include "map_renderer.h"
#include "map_widget.h"
#include "markers.h"
#include "progress_bar.h"
#include "shape_control.h"
#include "tile_loader.h"
#include "ressource.h"

namespace {

// Runs its action each time the watched control gives the focus to another control of its
// window, whether or not its text changed (QLineEdit::editingFinished fires only after a
// change). Switching to another window or opening a menu is not leaving the control.
class FocusLeaveHook : public QObject {
public:
    FocusLeaveHook(std::function<void()> onLeave, QObject* parent) : QObject(parent), onLeave_(std::move(onLeave)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) onLeave_();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onLeave_;
};

} // namespace

void TForm4::repaintMap()
{
    if (ImageMapView) ImageMapView->update();
}

void TForm4::placeProgressBar()
{
    // Centred across the map, a little below its middle.
    if (G32_ProgressBar1)
        G32_ProgressBar1->move(ImageMapView->width() / 2 - G32_ProgressBar1->width() / 2, ImageMapView->height() / 2 + 40);
}

void TForm4::showProgressBar(int32_t maximum)
{
    G32_ProgressBar1->SetMax(maximum);
    G32_ProgressBar1->SetPosition(0);
    placeProgressBar();
    // The map keeps its last frame while the bar paints itself over it.
    ImageMapView->holdLayer();
    G32_ProgressBar1->show();
    G32_ProgressBar1->PaintNow();
}

void TForm4::hideProgressBar()
{
    G32_ProgressBar1->hide();
    ImageMapView->releaseLayer();
}

void TForm4::setupMap()
{
    scene.feedback = &FeedbackList;
    scene.tips = &TipsList;
    scene.tileLoader = new TileLoader(scene, this); // tiles decode off the UI thread
    G32_ProgressBar1 = new TG32_ProgressBar(ImageMapView);
    G32_ProgressBar1->SetColor(clCream);
    G32_ProgressBar1->hide();

    MapViewport& view = scene.view;
    view.onRepaint = [this] { repaintMap(); };
    view.onLevelOfDetail = [this] { update_lod(scene); };
    view.onZoomBar = [this](int32_t zoom) {
        const QSignalBlocker block(ZoomBar); // a move of ours is not a move of the user's
        ZoomBar->setValue(zoom);
    };
    ImageMapView->paintLayer = [this](QImage& buffer) {
        scene.FirstActivate = FirstActivate;
        scene.TipsWidth = TipsWidth;
        scene.TipsLineHeight = TipsLineHeight;
        scene.overlays.legend = But_Leg->isChecked();
        scene.overlays.paths = but_chemin->isChecked();
        scene.overlays.grid = but_grid->isChecked();
        scene.overlays.subtitles = but_stitre->isChecked();
        scene.overlays.overview = but_overview->isChecked();
        scene.overlays.tips = but_tips->isChecked();
        scene.overlays.levelOfDetail = checkLod->isChecked();
        paint_map_layer(scene, buffer);
    };
    ImageMapView->onResize = [this](int w, int h) {
        scene.view.setViewSize(w, h);
        placeProgressBar();
    };

    MapHooks& hooks = scene.hooks;
    hooks.build_paths = [this] { build_paths(scene); };
    hooks.build_links = [this] { build_links(scene); };
    hooks.build_ownpath = [this](int node) { build_ownpath(scene, node); };
    hooks.update_pathcolors = [this] { update_pathcolors(scene); };
    hooks.affiche_memoinfo = [this](int node, int mode) { interaction->affiche_memoinfo(node, mode); };
    hooks.repaintTree = [this] { MyTree->viewport()->update(); };
    hooks.setZoneComboItems = [this](const std::vector<std::string>& names) {
        for (QComboBox* c : {ComboBox4, ComboBox5}) {
            const QSignalBlocker block(c);
            c->clear();
            for (const std::string& n : names) c->addItem(ToDisplay(n));
            c->setCurrentIndex(0);
        }
    };
    hooks.clearPositionEdits = [this] {
        for (QLineEdit* e : {Edit_myX, Edit_myY, Edit_otherX, Edit_otherY}) e->clear();
    };
    hooks.update_compass = [this] { update_compass(scene); };
    hooks.progressMaximum = [this](int32_t maximum) { showProgressBar(maximum); };
    hooks.progressPosition = [this](int32_t position) { G32_ProgressBar1->SetPosition(position); };
    hooks.progressHide = [this] { hideProgressBar(); };
    hooks.showMessage = [](int id) { ShowRessourceMessage(id, false); };

    MapInteractionHooks ih;
    ih.select_node = [this](int node) { select_node(node); };
    ih.localize_data = [this](int node, bool centre, bool keep, int32_t x, int32_t y) { localize_data(node, centre, keep, x, y); };
    ih.set_target_node = [this](int node) {
        if (const TNodeData* d = MyTreeStore.nodeData(node)) set_target_node(scene, *d);
    };
    ih.refresh_pathslinks = [this] { ::refresh_pathslinks(scene, RecolourAll); };
    ih.showInfoPage = [this] { press_liste(1); };
    ih.showInfoPanel = [this](const InfoPanelContent& c) { showInfoPanel(c); };
    ih.imagehint = [this](const std::string& text) { imagehint(text); };
    ih.show_feedback = [this](int id, int seconds, const std::string& arg) { show_feedback(id, seconds, arg, ""); };
    ih.repaint = [this] { repaintMap(); };
    // The location editor comes with its own part of the program.
    interaction = std::make_unique<MapInteraction>(scene, ih);

    input = std::make_unique<MapInput>(scene);
    MapInputHooks& in = input->hooks;
    in.onInteract = [this](int x, int y, int action) { return interaction->Interact_cellmap(x, y, action); };
    in.onPathAt = [this](int x, int y, int action) {
        const int node = path_at(scene, x, y);
        if (node == kNoTreeNode) return false;
        if (action == 0) {
            interaction->affiche_memoinfo(node, 0);
            return true;
        }
        // A click shows the route's location on the info page, selected, without centring.
        press_liste(1);
        affiche_searchnode(node, false);
        repaintMap();
        return true;
    };
    in.onAddWaypoint = [this] {
        const WaypointAdd r = add_waypoint(scene, scene.ZoneUnderMouse, scene.MouseZonePoint);
        if (r == WaypointAdd::TooFar) show_feedback(49, 4, "", "");
        update_waypointmenu();
        repaintMap();
    };
    in.onStatusText = [this](const std::string& text) { statusBar()->showMessage(ToDisplay(text)); };
    in.onTakeFocus = [this] { ImageMapView->setFocus(); };
    in.onControlCursor = [this](Qt::CursorShape shape) { ImageMapView->setCursor(shape); };
    in.onSwitchesChanged = [this] {
        but_tips->setChecked(scene.overlays.tips);
        but_stitre->setChecked(scene.overlays.subtitles);
        repaintMap();
    };
    in.onClearFeedback = [this] { clear_feedback(); };
    in.onIconsHidden = [this] {
        // As when the mouse leaves the locations: no location under it, no hint, no link items.
        interaction->affiche_memoinfo(kNoTreeNode, 0);
        hints->hideHint();
    };
    in.onSidePageKey = [this](int page) {
        if (page < 1 || page > 4) return;
        but_liste[size_t(page - 1)]->click();
    };

    // On a scaled screen the pointer can lie between two of the map's pixels; it acts on the
    // pixel drawn under it, not on the nearest pixel boundary.
    const auto pixelUnder = [](const QMouseEvent* e) {
        return QPoint(qFloor(e->position().x()), qFloor(e->position().y()));
    };
    ImageMapView->onMouseMove = [this, pixelUnder](QMouseEvent* e) {
        input->ImageMapMouseMove(pixelUnder(e), textEditHasFocus());
    };
    ImageMapView->onMouseDown = [this, pixelUnder](QMouseEvent* e) {
        if (e->button() == Qt::RightButton) return; // the context menu
        input->editMode = but_editmode->isChecked();
        input->ImageMapMouseDown(pixelUnder(e), e->button(), e->modifiers());
    };
    ImageMapView->onMouseUp = [this](QMouseEvent*) { input->ImageMapMouseUp(); };
    ImageMapView->onDoubleClick = [this](QMouseEvent*) { input->ImageMapDblClick(); };
    ImageMapView->onWheel = [this](QWheelEvent* e) { input->ImageMapMouseWheel(e->angleDelta().y()); };
    ImageMapView->onLeave = [this] { hints->hideHint(); };

    // The label fonts are learnt while the program is idle, not while data or a map loads:
    // a first visit to a map then finds them ready.
    auto* warmup = new LabelFontWarmup(scene, [this] { return loadingData_ || destroyed_ || G32_ProgressBar1->isVisible(); },
                                       this);
    warmup->setObjectName("labelFontWarmup");
}

void TForm4::buildPositionsPage(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    // GroupBox4: the own position (GroupBox7) and the other one (GroupBox5), each with its
    // circle, its two edits in thousands and its zone list, and the compass switch.
    GroupBox4 = new QGroupBox(page);
    GroupBox4->setObjectName("GroupBox4");
    GroupBox4->setProperty("Tag", 17);
    auto* positions = new QVBoxLayout(GroupBox4);
    GroupBox7 = new QGroupBox(GroupBox4);
    GroupBox7->setObjectName("GroupBox7");
    GroupBox7->setProperty("Tag", 19);
    GroupBox5 = new QGroupBox(GroupBox4);
    GroupBox5->setObjectName("GroupBox5");
    GroupBox5->setProperty("Tag", 20);
    Shape_perso = new ShapeControl(ShapeControl::Shape::Circle, GroupBox7);
    Shape_perso->setObjectName("Shape_perso");
    Shape_perso->setBrushColour(Qt::blue);
    Shape_dest = new ShapeControl(ShapeControl::Shape::Circle, GroupBox5);
    Shape_dest->setObjectName("Shape_dest");
    Shape_dest->setBrushColour(QColor(0, 255, 0));
    Shape_perso->onMouseDown = [this] {
        if (center_on_marker(scene, scene.MyPos)) repaintMap();
    };
    Shape_dest->onMouseDown = [this] {
        if (center_on_marker(scene, scene.OtherPos)) repaintMap();
    };
    ComboBox4 = new QComboBox(GroupBox7);
    ComboBox4->setObjectName("ComboBox4");
    ComboBox5 = new QComboBox(GroupBox5);
    ComboBox5->setObjectName("ComboBox5");
    Edit_myX = new QLineEdit(GroupBox7);
    Edit_myY = new QLineEdit(GroupBox7);
    Edit_otherX = new QLineEdit(GroupBox5);
    Edit_otherY = new QLineEdit(GroupBox5);
    const char* names[4] = {"Edit_myX", "Edit_myY", "Edit_otherX", "Edit_otherY"};
    QLineEdit* edits[4] = {Edit_myX, Edit_myY, Edit_otherX, Edit_otherY};
    for (int i = 0; i < 4; ++i) {
        edits[i]->setObjectName(names[i]);
        edits[i]->setMaxLength(2);
        edits[i]->setFixedWidth(30);
        // Leaving an edit always applies the four of them, so a point placed from the map
        // becomes the whole thousands the edits show even when no digit was typed.
        edits[i]->installEventFilter(new FocusLeaveHook([this] { applyPositionEdits(); }, edits[i]));
        edits[i]->installEventFilter(new DigitKeyFilter([edits, i] {
            edits[next_position_edit(i)]->setFocus();
        }, edits[i]));
    }
    for (auto [box, shape, combo, ex, ey] : {std::tuple{GroupBox7, Shape_perso, ComboBox4, Edit_myX, Edit_myY},
                                             std::tuple{GroupBox5, Shape_dest, ComboBox5, Edit_otherX, Edit_otherY}}) {
        shape->setFixedSize(17, 17);
        combo->setMaxVisibleItems(15);
        // The marker and the two edits on one row, the zone list below them across the whole
        // box: beside them it would be too narrow for a zone's name.
        auto* grid = new QGridLayout(box);
        grid->addWidget(shape, 0, 0);
        grid->addWidget(ex, 0, 1);
        grid->addWidget(ey, 0, 2);
        grid->setColumnStretch(3, 1);
        grid->addWidget(combo, 1, 0, 1, 4);
        positions->addWidget(box);
    }
    // Tab walks each position as it reads: its two edits, then its zone.
    QWidget* const tabChain[] = {Edit_myX, Edit_myY, ComboBox4, Edit_otherX, Edit_otherY, ComboBox5};
    for (size_t i = 1; i < std::size(tabChain); ++i) QWidget::setTabOrder(tabChain[i - 1], tabChain[i]);
    connect(ComboBox4, &QComboBox::currentIndexChanged, this, &TForm4::applyPositionEdits);
    connect(ComboBox5, &QComboBox::currentIndexChanged, this, &TForm4::applyPositionEdits);
    but_boussole = new QCheckBox(GroupBox4);
    but_boussole->setObjectName("but_boussole");
    but_boussole->setProperty("Tag", 86);
    but_boussole->setChecked(true);
    scene.overlays.compass = true;
    connect(but_boussole, &QCheckBox::clicked, this, [this](bool on) {
        scene.overlays.compass = on;
        update_compass(scene);
        repaintMap();
    });
    positions->addWidget(but_boussole);
    layout->addWidget(GroupBox4);

    // The jump group: a place code and the button that goes there.
    auto* jumpGroup = new QGroupBox(page);
    jumpGroup->setObjectName("GroupBoxJump");
    jumpGroup->setProperty("Tag", 83);
    auto* jump = new QHBoxLayout(jumpGroup);
    EditJump = new QLineEdit("J_#############", jumpGroup);
    EditJump->setObjectName("EditJump");
    EditJump->setMaxLength(15);
    connect(EditJump, &QLineEdit::textEdited, this, [this](const QString& text) {
        EditJump->setText(FromCp1252(filterJumpEditText(ToCp1252(text).value_or(""))));
        // The cleaned code is put back with the caret at its end (15, or a shorter code's end).
        EditJump->setCursorPosition(15);
    });
    Button2 = new QPushButton(jumpGroup);
    Button2->setObjectName("Button2");
    Button2->setProperty("Tag", 16);
    connect(Button2, &QPushButton::clicked, this,
            [this] { interaction->jump_command(ToCp1252(EditJump->text()).value_or("")); });
    jump->addWidget(EditJump);
    jump->addWidget(Button2);
    layout->addWidget(jumpGroup);

    Memo1 = new QPlainTextEdit(page);
    Memo1->setObjectName("Memo1");
    Memo1->setReadOnly(true);
    layout->addWidget(Memo1, 1);
}

void TForm4::applyPositionEdits()
{
    PositionEdits e;
    e.myX = ToCp1252(Edit_myX->text()).value_or("");
    e.myY = ToCp1252(Edit_myY->text()).value_or("");
    e.otherX = ToCp1252(Edit_otherX->text()).value_or("");
    e.otherY = ToCp1252(Edit_otherY->text()).value_or("");
    e.myComboIndex = ComboBox4->currentIndex();
    e.myComboText = ToCp1252(ComboBox4->currentText()).value_or("");
    e.otherComboIndex = ComboBox5->currentIndex();
    e.otherComboText = ToCp1252(ComboBox5->currentText()).value_or("");
    apply_position_edits(scene, e);
    repaintMap();
}

void TForm4::localize_data(int node, bool centre, bool keep, int32_t x, int32_t y)
{
    ::localize_data(scene, node, centre, keep, x, y);
    MyTreeModel->setSelectionChain(scene.SelectionChain);
    MyTreeModel->setCurrentMapId(scene.CurrentMapId);
    {
        const QSignalBlocker block(ZoomBar);
        ZoomBar->setValue(scene.view.Zoom);
    }
    repaintMap();
}

void TForm4::select_node(int node)
{
    ::select_node(scene, node);
    if (MyTreeModel) MyTreeModel->setSelectionChain(scene.SelectionChain);
}

void TForm4::clear_mapview()
{
    if (input) input->set_mousemode(0);
    ::clear_mapview(scene);
    if (MyTreeModel) MyTreeModel->setCurrentMapId(-1);
}

void TForm4::imagehint(const std::string& text)
{
    if (text.empty()) {
        hints->hideHint();
        return;
    }
    hints->showHint(QCursor::pos(), ToDisplay(text), HintKind::Rich, HCaption);
}

void TForm4::showInfoPanel(const InfoPanelContent& c)
{
    fillInfoHeader(c);
    QString memo;
    for (const std::string& line : c.memoLines) memo += ToDisplay(line) + '\n';
    Memo2->setPlainText(memo);
    showInfoAttributes(Treeitem, c.attributes);
    showTreeRedir(c);
}

void TForm4::erase_listWP()
{
    ::erase_listWP(scene);
    update_waypointmenu();
}

bool TForm4::textEditHasFocus() const
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() != this) return false;
    if (auto* e = qobject_cast<QLineEdit*>(focus)) return !e->isReadOnly();
    if (auto* e = qobject_cast<QPlainTextEdit*>(focus)) return !e->isReadOnly();
    if (auto* e = qobject_cast<QTextEdit*>(focus)) return !e->isReadOnly();
    if (auto* c = qobject_cast<QComboBox*>(focus)) return c->isEditable();
    return qobject_cast<QAbstractSpinBox*>(focus) != nullptr;
}

bool TForm4::previewKey(QObject* receiver, QKeyEvent* event)
{
    // The key is looked at once, where it is first delivered: the focused control of this
    // window, or the window itself when none of its controls has the focus.
    QWidget* focus = QApplication::focusWidget();
    const bool first = focus && focus->window() == this ? receiver == focus : receiver == this;
    if (!first || !input) return false;
    if (input->FormKeyDown(event->key())) return true;
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    const QString text = event->text();
    return text.size() == 1 && text[0].unicode() < 128 &&
           input->FormKeyPress(char(text[0].unicode()), textEditHasFocus());
}
