#include "single_instance.h"

#include <cstdio>

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QWidget>

namespace {
const QByteArray showRequest = "show\n";
const QByteArray shownReply = "shown\n";

QString lockFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return folder;
}
} // namespace

QString SingleInstance::keyFor(const QString& programFolder)
{
    QString path = QFileInfo(programFolder).canonicalFilePath();
    if (path.isEmpty()) path = QDir::cleanPath(QDir(programFolder).absolutePath());
    const QByteArray digest = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex();
    return "vmarplotter-" + QString::fromLatin1(digest.left(24));
}

SingleInstance::SingleInstance(const QString& programFolder, QObject* parent)
    : QObject(parent), key_(keyFor(programFolder))
{
    lock_ = std::make_unique<QLockFile>(QDir(lockFolder()).filePath(key_ + ".lock"));
    // Held for as long as the program runs; a lock left by a program that died is taken over
    // (its process is gone), however old it is.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        listen();
        return;
    }
    if (lock_->error() == QLockFile::LockFailedError) {
        primary_ = false;
        return;
    }
    std::fprintf(stderr, "vmarplotter: cannot make the lock %s; a second start on this folder is not prevented\n",
                 qPrintable(lock_->fileName()));
}

SingleInstance::~SingleInstance() = default;

void SingleInstance::listen()
{
    // The lock is ours, so a socket of that name is one a program that died left behind.
    QLocalServer::removeServer(key_);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(key_)) {
        std::fprintf(stderr, "vmarplotter: a later start on this folder cannot reach this one: %s\n",
                     qPrintable(server_->errorString()));
        return;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) return;
                if (socket->readLine() != showRequest) {
                    socket->disconnectFromServer();
                    return;
                }
                if (showRequested) showRequested();
                socket->write(shownReply);
                socket->flush();
            });
        }
    });
}

bool SingleInstance::showRunning(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(key_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(showRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    while (!socket.canReadLine())
        if (!socket.waitForReadyRead(timeoutMs)) return false;
    return socket.readLine() == shownReply;
}

void bringToFront(QWidget* window)
{
    if (!window) return;
    if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    if (window->isVisible()) {
        window->raise();
        window->activateWindow();
    }
}
