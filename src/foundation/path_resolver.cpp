#include "path_resolver.h"

#include <QDir>
#include <QFileInfo>

#include "cp1252.h"
#include "text_helpers.h"

std::optional<QStringList> SplitDataPath(const QString& relative)
{
    if (relative.isEmpty() || relative.startsWith('/') || relative.startsWith('\\')) return std::nullopt;
    if (relative.size() >= 2 && relative[1] == ':') return std::nullopt;
    QString r = relative;
    r.replace('\\', '/');
    QStringList parts = r.split('/');
    for (const QString& p : parts)
        if (p.isEmpty() || p == "." || p == "..") return std::nullopt;
    return parts;
}

std::optional<QString> FindEntryNoCase(const QString& dir, const QString& name)
{
    if (name.isEmpty() || name.contains('/')) return std::nullopt;
    if (QFileInfo::exists(dir + name)) return name;
    const QStringList entries = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0) return e;
    return std::nullopt;
}

std::optional<QString> FindFolderNormalized(const QString& dir, const QString& name)
{
    // "." and ".." name no sub-folder, and a separator would reach further down or out.
    if (name.isEmpty() || name == "." || name == ".." || name.contains('/') || name.contains('\\'))
        return std::nullopt;
    if (QFileInfo(dir + name).isDir()) return name;
    auto want = ToCp1252(name);
    if (!want) return std::nullopt;
    const std::string key = NormalizeText(*want);
    const QStringList entries = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries) {
        auto bytes = ToCp1252(e);
        if (bytes && NormalizeText(*bytes) == key) return e;
    }
    return std::nullopt;
}

std::optional<QString> ResolveDataPath(const QString& base, const QString& relative)
{
    auto parts = SplitDataPath(relative);
    if (!parts) return std::nullopt;
    QString path = base;
    bool exists = true;
    for (int i = 0; i < parts->size(); ++i) {
        const QString& part = (*parts)[i];
        std::optional<QString> found = exists ? FindEntryNoCase(path, part) : std::nullopt;
        if (!found) exists = false;
        path += found ? *found : part;
        if (i + 1 < parts->size()) path += '/';
    }
    return path;
}

std::optional<QString> ResolveExistingPath(const QString& base, const QString& relative)
{
    auto p = ResolveDataPath(base, relative);
    if (!p || !QFileInfo::exists(*p)) return std::nullopt;
    return p;
}

bool StaysInsideFolder(const QString& root, const QString& path)
{
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    if (realRoot.isEmpty()) return false;
    // Walk up to the deepest part of the path that exists; the parts below it do not exist
    // yet, so they hold no link, and are appended as written.
    QString existing = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString rest;
    for (;;) {
        const QFileInfo info(existing);
        if (info.exists()) break;
        // A dangling link would be created wherever it points.
        if (info.isSymLink()) return false;
        const QString parent = info.path();
        if (parent == existing) return false;
        rest = rest.isEmpty() ? info.fileName() : info.fileName() + '/' + rest;
        existing = parent;
    }
    QString real = QFileInfo(existing).canonicalFilePath();
    if (real.isEmpty()) return false;
    if (!rest.isEmpty()) real += '/' + rest;
    return real == realRoot || real.startsWith(realRoot.endsWith('/') ? realRoot : realRoot + '/');
}
