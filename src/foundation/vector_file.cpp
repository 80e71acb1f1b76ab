#include "vector_file.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "file_io.h"

namespace {
// Every 16-bit coordinate divided by 65535, computed once.
const std::array<float, 65536>& fractionTable()
{
    static const std::array<float, 65536> table = [] {
        std::array<float, 65536> t{};
        for (int i = 0; i < 65536; ++i) t[i] = float(double(i) / 65535.0);
        return t;
    }();
    return table;
}
} // namespace

size_t ConvertVectorBytes(const uint8_t* data, size_t size, MemoryStream& out)
{
    const auto& frac = fractionTable();
    // Each input point of 4 bytes becomes 8: reserve the worst case at once.
    const size_t start = out.position;
    const size_t oldSize = out.data.size();
    if (oldSize < start) out.data.resize(start, 0); // a gap before the position reads as zeros
    if (out.data.size() < start + size * 2 + 2) out.data.resize(start + size * 2 + 2);
    uint8_t* dst = out.data.data() + start;
    size_t pos = 0, blocks = 0;
    while (size - pos >= 2) {
        uint16_t n = uint16_t(data[pos] | data[pos + 1] << 8);
        size_t need = size_t(n) * 4;
        if (n == 0) {
            pos += 2;
            continue;
        }
        if (size - pos - 2 < need) break; // truncated block: nothing after it is trustworthy
        std::memcpy(dst, &n, 2);
        dst += 2;
        const uint8_t* p = data + pos + 2;
        for (size_t i = 0; i < n; ++i, p += 4) {
            uint16_t x = uint16_t(p[0] | p[1] << 8);
            uint16_t y = uint16_t(p[2] | p[3] << 8);
            float fx = frac[x];
            float fy = frac[65535 - y];
            std::memcpy(dst, &fx, 4);
            std::memcpy(dst + 4, &fy, 4);
            dst += 8;
        }
        pos += 2 + need;
        ++blocks;
    }
    size_t end = size_t(dst - out.data.data());
    // Bytes the stream already held beyond the written range stay; only our slack goes.
    out.data.resize(std::max(end, oldSize));
    out.position = end;
    return blocks;
}

void LoadVectorFile(const QString& path, MemoryStream& stream)
{
    ByteBuffer raw;
    if (!ReadWholeFile(path, raw, kVectorFileCap)) return;
    ConvertVectorBytes(raw.data(), raw.size(), stream);
}
