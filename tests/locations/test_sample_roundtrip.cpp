// The sample database written by the maker reads back into the tree field for field.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>

#include <QDir>
#include <QTemporaryDir>

#include "additions.h"
#include "folders.h"
#include "location_tree.h"
#include "master_file.h"
#include "quiet_additions_host.h"
#include "sample_folder.h"
#include "test_util.h"

namespace {

// Every stored field of a location except its level range and link text, which depend on
// its category and on decoding.
std::string dump(const std::string& name, uint32_t zone, uint32_t categ, uint32_t x, uint32_t y,
                 const std::string& desc, uint32_t id, uint32_t type, uint32_t lang, const SpecSet& a,
                 uint32_t locked)
{
    std::ostringstream o;
    o << name.substr(0, 40) << '|' << uint16_t(zone) << '|' << categ << '|' << x << '|' << y << '|' << desc << '|'
      << id << '|' << type << '|' << lang << '|' << a.w[0] << ',' << a.w[1] << ',' << a.w[2] << '|' << locked;
    return o.str();
}

} // namespace

TEST(SampleRoundTrip, TheDemoDatabaseReloadsFieldForField)
{
    QTemporaryDir dir;
    RecordingBoxes boxes; // a message box would wait for a click: it fails the test instead
    sample::SampleOptions options;
    options.locations = 1500;
    options.zones = 12;
    options.categories = 10;
    options.imageSize = 32;
    ASSERT_TRUE(sample::makeSampleFolder(dir.path(), options).ok);
    const sample::DemoDatabase demo = sample::buildDemoDatabase(options);

    SetProgramFolder(dir.path());
    InterfaceLang = "Francais";
    DatabaseLang = QString::fromStdString(demo.name);
    DatabaseLangDir = DatabaseDir + DatabaseLang + '/';
    auto common = TData_common::Create();
    TRealm_info realm;
    ASSERT_EQ(realm.mapIndex->realms.size(), demo.mapIndex.realms.size());
    ASSERT_EQ(realm.mapIndex->maps.size(), demo.mapIndex.maps.size());
    ASSERT_EQ(realm.mapIndex->zones.size(), demo.mapIndex.zones.size());
    ASSERT_EQ(common->categories.size(), demo.categories.size());
    EXPECT_EQ(common->specNames.size(), demo.specs.size());
    EXPECT_EQ(common->typeNames.size(), demo.typeNames.size());

    LocationTree tree;
    tree.init_tree(*realm.mapIndex, *common);
    MasterFileLoader master(tree, realm);
    ASSERT_TRUE(master.loadmaster2());
    tree.sortAll();

    std::multiset<std::string> expected, actual;
    std::map<uint32_t, int> expectedPerCategory, actualPerCategory;
    for (const auto& rec : demo.master.records) {
        const rnew_node& n = rec.node;
        expected.insert(dump(n.name, n.zoneId, n.categoryId, n.x, n.y, n.description, n.id, n.typeId, n.languageTag,
                             n.attributes, n.locked));
        ++expectedPerCategory[n.categoryId];
    }
    tree.forEachLocation([&](int, const TNodeData& d) {
        const rItemdata& it = *d.item;
        actual.insert(dump(it.name, uint16_t(d.zone->zoneId), d.category->id, it.x, it.y, it.description, it.id,
                           it.typeId, it.languageTag, it.attributes, it.locked));
        ++actualPerCategory[d.category->id];
        EXPECT_EQ(it.fromMaster, 1);
        if (d.category->kind == kindNoLevel) {
            EXPECT_EQ(it.levelMin + it.levelMax, 0);
        }
    });
    EXPECT_EQ(tree.locationCount(), demo.master.records.size());
    EXPECT_EQ(actualPerCategory, expectedPerCategory);
    EXPECT_TRUE(actual == expected);

    // The maker's additions hold new locations, changes and erasures of database locations,
    // and every line merges: a dropped one would make the program rewrite the file at each load.
    std::set<char> kinds;
    for (const rnew_node& r : demo.additions.locations)
        kinds.insert(r.id == 0 ? 'n' : r.name[0] == '@' ? 'e' : 'c');
    EXPECT_EQ(kinds.size(), 3u);
    EXPECT_EQ(demo.additions.saveDigits.find_first_not_of("123456789"), std::string::npos);
    QuietHost host;
    AdditionsFile additions(tree, realm, host, MakeAdditionsFileName(DatabaseLang));
    additions.Loadref(true);
    EXPECT_EQ(additions.DroppedAdditions, 0);
    EXPECT_TRUE(additions.KeptLines.empty());
    EXPECT_EQ(realm.mergeCount, int(demo.additions.locations.size()));
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join("; ").toStdString();
}
