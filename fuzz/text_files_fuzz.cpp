// The small text files of a program folder and the endpoint list: link.txt, tips.txt,
// readme.txt, creditlist.inf and url.bin, read the way the window reads them. The first
// byte picks the reader, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include <QFile>
#include <QTemporaryDir>

#include "database_globals.h"
#include "file_io.h"
#include "folders.h"
#include "log.h"
#include "text_files.h"
#include "url_list.h"

namespace {

const QString& scratch()
{
    static QTemporaryDir dir;
    static const QString path = dir.path() + "/";
    return path;
}

QString writeScratch(const char* name, const uint8_t* data, size_t size)
{
    const QString path = scratch() + name;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

bool hasLineBreak(const std::string& s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = (SetLogSink([](const std::string&) {}), true);
    (void)quiet;
    if (size == 0) return 0;
    const uint8_t pick = data[0] % 6;
    ++data, --size;
    const std::string text(reinterpret_cast<const char*>(data), size);
    switch (pick) {
    case 0: { // link.txt
        const auto links = ParseSiteLinks(text);
        if (links.size() > kSmallTextLines) __builtin_trap();
        for (const rLink& l : links)
            if (hasLineBreak(l.caption) || hasLineBreak(l.address) || l.caption.find('=') != std::string::npos)
                __builtin_trap();
        break;
    }
    case 1: { // tips.txt
        const auto tips = ParseTips(text);
        if (tips.size() > kSmallTextLines) __builtin_trap();
        for (const std::string& t : tips)
            if (hasLineBreak(t)) __builtin_trap();
        break;
    }
    case 2: { // readme.txt, also through a small cap: what is read is the file's start, cut at a line end
        const QString path = writeScratch("readme.txt", data, size);
        const auto lines = ReadSmallTextLines(path);
        if (!lines) __builtin_trap();
        std::string head;
        if (!ReadTextFileCapped(path, head, 64)) __builtin_trap();
        if (head.size() > 64 || text.compare(0, head.size(), head) != 0) __builtin_trap();
        if (head.size() < text.size() && !head.empty() && head.back() != '\r' && head.back() != '\n') __builtin_trap();
        break;
    }
    case 3: { // creditlist.inf
        for (const std::string& line : ReadCreditLines(writeScratch("creditlist.inf", data, size)))
            if (hasLineBreak(line)) __builtin_trap();
        break;
    }
    case 4: { // url.bin: a file that does not load keeps the language tag and leaves no endpoint
        DatabaseLangDir = scratch();
        writeScratch("url.bin", data, size);
        CurrentLangTag = 77;
        if (!load_urllist() && (!UrlList.empty() || CurrentLangTag != 77)) __builtin_trap();
        break;
    }
    default: { // the unscrambled endpoint lines
        std::vector<std::string> entries;
        uint8_t tag = 0;
        if (ParseUrlList(text, entries, tag))
            for (const std::string& e : entries)
                if (hasLineBreak(e)) __builtin_trap();
        break;
    }
    }
    return 0;
}
