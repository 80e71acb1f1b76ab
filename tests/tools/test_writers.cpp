// The map index writer, read back through the program's own reader (the other writers are
// read back whole by the sample round trip).
#include <tuple>

#include <gtest/gtest.h>

#include "compressed.h"
#include "data_model.h"
#include "sample_writers.h"

using namespace sample;

namespace {

std::vector<uint8_t> inflate(const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> out;
    EXPECT_TRUE(InflateBytes(file.data(), file.size(), out));
    return out;
}

} // namespace

TEST(MapIndexWriter, LoadsBackThroughTheMapIndexReader)
{
    MapIndexContent index;
    index.realms = {{"Nord"}, {"Sud"}};
    rRegion& region = index.maps.emplace_back();
    region.mapId = 7;
    region.realm = 2;
    region.homeZoneId = 301;
    region.name = "Carte";
    const std::tuple<const char*, const char*, int16_t, int32_t, int32_t> zones[] = {
        {"Zeta", "z_one", 301, 0, 0}, {"Alpha", "a_two", 302, 65535, -65535}, {"Mu", "m_three", -2, -131070, 0}};
    for (const auto& [name, file, id, ox, oy] : zones) {
        pMap_info& z = index.zones.emplace_back();
        std::tie(z.name, z.fileName, z.zoneId, z.originX, z.originY) = std::tie(name, file, id, ox, oy);
        z.regionId = 7;
    }
    const std::vector<uint8_t> b = mapIndexPayload(index);
    EXPECT_EQ(inflate(writeMapIndex(index)), b);

    TData_map map;
    map.LoadMapIndexBytes(b.data(), b.size());
    map.SortZones();
    ASSERT_EQ(map.realms.size(), 2u);
    ASSERT_EQ(map.maps.size(), 1u);
    ASSERT_EQ(map.zones.size(), 3u);
    EXPECT_EQ(map.realms[1].name, "Sud");
    EXPECT_EQ(map.maps[0]->name, "Carte");
    EXPECT_EQ(map.maps[0]->homeZoneId, 301);
    EXPECT_EQ(map.zones[0]->name, "Alpha");
    EXPECT_EQ(map.zones[0]->originY, -65535);
    EXPECT_EQ(map.zones[1]->zoneId, -2);
    EXPECT_EQ(map.zones[1]->originX, -131070);
    EXPECT_EQ(map.zones[2]->fileName, "z_one");
}
