// The additions file: two header lines, then one line of 16 "|"-separated fields per
// location, lines ended by CR LF.
#include <cstdio>

#include "sample_writers.h"

namespace sample {

std::string additionsLine(const rnew_node& r)
{
    auto dec = [](long long v) { return std::to_string(v); };
    char attributes[32];
    std::snprintf(attributes, sizeof attributes, "%08X%08X%08X", unsigned(r.attributes.w[0]),
                  unsigned(r.attributes.w[1]), unsigned(r.attributes.w[2]));
    std::string id;
    if (r.id != 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%06X", unsigned(r.id));
        id = hex;
    }
    const std::string fields[16] = {
        r.name.substr(0, kItemNameMax),
        std::string(),
        dec(int16_t(uint16_t(r.zoneId))), // the zone id read as a signed 16-bit number
        dec(r.categoryId & 0xFF),
        dec(r.x & 0xFFFF),
        dec(r.y & 0xFFFF),
        dec(r.levelMin & 0xFF),
        dec(r.levelMax & 0xFF),
        std::string(),
        dec(r.typeId & 0xFF),
        dec(r.languageTag & 0xFF),
        std::string(),
        attributes,
        id,
        r.linkText,
        r.description,
    };
    std::string line = fields[0];
    for (int i = 1; i < 16; ++i) line += "|" + fields[i];
    return line;
}

std::string writeAdditionsFile(const AdditionsFile& file)
{
    std::vector<std::string> lines;
    lines.push_back(file.version + "-id=" + file.saveDigits + "-" +
                    (file.nickname.empty() ? std::string("Anonymous") : file.nickname));
    lines.push_back("#v2.52");
    for (const rnew_node& r : file.locations) lines.push_back(additionsLine(r));
    return textLines(lines);
}

} // namespace sample
