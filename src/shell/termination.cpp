#include "termination.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QThread>
#include <QWidget>

#include "http_client.h"

bool closeModalWidgets()
{
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup) return false;
    }
    while (QWidget* modal = QApplication::activeModalWidget()) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box && box->escapeButton())
            box->escapeButton()->click();
        else if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal) return false; // it refused to close
    }
    return true;
}

TerminationHandler::TerminationHandler(QObject* parent) : QObject(parent)
{
    retry_.setSingleShot(true);
    retry_.setInterval(50);
    connect(&retry_, &QTimer::timeout, this, &TerminationHandler::step);
}

void TerminationHandler::mainLoopStarted()
{
    mainLevel_ = QThread::currentThread()->loopLevel();
    if (pending_) step();
}

void TerminationHandler::request()
{
    pending_ = true;
    AbortAllTransfers(); // a transfer in progress ends first; its dialog can then close
    step();
}

void TerminationHandler::step()
{
    if (!pending_) return;
    if (AnyTransferBusy()) {
        retry_.start();
        return;
    }
    const bool closed = closeModalWidgets();
    // Each closed dialog returns from its own loop once this handler has returned.
    if (!closed || mainLevel_ < 0 || QThread::currentThread()->loopLevel() > mainLevel_ ||
        QApplication::activeModalWidget()) {
        retry_.start();
        return;
    }
    pending_ = false;
    if (window_ && !window_->close()) return; // the save question was cancelled: the program stays
    if (quit) quit();
}
