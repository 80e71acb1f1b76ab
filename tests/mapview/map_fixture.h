#pragma once
// A map scene over a small database built in memory, with a program folder in a temporary
// directory: map 1 is 2 x 2 zones (NW, NE, SW, SE), map 2 one zone; three categories of
// level-of-detail classes 1, 2 and 3 whose icon is a 3 x 3 opaque block in the middle of an
// otherwise clear 11 x 11 square. Every hook of the scene records what it was asked.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <memory>
#include <string>
#include <vector>

#include "data_builders.h"
#include "data_model.h"
#include "folders.h"
#include "location_tree.h"
#include "map_scene.h"
#include "memory_stream.h"
#include "preferences.h"

constexpr int16_t kMap1 = 1, kMap2 = 2;
constexpr uint32_t kIconColour = 0xFF00FFFF; // the opaque middle of every category icon

inline QImage solidImage(int size, uint32_t argb)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor::fromRgba(argb));
    return image;
}

// A converted vector stream of one horizontal line across the zone at fraction fy.
inline MemoryStream horizontalLine(float fy)
{
    MemoryStream s;
    const uint16_t n = 2;
    const float pts[4] = {0.0f, fy, 1.0f, fy};
    s.write(&n, 2);
    s.write(pts, sizeof pts);
    return s;
}

struct MapFixture {
    QTemporaryDir dir;
    std::unique_ptr<TRealm_info> realm;
    TData_common common;
    LocationTree tree;
    MapScene scene;
    std::vector<std::string> events;
    pMap_info *nw = nullptr, *ne = nullptr, *sw = nullptr, *se = nullptr, *other = nullptr;
    rCateg *towns = nullptr, *camps = nullptr, *herbs = nullptr;

    explicit MapFixture(int width = 300, int height = 300)
    {
        InitPreferences();
        Preferences.LIAR = false;
        SetProgramFolder(dir.path());
        QDir(dir.path()).mkpath("maps/high");
        QDir(dir.path()).mkpath("data");
        realm = std::make_unique<TRealm_info>(std::make_unique<TData_map>());
        addMap(kMap1, "Nordmark");
        addMap(kMap2, "Sudland");
        nw = addZone("NW", 10, kMap1, 0, 0, "zone_nw");
        ne = addZone("NE", 11, kMap1, 65535, 0, "zone_ne");
        sw = addZone("SW", 12, kMap1, 0, -65535, "zone_sw");
        se = addZone("SE", 13, kMap1, 65535, -65535, "zone_se");
        other = addZone("Other", 20, kMap2, 0, 0, "zone_other");
        towns = addCategory(1, "Villes", kindNoLevel, 0x000000FF, 1);
        camps = addCategory(2, "Camps", kindCreature, 0x0000FF00, 2);
        herbs = addCategory(3, "Herbes", kindNoLevel, 0x00FF0000, 3);
        tree.init_tree(*realm->mapIndex, common);

        scene.tree = &tree;
        scene.common = &common;
        scene.realm = realm.get();
        scene.FirstActivate = false;
        scene.view.setViewSize(width, height);
        scene.view.onRepaint = [this] { events.push_back("repaint"); };
        wireHooks();
    }

    // Every hook records its name and arguments in events.
    void wireHooks()
    {
        auto named = [this](std::string name) { return [this, name] { events.push_back(name); }; };
        auto withInt = [this](std::string name) {
            return [this, name](int32_t n) { events.push_back(name + " " + std::to_string(n)); };
        };
        MapHooks& h = scene.hooks;
        h.build_paths = named("build_paths");
        h.build_links = named("build_links");
        h.build_ownpath = withInt("build_ownpath");
        h.update_pathcolors = named("update_pathcolors");
        h.erase_listWP = named("erase_listWP");
        h.affiche_memoinfo = [this](int node, int mode) {
            events.push_back("affiche_memoinfo " + std::to_string(node) + " " + std::to_string(mode));
        };
        h.repaintTree = named("repaintTree");
        h.checkMapMenu = withInt("checkMapMenu");
        h.setZoneComboItems = [this](const std::vector<std::string>&) { events.push_back("combos"); };
        h.clearPositionEdits = named("clearPositionEdits");
        h.update_compass = named("update_compass");
        h.progressMaximum = withInt("progressMaximum");
        h.progressPosition = withInt("progressPosition");
        h.progressHide = named("progressHide");
        h.showMessage = withInt("S");
    }

    // How many events begin with this text.
    size_t count(const std::string& prefix) const
    {
        size_t n = 0;
        for (const auto& e : events) n += e.rfind(prefix, 0) == 0;
        return n;
    }

    void addMap(int16_t id, const std::string& name) { addMapTo(*realm->mapIndex, id, name); }
    pMap_info* addZone(const std::string& name, int16_t zoneId, int16_t regionId, int32_t ox, int32_t oy,
                       const std::string& file)
    {
        pMap_info* z = addZoneTo(*realm->mapIndex, name, zoneId, regionId, ox, oy);
        z->fileName = file;
        return z;
    }
    rCateg* addCategory(uint8_t id, const std::string& name, uint8_t kind, TColor colour, uint8_t cls)
    {
        rCateg* c = addCategoryTo(common, id, name, kind, colour);
        c->detailClass = cls;
        c->visible = 1;
        c->iconsNow = 1;
        c->labelsNow = 1;
        c->font = QFont("Arial");
        c->font.setPointSize(8);
        c->icon = QImage(11, 11, QImage::Format_ARGB32);
        c->icon.fill(Qt::transparent);
        for (int y = 4; y <= 6; ++y)
            for (int x = 4; x <= 6; ++x) c->icon.setPixel(x, y, kIconColour);
        return c;
    }
    // A location; its display colour is set after the tree made it.
    int add(const std::string& name, int zoneId, int categ, int x, int y, TColor colour = 0)
    {
        const int node = tree.addnode({.x = uint32_t(x), .y = uint32_t(y), .name = name, .zoneId = uint32_t(zoneId),
                                       .categoryId = uint32_t(categ), .description = {}, .attributes = {},
                                       .linkText = {}, .hasItem = 1});
        if (node != kNoTreeNode) tree.nodeData(node)->item->colour = colour;
        return node;
    }

    // Shows map 1 with in-memory solid zone images instead of loading files.
    void showMap1(uint32_t nwColour = 0xFFFF0000, uint32_t neColour = 0xFF00FF00, uint32_t swColour = 0xFF0000FF,
                  uint32_t seColour = 0xFFFFFF00, int imageSize = 16)
    {
        scene.CurrentMapId = kMap1;
        scene.DisplayedZones = {nw, ne, sw, se};
        const uint32_t colours[] = {nwColour, neColour, swColour, seColour};
        for (size_t i = 0; i < 4; ++i) {
            pMap_info* z = scene.DisplayedZones[i];
            z->image = std::make_unique<QImage>(solidImage(imageSize, colours[i]));
            z->tile = std::make_unique<QImage>(1, 1, QImage::Format_RGB32);
            z->vectors = std::make_unique<MemoryStream>();
        }
    }

    QString mapsPath(const QString& name) const { return dir.path() + "/maps/" + name; }
    void writeFile(const QString& path, const std::vector<uint8_t>& bytes) const
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }
    void writeBmp(const QString& path, uint32_t argb, int size = 8) const { solidImage(size, argb).save(path, "BMP"); }
};
