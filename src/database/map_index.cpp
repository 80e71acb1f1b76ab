// The map index of a database (vmarmap.bin) and the database root.
#include <algorithm>

#include "byte_io.h"
#include "compressed.h"
#include "data_model.h"
#include "folders.h"
#include "log.h"
#include "path_resolver.h"
#include "ressource.h"

namespace {

constexpr size_t kRealmRecordSize = 43;
constexpr size_t kMapRecordSize = 56;

// Letters a..z fold to A..Z; every other byte keeps its code.
unsigned char foldAscii(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

bool zoneNameLess(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return foldAscii(x) < foldAscii(y); });
}

rRealm readRealm(const uint8_t* rec)
{
    ByteReader r(rec, kRealmRecordSize);
    rRealm realm;
    realm.name = r.shortString(42);
    return realm;
}

std::unique_ptr<rRegion> readMap(const uint8_t* rec)
{
    ByteReader r(rec, kMapRecordSize);
    auto map = std::make_unique<rRegion>();
    map->mapId = r.i16();
    map->realm = r.u8();
    map->icon = r.u8();
    map->homeZoneId = r.u16();
    r.skip(2);                 // not read
    r.skip(4);                 // the tree node at run time
    map->name = r.shortString(40);
    map->menuFlag = r.u8();
    return map;                // two bytes not read
}

} // namespace

std::unique_ptr<TData_map> TData_map::Create()
{
    auto map = std::make_unique<TData_map>();
    std::optional<QString> file;
    if (!DatabaseLangDir.isEmpty()) file = FindEntryNoCase(DatabaseLangDir, "vmarmap.bin");
    if (file) map->LoadMapIndex(DatabaseLangDir + *file);
    // A file that is missing, does not inflate or stops inside its counted realms or maps
    // gives no usable maps: the user is told the same way in every case.
    if (!file || !map->loadedWhole) ShowRessourceMessage(12, false, "vmar");
    map->SortZones();
    return map;
}

void TData_map::LoadMapIndex(const QString& path)
{
    MemoryStream stream;
    if (!LoadCompressedFile(stream, path)) {
        LogLine("map index cannot be read: " + path.toStdString());
        zones.clear();
        maps.clear();
        realms.clear();
        loadedWhole = false;
        return;
    }
    LoadMapIndexBytes(stream.data.data(), stream.data.size());
}

void TData_map::LoadMapIndexBytes(const uint8_t* data, size_t size)
{
    zones.clear();
    maps.clear();
    realms.clear();
    loadedWhole = false;
    ByteReader r(data, size);

    // Realms. A short record ends the section; a record that exhausts the stream ends the
    // load and is dropped. Every pass consumes a record, so the count never runs ahead of
    // the data.
    const int32_t realmCount = r.i32();
    for (int32_t i = 0; i < realmCount; ++i) {
        if (r.remaining() < kRealmRecordSize) {
            r.skip(r.remaining());
            break;
        }
        const uint8_t* rec = data + r.position();
        r.skip(kRealmRecordSize);
        if (r.atEnd()) return;
        realms.push_back(readRealm(rec));
    }

    // Maps, the same way.
    const int32_t mapCount = r.i32();
    for (int32_t i = 0; i < mapCount; ++i) {
        if (r.remaining() < kMapRecordSize) {
            r.skip(r.remaining());
            break;
        }
        const uint8_t* rec = data + r.position();
        r.skip(kMapRecordSize);
        if (r.atEnd()) return;
        maps.push_back(readMap(rec));
    }

    // Zones: whole records to the end; a trailing piece is ignored.
    while (r.remaining() >= kZoneRecordSize) {
        const uint8_t* rec = data + r.position();
        r.skip(kZoneRecordSize);
        zones.push_back(std::make_unique<pMap_info>(rec));
    }
    // Every counted realm and map was there. A trailing piece shorter than a zone record is
    // how such files may end and takes nothing away.
    loadedWhole = !r.failed() && realms.size() == size_t(std::max(realmCount, 0))
                  && maps.size() == size_t(std::max(mapCount, 0));
}

void TData_map::SortZones()
{
    std::stable_sort(zones.begin(), zones.end(),
                     [](const std::unique_ptr<pMap_info>& a, const std::unique_ptr<pMap_info>& b) {
                         return zoneNameLess(a->name, b->name);
                     });
}

TRealm_info::TRealm_info() : mapIndex(TData_map::Create()) {}

TRealm_info::TRealm_info(std::unique_ptr<TData_map> map)
    : mapIndex(map ? std::move(map) : std::make_unique<TData_map>())
{
}
