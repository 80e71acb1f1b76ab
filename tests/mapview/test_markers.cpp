// The markers and the compass: icon tinting, positions from the map and from the edits,
// visibility with the compass switch, and the geometry the renderer draws (centring on a
// marker is tested through the window's positions page).
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "markers.h"
#include "records.h"

namespace {

pMap_info makeZone(const std::string& name, int32_t originX, int32_t originY)
{
    pMap_info z;
    z.name = name;
    z.originX = originX;
    z.originY = originY;
    return z;
}

class MarkersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scene.view.setViewSize(600, 400);
        scene.view.onRepaint = [this] { ++repaints; };
        scene.DisplayedZones = {&a, &b, &a2};
        scene.overlays.compass = true;
    }
    pMap_info a = makeZone("Foo", 0, 0);
    pMap_info b = makeZone("Bar", 65535, 0);
    pMap_info a2 = makeZone("Foo", 0, -65535); // a second zone with the same name
    MapScene scene;
    int repaints = 0;
};

TEST(MarkerIcon, FilesLoadTintedAndAMissingFileGivesAnEmptyMarker)
{
    QTemporaryDir dir;
    // The icon's brightness becomes the alpha of the marker's colour.
    QImage icon(5, 3, QImage::Format_RGB32);
    icon.fill(0xFFFFFFFF);
    icon.setPixel(0, 0, 0xFF000000);
    icon.setPixel(1, 0, 0xFF804020); // (61*128 + 174*64 + 21*32) div 256 = 76
    ASSERT_TRUE(icon.save(dir.filePath("boussole_cible.bmp"), "BMP"));
    MapScene scene;
    scene.Target.Visible = true;
    scene.MyPos.Zone = reinterpret_cast<pMap_info*>(&scene); // must be forgotten
    CreateMarkers(scene, dir.path() + "/");
    EXPECT_TRUE(scene.Target.Bitmap.isNull()); // no cible.bmp
    EXPECT_FALSE(scene.Target.Visible);
    EXPECT_EQ(scene.Target.Colour, kTargetColour);
    EXPECT_EQ(scene.MyPos.Bitmap.size(), QSize(5, 3));
    EXPECT_EQ(scene.MyPos.Bitmap.pixel(2, 1), kMyPosColour);
    EXPECT_EQ(scene.MyPos.Bitmap.pixel(0, 0), kMyPosColour & 0x00FFFFFFu);
    EXPECT_EQ(scene.MyPos.Bitmap.pixel(1, 0), (kMyPosColour & 0x00FFFFFFu) | 0x4C000000u);
    EXPECT_EQ(scene.OtherPos.Bitmap.pixel(2, 1), kOtherPosColour);
    EXPECT_EQ(scene.MyPos.Zone, nullptr);
}

TEST_F(MarkersTest, EditsGiveWholeThousandsClampedAndEmptyAsZeroTheMouseItsExactPoint)
{
    PositionEdits e{"99", "", "7", "12", 1, "Bar", 2, "Foo"};
    apply_position_edits(scene, e);
    EXPECT_EQ(std::tuple(scene.MyPos.X, scene.MyPos.Y, scene.MyPos.Zone, scene.MyPos.Visible), std::tuple(65000, 0, &b, true));
    // The selected item, not the first zone of that name.
    EXPECT_EQ(std::pair(scene.OtherPos.X, scene.OtherPos.Zone), std::pair(7000, &a2));
    EXPECT_EQ(repaints, 1);
    // The "no zone" item of a cleared map names no zone: the marker is unset.
    apply_position_edits(scene, {"1", "1", "1", "1", 0, "Pas de region", 0, "Pas de region"});
    EXPECT_TRUE(scene.MyPos.Zone == nullptr && !scene.MyPos.Visible);
    // An index out of step with the text falls back to the first zone of that name.
    EXPECT_EQ(zone_of_combo(scene, 1, "Foo"), &a);

    // Placed at the mouse: the exact point, shown in thousands.
    EXPECT_FALSE(place_marker_at_mouse(scene, scene.MyPos, {"Foo", "Bar", "Foo"}, 0));
    scene.ZoneUnderMouse = &a2;
    scene.MouseZonePoint = {12345, 999};
    const auto p = place_marker_at_mouse(scene, scene.MyPos, {"Foo", "Bar", "Foo"}, 1);
    ASSERT_TRUE(p);
    EXPECT_EQ(std::tuple(p->comboIndex, p->editX, p->editY), std::tuple(2, "12", "0"));
    EXPECT_EQ(std::pair(scene.MyPos.X, scene.MyPos.Zone), std::pair(12345, &a2));
    // A combo without the zone keeps its selection.
    EXPECT_EQ(select_zone_in_combo(scene, {"Pas de region"}, 0), 0);
}

TEST_F(MarkersTest, CompassSwitchHidesAndShowsAndTheLineJoinsBothMarkersOutsideTheView)
{
    SetPosition(scene.MyPos, {32767, 32767}, &a);
    update_compass(scene);
    CompassGeometry g = compass_geometry(scene);
    EXPECT_TRUE(g.my.drawn && !g.other.drawn && !g.lineDrawn); // only one position set

    scene.overlays.compass = false;
    update_compass(scene);
    EXPECT_FALSE(compass_geometry(scene).my.drawn);
    EXPECT_EQ(scene.MyPos.Zone, &a);
    scene.overlays.compass = true;
    update_compass(scene);
    EXPECT_TRUE(compass_geometry(scene).my.drawn);

    reset_compass(scene);
    EXPECT_TRUE(scene.MyPos.Zone == nullptr && !scene.MyPos.Visible);

    // The line joins both markers even outside the view.
    QImage bmp(9, 7, QImage::Format_ARGB32);
    scene.MyPos.Bitmap = bmp;
    SetPosition(scene.MyPos, {32767, 32767}, &a); // screen (50, 50) at zoom 100
    SetPosition(scene.OtherPos, {32767, 32767}, &b); // far outside a 60 x 60 view
    scene.view.setViewSize(60, 60);
    update_compass(scene);
    g = compass_geometry(scene);
    EXPECT_TRUE(g.my.drawn && !g.other.drawn && g.lineDrawn);
    EXPECT_EQ(g.my.topLeft, QPoint(50 - 4, 50 - 3));
    EXPECT_EQ(std::pair(g.lineStart, g.lineEnd), std::pair(QPointF(50, 50), QPointF(150, 50)));
    EXPECT_EQ(g.stippleStep, 1.0);
    EXPECT_EQ(g.stipple[2] >> 24, 0u);
}

} // namespace
