#include "compressed.h"

#include <algorithm>
#include <memory>
#include <new>
#include <type_traits>

#include <QCryptographicHash>
#include <libdeflate.h>
#include <zlib.h>

#include "file_io.h"

namespace {
// zlib's streaming inflate: the reference for what inflates and what fails.
template <class Buffer>
bool zlibInflateInto(const uint8_t* src, size_t size, Buffer& out, size_t cap)
{
    const size_t start = out.size();
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(src);
    size_t inLeft = size;
    // Grow geometrically from a guess of 4x the input; never allocate past the cap.
    size_t want = std::min(cap, std::max<size_t>(size * 4, 4096));
    int rc = Z_OK;
    bool ok = false;
    try {
        for (;;) {
            if (out.size() - start == want) {
                if (want >= cap) {
                    // Full at the cap: accept only a stream that ends without another byte.
                    uint8_t probe;
                    zs.next_out = &probe;
                    zs.avail_out = 1;
                    if (zs.avail_in == 0 && inLeft) {
                        zs.avail_in = uInt(std::min<size_t>(inLeft, 1u << 30));
                        inLeft -= zs.avail_in;
                    }
                    rc = inflate(&zs, Z_NO_FLUSH);
                    ok = rc == Z_STREAM_END && zs.avail_out == 1;
                    break;
                }
                want = std::min(cap, want * 2);
            }
            size_t produced = out.size() - start;
            size_t room = want - produced;
            out.resize(start + want);
            uInt chunkOut = uInt(std::min<size_t>(room, 1u << 30));
            zs.next_out = out.data() + start + produced;
            zs.avail_out = chunkOut;
            if (zs.avail_in == 0 && inLeft) {
                zs.avail_in = uInt(std::min<size_t>(inLeft, 1u << 30));
                inLeft -= zs.avail_in;
            }
            rc = inflate(&zs, Z_NO_FLUSH);
            size_t got = chunkOut - zs.avail_out;
            out.resize(start + produced + got);
            if (rc == Z_STREAM_END) {
                ok = true;
                break;
            }
            if (rc != Z_OK && rc != Z_BUF_ERROR) break;
            if (rc == Z_BUF_ERROR && zs.avail_in == 0 && inLeft == 0) break; // truncated
            if (got == 0 && zs.avail_in == 0 && inLeft == 0) break;
        }
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    inflateEnd(&zs);
    if (!ok) out.resize(start);
    return ok;
}

struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// Whole-buffer inflate, about twice as fast as zlib's on the large files: the output
// buffer is sized up front, doubled and decoded again while it is too small, never past the
// cap. A buffer that is not zero-filled takes 8x the input at once: the pages past the
// inflated end are never touched, and data files rarely inflate further. A stream that
// decodes validly past the cap fails whole here, as it does in zlib's; any other stream it
// refuses goes through zlib's inflate as well, so that a stream zlib takes is never lost.
template <class Buffer>
bool inflateInto(const uint8_t* src, size_t size, Buffer& out, size_t cap)
{
    const size_t start = out.size();
    constexpr size_t guess = std::is_same_v<Buffer, ByteBuffer> ? 8 : 4;
    try {
        std::unique_ptr<libdeflate_decompressor, DecompressorFree> d(libdeflate_alloc_decompressor());
        if (!d) throw std::bad_alloc();
        size_t want = std::min(cap, std::max<size_t>(size * guess, 4096));
        for (;;) {
            out.resize(start + want);
            size_t got = 0;
            const libdeflate_result rc =
                libdeflate_zlib_decompress(d.get(), src, size, out.data() + start, want, &got);
            if (rc == LIBDEFLATE_SUCCESS) {
                out.resize(start + got);
                return true;
            }
            if (rc != LIBDEFLATE_INSUFFICIENT_SPACE) break;
            out.resize(start); // the larger buffer copies only what came before
            if (want >= cap) return false;
            want = want > cap / 2 ? cap : want * 2;
        }
    } catch (const std::bad_alloc&) {
        // No room for the whole buffer at once: zlib's inflate grows it only as far as needed.
    }
    out.resize(start);
    return zlibInflateInto(src, size, out, cap);
}
} // namespace

bool InflateBytes(const uint8_t* src, size_t size, std::vector<uint8_t>& out, size_t cap)
{
    return inflateInto(src, size, out, cap);
}

bool InflateBytes(const uint8_t* src, size_t size, ByteBuffer& out, size_t cap)
{
    return inflateInto(src, size, out, cap);
}

bool ZlibInflateBytes(const uint8_t* src, size_t size, ByteBuffer& out, size_t cap)
{
    return zlibInflateInto(src, size, out, cap);
}

std::vector<uint8_t> DeflateBytes(const uint8_t* src, size_t size, int level)
{
    uLongf bound = compressBound(uLong(size));
    std::vector<uint8_t> out(bound);
    if (compress2(out.data(), &bound, src, uLong(size), level) != Z_OK) return {};
    out.resize(bound);
    return out;
}

bool LoadCompressedFile(MemoryStream& stream, const QString& path)
{
    ByteBuffer packed;
    if (!ReadWholeFile(path, packed)) return false;
    if (stream.position >= stream.data.size()) {
        // Appending: inflate straight into the stream. A position past the end leaves a
        // gap of zeros, as a write there would; a failure takes the gap away again.
        const size_t oldSize = stream.data.size();
        stream.data.resize(stream.position, 0);
        if (!InflateBytes(packed.data(), packed.size(), stream.data)) {
            stream.data.resize(oldSize);
            return false;
        }
        stream.position = stream.data.size();
        return true;
    }
    ByteBuffer plain;
    if (!InflateBytes(packed.data(), packed.size(), plain)) return false;
    stream.write(plain.data(), plain.size());
    return true;
}

bool DecompressFile(const QString& source, const QString& destination)
{
    ByteBuffer packed, plain;
    if (!ReadWholeFile(source, packed)) return false;
    if (!InflateBytes(packed.data(), packed.size(), plain)) return false;
    return WriteFileAtomic(destination, plain.data(), plain.size());
}

std::string Md5Hex(const std::string& bytes)
{
    QByteArray d = QCryptographicHash::hash(QByteArrayView(bytes.data(), qsizetype(bytes.size())),
                                            QCryptographicHash::Md5);
    return d.toHex().toStdString();
}

void ScrambleStream(MemoryStream& stream, const std::string& key)
{
    const std::string k = Md5Hex(key);
    for (size_t i = 0; i < stream.data.size(); ++i) stream.data[i] ^= uint8_t(k[i % 32]);
}
