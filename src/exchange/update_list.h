#pragma once
// The update list: a text document fetched from the maintainers' server that names the
// newest program version, news lines and the files with their MD5 digests. This file
// reads it; update_files.h compares and replaces the files it names.
#include <string>
#include <vector>

constexpr const char* kProgramVersion = "v2.52";
constexpr size_t kUpdateListCap = size_t(4) << 20; // a longer answer is no update list

// One file entry of the list ("FILE=" line), the data of one row of the dialog's list.
struct ttreeup {
    std::string FileName;    // field 1
    std::string Url;         // field 4
    std::string Folder;      // field 2: relative to the program folder, "" or ending in "\"
    std::string Md5;         // field 3
    std::string StatusText;  // shown in the status column
    std::string Description; // field 5
    std::string Kind;        // "all", "res" or "bas": field 8's first three characters, lower case
    std::string KindName;    // field 8 from its fifth character, lower case
    bool Fetchable = true;   // False when its folder cannot be made or its path is refused
    bool Compressed = false; // field 6: the download is a zlib stream
    bool NeedsRestart = false; // field 7
    bool Visible = false;    // rows are hidden until the comparison selects them

    // Fills an entry from fields 1 to 8; False on a bad Boolean in field 6 or 7.
    static bool Create(const std::vector<std::string>& fields, const std::string& initialStatus, ttreeup& out);
};

struct UpdateList {
    std::string NewestVersion;     // text of the last "VERS=" line
    bool HasVersion = false;       // a "VERS=" line was read
    std::vector<std::string> News; // "MESS=" or "MESE=" lines for the interface language, in order
    std::vector<ttreeup> Entries;
};

// The lines of the fetched bytes, split at CR LF, LF or CR; a final line break ends the
// last line rather than starting an empty one.
std::vector<std::string> SplitListLines(const std::string& bytes);
// A list is valid when it has lines and the last one is exactly "EOF".
bool IsValidUpdateList(const std::vector<std::string>& lines);
// A Boolean as the list writes it: a number (0 is False) or "True"/"False" in any case.
bool ParseListBoolean(const std::string& text, bool& out);
// The "FILE=" value's fields, split at every "|" (fields past the eighth are ignored).
std::vector<std::string> SplitFileFields(const std::string& value);

// One "FILE=" value as a hidden entry; False on a bad Boolean (nothing is added then).
bool add_file_entry(const std::string& value, const std::string& initialStatus, UpdateList& out);
// One line; False when a "FILE=" line holds a bad Boolean (nothing is added then).
// French interfaces read the "MESS=" news, every other the "MESE=" news.
bool parse_line(const std::string& line, bool frenchInterface, const std::string& initialStatus, UpdateList& out);
// The lines in order until the first that fails; False when one failed.
bool parse_update(const std::vector<std::string>& lines, bool frenchInterface, const std::string& initialStatus,
                  UpdateList& out);
// Whether a new-version question is due: a version was read and it differs from ours.
bool NewVersionOffered(const UpdateList& list);
// Whether a changed entry concerns the user: with the filter on, kind "all", or "res" for
// the interface language, or "bas" for the database (names compared ignoring case).
bool EntryConcernsUser(const ttreeup& entry, bool filter, const std::string& interfaceLang,
                       const std::string& databaseLang);

// What the update dialog reports to the main window.
struct UpdateOutcome {
    bool filesUpdated = false;       // at least one file was replaced
    bool newVersionAccepted = false; // the user wants the new version's web page
};

// Whether the update dialog opens at start for the frequency [DATU] (0 always, 1 after a
// day, 2 after two, 3 after a week, other never) and the age in days of its last closing.
bool UpdateDueByFrequency(int frequency, double ageDays);
