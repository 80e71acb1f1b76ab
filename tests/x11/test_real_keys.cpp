// The map's keys and the window's shortcuts on the real keyboard under a window manager:
// the pointer over the map gives the map the keys; a text edit keeps its characters while
// the pointer crosses the map; the page keys work from any control; Ctrl+S saves; Escape
// clears the messages.
#include <QStatusBar>

#include "main_window_fixture.h"
#include "real_input.h"

using x11::pointerAt;
using x11::xdotool;

TEST(RealKeys, MapKeysPageKeysShortcutsAndATextEditOnTheRealKeyboard)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    REQUIRE_XDOTOOL();
    MainWindowFixture f(false);
    const auto w = x11::startPlaced(f);
    ASSERT_TRUE(w) << "the window never stood where pref.ini puts it";
    w->localize_data(RealmInfo->mapIndex->zones.front()->treeNode, false);
    // A click on the status bar makes the window the active one, as a user's first click does.
    ASSERT_TRUE(xdotool(pointerAt(w->statusBar()->mapToGlobal(w->statusBar()->rect().center()))));
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_EVENTUALLY(QApplication::activeWindow() == w.get());

    // The pointer over the map: the map takes the keys.
    const QPoint mapCentre = w->ImageMapView->mapToGlobal(w->ImageMapView->rect().center());
    ASSERT_TRUE(xdotool(pointerAt(mapCentre)));
    EXPECT_EVENTUALLY(QApplication::focusWidget() == w->ImageMapView);
    const bool tips = w->but_tips->isChecked();
    ASSERT_TRUE(xdotool({"key", "h"}));
    EXPECT_EVENTUALLY(w->but_tips->isChecked() != tips);
    const int zoom = w->scene.view.Zoom;
    ASSERT_TRUE(xdotool({"key", "minus"}));
    EXPECT_EVENTUALLY(w->scene.view.Zoom < zoom);

    // F3: the search page, its text edit focused; typed letters are text, not map keys, also
    // while the pointer crosses the map.
    ASSERT_TRUE(xdotool({"key", "F3"}));
    ASSERT_EVENTUALLY(w->Pages->currentIndex() == 2 && QApplication::focusWidget() == w->Edit1);
    ASSERT_TRUE(xdotool({"type", "ah"}));
    ASSERT_TRUE(xdotool(pointerAt(mapCentre + QPoint(25, 15))));
    ASSERT_TRUE(xdotool({"type", "s"}));
    EXPECT_EVENTUALLY(w->Edit1->text() == "ahs");
    EXPECT_EQ(QApplication::focusWidget(), w->Edit1);
    EXPECT_TRUE(w->scene.ShowMarkers);
    EXPECT_EQ(w->but_tips->isChecked(), !tips);
    EXPECT_FALSE(w->but_stitre->isChecked());

    // Ctrl+S from the text edit saves the additions that differ from their file.
    const QString file = f.exe + f.additionsPath();
    QFile::remove(file);
    w->toggle_tagnew(true);
    ASSERT_TRUE(xdotool({"key", "ctrl+s"}));
    EXPECT_EVENTUALLY(QFileInfo::exists(file));
    EXPECT_FALSE(w->AdditionsModified());

    // F4 from the text edit: the positions page. Escape clears the messages on the map.
    ASSERT_TRUE(xdotool({"key", "F4"}));
    EXPECT_EVENTUALLY(w->Pages->currentIndex() == 3 && w->but_liste[3]->isChecked());
    w->show_feedback(44, 60, "", "");
    ASSERT_TRUE(xdotool({"key", "Escape"}));
    EXPECT_EVENTUALLY(w->FeedbackList.empty());
}
