#include "network/TableauBit.h"

#include <cstring>

void TableauBit::initTab(int sz)
{
    delete[] tab;
    size = (int)(((unsigned)sz >> 6) + 1);
    tab = new uint64_t[size];
    std::memset(tab, 0, size * sizeof(uint64_t));
}

void TableauBit::reset() { std::memset(tab, 0, size * sizeof(uint64_t)); }
