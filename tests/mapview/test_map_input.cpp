// The map's mouse and keys: hover and click reach the interaction hook with their action,
// drag pans, the wheel steps by notches, and the character keys act on the scene (the keys
// as the window receives them are tested through the window).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "map_input.h"
#include "preferences.h"
#include "records.h"

namespace {

class MapInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        zone.name = "Foo";
        scene.DisplayedZones = {&zone};
        scene.view.setViewSize(600, 400); // zoom 100: one zone is 100 pixels
        scene.view.onRepaint = [this] { log.push_back("repaint"); };
        scene.view.onLevelOfDetail = [this] { log.push_back("lod"); };
        auto& h = input.hooks;
        h.onInteract = [this](int x, int y, int action) {
            log.push_back("interact " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(action));
            return interactHits;
        };
        h.onPathAt = [this](int, int, int action) {
            log.push_back("path " + std::to_string(action));
            return pathHits;
        };
        h.onAddWaypoint = [this] { log.push_back("waypoint"); };
        h.onStatusText = [this](const std::string& t) { status = t; };
        h.onTakeFocus = [this] { log.push_back("focus"); };
        h.onReleaseCapture = [this] { log.push_back("release"); };
        h.onModifyNode = [this](int node) { log.push_back("modify " + std::to_string(node)); };
        h.onCreateLocation = [this] { log.push_back("create"); };
    }
    bool logged(const std::string& s) const { return std::find(log.begin(), log.end(), s) != log.end(); }

    pMap_info zone;
    MapScene scene;
    MapInput input{scene};
    std::vector<std::string> log;
    std::string status = "unset";
    bool interactHits = false;
    bool pathHits = false;
};

TEST_F(MapInputTest, HoverSetsZonePointStatusAndAsksForTheLocation)
{
    input.ImageMapMouseMove({20, 1}, false);
    EXPECT_EQ(std::tuple(scene.ZoneUnderMouse, scene.MouseZonePoint, status),
              std::tuple(&zone, QPoint(13107, 655), "Foo |  loc: 13107 x 655"));
    EXPECT_EQ(log, (std::vector<std::string>{"focus", "path 0", "interact 20,1 0"}));

    log.clear();
    pathHits = true; // a path under the mouse takes the hover
    input.ImageMapMouseMove({20, 1}, false);
    EXPECT_FALSE(logged("interact 20,1 0"));

    input.ImageMapMouseMove({150, 50}, false);
    EXPECT_TRUE(scene.ZoneUnderMouse == nullptr && status.empty());
}

TEST_F(MapInputTest, ClicksReachTheInteractionHookWithTheirAction)
{
    input.ImageMapMouseMove({20, 20}, false);
    log.clear();
    interactHits = true;
    input.ImageMapMouseDown({20, 20}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(logged("interact 20,20 2"));
    EXPECT_FALSE(scene.view.Dragging);

    // Shift+click: nothing outside edit mode, modify/create in edit mode, a waypoint in
    // waypoint mode.
    log.clear();
    input.ImageMapMouseDown({20, 20}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(log, (std::vector<std::string>{"focus", "release"}));
    input.editMode = true;
    log.clear();
    input.ImageMapMouseDown({20, 20}, Qt::LeftButton, Qt::ShiftModifier | Qt::KeypadModifier);
    EXPECT_EQ(log, (std::vector<std::string>{"focus", "interact 20,20 1"}));
    scene.waypointMode = true;
    log.clear();
    input.ImageMapMouseDown({20, 20}, Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(log, (std::vector<std::string>{"focus", "waypoint"}));

    // Ctrl, Alt and the right button do nothing.
    log.clear();
    input.ImageMapMouseDown({20, 20}, Qt::LeftButton, Qt::ControlModifier);
    input.ImageMapMouseDown({20, 20}, Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier);
    input.ImageMapMouseDown({20, 20}, Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(log, (std::vector<std::string>{"focus", "focus", "focus"}));
}

TEST_F(MapInputTest, DragOnEmptyMapPansAndFreezesTheHover)
{
    input.ImageMapMouseMove({20, 20}, false);
    input.ImageMapMouseDown({20, 20}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(logged("path 1")); // no location, then the path test, then the drag
    ASSERT_TRUE(scene.view.Dragging);
    log.clear();
    input.ImageMapMouseMove({150, 70}, false);
    EXPECT_EQ(QPoint(scene.view.OffsetX, scene.view.OffsetY), QPoint(130, 50));
    EXPECT_EQ(scene.view.MouseWorld, QPoint(98302, 45874)); // with the offsets before the move
    EXPECT_EQ(scene.ZoneUnderMouse, &zone); // the hover state stays as before the drag
    EXPECT_EQ(log, (std::vector<std::string>{"focus", "repaint"})); // no hover asked for
    input.ImageMapMouseMove({140, 75}, false); // from where the last move left the mouse
    EXPECT_EQ(QPoint(scene.view.OffsetX, scene.view.OffsetY), QPoint(120, 55));
    input.ImageMapMouseUp();
    EXPECT_FALSE(scene.view.Dragging);
    input.ImageMapMouseMove({160, 80}, false);
    EXPECT_EQ(scene.view.OffsetX, 120);
}

TEST_F(MapInputTest, WheelStepsByWholeNotchesAndKeepsPartialDeltas)
{
    // The zoom steps themselves are checked with the viewport.
    for (auto [delta, steps, zoom] : {std::tuple{60, 0, 100}, {60, 1, 110}, {240, 2, 133}, {-120, -1, 120}}) {
        EXPECT_EQ(input.ImageMapMouseWheel(delta), steps) << delta;
        EXPECT_EQ(scene.view.Zoom, zoom) << delta;
    }
    // Before any mouse move the wheel zooms about world (0, 0): the offsets stay.
    EXPECT_EQ(scene.view.OffsetX, 0);
    // A huge delta does not hang or overflow; the zoom stops at its limit.
    input.ImageMapMouseWheel(2000000000);
    input.ImageMapMouseWheel(2000000000);
    EXPECT_EQ(scene.view.Zoom, MapViewport::ZoomMax);
}

TEST_F(MapInputTest, CharacterKeys)
{
    input.ImageMapMouseMove({50, 50}, false);
    const bool avct = Preferences.AVCT;

    scene.view.ZoomBeforeDblClick = 300;
    for (auto [key, zoom] : {std::pair{'+', 110}, {'-', 99}, {'z', MapViewport::ZoomMax}, {'z', 99}, {'f', 400}}) {
        EXPECT_TRUE(input.FormKeyPress(key, false)) << key;
        EXPECT_EQ(scene.view.Zoom, zoom) << key;
        EXPECT_TRUE(key != '-' || scene.view.ZoomBeforeDblClick == 0) << "a step down forgets the double-click zoom";
    }
    EXPECT_EQ(scene.view.world_to_screen(MapViewport::zone_center(zone)), QPoint(300, 200));

    // The switches; keys are case-sensitive.
    for (auto [key, flag] : {std::pair{'l', &Preferences.AVCT}, {'h', &scene.overlays.tips},
                             {'s', &scene.overlays.subtitles}, {'H', &scene.overlays.tips}}) {
        const bool before = *flag;
        EXPECT_EQ(input.FormKeyPress(key, false), key != 'H') << key;
        EXPECT_EQ(*flag, key == 'H' ? before : !before) << key;
    }
    Preferences.AVCT = avct;

    // "i": the location under the mouse, else a new one in edit mode, else nothing.
    log.clear();
    scene.HotNode = kNoTreeNode;
    input.FormKeyPress('i', false);
    EXPECT_TRUE(log.empty());
    input.editMode = true;
    input.FormKeyPress('i', false);
    scene.HotNode = 7;
    input.FormKeyPress('i', false);
    EXPECT_EQ(log, (std::vector<std::string>{"create", "modify 7"}));
}

} // namespace
