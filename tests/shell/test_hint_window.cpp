// The rich hint window: its size for a simple or a rich hint, and its place inside the screen.
#include <gtest/gtest.h>

#include <QFontMetrics>

#include "hint_window.h"

namespace {
QFont arial(int px, bool bold)
{
    QFont f("Arial");
    f.setPixelSize(px);
    f.setBold(bold);
    return f;
}
} // namespace

TEST(HintWindow, SimpleHintsAreOneLineRichOnesGrowWithTitleAndBody)
{
    rHCaption caption;
    QSize s = TCustomHint::hintSize("@Sauver", HintKind::Rich, caption); // "@" wins over the kind
    EXPECT_EQ(s.height(), 20);
    EXPECT_EQ(s.width(), QFontMetrics(arial(11, false)).horizontalAdvance("Sauver") + 10);
    TCustomHint hint;
    hint.ActivateHintData(QPoint(10, 10), "@Sauver", HintKind::Rich, caption);
    EXPECT_EQ(hint.kind(), HintKind::Simple);
    EXPECT_EQ(hint.text(), "Sauver");
    EXPECT_TRUE(hint.isVisible());

    // Rich hints.
    caption.title = "Monstres";
    s = TCustomHint::hintSize("Loup", HintKind::Rich, caption);
    EXPECT_EQ(s.height(), 34);
    const QFontMetrics bold(arial(11, true));
    EXPECT_EQ(s.width(), bold.horizontalAdvance("Monstres") + 60); // the title is the wider text

    caption.hasBody = true;
    caption.body = "Un tres long texte de description qui doit se replier sur plusieurs lignes\rsans fin";
    s = TCustomHint::hintSize("Loup", HintKind::Rich, caption);
    // The body wraps within 200 pixels: two lines, then one more after the break.
    EXPECT_GE(s.height(), 34 + 3 * QFontMetrics(arial(9, false)).height() + 20);
    EXPECT_LE(s.width(), 200 + 45);
}

TEST(HintWindow, StaysInsideTheScreen)
{
    const QRect screen(0, 0, 1000, 800);
    EXPECT_EQ(TCustomHint::placeInside(QPoint(950, 790), QSize(100, 34), screen), QPoint(900, 766));
    EXPECT_EQ(TCustomHint::placeInside(QPoint(-40, 10), QSize(100, 34), screen), QPoint(0, 10));
    EXPECT_EQ(TCustomHint::placeInside(QPoint(10, 10), QSize(100, 34), screen), QPoint(10, 10));
}
