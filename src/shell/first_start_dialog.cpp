#include "first_start_dialog.h"

#include <utility>

#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "folders.h"
#include "message_boxes.h"
#include "widget_helpers.h"
#include "window_system.h"

namespace {

FirstInfoRunner& runner()
{
    static FirstInfoRunner r;
    return r;
}

// Stores the name of the list's current entry; an empty list leaves the target as it was.
void storeSelection(const QListWidget* list, QString& target)
{
    if (const QListWidgetItem* item = list->currentItem()) target = item->text();
}

} // namespace

TForm1::TForm1(QWidget* owner)
    : QDialog(owner, kTitleOnlyDialog)
{
    setObjectName("Form1");
    // No language is loaded yet: these texts are the same in every language.
    setWindowTitle(QStringLiteral("Langage:"));
    setFixedSize(209, 205);

    Label1 = new QLabel(QStringLiteral("Interface"), this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(8, 4, 193, 16);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setGeometry(8, 22, 193, 68);
    Label2 = new QLabel(QStringLiteral("Database"), this);
    Label2->setObjectName("Label2");
    Label2->setGeometry(8, 94, 193, 16);
    ListBox2 = new QListWidget(this);
    ListBox2->setObjectName("ListBox2");
    ListBox2->setGeometry(8, 112, 193, 56);
    Button1 = new QPushButton(QStringLiteral("ok"), this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(67, 174, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);

    ListBox1->clear();
    ListBox2->clear();
    ListSubFolders(ResDir + "*.*", QStringLiteral("Francais"), ListBox1);
    ListSubFolders(DatabaseDir + "*.*", QStringLiteral("Francais"), ListBox2);
    Button1->setEnabled(hasChoice());

    move(425, 203); // the dialog's designed place on the screen
}

bool TForm1::hasChoice() const
{
    return ListBox1->currentItem() && ListBox2->currentItem();
}

QString TForm1::missingText() const
{
    QStringList lines;
    if (!ListBox1->currentItem())
        lines << QStringLiteral("No interface language: the folder %1 has no sub-folder.")
                     .arg(QDir::toNativeSeparators(ResDir));
    if (!ListBox2->currentItem())
        lines << QStringLiteral("No database: the folder %1 has no sub-folder.").arg(QDir::toNativeSeparators(DatabaseDir));
    return lines.join('\n');
}

void TForm1::done(int result)
{
    storeSelection(ListBox1, InterfaceLang);
    storeSelection(ListBox2, DatabaseLang);
    QDialog::done(result);
}

void TForm1::Button1Click()
{
    accept();
}

void setFirstInfoRunner(FirstInfoRunner r)
{
    runner() = std::move(r);
}

bool ask_firstinfo(QWidget* owner)
{
    TForm1 dialog(owner);
    if (!dialog.hasChoice()) {
        // Language texts may not be loaded yet: a plain box with the fixed text.
        messageBoxes().plain(dialog.missingText());
        return false;
    }
    if (runner())
        runner()(dialog);
    else
        dialog.exec();
    return !InterfaceLang.isEmpty() && !DatabaseLang.isEmpty();
}
