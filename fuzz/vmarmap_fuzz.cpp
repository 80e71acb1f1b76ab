// The map index (vmarmap.bin, inflated): any bytes give whole records only, never more
// than the data holds, short strings within their fields, and a stable name order.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "data_model.h"

namespace {

unsigned char fold(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 32) : u;
}

bool less(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return fold(x) < fold(y); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TData_map m;
    m.realms.push_back(rRealm{"stale"}); // loading replaces the lists
    m.LoadMapIndexBytes(data, size);

    const size_t used = m.realms.size() * 43 + m.maps.size() * 56 + m.zones.size() * 72;
    if (used > size) __builtin_trap();
    if (!m.zones.empty() && used + 8 > size) __builtin_trap();
    if (size < 4 && !(m.realms.empty() && m.maps.empty() && m.zones.empty())) __builtin_trap();
    for (const rRealm& r : m.realms)
        if (r.name.size() > 42) __builtin_trap();
    for (const auto& r : m.maps)
        if (r->name.size() > 40 || r->treeNode != kNoTreeNode) __builtin_trap();
    for (const auto& z : m.zones)
        if (z->name.size() > 30 || z->fileName.size() > 16 || z->treeNode != kNoTreeNode) __builtin_trap();

    // Tag each zone with its load position to check the sort is stable.
    for (size_t i = 0; i < m.zones.size(); ++i) m.zones[i]->originX = int32_t(i);
    const size_t count = m.zones.size();
    m.SortZones();
    if (m.zones.size() != count) __builtin_trap();
    for (size_t i = 1; i < m.zones.size(); ++i) {
        const pMap_info& a = *m.zones[i - 1];
        const pMap_info& b = *m.zones[i];
        if (less(b.name, a.name)) __builtin_trap();
        if (!less(a.name, b.name) && a.originX > b.originX) __builtin_trap();
    }

    // The same bytes load the same way again.
    TData_map again;
    again.LoadMapIndexBytes(data, size);
    if (again.realms.size() != m.realms.size() || again.maps.size() != m.maps.size() ||
        again.zones.size() != m.zones.size())
        __builtin_trap();
    return 0;
}
