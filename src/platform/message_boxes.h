#pragma once
// Modal message boxes behind an interface: the widget-free layers ask through it, the
// application installs the window boxes at start-up, and tests answer them.
#include <QString>

// Results of a confirmation, the values the rest of the program compares against.
constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;
constexpr int kAnswerCancel = 2;

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Information icon, one OK button.
    virtual void information(const QString& text) = 0;
    // Question icon, Yes, No and Cancel; returns kAnswerYes, kAnswerNo or kAnswerCancel
    // (Cancel too when the box is closed otherwise).
    virtual int confirm(const QString& text) = 0;
    // A plain box with no icon, used before any language text is loaded.
    virtual void plain(const QString& text) = 0;
};

// The boxes in use: those a test installed, else the program's own. Until the program
// installs its own, a box's text goes to the warning log and a question is answered
// with Cancel, so nothing waits on a window that cannot be shown.
MessageBoxes& messageBoxes();
// Installs boxes (not owned); nullptr restores the program's own.
void setMessageBoxes(MessageBoxes* boxes);
// The program's own boxes (not owned), installed once at start-up; nullptr for none.
void setProgramMessageBoxes(MessageBoxes* boxes);
