#pragma once
// The rules behind the editing commands (cut, copy, paste, reference, erase tag, bulk
// change) and behind the location editor and route options dialogs. Widget-free: the main
// window and the dialogs apply the results to the tree, the widgets and the messages.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "location_tree.h"
#include "records.h"

// ---- Commands on locations.

// The link text a location carries: its command record's text, empty without one.
std::string linkTextOf(const rItemdata& item);

// The erase tag of a database location: an invisible twin named "@" + its name (cut to
// the 40 characters a name holds), at its point, in its zone and category, with its id;
// everything else 0 or empty, user-made (fromMaster 0) so the additions file carries it.
// None for a location made by the user (id 0): it never reached the database.
std::optional<rnew_node> eraseTagRecord(const TNodeData& location);

// Fills the copy buffer from a location (name, zone, category, note, levels, attributes,
// link text, type, language tag; no point, id or lock), or empties it with none.
void fillCopyBuffer(TNodeData& buffer, const TNodeData* source);
// The buffer counts as filled when it holds a name.
bool copyBufferFilled(const TNodeData* buffer);
// The record a paste adds: the buffer's location at a zone-local point of a zone, id 0,
// unlocked, user-made.
rnew_node pasteRecord(const TNodeData& buffer, const pMap_info& zone, uint16_t x, uint16_t y);

// A reference to a named location appended to a note: " {" + name + "}".
std::string noteWithReference(const std::string& note, const std::string& name);

// ---- The location editor.

// What the bulk change copies onto the same-named locations; each part only when its box
// is checked. The language tag and the user-made mark are always set.
struct BulkChange {
    bool name = true, note = true, attributesAndType = true, levels = false;
    std::string newName; // trimmed
    std::string noteText;
    SpecSet attributes;
    uint8_t typeId = 0;
    uint8_t levelMin = 0, levelMax = 0;
    uint8_t languageTag = 0;
};

// Applies the change in place to every location of the tree other than `edited` whose
// normalised name is `oldName`'s and whose category id is `categoryId`; locked locations
// are left alone (the additions file could not carry them). Display colours follow the
// new levels and attributes. Marks renamed lists unsorted. Returns the changed nodes in
// tree order.
std::vector<int> applyBulkChange(LocationTree& tree, int edited, const std::string& oldName, uint8_t categoryId,
                                 const BulkChange& change);

// The name edit's text after a change of category: the new category's default name
// replaces an empty name, the placeholder or another category's default name; a category
// without one puts the placeholder back in place of another's default name; a name of the
// user's stays.
std::string nameAfterCategoryChange(const std::string& current, const std::string& placeholder,
                                    const rCateg& chosen, const std::vector<const rCateg*>& categories);

// The category's description shown in the editor: plain text T<id>, "%%" as line breaks.
std::string categoryDescription(const std::string& plainText);

// The level range of colour shape `shape` (0 grey .. 6 purple) at a player level: the
// first creature level of 0..99 shown in that colour, and the level before the first later
// level shown in the next colour (99 for the last shape). 0 where none is found.
struct LevelRange {
    int low = 0;
    int high = 0;
};
LevelRange shapeLevelRange(int shape, int playerLevel, bool conColours);

// What OK compares to tell whether a modification changed anything.
struct EditedValues {
    std::string linkText;
    std::string name;
    std::string note;
    SpecSet attributes;
    int categoryId = -1;
    int levelMin = 0, levelMax = 0;
    int typeId = 0;
    int languageTag = 0;
};
// The old location's values as the editor would give them back untouched: its note goes
// through the memo's round trip (empty lines dropped), so an untouched note compares equal.
EditedValues originalValues(const rItemdata& item, int categoryId);
bool sameValues(const EditedValues& a, const EditedValues& b);

// The first character of a note line that no note may hold ("|" or "#"), or 0.
char forbiddenNoteChar(const std::string& line);
// The first character of a name that no name may hold ("#", "|" or "@", in that order), or 0.
char forbiddenNameChar(const std::string& name);

// The link page's text under the waypoint buttons (Label1): the waypoint count when there
// are two or more, then the ready place code's note. Windows-1252, CR line break.
std::string linkPageInfo(size_t waypointCount, bool placeCodeReady, const std::string& waypointsCaption,
                         const std::string& placeCodeCaption);

// State of the route options item of the link field's menu for the field's text.
struct RouteMenuState {
    bool enabled = false;
    int captionId = 0; // menu text id to show; 0 keeps the caption
};
RouteMenuState routeMenuState(const std::string& linkText);
// The options a route code's re-edit starts from: its characters 3-6, a short code's
// missing characters taken from the default "0091".
std::string routeOptionsOfCode(const std::string& linkText);

// ---- The route options dialog.

struct RouteOptionsForm {
    bool alwaysShown = false;
    int colourItem = 0; // item of the colour list
    int opacity = 10;   // 1..10
};
// The controls for an options text: a colour digit beyond the list or not a digit gives
// item 0, an opacity that is not a digit gives 10 (opaque).
RouteOptionsForm routeOptionsForm(const std::string& options, int colourCount);
// The options text the controls give: flag, colour item, opacity - 1, "1".
std::string routeOptionsOfForm(const RouteOptionsForm& form);
