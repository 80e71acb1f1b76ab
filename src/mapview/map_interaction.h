#pragma once
// The map's link to the locations: the hit-test buffer the painter fills, the hover and
// click handling, the rich hint content, the info page content, the jump command for
// place codes, the creation of a location at the mouse point and the captions of the
// map's context menu. Widget-free: what belongs to the main window or to other parts of
// the map view is reached through MapInteractionHooks.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "hint_caption.h"
#include "info_panel.h"
#include "map_scene.h"

// One record of the hit-test buffer: the centre of a drawn icon in map-control pixels
// and its location node. Stored packed, 8 bytes, in drawing order.
struct HitTestRecord {
    int16_t x = 0;
    int16_t y = 0;
    int32_t node = kNoTreeNode;
};
static_assert(sizeof(HitTestRecord) == 8);

constexpr int kHitReach = 3; // pixels either side of an icon's centre, inclusive

// What the location editor is given when it opens to create a location.
struct CreateLocationRequest {
    pMap_info* zone = nullptr;
    int mode = 0;                  // 0: create
    std::string xText, yText;      // Edit5, Edit6: the zone-local point in decimal
    bool languageMatches = true;   // CheckBox12 checked
    bool languageMatchShown = false; // CheckBox12 visible (translation mode)
    int playerLevel = 0;           // UpDown3
    bool button4Shown = false;
};

// One item of the map's context menu: its caption as the menu takes it (an "&" of a name
// doubled, so that it shows as text) and whether it is enabled.
struct MenuItemText {
    std::string caption;
    bool enabled = true;
};

struct MenuImageCaptions {
    MenuItemText ajouter1;    // create here, or modify the location under the mouse
    MenuItemText Copiernode1; // copy it, or paste the copy buffer
    MenuItemText coupernode1; // cut it
    MenuItemText hyperlink1;  // add a reference to the copied location
};

// Operations of the main window and of other parts of the map view.
struct MapInteractionHooks {
    std::function<void(int node)> select_node;
    // node, centre, keep view, zone-local x and y
    std::function<void(int node, bool centre, bool keep, int32_t x, int32_t y)> localize_data;
    std::function<void(int node)> set_target_node;
    std::function<void(int node)> Appelle_modifierNode;
    // Runs the location editor modally; returns the node it created, or kNoTreeNode.
    std::function<int(const CreateLocationRequest&)> runLocationEditor;
    std::function<void()> refresh_pathslinks;
    // Presses but_liste2: the side panel shows the info page.
    std::function<void()> showInfoPage;
    // Shows new info page content.
    std::function<void(const InfoPanelContent&)> showInfoPanel;
    // The link items of the context menu changed (see MapInteraction::popupRedirItems).
    std::function<void()> popupRedirChanged;
    // Map hint: the location name for the rich hint of HCaption; empty takes it down.
    std::function<void(const std::string& text)> imagehint;
    // Feedback line with message S<id> and %1 = arg, living `seconds`.
    std::function<void(int id, int seconds, const std::string& arg)> show_feedback;
    std::function<void()> repaint;
};

// The jump edit's text after a change: upper case, at most 15 characters, "J_" in front,
// position 3 a kind digit "0".."4", positions 4-15 hexadecimal digits; any other
// character becomes "#". Positions beyond the typed length stay absent.
std::string filterJumpEditText(const std::string& typed);

class MapInteraction {
public:
    MapInteraction(MapScene& scene, MapInteractionHooks hooks);

    MapInteractionHooks& hooks() { return hooks_; }

    // Offers one drawn icon to the hit-test buffer; stored, and True, only when the
    // point is in view (the painter draws only stored icons).
    bool putmapnode(int16_t x, int16_t y, int node);
    // The first record within kHitReach of (x, y) on both axes; kNoTreeNode when none.
    // Records whose location no longer exists are passed over.
    int getmapnode(uint16_t x, uint16_t y) const;

    // action 0 hover, 1 modify or create (Shift+click in edit mode), 2 click.
    // Returns True when a location was under the point.
    bool Interact_cellmap(int x, int y, int action);
    // mode 0 hover (rich hint), 1 none, 2 info page.
    void affiche_memoinfo(int node, int mode);
    // Follows a "J_" place code.
    void jump_command(const std::string& text);
    // Opens the location editor to create a location at the mouse point.
    void Appelle_createloc();

    // Captions of the context menu when it opens; none when no zone is under the mouse
    // (the captions stay as they were). copiedName: the copy buffer's location name,
    // empty when the buffer is empty.
    std::optional<MenuImageCaptions> Menu_imagePopup(const std::string& copiedName,
                                                     const std::string& databaseName) const;
    // The copy, cut and reference items alone.
    void checkmenu_copie(MenuImageCaptions& items, const std::string& copiedName) const;

    // Captions of the Tag-255 link items at the top of the context menu: the links of
    // the last hovered location, then "-"; empty when the mouse left the locations.
    const std::vector<std::string>& popupRedirItems() const { return popupRedir_; }
    // The content last given to the info page.
    const InfoPanelContent& infoPanel() const { return panel_; }
    // Empties the info page and its redirect lines (its location is gone).
    void clearInfoPanel();

private:
    void vider_popup_redir();
    // The links of a description: into the context menu's link items (toTree False: one
    // per reference, then a separator), or into the info page's link list with the lines
    // to the targets on the map shown. True when the description holds a reference.
    bool create_menu_redir(const std::string& text, bool toTree);
    // One entry of the link list (the name cut as an entry keeps it) and, for a target on
    // the map shown, its line from the location on the info page.
    void add_treeredir(const std::string& name);
    // Empties the link list and the redirect lines.
    void vider_tree_redir();
    void add_redirline(int node, int target);
    // A live location node with its item, else null.
    const TNodeData* locationData(int node) const;

    MapScene& scene_;
    MapInteractionHooks hooks_;
    std::vector<std::string> popupRedir_;
    InfoPanelContent panel_;
};
