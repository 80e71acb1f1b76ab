// Numeric edits, folder lists and menus, icon strips and colour conversion.
#include <QActionGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "image_helpers.h"
#include "log.h"
#include "test_util.h"
#include "widget_helpers.h"

namespace {

TEST(ClampEditValue, KeepsTextWithinRangeAndSelectsIt)
{
    // text, min, max -> text, selected text
    const std::tuple<QString, int, int, QString, QString> cases[] = {
        {"0", 1, 99, "1", "1"},    {"150", 1, 99, "99", "99"}, {"-5", 1, 99, "1", "1"},
        {"50", 1, 99, "50", "50"}, {"100", 0, 100, "100", "1"}, {"abc", 1, 99, "1", "1"},
        {"123456789012345678901234567890", 1, 99, "99", "99"},
        {"-123456789012345678901234567890", 1, 99, "1", "1"},  {"", 1, 99, "", ""}};
    QLineEdit edit;
    for (const auto& [text, min, max, result, selected] : cases) {
        edit.setText(text);
        ClampEditValue(&edit, min, max);
        EXPECT_EQ(edit.text() + "/" + edit.selectedText(), result + "/" + selected) << text.toStdString();
    }
}

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"beta", "Alpha", "gamma", "Francais", ".hidden"}) QDir(dir.path()).mkpath(name);
        writeBytes(dir.filePath("Aardvark.txt"), "a file");
    }
    QTemporaryDir dir;
    const QString mask = dir.path() + "/*.*";
    const QStringList sorted = {"Alpha", "beta", "Francais", "gamma"};
};

TEST_F(FolderTest, ListSubFoldersSortsAndSelects)
{
    QListWidget list;
    ListSubFolders(mask, QString::fromUtf8("fran\u00E7ais"), &list);
    QStringList names;
    for (int i = 0; i < list.count(); ++i) names << list.item(i)->text();
    EXPECT_EQ(names, sorted);
    EXPECT_EQ(list.currentRow(), 2);
    list.clear();
    ListSubFolders(mask, "nothing", &list);
    EXPECT_EQ(list.currentRow(), 0);
}

TEST_F(FolderTest, BuildFolderMenuMakesRadioItems)
{
    // (A click on an item: see the window's reload tests.)
    QMenu menu;
    menu.addAction("old");
    BuildFolderMenu(mask, "GAMMA", 42, {}, &menu);
    const auto actions = menu.actions();
    ASSERT_EQ(actions.size(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(actions[i]->text(), sorted[i]);
        EXPECT_EQ(actions[i]->property("Tag").toInt(), 42);
        ASSERT_TRUE(actions[i]->isCheckable() && actions[i]->actionGroup() && actions[i]->actionGroup()->isExclusive());
        EXPECT_EQ(actions[i]->isChecked(), i == 3);
    }
    BuildFolderMenu(mask, "nothing", 1, {}, &menu); // rebuilt: replaced, first checked
    ASSERT_EQ(menu.actions().size(), 4);
    EXPECT_TRUE(menu.actions()[0]->isChecked());
}

TEST_F(FolderTest, FolderMenusAndListsKeepExactNames)
{
    // "&" marks a shortcut in a menu caption; the item keeps the folder name as data.
    // Folders differing only in letter case are both offered; the exact name wins.
    for (const char* name : {"R&D", "alpha"}) QDir(dir.path()).mkpath(name);
    QMenu menu;
    BuildFolderMenu(mask, "R&D", 2, {}, &menu);
    QAction* rd = nullptr;
    for (QAction* a : menu.actions())
        if (a->data().toString() == "R&D") rd = a;
    ASSERT_NE(rd, nullptr);
    EXPECT_EQ(rd->text(), "R&&D");
    EXPECT_TRUE(rd->isChecked());
    EXPECT_EQ(CheckFolderItem(&menu, "alpha")->data().toString(), "alpha");
    EXPECT_EQ(CheckFolderItem(&menu, "Alpha")->data().toString(), "Alpha");
    EXPECT_EQ(CheckFolderItem(&menu, "ALPHA")->data().toString().toUpper(), "ALPHA"); // a normalised match
    EXPECT_FALSE(rd->isChecked()); // (the exact name in a list: see the preferences dialog tests)
}

TEST(Icons, LoadStripIconCutsAndMakesWhiteTransparent)
{
    SetLogSink([](const std::string&) {});
    QTemporaryDir dir;
    QImage strip(33, 11, QImage::Format_RGB32);
    strip.fill(Qt::white);
    strip.setPixel(10, 10, 0xFFFF0000);
    strip.setPixel(11 + 3, 4, 0xFF0000FF);
    strip.setPixel(22, 0, 0xFF00FF00);
    const QString path = dir.filePath("baseico.bmp");
    ASSERT_TRUE(strip.save(path, "BMP"));

    const QImage icon = LoadStripIcon(path, 11, 1);
    ASSERT_EQ(icon.size(), QSize(11, 11));
    EXPECT_EQ(icon.pixel(0, 0), 0x00FFFFFFu); // white: alpha 0, colour bits kept
    EXPECT_EQ(icon.pixel(3, 4), 0xFF0000FFu);
    EXPECT_EQ(LoadStripIcon(path, 11, 0).pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(LoadStripIcon(path, 11, 2).pixel(0, 0), 0xFF00FF00u);
    for (const QImage& none : {LoadStripIcon(path, 11, 3), LoadStripIcon(dir.filePath("missing.bmp"), 16, 0)}) {
        EXPECT_EQ(none.width(), none.height());
        for (int y = 0; y < none.height(); ++y)
            for (int x = 0; x < none.width(); ++x) ASSERT_EQ(qAlpha(none.pixel(x, y)), 0);
    }
    EXPECT_EQ(LoadStripIcon(dir.filePath("missing.bmp"), 16, 0).size(), QSize(16, 16));

    // The whole strip: one icon per started width and one more; transparent pixels are 0.
    std::vector<QImage> icons;
    ASSERT_TRUE(LoadIconStrip(path, QSize(11, 11), icons));
    ASSERT_EQ(icons.size(), 4u);
    EXPECT_EQ(icons[0].pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(icons[1].pixel(3, 4), 0xFF0000FFu);
    EXPECT_EQ(icons[1].pixel(0, 0), 0u);
    EXPECT_EQ(icons[3].pixel(5, 5), 0u);
    EXPECT_FALSE(LoadIconStrip(dir.filePath("missing.bmp"), QSize(11, 11), icons));
    // A file of a few bytes that declares a strip half a million pixels wide.
    QImage wide(524321, 1, QImage::Format_Mono);
    wide.fill(0);
    const QString widePath = dir.filePath("wide.bmp");
    ASSERT_TRUE(wide.save(widePath, "BMP"));
    icons.clear();
    ASSERT_TRUE(LoadIconStrip(widePath, QSize(11, 11), icons));
    EXPECT_EQ(icons.size(), size_t(kMaxStripIcons));
    SetLogSink({});
}

TEST(Icons, MakeColorTransparentAndColorToColor32)
{
    QImage img(2, 1, QImage::Format_RGB32);
    img.setPixel(0, 0, 0xFF102030);
    img.setPixel(1, 0, 0xFF112233);
    MakeColorTransparent(img, 0x302010); // TColor: red in the lowest byte
    EXPECT_EQ(std::make_pair(img.pixel(0, 0), img.pixel(1, 0)), std::make_pair(0x00102030u, 0xFF112233u));
    EXPECT_EQ(ColorToColor32(0x000000, 0xFF000000), 0xFF000000u);
    EXPECT_EQ(ColorToColor32(0x0000FF, 0), 0x00FE0000u);
    EXPECT_EQ(ColorToColor32(0xFFFFFF, 0x44000000), 0x44FEFEFEu);
    EXPECT_EQ(ColorToColor32(0x010203, 0x33000000), 0x33020100u);
}

} // namespace
