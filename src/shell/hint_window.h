#pragma once
// The program's own hint window: a one-line simple hint for texts that begin with "@"
// (the tool-button hints), and the rich hint of the location under the mouse on the map.
#include <vector>

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "hint_caption.h"

enum class HintKind { Simple, Rich };

class TCustomHint : public QWidget {
    Q_OBJECT
public:
    explicit TCustomHint(QWidget* parent = nullptr);

    // The tree image list (category icons at index icon + 4) and the link image.
    void setImages(const std::vector<QImage>* treeImages, QImage linkImage);

    // Sizes the hint for its text, places it at topLeft kept inside the screen that
    // holds that point, and shows it without taking the focus. A text starting with "@"
    // is always a simple hint; a rich hint draws `caption` with the text as the name.
    void ActivateHintData(QPoint topLeft, const QString& hintText, HintKind kind, const rHCaption& caption);
    // The size a hint takes, without showing it.
    static QSize hintSize(const QString& text, HintKind kind, const rHCaption& caption);
    // The top-left corner that keeps a hint of that size inside the screen area.
    static QPoint placeInside(QPoint topLeft, QSize size, const QRect& screen);

    HintKind kind() const { return kind_; }
    const QString& text() const { return text_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    HintKind kind_ = HintKind::Simple;
    QString text_;
    rHCaption caption_;
    const std::vector<QImage>* treeImages_ = nullptr;
    QImage linkImage_;
};

// Shows the program's hint window instead of Qt's tool tips, with no delay, and hides it
// after the hint hide pause.
class HintManager : public QObject {
    Q_OBJECT
public:
    explicit HintManager(QObject* parent = nullptr);
    ~HintManager() override;

    TCustomHint* window() { return window_; }
    // How long a hint stays up: milliseconds when above 0, else 999000.
    void init_hinttime(int milliseconds);
    int hidePause() const { return hidePause_; }
    // Shows a hint below the mouse position (global coordinates); an empty text hides it.
    void showHint(QPoint globalMouse, const QString& text, HintKind kind, const rHCaption& caption = {});
    void hideHint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<TCustomHint> window_;
    QTimer hideTimer_;
    int hidePause_ = 5000;
};
