#include "records.h"

#include "byte_io.h"

pMap_info::pMap_info(const uint8_t* rec)
{
    ByteReader r(rec, kZoneRecordSize);
    name = r.shortString(30);
    fileName = r.shortString(16);
    zoneId = r.i16();
    regionId = r.i16();
    group = r.u8();
    icon = r.u8();
    r.skip(2);
    originX = r.i32();
    originY = r.i32();
}
