// The rules behind the editing commands and the two dialogs, on a small tree in memory.
#include <gtest/gtest.h>

#include "location_editing.h"
#include "text_helpers.h"
#include "tree_fixture.h"

namespace {

int addFull(TreeFixture& f, const std::string& name, int zone, int categ, uint32_t id)
{
    rnew_node r;
    r.name = name;
    r.zoneId = uint32_t(zone);
    r.categoryId = uint32_t(categ);
    r.levelMin = 10;
    r.levelMax = 12;
    r.description = "note|second";
    SetSpec(r.attributes, 5, true);
    r.typeId = 2;
    r.languageTag = 3;
    r.id = id;
    r.fromMaster = id ? 1 : 0;
    r.hasItem = 1;
    return f.tree.addnode(r);
}

std::vector<std::string> namesUnder(const LocationTree& tree, int parent)
{
    std::vector<std::string> names;
    for (int c : tree.children(parent)) names.push_back(tree.get_nodetext(c));
    return names;
}

} // namespace

TEST(CopyBuffer, FilledOnlyByALocation)
{
    // (What a paste carries over: see the window's cut and paste test.)
    TreeFixture f;
    TNodeData buffer;
    EXPECT_FALSE(copyBufferFilled(&buffer));
    fillCopyBuffer(buffer, f.tree.nodeData(addFull(f, "Loup", 10, 1, 77)));
    EXPECT_TRUE(copyBufferFilled(&buffer));
    fillCopyBuffer(buffer, nullptr);
    EXPECT_FALSE(copyBufferFilled(&buffer));
}

TEST(BulkChange, OnlyTheCheckedPartsOfSameNamedUnlockedLocationsOfTheCategory)
{
    TreeFixture f;
    const int edited = addFull(f, "Ours", 10, 1, 1);
    const int twin = addFull(f, "OURS", 11, 1, 2);
    const int otherCateg = addFull(f, "Ours", 10, 3, 3);
    const int locked = addFull(f, "Ours", 20, 1, 4);
    f.tree.nodeData(locked)->item->locked = 1;
    f.tree.sortAll();

    BulkChange change;
    change.name = change.note = change.attributesAndType = false;
    change.levels = true;
    change.newName = "Grizzly";
    change.levelMin = 40;
    change.levelMax = 45;
    change.languageTag = 9;
    const std::vector<int> changed = applyBulkChange(f.tree, edited, "ours", 1, change);
    EXPECT_EQ(changed, std::vector<int>{twin});
    const rItemdata& t = *f.tree.nodeData(twin)->item;
    EXPECT_EQ(t.name + t.description, "OURSnote|second");
    EXPECT_EQ(t.levelMin + t.languageTag, 49);
    for (int untouched : {edited, otherCateg, locked}) EXPECT_EQ(f.tree.nodeData(untouched)->item->levelMin, 10);

    // Attributes recolour a kind-4 location at once; a rename is sorted by the next sort.
    f.common.specColors.push_back({7, 0x123456});
    const int herb = addFull(f, "Zeste", 11, 3, 5);
    addFull(f, "Menthe", 11, 3, 6);
    f.tree.sortAll();
    BulkChange recolour;
    recolour.name = recolour.attributesAndType = true;
    recolour.newName = "Absinthe";
    SetSpec(recolour.attributes, 7, true);
    EXPECT_EQ(applyBulkChange(f.tree, kNoTreeNode, "zeste", 3, recolour).size(), 1u);
    EXPECT_EQ(f.tree.nodeData(herb)->item->colour, 0x123456u);
    f.tree.sortAll();
    EXPECT_EQ(namesUnder(f.tree, f.tree.parentOf(herb)), (std::vector<std::string>{"Absinthe", "Menthe"}));
}

TEST(BulkChange, TheLevelsBoxCopiesLevelsInACategoryWithoutLevelsToo)
{
    TreeFixture f;
    const int edited = addFull(f, "Port", 10, 2, 1);
    const int twin = addFull(f, "Port", 20, 2, 2);
    f.tree.sortAll();
    BulkChange change;
    change.name = change.note = change.attributesAndType = false;
    change.levels = true;
    change.levelMin = 5;
    change.levelMax = 7;
    ASSERT_EQ(applyBulkChange(f.tree, edited, "Port", 2, change), std::vector<int>{twin});
    const rItemdata& t = *f.tree.nodeData(twin)->item;
    EXPECT_EQ(t.levelMin * 10 + t.levelMax, 57);
}

TEST(EditorRules, ADefaultNameGivesWayToTheNextCategorysOwn)
{
    // (The placeholder, a typed name and a plain category: see the editor's window tests.)
    rCateg wolf, town, plain;
    wolf.defaultName = "Loup";
    wolf.defaultNameFlag = 1;
    town.defaultName = "Ville";
    town.defaultNameFlag = 1;
    plain.defaultName = "Unused";
    const std::vector<const rCateg*> all{&wolf, &town, &plain};
    EXPECT_EQ(nameAfterCategoryChange(" Loup ", "placeholder", town, all), "Ville");
    // A flag off is no default name.
    EXPECT_EQ(nameAfterCategoryChange("Unused", "placeholder", plain, all), "Unused");
    EXPECT_EQ(categoryDescription("One%%two%"), "One\rtwo%");
}
