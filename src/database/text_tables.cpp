// The text tables of the common reference data: named colours (color.txt),
// creature attribute names and colours (mobspec.txt) and type names (type.txt).
// The files are Windows-1252 bytes with CR LF, LF or CR line ends.
#include <optional>

#include "data_model.h"
#include "file_io.h"
#include "folders.h"
#include "path_resolver.h"
#include "ressource.h"
#include "text_helpers.h"

namespace {

constexpr int kNamedColours = 10;
constexpr size_t kColourNameMax = 10;
constexpr TColor kWhite = 0xFFFFFF;

// A text file of a folder, found without regard to case; nothing when it cannot be read.
std::optional<std::string> readTextFile(const QString& dir, const char* name)
{
    if (dir.isEmpty()) return std::nullopt;
    auto found = FindEntryNoCase(dir, name);
    if (!found) return std::nullopt;
    std::string text;
    if (!ReadTextFileCapped(dir + *found, text)) return std::nullopt;
    return text;
}

// Characters from..from+count-1 as hexadecimal digits; nothing when one is missing or not a digit.
std::optional<uint32_t> hexColumn(const std::string& line, size_t from, size_t count)
{
    if (line.size() < from + count) return std::nullopt;
    uint32_t v = 0;
    for (size_t i = from; i < from + count; ++i) {
        const char c = line[i];
        uint32_t d;
        if (c >= '0' && c <= '9') d = uint32_t(c - '0');
        else if (c >= 'A' && c <= 'F') d = uint32_t(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f') d = uint32_t(c - 'a' + 10);
        else return std::nullopt;
        v = v << 4 | d;
    }
    return v;
}

// A decimal column padded with blanks; nothing when it holds no number or anything else.
std::optional<uint32_t> decimalColumn(const std::string& line, size_t from, size_t count)
{
    if (line.size() <= from) return std::nullopt;
    const std::string field = line.substr(from, count);
    uint32_t v = 0;
    bool digits = false, after = false;
    for (char c : field) {
        if (c == ' ' || c == '\t') {
            if (digits) after = true;
            continue;
        }
        if (c < '0' || c > '9' || after) return std::nullopt;
        v = v * 10 + uint32_t(c - '0');
        digits = true;
    }
    if (!digits) return std::nullopt;
    return v;
}

bool isEndMark(const std::string& line)
{
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    return line.compare(0, end, "@eof") == 0 && end == 4;
}

} // namespace

void TData_common::LoadColors()
{
    if (InterfaceLang.isEmpty()) {
        LoadColorsText(nullptr);
        return;
    }
    const auto text = readTextFile(ResDir + InterfaceLang + '/', "color.txt");
    LoadColorsText(text ? &*text : nullptr);
}

void TData_common::LoadColorsText(const std::string* text)
{
    colors.clear();
    const std::vector<std::string> lines = text ? SplitTextLines(*text) : std::vector<std::string>();
    auto fallback = [] {
        rColor c;
        c.name = GetCaptionText(120).substr(0, kColourNameMax);
        c.colour = kWhite;
        return c;
    };
    for (size_t i = 0; i < size_t(kNamedColours); ++i) {
        if (i >= lines.size()) {
            colors.push_back(fallback());
            continue;
        }
        const std::string& line = lines[i];
        if (IsComment(line)) continue;
        // A line whose colour does not convert (an empty line among them) takes the place
        // of a missing line, so the entries after it keep their positions.
        const auto colour = hexColumn(line, 0, 6);
        if (!colour) {
            colors.push_back(fallback());
            continue;
        }
        rColor c;
        c.name = line.size() > 6 ? line.substr(6, 17).substr(0, kColourNameMax) : std::string();
        c.colour = *colour;
        colors.push_back(std::move(c));
    }
}

void TData_common::LoadMobSpecs()
{
    const auto text = readTextFile(DatabaseLangDir, "mobspec.txt");
    if (!text) {
        specNames.clear();
        specColors.clear();
        return;
    }
    LoadMobSpecsText(*text);
}

void TData_common::LoadMobSpecsText(const std::string& text)
{
    specNames.clear();
    specColors.clear();
    for (const std::string& line : SplitTextLines(text)) {
        if (IsComment(line)) continue;
        if (isEndMark(line)) break;
        // Columns 1-3 id, 5-7 parent id, 9-14 colour, 16 on name. A line whose id columns
        // do not convert (an empty line among them) is skipped; a colour that does not
        // convert counts as no colour.
        const auto id = decimalColumn(line, 0, 3);
        const auto parent = decimalColumn(line, 4, 3);
        if (!id || !parent) continue;
        const TColor colour = hexColumn(line, 8, 6).value_or(0);
        const std::string name = line.size() > 15 ? line.substr(15) : std::string();
        if (!name.empty()) specNames.emplace_back(uint8_t(*id), uint8_t(*parent), name);
        if (colour != 0) specColors.push_back(rSpecColor{uint8_t(*id), colour});
    }
}

void TData_common::LoadTypeNames()
{
    const auto text = readTextFile(DatabaseLangDir, "type.txt");
    LoadTypeNamesText(text ? *text : std::string());
}

void TData_common::LoadTypeNamesText(const std::string& text)
{
    typeNames = SplitTextLines(text);
    // The first line is a header. Type ids are bytes: names past type 255 name nothing.
    if (!typeNames.empty()) typeNames.erase(typeNames.begin());
    if (typeNames.size() > 256) typeNames.resize(256);
}
