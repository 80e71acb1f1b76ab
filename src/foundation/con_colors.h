#pragma once
// Level-difference colours of creature locations against the player's level.
#include <cstdint>

using TColor = uint32_t; // $00BBGGRR: red in the lowest byte

enum ConColorIndex { ConGrey, ConGreen, ConBlue, ConYellow, ConOrange, ConRed, ConPurple };
extern TColor ConColors[7];

void InitConColors();
// Only the top byte set: 0..8 map to $33 $55 $66 $88 $AA $BB $CC $DD $EE, anything else $FF.
uint32_t AlphaByIndex(int i);
TColor ConColor(int playerLevel, int creatureLevel, TColor defaultColour, bool enabled);
