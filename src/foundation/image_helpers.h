#pragma once
// Colour conversion and icon cutting for the 32-bit ARGB bitmaps of the map.
#include <cstdint>
#include <vector>

#include <QImage>
#include <QSize>
#include <QString>

#include "con_colors.h"

// TColor ($00BBGGRR) to ARGB: each non-zero channel lowered by one, the alpha word ORed in.
uint32_t ColorToColor32(TColor c, uint32_t alpha);
// Every pixel whose red, green and blue equal the colour's gets alpha 0 (colour bits kept).
// The image must be QImage::Format_ARGB32 (it is converted when it is not).
void MakeColorTransparent(QImage& image, TColor colour);
// Image files (zone images, icon strips, the splash) are read up to this size, far beyond
// any real one.
constexpr int64_t kImageFileCap = int64_t(256) << 20;
// The image of a regular file of at most kImageFileCap bytes in the given format (nullptr:
// found from the content); a null image when the file is anything else or does not decode.
// A refused file is named in the log, or in why when given (see ReadWholeFile).
QImage ReadImageFile(const QString& path, const char* format = nullptr, std::string* why = nullptr);
// Icon number index of a horizontal strip of size x size icons, white made transparent.
// A missing strip or an index past its end gives a transparent icon (and a log line).
QImage LoadStripIcon(const QString& path, int size, int index);
// Icons one strip gives at most.
constexpr int kMaxStripIcons = 1024;
// Cuts a horizontal strip into iconSize icons, white made transparent, appended to out:
// one icon per started width of the strip and one more, the last ones possibly empty, at
// most kMaxStripIcons. False (out unchanged) when the strip cannot be read or the size is
// empty.
bool LoadIconStrip(const QString& path, QSize iconSize, std::vector<QImage>& out);
