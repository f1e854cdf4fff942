#pragma once

#include <cstdint>

// Bit array: bit i is bit i mod 64 of word i / 64.  No index checks.
class TableauBit
{
public:
    uint64_t* tab;
    int size;   // number of words

    TableauBit() : tab(nullptr), size(0) {}
    explicit TableauBit(unsigned sz) : tab(nullptr), size(0) { initTab((int)sz); }

    // sz / 64 + 1 zeroed words (storage of an earlier call is released).
    void initTab(int sz);

    void set(unsigned i, unsigned v)
    {
        uint64_t m = (uint64_t)1 << (i & 63);
        if (v) tab[i >> 6] |= m;
        else tab[i >> 6] &= ~m;
    }
    void setTrue(unsigned i) { tab[i >> 6] |= (uint64_t)1 << (i & 63); }
    void setFalse(unsigned i) { tab[i >> 6] &= ~((uint64_t)1 << (i & 63)); }
    int get(unsigned i) const { return (int)((tab[i >> 6] >> (i & 63)) & 1); }
    void reset();
    int getSize() const { return size; }
};
