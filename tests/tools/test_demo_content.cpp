// The demo database in memory: what the program's rules expect of the data holds for it.
#include <algorithm>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "data_model.h"
#include "demo_content.h"

using namespace sample;

namespace {

const DemoDatabase& demo()
{
    static const DemoDatabase db = [] {
        SampleOptions o;
        o.seed = 7;
        o.locations = 3000;
        o.zones = 30;
        o.categories = 20;
        return buildDemoDatabase(o);
    }();
    return db;
}

template <class T, class Match> const T* findIn(const std::vector<T>& list, Match matches)
{
    const auto it = std::find_if(list.begin(), list.end(), matches);
    return it == list.end() ? nullptr : &*it;
}
const pMap_info* zoneById(uint32_t id)
{
    return findIn(demo().mapIndex.zones, [&](const pMap_info& z) { return uint16_t(z.zoneId) == id; });
}
const rCateg* categoryById(uint32_t id)
{
    return findIn(demo().categories, [&](const rCateg& c) { return c.id == id; });
}

uint64_t pointKey(const rnew_node& r) { return uint64_t(r.zoneId) << 32 | r.x << 16 | r.y; }

} // namespace

TEST(DemoContent, RecordsReferToEachOtherAndFitTheirFields)
{
    const DemoDatabase& db = demo();
    ASSERT_TRUE(db.mapIndex.zones.size() == 30u && db.scenes.size() == 30u);
    std::set<std::string> files, names;
    std::set<int> mapIds;
    for (const rRegion& m : db.mapIndex.maps) {
        mapIds.insert(m.mapId);
        EXPECT_TRUE(m.realm >= 1 && m.realm <= db.mapIndex.realms.size());
        EXPECT_NE(zoneById(m.homeZoneId), nullptr) << m.name;
    }
    for (size_t i = 0; i < db.mapIndex.zones.size(); ++i) {
        const pMap_info& z = db.mapIndex.zones[i];
        EXPECT_TRUE(z.name.size() <= 30u && z.fileName.size() <= 16u) << z.name;
        EXPECT_TRUE(names.insert(z.name).second) << z.name;
        EXPECT_TRUE(files.insert(db.scenes[i].diskName).second) << z.fileName;
        EXPECT_EQ(QString::fromStdString(z.fileName).toLower().toStdString(), db.scenes[i].diskName);
        EXPECT_TRUE(mapIds.count(z.regionId));
        EXPECT_GT(z.zoneId, 0); // place codes read zone ids as signed 16-bit numbers
    }

    ASSERT_EQ(db.master.records.size(), 3000u);
    std::set<uint32_t> ids;
    std::set<uint64_t> points;
    std::set<int> kinds;
    for (const MasterRecord& rec : db.master.records) {
        const rnew_node& r = rec.node;
        ASSERT_NE(zoneById(r.zoneId), nullptr);
        const rCateg* c = categoryById(r.categoryId);
        ASSERT_NE(c, nullptr);
        kinds.insert(c->kind);
        EXPECT_TRUE(c->kind == kindNoLevel ? r.levelMin + r.levelMax == 0 : r.levelMin <= r.levelMax) << r.name;
        EXPECT_TRUE(ids.insert(r.id).second);
        EXPECT_TRUE(points.insert(pointKey(r)).second) << "two locations on one point";
        EXPECT_TRUE(!r.name.empty() && r.name.size() < kItemNameMax) << r.name; // room for the "@" of an erasure
        EXPECT_EQ(r.name.find_first_of("#|@"), std::string::npos) << r.name;
        EXPECT_EQ(r.description.find('#'), std::string::npos) << r.description;
    }
    EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 4}));
    EXPECT_NE(db.master.headerValue.value_or(0), 0u); // else the additions are never merged
}

TEST(DemoContent, EveryAdditionsLineMerges)
{
    // A line that the merge drops makes the program rewrite the file at every load.
    std::map<uint32_t, const rnew_node*> byId;
    std::set<uint64_t> occupied;
    for (const MasterRecord& rec : demo().master.records) {
        byId[rec.node.id] = &rec.node;
        occupied.insert(pointKey(rec.node));
    }
    const AdditionsFile& add = demo().additions;
    ASSERT_EQ(add.locations.size(), 30u);
    EXPECT_EQ(add.saveDigits.find_first_not_of("123456789"), std::string::npos);
    std::map<char, int> kinds; // new, changed, erased
    for (const rnew_node& r : add.locations) {
        EXPECT_EQ(r.fromMaster, 0u);
        EXPECT_LE(r.name.size(), kItemNameMax);
        if (r.id == 0) {
            EXPECT_TRUE(occupied.insert(pointKey(r)).second) << "a new location on an occupied point: " << r.name;
            EXPECT_NE(r.name[0], '@');
            ++kinds['n'];
            continue;
        }
        ASSERT_TRUE(byId.count(r.id));
        const rnew_node& target = *byId[r.id];
        EXPECT_EQ(pointKey(r), pointKey(target));
        EXPECT_EQ(target.locked, 0u);
        EXPECT_TRUE(r.name != target.name || r.description != target.description);
        ++kinds[r.name[0] == '@' ? 'e' : 'c'];
    }
    EXPECT_EQ(kinds.size(), 3u);
}
