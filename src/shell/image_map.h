#pragma once
// The map area of the main window: the splash until a map is shown, the map layer and the
// feedback box over it.
#include <functional>

#include <QImage>
#include <QWidget>

#include "feedback.h"

class ImageMap : public QWidget {
    Q_OBJECT
public:
    explicit ImageMap(QWidget* parent = nullptr);

    QImage Splash;                         // data/vmar.bmp
    std::function<bool()> splashCase;      // True while the splash is to be painted
    const FeedbackLines* feedback = nullptr;

    // Paints the whole layer into an image of the widget's size (what the widget shows).
    void paint_map_layer(QImage& buffer) const;
    static void draw_feedback(QImage& buffer, const FeedbackLines& lines);

signals:
    void mousePressedOnMap(QPoint position, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
};
