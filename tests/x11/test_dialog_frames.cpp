// The dialogs that have a title bar and no title-bar buttons: what the window manager is
// told (motif hints, and size hints that fix the size) and what it then allows.
#include "about_dialog.h"
#include "first_start_dialog.h"
#include "main_window_fixture.h"
#include "nickname_dialog.h"
#include "preferences_dialog.h"
#include "route_options_dialog.h"
#include "x11_support.h"

namespace {

// _MOTIF_WM_HINTS: flags, functions, decorations.
constexpr uint32_t kHintFunctions = 1, kHintDecorations = 2;
constexpr uint32_t kFuncAll = 1, kFuncMinimize = 8, kFuncMaximize = 16, kFuncClose = 32;
constexpr uint32_t kDecorAll = 1, kDecorTitle = 8, kDecorMenu = 16, kDecorMinimize = 32, kDecorMaximize = 64;
// WM_NORMAL_HINTS: flags, four unused, minimum width and height, maximum width and height.
constexpr uint32_t kMinSize = 16, kMaxSize = 32;

void expectTitleBarWithoutButtons(QDialog& dialog, const char* name)
{
    SCOPED_TRACE(name);
    dialog.show();
    ASSERT_TRUE(x11::waitManaged(&dialog));
    const xcb_window_t window = x11::windowOf(&dialog);

    const std::vector<uint32_t> motif = x11::property32(window, "_MOTIF_WM_HINTS");
    ASSERT_GE(motif.size(), 3u);
    EXPECT_TRUE(motif[0] & kHintFunctions);
    EXPECT_EQ(motif[1] & (kFuncAll | kFuncMinimize | kFuncMaximize | kFuncClose), 0u)
        << "functions " << motif[1];
    if (motif[0] & kHintDecorations) {
        EXPECT_TRUE(motif[2] & kDecorTitle);
        EXPECT_EQ(motif[2] & (kDecorAll | kDecorMenu | kDecorMinimize | kDecorMaximize), 0u)
            << "decorations " << motif[2];
    }

    const std::vector<uint32_t> size = x11::property32(window, "WM_NORMAL_HINTS");
    ASSERT_GE(size.size(), 9u);
    EXPECT_EQ(size[0] & (kMinSize | kMaxSize), kMinSize | kMaxSize);
    EXPECT_EQ(size[5], size[7]);
    EXPECT_EQ(size[6], size[8]);

    // The window manager draws a title bar and allows neither resizing nor maximizing.
    const std::vector<uint32_t> extents = x11::property32(window, "_NET_FRAME_EXTENTS"); // left right top bottom
    EXPECT_GT(extents[2], extents[3]);
    const std::vector<uint32_t> allowed = x11::property32(window, "_NET_WM_ALLOWED_ACTIONS");
    EXPECT_TRUE(x11::hasAtom(allowed, "_NET_WM_ACTION_MOVE"));
    for (const char* action : {"_NET_WM_ACTION_RESIZE", "_NET_WM_ACTION_MAXIMIZE_HORZ", "_NET_WM_ACTION_MAXIMIZE_VERT"})
        EXPECT_FALSE(x11::hasAtom(allowed, action)) << action;
    dialog.reject();
}

} // namespace

TEST(DialogFrames, TitleBarWithoutButtons)
{
    REQUIRE_X11_WITH_WINDOW_MANAGER();
    MainWindowFixture f;
    auto w = f.startShown();
    {
        TForm3 d(w.get(), {});
        expectTitleBarWithoutButtons(d, "preferences");
    }
    {
        TForm5 d(w.get());
        expectTitleBarWithoutButtons(d, "about");
    }
    {
        TForm1 d(w.get());
        expectTitleBarWithoutButtons(d, "first start");
    }
    {
        TForm6 d(w.get());
        expectTitleBarWithoutButtons(d, "nickname");
    }
    {
        TForm_wpoptions d({"Rouge", "Vert"}, w.get());
        expectTitleBarWithoutButtons(d, "route options");
    }
}
