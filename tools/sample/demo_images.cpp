// Zone images and tiles, and the JPEG and BMP encoding of every picture.
#include "demo_images.h"

#include <QBuffer>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "cp1252.h"
#include "demo_names.h"
#include "demo_random.h"

namespace sample {

namespace {

// Two ground colours per terrain: the corners of the zone's gradient.
const QRgb kGround[terrainCount][2] = {
    {0x9CBF6A, 0xC8D58A}, // plains
    {0x3F6B35, 0x6B8F48}, // forest
    {0x3A78B0, 0x6FA8D6}, // water
    {0x8A7A66, 0xB8A98F}, // mountains
    {0xB9AD94, 0xD8CCB0}, // town
};

void drawPolyline(QPainter& p, const VecPolyline& line, double scale)
{
    QPolygonF poly;
    for (const VecPoint& v : line) poly << QPointF(v.x * scale, v.y * scale);
    p.drawPolyline(poly);
}

void drawShape(QPainter& p, const ZoneScene::Shape& s, int terrain, double scale)
{
    const QPointF c(s.centre.x * scale, s.centre.y * scale);
    const double rx = s.radiusX * scale, ry = s.radiusY * scale;
    switch (s.kind) {
    case ZoneScene::lake:
        // On open water the same shapes are islands.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(terrain == terrainWater ? 0xD8C98F : 0x4F8FCF));
        p.drawEllipse(c, rx, ry);
        if (terrain == terrainWater) {
            p.setBrush(QColor(0x7FA65A));
            p.drawEllipse(c, rx * 0.6, ry * 0.6);
        }
        break;
    case ZoneScene::hill: {
        QRadialGradient g(c, std::max(rx, ry));
        g.setColorAt(0, QColor(0xE8DCC8));
        g.setColorAt(1, QColor(0x7A6448));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, rx, ry);
        break;
    }
    case ZoneScene::wood:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E5A28));
        p.drawEllipse(c, rx, ry);
        break;
    case ZoneScene::house:
        p.setPen(QPen(QColor(0x5A2A1A), std::max(1.0, rx / 6)));
        p.setBrush(QColor(0xA0523D));
        p.drawRect(QRectF(c.x() - rx / 2, c.y() - ry / 2, rx, ry));
        break;
    }
}

std::vector<uint8_t> encode(const QImage& image, const char* format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) return {};
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

} // namespace

QImage paintZone(const ZoneScene& scene, const std::string& zoneName, int size, bool tile)
{
    QImage image(size, size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double scale = size / 65535.0;
    const int terrain = std::clamp(scene.terrain, 0, terrainCount - 1);

    QLinearGradient ground(0, 0, size, size);
    ground.setColorAt(0, QColor(kGround[terrain][0]));
    ground.setColorAt(1, QColor(kGround[terrain][1]));
    p.fillRect(image.rect(), ground);

    if (tile) {
        // The tile's extra detail: a grain of small specks over the ground.
        DemoRandom grain(scene.grain);
        p.setPen(Qt::NoPen);
        for (int n = size * size / 300; n > 0; --n) {
            const int shade = grain.between(-24, 24);
            const QColor base(kGround[terrain][grain.between(0, 1)]);
            p.setBrush(QColor(std::clamp(base.red() + shade, 0, 255), std::clamp(base.green() + shade, 0, 255),
                              std::clamp(base.blue() + shade, 0, 255)));
            p.drawEllipse(QPointF(grain.between(0, size - 1), grain.between(0, size - 1)), 1.2, 1.2);
        }
    }
    for (const ZoneScene::Shape& s : scene.shapes) drawShape(p, s, terrain, scale);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x3F7FC8), std::max(1.0, size / 90.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const VecPolyline& river : scene.rivers) drawPolyline(p, river, scale);
    p.setPen(QPen(QColor(0xE8D8A8), std::max(1.0, size / 130.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const VecPolyline& road : scene.roads) drawPolyline(p, road, scale);

    QFont font("Arial");
    font.setPixelSize(std::max(6, size / 14));
    font.setBold(true);
    p.setFont(font);
    const QString text = FromCp1252(zoneName);
    const QRect box = image.rect().adjusted(2, 2, -2, -2);
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    p.setPen(QColor(0x202020));
    p.drawText(box.translated(1, 1), flags, text);
    p.setPen(Qt::white);
    p.drawText(box, flags, text);

    p.setPen(QPen(QColor(0x303030), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, size - 1, size - 1));
    return image;
}

std::vector<uint8_t> jpegBytes(const QImage& image, int quality)
{
    return encode(image, "jpg", quality);
}

std::vector<uint8_t> bmpBytes(const QImage& image)
{
    return encode(image.convertToFormat(QImage::Format_RGB32), "bmp", -1);
}

} // namespace sample
