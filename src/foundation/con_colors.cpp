#include "con_colors.h"

TColor ConColors[7] = {0xE1D8C9, 0x3CE36B, 0xFFB745, 0x1DFCFF, 0x14B2FB, 0x1525F8, 0xFF00FF};

void InitConColors()
{
    static const TColor init[7] = {0xE1D8C9, 0x3CE36B, 0xFFB745, 0x1DFCFF, 0x14B2FB, 0x1525F8, 0xFF00FF};
    for (int i = 0; i < 7; ++i) ConColors[i] = init[i];
}

uint32_t AlphaByIndex(int i)
{
    static const uint32_t alphas[9] = {0x33, 0x55, 0x66, 0x88, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};
    uint32_t a = (i >= 0 && i <= 8) ? alphas[i] : 0xFF;
    return a << 24;
}

TColor ConColor(int P, int L, TColor defaultColour, bool enabled)
{
    if (L == 0 || !enabled) return defaultColour;
    int step = P / 10 + 1; // integer part of P / 10, plus one
    if (step == 6) step = 5;
    if ((P >= 10 && L < 7) || (P >= 20 && L < 14) || (P >= 30 && L < 21) || (P >= 40 && L < 28))
        return ConColors[ConGrey];
    if ((P == 10 && L == 7) || (P == 20 && L == 15)) return ConColors[ConGreen];
    if (L > P + 2 * step) return ConColors[ConPurple];
    if (L > P + step) return ConColors[ConRed];
    if (L > P) return ConColors[ConOrange];
    if (L > P - step) return ConColors[ConYellow];
    if (L > P - 2 * step) return ConColors[ConBlue];
    if (L > P - 3 * step) return ConColors[ConGreen];
    return ConColors[ConGrey];
}
