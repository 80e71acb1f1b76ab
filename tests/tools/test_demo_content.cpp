// The demo database in memory: what the program's rules expect of the data holds for it.
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

uint64_t pointKey(const rnew_node& r) { return uint64_t(r.zoneId) << 32 | r.x << 16 | r.y; }

} // namespace

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
