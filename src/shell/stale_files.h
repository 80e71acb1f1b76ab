#pragma once
// Temporary files of our own saves left behind by a kill at the moment of the rename.
#include <QString>
#include <QStringList>

// Removes, at start, the temporaries of the settings, the category preferences and the
// additions files ("<file>.XXXXXX" beside them, as the safe write names them) that are
// older than a minute, so that a save of another running instance is never touched.
// Returns the files removed.
QStringList RemoveStaleSaveTemporaries(const QString& exeDir, const QString& ajoutsDir);
