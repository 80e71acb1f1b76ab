#include "image_map.h"

#include <QMouseEvent>
#include <QPainter>

#include "cp1252.h"

ImageMap::ImageMap(QWidget* parent) : QWidget(parent)
{
    setObjectName("ImageMap");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(0, 0);
}

void ImageMap::paint_map_layer(QImage& buffer) const
{
    buffer.fill(QColor(0x7A, 0x7A, 0x7A));
    QPainter p(&buffer);
    if (!splashCase || splashCase()) {
        if (!Splash.isNull())
            p.drawImage(buffer.width() / 2 - Splash.width() / 2, buffer.height() / 2 - Splash.height() / 2, Splash);
        return;
    }
    p.end();
    if (feedback && !feedback->empty()) draw_feedback(buffer, *feedback);
}

void ImageMap::draw_feedback(QImage& buffer, const FeedbackLines& lines)
{
    const int n = int(lines.size());
    const int h = buffer.height() / 2;
    const int d = ((n - 1) * 16) / 2;
    QPainter p(&buffer);
    p.fillRect(QRect(QPoint(0, h - d), QPoint(buffer.width() - 1, h + d + 8)), QColor(0, 0, 0, 0x99));
    QFont font("Arial");
    font.setPixelSize(11);
    p.setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    for (int i = 0; i + 1 < n; ++i) {
        const rdirectfeedback& line = lines[size_t(i)];
        const TColor c = line.colour;
        p.setPen(QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)));
        p.drawText(QPoint(buffer.width() / 2 - line.width / 2, h - d + 5 + 16 * i + ascent), FromCp1252(line.text));
    }
}

void ImageMap::paintEvent(QPaintEvent*)
{
    QImage buffer(size(), QImage::Format_ARGB32_Premultiplied);
    paint_map_layer(buffer);
    QPainter(this).drawImage(0, 0, buffer);
}

void ImageMap::mousePressEvent(QMouseEvent* event)
{
    emit mousePressedOnMap(event->position().toPoint(), event->button(), event->modifiers());
}
