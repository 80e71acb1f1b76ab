// The demo database in memory: what the program's rules expect of the data holds for it.
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "data_model.h"
#include "demo_content.h"
#include "demo_links.h"

using namespace sample;

namespace {

SampleOptions smallOptions()
{
    SampleOptions o;
    o.seed = 7;
    o.locations = 3000;
    o.zones = 30;
    o.categories = 20;
    return o;
}

const DemoDatabase& demo()
{
    static const DemoDatabase db = buildDemoDatabase(smallOptions());
    return db;
}

const pMap_info* zoneById(const DemoDatabase& db, uint32_t id)
{
    for (const pMap_info& z : db.mapIndex.zones)
        if (uint16_t(z.zoneId) == id) return &z;
    return nullptr;
}

const rCateg* categoryById(const DemoDatabase& db, uint32_t id)
{
    for (const rCateg& c : db.categories)
        if (c.id == id) return &c;
    return nullptr;
}

bool isHex(const std::string& s)
{
    return s.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

uint64_t pointKey(const rnew_node& r) { return uint64_t(r.zoneId) << 32 | r.x << 16 | r.y; }

} // namespace

TEST(DemoContent, MapIndexFitsItsFields)
{
    const DemoDatabase& db = demo();
    EXPECT_EQ(db.mapIndex.zones.size(), 30u);
    EXPECT_EQ(db.scenes.size(), 30u);
    std::set<std::string> files, names;
    std::set<int> mapIds;
    for (const rRegion& m : db.mapIndex.maps) {
        mapIds.insert(m.mapId);
        EXPECT_LE(m.name.size(), 40u);
        EXPECT_TRUE(m.realm >= 1 && m.realm <= db.mapIndex.realms.size());
        EXPECT_NE(zoneById(db, m.homeZoneId), nullptr) << m.name;
    }
    for (size_t i = 0; i < db.mapIndex.zones.size(); ++i) {
        const pMap_info& z = db.mapIndex.zones[i];
        EXPECT_LE(z.name.size(), 30u);
        EXPECT_LE(z.fileName.size(), 16u);
        EXPECT_TRUE(names.insert(z.name).second) << z.name;
        EXPECT_TRUE(files.insert(db.scenes[i].diskName).second) << z.fileName;
        EXPECT_EQ(QString::fromStdString(z.fileName).toLower().toStdString(), db.scenes[i].diskName);
        EXPECT_TRUE(mapIds.count(z.regionId));
        EXPECT_GT(z.zoneId, 0); // place codes read zone ids as signed 16-bit numbers
    }
}

TEST(DemoContent, LocationsReferToExistingZonesAndCategories)
{
    const DemoDatabase& db = demo();
    ASSERT_EQ(db.master.records.size(), 3000u);
    std::set<uint32_t> ids;
    std::set<uint64_t> points;
    std::set<int> kinds;
    bool accents = false;
    for (const MasterRecord& rec : db.master.records) {
        const rnew_node& r = rec.node;
        ASSERT_NE(zoneById(db, r.zoneId), nullptr);
        const rCateg* c = categoryById(db, r.categoryId);
        ASSERT_NE(c, nullptr);
        kinds.insert(c->kind);
        if (c->kind == kindNoLevel) {
            EXPECT_EQ(r.levelMin + r.levelMax, 0u) << r.name;
        }
        EXPECT_LE(r.levelMin, r.levelMax);
        EXPECT_TRUE(ids.insert(r.id).second);
        EXPECT_TRUE(points.insert(pointKey(r)).second) << "two locations on one point";
        EXPECT_FALSE(r.name.empty());
        EXPECT_LT(r.name.size(), kItemNameMax); // room for the "@" of an erasure
        EXPECT_EQ(r.name.find_first_of("#|@"), std::string::npos) << r.name;
        EXPECT_EQ(r.description.find('#'), std::string::npos);
        for (char ch : r.name) accents = accents || uint8_t(ch) >= 0xC0;
        EXPECT_EQ(rec.fields, usedMasterFields(r));
    }
    EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 4}));
    EXPECT_TRUE(accents);
    EXPECT_NE(db.master.headerValue.value_or(0), 0u); // else the additions are never merged
}

TEST(DemoContent, LinkTextsFollowTheirGrammar)
{
    const DemoDatabase& db = demo();
    std::map<char, int> seen;
    for (const MasterRecord& rec : db.master.records) {
        const std::string& t = rec.node.linkText;
        if (t.empty()) continue;
        ++seen[t[0]];
        const pMap_info* zone = zoneById(db, rec.node.zoneId);
        switch (t[0]) {
        case 'V':
            EXPECT_EQ((t.size() - 6) % 8, 0u) << t;
            EXPECT_GE(t.size(), 14u + 8u);
            EXPECT_TRUE(t[2] == '0' || t[2] == '1');
            EXPECT_TRUE(isHex(t.substr(3, 3)) && t[5] == '1') << t;
            EXPECT_TRUE(isHex(t.substr(6))) << t;
            break;
        case 'S':
            EXPECT_EQ((t.size() - 18) % 8, 0u) << t;
            EXPECT_GE(t.size(), 18u + 2 * 8u); // an area of three points at least
            EXPECT_TRUE(isHex(t.substr(2))) << t;
            break;
        case 'P': {
            // Converted by the loader to the world route of the same points.
            EXPECT_EQ((t.size() - 18) % 8, 0u) << t;
            const std::string s = ConvertPCommandToS(t, zone->regionId);
            const int32_t x = int32_t(std::stoul(s.substr(2, 8), nullptr, 16));
            const int32_t y = int32_t(std::stoul(s.substr(10, 8), nullptr, 16));
            const int32_t wx = zone->originX + int32_t(rec.node.x), wy = int32_t(rec.node.y) - zone->originY;
            EXPECT_LE(std::abs(x - wx), 9000) << t; // the outline goes round the location
            EXPECT_LE(std::abs(y - wy), 9000) << t;
            break;
        }
        case 'J': {
            ASSERT_EQ(t.size(), 15u) << t;
            EXPECT_TRUE(isHex(t.substr(3))) << t;
            EXPECT_NE(zoneById(db, uint32_t(std::stoul(t.substr(3, 4), nullptr, 16))), nullptr) << t;
            break;
        }
        default: ADD_FAILURE() << "unexpected link text " << t;
        }
    }
    for (char kind : {'V', 'S', 'P', 'J'}) EXPECT_GT(seen[kind], 0) << kind;
}

TEST(DemoContent, ReferencesNameLocationsOfTheirZone)
{
    const DemoDatabase& db = demo();
    std::set<std::pair<uint32_t, std::string>> linkable;
    for (const MasterRecord& rec : db.master.records)
        if (categoryById(db, rec.node.categoryId)->linkable) linkable.insert({rec.node.zoneId, rec.node.name});
    int references = 0, multiLine = 0;
    for (const MasterRecord& rec : db.master.records) {
        const std::string& d = rec.node.description;
        multiLine += d.find('|') != std::string::npos;
        for (size_t open = d.find('{'); open != std::string::npos; open = d.find('{', open + 1)) {
            const size_t close = d.find('}', open);
            ASSERT_NE(close, std::string::npos) << d;
            EXPECT_TRUE(linkable.count({rec.node.zoneId, d.substr(open + 1, close - open - 1)})) << d;
            ++references;
        }
    }
    EXPECT_GT(references, 0);
    EXPECT_GT(multiLine, 0);
}

TEST(DemoContent, EveryAdditionsLineMerges)
{
    // A line that the merge drops makes the program rewrite the file at every load.
    const DemoDatabase& db = demo();
    std::map<uint32_t, const rnew_node*> byId;
    std::set<uint64_t> occupied;
    for (const MasterRecord& rec : db.master.records) {
        byId[rec.node.id] = &rec.node;
        occupied.insert(pointKey(rec.node));
    }
    const AdditionsFile& add = db.additions;
    ASSERT_EQ(add.locations.size(), 30u);
    EXPECT_EQ(add.saveDigits.find_first_not_of("123456789"), std::string::npos);
    int created = 0, changed = 0, erased = 0;
    for (const rnew_node& r : add.locations) {
        EXPECT_EQ(r.fromMaster, 0u);
        EXPECT_LE(r.name.size(), kItemNameMax);
        if (r.id == 0) {
            EXPECT_TRUE(occupied.insert(pointKey(r)).second) << "a new location on an occupied point: " << r.name;
            EXPECT_NE(r.name[0], '@');
            ++created;
            continue;
        }
        ASSERT_TRUE(byId.count(r.id));
        const rnew_node& target = *byId[r.id];
        EXPECT_EQ(pointKey(r), pointKey(target));
        EXPECT_EQ(target.locked, 0u);
        EXPECT_TRUE(r.name != target.name || r.description != target.description);
        (r.name[0] == '@' ? erased : changed) += 1;
    }
    EXPECT_GT(created, 0);
    EXPECT_GT(changed, 0);
    EXPECT_GT(erased, 0);
}

TEST(DemoContent, SameSeedSameDatabaseAndOptionsScale)
{
    SampleOptions o = smallOptions();
    o.locations = 200;
    const DemoDatabase a = buildDemoDatabase(o), b = buildDemoDatabase(o);
    EXPECT_EQ(writeMasterFile(a.master), writeMasterFile(b.master));
    EXPECT_EQ(writeAdditionsFile(a.additions), writeAdditionsFile(b.additions));
    o.seed = 8;
    EXPECT_NE(writeMasterFile(buildDemoDatabase(o).master), writeMasterFile(a.master));

    o.zones = 1;
    o.categories = 1;
    o.locations = 0;
    const DemoDatabase tiny = buildDemoDatabase(o);
    EXPECT_EQ(tiny.mapIndex.maps.size(), 1u);
    EXPECT_EQ(tiny.categories.size(), 1u);
    EXPECT_TRUE(tiny.master.records.empty());
    o.zones = 1000;
    EXPECT_EQ(buildDemoDatabase(o).mapIndex.maps.size(), 50u);
}
