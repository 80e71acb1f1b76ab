// The text tables (mobspec.txt, color.txt, type.txt): any bytes give names without line
// breaks, attribute colours that are not 0, ten named colours less one per comment
// among the first ten lines, and one type name per line after the header, 256 at most.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "data_model.h"

namespace {

std::vector<std::string> lines(const std::string& t)
{
    std::vector<std::string> out;
    size_t start = 0;
    while (start < t.size()) {
        size_t end = t.find_first_of("\r\n", start);
        if (end == std::string::npos) end = t.size();
        out.push_back(t.substr(start, end - start));
        if (end >= t.size()) break;
        start = end + 1;
        if (t[end] == '\r' && start < t.size() && t[start] == '\n') ++start;
    }
    return out;
}

bool hasBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> ls = lines(text);
    TData_common c;

    c.LoadMobSpecsText(text);
    if (c.specNames.size() > ls.size() || c.specColors.size() > ls.size()) __builtin_trap();
    for (const tboolspec& s : c.specNames)
        if (s.name.empty() || hasBreak(s.name)) __builtin_trap();
    for (const rSpecColor& s : c.specColors)
        if (s.colour == 0 || s.colour > 0xFFFFFF) __builtin_trap();

    c.LoadColorsText(&text);
    size_t comments = 0;
    for (size_t i = 0; i < ls.size() && i < 10; ++i)
        if (!ls[i].empty() && ls[i][0] == '#') ++comments;
    if (c.colors.size() != 10 - comments) __builtin_trap();
    for (const rColor& k : c.colors)
        if (k.name.size() > 10 || hasBreak(k.name) || k.colour > 0xFFFFFF) __builtin_trap();
    c.LoadColorsText(nullptr);
    if (c.colors.size() != 10) __builtin_trap();

    c.LoadTypeNamesText(text);
    // A header line, then at most 256 names: type ids are bytes.
    if (c.typeNames.size() != std::min<size_t>(ls.empty() ? 0 : ls.size() - 1, 256)) __builtin_trap();
    for (const std::string& t : c.typeNames)
        if (hasBreak(t)) __builtin_trap();
    return 0;
}
