#pragma once
// Modal message boxes behind an interface, so tests can answer them.
#include <QString>

class QWidget;

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

// The boxes in use: Qt's QMessageBox unless a test installed its own.
MessageBoxes& messageBoxes();
// Installs boxes (not owned); nullptr restores Qt's.
void setMessageBoxes(MessageBoxes* boxes);
// The window the boxes are centred on; nullptr for none.
void setMessageBoxParent(QWidget* parent);
