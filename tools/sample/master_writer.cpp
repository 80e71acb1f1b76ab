// master_vmar.loc: the magic, then tagged items. A string payload is a u16 byte count and
// the bytes; numbers are little-endian.
#include <algorithm>

#include "byte_io.h"
#include "compressed.h"
#include "sample_writers.h"

namespace sample {

namespace {

constexpr uint8_t kRecordEnd = 199;
constexpr uint8_t kFileEnd = 255;

void putString(ByteWriter& w, const std::string& s)
{
    const size_t n = std::min<size_t>(s.size(), 0xFFFF);
    w.u16(uint16_t(n));
    w.bytes(s.data(), n);
}

void putField(ByteWriter& w, int tag, const rnew_node& r)
{
    w.u8(uint8_t(tag));
    switch (tag) {
    case 1: putString(w, r.name); break;
    case 2: w.u16(uint16_t(r.zoneId)); break;
    case 3: w.u8(uint8_t(r.categoryId)); break;
    case 4: w.u16(uint16_t(r.x)); break;
    case 5: w.u16(uint16_t(r.y)); break;
    case 6: w.u8(uint8_t(r.levelMin)); break;
    case 7: w.u8(uint8_t(r.levelMax)); break;
    // The attribute words: tag 10 ids 1-32, tag 8 ids 33-64, tag 9 ids 65-96.
    case 8: w.u32(r.attributes.w[1]); break;
    case 9: w.u32(r.attributes.w[2]); break;
    case 10: w.u32(r.attributes.w[0]); break;
    case 11: w.u32(r.id); break;
    case 12: putString(w, r.description); break;
    case 13: putString(w, r.linkText); break;
    case 14: w.u8(uint8_t(r.locked)); break;
    case 15: w.u8(uint8_t(r.typeId)); break;
    case 16: w.u8(uint8_t(r.languageTag)); break;
    }
}

} // namespace

uint32_t usedMasterFields(const rnew_node& r)
{
    uint32_t fields = 0x3E; // tags 1 to 5
    auto use = [&](int tag, bool hasValue) {
        if (hasValue) fields |= 1u << tag;
    };
    use(6, r.levelMin != 0);
    use(7, r.levelMax != 0);
    use(8, r.attributes.w[1] != 0);
    use(9, r.attributes.w[2] != 0);
    use(10, r.attributes.w[0] != 0);
    use(11, r.id != 0);
    use(12, !r.description.empty());
    use(13, !r.linkText.empty());
    use(14, r.locked != 0);
    use(15, r.typeId != 0);
    use(16, r.languageTag != 0);
    return fields;
}

std::vector<uint8_t> masterPayload(const MasterFile& file)
{
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.bytes(kMasterMagic, 8);
    if (file.tag200) {
        w.u8(200);
        w.u32(*file.tag200);
    }
    if (file.headerValue) {
        w.u8(201);
        w.u32(*file.headerValue);
    }
    if (file.databaseDate) {
        w.u8(202);
        w.f64(*file.databaseDate);
    }
    for (const MasterRecord& rec : file.records) {
        for (int tag = 1; tag <= 16; ++tag)
            if (rec.fields & (1u << tag)) putField(w, tag, rec.node);
        for (const auto& [tag, bytes] : rec.skipped) {
            w.u8(tag);
            putString(w, bytes);
        }
        w.u8(kRecordEnd);
    }
    if (file.endTag) w.u8(kFileEnd);
    return out;
}

std::vector<uint8_t> writeMasterFile(const MasterFile& file)
{
    const std::vector<uint8_t> payload = masterPayload(file);
    return DeflateBytes(payload.data(), payload.size());
}

} // namespace sample
