#pragma once
// Names that come from data or settings were made on a case-insensitive file system
// with "\" separators. These routines find them on disk, never outside a base folder.
#include <optional>

#include <QString>
#include <QStringList>

// Splits a relative data path on "\" and "/"; nothing when it is absolute, has a drive
// letter, or holds an empty, "." or ".." component.
std::optional<QStringList> SplitDataPath(const QString& relative);

// The existing entry of `dir` whose name equals `name` ignoring letter case (an exact
// match wins); nothing when none.
std::optional<QString> FindEntryNoCase(const QString& dir, const QString& name);

// The existing sub-folder of `dir` whose name normalises (upper case, French accents
// folded) to the same text as `name`; an exact match wins.
std::optional<QString> FindFolderNormalized(const QString& dir, const QString& name);

// Resolves a relative data path below `base` (which ends with "/"): every existing
// component is matched ignoring case; the first missing one and those after it are kept
// as written, so the result also names a file to create. Nothing when the path is unsafe.
std::optional<QString> ResolveDataPath(const QString& base, const QString& relative);
// Same, but only when the whole path exists.
std::optional<QString> ResolveExistingPath(const QString& base, const QString& relative);

// True when `path`, with every symbolic link on it followed (the last component too, when
// it exists or is a dangling link), stays inside the folder `root` (itself followed to its
// real place). Whatever writes, creates, renames or deletes files of a program folder asks
// this first: reading may follow a link to another disk, writing never leaves the folder.
bool StaysInsideFolder(const QString& root, const QString& path);
