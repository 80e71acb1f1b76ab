#pragma once
// What the map loading and selection hand to code they do not own: the paths and links of
// the map (src/mapview/map_paths), the info panel, the tree, the progress bar and the
// controls of the main window. The main window wires them; every hook may be left empty,
// and then that step is skipped (S53 then goes to the message box of the language texts).
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct MapHooks {
    // Paths, links and waypoints.
    std::function<void()> build_paths;
    std::function<void()> build_links;
    std::function<void(int node)> build_ownpath; // the selected location node
    std::function<void()> update_pathcolors;
    // After the scene's waypoint list was emptied: uncheck waypoint1, update the menu.
    std::function<void()> erase_listWP;

    // The info panel (mode 0 hover, 1 none, 2 info page).
    std::function<void(int node, int mode)> affiche_memoinfo;
    // Repaint of the location tree.
    std::function<void()> repaintTree;

    // Controls of the main window.
    // The map menu: the item of this map checked, every other unchecked.
    std::function<void(int32_t mapId)> checkMapMenu;
    // Replaces the items of both zone combos (ComboBox4, ComboBox5) and selects item 0.
    std::function<void(const std::vector<std::string>& names)> setZoneComboItems;
    // Empties Edit_myX, Edit_myY, Edit_otherX and Edit_otherY.
    std::function<void()> clearPositionEdits;
    // Marker visibility from the markers' zones and the compass box; repaints the map.
    std::function<void()> update_compass;

    // The map's progress bar while a map loads: shown (show_progressbar) with its maximum,
    // the number of zones; moved after every zone and repainted at once (it must not run
    // the event loop: the zone list is being filled); hidden at the end, also when the load
    // fails.
    std::function<void(int32_t maximum)> progressMaximum;
    std::function<void(int32_t position)> progressPosition;
    std::function<void()> progressHide;

    // An information message S<id> (S53: zone images missing).
    std::function<void(int id)> showMessage;
};
