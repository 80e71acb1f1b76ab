#include "file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "log.h"

namespace {
template <class Buffer>
bool readWhole(const QString& path, Buffer& out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const qint64 size = f.size();
    Buffer buf;
    if (size > 0 && f.isSequential() == false) {
        buf.resize(size_t(size));
        qint64 got = f.read(reinterpret_cast<char*>(buf.data()), size);
        if (got != size) return false;
    } else {
        QByteArray all = f.readAll();
        buf.assign(all.begin(), all.end());
    }
    if (f.error() != QFileDevice::NoError) return false;
    out.swap(buf);
    return true;
}
} // namespace

bool ReadWholeFile(const QString& path, std::vector<uint8_t>& out) { return readWhole(path, out); }
bool ReadWholeFile(const QString& path, ByteBuffer& out) { return readWhole(path, out); }

bool ReadTextFileCapped(const QString& path, std::string& out, int64_t cap)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(cap + 1);
    if (f.error() != QFileDevice::NoError) return false;
    std::string text(head.constData(), size_t(head.size()));
    if (int64_t(text.size()) > cap) {
        text.resize(size_t(cap));
        const size_t lastBreak = text.find_last_of("\r\n");
        text.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
        LogLine("text file larger than " + std::to_string(cap) + " bytes, the rest ignored: " + path.toStdString());
    }
    out.swap(text);
    return true;
}

bool WriteFileAtomic(const QString& path, const void* data, size_t size, QString* error)
{
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
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return f.size();
}
