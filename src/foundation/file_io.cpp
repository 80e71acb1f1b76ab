#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "folders.h"
#include "log.h"
#include "path_resolver.h"

namespace {
// A descriptor closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Says why a file is not read: into why when given (a worker thread hands its lines back),
// else into the log.
void refuse(const std::string& reason, const QString& path, std::string* why)
{
    const std::string line = reason + ", not read: " + path.toStdString();
    if (why)
        *why = line;
    else
        LogLine(line);
}

// Opens path for reading when it is a regular file (links followed) of at most cap bytes.
// A FIFO, a device or a folder is never opened for reading, so nothing blocks or runs on
// without end; a refused file is named (see refuse). -1 when refused or missing.
int openRegular(const QString& path, int64_t cap, int64_t& size, std::string* why)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) return -1;
    if (!S_ISREG(st.st_mode)) {
        refuse("not a regular file", path, why);
        return -1;
    }
    // Non-blocking, so that a FIFO put in its place after the check cannot stall the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        refuse("not a regular file", path, why);
        return -1;
    }
    if (int64_t(st.st_size) > cap) {
        ::close(fd);
        refuse("file larger than " + std::to_string(cap) + " bytes", path, why);
        return -1;
    }
    size = int64_t(st.st_size);
    return fd;
}

// Reads up to want bytes; the count read, or -1 on a read error.
int64_t readUpTo(int fd, uint8_t* data, int64_t want)
{
    int64_t got = 0;
    while (got < want) {
        const ssize_t n = ::read(fd, data + got, size_t(want - got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += n;
    }
    return got;
}

template <class Buffer>
bool readWhole(const QString& path, Buffer& out, int64_t cap, std::string* why)
{
    int64_t size = 0;
    const FileDescriptor fd(openRegular(path, cap, size, why));
    if (fd.get() < 0) return false;
    Buffer buf;
    buf.resize(size_t(size));
    const int64_t got = readUpTo(fd.get(), buf.data(), size);
    if (got < 0) return false;
    // A file that shrank since it was measured gives what it still holds.
    buf.resize(size_t(got));
    out.swap(buf);
    return true;
}
} // namespace

bool ReadWholeFile(const QString& path, std::vector<uint8_t>& out, int64_t cap, std::string* why)
{
    return readWhole(path, out, cap, why);
}
bool ReadWholeFile(const QString& path, ByteBuffer& out, int64_t cap, std::string* why)
{
    return readWhole(path, out, cap, why);
}

bool IsRegularFile(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadableRegularFile(const QString& path, int64_t cap, std::string* why)
{
    int64_t size = 0;
    const FileDescriptor fd(openRegular(path, cap, size, why));
    return fd.get() >= 0;
}

bool ReadTextFileCapped(const QString& path, std::string& out, int64_t cap)
{
    // Only a regular file is opened; its size does not matter, as only the head is read.
    int64_t size = 0;
    const FileDescriptor fd(openRegular(path, std::numeric_limits<int64_t>::max(), size, nullptr));
    if (fd.get() < 0) return false;
    std::string text(size_t(std::min(size, cap + 1)), '\0');
    const int64_t got = readUpTo(fd.get(), reinterpret_cast<uint8_t*>(text.data()), int64_t(text.size()));
    if (got < 0) return false;
    text.resize(size_t(got));
    if (int64_t(text.size()) > cap) {
        text.resize(size_t(cap));
        const size_t lastBreak = text.find_last_of("\r\n");
        text.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
        LogLine("text file larger than " + std::to_string(cap) + " bytes, the rest ignored: " + path.toStdString());
    }
    out.swap(text);
    return true;
}

bool WriteStaysInProgramFolder(const QString& path)
{
    if (ExeDir.isEmpty()) return true;
    const QString root = QDir::cleanPath(QFileInfo(ExeDir).absoluteFilePath());
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (target != root && !target.startsWith(root + '/')) return true;
    return StaysInsideFolder(root, target);
}

bool WriteFileAtomic(const QString& path, const void* data, size_t size, QString* error)
{
    // The save writes a temporary file beside the target and renames it over the target
    // (following a link there): neither may land outside the program folder.
    if (!WriteStaysInProgramFolder(path)) {
        if (error) *error = "symbolic link leading outside the program folder: " + path;
        LogLine("write refused, symbolic link leading outside the program folder: " + path.toStdString());
        return false;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error) *error = f.errorString();
        return false;
    }
    if (size && f.write(static_cast<const char*>(data), qint64(size)) != qint64(size)) {
        if (error) *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    // QSaveFile::commit ignores a failure of the final flush of its write buffer (a short
    // write on a full disk or past a file size limit) and would rename a truncated file
    // over the old one; flushing first catches it.
    if (!f.flush()) {
        if (error) *error = f.errorString();
        f.cancelWriting();
        return false;
    }
    if (!f.commit()) {
        if (error) *error = f.errorString();
        return false;
    }
    return true;
}

int CountFileLines(const QString& path)
{
    if (!IsRegularFile(path)) return 0;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return 0;
    QByteArray head = f.read(64 * 1024);
    if (head.isEmpty()) return 1;
    int lines = 0;
    bool pendingText = false;
    for (;;) {
        for (qsizetype i = 0; i < head.size(); ++i) {
            char c = head[i];
            if (c == '\n' || c == '\r') {
                // CR LF is one break
                if (c == '\r' && i + 1 < head.size() && head[i + 1] == '\n') ++i;
                ++lines;
                pendingText = false;
                if (lines >= 8) return 8;
            } else {
                pendingText = true;
            }
        }
        if (f.atEnd()) break;
        head = f.read(64 * 1024);
        if (head.isEmpty()) break;
    }
    if (pendingText) ++lines;
    return lines < 8 ? lines : 8;
}

int64_t GetFileSizeOf(const QString& path)
{
    if (!IsRegularFile(path)) return -1;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return f.size();
}
