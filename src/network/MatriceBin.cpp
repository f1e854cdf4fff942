#include "network/MatriceBin.h"

#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>

MatriceBin::MatriceBin(unsigned l, unsigned c) : matrice(nullptr), size((int)(c / 64 + 1)), nbLigne(l), nbColonne(c)
{
    uint64_t words = (uint64_t)l * (uint64_t)size;
    if (words > maxBits / 64)
        throw std::runtime_error("binary relation too large for a bit matrix (" + std::to_string(l) + " x " +
                                 std::to_string(c) + ")");
    matrice = new uint64_t*[l ? l : 1];
    uint64_t* block = new uint64_t[words ? words : 1];
    std::memset(block, 0, (words ? words : 1) * sizeof(uint64_t));
    for (unsigned i = 0; i < l; i++) matrice[i] = block + (uint64_t)i * size;
}

void MatriceBin::aff() const
{
    for (unsigned i = 0; i < nbLigne; i++)
    {
        std::string row;
        row.reserve(nbColonne);
        for (unsigned j = 0; j < nbColonne; j++) row += get(i, j) ? '1' : '0';
        std::cout << row << "\n";
    }
}
