#pragma once
// The route options dialog: whether a route is always shown, its colour and its opacity,
// read from and given back as the 4-character options text of a route code.
#include <functional>
#include <string>
#include <vector>

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TForm_wpoptions : public QDialog {
    Q_OBJECT
public:
    // colourNames: the named colours of the interface language, in table order.
    TForm_wpoptions(const std::vector<std::string>& colourNames, QWidget* owner = nullptr);

    // Shows the options of a text (a bad colour digit gives item 0, a bad opacity 10).
    void setOptions(const std::string& options);
    // The options the controls show: flag, colour item, opacity - 1, "1".
    std::string options() const;

    QLabel* Label1 = nullptr;
    QComboBox* ComboBox1 = nullptr; // colour list
    QLabel* Label2 = nullptr;
    QSpinBox* Edit2 = nullptr;      // the opacity with its arrows (UpDown2), 1..10, read-only text
    QCheckBox* CheckBox1 = nullptr; // always shown
    QPushButton* Button1 = nullptr; // closes
};

// How the dialog is run: exec() unless a test gives a runner that sets the controls and
// returns without a modal loop.
using RouteOptionsRunner = std::function<void(TForm_wpoptions&)>;

// Runs the dialog on an options text and returns the options it shows when it closes,
// however it was closed.
std::string runRouteOptions(const std::string& options, QWidget* owner, const RouteOptionsRunner& runner);
