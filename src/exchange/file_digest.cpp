#include "file_digest.h"

#include <memory>
#include <vector>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <openssl/evp.h>

#include "file_io.h"

namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX* c) const { EVP_MD_CTX_free(c); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;

std::string toHex(const unsigned char* bytes, unsigned n)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex(size_t(n) * 2, '0');
    for (unsigned i = 0; i < n; ++i) {
        hex[2 * i] = digits[bytes[i] >> 4];
        hex[2 * i + 1] = digits[bytes[i] & 15];
    }
    return hex;
}

} // namespace

std::string FileMd5Hex(const QString& path, const std::function<void()>& pump)
{
    // Something other than a regular file (a FIFO would block, a device never end) has no
    // digest that a listed one can match.
    if (QFileInfo::exists(path) && !IsRegularFile(path)) return std::string();
    // libcrypto's MD5 (already loaded for the network client) runs hand-tuned code for this
    // processor, well ahead of a portable one on large files.
    const DigestContext ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) != 1) return std::string();
    QFile f(path);
    // Unbuffered: each piece goes from the page cache straight into piece, not through
    // QFile's own buffer first.
    if (f.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        // Pieces small enough to stay in the processor's cache between the copy and the digest.
        std::vector<char> piece(size_t(128) << 10);
        QElapsedTimer sincePump;
        sincePump.start();
        for (;;) {
            const qint64 got = f.read(piece.data(), qint64(piece.size()));
            if (got <= 0) break;
            EVP_DigestUpdate(ctx.get(), piece.data(), size_t(got));
            if (pump && sincePump.elapsed() >= 50) {
                pump();
                sincePump.restart();
            }
        }
        // A read error part way is no complete file: it cannot match any listed digest,
        // so it is digested as what was read, and the file is fetched again.
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    if (EVP_DigestFinal_ex(ctx.get(), digest, &length) != 1) return std::string();
    return toHex(digest, length);
}
