#include "send_dialog.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "additions.h"
#include "cp1252.h"
#include "desktop.h"
#include "folders.h"
#include "image_helpers.h"
#include "path_resolver.h"
#include "preferences.h"
#include "ressource.h"
#include "send_additions.h"
#include "url_list.h"

namespace {
SendRunner& runner()
{
    static SendRunner r;
    return r;
}

std::string additionsName()
{
    return ToCp1252(MakeAdditionsFileName(DatabaseLang)).value_or("");
}

// The additions file as it is named on disk: the load and the save match its name without
// letter case, so a file copied as "vmar_ajouts_x.txt" is the one sent.
QString additionsFile()
{
    const QString name = MakeAdditionsFileName(DatabaseLang);
    const std::optional<QString> onDisk = FindEntryNoCase(AjoutsDir, name);
    return AjoutsDir + (onDisk ? *onDisk : name);
}

std::string caption(int id)
{
    return GetCaptionText(id);
}
} // namespace

Tmail_fic::Tmail_fic(QWidget* owner) : QDialog(owner)
{
    setObjectName("mail_fic");
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    RadioButton1 = new QRadioButton(GroupBox1);
    RadioButton1->setObjectName("RadioButton1");
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton(GroupBox1);
    RadioButton2->setObjectName("RadioButton2");
    RadioButton3 = new QRadioButton(GroupBox1);
    RadioButton3->setObjectName("RadioButton3");
    auto* choices = new QVBoxLayout(GroupBox1);
    for (QRadioButton* r : {RadioButton1, RadioButton2, RadioButton3}) choices->addWidget(r);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setFixedSize(33, 21);
    Image1->setScaledContents(true);
    Image1->setFrameShape(QFrame::Box);
    Button1 = new QPushButton(this);
    Button1->setObjectName("Button1");
    Button1->setDefault(true);
    Button2 = new QPushButton(this);
    Button2->setObjectName("Button2");
    connect(Button1, &QPushButton::clicked, this, &Tmail_fic::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tmail_fic::Button2Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Image1);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    setMinimumWidth(420); // the caption names the database
    layout->addWidget(GroupBox1);
    layout->addLayout(buttons);

    setWindowTitle(ToDisplay(caption(161)) + " database [" + DatabaseLang + "]");
    GroupBox1->setTitle(ToDisplay(caption(160)));
    RadioButton1->setText(ToDisplay(caption(162)));
    RadioButton2->setText(ToDisplay(caption(163)));
    RadioButton3->setText(ToDisplay(caption(164)));
    Button1->setText(ToDisplay(caption(165)));
    Button2->setText(ToDisplay(caption(32)));

    IdHTTP1.settings = HttpSettingsFromPreferences();
    IdHTTP1.limits.maxRedirects = 0;      // a moved upload address is a failure, not a new target
    IdHTTP1.limits.idleTimeoutMs = 60000; // a silent server must not hold the dialog forever
    IdHTTP1.limits.maxBytes = size_t(1) << 20;
}

void Tmail_fic::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    const QString icon = DatabaseLangDir + "ico.bmp";
    if (!DatabaseLangDir.isEmpty() && QFileInfo::exists(icon)) Image1->setPixmap(QPixmap::fromImage(ReadImageFile(icon)));
    if (!UploadAllowed) {
        RadioButton1->setText(ToDisplay(caption(166)));
        RadioButton1->setEnabled(false);
        RadioButton2->setChecked(true);
    }
}

std::string Tmail_fic::upload_user() const
{
    return ::upload_user(Preferences.PSEU);
}

void Tmail_fic::send_http(std::string& reply)
{
    reply = UploadAdditions(IdHTTP1, UrlEntryAt(urlUpload), ToCp1252(DatabaseLang).value_or(""), Preferences.PSEU,
                            additionsFile(), additionsName());
}

void Tmail_fic::send_mail(std::string& reply)
{
    reply.clear();
    const std::string name = additionsName();
    const std::string recipient = UrlEntryAt(urlMail);
    try {
        SendMailMapi(recipient, recipient, "self", "self", FormatRessource(GetInfoText(18), name),
                     FormatRessource(GetInfoText(19), name), additionsFile(), true);
    } catch (const tMailFileException& e) {
        reply = e.what();
    }
}

void Tmail_fic::Button1Click()
{
    if (busy_) return;
    std::string reply;
    bool success = false;
    busy_ = true;
    Button1->setEnabled(false);
    Button2->setEnabled(false);
    {
        BusyCursor cursor;
        if (RadioButton1->isChecked()) {
            send_http(reply);
            success = UploadSucceeded(reply);
        } else if (RadioButton2->isChecked()) {
            send_mail(reply);
            success = reply.empty();
        } else {
            OpenFolder(AjoutsDir);
        }
    }
    busy_ = false;
    Button1->setEnabled(true);
    Button2->setEnabled(true);
    // A program being ended reports nothing.
    if (!RadioButton3->isChecked() && !IdHTTP1.wasAborted()) {
        if (success)
            ShowRessourceMessage(30, false, kProductName, additionsName());
        else
            ShowRessourceMessage(27, false, additionsName(), ShortReply(reply));
    }
    accept();
}

void Tmail_fic::Button2Click()
{
    reject();
}

void Tmail_fic::done(int result)
{
    if (busy_) return;
    QDialog::done(result);
}

std::string ShortReply(const std::string& reply)
{
    return reply.size() > 1000 ? reply.substr(0, 1000) : reply;
}

void setSendRunner(SendRunner r)
{
    runner() = std::move(r);
}

void run_send_dialog(QWidget* owner, bool uploadAllowed)
{
    Tmail_fic dialog(owner);
    dialog.UploadAllowed = uploadAllowed;
    if (runner())
        runner()(dialog);
    else
        dialog.exec();
}
