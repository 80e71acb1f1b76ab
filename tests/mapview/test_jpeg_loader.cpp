// JPEG decoding into 32-bit bitmaps: colour layouts, damaged and hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>

#include <QFile>
#include <QTemporaryDir>

#include "jpeg_loader.h"
#include "jpeg_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

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
    size_t i = 0;
    while (i + 8 < bytes.size() && !(bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2))) ++i;
    const uint8_t patch[] = {uint8_t(height >> 8), uint8_t(height), uint8_t(width >> 8), uint8_t(width)};
    std::copy(patch, patch + 4, bytes.begin() + std::ptrdiff_t(i + 5));
    return bytes;
}

struct GoodCase {
    const char* name;
    int components;
    J_COLOR_SPACE input;
    JpegWriteOptions options;
    int tolerance;
};

// What a source pixel should look like as RGB; Adobe's CMYK stores the inks inverted.
std::array<int, 3> expectedRgb(const GoodCase& c, const uint8_t* s)
{
    if (c.components != 4) return c.components == 1 ? std::array<int, 3>{s[0], s[0], s[0]} : std::array<int, 3>{s[0], s[1], s[2]};
    const bool inv = c.options.adobeMarker;
    const auto ink = [&](int v) { return ((inv ? v : 255 - v) * (inv ? s[3] : 255 - s[3]) + 127) / 255; };
    return {ink(s[0]), ink(s[1]), ink(s[2])};
}

TEST(JpegLoader, DecodesEveryChannelLayoutUprightIntoOpaqueRgb32)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("zone.jpg");
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
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char*>(jpeg.data()), qint64(jpeg.size()));
        f.close();
        QImage image;
        LoadJPEGToBitmap32(&image, path);
        ASSERT_EQ(image.size(), QSize(w, h)) << c.name;
        ASSERT_EQ(image.format(), QImage::Format_RGB32) << c.name;
        // Opaque in the stored bits too (pixel() would add the alpha): the map blends onto them.
        for (int y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x) ASSERT_EQ(row[x] >> 24, 0xFFu) << c.name;
        }
        // Tile centres, and the last pixel of the partial corner tile.
        std::vector<QPoint> probes{{w - 1, h - 1}};
        for (int y = 8; y < h; y += 16)
            for (int x = 8; x < w; x += 16) probes.emplace_back(x, y);
        for (QPoint p : probes) {
            const auto want = expectedRgb(c, &src[(size_t(p.y()) * w + p.x()) * c.components]);
            const QRgb got = image.pixel(p);
            const int off = std::max({std::abs(qRed(got) - want[0]), std::abs(qGreen(got) - want[1]),
                                      std::abs(qBlue(got) - want[2])});
            EXPECT_LE(off, c.tolerance) << c.name << " at " << p.x() << "," << p.y();
        }
        QImage fromBytes;
        LoadJPEGToBitmap32(&fromBytes, jpeg.data(), jpeg.size(), "zone.jpg");
        EXPECT_EQ(fromBytes, image) << c.name;
    }
}

TEST(JpegLoader, FailuresAndHostileInputRaiseWithActionFileAndCodeAndLeaveTheBitmapAlone)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath("none.jpg");
    QImage image;
    try {
        LoadJPEGToBitmap32(&image, missing);
        ADD_FAILURE() << "no error";
    } catch (const EIJLError& e) {
        EXPECT_EQ(e.message(), "Error reading parameters of image:\r" + missing +
                                   "\rError: Cannot open the file\rIJL Error number: -1");
    }
    try {
        LoadJPEGToBitmap32(nullptr, missing);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Bitmap not initialised");
    }

    const Bytes good = EncodeJpeg(TilePattern(256, 256, 3, 5), 256, 256, 3, JCS_RGB, {90});
    const Bytes progressive = EncodeJpeg(TilePattern(256, 256, 3, 5), 256, 256, 3, JCS_RGB, {90, true});
    Bytes marker = good; // an end-of-image marker in the middle of the entropy-coded data
    marker[good.size() / 2] = 0xFF;
    marker[good.size() / 2 + 1] = 0xD9;
    const Bytes small = EncodeJpeg(TilePattern(16, 16, 3), 16, 16, 3, JCS_RGB);
    const char* const header = "reading parameters of";
    // Code 0: libjpeg's own message code and text. A side too long, or each side allowed but
    // more than 256 MiB in all, is refused before any pixel memory; the longest side allowed
    // goes on to decoding, which then finds the data too short.
    const std::tuple<const char*, Bytes, const char*, int> cases[] = {
        {"empty", {}, header, 0},
        {"not a jpeg", {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8}, header, 0},
        {"cut in the header", Bytes(good.begin(), good.begin() + 100), header, 0},
        {"cut in the scan", Bytes(good.begin(), good.end() - std::ptrdiff_t(good.size() / 2)), "reading", 0},
        {"cut progressive", Bytes(progressive.begin(), progressive.end() - 300), "reading", 0},
        {"stray marker", marker, "reading", 0},
        {"too wide", withSize(small, 16385, 8), header, kJpegTooLarge},
        {"too high", withSize(small, 8, 65000), header, kJpegTooLarge},
        {"too many pixels", withSize(small, 16384, 4097), header, kJpegTooLarge},
        {"widest allowed", withSize(small, 16384, 2), "reading", 0},
        {"two channels", EncodeJpeg(TilePattern(8, 8, 2), 8, 8, 2, JCS_UNKNOWN), header, kJpegBadChannels},
    };
    for (const auto& [name, bytes, action, code] : cases) {
        image = QImage(3, 3, QImage::Format_RGB32);
        image.fill(Qt::red);
        const QImage before = image;
        const auto error = loadError(bytes, image);
        ASSERT_TRUE(error.has_value()) << name;
        EXPECT_EQ(error->action(), action) << name;
        const int got = error->errorCode();
        EXPECT_TRUE(code ? got == code : got > 0 && !error->errorText().isEmpty()) << name << " " << got;
        EXPECT_EQ(image, before) << name;
    }
}

} // namespace
