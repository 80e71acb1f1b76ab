#include "shape_control.h"

#include <QMouseEvent>
#include <QPainter>

ShapeControl::ShapeControl(Shape shape, QWidget* parent) : QWidget(parent), shape_(shape) {}

void ShapeControl::setBrushColour(const QColor& colour)
{
    brush_ = colour;
    update();
}

void ShapeControl::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(Qt::black);
    p.setBrush(brush_);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (shape_ == Shape::Circle) {
        p.setRenderHint(QPainter::Antialiasing);
        p.drawEllipse(r);
    } else {
        p.drawRect(r);
    }
}

void ShapeControl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && onMouseDown) onMouseDown();
    QWidget::mousePressEvent(event);
}
