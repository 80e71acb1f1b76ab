#include "pref_file.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include <QDir>
#include <QFileInfo>

#include "cp1252.h"
#include "delphi_conv.h"
#include "file_io.h"
#include "log.h"
#include "message_boxes.h"
#include "ressource.h"

namespace {

constexpr std::string_view kHeaderLine = "#fichier autog\xE9n\xE9r\xE9, de pas \xE9" "diter.";
constexpr std::string_view kVersionLine = "[VERS]=1";
constexpr const char* kPrefsError = "prefs error";
constexpr int kWriteFailedMessage = 22;
constexpr size_t kKeyLength = 7; // "[" + four capitals + "]="

// Values that would break the program are held to the ranges the program itself keeps:
// the zoom is a divisor of every coordinate conversion, an alpha value of 0 (or 256, whose
// low 8 bits are 0) makes the main window invisible, and the player's level enters the
// level-colour arithmetic, which must not overflow.
constexpr int32_t kZoomMin = 20, kZoomMax = 3500;
constexpr int32_t kAlphaMin = 1, kAlphaMax = 255;
// Window positions and sizes: what a desktop's 16-bit coordinates can hold, so that no
// arithmetic on the placement overflows.
constexpr int32_t kScreenCoordMin = -32768, kScreenCoordMax = 32767;
// Pan offsets in pixels: the whole world (32-bit world units, 65535 to a zone) at the
// largest zoom spans about 115 million pixels each way; beyond that nothing is shown.
constexpr int32_t kPanOffsetMax = int32_t(1) << 27;
constexpr int32_t kPlayerLevelMin = 1, kPlayerLevelMax = 50;

// Walks the lines of a text; a line ends at LF, CR LF or a lone CR.
class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}
    bool next(std::string_view& line)
    {
        if (pos_ >= text_.size()) return false;
        size_t end = pos_;
        while (end < text_.size() && text_[end] != '\n' && text_[end] != '\r') ++end;
        line = text_.substr(pos_, end - pos_);
        pos_ = end;
        if (pos_ < text_.size()) {
            const bool crlf = text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n';
            pos_ += crlf ? 2 : 1;
        }
        return true;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

// Positions the reader after line 2 when that line is the accepted version line.
bool readVersionLines(LineReader& reader)
{
    std::string_view line;
    if (!reader.next(line)) return false; // line 1 is only a comment
    return reader.next(line) && line == kVersionLine;
}

// Letter case ignored for ASCII letters only.
bool sameText(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

bool toBool(const std::string& value, bool& out)
{
    if (sameText(value, "True") || sameText(value, "False")) {
        out = sameText(value, "True");
        return true;
    }
    // Any number reads too: 0 is false, anything else true.
    double d = 0;
    if (!TryParseFloatComma(value, d)) return false;
    out = d != 0;
    return true;
}

bool toInt(const std::string& value, int32_t& out)
{
    return TryParseInt(value, out);
}

bool toIntClamped(const std::string& value, int32_t& out, int32_t lo, int32_t hi)
{
    int32_t v = 0;
    if (!TryParseInt(value, v)) return false;
    out = std::clamp(v, lo, hi);
    return true;
}

bool toFloat(const std::string& value, double& out)
{
    return TryParseFloatComma(value, out);
}

const char* boolText(bool b)
{
    return b ? "True" : "False";
}

// A text value ends at its line; a line break inside it would end the line early on
// reading and start a line of its own, so it is cut there.
std::string oneLine(const std::string& text)
{
    return text.substr(0, text.find_first_of("\r\n"));
}

// Language and database names are folder names; one with no Windows-1252 form is written
// empty, which reads back as the default language and as "no database chosen".
std::string folderName(const QString& name)
{
    return oneLine(ToCp1252(name).value_or(std::string()));
}

void putLine(std::string& out, std::string_view line)
{
    out.append(line);
    out += "\r\n";
}

void put(std::string& out, const char* key, const std::string& value)
{
    out += '[';
    out += key;
    out += "]=";
    putLine(out, value);
}

void put(std::string& out, const char* key, int32_t value)
{
    put(out, key, std::to_string(value));
}

void put(std::string& out, const char* key, bool value)
{
    put(out, key, std::string(boolText(value)));
}

// A file that load_prefs would ignore (written by another version) is copied to
// path + ".bak" so that writing ours does not lose it. False when the copy fails, with
// the reason in error.
bool keepOtherVersion(const QString& path, QString& error)
{
    if (!QFileInfo(path).isFile()) return true;
    std::vector<uint8_t> old;
    if (!ReadWholeFile(path, old) || old.empty()) return true;
    LineReader reader(std::string_view(reinterpret_cast<const char*>(old.data()), old.size()));
    if (readVersionLines(reader)) return true;
    if (WriteFileAtomic(path + ".bak", old.data(), old.size(), &error)) return true;
    error = "no backup " + QFileInfo(path).fileName() + ".bak of another version's settings: " + error;
    return false;
}

} // namespace

bool parse_prefline(const std::string& line, rPreference& prefs, WindowSettings& window)
{
    const std::string key = line.substr(0, kKeyLength);
    const std::string value = line.size() > kKeyLength ? line.substr(kKeyLength) : std::string();

    if (key == "[GPAT]=") { prefs.GPAT = value; return true; }
    if (key == "[GRID]=") return toBool(value, window.but_grid);
    if (key == "[CHEM]=") return toBool(value, window.but_chemin);
    if (key == "[DBDB]=") { window.DatabaseLang = FromCp1252(value); return true; }
    if (key == "[ALFA]=") return toBool(value, prefs.ALFA);
    if (key == "[ALFV]=") return toIntClamped(value, prefs.ALFV, kAlphaMin, kAlphaMax);
    if (key == "[MAHD]=") return toInt(value, prefs.MAHD);
    if (key == "[LGNA]=") return toBool(value, window.But_Leg);
    if (key == "[TIPS]=") return toBool(value, window.but_tips);
    if (key == "[EDIT]=") return toBool(value, window.but_editmode);
    if (key == "[AVCT]=") return toBool(value, prefs.AVCT);
    if (key == "[WPSU]=") return toBool(value, prefs.WPSU);
    if (key == "[LODA]=") return toInt(value, prefs.LODA);
    if (key == "[LODB]=") return toInt(value, prefs.LODB);
    if (key == "[LODC]=") return toInt(value, prefs.LODC);
    if (key == "[LODV]=") return toInt(value, prefs.LODV);
    if (key == "[CLVL]=") return toBool(value, prefs.CLVL);
    if (key == "[LIAR]=") return toBool(value, prefs.LIAR);
    if (key == "[MCUR]=") return toBool(value, prefs.MCUR);
    if (key == "[DATU]=") return toInt(value, prefs.DATU);
    if (key == "[HINT]=") return toInt(value, prefs.HINT);
    if (key == "[DATW]=") return toFloat(value, prefs.DATW);
    if (key == "[AUTO]=") return toBool(value, prefs.AUTO);
    if (key == "[NIVP]=") return toIntClamped(value, prefs.NIVP, kPlayerLevelMin, kPlayerLevelMax);
    if (key == "[MASL]=") return toBool(value, window.MasterListShown);
    if (key == "[MAPW]=") return toIntClamped(value, window.MAPW, 0, kScreenCoordMax);
    if (key == "[MAPH]=") return toIntClamped(value, window.MAPH, 0, kScreenCoordMax);
    if (key == "[MAPT]=") return toIntClamped(value, window.MAPT, kScreenCoordMin, kScreenCoordMax);
    if (key == "[MAPL]=") return toIntClamped(value, window.MAPL, kScreenCoordMin, kScreenCoordMax);
    // The level filter edits may be saved empty.
    if (key == "[MINN]=") return toInt(value.empty() ? "0" : value, prefs.MINN);
    if (key == "[MAXN]=") return toInt(value.empty() ? "99" : value, prefs.MAXN);
    if (key == "[LANG]=") {
        window.InterfaceLang = FromCp1252(value.empty() ? std::string("fran\xE7" "ais") : value);
        return true;
    }
    if (key == "[PRXS]=") { prefs.PRXS = value; return true; }
    if (key == "[PRXP]=") return toInt(value, prefs.PRXP);
    if (key == "[PRXN]=") { prefs.PRXN = value; return true; }
    if (key == "[PRXM]=") { prefs.PRXM = value; return true; }
    if (key == "[PRXB]=") return toBool(value, prefs.PRXB);
    if (key == "[HTTP]=") return toInt(value, prefs.HTTP);
    if (key == "[PSEU]=") { prefs.PSEU = value.substr(0, kPseudoMax); return true; }
    if (key == "[LOCR]=") return toInt(value, prefs.LOCR);
    if (key == "[LOCX]=") return toIntClamped(value, window.OffsetX, -kPanOffsetMax, kPanOffsetMax);
    if (key == "[LOCY]=") return toIntClamped(value, window.OffsetY, -kPanOffsetMax, kPanOffsetMax);
    if (key == "[LOCZ]=") return toIntClamped(value, window.Zoom, kZoomMin, kZoomMax);
    if (key == "[LOCA]=") return toBool(value, prefs.LOCA);
    return true; // [TRAN] and unknown keys are not read
}

PrefLoadResult LoadPrefBytes(const std::string& bytes, rPreference& prefs, WindowSettings& window,
                             std::vector<std::string>* skipped)
{
    LineReader reader(bytes);
    if (!readVersionLines(reader)) return PrefLoadResult::Ignored;
    // A line that does not convert is skipped; the lines after it still apply.
    bool errors = false;
    std::string_view line;
    while (reader.next(line)) {
        if (parse_prefline(std::string(line), prefs, window)) continue;
        errors = true;
        if (skipped) skipped->emplace_back(line);
    }
    return errors ? PrefLoadResult::LoadedWithErrors : PrefLoadResult::Loaded;
}

namespace {
// The "prefs error" box, with the file and the problem on a line below.
void showPrefsError(const QString& path, const QString& problem)
{
    LogLine("settings file " + path.toStdString() + ": " + problem.toStdString());
    messageBoxes().information(QString::fromLatin1(kPrefsError) + "\n" + QDir::toNativeSeparators(path) + ": "
                               + problem);
}
} // namespace

void load_prefs(const QString& path, rPreference& prefs, WindowSettings& window)
{
    // A folder in place of the file counts as no file.
    if (!QFileInfo(path).isFile()) return;
    std::vector<uint8_t> raw;
    std::string why;
    if (!ReadWholeFile(path, raw, kSmallTextCap, &why)) {
        showPrefsError(path, why.empty() ? QString("cannot be read") : QString::fromStdString(why));
        return;
    }
    const std::string bytes(raw.begin(), raw.end());
    std::vector<std::string> skipped;
    if (LoadPrefBytes(bytes, prefs, window, &skipped) != PrefLoadResult::LoadedWithErrors) return;
    QString lines;
    constexpr size_t kNamed = 8; // a file of nothing but bad lines still gives a box that fits
    for (size_t i = 0; i < skipped.size() && i < kNamed; ++i)
        lines += (i ? ", " : "") + FromCp1252(skipped[i]);
    if (skipped.size() > kNamed) lines += ", ...";
    showPrefsError(path, "values that do not convert: " + lines);
}

std::string PrefFileBytes(const rPreference& prefs, const WindowSettings& window)
{
    std::string out;
    out.reserve(1024);
    putLine(out, kHeaderLine);
    putLine(out, kVersionLine);
    put(out, "LANG", folderName(window.InterfaceLang));
    put(out, "TRAN", prefs.TRAN);
    put(out, "GPAT", oneLine(prefs.GPAT));
    put(out, "DBDB", folderName(window.DatabaseLang));
    put(out, "LGNA", window.But_Leg);
    put(out, "LOCR", window.CurrentMapId);
    put(out, "LOCX", window.OffsetX);
    put(out, "LOCY", window.OffsetY);
    put(out, "LOCZ", window.Zoom);
    put(out, "LOCA", prefs.LOCA);
    put(out, "EDIT", window.but_editmode);
    put(out, "CLVL", prefs.CLVL);
    put(out, "TIPS", window.but_tips);
    put(out, "LODA", prefs.LODA);
    put(out, "LODB", prefs.LODB);
    put(out, "LODC", prefs.LODC);
    put(out, "LODV", prefs.LODV);
    put(out, "MAHD", prefs.MAHD);
    put(out, "AVCT", prefs.AVCT);
    put(out, "WPSU", prefs.WPSU);
    put(out, "AUTO", prefs.AUTO);
    put(out, "NIVP", prefs.NIVP);
    put(out, "HINT", prefs.HINT);
    put(out, "MASL", window.MasterListShown);
    put(out, "DATU", prefs.DATU);
    put(out, "DATW", FloatToStrComma(prefs.DATW));
    put(out, "MAPW", window.MAPW);
    put(out, "MAPH", window.MAPH);
    put(out, "MAPT", window.MAPT);
    put(out, "MAPL", window.MAPL);
    put(out, "MINN", oneLine(window.Edit_lvl_min));
    put(out, "MAXN", oneLine(window.Edit_lvl_max));
    put(out, "GRID", window.but_grid);
    put(out, "CHEM", window.but_chemin);
    put(out, "MCUR", prefs.MCUR);
    put(out, "ALFA", prefs.ALFA);
    put(out, "ALFV", prefs.ALFV);
    put(out, "PRXS", oneLine(prefs.PRXS));
    put(out, "PRXP", prefs.PRXP);
    put(out, "PRXN", oneLine(prefs.PRXN));
    put(out, "PRXM", oneLine(prefs.PRXM));
    put(out, "PRXB", prefs.PRXB);
    put(out, "HTTP", prefs.HTTP);
    put(out, "LIAR", prefs.LIAR);
    put(out, "PSEU", oneLine(prefs.PSEU.substr(0, kPseudoMax)));
    return out;
}

bool save_prefs(const QString& path, const rPreference& prefs, const WindowSettings& window)
{
    const std::string bytes = PrefFileBytes(prefs, window);
    // When the other version's file cannot be kept, it is not overwritten either.
    QString error;
    if (!keepOtherVersion(path, error) || !WriteFileAtomic(path, bytes, &error)) {
        LogLine("settings cannot be written to " + path.toStdString() + ": " + error.toStdString());
        ShowRessourceMessageForFile(kWriteFailedMessage, path, error);
        return false;
    }
    return true;
}
