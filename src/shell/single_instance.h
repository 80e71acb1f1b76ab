#pragma once
// One running program per program folder. Two programs on one folder would each write the
// additions file, pref.ini and categpref.bin from their own state, so the one that saves last
// silently drops what the other saved. The first start holds a lock named after the folder
// and listens for later starts; a later start asks it to show its window and ends without
// loading or writing anything.
#include <functional>
#include <memory>

#include <QObject>
#include <QString>

class QLocalServer;
class QLockFile;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // Takes the folder's lock when no live program holds it. When the lock cannot be made at
    // all (no writable runtime folder), the program runs unguarded rather than not at all.
    explicit SingleInstance(const QString& programFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the one running on the folder.
    bool primary() const { return primary_; }
    // A later start: asks the running program to show its window. True once it has answered.
    bool showRunning(int timeoutMs = 3000);
    // Called in the running program when a later start asks for its window.
    std::function<void()> showRequested;

    // The name of the lock and of the local socket for a folder (its canonical path hashed),
    // so that two spellings of one folder share them.
    static QString keyFor(const QString& programFolder);

private:
    void listen();

    QString key_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool primary_ = true;
};

// Brings a window to the front: restored when minimized, raised and activated.
class QWidget;
void bringToFront(QWidget* window);
