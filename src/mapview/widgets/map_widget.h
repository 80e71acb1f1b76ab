#pragma once
// The map control: it shows the map layer that the renderer paints into an image of the
// control's size, and hands its mouse and wheel events to the map's input handling.
#include <functional>

#include <QImage>
#include <QWidget>

class MapWidget : public QWidget {
    Q_OBJECT
public:
    explicit MapWidget(QWidget* parent = nullptr);

    // Paints the whole layer into the buffer (sized to the control).
    std::function<void(QImage& buffer)> paintLayer;
    // The control's size changed.
    std::function<void(int width, int height)> onResize;
    std::function<void(QMouseEvent*)> onMouseMove, onMouseDown, onMouseUp, onDoubleClick;
    std::function<void(QWheelEvent*)> onWheel;
    std::function<void()> onLeave;

    const QImage& lastFrame() const { return buffer_; }

    // While held (a load runs behind the progress bar), a paint the window asks for shows
    // the last frame again instead of painting the layer of a half-loaded map; the release
    // paints the layer afresh.
    void holdLayer();
    void releaseLayer();
    bool layerHeld() const { return held_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QImage buffer_;
    bool held_ = false;
};
