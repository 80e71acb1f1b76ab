#pragma once
// The location editor: the modal dialog in which the user creates a location at a map
// point or modifies one (name, category, type, levels, note, attributes, link code), and
// in modify mode deletes it or copies the change onto the same-named locations. The main
// window creates it, fills its fields, runs it and reads `resultNode`; the dialog changes
// the tree only through its host.
#include <array>
#include <cstdint>
#include <string>

#include <QDialog>

#include "location_editing.h"
#include "location_editor_host.h"
#include "records.h"
#include "route_options_dialog.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
struct rCateg;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 709;
    static constexpr int kClientHeight = 470;     // bulk options hidden
    static constexpr int kClientHeightBulk = 518; // bulk options shown
    static constexpr int kNameMaxTyped = 35;
    static constexpr int kNoteMaxTyped = 1000;

    explicit TForm2(LocationEditorHost& host);
    ~TForm2() override;

    // Fields, set by the caller before the dialog is shown.
    std::string placeholder;           // I25: shown in the name edit while no name is given
    std::array<QFrame*, 7> shapes{};   // the colour shapes of the player-level page
    uint32_t id = 0;                   // database id of the location modified; 0 otherwise
    int node = kNoTreeNode;            // the node modified; none in create mode
    int resultNode = kNoTreeNode;      // the node OK added; read by the caller
    bool modifyMode = false;
    pMap_info* zone = nullptr;
    int32_t bulkCount = 0;             // other locations the bulk change touched
    bool changedTree = false;          // OK or delete changed locations (cancel and an untouched OK do not)
    rCateg* category = nullptr;        // the chosen category
    rCateg* originalCategory = nullptr; // the category the location had (modify mode)

    // Routines.
    // Level, player-level and type controls enabled for creature and level-range kinds.
    void checked_selected(const rCateg* c);
    // Copies the change onto the same-named locations of the chosen category.
    void allnode_modif(uint8_t languageTag);
    void init_formcaption();
    void create_shapes();
    // Checked attributes (a checked node checks its parent first), packed.
    SpecSet get_flags();
    // Runs the route options dialog on an options text; returns the options it gives back.
    std::string edit_route_options(const std::string& options);
    // The bulk check box's caption: cut with an ellipsis to the room the box has, whole in
    // its tool tip (a long location name would otherwise run out of the box).
    void setBulkCaption(const QString& text);
    // Focuses a category's node in Treecateg, which runs the category change.
    void focusCategory(const rCateg* c);
    // The route options dialog's runner (tests); empty runs it modally.
    RouteOptionsRunner routeOptionsRunner;

    // Controls.
    QTreeWidget* Treecateg = nullptr;
    QGroupBox* GroupBox5 = nullptr;
    QLabel* Image1 = nullptr;
    QLineEdit* Edit1 = nullptr; // name
    QCheckBox* CheckBox12 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QComboBox* ComboBox1 = nullptr; // type
    QSpinBox* Edit3 = nullptr;      // level min with its arrows (UpDown1), 0..99
    QSpinBox* Edit4 = nullptr;      // level max with its arrows (UpDown2), 0..99
    QToolButton* BitBtn1 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label6 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
    QPlainTextEdit* MemoInfo = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction *acc1 = nullptr, *acc6 = nullptr;
    QSpinBox* Edit7 = nullptr; // player level with its arrows (UpDown3), 1..50
    QLabel *Label2 = nullptr, *Label3 = nullptr;
    QLineEdit* Edit2 = nullptr; // link code, read-only
    QMenu* PopupMenu2 = nullptr;
    QAction* trajet1 = nullptr;
    QPushButton *Button6 = nullptr, *Button5 = nullptr, *Button11 = nullptr, *Button7 = nullptr;
    QLabel* Label1 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QLineEdit *Edit5 = nullptr, *Edit6 = nullptr; // the point, read-only
    QTreeWidget* treebool = nullptr;
    QCheckBox* CheckBox2 = nullptr; // bulk change
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox *CheckBox4 = nullptr, *CheckBox5 = nullptr, *CheckBox6 = nullptr, *CheckBox7 = nullptr;
    QCheckBox* CheckBox3 = nullptr; // hidden: the locked flag
    QPushButton *Button4 = nullptr, *Button8 = nullptr, *Button1 = nullptr, *Button2 = nullptr;

public slots:
    void Button2Click();  // OK
    void Button4Click();  // delete
    void Button8Click();  // copy the place code
    void Button5Click();  // route code
    void Button11Click(); // world route code
    void Button6Click();  // paste the place code
    void Button7Click();  // empty the link
    void trajet1Click();  // route options of the link's route code
    void acc1Click();     // reference in the note
    void CheckBox2Click();
    void CheckBox12Click();
    void shapePressed(int shape);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void categoryChanged(QTreeWidgetItem* item);
    void updateTrajet1();
    void setBulkHeight();
    // The name edit's text as Windows-1252 bytes, trimmed; none without such a form.
    std::optional<std::string> trimmedName() const;
    uint8_t languageTag() const;
    std::string linkText() const;

    LocationEditorHost& host_;
    bool shownOnce_ = false;
    bool keepNameOnce_ = false;
    bool flagsTouched_ = false; // the user changed a check of treebool
    QTreeWidgetItem* chosenItem_ = nullptr; // drawn as the chosen category
};
