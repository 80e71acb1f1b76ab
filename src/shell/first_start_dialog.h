#pragma once
// The first-start dialog: picks the interface language (a sub-folder of res/) and the
// database (a sub-folder of database/) before any language text is loaded, so its texts
// are fixed.
#include <functional>

#include <QDialog>
#include <QString>

class QLabel;
class QListWidget;
class QPushButton;

class TForm1 : public QDialog {
    Q_OBJECT
public:
    // Lists the sub-folders of ResDir and DatabaseDir, each with "Francais" (letter case
    // and accents ignored) preselected, else the first entry.
    explicit TForm1(QWidget* owner = nullptr);

    // True when both lists offer an entry, so that closing stores a language and a database.
    bool hasChoice() const;
    // Why there is no choice: one line per list left empty, naming the folder that has no
    // sub-folder; empty when hasChoice().
    QString missingText() const;

    // Every way of closing (the button, Escape, the window being closed) ends here and
    // stores the selected entries in InterfaceLang and DatabaseLang. An empty list stores
    // nothing: its global keeps its value.
    void done(int result) override;

    // Controls; owned by the dialog.
    QLabel* Label1 = nullptr; // "Interface"
    QListWidget* ListBox1 = nullptr;
    QLabel* Label2 = nullptr; // "Database"
    QListWidget* ListBox2 = nullptr;
    QPushButton* Button1 = nullptr; // "ok", the default button; disabled without a choice

public slots:
    void Button1Click();
};

// How ask_firstinfo runs the dialog: exec() by default. A test installs a runner that
// answers the dialog (selects entries, then accept(), reject() or close()) without a
// modal loop; an empty function restores exec().
using FirstInfoRunner = std::function<void(TForm1&)>;
void setFirstInfoRunner(FirstInfoRunner runner);

// Runs the first-start dialog owned by `owner`. True when a language and a database were
// chosen: InterfaceLang and DatabaseLang then hold them. When res/ or database/ has no
// sub-folder there is nothing to choose: a message names the empty folder, the dialog is
// not run, both globals keep their values, and the result is False, so the caller can stop.
bool ask_firstinfo(QWidget* owner);
