// Decoding into the memory of an image let go: the pixels are those of a decode into fresh
// memory, and an image still shared elsewhere or carrying metadata of its own is never
// written. The map switch that reuses the previous map's images is tested in the window.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "jpeg_loader.h"
#include "jpeg_writer.h"
#include "test_util.h"

namespace {

// A JPEG with detail in every block, so a row or block left from the spare would show.
QString writeJpeg(const QTemporaryDir& dir, int w, int h, int components, J_COLOR_SPACE space)
{
    std::vector<uint8_t> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < components; ++c)
                pixels.push_back(uint8_t((x * 7 + y * 13 + c * 61) ^ (x * y)));
    const std::vector<uint8_t> jpeg = EncodeJpeg(pixels, w, h, components, space);
    const QString path = dir.filePath(QString("%1.jpg").arg(components));
    EXPECT_TRUE(writeBytes(path, std::string(jpeg.begin(), jpeg.end())));
    return path;
}

QImage garbage(int w, int h, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(w, h, format);
    image.fill(0x5A3C1E0F);
    return image;
}

} // namespace

TEST(ZoneImageReuse, ASpareThatFitsHoldsTheFreshDecodeAndNoOtherIsWritten)
{
    QTemporaryDir dir;
    constexpr int w = 37, h = 23; // partial blocks at the right and bottom
    for (const auto& [components, space] : {std::pair{1, JCS_GRAYSCALE}, {3, JCS_RGB}, {4, JCS_CMYK}}) {
        const QString path = writeJpeg(dir, w, h, components, space);
        QImage fresh;
        LoadJPEGToBitmap32(&fresh, path);
        QImage spare = garbage(w, h);
        const uchar* memory = spare.constBits();
        QImage reused;
        LoadJPEGToBitmap32(&reused, path, std::move(spare));
        EXPECT_EQ(reused, fresh) << components;
        EXPECT_EQ(reused.constBits(), memory) << components;
    }

    const QString path = writeJpeg(dir, w, h, 3, JCS_RGB);
    QImage fresh;
    LoadJPEGToBitmap32(&fresh, path);
    const QImage sharedOriginal = garbage(w, h);
    const QImage sharedCopy = sharedOriginal; // the painter or a caller may still hold one
    QImage withResolution = garbage(w, h);    // as a BMP file read from disk may come
    withResolution.setDotsPerMeterX(1234);
    QImage withText = garbage(w, h);
    withText.setText("Comment", "zone");
    const QImage wrongFormat = garbage(w, h, QImage::Format_ARGB32_Premultiplied);
    const QImage wrongSize = garbage(w + 1, h);
    for (const QImage& spare : {wrongSize, wrongFormat, sharedOriginal, QImage(), withResolution, withText}) {
        QImage out;
        LoadJPEGToBitmap32(&out, path, spare);
        EXPECT_EQ(out, fresh);
        EXPECT_EQ(out.dotsPerMeterX(), fresh.dotsPerMeterX());
        EXPECT_TRUE(out.textKeys().isEmpty());
    }
    EXPECT_EQ(sharedCopy, garbage(w, h));
}
