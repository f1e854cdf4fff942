#pragma once

#include <cstdint>

// Bit array: bit i is bit i mod 64 of word i / 64.  No index checks.
// Large tables are reserved as zero pages that the system commits only when
// written, so a table over a huge value range costs memory only for the
// parts actually used.
class TableauBit
{
public:
    uint64_t* tab;
    int size;      // number of words
    bool mapped;   // storage comes from a page mapping (large tables)

    // Tables of at least this many bytes are page mappings.
    static const uint64_t mapThreshold = (uint64_t)1 << 20;

    TableauBit() : tab(nullptr), size(0), mapped(false) {}
    explicit TableauBit(unsigned sz) : tab(nullptr), size(0), mapped(false) { initTab((int)sz); }

    // (unsigned)sz / 64 + 1 zeroed words (storage of an earlier call is
    // released).  Throws std::runtime_error when the storage cannot be had.
    void initTab(int sz);
    // Release the storage (no storage, size 0).
    void freeTab();

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
