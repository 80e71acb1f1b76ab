// The program: one main window on the program folder the executable lives in.
#include <csignal>
#include <cstdio>
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
#include "preferences_dialog.h"
#include "send_dialog.h"
#include "single_instance.h"
#include "termination.h"
#include "update_dialog.h"
#include "window_message_boxes.h"

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
    installWindowMessageBoxes();
    // A second start on a folder that a running program holds shows that program instead.
    SingleInstance instance(ProgramFolder());
    if (!instance.primary()) {
        if (!instance.showRunning())
            std::fprintf(stderr, "vmarplotter: already running on %s; it did not answer\n", qPrintable(ProgramFolder()));
        return 0;
    }
    MainWindowDialogs dialogs;
    dialogs.firstInfo = [](QWidget* owner) { return ask_firstinfo(owner); };
    dialogs.pseudo = [](QWidget* owner) { return ask_pseudo(owner); };
    dialogs.about = [](QWidget* owner, bool credits) {
        TForm5 box(owner, credits);
        box.exec();
    };
    dialogs.preferences = [](QWidget* owner, const std::vector<QImage>& icons) { return run_preferences(owner, icons); };
    dialogs.update = [](QWidget* owner) { return run_update_dialog(owner); };
    dialogs.send = [](QWidget* owner, bool uploadAllowed) { run_send_dialog(owner, uploadAllowed); };
    // A termination request (logout, kill) closes open dialogs as Cancel, then the window the
    // normal way, so the settings are written and unsaved additions are asked about. It is
    // listened to before the window exists: the first-start dialog runs during its creation.
    TerminationHandler termination;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&termination] {
            char c;
            [[maybe_unused]] ssize_t n = ::read(signalPipe[0], &c, 1);
            termination.request();
        });
        std::signal(SIGTERM, onTerminate);
        std::signal(SIGINT, onTerminate);
    }
    QPointer<TForm4> window;
    // Asked for by a later start: the window to the front, and a dialog open on it above it
    // (the first-start dialog runs before the window exists).
    instance.showRequested = [&window] {
        bringToFront(window);
        if (QWidget* modal = QApplication::activeModalWidget()) bringToFront(modal);
    };
    window = new TForm4(ProgramFolder(), dialogs);
    window->setAttribute(Qt::WA_DeleteOnClose);
    // However the window closed (the user, a termination request, the window system destroying
    // its window), the program ends with it.
    QObject::connect(window, &QObject::destroyed, &app, &QCoreApplication::quit);
    termination.setWindow(window);
    if (!termination.pending()) window->show();
    QTimer::singleShot(0, &termination, &TerminationHandler::mainLoopStarted);
    const int result = app.exec();
    // A window the loop did not get round to deleting is destroyed here, which writes pref.ini.
    delete window.data();
    return result;
}
