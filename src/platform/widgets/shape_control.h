#pragma once
// A filled shape control: a rectangle or a circle in a brush colour, with a black pen, that
// can report a press of the left mouse button.
#include <functional>

#include <QColor>
#include <QWidget>

class ShapeControl : public QWidget {
    Q_OBJECT
public:
    enum class Shape { Rectangle, Circle };
    explicit ShapeControl(Shape shape, QWidget* parent = nullptr);

    void setBrushColour(const QColor& colour);
    QColor brushColour() const { return brush_; }

    std::function<void()> onMouseDown;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Shape shape_;
    QColor brush_ = Qt::white;
};
