#pragma once

#include <string>

#include "network/MatriceBin.h"
#include "network/relations/RelationExt.h"

// Binary relation as a bit matrix.  Row r and column c stand for the
// values offRow + r and offCol + c; the offsets are 0 unless the relation
// was built over a value window, which keeps matrices of large values small
// while giving the same answers.
class RelationExtBin : public RelationExt
{
public:
    // Own copy of the semantic, read by every operation of this class
    // (the inherited one holds the same value).
    bool semanticConflicts;
    MatriceBin* m;
    std::string name;
    int nbLigne, nbColonne;
    int offRow, offCol;

    // Largest matrix (in bits) that canBeMatrix accepts.
    static const long long maxMatrixBits = (long long)1 << 27;

    RelationExtBin(int nbL, int nbC, bool semantic);
    // A matrix of nbL + 1 rows and nbC + 1 columns over values from 0.
    RelationExtBin(const std::string& name, int nbL, int nbC, bool semantic);
    // A matrix over the values minFirst..maxFirst and minSecond..maxSecond
    // (plus one spare row and column, as above).
    RelationExtBin(const std::string& name, int minFirst, int maxFirst, int minSecond, int maxSecond,
                   bool semantic);

    // Whether a binary relation whose tuples have first values in
    // [minFirst, maxFirst] and second values in [minSecond, maxSecond] may be
    // stored as a bit matrix (with the windowed constructor above) within
    // maxMatrixBits; if not, store it as an n-ary relation instead.
    static bool canBeMatrix(int minFirst, int maxFirst, int minSecond, int maxSecond);
    // Whether the matrix of the 0-based constructor (rows 0..maxFirst+1,
    // columns 0..maxSecond+1) fits within maxMatrixBits.
    static bool canBeZeroBasedMatrix(int maxFirst, int maxSecond);

    void addTuple(int* t) override
    {
        m->add((unsigned)((long long)t[0] - offRow), (unsigned)((long long)t[1] - offCol));
    }
    bool isTuple(int* t) override
    {
        // Differences are taken in 64 bits: a negative one reads as a huge
        // unsigned number, so it can never fall back inside the matrix.
        unsigned long long r = (unsigned long long)((long long)t[0] - offRow);
        unsigned long long c = (unsigned long long)((long long)t[1] - offCol);
        if (r < m->nbLigne && c < m->nbColonne) return m->get((unsigned)r, (unsigned)c) != (int)semanticConflicts;
        return semanticConflicts;
    }
    int state(int pos, int val) override
    {
        long long d = (long long)val - (pos == 0 ? offRow : offCol);
        if ((pos == 0 && d > nbLigne) || (pos == 1 && d > nbColonne)) return semanticConflicts ? 1 : 2;
        return 3;
    }
    std::string getName() override { return name; }
    void aff() override;

    MatriceBin* getMatrice() const { return m; }
};
