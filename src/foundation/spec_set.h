#pragma once
// Creature attribute sets: ids 1..96 packed in three 32-bit words.
// Attribute id n is bit (n mod 32) of word (n - 1) div 32, so id 32 is bit 0 of the
// first word and id 1 its bit 1. Every stored file depends on this layout.
#include <array>
#include <cstdint>

struct SpecSet {
    uint32_t w[3] = {0, 0, 0};
    bool operator==(const SpecSet&) const = default;
};

using SpecFlags = std::array<bool, 96>; // index 0 for id 1 ... index 95 for id 96

SpecSet PackSpecs(const SpecFlags& flags);
SpecFlags UnpackSpecs(const SpecSet& set);
// True when bit (b mod 32) of the word is set; defined for every b, negative ones too.
bool IsBit(uint32_t word, int b);
// Answers for ids 0..96 (id 0 answers for id 32); False for every other id.
bool HasSpec(const SpecSet& set, int id);
void ClearSpecs(SpecSet& set);
bool SameSpecs(const SpecSet& a, const SpecSet& b);
// Sets or clears one attribute id 1..96; other ids are ignored.
void SetSpec(SpecSet& set, int id, bool on);
