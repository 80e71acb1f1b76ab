#include "file_digest.h"

#include <vector>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include "file_io.h"

std::string FileMd5Hex(const QString& path, const std::function<void()>& pump)
{
    // Something other than a regular file (a FIFO would block, a device never end) has no
    // digest that a listed one can match.
    if (QFileInfo::exists(path) && !IsRegularFile(path)) return std::string();
    QCryptographicHash hash(QCryptographicHash::Md5);
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        std::vector<char> piece(size_t(1) << 20);
        QElapsedTimer sincePump;
        sincePump.start();
        for (;;) {
            const qint64 got = f.read(piece.data(), qint64(piece.size()));
            if (got <= 0) break;
            hash.addData(QByteArrayView(piece.data(), got));
            if (pump && sincePump.elapsed() >= 50) {
                pump();
                sincePump.restart();
            }
        }
        // A read error part way is no complete file: it cannot match any listed digest,
        // so it is digested as what was read, and the file is fetched again.
    }
    return hash.result().toHex().toStdString();
}
