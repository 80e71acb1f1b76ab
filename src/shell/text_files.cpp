#include "text_files.h"

#include "compressed.h"
#include "file_io.h"
#include "log.h"
#include "text_helpers.h"

namespace {

// Keeps at most kSmallTextLines entries; the rest is logged as ignored.
template <class Entry>
void capLines(std::vector<Entry>& entries, const char* file)
{
    if (entries.size() <= kSmallTextLines) return;
    LogLine(std::string(file) + ": more than " + std::to_string(kSmallTextLines) + " lines, the rest ignored");
    entries.resize(kSmallTextLines);
}

} // namespace

std::vector<rLink> ParseSiteLinks(const std::string& text)
{
    const std::vector<std::string> lines = SplitTextLines(text);
    std::vector<rLink> links;
    for (size_t i = 1; i < lines.size(); ++i) {
        const size_t eq = lines[i].find('=');
        if (eq == std::string::npos) continue;
        if (links.size() > kSmallTextLines) break; // one past the cap tells that there were more
        links.push_back({lines[i].substr(0, eq), lines[i].substr(eq + 1)});
    }
    capLines(links, "link.txt");
    return links;
}

std::vector<std::string> ParseTips(const std::string& text)
{
    std::vector<std::string> tips = SplitTextLines(text);
    capLines(tips, "tips.txt");
    return tips;
}

std::optional<std::vector<std::string>> ReadSmallTextLines(const QString& path)
{
    std::string text;
    if (!ReadTextFileCapped(path, text)) return std::nullopt;
    return SplitTextLines(text);
}

std::vector<std::string> ReadCreditLines(const QString& path)
{
    std::vector<uint8_t> packed, text;
    if (!ReadWholeFile(path, packed)) return {};
    if (!InflateBytes(packed.data(), packed.size(), text, size_t(kSmallTextCap))) {
        LogLine("credits cannot be read: " + path.toStdString());
        return {};
    }
    return SplitTextLines(std::string(text.begin(), text.end()));
}
