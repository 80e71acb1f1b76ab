// The search: matching names and notes, levels and attributes, the result order and the name lookups.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <vector>

#include <QAbstractItemModelTester>
#include <QImage>

#include "name_lookup.h"
#include "search.h"
#include "search_result_model.h"
#include "text_helpers.h"
#include "tree_fixture.h"

// Tree order of the fixture: Nordmark (map 1: Zeta 10, alpha 11), Sudland (map 2: Beta 20,
// Gamma 21); under every zone the categories 1, 2 and 3.

namespace {

rSearchArea textSearch(const std::string& text, bool inName, bool inNote, bool exact = false)
{
    rSearchArea a;
    a.text = text;
    a.inName = inName;
    a.inNote = inNote;
    a.exact = exact;
    return a;
}

int addFull(TreeFixture& f, const std::string& name, int zone, int categ, const std::string& note, int lmin = 0,
            int lmax = 0, int type = 0, std::vector<int> attributes = {})
{
    rnew_node r;
    r.name = name;
    r.zoneId = uint32_t(zone);
    r.categoryId = uint32_t(categ);
    r.description = note;
    r.levelMin = uint32_t(lmin);
    r.levelMax = uint32_t(lmax);
    r.typeId = uint32_t(type);
    for (int id : attributes) SetSpec(r.attributes, id, true);
    r.hasItem = 1;
    return f.tree.addnode(r);
}

} // namespace

TEST(SearchArea, CriteriaBecomeAttributeSetsAndAnyCriterionOnIsSomethingToSearchFor)
{
    // (Level edits, their ranges and a blank text: see the window's search page tests.)
    // Criteria: state 1 neutral, 2 required; every other id is excluded, ids without node too.
    SearchPageValues page{.text = "x", .byType = true, .typeIndex = 4,
                          .criteria = {{3, 1}, {33, 2}, {40, 0}}};
    auto area = buildSearchArea(page);
    ASSERT_TRUE(area);
    EXPECT_TRUE(area->byAttributes);
    EXPECT_TRUE(HasSpec(area->neutral, 3) && HasSpec(area->required, 33));
    EXPECT_FALSE(HasSpec(area->excluded, 3) || HasSpec(area->excluded, 33));
    EXPECT_TRUE(HasSpec(area->excluded, 40) && HasSpec(area->excluded, 5)); // 5: no criteria node
    EXPECT_EQ(area->itemType, 5);

    page = {.text = "", .criteria = {{1, 1}, {2, 1}}};
    EXPECT_FALSE(buildSearchArea(page)); // all neutral, every box off, "Traduc" grey
    for (auto set : std::vector<void (*)(SearchPageValues&)>{
             [](SearchPageValues& p) { p.byCategory = true; }, [](SearchPageValues& p) { p.byLevel = true; },
             [](SearchPageValues& p) { p.byType = true; }, [](SearchPageValues& p) { p.freeze = true; },
             [](SearchPageValues& p) { p.getnews = true; },
             [](SearchPageValues& p) { p.translation = TraducCheck::Unchecked; },
             [](SearchPageValues& p) { p.criteria[1].second = 0; }}) {
        SearchPageValues p = page;
        set(p);
        EXPECT_TRUE(buildSearchArea(p));
    }
}

TEST(SearchWalk, TextMatchesFoldedNamesAndNotes)
{
    TreeFixture f;
    const int ecole = addFull(f, "Grande ECOLE", 10, 2, "");
    const int loup = addFull(f, "Loup", 10, 1, "garde l'\xe9" "cole"); // école in the note
    const int exactNote = addFull(f, "Tour", 11, 2, "cole");
    addFull(f, "@Ecole", 11, 2, "");                                 // erased: never found
    const int hidden = addFull(f, "ecole cachee", 20, 3, "");
    f.tree.setVisible(hidden, false);
    f.tree.setCheckState(hidden, NodeCheck::Unchecked);
    LocationSearch search(f.tree);

    EXPECT_EQ(search.run(textSearch("\xe9" "col", true, false), -1, kNoTreeNode), (std::vector<int>{ecole, hidden}));
    EXPECT_EQ(search.run(textSearch("ECOLE", true, true), -1, kNoTreeNode),
              (std::vector<int>{loup, ecole, hidden})); // tree order: category 1 before 2
    EXPECT_EQ(search.run(textSearch("ECOLE", false, true), -1, kNoTreeNode), (std::vector<int>{loup}));
    // Exact: the whole name or the whole note.
    EXPECT_EQ(search.run(textSearch(" cole ", true, true, true), -1, kNoTreeNode), (std::vector<int>{exactNote}));
    EXPECT_EQ(search.run(textSearch("tour", true, false, true), -1, kNoTreeNode), (std::vector<int>{exactNote}));
    EXPECT_TRUE(search.run(textSearch("tou", true, false, true), -1, kNoTreeNode).empty());
    // An empty text is in no name.
    EXPECT_TRUE(search.run(textSearch("", true, true), -1, kNoTreeNode).empty());
    // A hit at a text's end does not run into the next text.
    EXPECT_TRUE(search.run(textSearch("COLELOUP", true, true), -1, kNoTreeNode).empty());
}

TEST(SearchWalk, CategoryLevelsTypeAndAttributes)
{
    TreeFixture f;
    const int a = addFull(f, "A", 10, 1, "", 18, 25, 2, {3});
    const int b = addFull(f, "B", 10, 1, "", 5, 10, 0, {3, 33});
    const int c = addFull(f, "C", 10, 1, "", 21, 30, 2);
    const int d = addFull(f, "D", 10, 2, "", 0, 0, 2, {50}); // attribute 50 has no criteria node
    LocationSearch search(f.tree);

    rSearchArea area;
    area.byLevel = true;
    area.levelLow = 10;
    area.levelHigh = 20;
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{a, b}));
    area.byCategory = true;
    area.categoryId = 2;
    EXPECT_TRUE(search.run(area, -1, kNoTreeNode).empty());

    area = {};
    area.itemType = 2;
    area.byCategory = true;
    area.categoryId = 1;
    EXPECT_EQ(search.run(area, -1, kNoTreeNode).size(), 2u);

    // Attribute 3 required, 33 neutral, every other id excluded.
    SearchPageValues page;
    page.criteria = {{3, 2}, {33, 1}, {1, 1}};
    area = *buildSearchArea(page);
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{a, b}));
    page.criteria = {{3, 1}, {33, 1}, {1, 0}};
    area = *buildSearchArea(page);
    // Nothing required: locations with only neutral attributes; D carries an id without node.
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{a, b, c}));
    // All neutral: no attribute test at all.
    page.criteria = {{3, 1}, {33, 1}, {1, 1}};
    page.freeze = true;
    area = *buildSearchArea(page);
    EXPECT_FALSE(area.byAttributes);
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{a, b, c, d}));
}

TEST(SearchWalk, ScopeAllMapShownOrRealm)
{
    TreeFixture f;
    f.map.maps[0]->realm = 1;
    f.map.maps[1]->realm = 2;
    const int north = f.add("Ours", 11, 1);
    const int south = f.add("Ours brun", 21, 3);
    LocationSearch search(f.tree);
    rSearchArea area = textSearch("ours", true, false);
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{north, south}));
    area.scope = 1;
    EXPECT_TRUE(search.run(area, -1, kNoTreeNode).empty()); // no map shown
    EXPECT_EQ(search.run(area, 2, f.map.maps[1]->treeNode), (std::vector<int>{south}));
    area.scope = 2;
    EXPECT_EQ(search.run(area, 2, f.map.maps[1]->treeNode), (std::vector<int>{north}));
    area.scope = 3;
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{south}));
    area.scope = 4;
    EXPECT_TRUE(search.run(area, -1, kNoTreeNode).empty());
}

TEST(SearchWalk, FollowsTheTreeAfterChanges)
{
    TreeFixture f;
    const int first = f.add("Source", 10, 1);
    LocationSearch search(f.tree);
    const rSearchArea area = textSearch("source", true, false);
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{first}));
    const int second = f.add("Source chaude", 20, 1);
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{first, second}));
    f.tree.destroynode(first);
    EXPECT_EQ(search.run(area, -1, kNoTreeNode), (std::vector<int>{second}));
    // A note changed in place counts once the tree is told.
    f.tree.nodeData(second)->item->description = "tiede";
    f.tree.contentChanged();
    EXPECT_EQ(search.run(textSearch("TIEDE", false, true), -1, kNoTreeNode), (std::vector<int>{second}));
    f.tree.clear();
    EXPECT_TRUE(search.run(area, -1, kNoTreeNode).empty());
}

TEST(NameLookup, FirstInTreeOrderWholeTreeOrMapShownAndTheSearchAgrees)
{
    TreeFixture f;
    const int south = f.add("\xe9lan", 20, 1); // élan
    const int north = f.add("Elan", 11, 1);
    const int port = f.add("Port", 20, 2);
    f.add("@Ours", 10, 2);
    const std::string long45(45, 'Q');
    const int cut = f.add(long45, 21, 3); // stored cut to 40
    const int tour = f.add("Tour", 21, 1);
    f.tree.setVisible(port, false); // hidden and unchecked locations count
    f.tree.setCheckState(port, NodeCheck::Unchecked);
    LocationSearch search(f.tree);
    const int nord = f.map.maps[0]->treeNode, sud = f.map.maps[1]->treeNode, none = kNoTreeNode;
    // The name; in the map shown only (its id and node, -1 for none) or in the whole tree.
    const struct { std::string name; bool mapOnly; int32_t id; int node, found; } rows[] = {
        {"  elan\t", false, -1, none, north}, {"port", false, -1, none, port}, {"por", false, -1, none, none},
        {"@Ours", false, -1, none, none},      {"ours", false, -1, none, none}, {"", false, -1, none, none},
        {"elan", true, 2, sud, south},          {"PORT ", true, 2, sud, port},
        {"port", true, 1, nord, none}, // the walk ends at Beta
        {"TOUR", true, 2, sud, tour},           {"port", true, -1, none, none}, // no map shown
        {long45.substr(0, 40), false, -1, none, cut}, {long45, false, -1, none, none}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name + " in map " + std::to_string(r.id));
        EXPECT_EQ(find_node_byname(f.tree, r.name, r.mapOnly, r.id, r.node), r.found);
        EXPECT_EQ(search.findByName(r.name, r.mapOnly, r.id, r.node), r.found);
    }
}

TEST(FindNodeByNameInZones, LinkableCategoriesOfTheZonesShown)
{
    TreeFixture f;
    f.common.categories[0]->linkable = 1;
    f.common.categories[2]->linkable = 1; // category 2 takes no links
    pMap_info* zeta = f.map.zones[0].get();
    pMap_info* alpha = f.map.zones[1].get();
    // The walk per name and the lookup gathered once for the zones (what the map's link
    // lines use) answer alike.
    auto find = [&](const char* name, std::vector<pMap_info*> zones) {
        const int walked = find_node_byname_inzones(f.tree, name, zones, 1);
        EXPECT_EQ(LinkTargets(f.tree, zones, 1).find(name), walked) << name;
        return walked;
    };
    f.add("Tour", 10, 2);
    const int tour = f.add("Tour", 11, 3);
    const int inZeta = f.add("Loup", 10, 3);
    const int inAlpha = f.add("Loup", 11, 1);
    const int source = f.add("Source", 10, 1);
    f.add("Port", 20, 1);

    EXPECT_EQ(find(" TOUR ", {zeta, alpha}), tour);
    EXPECT_EQ(find("loup", {zeta, alpha}), inZeta); // zones in the order given
    EXPECT_EQ(find("loup", {alpha, zeta}), inAlpha);
    EXPECT_EQ(find("source", {alpha, zeta}), source);
    // A zone's walk runs on through the later zones of its map, never into another map.
    EXPECT_EQ(find("tour", {zeta}), tour);
    EXPECT_EQ(find("port", {zeta, alpha}), kNoTreeNode);
    EXPECT_EQ(find("loup", {alpha, zeta, alpha}), inAlpha); // a zone given twice
    f.add("@Loup", 10, 1);
    EXPECT_EQ(find("@loup", {zeta, alpha}), kNoTreeNode); // erased names are never found
    EXPECT_EQ(find("", {zeta, alpha}), kNoTreeNode);
}

TEST(SearchWalk, FoldingMatchesNormalizeTextForEveryByteAndLength)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all += char(i);
    std::mt19937 rng(5);
    std::vector<std::string> texts{all, all.substr(1, 8), all.substr(96, 40)};
    for (int n = 0; n < 300; ++n) {
        std::string t(size_t(rng() % 40), '\0');
        // Mostly letters, now and then a byte with the high bit (accents) or anything at all.
        for (char& c : t) c = rng() % 7 == 0 ? char(rng() % 256) : char("aZz{`@AmE"[rng() % 9]);
        texts.push_back(t);
    }
    for (const std::string& t : texts) {
        std::string folded(t.size(), '\0');
        FoldText(t.data(), t.size(), folded.data());
        EXPECT_EQ(folded, NormalizeText(t));
    }
}

TEST(SearchWalk, LargeTreeGivesWhatAWalkInTreeOrderGives)
{
    // Locations made in one order, sorted into another, then erased, removed, edited and
    // added after the sort: the results keep the tree's order and miss nothing.
    TreeFixture f;
    std::mt19937 rng(3);
    const int zones[] = {10, 11, 20, 21};
    auto word = [&] {
        std::string w;
        for (size_t n = 3 + rng() % 8; n > 0; --n) w += rng() % 9 == 0 ? '\xe9' : char((rng() % 2 ? 'a' : 'A') + rng() % 26);
        return w;
    };
    std::vector<int> nodes;
    for (int i = 0; i < 3000; ++i)
        nodes.push_back(addFull(f, word() + " " + word(), zones[rng() % 4], int(1 + rng() % 3), rng() % 2 ? word() : "",
                                int(rng() % 50), int(50 + rng() % 50)));
    f.tree.sortAll();
    for (int i = 0; i < 300; ++i) f.tree.destroynode(nodes[rng() % nodes.size()]);
    for (int i = 0; i < 200; ++i)
        if (TNodeData* d = f.tree.nodeData(nodes[rng() % nodes.size()]); d && d->item) d->item->name = "@" + d->item->name;
    for (int i = 0; i < 300; ++i) addFull(f, word(), zones[rng() % 4], int(1 + rng() % 3), word());
    f.tree.contentChanged();

    LocationSearch search(f.tree);
    for (const char* needle : {"e", "\xe9" "a", "AB", "q"}) {
        const std::string folded = NormalizeText(needle);
        std::vector<int> expected;
        for (int map : f.tree.roots())
            for (int zone : f.tree.children(map))
                for (int categ : f.tree.children(zone))
                    for (int loc : f.tree.children(categ)) {
                        const rItemdata& item = *f.tree.nodeData(loc)->item;
                        if (IsErasedName(item.name)) continue;
                        if (NormalizeText(item.name).find(folded) != std::string::npos ||
                            NormalizeText(item.description).find(folded) != std::string::npos)
                            expected.push_back(loc);
                    }
        EXPECT_EQ(search.run(textSearch(needle, true, true), -1, kNoTreeNode), expected) << needle;
        ASSERT_FALSE(expected.empty());
        // The name lookup finds the first of equal names in tree order.
        const std::string name = f.tree.nodeData(expected.back())->item->name;
        int first = kNoTreeNode;
        for (int loc : expected)
            if (NormalizeText(f.tree.nodeData(loc)->item->name) == NormalizeText(name)) {
                first = loc;
                break;
            }
        EXPECT_EQ(search.findByName(name, false, -1, kNoTreeNode), first);
    }
}

TEST(SearchResults, LargeListSortsAsAStableSortOnTheNamesOrZones)
{
    // Rows in a shuffled order, names with equal folded forms (the sort must keep their row
    // order), accents and bytes past 'z': as a stable sort with CompareText gives them.
    TreeFixture f;
    std::mt19937 rng(9);
    const int zones[] = {10, 11, 20, 21};
    const char* stems[] = {"abri", "ABRI", "Abri ", "\xe9tang", "Etang", "zone{", "Zone", "b", "B"};
    std::vector<int> rows;
    for (int i = 0; i < 4000; ++i)
        rows.push_back(f.add(std::string(stems[rng() % 9]) + char('a' + rng() % 3), zones[rng() % 4], int(1 + rng() % 3)));
    f.tree.sortAll();
    std::shuffle(rows.begin(), rows.end(), rng);
    SearchResultModel model(f.tree);
    auto nameOf = [&](int node) { return f.tree.nodeData(node)->item->name; };
    auto zoneOf = [&](int node) { return int16_t(f.tree.nodeData(node)->zone->zoneId); };
    auto sorted = [&](int column, Qt::SortOrder order) {
        model.setResults(rows);
        model.sortBy(column, order);
        std::vector<int> got;
        for (int r = 0; r < model.count(); ++r) got.push_back(model.nodeAt(r));
        return got;
    };

    std::vector<int> expected = rows;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](int a, int b) { return CompareText(nameOf(a), nameOf(b)) < 0; });
    EXPECT_EQ(sorted(SearchResultModel::colName, Qt::AscendingOrder), expected);
    expected = rows;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](int a, int b) { return CompareText(nameOf(b), nameOf(a)) < 0; });
    EXPECT_EQ(sorted(SearchResultModel::colName, Qt::DescendingOrder), expected);
    expected = rows;
    std::stable_sort(expected.begin(), expected.end(), [&](int a, int b) { return zoneOf(a) > zoneOf(b); });
    EXPECT_EQ(sorted(SearchResultModel::colZone, Qt::DescendingOrder), expected);
}

// The result model under Qt's model tester (any breach ends the run): filled, sorted on
// every column both ways, left with a removed location, cleared and replaced.
TEST(SearchResults, ModelPassesTheItemModelTesterThroughFillSortClearAndReplace)
{
    TreeFixture f;
    const int zones[] = {10, 11, 20, 21};
    std::vector<int> rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back(f.add("loc" + std::to_string(i * 7 % 13), zones[i % 4], 1 + i % 3));
    f.tree.sortAll();
    SearchResultModel model(f.tree);
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::red);
    model.setImages(std::vector<QImage>(12, icon)); // every row has its icons
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);

    model.setResults(rows);
    ASSERT_EQ(model.rowCount(), 40);
    // A persistent index (the focused row) follows its location through every sort.
    const int followed = rows[5];
    const QPersistentModelIndex focused(model.index(5, SearchResultModel::colZone));
    for (int column : {SearchResultModel::colName, SearchResultModel::colZone, SearchResultModel::colCategory,
                       SearchResultModel::colZoneIcon})
        for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            model.sortBy(column, order);
            ASSERT_TRUE(focused.isValid());
            EXPECT_EQ(model.nodeAt(focused.row()), followed) << column << " " << order;
            EXPECT_EQ(focused.column(), int(SearchResultModel::colZone));
        }
    model.headerClick(SearchResultModel::colName);
    model.headerClick(SearchResultModel::colName);
    EXPECT_EQ(model.nodeAt(focused.row()), followed);

    // A location removed since the search keeps its row, without a location, through a sort.
    f.tree.destroynode(rows[0]);
    model.sortBy(SearchResultModel::colName, Qt::AscendingOrder);
    EXPECT_EQ(model.rowCount(), 40);
    EXPECT_EQ(model.rowOf(rows[0]), 0); // no name: before every name, ascending
    EXPECT_EQ(model.nodeAt(0), kNoTreeNode);
    EXPECT_EQ(model.nodeAt(focused.row()), followed);

    // Cleared, then replaced by other results: the focused row is gone with the old ones.
    model.clear();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(focused.isValid());
    model.sortBy(SearchResultModel::colZone, Qt::DescendingOrder);
    model.setResults({rows.rbegin(), rows.rbegin() + 10});
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.sortColumn(), -1);
    model.setResults({rows.begin() + 20, rows.end()});
    model.sortBy(SearchResultModel::colCategory, Qt::AscendingOrder);
    EXPECT_EQ(model.rowCount(), 20);
    // A cleared tree leaves every row without a location.
    f.tree.clear();
    model.sortBy(SearchResultModel::colName, Qt::DescendingOrder);
    for (int r = 0; r < model.rowCount(); ++r) EXPECT_EQ(model.nodeAt(r), kNoTreeNode);
}

TEST(SearchIndexSlices, ASliceBuildAndEveryChangeBetweenSlicesGiveWhatABuildAtOnceGives)
{
    // Enough locations for the folding to take several slices as well as the ordering.
    TreeFixture f;
    f.map.maps[0]->realm = 1;
    f.map.maps[1]->realm = 2;
    std::mt19937 rng(5);
    const int zones[] = {10, 11, 20, 21};
    auto word = [&] {
        std::string w;
        for (size_t n = 2 + rng() % 6; n > 0; --n) w += rng() % 9 == 0 ? '\xe9' : char((rng() % 2 ? 'a' : 'A') + rng() % 26);
        return w;
    };
    auto addRandom = [&] {
        return addFull(f, word() + " " + word(), zones[rng() % 4], int(1 + rng() % 3), rng() % 2 ? word() : "",
                       int(rng() % 50), int(50 + rng() % 50));
    };
    std::vector<int> nodes;
    for (int i = 0; i < 10000; ++i) nodes.push_back(addRandom());
    f.tree.sortAll();

    std::vector<rSearchArea> areas;
    for (const char* needle : {"e", "\xe9" "a", "AB"}) areas.push_back(textSearch(needle, true, true));
    areas.push_back(textSearch("q", false, true));
    areas.back().byLevel = true;
    areas.back().levelLow = 20;
    areas.back().levelHigh = 40;
    areas.push_back(textSearch("a", true, false));
    areas.back().scope = 3; // the second realm
    auto answers = [&](LocationSearch& search) {
        std::vector<std::vector<int>> out;
        for (const rSearchArea& a : areas) out.push_back(search.run(a, -1, kNoTreeNode));
        const int probe = nodes[nodes.size() / 2];
        if (const TNodeData* d = f.tree.nodeData(probe); d && d->item)
            out.push_back({search.findByName(d->item->name, false, -1, kNoTreeNode)});
        return out;
    };
    auto atOnce = [&] {
        LocationSearch fresh(f.tree);
        return answers(fresh);
    };
    // Slices until the index is ready, one step each; how many it took.
    auto finish = [](LocationSearch& search) {
        int slices = 1;
        while (!search.buildFor(std::chrono::nanoseconds(0))) ++slices;
        return slices;
    };

    LocationSearch sliced(f.tree);
    const int slices = finish(sliced);
    EXPECT_GT(slices, 6);
    EXPECT_TRUE(sliced.upToDate());
    EXPECT_EQ(answers(sliced), atOnce());

    // A change of the tree after every possible number of slices, from the ordering to the
    // last folding step: adds, removals, erased names, a note and levels changed in place,
    // a sort; the build carries on (or is run at once by a search) and must not keep what
    // it read before the change.
    const std::vector<std::function<void()>> changes = {
        [&] { nodes.push_back(addRandom()); },
        [&] { f.tree.destroynode(nodes[rng() % nodes.size()]); },
        [&] {
            if (TNodeData* d = f.tree.nodeData(nodes[rng() % nodes.size()]); d && d->item) d->item->name = "@" + d->item->name;
            f.tree.contentChanged();
        },
        [&] {
            if (TNodeData* d = f.tree.nodeData(nodes[rng() % nodes.size()]); d && d->item) {
                d->item->description = "eabq";
                d->item->levelMin = 30;
            }
            f.tree.contentChanged();
        },
        [&] {
            f.tree.markUnsorted(kNoTreeNode);
            for (int i = 0; i < 20; ++i) nodes.push_back(addRandom());
            f.tree.sortAll();
        },
    };
    for (int before = 0; before < slices; ++before)
        for (size_t c = 0; c < changes.size(); ++c) {
            f.tree.contentChanged();
            for (int s = 0; s < before; ++s) sliced.buildFor(std::chrono::nanoseconds(0));
            changes[c]();
            EXPECT_FALSE(sliced.upToDate());
            if ((before + int(c)) % 2) finish(sliced); // else the search itself finishes it
            EXPECT_EQ(answers(sliced), atOnce()) << before << " slices, change " << c;
        }

    // A cleared tree between two slices, then new locations.
    f.tree.contentChanged();
    sliced.buildFor(std::chrono::nanoseconds(0));
    f.tree.clear();
    f.tree.init_tree(f.map, f.common);
    nodes.clear();
    for (int i = 0; i < 500; ++i) nodes.push_back(addRandom());
    EXPECT_EQ(answers(sliced), atOnce());
}

TEST(SearchResults, NamesFromTheIndexSortAsTheTreesOwn)
{
    // Every byte value at every place of an eight-byte run, equal folded forms, erased
    // names and removed locations among the rows, in a shuffled order: the list sorted with
    // the index's names must be the one sorted with the tree's, the index fresh or stale.
    TreeFixture f;
    std::mt19937 rng(21);
    const int zones[] = {10, 11, 20, 21};
    std::vector<int> rows;
    for (int i = 0; i < 3000; ++i) {
        std::string name = i % 3 ? "Abri " : "abri";
        for (size_t n = rng() % 12; n > 0; --n) name += char(1 + rng() % 255);
        if (i % 50 == 0) name = "@" + name;
        rows.push_back(f.add(name, zones[rng() % 4], int(1 + rng() % 3)));
    }
    f.tree.sortAll();
    for (int i = 0; i < 20; ++i) f.tree.destroynode(rows[rng() % rows.size()]);
    std::shuffle(rows.begin(), rows.end(), rng);
    LocationSearch search(f.tree);
    search.refresh();
    auto sorted = [&](bool fromIndex, Qt::SortOrder order) {
        SearchResultModel model(f.tree);
        if (fromIndex) model.setNameSource([&] { return &search; });
        model.setResults(rows);
        model.sortBy(SearchResultModel::colName, order);
        std::vector<int> got;
        for (int r = 0; r < model.count(); ++r) got.push_back(model.nodeAt(r));
        return got;
    };
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
        EXPECT_EQ(sorted(true, order), sorted(false, order));
        std::vector<int> expected;
        for (int node : sorted(false, order))
            if (node != kNoTreeNode) expected.push_back(node);
        std::vector<int> byName = expected;
        auto nameOf = [&](int node) { return f.tree.nodeData(node)->item->name; };
        std::stable_sort(byName.begin(), byName.end(), [&](int a, int b) {
            return order == Qt::AscendingOrder ? CompareText(nameOf(a), nameOf(b)) < 0 : CompareText(nameOf(b), nameOf(a)) < 0;
        });
        EXPECT_EQ(expected, byName);
    }
    // Renamed in place and the tree told: the index is stale until the next search.
    const int renamed = *std::find_if(rows.begin(), rows.end(), [&](int node) { return f.tree.isNode(node); });
    f.tree.nodeData(renamed)->item->name = "\x01";
    f.tree.contentChanged();
    const std::vector<int> stale = sorted(true, Qt::AscendingOrder);
    EXPECT_EQ(stale, sorted(false, Qt::AscendingOrder));
    // Removed locations first (no name), then the renamed one.
    EXPECT_EQ(*std::find_if(stale.begin(), stale.end(), [](int node) { return node != kNoTreeNode; }), renamed);
}
