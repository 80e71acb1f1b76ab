#include "map_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

MapWidget::MapWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("ImageMap");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(0, 0);
}

void MapWidget::paintEvent(QPaintEvent*)
{
    if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    if (buffer_.isNull()) return;
    if (paintLayer)
        paintLayer(buffer_);
    else
        buffer_.fill(QColor(0x7A, 0x7A, 0x7A));
    QPainter(this).drawImage(0, 0, buffer_);
}

void MapWidget::resizeEvent(QResizeEvent*)
{
    if (onResize) onResize(width(), height());
}

void MapWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (onMouseMove) onMouseMove(event);
}

void MapWidget::mousePressEvent(QMouseEvent* event)
{
    if (onMouseDown) onMouseDown(event);
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (onMouseUp) onMouseUp(event);
}

void MapWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (onDoubleClick) onDoubleClick(event);
}

void MapWidget::wheelEvent(QWheelEvent* event)
{
    if (onWheel) onWheel(event);
}

void MapWidget::leaveEvent(QEvent*)
{
    if (onLeave) onLeave();
}
