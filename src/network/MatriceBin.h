#pragma once

#include <cstdint>

// Bit matrix: bit (i, j) is bit j mod 64 of word j / 64 of row i.
// Rows share one contiguous, zeroed block.
class MatriceBin
{
public:
    uint64_t** matrice;
    int size;            // words per row: nbColonne / 64 + 1
    uint32_t nbLigne;
    uint32_t nbColonne;

    // Largest number of bits one matrix may hold; beyond it the
    // constructor throws std::runtime_error instead of exhausting memory.
    static const uint64_t maxBits = (uint64_t)1 << 33;

    // Bytes a matrix of l rows and c columns takes.
    static uint64_t bytesFor(uint32_t l, uint32_t c) { return (uint64_t)l * ((uint64_t)(c / 64) + 1) * 8; }

    MatriceBin(unsigned l, unsigned c);

    // No index check: callers keep i < nbLigne and j < nbColonne.
    void add(unsigned i, unsigned j) { matrice[i][j >> 6] |= (uint64_t)1 << (j & 63); }
    // 0 outside the matrix (negative indices included, read as unsigned).
    int get(unsigned i, unsigned j) const
    {
        if (i >= nbLigne || j >= nbColonne) return 0;
        return (int)((matrice[i][j >> 6] >> (j & 63)) & 1);
    }
    unsigned getNbLigne() const { return nbLigne; }
    unsigned getNbColonne() const { return nbColonne; }

    // One line per row, the bits as 0/1 characters.
    void aff() const;
};
