// The progress bar's pixels: frame, sunken background, bar width, gradient, raised edge.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPalette>

#include "progress_bar.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

constexpr uint32_t kFrame = rgb(0x10, 0x20, 0x30);
constexpr uint32_t kBack = rgb(0x80, 0x80, 0x80);
constexpr uint32_t kBackDark = rgb(0x60, 0x60, 0x60);  // 32 darker
constexpr uint32_t kBackLight = rgb(0xA0, 0xA0, 0xA0); // 64 lighter than that

// The default 150 x 16 framed bar with a known palette, background and bar colour
// (red 153, green 102, blue 51).
class ProgressBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QPalette pal = bar.palette();
        pal.setColor(QPalette::Shadow, QColor(0x10, 0x20, 0x30));
        bar.setPalette(pal);
        bar.SetBackColor(0x00808080);
        bar.SetColor(0x00336699);
    }
    uint32_t px(int x, int y) { return bar.DoPaintBuffer().pixel(x, y); }
    // Row 8 (the middle) from column 2 to 148 is plain background: no bar at all.
    bool noBar()
    {
        const QImage img = bar.DoPaintBuffer();
        for (int x = 2; x <= 148; ++x)
            if (img.pixel(x, 8) != kBack) return false;
        return img.pixel(1, 8) == kBackDark;
    }
    TG32_ProgressBar bar;
};

TEST_F(ProgressBarTest, HalfBarOnTheDefaultControl)
{
    bar.SetPosition(50);
    const QImage img = bar.DoPaintBuffer();
    ASSERT_EQ(img.size(), QSize(150, 16));
    for (QPoint p : {QPoint(0, 0), QPoint(149, 15), QPoint(0, 8), QPoint(149, 8), QPoint(100, 0), QPoint(100, 15)})
        EXPECT_EQ(img.pixel(p), kFrame) << p.x() << "," << p.y();
    // Background: a darker top row, then plain, and no light edges while framed.
    EXPECT_EQ(img.pixel(100, 1), kBackDark);
    EXPECT_EQ(img.pixel(100, 8), kBack);
    EXPECT_EQ(img.pixel(100, 14), kBack);
    EXPECT_EQ(img.pixel(148, 8), kBack);
    // The bar covers columns 1..74; column 75 closes it in the frame colour, rows 1..15.
    for (int y = 1; y <= 15; ++y) EXPECT_EQ(img.pixel(75, y), kFrame) << y;
    EXPECT_EQ(img.pixel(76, 5), kBack);
    // Gradient rows (m 8, h 14): +32 at the top, +13 at row 5, 0 at row 8, -27 at the bottom;
    // then the raised edge: white at alpha 163 on top and left, black at alpha 81 on bottom and right.
    EXPECT_EQ(img.pixel(40, 1), rgb(230, 211, 193));
    EXPECT_EQ(img.pixel(40, 5), rgb(166, 115, 64));
    EXPECT_EQ(img.pixel(40, 8), rgb(153, 102, 51));
    EXPECT_EQ(img.pixel(40, 14), rgb(86, 51, 16));
    EXPECT_EQ(img.pixel(1, 5), rgb(223, 204, 186));
    EXPECT_EQ(img.pixel(74, 5), rgb(113, 78, 44));
    EXPECT_EQ(img.pixel(74, 1), rgb(230, 211, 193)); // the top row runs over the right column
}

TEST_F(ProgressBarTest, EmptyAndFullBars)
{
    bar.SetPosition(0);
    EXPECT_TRUE(noBar()) << "position at Min";
    bar.SetPosition(-5);
    EXPECT_TRUE(noBar()) << "position below Min";
    bar.SetMin(10);
    bar.SetMax(10);
    bar.SetPosition(50);
    EXPECT_TRUE(noBar()) << "Max not above Min";

    bar.SetMin(0);
    bar.SetMax(100);
    bar.SetPosition(500);
    EXPECT_EQ(px(148, 8), rgb(104, 70, 35)); // right edge of a bar as wide as the inner area
    EXPECT_EQ(px(149, 8), kFrame);

    // A range whose product overflows 32 bits still gives the right width.
    bar.SetMax(2000000000);
    bar.SetPosition(1000000000);
    EXPECT_EQ(px(75, 8), kFrame);
    EXPECT_EQ(px(74, 5), rgb(113, 78, 44));
}

TEST_F(ProgressBarTest, UnframedFlatAndSaturatedLooks)
{
    bar.SetFramed(false);
    const QImage img = bar.DoPaintBuffer();
    EXPECT_EQ(img.pixel(0, 0), kBackDark);
    EXPECT_EQ(img.pixel(149, 0), kBackDark);
    EXPECT_EQ(img.pixel(0, 8), kBackDark);
    EXPECT_EQ(img.pixel(0, 15), kBackLight);
    EXPECT_EQ(img.pixel(149, 15), kBackLight);
    EXPECT_EQ(img.pixel(149, 8), kBackLight);
    EXPECT_EQ(img.pixel(75, 8), kBack);

    bar.SetFramed(true);
    bar.SetPosition(50);
    bar.SetContrast(0);
    EXPECT_EQ(px(40, 5), rgb(153, 102, 51));
    EXPECT_EQ(px(40, 12), rgb(153, 102, 51));

    bar.SetContrast(64);
    bar.SetColor(0x00FFFFFF);
    EXPECT_EQ(px(40, 3), rgb(255, 255, 255));
}

TEST_F(ProgressBarTest, SystemColoursComeFromThePalette)
{
    QPalette pal = bar.palette();
    pal.setColor(QPalette::Dark, QColor(0x44, 0x55, 0x66));
    bar.setPalette(pal);
    bar.SetBackColor(clBtnShadow);
    EXPECT_EQ(px(100, 8), rgb(0x44, 0x55, 0x66));
}

TEST_F(ProgressBarTest, PositionRepaintsAtOnceOnlyWhenItChanges)
{
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            if (e->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    bar.show();
    QApplication::processEvents();
    bar.installEventFilter(&counter);
    bar.SetPosition(30);
    EXPECT_EQ(counter.paints, 1);
    bar.SetPosition(30);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}

} // namespace
