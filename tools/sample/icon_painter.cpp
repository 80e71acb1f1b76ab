// Icon strips, markers, splash and emblems. Icons are drawn without anti-aliasing on pure
// white, the colour the program makes transparent, so no pale fringe is left around them.
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>

#include "demo_images.h"

namespace sample {

namespace {

enum Glyph {
    glyphDisc, glyphSquare, glyphTriangle, glyphDiamond, glyphCross, glyphRing, glyphStar, glyphLines,
    glyphDashes, glyphDoc, glyphChain, glyphFloppy, glyphPin, glyphHalf, glyphGrid, glyphEnvelope,
    glyphArrowDown, glyphPencil, glyphMagnifier, glyphHouse, glyphFlag
};

// Draws one glyph into the square cell (x, 0, n, n).
void drawGlyph(QPainter& p, int x, int n, Glyph g, QColor colour)
{
    const QColor dark = colour.darker(160);
    const int m = std::max(1, n / 8); // margin
    const QRect r(x + m, m, n - 2 * m, n - 2 * m);
    const QPoint c = r.center();
    p.setPen(dark);
    p.setBrush(colour);
    switch (g) {
    case glyphDisc: p.drawEllipse(r); break;
    case glyphSquare: p.drawRect(r.adjusted(0, 0, -1, -1)); break;
    case glyphTriangle: p.drawPolygon(QPolygon({QPoint(c.x(), r.top()), r.bottomRight(), r.bottomLeft()})); break;
    case glyphDiamond:
        p.drawPolygon(QPolygon({QPoint(c.x(), r.top()), QPoint(r.right(), c.y()), QPoint(c.x(), r.bottom()),
                                QPoint(r.left(), c.y())}));
        break;
    case glyphCross:
        p.drawRect(QRect(c.x() - m, r.top(), 2 * m, r.height() - 1));
        p.drawRect(QRect(r.left(), c.y() - m, r.width() - 1, 2 * m));
        break;
    case glyphRing:
        p.setPen(QPen(colour, std::max(1, n / 6)));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(r.adjusted(m, m, -m, -m));
        break;
    case glyphStar:
        p.drawPolygon(QPolygon({QPoint(c.x(), r.top()), QPoint(c.x() + m, c.y() - m), QPoint(r.right(), c.y()),
                                QPoint(c.x() + m, c.y() + m), QPoint(c.x(), r.bottom()), QPoint(c.x() - m, c.y() + m),
                                QPoint(r.left(), c.y()), QPoint(c.x() - m, c.y() - m)}));
        break;
    case glyphLines:
        for (int i = 0; i < 3; ++i) p.drawRect(QRect(r.left(), r.top() + i * r.height() / 3, r.width() - 1, m));
        break;
    case glyphDashes:
        p.setPen(QPen(colour, std::max(1, n / 8), Qt::DashLine));
        p.drawLine(r.bottomLeft(), r.topRight());
        break;
    case glyphDoc:
        p.setBrush(Qt::white);
        p.drawRect(r.adjusted(m, 0, -m - 1, -1));
        p.setPen(colour);
        for (int y = r.top() + 2 * m; y < r.bottom() - m; y += 2 * m) p.drawLine(r.left() + 2 * m, y, r.right() - 2 * m, y);
        break;
    case glyphChain:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, std::max(1, n / 8)));
        p.drawEllipse(QRect(r.left(), r.top() + r.height() / 4, r.width() / 2 + m, r.height() / 2));
        p.drawEllipse(QRect(c.x() - m, r.top() + r.height() / 4, r.width() / 2 + m, r.height() / 2));
        break;
    case glyphFloppy:
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setBrush(Qt::white);
        p.drawRect(QRect(r.left() + 2 * m, r.top(), r.width() - 4 * m, r.height() / 3));
        break;
    case glyphPin:
        p.drawEllipse(QRect(r.left() + m, r.top(), r.width() - 2 * m, r.height() / 2));
        p.drawLine(c.x(), c.y(), c.x(), r.bottom());
        break;
    case glyphHalf:
        p.setBrush(Qt::black);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setBrush(colour);
        p.drawRect(QRect(r.left(), r.top(), r.width() / 2, r.height() - 1));
        break;
    case glyphGrid:
        p.setPen(colour);
        for (int i = 0; i <= 3; ++i) {
            p.drawLine(r.left() + i * (r.width() - 1) / 3, r.top(), r.left() + i * (r.width() - 1) / 3, r.bottom());
            p.drawLine(r.left(), r.top() + i * (r.height() - 1) / 3, r.right(), r.top() + i * (r.height() - 1) / 3);
        }
        break;
    case glyphEnvelope:
        p.drawRect(QRect(r.left(), r.top() + m, r.width() - 1, r.height() - 2 * m));
        p.drawLine(r.left(), r.top() + m, c.x(), c.y());
        p.drawLine(c.x(), c.y(), r.right(), r.top() + m);
        break;
    case glyphArrowDown:
        p.drawPolygon(QPolygon({QPoint(c.x() - m, r.top()), QPoint(c.x() + m, r.top()), QPoint(c.x() + m, c.y()),
                                QPoint(r.right(), c.y()), QPoint(c.x(), r.bottom()), QPoint(r.left(), c.y()),
                                QPoint(c.x() - m, c.y())}));
        break;
    case glyphPencil:
        p.setPen(QPen(colour, std::max(2, n / 5)));
        p.drawLine(r.bottomLeft() + QPoint(m, -m), r.topRight());
        break;
    case glyphMagnifier:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(colour, std::max(1, n / 8)));
        p.drawEllipse(QRect(r.left(), r.top(), r.width() * 2 / 3, r.height() * 2 / 3));
        p.drawLine(c.x() + m, c.y() + m, r.right(), r.bottom());
        break;
    case glyphHouse:
        p.drawPolygon(QPolygon({QPoint(c.x(), r.top()), QPoint(r.right(), c.y()), QPoint(r.left(), c.y())}));
        p.drawRect(QRect(r.left() + m, c.y(), r.width() - 2 * m - 1, r.bottom() - c.y()));
        break;
    case glyphFlag:
        p.drawLine(r.left() + m, r.top(), r.left() + m, r.bottom());
        p.drawPolygon(QPolygon({QPoint(r.left() + m, r.top()), QPoint(r.right(), r.top() + r.height() / 4),
                                QPoint(r.left() + m, c.y())}));
        break;
    }
}

struct IconSpec {
    Glyph glyph;
    QRgb colour;
};

QImage strip(const std::vector<IconSpec>& icons, int n, bool hot)
{
    QImage image(n * int(icons.size()), n, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (size_t i = 0; i < icons.size(); ++i) {
        QColor colour(icons[i].colour);
        if (hot) colour = colour.lighter(140);
        drawGlyph(p, int(i) * n, n, icons[i].glyph, colour);
    }
    return image;
}

// The images of the tool buttons and of the info panel, by their image index.
const std::vector<IconSpec> kToolIcons = {
    {glyphLines, 0x203080},    {glyphDashes, 0x8A5A20},  {glyphLines, 0x207030},   {glyphDisc, 0xC03030},
    {glyphDiamond, 0x8040A0},  {glyphSquare, 0x208080},  {glyphMagnifier, 0x404040}, {glyphDoc, 0x3060A0},
    {glyphChain, 0xC07020},    {glyphStar, 0xD0A000},    {glyphTriangle, 0x2090C0}, {glyphCross, 0xB02020},
    {glyphDisc, 0x30A050},     {glyphSquare, 0x6050B0},  {glyphFloppy, 0x2050A0},  {glyphPin, 0xC02060},
    {glyphChain, 0x2080C0},    {glyphHalf, 0x808080},    {glyphDisc, 0x8080C0},    {glyphTriangle, 0x60A020},
    {glyphGrid, 0x406080},     {glyphEnvelope, 0xA07030}, {glyphDisc, 0xE0C020},   {glyphStar, 0x3080E0},
    {glyphPencil, 0xB06020},   {glyphDiamond, 0x20A0A0}, {glyphArrowDown, 0x20A040}, {glyphRing, 0x606060},
};

} // namespace

QImage paintToolStrip(bool hot)
{
    return strip(kToolIcons, 16, hot);
}

QImage paintTreeStrip()
{
    std::vector<IconSpec> icons = {
        {glyphChain, 0xC07020},  // 0: redirect links
        {glyphFlag, 0xB03030},   // 1: maps
        {glyphSquare, 0x60A040}, // 2: land zones
        {glyphSquare, 0x3A78B0}, // 3: water zones
    };
    const Glyph glyphs[] = {glyphDisc, glyphHouse, glyphDiamond, glyphStar, glyphTriangle, glyphCross,
                            glyphRing, glyphFlag, glyphSquare, glyphPin, glyphMagnifier, glyphDoc};
    const QRgb colours[] = {0xC03030, 0xE08020, 0x40A040, 0xA040C0, 0xD02020, 0x2080D0,
                            0x20A0A0, 0x8040A0, 0x606060, 0xC02080, 0x806020, 0x3060A0};
    for (int i = 0; i < 12; ++i) icons.push_back({glyphs[i], colours[i]});
    return strip(icons, 16, false);
}

QImage paintCategoryStrip()
{
    const Glyph glyphs[] = {glyphDisc, glyphSquare, glyphTriangle, glyphDiamond, glyphStar, glyphCross,
                            glyphHouse, glyphFlag};
    const QRgb colours[] = {0xD03030, 0xE09020, 0x30A030, 0x9040C0, 0xE0C000, 0x2070D0, 0x20A0A0, 0xC02080,
                            0x806030, 0x404040, 0x60C0F0, 0xF06060, 0x90D040, 0xB0B0B0, 0x4060A0, 0xA06000};
    std::vector<IconSpec> icons;
    for (int i = 0; i < 16; ++i) icons.push_back({glyphs[i % 8], colours[i]});
    return strip(icons, 11, false);
}

QImage paintTargetMarker()
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 2.5));
    p.drawEllipse(QPointF(16, 16), 11, 11);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(QPointF(16, 1), QPointF(16, 10));
    p.drawLine(QPointF(16, 22), QPointF(16, 31));
    p.drawLine(QPointF(1, 16), QPointF(10, 16));
    p.drawLine(QPointF(22, 16), QPointF(31, 16));
    return image;
}

QImage paintCompassMarker()
{
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xC0C0C0), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(12, 12), 4.5, 4.5);
    return image;
}

QImage paintSplash()
{
    QImage image(480, 300, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(0x1C3A52));
    sky.setColorAt(1, QColor(0x0B1622));
    p.fillRect(image.rect(), sky);
    // A compass rose behind the title: each point is a light and a dark half.
    p.setPen(Qt::NoPen);
    const QPointF c(240, 120);
    const QPointF points[4] = {{0, -70}, {70, 0}, {0, 70}, {-70, 0}};
    const QPointF between[4] = {{11, -11}, {11, 11}, {-11, 11}, {-11, -11}}; // after each point
    for (int i = 0; i < 4; ++i) {
        p.setBrush(QColor(0xD8C48A));
        p.drawPolygon(QPolygonF({c, c + points[i], c + between[i]}));
        p.setBrush(QColor(0x8FA8B8));
        p.drawPolygon(QPolygonF({c, c + points[i], c + between[(i + 3) % 4]}));
    }
    QFont title("Arial");
    title.setPixelSize(34);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 200, 480, 44), Qt::AlignCenter, QStringLiteral("Vmar Plotterwerk"));
    QFont small("Arial");
    small.setPixelSize(14);
    p.setFont(small);
    p.setPen(QColor(0xB8C8D8));
    p.drawText(QRect(0, 246, 480, 24), Qt::AlignCenter, QStringLiteral("v2.52"));
    return image;
}

QImage paintEmblem(bool database)
{
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    if (database) {
        // A shield halved in green and gold.
        const QPolygon shield({QPoint(3, 3), QPoint(28, 3), QPoint(28, 16), QPoint(16, 29), QPoint(3, 16)});
        p.setPen(QColor(0x203020));
        p.setBrush(QColor(0x3C7A3A));
        p.drawPolygon(shield);
        p.setBrush(QColor(0xD8B040));
        p.drawPolygon(QPolygon({QPoint(16, 3), QPoint(28, 3), QPoint(28, 16), QPoint(16, 29)}));
    } else {
        drawGlyph(p, 0, 32, glyphStar, QColor(0x2F5F8F));
        p.setPen(QColor(0x1F3F5F));
        p.setBrush(QColor(0xD8C48A));
        p.drawEllipse(QRect(12, 12, 8, 8));
    }
    return image;
}

} // namespace sample
