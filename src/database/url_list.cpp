#include "url_list.h"

#include "compressed.h"
#include "database_globals.h"
#include "delphi_conv.h"
#include "folders.h"
#include "log.h"
#include "path_resolver.h"
#include "text_helpers.h"

bool ParseUrlList(const std::string& text, std::vector<std::string>& entries, uint8_t& langTag)
{
    const std::vector<std::string> lines = SplitTextLines(text);
    int32_t tag = 0;
    if (lines.empty() || !TryParseInt(DelphiTrim(lines[0]), tag) || tag < 0 || tag > 255) return false;
    langTag = uint8_t(tag);
    entries.assign(lines.begin() + 1, lines.end());
    return true;
}

bool load_urllist()
{
    // A missing or damaged file empties the list and keeps the language tag as it was.
    UrlList.clear();
    const auto path = ResolveExistingPath(DatabaseLangDir, "url.bin");
    MemoryStream stream;
    if (!path || !LoadCompressedFile(stream, *path)) {
        LogLine("url.bin of " + DatabaseLangDir.toStdString() + " missing or damaged: no endpoint");
        return false;
    }
    ScrambleStream(stream, kUrlListKey);
    uint8_t tag = 0;
    if (!ParseUrlList(stream.toString(), UrlList, tag)) {
        LogLine("url.bin of " + DatabaseLangDir.toStdString() + " holds no language tag: no endpoint");
        UrlList.clear();
        return false;
    }
    CurrentLangTag = tag;
    return true;
}

std::string UrlEntryAt(size_t index)
{
    return index < UrlList.size() ? UrlList[index] : std::string();
}

std::vector<uint8_t> MakeUrlBin(const std::vector<std::string>& lines)
{
    MemoryStream s;
    for (const std::string& l : lines) {
        s.write(l.data(), l.size());
        s.write("\r\n", 2);
    }
    ScrambleStream(s, kUrlListKey);
    return DeflateBytes(s.data.data(), s.data.size());
}
