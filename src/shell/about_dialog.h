#pragma once
// The about box: the program's readme.txt on one page and the credits of the chosen
// database (its compressed creditlist.inf) on the other.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QShowEvent;
class QTabWidget;
class QWidget;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    // Reads readme.txt from ExeDir and creditlist.inf from DatabaseLangDir and translates
    // the form with the loaded language texts. With creditsPage the credits page is the
    // one shown; the caller then runs the box modally (exec).
    explicit TForm5(QWidget* owner = nullptr, bool creditsPage = false);

    // Controls; owned by the dialog.
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr; // "Infos": the readme
    QWidget* TabSheet2 = nullptr; // "Crédits": the database's contributors
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPushButton* Button1 = nullptr; // Tag 30, the default button

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void loadReadme();
    void loadCredits();
};
