// Vector files: any bytes convert into well-formed blocks without reading past the input.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "vector_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryStream out;
    size_t blocks = ConvertVectorBytes(data, size, out);
    // Walk the converted stream as the map paint does.
    size_t pos = 0, seen = 0;
    while (pos + 2 <= out.size()) {
        uint16_t n;
        std::memcpy(&n, out.data.data() + pos, 2);
        if (n == 0) __builtin_trap();
        pos += 2 + size_t(n) * 8;
        ++seen;
    }
    if (pos != out.size() || seen != blocks || out.size() > size * 2) __builtin_trap();
    return 0;
}
