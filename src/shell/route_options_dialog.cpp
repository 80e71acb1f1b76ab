#include "route_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>

#include "cp1252.h"
#include "location_editing.h"
#include "ressource.h"
#include "ressource_widgets.h"
#include "window_system.h"

TForm_wpoptions::TForm_wpoptions(const std::vector<std::string>& colourNames, QWidget* owner)
    : QDialog(owner, kTitleOnlyDialog)
{
    setObjectName("Form_wpoptions");
    setFixedSize(233, 136);
    Label1 = new QLabel(this);
    Label1->setObjectName("Label1");
    Label1->setProperty("Tag", 115);
    Label1->setGeometry(8, 10, 80, 16);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(96, 6, 129, 22);
    ComboBox1->setMaxVisibleItems(10);
    for (const std::string& name : colourNames) ComboBox1->addItem(ToDisplay(name));
    ComboBox1->setCurrentIndex(0);
    Label2 = new QLabel(this);
    Label2->setObjectName("Label2");
    Label2->setProperty("Tag", 116);
    Label2->setGeometry(8, 42, 80, 16);
    Edit2 = new QSpinBox(this);
    Edit2->setObjectName("Edit2");
    Edit2->setGeometry(96, 38, 60, 22);
    Edit2->setRange(1, 10);
    Edit2->setValue(8);
    Edit2->setReadOnly(false);
    Edit2->findChild<QLineEdit*>()->setReadOnly(true); // moved by the arrows only
    CheckBox1 = new QCheckBox(this);
    CheckBox1->setObjectName("CheckBox1");
    CheckBox1->setProperty("Tag", 118);
    CheckBox1->setLayoutDirection(Qt::RightToLeft); // caption on the left
    CheckBox1->setGeometry(8, 70, 217, 20);
    Button1 = new QPushButton(this);
    Button1->setObjectName("Button1");
    Button1->setProperty("Tag", 31);
    Button1->setGeometry(79, 102, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    setWindowTitle(ToDisplay(GetCaptionText(119)));
    TranslateForm(this);
    if (QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TForm_wpoptions::setOptions(const std::string& options)
{
    const RouteOptionsForm f = routeOptionsForm(options, ComboBox1->count());
    CheckBox1->setChecked(f.alwaysShown);
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? f.colourItem : -1);
    Edit2->setValue(f.opacity);
}

std::string TForm_wpoptions::options() const
{
    RouteOptionsForm f;
    f.alwaysShown = CheckBox1->isChecked();
    f.colourItem = std::max(0, ComboBox1->currentIndex());
    f.opacity = Edit2->value();
    return routeOptionsOfForm(f);
}

std::string runRouteOptions(const std::string& options, QWidget* owner, const RouteOptionsRunner& runner)
{
    std::vector<std::string> names;
    if (CommonData)
        for (const rColor& c : CommonData->colors) names.push_back(c.name);
    TForm_wpoptions dialog(names, owner);
    dialog.setOptions(options);
    if (runner)
        runner(dialog);
    else
        dialog.exec();
    return dialog.options();
}
