#pragma once
// A request from outside to end the program (SIGTERM, SIGINT). Open dialogs and message boxes
// close as Cancel first; once their nested event loops have returned to the main loop, the main
// window closes the normal way (settings written, unsaved additions asked about) and the
// program quits. Closing from inside a nested loop would free the window under the dialog
// that is still running on it.
#include <functional>

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

class TerminationHandler : public QObject {
    Q_OBJECT
public:
    explicit TerminationHandler(QObject* parent = nullptr);

    void setWindow(QWidget* window) { window_ = window; }
    // Called from the main event loop itself (a zero timer posted before it starts): loops
    // deeper than this one are nested ones.
    void mainLoopStarted();
    // The request; acted on at once where possible, else as soon as the loops allow.
    void request();
    bool pending() const { return pending_; }
    // Ends the program once the window has closed.
    std::function<void()> quit = [] { QCoreApplication::quit(); };

private:
    void step();

    QPointer<QWidget> window_;
    QTimer retry_;
    int mainLevel_ = -1; // event loop level of the main loop; -1 before it runs
    bool pending_ = false;
};

// Closes open popups, then the modal dialogs and boxes from the innermost out, each as Cancel
// (a box's escape button, a dialog's reject). False when one of them stays open.
bool closeModalWidgets();
