#include "mail_client.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>

int HandMailToClient(const MailRequest& mail)
{
    const QString program = QStandardPaths::findExecutable("xdg-email");
    if (program.isEmpty()) return 1;
    QStringList args{"--subject", mail.subject, "--body", mail.body};
    if (!mail.attachment.isEmpty()) args << "--attach" << mail.attachment;
    args << mail.address;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, args);
    if (!process.waitForStarted()) return 1;
    while (!process.waitForFinished(50)) {
        if (process.state() == QProcess::NotRunning) break;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    if (process.exitStatus() != QProcess::NormalExit) return 1;
    return process.exitCode();
}
