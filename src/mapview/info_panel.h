#pragma once
// What the info page of the side panel shows for one location, and the redirect-link
// lists of a description (the context-menu link items and the link list entries).
// Plain data: the main window copies it into its labels, shapes, memo and trees.
#include <cstdint>
#include <string>
#include <vector>

#include "con_colors.h"
#include "spec_set.h"

constexpr size_t kRedirEntryMax = 40; // a link list entry keeps at most 40 characters
constexpr TColor kNoLevelColour = 0xFFFFFF; // level boxes of categories without levels
constexpr uint32_t kRedirLineColour = 0xFFFF8800; // ARGB, opaque orange

struct InfoPanelContent {
    int node = -1;                 // the location shown (tree node id)
    std::string categoryCaption;   // Label7: "[" + category name + "]"
    std::string name;              // Label1
    TColor nameColour = 0;         // Label1's font colour
    std::string levelMinText;      // Label8, over Shape2
    std::string levelMaxText;      // Label9, over Shape3
    TColor levelMinColour = kNoLevelColour;
    TColor levelMaxColour = kNoLevelColour;
    std::vector<std::string> memoLines; // Memo2, one line per "|" piece
    SpecFlags attributes{};        // Treeitem: only these attributes are shown
    bool descriptionIcon = false;  // Image3: image 7 of the first icon strip
    bool linksIcon = false;        // Image4: image 8 of the first icon strip
    std::vector<std::string> redirEntries; // TreeRedir, in the order of the description
};

// The names of the brace references of a description, in order. A second "{" inside a
// reference restarts the name; empty braces, a lone "}" and an unclosed "{" give nothing.
std::vector<std::string> redirectNames(const std::string& description);

// The captions of the link items that go at the top of the map's context menu: one per
// reference, then a separator "-" (also when there is no reference, but not for an empty
// description).
std::vector<std::string> popupRedirCaptions(const std::string& description);

// The memo lines for a location's description; a type other than 0 puts a line
// C128 + " " + type name and an empty line first.
std::vector<std::string> infoMemoLines(const std::string& description, uint8_t typeId,
                                       const std::vector<std::string>& typeNames);
