#include "utf8_text.h"

#include <optional>

#include <QString>

#include "cp1252.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// One line; False when a character had to become "?".
bool appendLine(std::string_view line, std::string& out)
{
    const QString text = QString::fromUtf8(line.data(), qsizetype(line.size()));
    if (std::optional<std::string> whole = ToCp1252(text)) {
        out += *whole;
        return true;
    }
    bool clean = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        if (const std::optional<std::string> one = ToCp1252(text.mid(i, length))) {
            out += *one;
        } else {
            out += '?';
            clean = false;
        }
        i += length - 1;
    }
    return clean;
}

} // namespace

bool HasUtf8Mark(std::string_view bytes)
{
    return bytes.starts_with(kUtf8Mark);
}

std::string Utf8TextToCp1252(std::string_view bytes, std::vector<size_t>& lossyLines)
{
    if (HasUtf8Mark(bytes)) bytes.remove_prefix(kUtf8Mark.size());
    std::string out;
    out.reserve(bytes.size());
    size_t start = 0, number = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        ++number;
        if (!appendLine(bytes.substr(start, end - start), out)) lossyLines.push_back(number);
        out += "\r\n";
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
        start = end + 1;
    }
    return out;
}
