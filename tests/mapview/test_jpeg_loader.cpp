// JPEG decoding into 32-bit bitmaps: colour layouts, damaged and hostile input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include <QFile>
#include <QTemporaryDir>

#include "jpeg_loader.h"
#include "jpeg_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

QString writeFile(const QTemporaryDir& dir, const QString& name, const Bytes& bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

// The error of a load from bytes, or nothing when it succeeded.
std::optional<EIJLError> loadError(const Bytes& bytes, QImage& image)
{
    try {
        LoadJPEGToBitmap32(&image, bytes.data(), bytes.size(), "mem.jpg");
    } catch (const EIJLError& e) {
        return e;
    }
    return std::nullopt;
}

// Rewrites the frame header's height and width.
Bytes withSize(Bytes bytes, int width, int height)
{
    for (size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = uint8_t(height >> 8);
            bytes[i + 6] = uint8_t(height);
            bytes[i + 7] = uint8_t(width >> 8);
            bytes[i + 8] = uint8_t(width);
            return bytes;
        }
    ADD_FAILURE() << "no frame header";
    return bytes;
}

struct GoodCase {
    const char* name;
    int components;
    J_COLOR_SPACE input;
    JpegWriteOptions options;
    int tolerance;
};

// What a source pixel should look like as RGB.
std::array<int, 3> expectedRgb(const GoodCase& c, const uint8_t* s)
{
    if (c.components == 1) return {s[0], s[0], s[0]};
    if (c.components == 3) return {s[0], s[1], s[2]};
    const bool inverted = c.options.adobeMarker;
    const auto ink = [&](int v) {
        const int k = inverted ? s[3] : 255 - s[3];
        return ((inverted ? v : 255 - v) * k + 127) / 255;
    };
    return {ink(s[0]), ink(s[1]), ink(s[2])};
}

TEST(JpegLoader, DecodesEveryChannelLayoutUprightIntoOpaqueRgb32)
{
    QTemporaryDir dir;
    constexpr int w = 71, h = 41; // odd sizes, partial blocks at the right and bottom
    const GoodCase cases[] = {
        {"rgb", 3, JCS_RGB, {}, 4},
        {"rgb progressive", 3, JCS_RGB, {100, true}, 4},
        {"grey", 1, JCS_GRAYSCALE, {}, 1},
        {"cmyk adobe", 4, JCS_CMYK, {}, 3},
        {"cmyk plain", 4, JCS_CMYK, {100, false, JCS_UNKNOWN, false}, 3},
        {"ycck", 4, JCS_CMYK, {100, false, JCS_YCCK, true}, 6},
    };
    for (const GoodCase& c : cases) {
        const Bytes src = TilePattern(w, h, c.components);
        const Bytes jpeg = EncodeJpeg(src, w, h, c.components, c.input, c.options);
        QImage image;
        LoadJPEGToBitmap32(&image, writeFile(dir, "zone.jpg", jpeg));
        ASSERT_EQ(image.size(), QSize(w, h)) << c.name;
        ASSERT_EQ(image.format(), QImage::Format_RGB32) << c.name;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << c.name;
        // Tile centres, and the last pixel of the partial corner tile.
        std::vector<QPoint> probes{{w - 1, h - 1}};
        for (int y = 8; y < h; y += 16)
            for (int x = 8; x < w; x += 16) probes.emplace_back(x, y);
        for (QPoint p : probes) {
            const auto want = expectedRgb(c, &src[(size_t(p.y()) * w + p.x()) * c.components]);
            const QRgb got = image.pixel(p);
            EXPECT_NEAR(qRed(got), want[0], c.tolerance) << c.name << " at " << p.x() << "," << p.y();
            EXPECT_NEAR(qGreen(got), want[1], c.tolerance) << c.name << " at " << p.x() << "," << p.y();
            EXPECT_NEAR(qBlue(got), want[2], c.tolerance) << c.name << " at " << p.x() << "," << p.y();
        }
        QImage fromBytes;
        LoadJPEGToBitmap32(&fromBytes, jpeg.data(), jpeg.size(), "zone.jpg");
        EXPECT_EQ(fromBytes, image) << c.name;
    }
}

TEST(JpegLoader, MessagesNameTheActionTheFileAndTheCode)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("none.jpg");
    QImage image;
    try {
        LoadJPEGToBitmap32(&image, missing);
        FAIL() << "no error";
    } catch (const EIJLError& e) {
        EXPECT_EQ(e.message(), "Error reading parameters of image:\r" + missing +
                                   "\rError: Cannot open the file\rIJL Error number: -1");
        EXPECT_EQ(e.errorCode(), kJpegCannotOpen);
    }
    try {
        LoadJPEGToBitmap32(nullptr, missing);
        FAIL() << "no error";
    } catch (const EIJLError&) {
        FAIL() << "a missing bitmap is not a library error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Bitmap not initialised");
    }
}

TEST(JpegLoader, DamagedDataRaisesAndLeavesTheBitmapAlone)
{
    const Bytes good = EncodeJpeg(TilePattern(256, 256, 3, 5), 256, 256, 3, JCS_RGB, {90});
    const Bytes progressive = EncodeJpeg(TilePattern(256, 256, 3, 5), 256, 256, 3, JCS_RGB, {90, true});
    Bytes marker = good; // a stray marker in the middle of the entropy-coded data
    marker[good.size() / 2] = 0xFF;
    marker[good.size() / 2 + 1] = 0xD9;
    const struct {
        const char* name;
        Bytes bytes;
        const char* action;
    } cases[] = {
        {"empty", {}, "reading parameters of"},
        {"not a jpeg", {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8}, "reading parameters of"},
        {"cut in the header", Bytes(good.begin(), good.begin() + 100), "reading parameters of"},
        {"cut in the scan", Bytes(good.begin(), good.begin() + good.size() / 2), "reading"},
        {"cut progressive", Bytes(progressive.begin(), progressive.begin() + progressive.size() * 2 / 3), "reading"},
        {"stray marker", marker, "reading"},
    };
    for (const auto& c : cases) {
        QImage image(3, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QImage before = image;
        const auto error = loadError(c.bytes, image);
        ASSERT_TRUE(error.has_value()) << c.name;
        EXPECT_EQ(error->action(), c.action) << c.name;
        EXPECT_GT(error->errorCode(), 0) << c.name; // libjpeg's own message code
        EXPECT_FALSE(error->errorText().isEmpty()) << c.name;
        EXPECT_EQ(image, before) << c.name;
    }
}

TEST(JpegLoader, HostileHeadersAreRefusedBeforeAnyPixelMemory)
{
    const Bytes small = EncodeJpeg(TilePattern(16, 16, 3), 16, 16, 3, JCS_RGB);
    QImage image;
    const struct {
        int width, height, code;
    } sizes[] = {
        {16385, 8, kJpegTooLarge},     // one side too long
        {8, 65000, kJpegTooLarge},
        {16384, 4097, kJpegTooLarge},  // each side allowed, more than 256 MiB in all
    };
    for (const auto& s : sizes) {
        const auto error = loadError(withSize(small, s.width, s.height), image);
        ASSERT_TRUE(error.has_value()) << s.width << "x" << s.height;
        EXPECT_EQ(error->errorCode(), s.code);
        EXPECT_EQ(error->action(), "reading parameters of");
        EXPECT_TRUE(error->errorText().contains(QString::number(s.width)));
    }
    // The largest side allowed goes on to decoding, which then finds the data too short.
    const auto edge = loadError(withSize(small, 16384, 2), image);
    ASSERT_TRUE(edge.has_value());
    EXPECT_EQ(edge->action(), "reading");

    const Bytes twoChannels = EncodeJpeg(TilePattern(16, 16, 2), 16, 16, 2, JCS_UNKNOWN);
    const auto channels = loadError(twoChannels, image);
    ASSERT_TRUE(channels.has_value());
    EXPECT_EQ(channels->errorCode(), kJpegBadChannels);
    EXPECT_TRUE(image.isNull());
}

} // namespace
