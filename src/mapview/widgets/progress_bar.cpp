#include "progress_bar.h"

#include <algorithm>

#include <QPainter>
#include <QPalette>

namespace {

// Palette roles standing in for the system colour indexes the toolkit knows.
QPalette::ColorRole systemRole(uint32_t index)
{
    switch (index) {
    case 5: return QPalette::Base;             // window background
    case 6: return QPalette::Shadow;           // window frame
    case 8: return QPalette::WindowText;
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;          // button face
    case 16: return QPalette::Dark;            // button shadow
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;           // button highlight
    case 21: return QPalette::Shadow;          // 3-D dark shadow
    case 22: return QPalette::Midlight;        // 3-D light
    default: return QPalette::Window;
    }
}

// Pixel access on an ARGB32 image; spans are inclusive and clipped to the image.
class Canvas {
public:
    explicit Canvas(QImage& image) : image_(image) {}

    void hline(int x1, int x2, int y, uint32_t c) { span(x1, x2, y, y, c, false); }
    void vline(int x, int y1, int y2, uint32_t c) { span(x, x, y1, y2, c, false); }
    // Fills left..right-1 x top..bottom-1.
    void fill(int left, int top, int right, int bottom, uint32_t c) { span(left, right - 1, top, bottom - 1, c, false); }
    void blendH(int x1, int x2, int y, uint32_t c) { span(x1, x2, y, y, c, true); }
    void blendV(int x, int y1, int y2, uint32_t c) { span(x, x, y1, y2, c, true); }

private:
    void span(int x1, int x2, int y1, int y2, uint32_t c, bool blended)
    {
        x1 = std::max(x1, 0);
        y1 = std::max(y1, 0);
        x2 = std::min(x2, image_.width() - 1);
        y2 = std::min(y2, image_.height() - 1);
        for (int y = y1; y <= y2; ++y) {
            auto* line = reinterpret_cast<uint32_t*>(image_.scanLine(y));
            for (int x = x1; x <= x2; ++x) line[x] = blended ? blend(c, line[x]) : c;
        }
    }

    // Colour c with its alpha over b: each channel Round(a x c / 255) + Round((255 - a) x b / 255),
    // the alpha of b kept.
    static uint32_t blend(uint32_t c, uint32_t b)
    {
        const uint32_t a = c >> 24;
        const auto mul = [](uint32_t x, uint32_t y) { return (2 * x * y + 255) / 510; };
        uint32_t out = b & 0xFF000000;
        for (int shift = 0; shift <= 16; shift += 8) {
            const uint32_t ch = mul(a, (c >> shift) & 0xFF) + mul(255 - a, (b >> shift) & 0xFF);
            out |= ch << shift;
        }
        return out;
    }

    QImage& image_;
};

// The raised edge's colours: white and black at 32 x 512 / 100 and 32 x 255 / 100.
constexpr uint32_t kRaisedLight = (163u << 24) | 0xFFFFFF;
constexpr uint32_t kRaisedDark = 81u << 24;

} // namespace

uint32_t Color32(TColor colour, const QPalette& palette)
{
    if (colour & 0x80000000u) return 0xFF000000u | palette.color(systemRole(colour & 0xFF)).rgb();
    return 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

uint32_t Lighten(uint32_t argb, int64_t amount)
{
    uint32_t out = argb & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int64_t ch = std::clamp<int64_t>(int64_t((argb >> shift) & 0xFF) + amount, 0, 255);
        out |= uint32_t(ch) << shift;
    }
    return out;
}

TG32_ProgressBar::TG32_ProgressBar(QWidget* parent) : QWidget(parent)
{
    resize(150, 16);
    // Every pixel is painted opaque: Qt then never repaints the widgets beneath.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TG32_ProgressBar::SetBackColor(TColor colour)
{
    backColor_ = colour;
    update();
}

void TG32_ProgressBar::SetBorderStyle(TBorderStyle style)
{
    borderStyle_ = style;
    update();
}

void TG32_ProgressBar::SetContrast(int32_t contrast)
{
    contrast_ = contrast;
    update();
}

void TG32_ProgressBar::SetFramed(bool framed)
{
    framed_ = framed;
    update();
}

void TG32_ProgressBar::SetMax(int32_t value)
{
    max_ = value;
    update();
}

void TG32_ProgressBar::SetMin(int32_t value)
{
    min_ = value;
    update();
}

void TG32_ProgressBar::SetColor(TColor colour)
{
    color_ = colour;
    update();
}

void TG32_ProgressBar::SetPosition(int32_t value)
{
    if (value == position_) return;
    position_ = value;
    if (sincePaint_.isValid() && sincePaint_.elapsed() < kMinPaintIntervalMs)
        update();
    else
        PaintNow();
}

void TG32_ProgressBar::PaintNow()
{
    sincePaint_.start();
    repaint();
}

QImage TG32_ProgressBar::DoPaintBuffer() const
{
    QImage image(std::max(width(), 0), std::max(height(), 0), QImage::Format_ARGB32);
    if (image.isNull()) return image;
    Canvas canvas(image);
    const QPalette& pal = palette();
    const uint32_t frame = Color32(clWindowFrame, pal);

    // Background: frame, sunken fill with a darker top row and left column.
    int left = 0, top = 0, right = image.width(), bottom = image.height();
    if (framed_) {
        canvas.hline(left, right - 1, top, frame);
        canvas.hline(left, right - 1, bottom - 1, frame);
        canvas.vline(left, top, bottom - 1, frame);
        canvas.vline(right - 1, top, bottom - 1, frame);
        ++left, ++top, --right, --bottom;
    }
    const uint32_t back = Color32(backColor_, pal);
    canvas.fill(left, top, right, bottom, back);
    const int r = right - 1, b = bottom - 1;
    const uint32_t dark = Lighten(back, -32);
    canvas.hline(left, r, top, dark);
    canvas.vline(left, top + 1, b, dark);
    if (!framed_) {
        const uint32_t light = Lighten(dark, 64);
        canvas.hline(left, r, b, light);
        canvas.vline(r, top + 1, b, light);
    }

    // The bar's share of the inner width, in 64 bits so that large ranges cannot overflow.
    if (min_ < position_ && min_ < max_) {
        const int64_t share = int64_t(right - left) * (int64_t(position_) - min_) / (int64_t(max_) - min_);
        right = int(std::min<int64_t>(left + share, right));
    } else {
        right = left;
    }
    if (right <= left || bottom <= top) return image;

    const uint32_t colour = Color32(color_, pal);
    if (contrast_ != 0) {
        // Rows above the middle lighter, below darker, by up to about half of Contrast.
        const int64_t h = bottom - top, m = (top + bottom) / 2;
        for (int y = top; y < bottom; ++y) canvas.hline(left, right - 1, y, Lighten(colour, (m - y) * contrast_ / h));
    } else {
        canvas.fill(left, top, right, bottom, colour);
    }
    canvas.blendH(left, right - 1, top, kRaisedLight);
    canvas.blendH(left, right - 1, bottom - 1, kRaisedDark);
    canvas.blendV(left, top + 1, bottom - 2, kRaisedLight);
    canvas.blendV(right - 1, top + 1, bottom - 2, kRaisedDark);
    // Closes the bar against the empty part.
    if (framed_) canvas.vline(right, top, bottom, frame);
    return image;
}

void TG32_ProgressBar::paintEvent(QPaintEvent*)
{
    sincePaint_.start();
    QPainter painter(this);
    painter.drawImage(0, 0, DoPaintBuffer());
}
