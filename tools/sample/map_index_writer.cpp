#include "sample_writers.h"

#include "byte_io.h"
#include "compressed.h"

namespace sample {

std::vector<uint8_t> mapIndexPayload(const MapIndexContent& index)
{
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.i32(int32_t(index.realms.size()));
    for (const rRealm& realm : index.realms) w.shortString(realm.name, 42); // 43 bytes
    w.i32(int32_t(index.maps.size()));
    for (const rRegion& map : index.maps) { // 56 bytes
        w.i16(map.mapId);
        w.u8(map.realm);
        w.u8(map.icon);
        w.u16(map.homeZoneId);
        w.zeros(2);
        w.zeros(4); // holds the map's tree node at run time
        w.shortString(map.name, 40);
        w.u8(map.menuFlag);
        w.zeros(2);
    }
    for (const pMap_info& zone : index.zones) { // 72 bytes
        w.shortString(zone.name, 30);
        w.shortString(zone.fileName, 16);
        w.i16(zone.zoneId);
        w.i16(zone.regionId);
        w.u8(zone.group);
        w.u8(zone.icon);
        w.zeros(2);
        w.i32(zone.originX);
        w.i32(zone.originY);
        w.zeros(8);
    }
    return out;
}

std::vector<uint8_t> writeMapIndex(const MapIndexContent& index)
{
    const std::vector<uint8_t> payload = mapIndexPayload(index);
    return DeflateBytes(payload.data(), payload.size());
}

} // namespace sample
