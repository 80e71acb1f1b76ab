#pragma once
// Writes a complete program folder: language folders, the demo database, zone images,
// tiles and vectors, icon strips and markers, the additions file and the readme.
#include <cstdint>

#include <QString>

#include "demo_content.h"

namespace sample {

struct SampleReport {
    bool ok = false;
    QString error;      // what failed, when not ok
    int files = 0;      // files written
    uint64_t bytes = 0; // their total size
};

// Needs a QGuiApplication (the pictures are painted with text). Existing files of the
// same names are replaced; nothing else in the folder is touched.
SampleReport makeSampleFolder(const QString& path, const SampleOptions& options);

// The side of a zone image in pixels for the options: the option itself, or by zone count
// so that a large folder stays quick to write.
int zoneImageSize(const SampleOptions& options);

// The text entries of ressource.txt for a language: its fixed texts, then one T text per
// category id from 1 to categoryCount.
std::vector<TextEntry> ressourceEntries(const LanguageTexts& language, int categoryCount);

} // namespace sample
