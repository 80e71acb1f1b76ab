#include "update_list.h"

#include "delphi_conv.h"

namespace {
std::string lowerAscii(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}
} // namespace

bool ParseListBoolean(const std::string& text, bool& out)
{
    double number = 0;
    if (TryParseFloatComma(text, number)) {
        out = number != 0;
        return true;
    }
    const std::string word = lowerAscii(text);
    if (word == "true" || word == "false") {
        out = word == "true";
        return true;
    }
    return false;
}

bool ttreeup::Create(const std::vector<std::string>& f, const std::string& initialStatus, ttreeup& out)
{
    auto field = [&f](size_t n) { return n <= f.size() ? f[n - 1] : std::string(); };
    ttreeup e;
    e.FileName = field(1);
    e.Folder = field(2);
    e.Md5 = field(3);
    e.Url = field(4);
    e.Description = field(5);
    if (!ParseListBoolean(field(6), e.Compressed) || !ParseListBoolean(field(7), e.NeedsRestart)) return false;
    const std::string category = field(8);
    e.Kind = lowerAscii(category.substr(0, 3));
    e.KindName = category.size() > 4 ? lowerAscii(category.substr(4)) : std::string();
    e.StatusText = initialStatus;
    out = std::move(e);
    return true;
}

std::vector<std::string> SplitListLines(const std::string& bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

bool IsValidUpdateList(const std::vector<std::string>& lines)
{
    return !lines.empty() && lines.back() == "EOF";
}

std::vector<std::string> SplitFileFields(const std::string& value)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() < 8) {
        const size_t bar = value.find('|', start);
        fields.push_back(value.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return fields;
}

bool add_file_entry(const std::string& value, const std::string& initialStatus, UpdateList& out)
{
    ttreeup entry;
    if (!ttreeup::Create(SplitFileFields(value), initialStatus, entry)) return false;
    out.Entries.push_back(std::move(entry));
    return true;
}

bool parse_line(const std::string& line, bool frenchInterface, const std::string& initialStatus, UpdateList& out)
{
    if (line.size() < 5) return true;
    const std::string prefix = line.substr(0, 5);
    const std::string value = line.substr(5);
    if (prefix == "VERS=") {
        out.NewestVersion = value;
        out.HasVersion = true;
    } else if (prefix == "MESS=") {
        if (frenchInterface) out.News.push_back(value);
    } else if (prefix == "MESE=") {
        if (!frenchInterface) out.News.push_back(value);
    } else if (prefix == "FILE=") {
        return add_file_entry(value, initialStatus, out);
    }
    return true;
}

bool parse_update(const std::vector<std::string>& lines, bool frenchInterface, const std::string& initialStatus,
                  UpdateList& out)
{
    for (const std::string& line : lines)
        if (!parse_line(line, frenchInterface, initialStatus, out)) return false;
    return true;
}

bool NewVersionOffered(const UpdateList& list)
{
    return list.HasVersion && list.NewestVersion != kProgramVersion;
}

bool EntryConcernsUser(const ttreeup& entry, bool filter, const std::string& interfaceLang,
                       const std::string& databaseLang)
{
    if (!filter) return true;
    if (entry.Kind == "all") return true;
    if (entry.Kind == "res") return entry.KindName == lowerAscii(interfaceLang);
    if (entry.Kind == "bas") return entry.KindName == lowerAscii(databaseLang);
    return false;
}

bool UpdateDueByFrequency(int frequency, double ageDays)
{
    switch (frequency) {
    case 0: return true;
    case 1: return ageDays >= 1.0;
    case 2: return ageDays >= 2.0;
    case 3: return ageDays >= 7.0;
    default: return false;
    }
}
