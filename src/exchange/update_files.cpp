#include "update_files.h"

#include <cstdio>
#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include "compressed.h"
#include "cp1252.h"
#include "file_digest.h"
#include "file_io.h"
#include "http_client.h"
#include "path_resolver.h"

std::optional<QString> EntryTargetPath(const QString& exeDir, const ttreeup& entry)
{
    const QString name = FromCp1252(entry.FileName);
    if (name.isEmpty() || name.contains('/') || name.contains('\\') || name == "." || name == "..")
        return std::nullopt;
    const QString relative = FromCp1252(entry.Folder) + name;
    // The user's own additions are never replaced by a download.
    const std::optional<QStringList> parts = SplitDataPath(relative);
    if (parts && parts->size() > 1 && parts->front().compare("ajouts", Qt::CaseInsensitive) == 0) return std::nullopt;
    std::optional<QString> target = ResolveDataPath(exeDir, relative);
    // A symbolic link in the folder or as the file itself may lead outside the program
    // folder: the download would then write, create or rename there.
    if (target && !StaysInsideFolder(exeDir, *target)) return std::nullopt;
    return target;
}

CompareOutcome compare_files(std::vector<ttreeup>& entries, const QString& exeDir, bool filter,
                             const std::string& interfaceLang, const std::string& databaseLang,
                             const std::string& refusedStatus, const std::function<void()>& pump)
{
    CompareOutcome out;
    for (ttreeup& e : entries) {
        e.Visible = false;
        const std::optional<QString> target = EntryTargetPath(exeDir, e);
        if (!target) {
            // Never digested, fetched or cleaned; shown so that the user sees it was refused.
            if (EntryConcernsUser(e, filter, interfaceLang, databaseLang)) {
                e.Visible = true;
                e.Fetchable = false;
                e.StatusText = refusedStatus;
                out.folderFailed = true;
                ++out.selected;
            }
            continue;
        }
        if (FileMd5Hex(*target, pump) != e.Md5 && EntryConcernsUser(e, filter, interfaceLang, databaseLang)) {
            e.Visible = true;
            ++out.selected;
            const QString folder = QFileInfo(*target).path();
            if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder)) {
                e.Fetchable = false;
                e.StatusText = refusedStatus;
                out.folderFailed = true;
            }
        }
        if (pump) pump();
    }
    return out;
}

namespace {

// A temporary file in a folder, removed when it goes out of scope unless it was renamed.
std::unique_ptr<QTemporaryFile> makeTemp(const QString& folder)
{
    auto f = std::make_unique<QTemporaryFile>(folder + "/dl.XXXXXX.tmp");
    if (!f->open()) return nullptr;
    return f;
}

// Receives the download into the file; False with the transfer's text in error.
bool downloadfile(const EntryDownload& download, QTemporaryFile& file, std::string& error)
{
    const HttpSink sink = [&file](const char* d, size_t n) { return file.write(d, qint64(n)) == qint64(n); };
    if (!download(sink, error)) return false;
    if (!file.flush()) {
        error = file.errorString().toStdString();
        return false;
    }
    return true;
}

// Puts the downloaded file in place of the target when it has the listed digest: its
// permission bits are the target's (0644 for a new file) and one rename replaces the target,
// so the old file, even a running program, stays whole until then.
bool replace_fic(QTemporaryFile& fresh, const QString& target, const std::string& md5)
{
    if (FileMd5Hex(fresh.fileName()) != md5) return false;
    const QByteArray from = QFile::encodeName(fresh.fileName());
    const QByteArray to = QFile::encodeName(target);
    struct stat old {};
    const mode_t mode = ::stat(to.constData(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fresh.handle(), mode) != 0) return false;
    fresh.close();
    if (std::rename(from.constData(), to.constData()) != 0) return false;
    fresh.setAutoRemove(false);
    return true;
}

} // namespace

FetchResult FetchEntry(HttpClient& http, const QString& exeDir, const ttreeup& entry, std::string& error)
{
    const EntryDownload download = [&http, &entry](const HttpSink& sink, std::string& failure) {
        const HttpResult r = http.get(entry.Url, sink);
        if (!r.ok) failure = r.error;
        return r.ok;
    };
    return ReplaceEntry(exeDir, entry, download, error);
}

FetchResult ReplaceEntry(const QString& exeDir, const ttreeup& entry, const EntryDownload& download,
                         std::string& error)
{
    const std::optional<QString> target = EntryTargetPath(exeDir, entry);
    if (!target) return FetchResult::VerifyFailed;
    const QString folder = QFileInfo(*target).path();
    std::unique_ptr<QTemporaryFile> fresh = makeTemp(folder);
    if (!fresh) {
        error = "Cannot create a temporary file in " + folder.toStdString();
        return FetchResult::DownloadFailed;
    }
    if (entry.Compressed) {
        std::unique_ptr<QTemporaryFile> packed = makeTemp(exeDir);
        if (!packed) {
            error = "Cannot create a temporary file in " + exeDir.toStdString();
            return FetchResult::DownloadFailed;
        }
        if (!downloadfile(download, *packed, error)) return FetchResult::DownloadFailed;
        ByteBuffer bytes, plain;
        if (!ReadWholeFile(packed->fileName(), bytes) || !InflateBytes(bytes.data(), bytes.size(), plain))
            return FetchResult::VerifyFailed;
        if (fresh->write(reinterpret_cast<const char*>(plain.data()), qint64(plain.size())) != qint64(plain.size()) ||
            !fresh->flush()) {
            error = fresh->errorString().toStdString();
            return FetchResult::DownloadFailed;
        }
    } else if (!downloadfile(download, *fresh, error)) {
        return FetchResult::DownloadFailed;
    }
    return replace_fic(*fresh, *target, entry.Md5) ? FetchResult::Replaced : FetchResult::VerifyFailed;
}
