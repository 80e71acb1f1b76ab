// JPEG loader: any bytes either decode into an opaque RGB32 bitmap or raise EIJLError with
// the bitmap left as it was; nothing ends the process. The same bytes read from a file
// give the same outcome.
//
// Seeds: a JPEG needs an encoder, so the seed script leaves this target's folder empty and
// the target fills it at start-up, when the first corpus folder on the command line is
// empty, with small JPEGs of every layout the loader handles.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fuzz_seeds.h"
#include "jpeg_loader.h"
#include "jpeg_writer.h"

namespace {

void writeSeed(const QDir& dir, const char* name, const std::vector<uint8_t>& bytes)
{
    QFile f(dir.filePath(QString::fromLatin1(name)));
    if (f.open(QIODevice::WriteOnly)) f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
}

void writeSeeds(const QDir& dir)
{
    writeSeed(dir, "rgb.jpg", EncodeJpeg(TilePattern(24, 17, 3), 24, 17, 3, JCS_RGB, {75}));
    writeSeed(dir, "progressive.jpg", EncodeJpeg(TilePattern(33, 9, 3), 33, 9, 3, JCS_RGB, {60, true}));
    writeSeed(dir, "grey.jpg", EncodeJpeg(TilePattern(16, 16, 1), 16, 16, 1, JCS_GRAYSCALE, {90}));
    writeSeed(dir, "cmyk.jpg", EncodeJpeg(TilePattern(8, 8, 4), 8, 8, 4, JCS_CMYK, {80}));
    writeSeed(dir, "ycck.jpg", EncodeJpeg(TilePattern(9, 8, 4), 9, 8, 4, JCS_CMYK, {80, false, JCS_YCCK}));
    writeSeed(dir, "two.jpg", EncodeJpeg(TilePattern(8, 8, 2), 8, 8, 2, JCS_UNKNOWN, {50}));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    SeedFirstCorpusFolder(*argc, *argv, writeSeeds, [](const QDir& dir) { return dir.isEmpty(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QImage sentinel = [] {
        QImage s(2, 2, QImage::Format_RGB32);
        s.fill(0xFF123456);
        return s;
    }();
    static QTemporaryDir scratch;
    const QString path = scratch.path() + "/fuzz.jpg";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    QImage fromFile = sentinel;
    bool fileFailed = false;
    try {
        LoadJPEGToBitmap32(&fromFile, path);
    } catch (const EIJLError&) {
        if (fromFile != sentinel) __builtin_trap();
        fileFailed = true;
    }
    QImage image = sentinel;
    try {
        LoadJPEGToBitmap32(&image, data, size, QStringLiteral("fuzz.jpg"));
    } catch (const EIJLError&) {
        if (image != sentinel) __builtin_trap(); // a failure must not touch the bitmap
        if (!fileFailed) __builtin_trap();
        return 0;
    }
    if (fileFailed || fromFile != image) __builtin_trap();
    if (image.isNull() || image.format() != QImage::Format_RGB32) __builtin_trap();
    if (image.width() > kJpegMaxSide || image.height() > kJpegMaxSide) __builtin_trap();
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] >> 24) != 0xFF) __builtin_trap();
    }
    return 0;
}
