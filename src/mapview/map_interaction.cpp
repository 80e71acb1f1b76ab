#include "map_interaction.h"

#include "map_renderer.h"

#include <cstring>
#include <utility>

#include "con_colors.h"
#include "link_codes.h"
#include "name_lookup.h"
#include "search.h"
#include "preferences.h"
#include "ressource.h"
#include "text_helpers.h"
#include "tree_update_bracket.h"

namespace {

template <class F, class... Args>
void call(const F& hook, Args&&... args)
{
    if (hook) hook(std::forward<Args>(args)...);
}

// Level texts and colours of a location: shown for creatures and level ranges only.
struct LevelDisplay {
    bool shown = false;
    std::string minText, maxText;
    TColor minColour = kNoLevelColour;
    TColor maxColour = kNoLevelColour;
};

LevelDisplay levelDisplay(const rCateg* category, const rItemdata& item)
{
    LevelDisplay d;
    d.shown = category && (category->kind == kindCreature || category->kind == kindLevelRange);
    if (!d.shown) return d;
    d.minText = std::to_string(item.levelMin);
    d.maxText = std::to_string(item.levelMax);
    d.minColour = ConColor(Preferences.NIVP, item.levelMin, item.colour, Preferences.CLVL);
    d.maxColour = ConColor(Preferences.NIVP, item.levelMax, item.colour, Preferences.CLVL);
    return d;
}

// A name from the data as a menu caption shows it: an ampersand is text there, not the mark
// of a keyboard accelerator, so it is doubled.
std::string menuName(const std::string& name)
{
    std::string out;
    out.reserve(name.size());
    for (char c : name) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

} // namespace

MapInteraction::MapInteraction(MapScene& scene, MapInteractionHooks hooks)
    : scene_(scene), hooks_(std::move(hooks))
{
}

bool MapInteraction::putmapnode(int16_t x, int16_t y, int node)
{
    // One writer of the buffer: the painter's.
    return ::putmapnode(scene_, QPoint(x, y), node);
}

int MapInteraction::getmapnode(uint16_t x, uint16_t y) const
{
    const ByteBuffer& d = scene_.HitTestStream.data;
    const size_t count = d.size() / sizeof(HitTestRecord);
    const uint8_t* p = d.data();
    const int px = x;
    const int py = y;
    for (size_t i = 0; i < count; ++i, p += sizeof(HitTestRecord)) {
        int16_t rx, ry;
        std::memcpy(&rx, p, 2);
        std::memcpy(&ry, p + 2, 2);
        // -kHitReach <= px - rx <= kHitReach, in one unsigned comparison per axis
        if (unsigned(px - rx + kHitReach) > unsigned(2 * kHitReach)) continue;
        if (unsigned(py - ry + kHitReach) > unsigned(2 * kHitReach)) continue;
        int32_t node;
        std::memcpy(&node, p + 4, 4);
        // A location removed since the last paint is not there any more.
        if (scene_.tree && scene_.tree->levelOf(node) == levelLocation) return node;
    }
    return kNoTreeNode;
}

const TNodeData* MapInteraction::locationData(int node) const
{
    if (!scene_.tree || scene_.tree->levelOf(node) != levelLocation) return nullptr;
    const TNodeData* data = scene_.tree->nodeData(node);
    return data && data->item ? data : nullptr;
}

bool MapInteraction::Interact_cellmap(int x, int y, int action)
{
    const int node = getmapnode(uint16_t(x), uint16_t(y));
    affiche_memoinfo(node, action);
    if (action == 0) return node != kNoTreeNode;
    if (action == 1) {
        if (node == kNoTreeNode) {
            Appelle_createloc();
            return false;
        }
        call(hooks_.select_node, node);
        call(hooks_.Appelle_modifierNode, node);
        return true;
    }
    if (action != 2 || node == kNoTreeNode) return false;
    call(hooks_.select_node, node);
    const TNodeData* data = locationData(node);
    const rCommand* command = data ? data->item->command.get() : nullptr;
    if (command && !command->text.empty() && command->text[0] == 'J') {
        jump_command(command->text);
        return true;
    }
    // select_node hid the target marker that the info page put on the location.
    scene_.Target.Visible = true;
    call(hooks_.repaint);
    call(hooks_.showInfoPage);
    return true;
}

void MapInteraction::vider_popup_redir()
{
    if (popupRedir_.empty()) return;
    popupRedir_.clear();
    call(hooks_.popupRedirChanged);
}

void MapInteraction::affiche_memoinfo(int node, int mode)
{
    // Still over the same location. A location just shown on the info page is not hovered
    // yet: its hover still makes it the location under the mouse.
    if (node == scene_.InfoNode && mode == 0 && node == scene_.HotNode) return;
    scene_.InfoNode = node;

    const TNodeData* data = locationData(node);
    const LocationTree* tree = scene_.tree;
    if (!data || tree->checkState(node) == NodeCheck::Unchecked || !tree->isVisible(node)) {
        vider_popup_redir();
        scene_.HotNode = kNoTreeNode;
        call(hooks_.imagehint, std::string());
        return;
    }
    const rItemdata& item = *data->item;
    const rCateg* category = data->category;
    const LevelDisplay levels = levelDisplay(category, item);
    const TData_common* common = scene_.common ? scene_.common : tree->common();
    static const std::vector<rSpecColor> noColours;
    const TColor nameColour = SpecColor(item.attributes, 0, common ? common->specColors : noColours);

    if (mode == 0) {
        scene_.HotNode = node;
        HCaption.title = category ? category->name : std::string();
        HCaption.levelsShown = levels.shown;
        HCaption.levelMinText = levels.minText;
        HCaption.levelMaxText = levels.maxText;
        HCaption.nameColour = nameColour;
        HCaption.levelMinColour = levels.minColour;
        HCaption.levelMaxColour = levels.maxColour;
        HCaption.hasBody = !item.description.empty();
        HCaption.icon = category ? category->treeIcon : 0;
        HCaption.simple = false;
        HCaption.body = FormatLabelText(item.description, true);
        HCaption.hasLinks = create_menu_redir(item.description, false);
        call(hooks_.imagehint, item.name);
        return;
    }
    if (mode != 2) return;

    call(hooks_.imagehint, std::string());
    panel_ = InfoPanelContent{};
    panel_.node = node;
    panel_.levelMinText = levels.minText;
    panel_.levelMaxText = levels.maxText;
    panel_.levelMinColour = levels.minColour;
    panel_.levelMaxColour = levels.maxColour;
    panel_.categoryCaption = "[" + (category ? category->name : std::string()) + "]";
    panel_.nameColour = nameColour;
    panel_.name = item.name;
    static const std::vector<std::string> noTypes;
    panel_.memoLines = infoMemoLines(item.description, item.typeId, common ? common->typeNames : noTypes);
    panel_.attributes = UnpackSpecs(item.attributes);
    panel_.descriptionIcon = !item.description.empty();
    vider_tree_redir();
    panel_.linksIcon = create_menu_redir(item.description, true);
    call(hooks_.set_target_node, node);
    call(hooks_.showInfoPanel, panel_);
}

void MapInteraction::clearInfoPanel()
{
    panel_ = InfoPanelContent{};
    vider_tree_redir();
    call(hooks_.showInfoPanel, panel_);
}

bool MapInteraction::create_menu_redir(const std::string& text, bool toTree)
{
    if (!toTree) {
        popupRedir_ = popupRedirCaptions(text);
        call(hooks_.popupRedirChanged);
        return popupRedir_.size() > 1; // the references, then the separator
    }
    const std::vector<std::string> names = redirectNames(text);
    for (const std::string& name : names) add_treeredir(name);
    return !names.empty();
}

void MapInteraction::add_treeredir(const std::string& name)
{
    // The entry, the line and a follow all use the name as the entry keeps it.
    const std::string entry = name.substr(0, kRedirEntryMax);
    panel_.redirEntries.push_back(entry);
    const int target = scene_.search
                           ? scene_.search->findByName(entry, true, scene_.CurrentMapId, scene_.CurrentMapNode)
                           : find_node_byname(*scene_.tree, entry, true, scene_.CurrentMapId, scene_.CurrentMapNode);
    if (target != kNoTreeNode) add_redirline(panel_.node, target);
}

void MapInteraction::vider_tree_redir()
{
    scene_.RedirLines.clear();
    panel_.redirEntries.clear();
}

void MapInteraction::add_redirline(int node, int target)
{
    const TNodeData* from = locationData(node);
    const TNodeData* to = locationData(target);
    if (!from || !to || !from->zone || !to->zone) return;
    if (from->zone->regionId != to->zone->regionId) return; // on another map: no line
    const QPoint a = MapViewport::worldmaptoworld(QPoint(from->item->x, from->item->y), *from->zone);
    const QPoint b = MapViewport::worldmaptoworld(QPoint(to->item->x, to->item->y), *to->zone);
    scene_.RedirLines.push_back(rLine{a.x(), a.y(), b.x(), b.y(), kRedirLineColour});
}

void MapInteraction::jump_command(const std::string& text)
{
    const PlaceCode code = readPlaceCode(text);
    if (code.status == PlaceCodeStatus::NotPlaceCode) {
        call(hooks_.show_feedback, 43, 3, code.text);
        return;
    }
    if (code.status != PlaceCodeStatus::Ok) {
        call(hooks_.show_feedback, 42, 3, code.text);
        return;
    }
    if (!scene_.tree) return;
    const int zoneNode = placeCodeZoneNode(*scene_.tree, code);
    if (zoneNode == kNoTreeNode) return; // no zone has that id
    call(hooks_.localize_data, zoneNode, true, false, int32_t(code.x), int32_t(code.y));
}

void MapInteraction::Appelle_createloc()
{
    if (!scene_.ZoneUnderMouse) return;
    int created = kNoTreeNode;
    {
        TreeUpdateBracket bracket(scene_.tree);
        CreateLocationRequest request;
        request.zone = scene_.ZoneUnderMouse;
        request.mode = 0;
        request.xText = std::to_string(scene_.MouseZonePoint.x());
        request.yText = std::to_string(scene_.MouseZonePoint.y());
        request.languageMatches = true;
        request.languageMatchShown = Preferences.TRAN;
        request.playerLevel = Preferences.NIVP;
        request.button4Shown = false;
        if (hooks_.runLocationEditor) created = hooks_.runLocationEditor(request);
        call(hooks_.refresh_pathslinks);
        // A cancelled editor created nothing to show.
        if (created != kNoTreeNode) call(hooks_.localize_data, created, false, false, 0, 0);
    }
    call(hooks_.repaint);
}

std::optional<MenuImageCaptions> MapInteraction::Menu_imagePopup(const std::string& copiedName,
                                                                 const std::string& databaseName) const
{
    if (!scene_.ZoneUnderMouse) return std::nullopt;
    MenuImageCaptions items;
    const TNodeData* hot = locationData(scene_.HotNode);
    if (hot)
        items.ajouter1.caption =
            GetMenuText(31) + " [" + menuName(hot->item->name) + "][" + menuName(databaseName) + "]";
    else
        items.ajouter1.caption = GetMenuText(30) + " [" + menuName(databaseName) + "]";
    checkmenu_copie(items, copiedName);
    return items;
}

void MapInteraction::checkmenu_copie(MenuImageCaptions& items, const std::string& copiedName) const
{
    const bool copied = !copiedName.empty(); // the copy buffer counts as filled by its name
    const std::string reference = copied ? GetMenuText(15) + " [" + menuName(copiedName) + "]" : GetMenuText(15);
    if (const TNodeData* hot = locationData(scene_.HotNode)) {
        const std::string name = menuName(hot->item->name);
        items.Copiernode1 = {GetMenuText(32) + " [" + name + "]", true};
        items.coupernode1 = {GetMenuText(33) + " [" + name + "]", true};
        items.hyperlink1 = {reference, copied};
        return;
    }
    items.Copiernode1 = copied ? MenuItemText{GetMenuText(36) + " [" + menuName(copiedName) + "]", true}
                               : MenuItemText{GetMenuText(32), false};
    items.coupernode1 = {GetMenuText(33), false};
    items.hyperlink1 = {reference, false};
}

std::string filterJumpEditText(const std::string& typed)
{
    constexpr size_t kJumpEditMax = 15; // a place code's length
    std::string s = typed.substr(0, kJumpEditMax);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    for (size_t i = 0; i < s.size(); ++i) {
        char& c = s[i];
        if (i == 0) c = 'J';
        else if (i == 1) c = '_';
        else if (i == 2) c = (c >= '0' && c <= '4') ? c : '#';
        else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) c = '#';
    }
    return s;
}
