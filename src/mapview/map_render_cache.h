#pragma once
// What the map paint keeps from one frame to the next: every category's icon converted
// once for blitting and its label font, the labels of the locations laid out once, and
// the tips laid out once. Private to the renderer's files.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <QFont>
#include <QImage>
#include <QStaticText>

struct rCateg;
class LocationTree;
struct MapScene;

struct MapRenderCache {
    struct CategoryLook {
        qint64 iconKey = 0;   // cacheKey of the icon it was made from; 0: none yet
        QImage icon;          // premultiplied ARGB, or null when the category has none
        bool hasFont = false;
        QFont sourceFont;     // the category's font it was made from
        QFont labelFont;      // the same in pixels: points x 96 / 72, as the original's screen
        int points = 0;       // the size in points: the label's top is py - points + 1
        uint32_t fontSerial = 0;
    };
    struct Label {
        std::string name;     // the location name it was made from
        uint32_t fontSerial = 0;
        QStaticText text;
    };

    // The category's look, refreshed when its icon or font changed (stripIcons: the icons of
    // the base strip by icon index, for a category without an icon of its own).
    CategoryLook& look(const rCateg& category, const std::vector<QImage>* stripIcons);
    // The look as the last refresh left it; refreshed first when the category has none yet.
    const CategoryLook& lookAsIs(const rCateg& category, const std::vector<QImage>* stripIcons);
    // The location's label, laid out again only when its name or its category's font changed.
    const QStaticText& label(int node, const std::string& name, const CategoryLook& look);
    // Forgets labels of a cleared tree.
    void followTree(const LocationTree& tree);

    std::unordered_map<const rCateg*, CategoryLook> categories;
    std::unordered_map<int, Label> labels;
    const LocationTree* tree = nullptr;
    size_t treeGeneration = 0;
    uint32_t nextFontSerial = 1;

    std::vector<std::string> tipsSource;
    std::vector<QStaticText> tips;
};

// The scene's cache, made on first use.
MapRenderCache& renderCache(MapScene& scene);
