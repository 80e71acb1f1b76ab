#include "spec_set.h"

SpecSet PackSpecs(const SpecFlags& flags)
{
    SpecSet s;
    for (int i = 0; i < 96; ++i)
        if (flags[i]) SetSpec(s, i + 1, true);
    return s;
}

SpecFlags UnpackSpecs(const SpecSet& set)
{
    SpecFlags f{};
    for (int i = 0; i < 96; ++i) f[i] = HasSpec(set, i + 1);
    return f;
}

bool IsBit(uint32_t word, int b)
{
    int bit = ((b % 32) + 32) % 32;
    return (word >> bit) & 1u;
}

bool HasSpec(const SpecSet& set, int id)
{
    if (id < 0 || id > 96) return false;
    int word = (id - 1) / 32; // truncates toward zero: id 0 reads word 0
    return IsBit(set.w[word], id - 32 * word);
}

void ClearSpecs(SpecSet& set)
{
    set.w[0] = set.w[1] = set.w[2] = 0;
}

bool SameSpecs(const SpecSet& a, const SpecSet& b)
{
    return a.w[0] == b.w[0] && a.w[1] == b.w[1] && a.w[2] == b.w[2];
}

void SetSpec(SpecSet& set, int id, bool on)
{
    if (id < 1 || id > 96) return;
    int word = (id - 1) / 32;
    uint32_t mask = 1u << (id % 32);
    if (on)
        set.w[word] |= mask;
    else
        set.w[word] &= ~mask;
}
