#include "additions.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <random>
#include <string_view>

#include <QDir>
#include <QFileInfo>

#include "cp1252.h"
#include "data_model.h"
#include "file_io.h"
#include "folders.h"
#include "message_boxes.h"
#include "path_resolver.h"
#include "preferences.h"
#include "ressource.h"
#include "text_helpers.h"
#include "utf8_text.h"

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr size_t kAttributesDigits = 24; // three words of 8 hexadecimal digits
constexpr size_t kIdField = 13;          // 0-based index of field 14, the id

// Field 1..16 of a trimmed line, 0-based. Field 16 takes the rest of the line, pipes
// included; fields a short line lacks are empty.
struct LineFields {
    std::string_view f[kAdditionsFieldCount];
};

void splitFields(std::string_view t, LineFields& out)
{
    size_t pos = 0;
    int n = 0;
    while (n < kAdditionsFieldCount - 1) {
        const size_t bar = t.find('|', pos);
        if (bar == std::string_view::npos) {
            out.f[n] = t.substr(pos);
            return;
        }
        out.f[n++] = t.substr(pos, bar - pos);
        pos = bar + 1;
    }
    out.f[kAdditionsFieldCount - 1] = t.substr(pos);
}

// Blanks and control characters cut at both ends.
std::string_view trimmed(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

// A decimal number with leading blanks and an optional sign, within [lo, hi]; anything
// else fails.
bool parseDecimal(std::string_view s, int64_t lo, int64_t hi, int64_t& out)
{
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i; // leading blanks are allowed
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i == s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
        if (v > (int64_t(1) << 40)) return false; // far outside every field's range
    }
    if (negative) v = -v;
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

// Hexadecimal digits of either case, the value within 32 bits.
bool parseHex(std::string_view s, uint32_t& out)
{
    if (s.empty()) return false;
    uint64_t v = 0;
    for (const char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else return false;
        v = v << 4 | uint64_t(d);
        if (v > 0xFFFFFFFFu) return false;
    }
    out = uint32_t(v);
    return true;
}

// Fields 3..14 converted and range-checked into the record; False when one fails.
bool convertFields(const LineFields& l, bool is250, rnew_node& r)
{
    int64_t zone, category, x, y, levelMin, levelMax, type, language;
    // The zone id is one 16-bit quantity: 40000 and -25536 name the same zone.
    if (!parseDecimal(l.f[2], -32768, 65535, zone)) return false;
    if (!parseDecimal(l.f[3], 0, 255, category)) return false;
    if (!parseDecimal(l.f[4], 0, 65535, x) || !parseDecimal(l.f[5], 0, 65535, y)) return false;
    if (!parseDecimal(l.f[6], 0, 255, levelMin) || !parseDecimal(l.f[7], 0, 255, levelMax)) return false;
    if (!parseDecimal(l.f[9], 0, 255, type)) return false;
    if (!l.f[10].empty() && !parseDecimal(l.f[10], 0, 255, language)) return false;
    if (l.f[10].empty()) language = 0;

    // Each 8-digit piece fills its word; a shorter piece leaves its word 0.
    const std::string_view attrs = l.f[12];
    if (attrs.size() > kAttributesDigits) return false;
    for (size_t w = 0; w < 3; ++w) {
        r.attributes.w[w] = 0;
        if (attrs.size() >= 8 * (w + 1) && !parseHex(attrs.substr(8 * w, 8), r.attributes.w[w])) return false;
    }
    // Files of the older format carry no ids, whatever the field holds.
    r.id = 0;
    if (is250 && !l.f[kIdField].empty() && !parseHex(l.f[kIdField], r.id)) return false;

    r.zoneId = uint32_t(uint16_t(zone));
    r.categoryId = uint32_t(category);
    r.x = uint32_t(x);
    r.y = uint32_t(y);
    r.levelMin = uint32_t(levelMin);
    r.levelMax = uint32_t(levelMax);
    r.typeId = uint32_t(type);
    r.languageTag = uint32_t(language);
    return true;
}

const std::string& linkTextOf(const rItemdata& item)
{
    static const std::string none;
    return item.command ? item.command->text : none;
}

// Every compared field of the location equals the line's (its link text and description
// still in the line: they are copied only for a line that is added).
bool sameLocation(const TNodeData& d, const rnew_node& r, std::string_view linkText, std::string_view description)
{
    const rItemdata& it = *d.item;
    const uint32_t categoryId = d.category ? d.category->id : 0;
    return it.name == r.name && categoryId == r.categoryId && it.levelMin == r.levelMin
           && it.levelMax == r.levelMax && it.typeId == r.typeId && it.languageTag == r.languageTag
           && it.attributes == r.attributes && linkTextOf(it) == linkText && it.description == description;
}

void appendNumber(std::string& out, int64_t v)
{
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    (void)ec;
    out.append(buf, end);
}

void appendHex(std::string& out, uint32_t v, int minDigits)
{
    static const char digits[] = "0123456789ABCDEF";
    char buf[8];
    int n = 0;
    do {
        buf[n++] = digits[v & 15];
        v >>= 4;
    } while (v != 0);
    for (int i = n; i < minDigits; ++i) out.push_back('0');
    while (n > 0) out.push_back(buf[--n]);
}

// A text of fields 1..15: a "|", CR or LF inside would split the line or its fields.
void appendField(std::string& out, const std::string& text)
{
    for (const char c : text) out.push_back(c == '|' || c == '\r' || c == '\n' ? ' ' : c);
}

// The name opens the line. The reader trims blanks and control characters and takes a
// line that then starts with "#" for a comment, so a "#" that would come first after the
// trim becomes a blank (the reader's trim then drops it).
void appendName(std::string& out, const std::string& name)
{
    const size_t start = out.size();
    appendField(out, name);
    for (size_t i = start; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (c == '#') out[i] = ' ';
        else if (c > ' ') break;
    }
}

// Field 16: the description's line breaks are "|"; a CR, LF or CR LF left in it becomes one.
void appendDescription(std::string& out, const std::string& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out.push_back('|');
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out.push_back(c);
        }
    }
}

void appendLocationLine(std::string& out, const TNodeData& d)
{
    const rItemdata& it = *d.item;
    appendName(out, it.name);
    out += "||";
    appendNumber(out, d.zone ? d.zone->zoneId : 0); // signed 16-bit: above 32767 is negative
    out += '|';
    appendNumber(out, d.category ? d.category->id : 0);
    out += '|';
    appendNumber(out, it.x);
    out += '|';
    appendNumber(out, it.y);
    out += '|';
    appendNumber(out, it.levelMin);
    out += '|';
    appendNumber(out, it.levelMax);
    out += "||";
    appendNumber(out, it.typeId);
    out += '|';
    appendNumber(out, it.languageTag);
    out += "||";
    for (const uint32_t w : it.attributes.w) appendHex(out, w, 8);
    out += '|';
    if (it.id != 0) appendHex(out, it.id, 6);
    out += '|';
    appendField(out, linkTextOf(it));
    out += '|';
    appendDescription(out, it.description);
    out += kLineEnd;
}

// Lines end at CR LF, CR or LF.
template <class Visit>
void forEachLine(const std::string& bytes, Visit visit)
{
    size_t start = 0;
    const size_t n = bytes.size();
    while (start < n) {
        size_t end = start;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        if (!visit(std::string_view(bytes).substr(start, end - start))) return;
        if (end < n && bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n') ++end;
        start = end + 1;
    }
}

// Where the file as it was is kept before a save leaves lines of it out: "<file>.bak", or,
// when that already holds another earlier state of the file, the first of "<file>.bak2",
// "<file>.bak3" ... that is free or holds these same bytes. A backup never replaces the
// lines an earlier backup kept. A name taken by something else than a file (a folder) is
// returned as it is: writing there fails, and the load then drops nothing.
QString backupPathFor(const QString& path, const std::string& bytes)
{
    for (int n = 1;; ++n) {
        const QString candidate = path + ".bak" + (n == 1 ? QString() : QString::number(n));
        const QFileInfo info(candidate);
        // Free, or something that is not a file, which the write then reports as it is.
        if (!info.exists() || !info.isFile()) return candidate;
        std::vector<uint8_t> held;
        if (ReadWholeFile(candidate, held, int64_t(bytes.size()) + 1) && held.size() == bytes.size() &&
            std::equal(held.begin(), held.end(), bytes.begin(), [](uint8_t a, char b) { return a == uint8_t(b); }))
            return candidate;
    }
}

// A path or name for a message or the log line, in Windows-1252 like every text shown.
std::string toText(const QString& s)
{
    return ToCp1252Marked(s);
}

QString targetPath(const QString& path)
{
    const QFileInfo info(path);
    const QString dir = QDir::cleanPath(info.absolutePath()) + "/";
    const std::optional<QString> onDisk = FindEntryNoCase(dir, info.fileName());
    return dir + (onDisk ? *onDisk : info.fileName());
}

} // namespace

bool IsAdditionsVersionLine(std::string_view line)
{
    const std::string_view t = trimmed(line);
    if (t.size() < 3 || t.substr(0, 2) != "#v" || t[2] < '0' || t[2] > '9') return false;
    return t.find_first_not_of("0123456789.", 2) == std::string_view::npos;
}

QString MakeAdditionsFileName(const QString& databaseLang)
{
    return "Vmar_ajouts_" + databaseLang + ".txt";
}

std::string RandomSaveId()
{
    static std::mt19937 rng(std::random_device{}());
    std::uniform_int_distribution<int> digit(1, 9);
    std::string id(6, '1');
    for (char& c : id) c = char('0' + digit(rng));
    return id;
}

AdditionsFile::AdditionsFile(NodeStore& store, TRealm_info& realm, AdditionsHost& host, QString additionsFileName)
    : AdditionsFileName(std::move(additionsFileName)), store_(store), realm_(realm), host_(host)
{
}

QString AdditionsFile::additionsPath() const
{
    if (auto onDisk = FindEntryNoCase(AjoutsDir, AdditionsFileName)) return AjoutsDir + *onDisk;
    return AjoutsDir + AdditionsFileName;
}

std::string AdditionsFile::fileNameText() const
{
    return toText(AdditionsFileName);
}

void AdditionsFile::protect(const QString& path)
{
    protectedPath_ = targetPath(path);
}

bool AdditionsFile::isWriteRefused(const QString& path) const
{
    return !protectedPath_.isEmpty() && targetPath(path) == protectedPath_;
}

void AdditionsFile::toggle_tagnew(bool modified)
{
    AdditionsModified = modified;
    host_.setSaveControlsEnabled(modified);
}

std::string AdditionsFile::additionsText(const std::string& saveId, const std::string& nickname) const
{
    std::string out;
    out.reserve(64 * 1024);
    out += kAdditionsHeader250;
    out += "-id=" + saveId + "-";
    // A line break in the nickname would turn the rest of it into a location line.
    appendField(out, nickname.empty() ? std::string(kAnonymousNickname) : nickname);
    out += kLineEnd;
    out += kAdditionsVersionLine;
    out += kLineEnd;
    store_.forEachUserLocation([&out](int, const TNodeData& d) { appendLocationLine(out, d); });
    for (const std::string& line : KeptLines) {
        out += line;
        out += kLineEnd;
    }
    return out;
}

bool AdditionsFile::SaveRef_add(const QString& path)
{
    if (isWriteRefused(path)) {
        // The file could not be read: writing the tree over it would lose its lines.
        host_.log("additions file could not be read, left unchanged: " + toText(path));
        host_.show_feedback(6, 6, fileNameText(), {});
        return false;
    }
    QString error;
    if (!backupBytes_.empty()) {
        // This save changes what the file said (its encoding, a name cut to its limit): the
        // file as it was is kept next to it first.
        const QString backup = backupPathFor(path, backupBytes_);
        if (!WriteFileAtomic(backup, backupBytes_, &error)) {
            host_.log("no backup of the additions file, not saved: " + toText(error));
            ShowRessourceMessageForFile(6, backup, error, fileNameText());
            return false;
        }
        host_.log("the additions file as it was is kept in " + toText(QFileInfo(backup).fileName()));
        backupBytes_.clear();
    }
    const std::string text = additionsText(RandomSaveId(), Preferences.PSEU);
    if (!WriteFileAtomic(path, text, &error)) {
        host_.log("additions file cannot be written to " + toText(path) + ": " + toText(error));
        ShowRessourceMessageForFile(6, path, error, fileNameText());
        return false;
    }
    toggle_tagnew(false);
    if (DroppedAdditions > 0) {
        host_.show_feedback(4, 6, std::to_string(DroppedAdditions), fileNameText());
        DroppedAdditions = 0;
    } else {
        host_.show_feedback(5, 4, fileNameText(), toText(AjoutsDir));
    }
    return true;
}

bool AdditionsFile::SaveRef(const QString& path)
{
    host_.setAutosaveTimer(false);
    if (Preferences.PSEU.empty() && !isWriteRefused(path))
        Preferences.PSEU = host_.ask_pseudo().substr(0, kPseudoMax);
    const bool saved = SaveRef_add(path);
    host_.setAutosaveTimer(Preferences.AUTO);
    return saved;
}

void AdditionsFile::Loadref(bool databaseWhole)
{
    const QString path = additionsPath();
    DroppedAdditions = 0;
    std::string bytes;
    if (!readAdditions(path, bytes)) return;
    if (realm_.headerValue == 0) {
        readText(bytes, false);
        host_.log("additions file not merged, the master file gives no header value; its "
                  + std::to_string(KeptLines.size()) + " lines are kept as they stand: " + toText(path));
        return;
    }
    // Every line is merged; lines are dropped, and the file rewritten without them, only
    // when they were compared with a whole database: a missing location of a cut master
    // file would make a good line look like a change without a target.
    dropAllowed_ = databaseWhole;
    readText(bytes, true);
    dropAllowed_ = true;
    if (!databaseWhole) {
        if (keptUndropped_ > 0)
            host_.log("database not loaded whole: " + std::to_string(keptUndropped_)
                      + " additions lines that match no location are kept as they stand");
        keptUndropped_ = 0;
        return;
    }
    if (DroppedAdditions == 0) return;
    QString error;
    const QString backup = backupPathFor(path, bytes);
    if (!WriteFileAtomic(backup, bytes, &error)) {
        // Without the backup the dropped lines stay in the file.
        host_.log("no backup of the additions file, nothing dropped: " + toText(error));
        forEachLine(droppedLines_, [this](std::string_view line) {
            KeptLines.emplace_back(line);
            return true;
        });
        DroppedAdditions = 0;
        return;
    }
    backupBytes_.clear(); // the backup just written holds the file as it was
    host_.log(std::to_string(DroppedAdditions) + " lines dropped; the file as it was is kept in "
              + toText(QFileInfo(backup).fileName()));
    SaveRef(path);
}

bool AdditionsFile::readAdditions(const QString& path, std::string& bytes)
{
    if (!QFileInfo::exists(path)) return false;
    std::vector<uint8_t> raw;
    if (!ReadWholeFile(path, raw, kAdditionsFileCap)) {
        // What cannot be read cannot be kept: the file is never written over.
        host_.log("additions file cannot be read (not a regular file, or larger than "
                  + std::to_string(kAdditionsFileCap >> 20) + " MB), it is left as it is: " + toText(path));
        protect(path);
        ShowRessourceMessage(38, false, fileNameText()); // the user learns why their additions are missing
        return false;
    }
    bytes.assign(raw.begin(), raw.end());
    return true;
}

void AdditionsFile::LoadRef_Add(const QString& path)
{
    std::string bytes;
    if (readAdditions(path, bytes)) readText(bytes, true);
}

bool AdditionsFile::LoadRef_AddBytes(const std::string& bytes)
{
    return readText(bytes, true);
}

// A file an editor saved as UTF-8 with a byte-order mark: its text as Windows-1252, like
// every other line the program holds. The next save writes it in Windows-1252, so the file
// as it was is kept for a backup.
std::string AdditionsFile::fromUtf8File(const std::string& bytes)
{
    backupBytes_ = bytes;
    std::vector<size_t> lossy;
    std::string text = Utf8TextToCp1252(bytes, lossy);
    for (const size_t line : lossy)
        host_.log("additions file, line " + std::to_string(line)
                  + ": characters with no Windows-1252 form read as \"?\"");
    return text;
}

AdditionsFile::LinePoint AdditionsFile::peekPoint(std::string_view line) const
{
    LinePoint p;
    const std::string_view t = trimmed(line);
    if (t.empty() || t[0] == '#') return p;
    LineFields l;
    splitFields(t, l);
    int64_t zone, category, x, y;
    if (!parseDecimal(l.f[2], -32768, 65535, zone) || !parseDecimal(l.f[3], 0, 255, category)
        || !parseDecimal(l.f[4], 0, 65535, x) || !parseDecimal(l.f[5], 0, 65535, y))
        return p;
    p.zoneNode = store_.find_map_masternode(int32_t(uint16_t(zone)));
    p.categoryId = uint32_t(category);
    p.x = uint16_t(x);
    p.y = uint16_t(y);
    return p;
}

bool AdditionsFile::readText(const std::string& fileBytes, bool merge)
{
    const bool utf8 = HasUtf8Mark(fileBytes);
    const std::string converted = utf8 ? fromUtf8File(fileBytes) : std::string();
    const std::string& bytes = utf8 ? converted : fileBytes;
    fileBytes_ = &fileBytes;
    std::vector<std::string_view> lines;
    lines.reserve(size_t(std::count(bytes.begin(), bytes.end(), '\n')) + 1);
    forEachLine(bytes, [&](std::string_view line) {
        lines.push_back(line);
        return true;
    });
    bool known = false;
    bool is250 = true;
    // The points of the next lines, read ahead so that the tree starts loading what their
    // merge will read, each step of it two lines before the next (by line index modulo the
    // ring's size).
    constexpr size_t kSteps = 4, kStepLines = 2, kAhead = kSteps * kStepLines;
    std::array<LinePoint, kAhead + 1> ahead{};
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        lineNumber_ = i + 1;
        if (i == 0) {
            const std::string_view tag = line.substr(0, 5);
            known = tag == kAdditionsHeader250 || tag == kAdditionsHeader200;
            is250 = tag != kAdditionsHeader200;
            if (!known) keepLine(std::string(line), true); // not ours: kept whole
            for (size_t k = 1; k <= kAhead && k < lines.size(); ++k)
                ahead[k % ahead.size()] = merge && known ? peekPoint(lines[k]) : LinePoint{};
            continue;
        }
        if (i + kAhead < lines.size())
            ahead[(i + kAhead) % ahead.size()] = merge && known ? peekPoint(lines[i + kAhead]) : LinePoint{};
        const std::string_view t = trimmed(line);
        if (i == 1 && known && IsAdditionsVersionLine(t)) continue; // rewritten at every save
        if (merge && known) {
            for (size_t step = 0; step < kSteps; ++step) {
                const size_t k = (step + 1) * kStepLines;
                if (i + k >= lines.size()) break;
                const LinePoint& p = ahead[(i + k) % ahead.size()];
                if (p.zoneNode != kNoTreeNode) store_.prefetchPoint(p.zoneNode, p.categoryId, p.x, p.y, int(step));
            }
            AnalyseStringComp(line, is250);
        } else if (!t.empty()) {
            keepLine(std::string(line), is250);
        }
    }
    lineNumber_ = 0;
    fileBytes_ = nullptr;
    if (!merge) return known;
    if (!known) {
        // The box names the file and the line that is not a header of ours.
        std::string first = lines.empty() ? std::string() : std::string(lines.front().substr(0, 40));
        for (char& c : first)
            if (static_cast<unsigned char>(c) < ' ') c = '?'; // a binary file's bytes shown as marks
        ShowRessourceMessageForFile(37, additionsPath(),
                                    "the first line \"" + FromCp1252(first)
                                        + "\" starts with neither " + kAdditionsHeader200 + " nor "
                                        + kAdditionsHeader250);
        host_.log({});
        return false;
    }
    const std::string counts = std::to_string(realm_.mergeCount) + " ["
                               + std::to_string(int64_t(std::trunc(double(realm_.mergeWeight)))) + "]";
    host_.log(FormatRessource(GetInfoText(5), counts));
    host_.log({});
    return true;
}

// A kept line goes back into the file unchanged, except that a line of the older format,
// written back under the newer header, loses its field 14 so it keeps meaning "no id".
MergeOutcome AdditionsFile::keepLine(std::string line, bool is250)
{
    if (!is250) {
        size_t from = 0;
        for (size_t bars = 0; bars < kIdField && from != std::string::npos; ++bars) {
            from = line.find('|', from);
            if (from != std::string::npos) ++from;
        }
        if (from != std::string::npos) line.erase(from, line.find('|', from) - from);
    }
    KeptLines.push_back(std::move(line));
    return MergeOutcome::Kept;
}

MergeOutcome AdditionsFile::AnalyseStringComp(std::string_view line, bool is250)
{
    const std::string_view t = trimmed(line);
    if (t.empty()) return MergeOutcome::Ignored;
    auto keep = [&]() { return keepLine(std::string(line), is250); };
    if (t[0] == '#') return keep(); // a comment of the user's

    LineFields fields;
    splitFields(t, fields);
    rnew_node r;
    if (!convertFields(fields, is250, r)) return keep();
    r.name.assign(fields.f[0]);
    if (r.name.empty()) return keep();
    // The tree holds names up to the format's limit: the merge compares and adds the cut name.
    const bool nameCut = r.name.size() > kItemNameMax;
    if (nameCut) r.name.resize(kItemNameMax);
    const std::string_view linkText = fields.f[14], description = fields.f[15];
    r.fromMaster = 0;
    r.locked = 0;
    r.hasItem = 1;

    // Without its zone or category the line cannot be compared with anything.
    const int zoneNode = store_.find_map_masternode(int32_t(r.zoneId));
    if (zoneNode == kNoTreeNode || !store_.hasCategoryNode(zoneNode, r.categoryId)) return keep();

    bool add = true;
    int target = kNoTreeNode; // the location this line replaces
    float weight = 1.0f;
    for (const int node : store_.locationsAt(zoneNode, uint16_t(r.x), uint16_t(r.y))) {
        const TNodeData* d = store_.nodeData(node);
        if (!d || !d->item) continue;
        if (is250 && r.id == 0) { // a new location on an occupied point is a duplicate
            add = false;
            break;
        }
        if (sameLocation(*d, r, linkText, description)) add = false; // an exact copy; the walk goes on
        if (add && d->item->id == r.id) {
            if (d->item->locked) { // the location cannot change; the line stays in the file
                keep();
                return MergeOutcome::Locked;
            }
            weight = 0.5f;
            target = node;
            break;
        }
    }
    if (r.id != 0 && target == kNoTreeNode) add = false; // its database location is gone or unchanged
    if (r.id == 0 && IsErasedName(r.name)) add = false; // an erasure without a target

    if (!add && !dropAllowed_) { // kept until it is compared with a whole database
        ++keptUndropped_;
        return keep();
    }
    if (!add) {
        if (target != kNoTreeNode) store_.destroynode(target);
        ++DroppedAdditions;
        droppedLines_.append(line);
        droppedLines_ += '\n';
        return MergeOutcome::Dropped;
    }
    if (IsErasedName(r.name)) weight = 0.0f;
    // Added before the replaced location goes, so a category that has no node in the zone
    // leaves the tree as it was and the line is kept.
    const std::string placedName = nameCut ? r.name : std::string();
    r.linkText.assign(linkText);
    r.description.assign(description);
    // A location that an earlier line of this file placed: its line is gone from the next save.
    const TNodeData* replaced = target != kNoTreeNode ? store_.nodeData(target) : nullptr;
    const std::string earlierLine =
        replaced && replaced->item && replaced->item->fromMaster == 0 ? replaced->item->name : std::string();
    if (store_.addnodeMove(std::move(r)) == kNoTreeNode) return keep();
    if (target != kNoTreeNode) store_.destroynode(target);
    if (!earlierLine.empty()) {
        // The file as it was is kept for a backup by the next save, which leaves that line out.
        if (backupBytes_.empty()) backupBytes_ = fileBytes_ ? *fileBytes_ : std::string();
        host_.log("additions file" + (lineNumber_ ? ", line " + std::to_string(lineNumber_) : std::string())
                  + ": takes the place of \"" + earlierLine + "\", placed by an earlier line at the same point; "
                  + "the file as it was is kept next to it at the next save");
    }
    if (nameCut) {
        // The next save writes the cut name: the file as it was is kept for a backup then.
        if (backupBytes_.empty()) backupBytes_ = fileBytes_ ? *fileBytes_ : std::string();
        host_.log("additions file" + (lineNumber_ ? ", line " + std::to_string(lineNumber_) : std::string())
                  + ": name longer than " + std::to_string(kItemNameMax) + " characters cut to \"" + placedName
                  + "\"");
    }
    ++realm_.mergeCount;
    realm_.mergeWeight += weight;
    return target != kNoTreeNode ? MergeOutcome::Replaced : MergeOutcome::Added;
}

bool AdditionsFile::confirm_sauver(int reason)
{
    if (!AdditionsModified) return true;
    const int answer = ShowRessourceMessage(reason, true, fileNameText());
    if (answer == kAnswerYes) {
        if (!SaveRef(additionsPath())) return false; // as if cancelled: nothing was saved
        toggle_tagnew(false);
        return true;
    }
    if (answer == kAnswerNo) {
        if (reason == 1) toggle_tagnew(false); // leaving: the changes are abandoned
        return true;
    }
    return false;
}
