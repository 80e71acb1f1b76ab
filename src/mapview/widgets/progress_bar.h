#pragma once
// The map's progress bar: a sunken background, an optional one-pixel frame and a bar in a
// vertical gradient with a raised edge. It paints pixel by pixel into a 32-bit image that
// the widget then shows in one piece.
#include <cstdint>

#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

#include "con_colors.h"

// Toolkit colours: $00BBGGRR, or a system colour ($80000000 + the system's colour index),
// which takes the widget palette's colour of the matching role.
constexpr TColor clBtnFace = 0x8000000F;
constexpr TColor clBtnShadow = 0x80000010;
constexpr TColor clWindowFrame = 0x80000006;
constexpr TColor clCream = 0x00F0FBFF;

enum TBorderStyle { bsNone, bsSingle };

// A toolkit colour as an opaque ARGB value ($FFRRGGBB).
uint32_t Color32(TColor colour, const QPalette& palette);
// Red, green and blue of an ARGB colour plus amount each, held within 0..255; alpha kept.
uint32_t Lighten(uint32_t argb, int64_t amount);

class TG32_ProgressBar : public QWidget {
    Q_OBJECT
public:
    explicit TG32_ProgressBar(QWidget* parent = nullptr);

    // Each setter stores the value and schedules a repaint.
    TColor BackColor() const { return backColor_; }
    void SetBackColor(TColor colour);
    // Kept, but the look does not depend on it.
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    // Strength of the bar's vertical gradient; 0 gives a flat bar.
    int32_t Contrast() const { return contrast_; }
    void SetContrast(int32_t contrast);
    // A one-pixel frame in the window-frame colour, everything else inset by one pixel.
    bool Framed() const { return framed_; }
    void SetFramed(bool framed);
    int32_t Max() const { return max_; }
    void SetMax(int32_t value);
    int32_t Min() const { return min_; }
    void SetMin(int32_t value);
    // The bar colour.
    TColor Color() const { return color_; }
    void SetColor(TColor colour);
    int32_t Position() const { return position_; }
    // Repaints at once, and only when the value changes: a loader may set it at every step.
    // Repaints come at most kMinPaintIntervalMs apart; a change inside that interval is
    // painted at the next paint (or event loop turn). The control is opaque, so painting it
    // never repaints the map beneath.
    void SetPosition(int32_t value);
    static constexpr int kMinPaintIntervalMs = 33;
    // Paints at once, whatever the interval (used when the bar is first shown).
    void PaintNow();

    // The whole control as it is painted, at the widget's size (ARGB32, opaque).
    QImage DoPaintBuffer() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TColor backColor_ = clBtnShadow;
    TBorderStyle borderStyle_ = bsNone;
    int32_t contrast_ = 64;
    bool framed_ = true;
    int32_t max_ = 100;
    int32_t min_ = 0;
    int32_t position_ = 0;
    TColor color_ = clBtnFace;
    QElapsedTimer sincePaint_;
};
