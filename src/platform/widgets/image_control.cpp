#include "image_control.h"

#include <QPainter>

void ImageControl::setImage(const QImage& image)
{
    image_ = image;
    update();
}

void ImageControl::paintEvent(QPaintEvent*)
{
    if (image_.isNull()) return;
    QPainter p(this);
    p.drawImage(0, 0, image_);
}
