#include "kill_list.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "cp1252.h"
#include "delphi_conv.h"
#include "file_io.h"
#include "log.h"
#include "path_resolver.h"

namespace {
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
    std::string text;
    if (!QFileInfo::exists(killListPath) || !ReadTextFileCapped(killListPath, text)) return deleted;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = DelphiTrim(text.substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        const QString name = FromCp1252(line);
        const auto path = ResolveExistingPath(exeDir, name);
        if (!SplitDataPath(name)) {
            LogLine("kill list: refused " + line);
            continue;
        }
        if (!path) continue; // nothing there: the line is skipped
        const QFileInfo info(*path);
        if (!info.isFile() || !StaysInsideFolder(exeDir, *path) || isUserFile(*path, exeDir)) {
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
