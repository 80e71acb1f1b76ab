// The progress bar's pixels: frame, sunken background, bar width, gradient, raised edge.
#include <gtest/gtest.h>

#include <functional>

#include <QPalette>

#include "progress_bar.h"

namespace {

constexpr uint32_t rgb(uint32_t r, uint32_t g, uint32_t b)
{
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

constexpr uint32_t kFrame = rgb(0x10, 0x20, 0x30), kBack = rgb(0x80, 0x80, 0x80);
constexpr uint32_t kBackDark = rgb(0x60, 0x60, 0x60), kBackLight = rgb(0xA0, 0xA0, 0xA0);

struct Probe {
    int x, y;
    uint32_t colour;
};

// The default 150 x 16 framed bar with a known frame, background and bar colour
// (red 153, green 102, blue 51).
class ProgressBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QPalette pal = bar.palette();
        pal.setColor(QPalette::Shadow, QColor(0x10, 0x20, 0x30));
        pal.setColor(QPalette::Dark, QColor(0x44, 0x55, 0x66));
        bar.setPalette(pal);
        bar.SetBackColor(0x00808080);
        bar.SetColor(0x00336699);
    }
    void expectPixels(const char* what, std::initializer_list<Probe> probes)
    {
        const QImage img = bar.DoPaintBuffer();
        ASSERT_EQ(img.size(), QSize(150, 16));
        for (const Probe& p : probes)
            EXPECT_EQ(img.pixel(p.x, p.y), p.colour) << what << " at " << p.x << "," << p.y;
    }
    TG32_ProgressBar bar;
};

TEST_F(ProgressBarTest, HalfEmptyFullAndOtherLooks)
{
    bar.SetPosition(50);
    // Frame; darker top row of the background; no light edges while framed.
    expectPixels("background", {{0, 0, kFrame}, {149, 15, kFrame}, {0, 8, kFrame}, {149, 8, kFrame},
                                {100, 1, kBackDark}, {100, 8, kBack}, {100, 14, kBack}, {148, 8, kBack}});
    // Bar over columns 1..74, closed by column 75 in the frame colour on rows 1..15.
    expectPixels("closing column", {{75, 1, kFrame}, {75, 8, kFrame}, {75, 15, kFrame}, {76, 5, kBack}});
    // Gradient (m 8, h 14): +32 on row 1, +13 on row 5, 0 on row 8, -27 on row 14; then the
    // raised edge: white at alpha 163 on top and left, black at alpha 81 on bottom and right.
    expectPixels("bar", {{40, 1, rgb(230, 211, 193)}, {40, 5, rgb(166, 115, 64)}, {40, 8, rgb(153, 102, 51)},
                         {40, 14, rgb(86, 51, 16)}, {1, 5, rgb(223, 204, 186)}, {74, 5, rgb(113, 78, 44)},
                         {1, 1, rgb(230, 211, 193)}, {74, 1, rgb(230, 211, 193)}, {74, 14, rgb(86, 51, 16)}});

    // Empty, full and the other looks.
    const auto noBar = {Probe{1, 8, kBackDark}, Probe{2, 8, kBack}, Probe{74, 8, kBack}, Probe{75, 8, kBack}};
    const std::pair<const char*, std::function<void()>> empty[] = {
        {"position at Min", [&] { bar.SetPosition(0); }},
        {"position below Min", [&] { bar.SetPosition(-5); }},
        {"Max not above Min", [&] { bar.SetMin(10); bar.SetMax(10); bar.SetPosition(50); }},
    };
    for (const auto& [what, setUp] : empty) {
        setUp();
        expectPixels(what, noBar);
    }
    bar.SetMin(0);
    bar.SetMax(100);
    bar.SetPosition(500); // never wider than the inner area
    expectPixels("full", {{148, 8, rgb(104, 70, 35)}, {149, 8, kFrame}});
    bar.SetMax(2000000000); // a product past 32 bits
    bar.SetPosition(1000000000);
    expectPixels("large range", {{74, 5, rgb(113, 78, 44)}, {75, 8, kFrame}});
    bar.SetContrast(0);
    expectPixels("flat", {{40, 5, rgb(153, 102, 51)}, {40, 12, rgb(153, 102, 51)}});
    bar.SetContrast(64);
    bar.SetColor(0x00FFFFFF);
    expectPixels("saturated", {{40, 3, rgb(255, 255, 255)}});

    bar.SetPosition(0);
    bar.SetFramed(false);
    expectPixels("unframed", {{0, 0, kBackDark}, {149, 0, kBackDark}, {0, 8, kBackDark}, {0, 15, kBackLight},
                              {149, 15, kBackLight}, {149, 8, kBackLight}, {75, 8, kBack}});
    bar.SetBackColor(clBtnShadow);
    expectPixels("system colour", {{75, 8, rgb(0x44, 0x55, 0x66)}});
}

} // namespace
