#pragma once
// Decoding of the zone images and high-resolution tiles: a JPEG file (or its bytes) into a
// 32-bit bitmap, through libjpeg-turbo. Every failure of the library or of the input ends
// in an EIJLError for the caller; nothing here ends the program.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include <QImage>
#include <QString>

// A decoding failure. The message reads
//   "Error <action> image:" CR <file name> CR "Error: <text>" CR "IJL Error number: <code>"
// with CR the single character 13.
class EIJLError : public std::runtime_error {
public:
    EIJLError(const QString& action, const QString& fileName, const QString& errorText, int errorCode);

    // "initialising for", "reading parameters of" or "reading".
    const QString& action() const { return action_; }
    const QString& fileName() const { return fileName_; }
    const QString& errorText() const { return errorText_; }
    // libjpeg's message code (positive), or one of the JpegLoaderCode values below.
    int errorCode() const { return errorCode_; }
    QString message() const;

private:
    QString action_, fileName_, errorText_;
    int errorCode_;
};

// Failures found by the loader itself rather than by libjpeg.
enum JpegLoaderCode : int {
    kJpegCannotOpen = -1,     // the file cannot be opened
    kJpegTooLarge = -2,       // more than kJpegMaxSide per side or kJpegMaxBytes of pixels
    kJpegBadChannels = -3,    // a channel count other than 1, 3 and 4
    kJpegOutOfMemory = -4,    // the bitmap could not be allocated
};

constexpr int kJpegMaxSide = 16384;                  // pixels per side
constexpr int64_t kJpegMaxBytes = int64_t(256) << 20; // decoded bitmap, 4 bytes per pixel

// Decodes the JPEG file into the bitmap: QImage::Format_RGB32 ($FFRRGGBB), upright, the
// JPEG's size. Greyscale comes out as equal red, green and blue; CMYK and YCCK as opaque
// RGB (Adobe's inverted CMYK recognised by its marker). The bitmap is replaced only on
// success. Throws std::runtime_error("Bitmap not initialised") for a null bitmap and
// EIJLError for every failure of the file or the decoding (corrupt or truncated data
// included); the size and the channel count are checked before any pixel memory is taken.
void LoadJPEGToBitmap32(QImage* bitmap, const QString& fileName);
// The same, decoding into the pixel memory of spare when spare is a Format_RGB32 image of the
// JPEG's size whose pixels no other image shares: every pixel is written, so the result is
// the one fresh memory would give, without the cost of new memory faulted in page by page.
// spare is let go either way (before any new memory is taken when it does not fit).
void LoadJPEGToBitmap32(QImage* bitmap, const QString& fileName, QImage spare);
// The same from bytes in memory; name is what the messages call the image.
void LoadJPEGToBitmap32(QImage* bitmap, const uint8_t* data, size_t size, const QString& name);
