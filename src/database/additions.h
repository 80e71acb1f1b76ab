#pragma once
// The user's additions file of a database, AjoutsDir + "Vmar_ajouts_<database>.txt": the
// locations the user created, modified or erased, one "|"-separated line each, written
// from the location tree and merged back into it at every load.
//
// Nothing the file holds is ever lost by the program: lines that cannot be read or placed,
// comments, lines aimed at locked locations, lines that would be dropped while the
// database is not loaded whole, and every line of a file that was not merged (header
// value 0, unknown header) are kept as they stand and written back after the tree's lines.
// Lines are dropped only after a merge against a whole database, and the file is then
// backed up as "<name>.bak" first; so is a file whose next save changes it otherwise (a
// file saved as UTF-8 with a byte-order mark, a name cut to 40 characters). A file that
// cannot be read is never written over.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <QString>

#include "node_store.h"

class TRealm_info;

constexpr const char* kAdditionsHeader250 = "#v250";
constexpr const char* kAdditionsHeader200 = "#v200";
constexpr const char* kAdditionsVersionLine = "#v2.52";
constexpr const char* kAnonymousNickname = "Anonymous";
constexpr int kAdditionsFieldCount = 16;

// What the main window does for the additions file.
class AdditionsHost {
public:
    virtual ~AdditionsHost() = default;
    // The nickname dialog: what the user typed, possibly empty (Windows-1252).
    virtual std::string ask_pseudo() = 0;
    // A timed message S<id> on the map.
    virtual void show_feedback(int id, int seconds, const std::string& arg1, const std::string& arg2) = 0;
    virtual void setAutosaveTimer(bool on) = 0;         // Timer3
    virtual void setSaveControlsEnabled(bool on) = 0;   // the save menu item and button
    virtual void log(const std::string& line) = 0;      // one log-memo line
};

// How one line of the file was merged.
enum class MergeOutcome {
    Ignored,  // empty line, header or comment
    Added,    // a new location
    Replaced, // took the place of the location with its id at its point
    Dropped,  // duplicate, exact copy, or change or erasure without a target (counted)
    Locked,   // aimed at a locked location: not merged, not counted, kept
    Kept,     // comment, unreadable or unplaceable: kept as it stands and written back
};

// The second line of the file that names the writer's version ("#v2.52"): "#v" and a
// number with dots. Any other "#" line there is a comment of the user's.
bool IsAdditionsVersionLine(std::string_view line);

// "Vmar_ajouts_" + database + ".txt"
QString MakeAdditionsFileName(const QString& databaseLang);

// Six digits, each 1 to 9, drawn afresh at every save.
std::string RandomSaveId();

// One instance per loaded database: the state of its additions file.
class AdditionsFile {
public:
    AdditionsFile(NodeStore& store, TRealm_info& realm, AdditionsHost& host, QString additionsFileName);

    // AjoutsDir + AdditionsFileName, matched without letter case when the file exists.
    QString additionsPath() const;

    // Asks the nickname when there is none, writes the file, then lets the autosave
    // timer follow setting AUTO. True when the file was written.
    bool SaveRef(const QString& path);
    // Writes the file from the tree (and the kept lines), clears the modified state and
    // tells the outcome on the map. False after message S6, or when the write is refused
    // because the file was not merged in this load.
    bool SaveRef_add(const QString& path);
    void toggle_tagnew(bool modified);
    // Merges the additions file when the master file gave a header value. Lines that would
    // be dropped are dropped only when the database (map index, categories, master file)
    // loaded whole, the file then being rewritten after a backup; otherwise they are kept
    // as they stand, like every line of a file that is not merged.
    void Loadref(bool databaseWhole);
    void LoadRef_Add(const QString& path);
    // The same on the file's bytes; False (after message S37) when the header is unknown.
    bool LoadRef_AddBytes(const std::string& bytes);
    MergeOutcome AnalyseStringComp(std::string_view line, bool is250);
    // True when the caller may go on: nothing to save, saved, or changes left unsaved by
    // choice. False for Cancel and when the save failed.
    bool confirm_sauver(int reason);

    // The file's text: header, version line, the tree's lines, then the kept lines.
    std::string additionsText(const std::string& saveId, const std::string& nickname) const;
    // True when writing to this path would replace a file that could not be read.
    bool isWriteRefused(const QString& path) const;

    bool AdditionsModified = false;
    int DroppedAdditions = 0;
    const QString AdditionsFileName;
    // Lines of the file that could not be read or placed, in file order, as they stood.
    std::vector<std::string> KeptLines;

private:
    void protect(const QString& path);
    bool readAdditions(const QString& path, std::string& bytes);
    // Merges (or, when merge is False, keeps) every line after the header; False when the
    // header is unknown, the whole file then being kept.
    bool readText(const std::string& bytes, bool merge);
    MergeOutcome keepLine(std::string line, bool is250);
    // The zone node, category and point a location line names, read without checking the
    // rest of it; zoneNode kNoTreeNode when it names none.
    struct LinePoint {
        int zoneNode = kNoTreeNode;
        uint32_t categoryId = 0;
        uint16_t x = 0, y = 0;
    };
    LinePoint peekPoint(std::string_view line) const;
    std::string fromUtf8File(const std::string& bytes);
    std::string fileNameText() const;

    NodeStore& store_;
    TRealm_info& realm_;
    AdditionsHost& host_;
    QString protectedPath_; // absolute path of a file that could not be read; empty when none
    // Put back when the backup cannot be written: the dropped lines, each ended by a LF (no
    // line holds one), in one text so that dropping a line does not allocate.
    std::string droppedLines_;
    bool dropAllowed_ = true;                // False while merging against an incomplete database
    int keptUndropped_ = 0;                  // lines kept because dropping was not allowed
    size_t lineNumber_ = 0;                  // 1-based line of the file being merged; 0 outside a read
    const std::string* fileBytes_ = nullptr; // the file being read, as it stands on disk
    // The file as it was, written to "<name>.bak" by the next save, which changes it (its
    // encoding, a name cut); empty when no such save is due.
    std::string backupBytes_;
};
