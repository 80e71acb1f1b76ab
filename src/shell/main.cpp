// The program: one main window on the program folder the executable lives in.
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include "about_dialog.h"
#include "first_start_dialog.h"
#include "main_window.h"
#include "nickname_dialog.h"
#include "send_dialog.h"
#include "update_dialog.h"
#include "http_client.h"

namespace {
int signalPipe[2] = {-1, -1};

void onTerminate(int)
{
    const char c = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &c, 1);
}
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vmar plotterwerk");
    MainWindowDialogs dialogs;
    dialogs.firstInfo = [](QWidget* owner) { return ask_firstinfo(owner); };
    dialogs.pseudo = [](QWidget* owner) { return ask_pseudo(owner); };
    dialogs.about = [](QWidget* owner, bool credits) {
        TForm5 box(owner, credits);
        box.exec();
    };
    dialogs.update = [](QWidget* owner) { return run_update_dialog(owner); };
    dialogs.send = [](QWidget* owner, bool uploadAllowed) { run_send_dialog(owner, uploadAllowed); };
    QPointer<TForm4> window;
    bool terminating = false;

    // A termination request (logout, kill) closes the window the normal way, so the
    // settings are written and unsaved additions are asked about. It is heard from the
    // start: the update dialog may run while the window is still being made.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&window, &terminating, &app] {
            char c;
            [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &c, 1);
            terminating = true;
            // A transfer in progress is ended first; then the dialogs close, innermost first,
            // then the window.
            AbortAllTransfers();
            auto* retry = new QTimer(&app);
            retry->start(50);
            // The window closes only once no dialog runs: a dialog's loop would otherwise
            // delete the window, and with it the dialog, under the dialog's feet.
            QObject::connect(retry, &QTimer::timeout, &app, [&window, retry] {
                if (AnyTransferBusy()) return;
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    modal->close();
                    return;
                }
                retry->deleteLater();
                if (window) window->close();
            });
        });
        std::signal(SIGTERM, onTerminate);
        std::signal(SIGINT, onTerminate);
    }
    window = new TForm4(ProgramFolder(), dialogs);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (terminating) {
        // Ended during start-up: no database is loaded yet; the settings are written.
        delete window.data();
        return 0;
    }
    window->show();
    return app.exec();
}
