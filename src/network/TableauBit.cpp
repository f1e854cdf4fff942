#include "network/TableauBit.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace
{
void release(uint64_t* tab, int size, bool mapped)
{
    if (!tab) return;
    if (mapped) munmap(tab, (size_t)size * sizeof(uint64_t));
    else std::free(tab);
}
}  // namespace

void TableauBit::initTab(int sz)
{
    release(tab, size, mapped);
    tab = nullptr;
    size = (int)(((unsigned)sz >> 6) + 1);
    size_t bytes = (size_t)size * sizeof(uint64_t);
    mapped = bytes >= mapThreshold;
    void* p;
    if (mapped)
    {
        p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED) p = nullptr;
    }
    else p = std::calloc((size_t)size, sizeof(uint64_t));
    if (!p)
    {
        size = 0;
        mapped = false;
        throw std::runtime_error("not enough memory for a bit table of " + std::to_string(bytes) + " bytes");
    }
    tab = static_cast<uint64_t*>(p);
}

void TableauBit::freeTab()
{
    release(tab, size, mapped);
    tab = nullptr;
    size = 0;
    mapped = false;
}

void TableauBit::reset()
{
    size_t bytes = (size_t)size * sizeof(uint64_t);
    // Dropping the pages of a mapping gives zero pages back without
    // touching (and so committing) the whole table.
    if (mapped && madvise(tab, bytes, MADV_DONTNEED) == 0) return;
    std::memset(tab, 0, bytes);
}
