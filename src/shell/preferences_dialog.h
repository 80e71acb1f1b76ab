#pragma once
// The preferences dialog: user settings, interface language and database, and the display
// (font, colour, visibility) of every location category. Nothing is written before OK:
// Cancel, Escape and closing the window change no setting and no category.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QImage>

#include "records.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct rCateg;

constexpr int kCategoryFontNameMax = 40; // bytes of a font name in categpref.bin

// The dialog's working copy of one category's display, one per legend node.
class ttreeinfo {
public:
    // Copies the category's font name, size and style, colour, visible flag and icon index.
    static std::unique_ptr<ttreeinfo> Create(rCateg& category);
    // Takes the values of itemcateg.bin back (the category's defaults).
    void ResetToDefaults();
    // The entry's font as a widget draws it.
    QFont font() const;
    // Writes the entry to its category.
    void apply() const;

    std::string fontName; // Windows-1252
    int32_t fontSize = 0; // points
    uint32_t iconIndex = 0;
    TColor colour = 0;
    uint8_t fontStyle = 0; // FontStyleBit set
    rCateg* category = nullptr;
    bool visible = false;
};

// The ways the dialog asks for a font and a colour; tests answer them without a dialog.
// Each returns nothing when the user cancelled.
struct PreferencesPickers {
    std::function<std::optional<QFont>(QWidget* parent, const QFont& initial)> font;
    std::function<std::optional<QColor>(QWidget* parent, const QColor& initial)> colour;
};

class TForm3 : public QDialog {
    Q_OBJECT
public:
    static constexpr int kLegendRowHeight = 16; // pixels per row of Tree_leg

    // categoryIcons: the main window's Listiconmap, shown as the legend's icons.
    TForm3(QWidget* owner, const std::vector<QImage>& categoryIcons, PreferencesPickers pickers = {});
    ~TForm3() override;

    // How Button4 and Button5 ask; Qt's font and colour dialogs unless replaced.
    PreferencesPickers pickers;

    // Set by OK when the database or the interface language chosen differs from the
    // current one (letter case counts); cleared by Cancel.
    bool ReloadRequested = false;

    // Page 1: options.
    QTabWidget* PageControl1 = nullptr;
    QWidget *TabSheet1 = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr;
    QGroupBox *GroupBox1 = nullptr, *GroupBox2 = nullptr, *GroupBox3 = nullptr, *GroupBox4 = nullptr,
              *GroupBox5 = nullptr, *GroupBox7 = nullptr, *GroupBox8 = nullptr, *GroupBox9 = nullptr;
    QCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr,
              *CheckBox5 = nullptr, *CheckBox7 = nullptr, *CheckBox8 = nullptr, *CheckBox9 = nullptr;
    QSlider* GaugeBar1 = nullptr;   // [ALFV] 1..255
    QLabel* Label1 = nullptr;
    QSpinBox* UpDown1 = nullptr;    // [HINT] in seconds, 0..60
    QLineEdit* Edit2 = nullptr;     // UpDown1's edit
    QLineEdit* Edit1 = nullptr;     // [PSEU], at most 40 characters
    QListWidget* ListBox1 = nullptr; // interface languages
    QListWidget* ListBox2 = nullptr; // databases
    // Page 2: the legend.
    QTreeWidget* Tree_leg = nullptr;
    QLabel* Panel1 = nullptr;       // preview of the focused category
    QPushButton *Button4 = nullptr, *Button5 = nullptr, *Button6 = nullptr, *Button7 = nullptr;
    // Page 3: the map.
    QLabel *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label6 = nullptr;
    QSlider *TrackBarLod0 = nullptr, *TrackBarLod1 = nullptr, *TrackBarLod2 = nullptr, *TrackBarVecteur = nullptr,
            *TrackbarHD = nullptr;
    QPushButton* Button3 = nullptr; // level-of-detail defaults
    QPushButton* Button1 = nullptr; // OK, the default button
    QPushButton* Button2 = nullptr; // Cancel

    // The entry of a legend node; the focused node's entry.
    ttreeinfo* entryOf(const QTreeWidgetItem* item) const;
    ttreeinfo* currentEntry() const;

    void FormShow();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();

private:
    void FormCreate();
    void buildOptionsPage();
    void buildLegendPage();
    void buildMapPage();
    void connectLevelRules();
    void showEntry(const QTreeWidgetItem* item);
    // Draws a node as its entry says: name, font, colour, icon, check mark.
    void paintNode(QTreeWidgetItem* item);
    void repaintTree();

    const std::vector<QImage>& icons_;
    std::vector<std::unique_ptr<ttreeinfo>> entries_;
};

// How the preferences run: exec() by default. A test installs a runner that works the
// dialog's controls and closes it without a modal loop; an empty function restores exec().
using PreferencesRunner = std::function<void(TForm3&)>;
void setPreferencesRunner(PreferencesRunner runner);

// Runs the dialog owned by `owner`; its OK writes the settings, the categories, the
// names InterfaceLang and DatabaseLang and RecolourAll. Returns TForm3::ReloadRequested.
bool run_preferences(QWidget* owner, const std::vector<QImage>& categoryIcons);
