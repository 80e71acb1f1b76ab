// The image files of a program folder read by name, in a scratch folder: a zone image as
// maps/<zone>.jpg or, without one, maps/<zone>.bmp, a tile under maps/high/, the splash
// data/vmar.bmp and a database's ico.bmp. The first input byte picks the file, the rest is
// its content. Whatever the bytes, a zone image that reads is opaque RGB32 and one that does
// not leaves the bitmap as it was; the splash is empty or premultiplied; nothing ends the
// process.
//
// Seeds: the target writes a small JPEG and BMP for each file into the first corpus folder
// when it is empty.
#include <cstddef>
#include <cstdint>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "folders.h"
#include "fuzz_qt.h"
#include "fuzz_seeds.h"
#include "image_helpers.h"
#include "jpeg_writer.h"
#include "map_loading.h"
#include "map_scene.h"

namespace {

enum Pick : uint8_t { ZoneJpeg, ZoneBitmap, TileJpeg, Splash, DatabaseIcon, PickCount };

void writeSeed(const QDir& dir, const QString& name, uint8_t pick, const QByteArray& bytes)
{
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly)) return;
    f.write(QByteArray(1, char(pick)) + bytes);
}

void writeSeeds(const QDir& dir)
{
    const std::vector<uint8_t> jpeg = EncodeJpeg(TilePattern(24, 17, 3), 24, 17, 3, JCS_RGB, {75});
    const QByteArray jpegBytes(reinterpret_cast<const char*>(jpeg.data()), qsizetype(jpeg.size()));
    QImage picture(33, 16, QImage::Format_RGB32);
    picture.fill(Qt::white);
    picture.setPixel(3, 4, 0xFFC82810);
    const QString bmpPath = dir.filePath("picture.tmp");
    picture.save(bmpPath, "BMP");
    QFile bmp(bmpPath);
    bmp.open(QIODevice::ReadOnly);
    const QByteArray bmpBytes = bmp.readAll();
    bmp.close();
    QFile::remove(bmpPath);
    writeSeed(dir, "zone_jpg", ZoneJpeg, jpegBytes);
    writeSeed(dir, "zone_bmp", ZoneBitmap, bmpBytes);
    writeSeed(dir, "tile_jpg", TileJpeg, jpegBytes);
    writeSeed(dir, "splash_bmp", Splash, bmpBytes);
    writeSeed(dir, "ico_bmp", DatabaseIcon, bmpBytes);
}

void writeFile(const QString& path, const uint8_t* data, size_t size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    StartQuietFuzzQt();
    SeedFirstCorpusFolder(*argc, *argv, writeSeeds, [](const QDir& dir) { return dir.isEmpty(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir scratch;
    static const bool folders = [] {
        SetProgramFolder(scratch.path());
        return true;
    }();
    (void)folders;
    static const QImage sentinel = [] {
        QImage s(2, 2, QImage::Format_RGB32);
        s.fill(0xFF123456);
        return s;
    }();
    if (size == 0) return 0;
    const uint8_t pick = data[0] % PickCount;
    ++data;
    --size;
    // Only the file this input names is there.
    for (const QString& name : {MapsDir + "zone.jpg", MapsDir + "zone.bmp", MapsDir + "high/zone.jpg",
                                DataDir + "vmar.bmp", DataDir + "ico.bmp"})
        QFile::remove(name);

    switch (pick) {
    case ZoneJpeg:
    case ZoneBitmap:
    case TileJpeg: {
        const QString folder = pick == TileJpeg ? "high/" : "";
        writeFile(MapsDir + folder + (pick == ZoneBitmap ? "zone.bmp" : "zone.jpg"), data, size);
        QImage bitmap = sentinel;
        if (load_zone_image(folder, "zone", bitmap)) {
            if (bitmap.isNull() || bitmap.format() != QImage::Format_RGB32) __builtin_trap();
        } else if (bitmap != sentinel) {
            __builtin_trap();
        }
        break;
    }
    case Splash: {
        writeFile(DataDir + "vmar.bmp", data, size);
        MapScene scene;
        init_imagemap(scene);
        if (!scene.Splash.isNull() && scene.Splash.format() != QImage::Format_ARGB32_Premultiplied) __builtin_trap();
        break;
    }
    default: {
        // The database's picture and its menu icons, as the window reads them.
        writeFile(DataDir + "ico.bmp", data, size);
        const QImage picture = ReadImageFile(DataDir + "ico.bmp");
        std::vector<QImage> icons;
        if (LoadIconStrip(DataDir + "ico.bmp", QSize(16, 16), icons)) {
            if (picture.isNull()) __builtin_trap();
            for (const QImage& icon : icons)
                if (icon.size() != QSize(16, 16)) __builtin_trap();
        }
        break;
    }
    }
    return 0;
}
