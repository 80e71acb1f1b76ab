#pragma once
// What the location editor needs of the window that runs it: the tree it edits, the
// pictures and the copy buffer it shows, the waypoints its route codes are made of, and
// the window's own steps for adding and removing a location.
#include <vector>

#include <QImage>

#include "map_scene.h"

class QWidget;

class LocationEditorHost {
public:
    virtual ~LocationEditorHost() = default;

    // The window the dialog belongs to and is centred with.
    virtual QWidget* editorParent() = 0;
    virtual LocationTree& editedTree() = 0;
    // The category icons, by a category's icon index, and the window's small pictures
    // (the eighth is the level page's button).
    virtual const std::vector<QImage>& categoryIcons() const = 0;
    virtual const std::vector<QImage>& panelIcons() const = 0;
    // The copy buffer (a location copied from the map or the tree); may be null.
    virtual const TNodeData* copyBuffer() const = 0;
    virtual const std::vector<rWaypoint>& waypoints() const = 0;
    // Empties the waypoint list and ends the waypoint mode, as a change to the tree does.
    virtual void endWaypoints() = 0;
    // Adds a location to the tree; its node, or kNoTreeNode when it cannot be placed.
    virtual int addnode(const rnew_node& record) = 0;
    // Removes a location with everything that shows it.
    virtual void destroynode(int node) = 0;
    // The additions were changed (or saved).
    virtual void toggle_tagnew(bool modified) = 0;
    // Empties the search results, whose nodes a change may have removed.
    virtual void clear_search() = 0;
};
