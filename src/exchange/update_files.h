#pragma once
// The files of the update list on disk: where an entry's file lives below the program
// folder, which entries differ from their listed digest, and the download that replaces
// a file only once the new content has the listed digest.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QString>

#include "http_client.h"
#include "update_list.h"

// The entry's file below exeDir (matched ignoring letter case, so a differently written
// name finds the existing file), or nothing when the folder or the file name would reach
// outside it (also through a symbolic link), is not a plain name, or lies in the user's
// additions folder (ajouts).
std::optional<QString> EntryTargetPath(const QString& exeDir, const ttreeup& entry);

struct CompareOutcome {
    int selected = 0;          // rows made visible
    bool folderFailed = false; // a folder could not be made or a path was refused
};

// Digests every entry's file and shows the rows that differ and concern the user
// (EntryConcernsUser); a shown row's missing folder is created, one level. Rows whose
// path is refused or whose folder cannot be made get refusedStatus and are not fetched.
CompareOutcome compare_files(std::vector<ttreeup>& entries, const QString& exeDir, bool filter,
                             const std::string& interfaceLang, const std::string& databaseLang,
                             const std::string& refusedStatus, const std::function<void()>& pump = {});

enum class FetchResult { Replaced, DownloadFailed, VerifyFailed };

// Downloads the entry into a temporary file beside its target (a compressed one first into
// a temporary file in exeDir, then inflated), checks the listed digest and renames it over
// the target in one step. The target keeps its permission bits; a new file gets 0644. On any
// failure the old file stays and no temporary file is left. error gets the transfer's text
// when the download failed.
FetchResult FetchEntry(HttpClient& http, const QString& exeDir, const ttreeup& entry, std::string& error);

// Sends an entry's content, as the server gives it, into the sink; False with the
// transfer's text in error.
using EntryDownload = std::function<bool(const HttpSink& sink, std::string& error)>;
// FetchEntry with the content from download instead of the entry's address.
FetchResult ReplaceEntry(const QString& exeDir, const ttreeup& entry, const EntryDownload& download,
                         std::string& error);
