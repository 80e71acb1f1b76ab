#pragma once
// A widget that shows a picture, the stand-in for the toolkit's image control:
// translation gives it a hint, not a caption.
#include <QImage>
#include <QWidget>

class ImageControl : public QWidget {
    Q_OBJECT
public:
    explicit ImageControl(QWidget* parent = nullptr) : QWidget(parent) {}
    void setImage(const QImage& image);
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage image_;
};
