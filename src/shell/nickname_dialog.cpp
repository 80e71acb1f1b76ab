#include "nickname_dialog.h"

#include <utility>

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "cp1252.h"
#include "ressource.h"
#include "window_system.h"

namespace {

PseudoRunner& runner()
{
    static PseudoRunner r;
    return r;
}

void centreOnScreen(QWidget* dialog, QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    dialog->move(area.center() - dialog->rect().center());
}

} // namespace

TForm6::TForm6(QWidget* owner)
    : QDialog(owner, kTitleOnlyDialog)
{
    setObjectName("Form6");
    setFixedSize(312, 70);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(8, 8, 296, 21);
    Edit1->setMaxLength(kPseudoMaxLength);
    Button1 = new QPushButton(this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(118, 38, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);

    Button1->setText(ToDisplay(GetCaptionText(31)));
    setWindowTitle(ToDisplay(GetCaptionText(77)));
    centreOnScreen(this, owner);
}

std::optional<std::string> TForm6::pseudo() const
{
    return ToCp1252(Edit1->text());
}

void TForm6::done(int result)
{
    if (!pseudo()) {
        ShowRessourceMessage(16, false);
        Edit1->setFocus();
        return;
    }
    QDialog::done(result);
}

void TForm6::Button1Click()
{
    accept();
}

void setPseudoRunner(PseudoRunner r)
{
    runner() = std::move(r);
}

std::string ask_pseudo(QWidget* owner)
{
    TForm6 dialog(owner);
    if (runner())
        runner()(dialog);
    else
        dialog.exec();
    // A runner may leave text the dialog would have refused: that gives no nickname.
    std::string text = dialog.pseudo().value_or(std::string());
    if (text.size() > size_t(kPseudoMaxLength)) text.resize(size_t(kPseudoMaxLength));
    return text;
}
