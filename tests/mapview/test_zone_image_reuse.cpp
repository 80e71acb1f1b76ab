// Decoding into the memory of an image let go: the pixels are those of a decode into fresh
// memory, and an image still shared elsewhere or carrying metadata of its own is never
// written. The map switch that reuses the previous map's images is tested in the window.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "jpeg_loader.h"
#include "jpeg_writer.h"

namespace {

// A picture with detail in every block, so a row or block left from the spare would show.
std::vector<uint8_t> patternPixels(int w, int h, int components, int seed = 0)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < components; ++c) pixels.push_back(uint8_t((x * 7 + y * 13 + c * 61 + seed * 29) ^ (x * y)));
    return pixels;
}

QString writeJpeg(const QTemporaryDir& dir, const char* name, const std::vector<uint8_t>& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

QImage garbage(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(0x5A3C1E0F);
    return image;
}

TEST(ZoneImageReuse, DecodeIntoASpareGivesTheFreshDecodeInItsMemory)
{
    QTemporaryDir dir;
    constexpr int w = 37, h = 23; // partial blocks at the right and bottom
    struct Case {
        const char* name;
        int components;
        J_COLOR_SPACE space;
    } cases[] = {{"grey.jpg", 1, JCS_GRAYSCALE}, {"rgb.jpg", 3, JCS_RGB}, {"cmyk.jpg", 4, JCS_CMYK}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = writeJpeg(dir, c.name, EncodeJpeg(patternPixels(w, h, c.components), w, h, c.components, c.space));
        QImage fresh;
        LoadJPEGToBitmap32(&fresh, path);

        QImage spare = garbage(w, h);
        const uchar* memory = spare.constBits();
        QImage reused;
        LoadJPEGToBitmap32(&reused, path, std::move(spare));
        EXPECT_EQ(reused, fresh);
        EXPECT_EQ(reused.format(), QImage::Format_RGB32);
        EXPECT_EQ(reused.constBits(), memory);
    }
}

TEST(ZoneImageReuse, ASpareThatDoesNotFitOrIsSharedIsNeverWritten)
{
    QTemporaryDir dir;
    constexpr int w = 24, h = 16;
    const QString path = writeJpeg(dir, "z.jpg", EncodeJpeg(patternPixels(w, h, 3), w, h, 3, JCS_RGB));
    QImage fresh;
    LoadJPEGToBitmap32(&fresh, path);

    const QImage sharedOriginal = garbage(w, h);
    const QImage sharedCopy = sharedOriginal; // the painter or a caller may still hold one
    QImage withResolution = garbage(w, h);    // as a BMP file read from disk may come
    withResolution.setDotsPerMeterX(1234);
    QImage withText = garbage(w, h);
    withText.setText("Comment", "zone");
    for (const QImage& spare : {garbage(w + 1, h), garbage(w, h, QImage::Format_ARGB32_Premultiplied), sharedOriginal,
                                QImage(), withResolution, withText}) {
        QImage out;
        LoadJPEGToBitmap32(&out, path, spare);
        EXPECT_EQ(out, fresh);
        EXPECT_EQ(out.dotsPerMeterX(), fresh.dotsPerMeterX());
        EXPECT_TRUE(out.textKeys().isEmpty());
    }
    EXPECT_EQ(sharedCopy, garbage(w, h));

    // A failing decode leaves the bitmap as it was and consumes the spare, unshared or not.
    const QString broken = writeJpeg(dir, "broken.jpg", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00, 9, 9, 9});
    QImage kept = fresh;
    EXPECT_THROW(LoadJPEGToBitmap32(&kept, broken, garbage(w, h)), EIJLError);
    EXPECT_THROW(LoadJPEGToBitmap32(&kept, broken, sharedOriginal), EIJLError);
    EXPECT_EQ(kept, fresh);
    EXPECT_EQ(sharedCopy, garbage(w, h));
}

} // namespace
