#include "stale_files.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include "log.h"
#include "path_resolver.h"

namespace {

constexpr qint64 kMinimumAgeSeconds = 60;

void removeMatching(const QString& dir, const QRegularExpression& pattern, QStringList& removed)
{
    if (dir.isEmpty()) return;
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-kMinimumAgeSeconds);
    const QFileInfoList entries = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo& info : entries) {
        if (!pattern.match(info.fileName()).hasMatch() || info.lastModified().toUTC() > before) continue;
        if (QFile::remove(info.absoluteFilePath())) {
            removed << info.absoluteFilePath();
            LogLine("stale temporary file removed: " + info.absoluteFilePath().toStdString());
        }
    }
}

} // namespace

QStringList RemoveStaleSaveTemporaries(const QString& exeDir, const QString& ajoutsDir)
{
    QStringList removed;
    // Six letters or digits after the saved file's own name.
    removeMatching(exeDir, QRegularExpression("^(pref\\.ini|categpref\\.bin)\\.[A-Za-z0-9]{6}$",
                                              QRegularExpression::CaseInsensitiveOption),
                   removed);
    // The additions folder may be a link to a folder elsewhere: nothing is deleted there.
    if (StaysInsideFolder(exeDir, ajoutsDir))
        removeMatching(ajoutsDir, QRegularExpression("^Vmar_ajouts_.*\\.txt(\\.bak[0-9]*)?\\.[A-Za-z0-9]{6}$",
                                                     QRegularExpression::CaseInsensitiveOption),
                       removed);
    return removed;
}
