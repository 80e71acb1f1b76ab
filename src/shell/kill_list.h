#pragma once
// The kill list data/kill: names of program files, one per line relative to the program
// folder, that an update made obsolete and that are deleted at start.
#include <QString>
#include <QStringList>

// Deletes the regular files the kill list names inside exeDir. Empty lines, absolute
// paths, ".." and anything resolving outside the program folder are refused, and so are
// the user's own files (the additions folder, pref.ini, categpref.bin); a line that
// fails is logged and the others still run. Returns the files deleted.
QStringList apply_killlist(const QString& exeDir, const QString& killListPath);
