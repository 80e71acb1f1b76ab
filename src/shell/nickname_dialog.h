#pragma once
// The nickname dialog: asks for the nickname that the additions file carries.
#include <functional>
#include <optional>
#include <string>

#include <QDialog>

class QLineEdit;
class QPushButton;

constexpr int kPseudoMaxLength = 40; // characters, one Windows-1252 byte each

class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* owner = nullptr);

    // The edit's text as Windows-1252 bytes; nothing when a character has no such form.
    std::optional<std::string> pseudo() const;

    // Every way of closing returns the text, so none may close while the text has no
    // Windows-1252 form: the dialog then shows message S16 and stays open.
    void done(int result) override;

    // Controls; owned by the dialog.
    QLineEdit* Edit1 = nullptr;     // at most 40 characters
    QPushButton* Button1 = nullptr; // the default button

public slots:
    void Button1Click();
};

// How ask_pseudo runs the dialog: exec() by default. A test installs a runner that types
// into Edit1 and closes the dialog without a modal loop; an empty function restores exec().
using PseudoRunner = std::function<void(TForm6&)>;
void setPseudoRunner(PseudoRunner runner);

// Runs the nickname dialog owned by `owner` and returns what the edit holds when it
// closes, whichever way it was closed: Windows-1252 bytes, at most 40 of them.
std::string ask_pseudo(QWidget* owner);
