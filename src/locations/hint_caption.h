#pragma once
// What the rich hint of a location on the map shows; filled by the map interaction,
// drawn by the hint window.
#include <cstdint>
#include <string>

#include "con_colors.h"

struct rHCaption {
    std::string title;        // the category's name
    std::string levelMinText; // decimal, or empty
    std::string levelMaxText;
    std::string body;         // the description prepared for display (CR line breaks)
    int32_t icon = 0;         // category icon byte; the hint draws image icon + 4 of the tree images
    TColor levelMinColour = 0;
    TColor levelMaxColour = 0;
    TColor nameColour = 0;
    bool hasBody = false;
    bool hasLinks = false;
    bool simple = false;
    bool levelsShown = false; // the category's kind is 1 or 2
};

extern rHCaption HCaption; // the one instance
