// Names from the data shown in the map menu as they are written: an ampersand in a
// location's or a map's name is text, not the mark of a keyboard accelerator.
#include "demo_content.h"
#include "edit_window_fixture.h"
#include "sample_writers.h"

namespace {
// A location of the user's named with an ampersand, in the zone and category of `near`.
int addShopNear(EditWindow& e, int near)
{
    const TNodeData& d = *e.tree().nodeData(near);
    rnew_node r;
    r.name = "Pierre & Fils";
    r.zoneId = uint16_t(d.zone->zoneId);
    r.categoryId = d.category->id;
    r.x = d.item->x;
    r.y = d.item->y + 3000;
    r.hasItem = 1;
    return e.tree().addnode(r);
}
} // namespace

TEST(MenuCaptions, AnAmpersandInALocationsOrAMapsNameIsShownAsItIs)
{
    EditWindow e;
    // A location of the user's named with an ampersand, under the mouse.
    const int near = e.findLocation();
    const int shop = addShopNear(e, near);
    ASSERT_NE(shop, kNoTreeNode);
    const QPoint at = e.hover(shop);
    // What the menu shows of an item: its text without the accelerator marks.
    auto shown = [](QAction* a) { return a->iconText(); };
    QContextMenuEvent menu(QContextMenuEvent::Mouse, at, e.w->ImageMapView->mapToGlobal(at));
    QApplication::sendEvent(e.w->ImageMapView, &menu);
    ASSERT_TRUE(e.w->Menu_image->isVisible());
    EXPECT_TRUE(shown(e.w->ajouter1).contains("[Pierre & Fils]")) << shown(e.w->ajouter1).toStdString();
    EXPECT_TRUE(shown(e.w->Copiernode1).contains("[Pierre & Fils]")) << shown(e.w->Copiernode1).toStdString();
    EXPECT_TRUE(shown(e.w->coupernode1).contains("[Pierre & Fils]")) << shown(e.w->coupernode1).toStdString();
    QTest::mouseClick(e.w->Menu_image, Qt::LeftButton, {}, e.w->Menu_image->actionGeometry(e.w->Copiernode1).center());
    ASSERT_EQ(e.w->CopyData->item->name, "Pierre & Fils");
    // Elsewhere, the paste item names the copy.
    e.mapMenu(e.hoverEmpty(at), e.w->Copiernode1);
    EXPECT_EQ(e.userMade("Pierre & Fils").size(), 2u);
    const QPoint other = e.hover(near);
    QContextMenuEvent again(QContextMenuEvent::Mouse, other, e.w->ImageMapView->mapToGlobal(other));
    QApplication::sendEvent(e.w->ImageMapView, &again);
    EXPECT_TRUE(shown(e.w->hyperlink1).endsWith("[Pierre & Fils]")) << shown(e.w->hyperlink1).toStdString();
    e.w->Menu_image->close();
}

TEST(MenuCaptions, TheEditorsNoteMenuShowsTheCopiedNameWithItsAmpersand)
{
    EditWindow e;
    const int near = e.findLocation();
    const int shop = addShopNear(e, near);
    e.mapMenu(e.hover(shop), e.w->Copiernode1);
    QString note;
    e.inEditor = [&](TForm2& ed) {
        note = ed.acc6->iconText();
        QTest::mouseClick(ed.Button1, Qt::LeftButton);
    };
    e.keyI(shop);
    ASSERT_EQ(e.editorRuns, 1);
    EXPECT_TRUE(note.endsWith("Pierre & Fils")) << note.toStdString();
}

TEST(MenuCaptions, TheMapsSubMenuShowsAMapNameWithAnAmpersandAsItIs)
{
    MainWindowFixture f;
    sample::DemoDatabase db = sample::buildDemoDatabase(MainWindowFixture::sampleOptions());
    db.mapIndex.maps.front().name = "Terres & Mers";
    const auto index = sample::writeMapIndex(db.mapIndex);
    f.writeFile("database/" + QString::fromStdString(f.database()) + "/vmarmap.bin", std::string(index.begin(), index.end()));
    auto w = f.startShown();
    QStringList names;
    for (QAction* a : mapItems(*w)) names << a->iconText();
    EXPECT_TRUE(names.contains("Terres & Mers")) << names.join(", ").toStdString();
}
