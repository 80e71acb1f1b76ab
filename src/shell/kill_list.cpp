#include "kill_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "cp1252.h"
#include "delphi_conv.h"
#include "log.h"
#include "path_resolver.h"

namespace {
bool insideFolder(const QString& path, const QString& folder)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    const QString dir = QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath();
    return !root.isEmpty() && !dir.isEmpty() && (dir == root || dir.startsWith(root + '/'));
}
// The user's own files: the additions folder, the settings and the category preferences.
bool isUserFile(const QString& path, const QString& exeDir)
{
    const QString root = QFileInfo(exeDir).canonicalFilePath();
    const QString file = QFileInfo(path).canonicalFilePath();
    if (root.isEmpty() || file.isEmpty()) return true;
    const QString rel = QDir(root).relativeFilePath(file).toLower();
    return rel == "pref.ini" || rel == "categpref.bin" || rel.startsWith("ajouts/");
}
} // namespace

QStringList apply_killlist(const QString& exeDir, const QString& killListPath)
{
    QStringList deleted;
    QFile f(killListPath);
    if (!f.exists() || !f.open(QIODevice::ReadOnly)) return deleted;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (const QByteArray& raw : lines) {
        const std::string line = DelphiTrim(std::string(raw.constData(), size_t(raw.size())));
        if (line.empty()) continue;
        const QString name = FromCp1252(line);
        const auto path = ResolveExistingPath(exeDir, name);
        if (!SplitDataPath(name)) {
            LogLine("kill list: refused " + line);
            continue;
        }
        if (!path) continue; // nothing there: the line is skipped
        const QFileInfo info(*path);
        if (!info.isFile() || !insideFolder(*path, exeDir) || isUserFile(*path, exeDir)) {
            LogLine("kill list: not a program file, left alone: " + line);
            continue;
        }
        if (QFile::remove(*path))
            deleted << *path;
        else
            LogLine("kill list: cannot delete " + line);
    }
    return deleted;
}
