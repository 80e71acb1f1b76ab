#include "hint_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>

#include "cp1252.h"

namespace {

// Point sizes at 96 dots per inch, the scale the hint's fixed line heights and widths are measured in.
QFont arial(int points, bool bold)
{
    QFont f("Arial");
    f.setPixelSize(points == 7 ? 9 : 11);
    f.setBold(bold);
    return f;
}

QColor fromTColor(TColor c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

QSize bodyExtent(const rHCaption& caption)
{
    if (!caption.hasBody) return {0, 0};
    const QRect r = QFontMetrics(arial(7, false))
                        .boundingRect(QRect(0, 0, 200, 100000), Qt::TextWordWrap, ToDisplay(caption.body));
    return {r.width() + 6, r.height() + 2};
}

// Tool tips show at once: the hints of the tool bars and the map are meant to follow the mouse without a pause.
class NoHintDelayStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay || hint == SH_ToolTip_FallAsleepDelay) return 0;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

} // namespace

TCustomHint::TCustomHint(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowTransparentForInput)
{
    // Transparent for input on the window system too: a hint moved over the pointer (at the
    // bottom or right edge of the screen) must not take the pointer from the map, whose
    // leave event would hide it again at once.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

void TCustomHint::setImages(const std::vector<QImage>* treeImages, QImage linkImage)
{
    treeImages_ = treeImages;
    linkImage_ = std::move(linkImage);
}

QSize TCustomHint::hintSize(const QString& hintText, HintKind kind, const rHCaption& caption)
{
    const bool simple = kind == HintKind::Simple || hintText.startsWith('@');
    const QString text = hintText.startsWith('@') ? hintText.mid(1) : hintText;
    if (simple) return {QFontMetrics(arial(8, false)).horizontalAdvance(text) + 10, 20};
    const QSize body = bodyExtent(caption);
    const QFontMetrics bold(arial(8, true));
    const int a = bold.horizontalAdvance(text) + 40;
    const int b = bold.horizontalAdvance(ToDisplay(caption.title)) + 40;
    int width = b >= a ? b + 20 : a + 20;
    if (body.width() + 39 > width) width = body.width() + 39;
    const int height = body.height() > 0 ? 34 + body.height() + 20 : 34;
    return {width, height};
}

QPoint TCustomHint::placeInside(QPoint topLeft, QSize size, const QRect& screen)
{
    int left = topLeft.x(), top = topLeft.y();
    if (top + size.height() > screen.bottom() + 1) top = screen.bottom() + 1 - size.height();
    if (left + size.width() > screen.right() + 1) left = screen.right() + 1 - size.width();
    if (left < screen.left()) left = screen.left();
    if (top < screen.top()) top = screen.top();
    return {left, top};
}

void TCustomHint::ActivateHintData(QPoint topLeft, const QString& hintText, HintKind kind, const rHCaption& caption)
{
    kind_ = (kind == HintKind::Simple || hintText.startsWith('@')) ? HintKind::Simple : HintKind::Rich;
    text_ = hintText.startsWith('@') ? hintText.mid(1) : hintText;
    caption_ = caption;
    const QSize size = hintSize(hintText, kind_, caption);
    QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QPoint at = screen ? placeInside(topLeft, size, screen->geometry()) : topLeft;
    setGeometry(QRect(at, size));
    show();
    raise();
    update();
}

void TCustomHint::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const int W = width(), H = height();
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::black);
    if (kind_ == HintKind::Simple) {
        p.setFont(arial(8, false));
        p.drawText(QRect(5, 2, W - 5, H - 2), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
        return;
    }
    p.setFont(arial(8, true));
    const QFontMetrics fm(p.font());
    if (caption_.levelsShown) {
        // Two 16 x 16 boxes at the top right, each with its level right-aligned in it.
        p.setBrush(fromTColor(caption_.levelMinColour));
        p.drawRect(QRect(W - 31, 0, 15, 15));
        p.setBrush(fromTColor(caption_.levelMaxColour));
        p.drawRect(QRect(W - 16, 0, 15, 15));
        p.setBrush(Qt::NoBrush);
        const QString lmin = ToDisplay(caption_.levelMinText), lmax = ToDisplay(caption_.levelMaxText);
        p.drawText(QPoint(W - 16 - fm.horizontalAdvance(lmin), 3 + fm.ascent()), lmin);
        p.drawText(QPoint(W - 1 - fm.horizontalAdvance(lmax), 3 + fm.ascent()), lmax);
    }
    const int icon = caption_.icon + 4;
    if (treeImages_ && icon >= 0 && size_t(icon) < treeImages_->size()) p.drawImage(2, 1, (*treeImages_)[size_t(icon)]);
    if (caption_.hasLinks && !linkImage_.isNull()) p.drawImage(1, 16, linkImage_);
    p.drawText(QPoint(24, 2 + fm.ascent()), ToDisplay(caption_.title));
    p.setPen(fromTColor(caption_.nameColour));
    p.drawText(QPoint(24, 16 + fm.ascent()), text_);
    p.setPen(Qt::black);
    p.setFont(arial(7, true));
    p.drawText(QRect(QPoint(24, 34), QPoint(W - 15, H)), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
               ToDisplay(caption_.body));
}

HintManager::HintManager(QObject* parent) : QObject(parent)
{
    window_ = new TCustomHint();
    hideTimer_.setSingleShot(true);
    connect(&hideTimer_, &QTimer::timeout, this, &HintManager::hideHint);
    if (qApp) {
        qApp->installEventFilter(this);
        qApp->setStyle(new NoHintDelayStyle());
    }
}

HintManager::~HintManager()
{
    if (qApp) qApp->removeEventFilter(this);
    delete window_;
}

void HintManager::init_hinttime(int milliseconds)
{
    hidePause_ = milliseconds > 0 ? milliseconds : 999000;
}

void HintManager::showHint(QPoint globalMouse, const QString& text, HintKind kind, const rHCaption& caption)
{
    if (text.isEmpty() || text == "@") {
        hideHint();
        return;
    }
    // Below the mouse pointer, as tool tips appear.
    window_->ActivateHintData(globalMouse + QPoint(0, 20), text, kind, caption);
    hideTimer_.start(hidePause_);
}

void HintManager::hideHint()
{
    hideTimer_.stop();
    if (window_) window_->hide();
}

bool HintManager::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w) break;
        QString hint = w->property("Hint").toString();
        if (hint.isEmpty() && !w->toolTip().isEmpty()) hint = "@" + w->toolTip();
        if (hint.isEmpty()) break;
        showHint(static_cast<QHelpEvent*>(event)->globalPos(), hint, HintKind::Simple);
        return true;
    }
    case QEvent::Show: {
        // A menu or a dialog opening over the window would otherwise have the hint drawn
        // over it for the rest of its pause, covering what the user is to read or choose.
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->isWindow() && w != window_ && window_ && window_->isVisible() &&
            (w->windowType() == Qt::Popup || w->windowType() == Qt::Dialog || w->isModal()))
            hideHint();
        break;
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
        if (window_ && window_->isVisible() && window_->kind() == HintKind::Simple) hideHint();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
