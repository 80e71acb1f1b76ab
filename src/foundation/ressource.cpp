#include "ressource.h"

#include <QDir>

#include "cp1252.h"
#include "delphi_conv.h"
#include "file_io.h"
#include "folders.h"
#include "log.h"
#include "message_boxes.h"
#include "path_resolver.h"

// A language file holds a few hundred lines; anything past this size is not one.
constexpr int64_t kRessourceFileCap = int64_t(16) << 20;

RessourceLists Ressources;

void RessourceLists::reset()
{
    for (auto* l : {&caption, &hint, &info, &menu, &message, &about, &plain}) {
        l->clear();
        l->push_back("-");
    }
}

std::vector<std::string>* RessourceLists::section(char letter)
{
    switch (letter) {
    case 'C': return &caption;
    case 'H': return &hint;
    case 'I': return &info;
    case 'M': return &menu;
    case 'S': return &message;
    case 'A': return &about;
    case 'T': return &plain;
    default: return nullptr;
    }
}

namespace {

void parseLine(const std::string& line, RessourceLists& lists)
{
    if (!line.empty() && line[0] == '#') return;
    if (DelphiTrim(line).empty()) return;
    std::vector<std::string>* list = lists.section(line[0]);
    if (!list) return;
    list->push_back(line.size() > 4 ? DelphiTrim(line.substr(4)) : std::string());
}

void replaceAll(std::string& s, const std::string& what, const std::string& with)
{
    if (what.empty()) return;
    std::string out;
    size_t start = 0;
    for (size_t at; (at = s.find(what, start)) != std::string::npos; start = at + what.size()) {
        out.append(s, start, at - start);
        out += with;
    }
    if (start == 0) return;
    out.append(s, start, std::string::npos);
    s.swap(out);
}

std::string lookup(const std::vector<std::string>& list, int id, bool format, const char* notFound)
{
    if (id < 0 || size_t(id) >= list.size() || list[size_t(id)].empty()) return notFound;
    std::string t = list[size_t(id)];
    if (format) replaceAll(t, "%0", kProductName);
    return t;
}

} // namespace

void ParseRessourceText(const std::string& bytes, RessourceLists& lists)
{
    // Lines end at LF, CR LF or a lone CR.
    size_t start = 0;
    const size_t n = bytes.size();
    while (start <= n) {
        size_t end = start;
        while (end < n && bytes[end] != '\n' && bytes[end] != '\r') ++end;
        parseLine(bytes.substr(start, end - start), lists);
        if (end >= n) break;
        start = end + 1;
        if (bytes[end] == '\r' && start < n && bytes[start] == '\n') ++start;
        if (start == n) break; // a final line break ends the file
    }
}

bool LoadRessources()
{
    Ressources.reset();
    auto languageFile = [] () -> std::optional<QString> {
        auto folder = FindFolderNormalized(ResDir, InterfaceLang);
        if (!folder) return std::nullopt;
        auto file = FindEntryNoCase(ResDir + *folder + '/', "ressource.txt");
        if (!file) return std::nullopt;
        InterfaceLang = *folder; // from now on the name on disk
        return ResDir + *folder + '/' + *file;
    };
    auto path = languageFile();
    if (!path) {
        InterfaceLang = "Francais";
        path = languageFile();
    }
    // The box says which file it looked for and what was wrong with it.
    auto fail = [](const QString& file, const std::string& problem) {
        LogLine("language texts, " + file.toStdString() + ": " + problem);
        messageBoxes().plain(QString(kRessourceError) + "\n" + QDir::toNativeSeparators(file) + ": "
                             + QString::fromStdString(problem));
        return false;
    };
    if (!path) return fail(ResDir + InterfaceLang + "/ressource.txt", "missing");
    // Only a regular file of a text's size is read: a FIFO or a device must not stall the start.
    std::vector<uint8_t> all;
    std::string why;
    if (!ReadWholeFile(*path, all, kRessourceFileCap, &why)) return fail(*path, why.empty() ? "cannot be read" : why);
    ParseRessourceText(std::string(all.begin(), all.end()), Ressources);
    return true;
}

std::string FormatRessource(const std::string& text, const std::string& arg1, const std::string& arg2)
{
    std::string s = text;
    replaceAll(s, "%0", kProductName);
    replaceAll(s, "%1", arg1);
    replaceAll(s, "%2", arg2);
    replaceAll(s, "%%", "\r");
    if (s.empty()) return kMissingText;
    return s;
}

std::string GetCaptionText(int id) { return lookup(Ressources.caption, id, true, kMissingText); }
std::string GetInfoText(int id) { return lookup(Ressources.info, id, true, kMissingText); }
std::string GetMenuText(int id) { return lookup(Ressources.menu, id, true, kMissingText); }
std::string GetAboutText(int id) { return lookup(Ressources.about, id, false, kMissingText); }
std::string GetPlainText(int id) { return lookup(Ressources.plain, id, false, ""); }

std::string GetHintText(int id)
{
    std::string t = lookup(Ressources.hint, id, true, "");
    return t.empty() ? t : "@" + t;
}

int ShowRessourceMessage(int id, bool ask, const std::string& arg1, const std::string& arg2)
{
    std::string text;
    if (id == 0)
        text = arg1;
    else if (id > 0 && size_t(id) < Ressources.message.size())
        text = FormatRessource(Ressources.message[size_t(id)], arg1, arg2);
    else
        text = kMissingText;
    const QString shown = ToDisplay(text);
    if (!ask) {
        messageBoxes().information(shown);
        return 0;
    }
    return messageBoxes().confirm(shown);
}

void ShowRessourceMessageForFile(int id, const QString& path, const QString& problem, const std::string& arg1)
{
    const std::string text = id > 0 && size_t(id) < Ressources.message.size()
                                 ? FormatRessource(Ressources.message[size_t(id)], arg1)
                                 : std::string(kMissingText);
    messageBoxes().information(ToDisplay(text) + "\n" + QDir::toNativeSeparators(path) + ": " + problem);
}
