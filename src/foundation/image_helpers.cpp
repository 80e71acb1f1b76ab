#include "image_helpers.h"

#include <QPainter>

#include "file_io.h"
#include "log.h"

uint32_t ColorToColor32(TColor c, uint32_t alpha)
{
    auto lower = [](uint32_t ch) { return ch ? ch - 1 : 0; };
    uint32_t r = lower(c & 0xFF), g = lower((c >> 8) & 0xFF), b = lower((c >> 16) & 0xFF);
    return alpha | (r << 16) | (g << 8) | b;
}

void MakeColorTransparent(QImage& image, TColor colour)
{
    if (image.isNull() || image.width() == 0 || image.height() == 0) return;
    if (image.format() != QImage::Format_ARGB32) image = image.convertToFormat(QImage::Format_ARGB32);
    const uint32_t rgb = ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == rgb) line[x] &= 0x00FFFFFF;
    }
}

QImage LoadStripIcon(const QString& path, int size, int index)
{
    if (size <= 0) size = 1;
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(0);
    QImage strip = ReadImageFile(path);
    if (strip.isNull()) {
        LogLine("icon strip cannot be read: " + path.toStdString());
        return icon;
    }
    if (index < 0 || int64_t(index) * size + size > strip.width()) {
        LogLine("icon " + std::to_string(index) + " lies outside the strip " + path.toStdString());
        return icon;
    }
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    MakeColorTransparent(strip, 0xFFFFFF);
    const int h = std::min(size, strip.height());
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const uint32_t*>(strip.constScanLine(y)) + index * size;
        auto* dst = reinterpret_cast<uint32_t*>(icon.scanLine(y));
        std::copy(src, src + size, dst);
    }
    return icon;
}

QImage ReadImageFile(const QString& path, const char* format, std::string* why)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, kImageFileCap, why)) return QImage();
    return QImage::fromData(bytes.data(), int(bytes.size()), format);
}

bool LoadIconStrip(const QString& path, QSize iconSize, std::vector<QImage>& out)
{
    QImage strip = ReadImageFile(path);
    if (strip.isNull() || iconSize.width() <= 0 || iconSize.height() <= 0) return false;
    strip = strip.convertToFormat(QImage::Format_ARGB32);
    MakeColorTransparent(strip, 0xFFFFFF);
    const int w = iconSize.width(), h = iconSize.height();
    // A few bytes of file can declare a strip of a million icons; no data names more than
    // kMaxStripIcons of them.
    const int count = strip.width() / w + 1;
    if (count > kMaxStripIcons)
        LogLine("icon strip of " + std::to_string(count) + " icons, those past " + std::to_string(kMaxStripIcons)
                + " ignored: " + path.toStdString());
    for (int i = 0; i < std::min(count, kMaxStripIcons); ++i) {
        // Pixels past the strip's edge come out 0, as do the transparent ones.
        QImage icon = strip.copy(QRect(i * w, 0, w, h));
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<uint32_t*>(icon.scanLine(y));
            for (int x = 0; x < w; ++x)
                if ((line[x] >> 24) == 0) line[x] = 0;
        }
        out.push_back(std::move(icon));
    }
    return true;
}
