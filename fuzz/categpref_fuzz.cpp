// Category preferences (categpref.bin) after some categories: every whole record either
// changes the first category with its id or is kept whole as a foreign record; writing
// gives one record per category then the foreign ones, and, when no two categories share
// an id, reading that back and writing again gives the same bytes. (With a shared id the
// second category's record goes to the first category on the next reading, as the Part's
// first-category rule has it.)
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "data_model.h"
#include "fuzz_qt.h"

namespace {

const uint8_t kIds[] = {0, 1, 7, 7, 200};
const uint8_t kUniqueIds[] = {0, 1, 7, 200};

template <size_t N>
std::unique_ptr<TData_common> someCategories(const uint8_t (&ids)[N])
{
    auto c = std::make_unique<TData_common>();
    for (uint8_t id : ids) {
        auto k = std::make_unique<rCateg>();
        k->id = id;
        k->font = QFont("Arial");
        k->font.setPointSize(10);
        c->categories.push_back(std::move(k));
    }
    return c;
}

bool known(uint8_t id)
{
    for (uint8_t k : kIds)
        if (k == id) return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFuzzQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto c = someCategories(kIds);
    c->foreignPrefRecords.push_back(std::vector<uint8_t>(56, 9)); // loading replaces them
    c->LoadCategoryPrefsBytes(data, size);

    size_t foreign = 0;
    for (size_t at = 0; at + 56 <= size; at += 56)
        if (!known(data[at])) {
            const auto& rec = c->foreignPrefRecords.at(foreign);
            if (rec.size() != 56 || std::memcmp(rec.data(), data + at, 56) != 0) __builtin_trap();
            ++foreign;
        }
    if (foreign != c->foreignPrefRecords.size()) __builtin_trap();

    const std::vector<uint8_t> out = c->CategoryPrefsBytes();
    const size_t cats = std::size(kIds);
    if (out.size() != 56 * (cats + foreign)) __builtin_trap();
    for (size_t i = 0; i < cats; ++i) {
        const uint8_t* rec = out.data() + 56 * i;
        if (rec[0] != kIds[i] || rec[1] || rec[2] || rec[3]) __builtin_trap();
        if (rec[13] > 15 || rec[14] > 40) __builtin_trap();
        for (size_t p = 15 + rec[14]; p < 55; ++p)
            if (rec[p]) __builtin_trap();
    }
    // The duplicate id: only the first category of the two takes records.
    const std::vector<uint8_t> initial = someCategories(kIds)->CategoryPrefsBytes();
    if (std::memcmp(out.data() + 56 * 3, initial.data() + 56 * 3, 56) != 0) __builtin_trap();
    for (size_t i = 0; i < foreign; ++i)
        if (std::memcmp(out.data() + 56 * (cats + i), c->foreignPrefRecords[i].data(), 56) != 0) __builtin_trap();

    // With distinct ids the written bytes read back to themselves.
    auto u = someCategories(kUniqueIds);
    u->LoadCategoryPrefsBytes(data, size);
    const std::vector<uint8_t> once = u->CategoryPrefsBytes();
    auto d = someCategories(kUniqueIds);
    d->LoadCategoryPrefsBytes(once.data(), once.size());
    if (d->CategoryPrefsBytes() != once) __builtin_trap();
    return 0;
}
