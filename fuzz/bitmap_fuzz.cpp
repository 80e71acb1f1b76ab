// Icon strips and marker bitmaps (icon_a.bmp, baseico.bmp, ico.bmp, cible.bmp, ...) read
// from a file the way the window reads them: any bytes give icons of the asked size, or a
// refusal, and never end the process.
//
// Seeds: the target writes small BMP strips into the first corpus folder when they are not
// there yet (the seed script adds a strip that declares half a million pixels of width).
#include <cstddef>
#include <cstdint>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include "fuzz_qt.h"
#include "fuzz_seeds.h"
#include "image_helpers.h"
#include "markers.h"

namespace {

void writeSeeds(const QDir& dir)
{
    const QSize sizes[] = {{33, 11}, {64, 16}, {5, 3}};
    QImage::Format formats[] = {QImage::Format_RGB32, QImage::Format_Indexed8, QImage::Format_Mono};
    for (int i = 0; i < 3; ++i) {
        QImage img(sizes[i], QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.fillRect(QRect(1, 1, sizes[i].width() / 2, sizes[i].height() - 2), QColor(200, 40, 10));
        p.end();
        img.convertToFormat(formats[i]).save(dir.filePath(QString("strip%1.bmp").arg(i)), "BMP");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    StartQuietFuzzQt();
    SeedFirstCorpusFolder(*argc, *argv, writeSeeds, [](const QDir& dir) { return !dir.exists("strip0.bmp"); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir scratch;
    const QString path = scratch.path() + "/strip.bmp";
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    for (const QSize size : {QSize(11, 11), QSize(16, 16)}) {
        std::vector<QImage> icons;
        if (!LoadIconStrip(path, size, icons) && !icons.empty()) __builtin_trap();
        for (const QImage& icon : icons)
            if (icon.size() != size || icon.format() != QImage::Format_ARGB32) __builtin_trap();
    }
    const QImage one = LoadStripIcon(path, 11, size > 0 ? data[0] % 8 : 0);
    if (one.size() != QSize(11, 11)) __builtin_trap();
    tboussole marker;
    InitMarker(marker, path, 0xFF00AAFF);
    if (marker.Visible || marker.Zone) __builtin_trap();
    return 0;
}
