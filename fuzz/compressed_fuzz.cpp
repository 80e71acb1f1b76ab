// Compressed data files: any bytes either inflate or fail whole, never beyond the cap, and
// agree with zlib's inflate.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include "compressed.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A small cap so that inflate bombs reach it quickly.
    std::vector<uint8_t> out = {1, 2, 3};
    bool ok = InflateBytes(data, size, out, 1 << 20);
    if (!ok && out.size() != 3) __builtin_trap();
    if (out.size() > 3 + (1 << 20)) __builtin_trap();

    // Against zlib's streaming inflate: whatever zlib takes inflates to the same bytes, and
    // whatever fails here fails in zlib too. The whole-buffer decoder also takes two code
    // forms zlib refuses (the fixed code's length symbols 286 and 287, read as 258, and the
    // unused codeword of a one-symbol code); it still needs the stream's checksum to match
    // what it decoded, so such a stream is accepted only when made that way on purpose.
    ByteBuffer reference = {1, 2, 3};
    const bool zlibOk = ZlibInflateBytes(data, size, reference, 1 << 20);
    if (zlibOk && (!ok || !std::equal(out.begin(), out.end(), reference.begin(), reference.end())))
        __builtin_trap();
    if (!zlibOk && reference.size() != 3) __builtin_trap();

    // The file route once in a while, through a real file.
    if (size > 0 && data[0] == 0x78 && size % 7 == 0) {
        static QTemporaryDir dir;
        const QString path = dir.path() + "/f.bin";
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) {
            f.write(reinterpret_cast<const char*>(data), qint64(size));
            f.close();
            MemoryStream s;
            s.write("abc", 3);
            s.position = 1;
            if (!LoadCompressedFile(s, path) && s.toString() != "abc") __builtin_trap();
        }
    }
    return 0;
}
