#include "location_editing.h"

#include <algorithm>

#include "con_colors.h"
#include "delphi_conv.h"
#include "link_codes.h"
#include "text_helpers.h"
#include "tree_visibility.h"

namespace {
constexpr TColor kWhite = 0xFFFFFF;
constexpr int kShapeCount = 7;
constexpr int kTopLevel = 99;

// The category has a default name the editor proposes.
bool hasDefaultName(const rCateg& category)
{
    return category.defaultNameFlag != 0 && !category.defaultName.empty();
}
} // namespace

std::string linkTextOf(const rItemdata& item)
{
    return item.command ? item.command->text : std::string();
}

std::optional<rnew_node> eraseTagRecord(const TNodeData& location)
{
    if (!location.item || location.item->id == 0) return std::nullopt;
    const rItemdata& it = *location.item;
    rnew_node r;
    r.typeId = 0;
    r.x = it.x;
    r.y = it.y;
    r.name = ("@" + it.name).substr(0, kItemNameMax);
    r.zoneId = location.zone ? uint16_t(location.zone->zoneId) : 0;
    r.categoryId = location.category ? location.category->id : 0;
    r.id = it.id;
    r.fromMaster = 0;
    r.hasItem = 1;
    return r;
}

void fillCopyBuffer(TNodeData& buffer, const TNodeData* source)
{
    auto item = std::make_unique<rItemdata>();
    buffer.zone = nullptr;
    buffer.category = nullptr;
    if (source && source->item) {
        const rItemdata& s = *source->item;
        item->setName(s.name);
        item->description = s.description;
        item->levelMin = s.levelMin;
        item->levelMax = s.levelMax;
        item->attributes = s.attributes;
        item->typeId = s.typeId;
        item->languageTag = s.languageTag;
        if (s.command) item->command = std::make_unique<rCommand>(*s.command);
        buffer.zone = source->zone;
        buffer.category = source->category;
    }
    buffer.item = std::move(item);
}

bool copyBufferFilled(const TNodeData* buffer)
{
    return buffer && buffer->item && !buffer->item->name.empty();
}

rnew_node pasteRecord(const TNodeData& buffer, const pMap_info& zone, uint16_t x, uint16_t y)
{
    rnew_node r;
    if (!buffer.item) return r;
    const rItemdata& it = *buffer.item;
    r.typeId = it.typeId;
    r.name = it.name;
    r.description = it.description;
    r.levelMin = it.levelMin;
    r.levelMax = it.levelMax;
    r.attributes = it.attributes;
    r.linkText = linkTextOf(it);
    r.locked = 0;
    r.languageTag = it.languageTag;
    r.x = x;
    r.y = y;
    r.zoneId = uint16_t(zone.zoneId);
    r.categoryId = buffer.category ? buffer.category->id : 0;
    r.id = 0;
    r.fromMaster = 0;
    r.hasItem = 1;
    return r;
}

std::string noteWithReference(const std::string& note, const std::string& name)
{
    return note + " {" + name + "}";
}

std::vector<int> applyBulkChange(LocationTree& tree, int edited, const std::string& oldName, uint8_t categoryId,
                                 const BulkChange& change)
{
    const std::string key = NormalizeText(oldName);
    std::vector<int> changed;
    tree.forEachLocation([&](int node, const TNodeData& d) {
        if (node == edited || !d.item || !d.category || d.category->id != categoryId) return;
        if (d.item->locked) return;
        if (d.item->name.size() != key.size() || NormalizeText(d.item->name) != key) return;
        changed.push_back(node);
    });
    static const std::vector<rSpecColor> noColours;
    const std::vector<rSpecColor>& colours = tree.common() ? tree.common()->specColors : noColours;
    for (int node : changed) {
        TNodeData& d = *tree.nodeData(node);
        rItemdata& it = *d.item;
        if (change.name) {
            it.setName(change.newName);
            tree.markUnsorted(tree.parentOf(node));
        }
        if (change.note) it.description = change.noteText;
        if (change.attributesAndType) {
            it.attributes = change.attributes;
            it.typeId = change.typeId;
        }
        if (change.levels) {
            it.levelMin = change.levelMin;
            it.levelMax = change.levelMax;
        }
        it.languageTag = change.languageTag;
        tree.markUserLocation(node);
        it.colour = locationColour(d, colours);
    }
    // Names and notes changed in place: indexes over the tree are stale.
    if (!changed.empty()) tree.contentChanged();
    tree.notifyNodesChanged(changed);
    return changed;
}

std::string nameAfterCategoryChange(const std::string& current, const std::string& placeholder,
                                    const rCateg& chosen, const std::vector<const rCateg*>& categories)
{
    const std::string name = DelphiTrim(current);
    bool found = false;
    for (const rCateg* c : categories)
        if (c && hasDefaultName(*c) && c->defaultName == name) found = true;
    if (hasDefaultName(chosen)) {
        if (name.empty() || name == placeholder || found) return chosen.defaultName;
        return current;
    }
    return found ? placeholder : current;
}

std::string categoryDescription(const std::string& plainText)
{
    std::string out;
    for (size_t i = 0; i < plainText.size(); ++i) {
        if (plainText[i] == '%' && i + 1 < plainText.size() && plainText[i + 1] == '%') {
            out += '\r';
            ++i;
        } else {
            out += plainText[i];
        }
    }
    return out;
}

LevelRange shapeLevelRange(int shape, int playerLevel, bool conColours)
{
    LevelRange r;
    if (shape < 0 || shape >= kShapeCount) return r;
    int level = 0;
    for (; level <= kTopLevel; ++level)
        if (ConColor(playerLevel, level, kWhite, conColours) == ConColors[shape]) break;
    if (level > kTopLevel) return r;
    r.low = level;
    if (shape == kShapeCount - 1) {
        r.high = kTopLevel;
        return r;
    }
    for (int later = level + 1; later <= kTopLevel; ++later)
        if (ConColor(playerLevel, later, kWhite, conColours) == ConColors[shape + 1]) {
            r.high = later - 1;
            break;
        }
    return r;
}

EditedValues originalValues(const rItemdata& item, int categoryId)
{
    EditedValues v;
    v.linkText = linkTextOf(item);
    v.name = item.name;
    v.note = LinesToText(TextToLines(item.description));
    v.attributes = item.attributes;
    v.categoryId = categoryId;
    v.levelMin = item.levelMin;
    v.levelMax = item.levelMax;
    v.typeId = item.typeId;
    v.languageTag = item.languageTag;
    return v;
}

bool sameValues(const EditedValues& a, const EditedValues& b)
{
    return a.linkText == b.linkText && a.name == b.name && a.note == b.note && SameSpecs(a.attributes, b.attributes) &&
           a.categoryId == b.categoryId && a.levelMin == b.levelMin && a.levelMax == b.levelMax &&
           a.typeId == b.typeId && a.languageTag == b.languageTag;
}

char forbiddenNoteChar(const std::string& line)
{
    for (char c : line)
        if (c == '|' || c == '#') return c;
    return 0;
}

char forbiddenNameChar(const std::string& name)
{
    for (char c : {'#', '|', '@'})
        if (name.find(c) != std::string::npos) return c;
    return 0;
}

std::string linkPageInfo(size_t waypointCount, bool placeCodeReady, const std::string& waypointsCaption,
                         const std::string& placeCodeCaption)
{
    std::string text;
    if (waypointCount > 1) text = waypointsCaption + " (" + std::to_string(waypointCount) + " WP)\r";
    if (placeCodeReady) text += placeCodeCaption;
    return text;
}

RouteMenuState routeMenuState(const std::string& linkText)
{
    if (linkText.size() < 3) return {false, 0};
    switch (linkText[0]) {
    case 'J': return {false, 12};
    case 'V': return {true, 14};
    case 'S': return {false, 13};
    default: return {false, 0};
    }
}

std::string routeOptionsOfCode(const std::string& linkText)
{
    std::string options(kDefaultRouteOptions);
    for (size_t i = 0; i < options.size() && 2 + i < linkText.size(); ++i) options[i] = linkText[2 + i];
    return options;
}

RouteOptionsForm routeOptionsForm(const std::string& options, int colourCount)
{
    RouteOptionsForm f;
    f.alwaysShown = !options.empty() && options[0] == '1';
    const char colour = options.size() > 1 ? options[1] : '0';
    f.colourItem = (colour >= '0' && colour <= '9' && colour - '0' < colourCount) ? colour - '0' : 0;
    const char opacity = options.size() > 2 ? options[2] : '9';
    f.opacity = (opacity >= '0' && opacity <= '9') ? opacity - '0' + 1 : 10;
    return f;
}

std::string routeOptionsOfForm(const RouteOptionsForm& form)
{
    std::string s;
    s += form.alwaysShown ? '1' : '0';
    s += char('0' + std::clamp(form.colourItem, 0, 9));
    s += char('0' + std::clamp(form.opacity - 1, 0, 9));
    s += '1';
    return s;
}
