#include "text_helpers.h"

#include <array>
#include <cmath>

#include "delphi_conv.h"

namespace {

std::array<char, 256> makeUpCaseTable()
{
    std::array<char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = char(i);
    for (int c = 'a'; c <= 'z'; ++c) t[c] = char(c - 'a' + 'A');
    auto set = [&](unsigned char from, char to) { t[from] = to; };
    set(0xE0, 'A'); set(0xE2, 'A'); set(0xE4, 'A');                 // à â ä
    set(0xE7, 'C');                                                  // ç
    set(0xE8, 'E'); set(0xE9, 'E'); set(0xEA, 'E'); set(0xEB, 'E'); // è é ê ë
    set(0xEE, 'I'); set(0xEF, 'I');                                  // î ï
    set(0xF4, 'O'); set(0xF6, 'O');                                  // ô ö
    set(0xF9, 'U'); set(0xFB, 'U'); set(0xFC, 'U');                 // ù û ü
    return t;
}

const std::array<char, 256> kUpCase = makeUpCaseTable();

} // namespace

char UpCaseNoAccent(char c)
{
    return kUpCase[static_cast<unsigned char>(c)];
}

void NormalizeInto(const char* src, size_t n, char* dst)
{
    for (size_t i = 0; i < n; ++i) dst[i] = kUpCase[static_cast<unsigned char>(src[i])];
}

std::string NormalizeText(const std::string& text)
{
    std::string out(text.size(), '\0');
    NormalizeInto(text.data(), text.size(), out.data());
    return out;
}

int64_t CalcDistance(WorldPoint p, WorldPoint q)
{
    int64_t dx = int64_t(p.x / 1000) - int64_t(q.x / 1000);
    int64_t dy = int64_t(p.y / 1000) - int64_t(q.y / 1000);
    double d = std::sqrt(double(dx * dx + dy * dy));
    return int64_t(std::llround(d)) * 1000;
}

std::string FormatLabelText(const std::string& text, bool breaks)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '|' && breaks) out += '\r';
        else if (c == '{' || c == '}') continue;
        else if (c == '@') out += " -> ";
        else out += c;
    }
    return out;
}

std::vector<std::string> TextToLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
        lines.push_back(text.substr(start, bar - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string LinesToText(const std::vector<std::string>& lines)
{
    if (lines.empty()) return {};
    std::string out = lines[0];
    for (size_t i = 1; i < lines.size(); ++i)
        if (!lines[i].empty()) out += '|' + lines[i];
    return out;
}

int StrToCoord(const std::string& text)
{
    int64_t v = 0;
    if (!TryParseInt64(text, v)) {
        // A digit string too long to read is still a number, and far above the range.
        const bool digits = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
        return digits ? 65 : 0;
    }
    if (v < 0) return 0;
    if (v > 65) return 65;
    return int(v);
}

std::string IntToHex4(int64_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    uint16_t v = uint16_t(uint64_t(value) & 0xFFFF);
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v >>= 4) s[i] = digits[v & 15];
    return s;
}

std::string intToHex8(int64_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    uint32_t v = uint32_t(uint64_t(value) & 0xFFFFFFFFu);
    std::string s(8, '0');
    for (int i = 7; i >= 0; --i, v >>= 4) s[size_t(i)] = digits[v & 15];
    return s;
}

bool hexDigitsValue(std::string_view text, size_t from, size_t count, uint32_t& out)
{
    if (count > 8 || from > text.size() || count > text.size() - from) return false;
    uint32_t v = 0;
    for (size_t i = from; i < from + count; ++i) {
        const char c = text[i];
        uint32_t d;
        if (c >= '0' && c <= '9') d = uint32_t(c - '0');
        else if (c >= 'A' && c <= 'F') d = uint32_t(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') d = uint32_t(c - 'a' + 10);
        else return false;
        v = v << 4 | d;
    }
    out = v;
    return true;
}

bool IsErasedName(const std::string& text)
{
    return !text.empty() && text[0] == '@';
}

bool IsComment(const std::string& text)
{
    return !text.empty() && text[0] == '#';
}

std::vector<std::string> SplitTextLines(const std::string& text)
{
    // A line ends at CR LF, LF or a lone CR.
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return lines;
}
