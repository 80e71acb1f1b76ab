// Hover, click, hint and info content, jump codes and context-menu captions of the map,
// driven on a small in-memory tree with recording hooks.
#include <gtest/gtest.h>

#include "map_interaction.h"
#include "preferences.h"
#include "ressource.h"
#include "tree_fixture.h"

namespace {

struct Calls {
    std::vector<std::string> hints;
    std::vector<std::tuple<int, int, std::string>> feedback;
    std::vector<std::tuple<int, bool, bool, int32_t, int32_t>> localized;
    std::vector<int> selected, modified, targeted;
    std::vector<CreateLocationRequest> editorRuns;
    int infoPages = 0, repaints = 0;
    int editorResult = kNoTreeNode;
};

struct InteractionTest : ::testing::Test {
    TreeFixture fx;
    MapScene scene;
    Calls calls;
    std::unique_ptr<MapInteraction> mi;

    void SetUp() override
    {
        Preferences.NIVP = 10;
        Preferences.CLVL = true;
        fx.common.typeNames = {"none", "Tour", "Puits", "Caverne"};
        scene.tree = &fx.tree;
        scene.common = &fx.common;
        scene.view.setViewSize(800, 600);
        scene.CurrentMapId = 1;
        scene.CurrentMapNode = fx.map.maps[0]->treeNode;
        MapInteractionHooks h;
        h.imagehint = [this](const std::string& t) { calls.hints.push_back(t); };
        h.show_feedback = [this](int id, int s, const std::string& a) { calls.feedback.emplace_back(id, s, a); };
        h.localize_data = [this](int n, bool c, bool k, int32_t x, int32_t y) { calls.localized.emplace_back(n, c, k, x, y); };
        h.select_node = [this](int n) { calls.selected.push_back(n); scene.Target.Visible = false; };
        h.Appelle_modifierNode = [this](int n) { calls.modified.push_back(n); };
        h.set_target_node = [this](int n) { calls.targeted.push_back(n); scene.Target.Visible = true; };
        h.showInfoPage = [this] { ++calls.infoPages; };
        h.repaint = [this] { ++calls.repaints; };
        h.runLocationEditor = [this](const CreateLocationRequest& r) {
            calls.editorRuns.push_back(r);
            return calls.editorResult;
        };
        mi = std::make_unique<MapInteraction>(scene, std::move(h));
    }
    rItemdata& item(int node) { return *fx.tree.nodeData(node)->item; }
    void setLink(int node, const std::string& text)
    {
        item(node).command = std::make_unique<rCommand>();
        item(node).command->text = text;
    }
};

} // namespace

TEST_F(InteractionTest, HitTestReachAndOrder)
{
    const int a = fx.add("A", 10, 2);
    const int b = fx.add("B", 10, 2);
    EXPECT_EQ(mi->getmapnode(100, 100), kNoTreeNode); // empty buffer
    EXPECT_FALSE(mi->putmapnode(0, 50, a));           // column 0 is outside the view
    EXPECT_FALSE(mi->putmapnode(50, 600, a));
    EXPECT_TRUE(mi->putmapnode(100, 100, a));
    EXPECT_TRUE(mi->putmapnode(102, 100, b));
    // 3 pixels off on both axes still hits; 4 off on one axis does not.
    EXPECT_EQ(mi->getmapnode(97, 97), a);
    EXPECT_EQ(mi->getmapnode(103, 103), a);
    EXPECT_EQ(mi->getmapnode(100, 104), kNoTreeNode);
    // Between two icons the one drawn first wins; past the first one's reach the second.
    EXPECT_EQ(mi->getmapnode(101, 100), a);
    EXPECT_EQ(mi->getmapnode(104, 100), b);
    EXPECT_EQ(mi->getmapnode(105, 103), b);
    // A location removed since the paint is passed over.
    fx.tree.destroynode(a);
    EXPECT_EQ(mi->getmapnode(100, 100), b);
    fx.tree.destroynode(b);
    EXPECT_FALSE(mi->Interact_cellmap(100, 100, 2));
}

TEST_F(InteractionTest, HoverFillsRichHintByCategoryKind)
{
    fx.addCategory(4, "Zones", kindLevelRange, 0x00FFFF);
    fx.tree.init_tree(fx.map, fx.common);
    const int creature = fx.add("Loup", 10, 1, 10, 10, 8, 12);
    const int town = fx.add("Ville", 10, 2, 20, 20, 3, 4);
    const int herb = fx.add("Herbe", 10, 3, 30, 30, 1, 2);
    const int range = fx.add("Plaine", 10, 4, 40, 40, 20, 30);
    item(creature).description = "Gros|{Ville} @ nuit";
    fx.tree.nodeData(creature)->category->treeIcon = 7;
    mi->putmapnode(10, 10, creature);
    mi->putmapnode(20, 20, town);
    mi->putmapnode(30, 30, herb);
    mi->putmapnode(40, 40, range);

    EXPECT_TRUE(mi->Interact_cellmap(10, 10, 0));
    EXPECT_EQ(scene.HotNode, creature);
    EXPECT_EQ(calls.hints.back(), "Loup");
    EXPECT_EQ(std::tuple(HCaption.title, HCaption.levelsShown, HCaption.levelMinText, HCaption.levelMaxText,
                         HCaption.body, HCaption.icon),
              std::tuple("Monstres", true, "8", "12", "Gros\rVille  ->  nuit", 7));
    EXPECT_TRUE(HCaption.hasBody && HCaption.hasLinks && !HCaption.simple);

    // Kinds 0 and 4: no levels, white boxes; kind 2 shows levels.
    for (auto [x, levels, minText, maxText] :
         {std::tuple{20, false, "", ""}, {30, false, "", ""}, {40, true, "20", "30"}}) {
        EXPECT_TRUE(mi->Interact_cellmap(x, x, 0));
        EXPECT_EQ(std::tuple(HCaption.levelsShown, HCaption.levelMinText, HCaption.levelMaxText),
                  std::tuple(levels, minText, maxText));
        EXPECT_FALSE(HCaption.hasBody || HCaption.hasLinks);
        EXPECT_TRUE(levels || HCaption.levelMaxColour == kNoLevelColour) << x;
    }

    // The same location again does nothing; leaving every location takes the hint down.
    const size_t before = calls.hints.size();
    mi->Interact_cellmap(41, 41, 0);
    EXPECT_EQ(calls.hints.size(), before);
    EXPECT_FALSE(mi->Interact_cellmap(300, 300, 0));
    EXPECT_EQ(std::tuple(calls.hints.back(), scene.HotNode, scene.InfoNode), std::tuple("", kNoTreeNode, kNoTreeNode));
}

TEST_F(InteractionTest, HiddenOrUncheckedLocationGivesNoHint)
{
    const int hidden = fx.add("Cachee", 10, 2);
    const int unchecked = fx.add("Decochee", 10, 2);
    mi->putmapnode(10, 10, hidden);
    mi->putmapnode(50, 50, unchecked);
    fx.tree.setVisible(hidden, false);
    fx.tree.setCheckState(unchecked, NodeCheck::Unchecked);
    HCaption.title = "before";
    for (int p : {10, 50}) {
        mi->Interact_cellmap(p, p, 0);
        EXPECT_EQ(std::pair(calls.hints.back(), scene.HotNode), std::pair(std::string(), kNoTreeNode)) << p;
    }
    mi->affiche_memoinfo(hidden, 2);
    EXPECT_TRUE(calls.targeted.empty());
    EXPECT_EQ(HCaption.title, "before");
}

TEST_F(InteractionTest, InfoPageContent)
{
    const int shown = fx.add("Source", 10, 1, 100, 200, 5, 6);
    fx.add("Puits Noir", 11, 2, 300, 400);
    fx.add("Lointain", 20, 2);
    item(shown).typeId = 3;
    item(shown).description = "a|b {puits noir} {Lointain} {Inconnu}";
    SetSpec(item(shown).attributes, 5, true);
    mi->affiche_memoinfo(shown, 2);
    const InfoPanelContent& p = mi->infoPanel();
    EXPECT_EQ(p.categoryCaption, "[Monstres]");
    EXPECT_EQ(p.memoLines, (std::vector<std::string>{GetCaptionText(128) + " Caverne", "", "a",
                                                     "b puits noir Lointain Inconnu"}));
    EXPECT_TRUE(p.attributes[4] && !p.attributes[5] && p.descriptionIcon && p.linksIcon);
    // The line to the reference on the map shown goes to that location.
    ASSERT_EQ(scene.RedirLines.size(), 1u);
    EXPECT_EQ(scene.RedirLines[0].x2, 65535 + 300);
    EXPECT_EQ(calls.targeted, std::vector<int>{shown});

    // A type beyond the type list leaves its line out; the rest is still filled.
    item(shown).typeId = 9;
    item(shown).description = "x";
    mi->affiche_memoinfo(shown, 2);
    EXPECT_EQ(mi->infoPanel().memoLines, std::vector<std::string>{"x"});
    EXPECT_FALSE(mi->infoPanel().linksIcon);
    EXPECT_TRUE(scene.RedirLines.empty());
}

TEST_F(InteractionTest, ClickJumpsOrShowsInfoPage)
{
    const int jumper = fx.add("Porte", 10, 2, 10, 10);
    const int route = fx.add("Route", 10, 2, 50, 50);
    setLink(jumper, "J_1000A0000FFFF");
    setLink(route, "V_0091");
    mi->putmapnode(10, 10, jumper);
    mi->putmapnode(50, 50, route);

    EXPECT_TRUE(mi->Interact_cellmap(10, 10, 2));
    EXPECT_EQ(calls.selected, std::vector<int>{jumper});
    EXPECT_EQ(calls.localized, (decltype(calls.localized){{fx.map.zones[0]->treeNode, true, false, 0, 65535}}));
    EXPECT_EQ(calls.infoPages, 0);

    EXPECT_TRUE(mi->Interact_cellmap(50, 50, 2));
    EXPECT_EQ(calls.infoPages, 1);
    EXPECT_TRUE(scene.Target.Visible);
    EXPECT_EQ(calls.localized.size(), 1u);
    EXPECT_FALSE(mi->Interact_cellmap(300, 300, 2));
}

TEST_F(InteractionTest, JumpCommandFeedbackAndTheTypedTextFilter)
{
    mi->jump_command("  hello ");
    mi->jump_command("J_1000G");
    mi->jump_command("J_100");
    mi->jump_command("J_1007F00100020"); // no zone has id $7F: nothing
    using F = std::tuple<int, int, std::string>;
    EXPECT_EQ(calls.feedback, (std::vector<F>{{43, 3, "HELLO"}, {42, 3, "J_1000G"}, {42, 3, "J_100"}}));
    EXPECT_TRUE(calls.localized.empty());
    mi->jump_command(" j_1001400100020 ");
    EXPECT_EQ(calls.localized, (decltype(calls.localized){{fx.map.zones[2]->treeNode, true, false, 16, 32}}));

    // The jump edit's filter of typed text.
    EXPECT_EQ(filterJumpEditText("j1234567890abcdefg"), "J_234567890ABCD");
    EXPECT_EQ(filterJumpEditText("J_9zz"), "J_###");
    EXPECT_EQ(filterJumpEditText(""), "");
    EXPECT_EQ(filterJumpEditText("x"), "J");
}

TEST_F(InteractionTest, ModifyOrCreateAtMousePoint)
{
    const int loc = fx.add("Ici", 10, 2, 10, 10);
    mi->putmapnode(10, 10, loc);
    EXPECT_TRUE(mi->Interact_cellmap(10, 10, 1));
    EXPECT_EQ(calls.modified, std::vector<int>{loc});

    // Outside every zone nothing opens.
    EXPECT_FALSE(mi->Interact_cellmap(200, 200, 1));
    EXPECT_TRUE(calls.editorRuns.empty());

    // In translation mode the new location is marked as in the database's language.
    scene.ZoneUnderMouse = fx.map.zones[0].get();
    Preferences.TRAN = true;
    EXPECT_FALSE(mi->Interact_cellmap(200, 200, 1));
    ASSERT_EQ(calls.editorRuns.size(), 1u);
    EXPECT_TRUE(calls.editorRuns[0].languageMatches && calls.editorRuns[0].languageMatchShown);
    EXPECT_TRUE(calls.localized.empty()); // cancelled
    EXPECT_EQ(calls.repaints, 1);

    calls.editorResult = loc;
    mi->Appelle_createloc();
    EXPECT_EQ(calls.localized, (decltype(calls.localized){{loc, false, false, 0, 0}}));
    Preferences.TRAN = false;
}

TEST_F(InteractionTest, ContextMenuCaptions)
{
    Ressources.menu.assign(40, "-");
    for (int id : {15, 30, 31, 32, 33, 36}) Ressources.menu[size_t(id)] = std::string("M").append(std::to_string(id));
    EXPECT_FALSE(mi->Menu_imagePopup("", "db").has_value()); // no zone under the mouse

    scene.ZoneUnderMouse = fx.map.zones[0].get();
    auto empty = mi->Menu_imagePopup("", "db");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->ajouter1.caption, "M30 [db]");
    EXPECT_EQ(empty->Copiernode1.caption, "M32");
    EXPECT_FALSE(empty->Copiernode1.enabled || empty->coupernode1.enabled);
    auto paste = mi->Menu_imagePopup("Copie", "db");
    EXPECT_EQ(paste->Copiernode1.caption, "M36 [Copie]");
    EXPECT_TRUE(paste->Copiernode1.enabled);
    EXPECT_EQ(paste->hyperlink1.caption, "M15 [Copie]");
    EXPECT_FALSE(paste->hyperlink1.enabled);

    scene.HotNode = fx.add("Sous", 10, 2);
    auto hot = mi->Menu_imagePopup("Copie", "db");
    EXPECT_EQ(hot->ajouter1.caption, "M31 [Sous][db]");
    EXPECT_EQ(hot->Copiernode1.caption, "M32 [Sous]");
    EXPECT_EQ(hot->coupernode1.caption, "M33 [Sous]");
    EXPECT_TRUE(hot->coupernode1.enabled && hot->hyperlink1.enabled);
    EXPECT_FALSE(mi->Menu_imagePopup("", "db")->hyperlink1.enabled);
}

TEST(RedirectNames, ReferenceSyntax)
{
    EXPECT_EQ(redirectNames("{A} puis {B}"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(redirectNames("{x{y} {} } {open"), std::vector<std::string>{"y"});
    EXPECT_EQ(popupRedirCaptions("plain"), std::vector<std::string>{"-"});
    EXPECT_TRUE(popupRedirCaptions("  ").empty());
}

