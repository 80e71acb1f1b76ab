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

void MapWidget::holdLayer()
{
    held_ = true;
}

void MapWidget::releaseLayer()
{
    if (!held_) return;
    held_ = false;
    update();
}

void MapWidget::paintEvent(QPaintEvent*)
{
    const bool resized = buffer_.size() != size();
    if (resized) buffer_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    if (buffer_.isNull()) return;
    const bool showLastFrame = held_ && !resized;
    if (showLastFrame) {
        // nothing to paint: the buffer holds the frame
    } else if (paintLayer) {
        paintLayer(buffer_);
    } else {
        buffer_.fill(QColor(0x7A, 0x7A, 0x7A));
    }
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
