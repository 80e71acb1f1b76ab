#pragma once
// The small text files of the program folder that the window shows as they are: web links
// (link.txt), tips (tips.txt), the readme and the credits (creditlist.inf). Each is read up
// to kSmallTextCap bytes; links and tips keep at most kSmallTextLines entries.
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "records.h"

// link.txt: a header line, then "caption=address" lines; lines without "=" are skipped.
std::vector<rLink> ParseSiteLinks(const std::string& text);
// tips.txt: every line is a tip.
std::vector<std::string> ParseTips(const std::string& text);
// The lines of a small text file; nothing when it cannot be read.
std::optional<std::vector<std::string>> ReadSmallTextLines(const QString& path);
// creditlist.inf: one zlib stream of text lines. A damaged file, or one that inflates past
// kSmallTextCap, gives no line (logged).
std::vector<std::string> ReadCreditLines(const QString& path);
