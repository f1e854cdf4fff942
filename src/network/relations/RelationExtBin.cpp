#include "network/relations/RelationExtBin.h"

#include <iostream>
#include <stdexcept>

RelationExtBin::RelationExtBin(int nbL, int nbC, bool semantic)
    : semanticConflicts(semantic), m(new MatriceBin((unsigned)nbL, (unsigned)nbC)), nbLigne(nbL), nbColonne(nbC),
      offRow(0), offCol(0)
{
    type = 2;
    RelationExt::semanticConflicts = semantic;
}

RelationExtBin::RelationExtBin(const std::string& n, int nbL, int nbC, bool semantic)
    : semanticConflicts(semantic), m(new MatriceBin((unsigned)nbL + 1, (unsigned)nbC + 1)), name(n), nbLigne(nbL),
      nbColonne(nbC), offRow(0), offCol(0)
{
    type = 2;
    RelationExt::semanticConflicts = semantic;
}

RelationExtBin::RelationExtBin(const std::string& n, int minFirst, int maxFirst, int minSecond, int maxSecond,
                               bool semantic)
    : semanticConflicts(semantic), m(nullptr), name(n), nbLigne((int)((long long)maxFirst - minFirst + 1)),
      nbColonne((int)((long long)maxSecond - minSecond + 1)), offRow(minFirst), offCol(minSecond)
{
    type = 2;
    RelationExt::semanticConflicts = semantic;
    if ((long long)maxFirst - minFirst + 1 > 2147483646LL || (long long)maxSecond - minSecond + 1 > 2147483646LL)
        throw std::runtime_error("binary relation " + n + ": value range too large for a bit matrix");
    if (maxFirst < minFirst || maxSecond < minSecond)
    {
        // No tuples: the same matrix as the 0-based one over no tuples.
        nbLigne = nbColonne = 1;
        offRow = offCol = 0;
    }
    m = new MatriceBin((unsigned)nbLigne + 1, (unsigned)nbColonne + 1);
}

bool RelationExtBin::canBeMatrix(int minFirst, int maxFirst, int minSecond, int maxSecond)
{
    if (maxFirst < minFirst || maxSecond < minSecond) return true;   // no tuples: a 1 x 1 matrix
    long long rows = (long long)maxFirst - minFirst + 2;
    long long cols = (long long)maxSecond - minSecond + 2;
    long long words = cols / 64 + 1;
    if (rows > maxMatrixBits || words * 64 > maxMatrixBits) return false;
    return rows * words * 64 <= maxMatrixBits;
}

bool RelationExtBin::canBeZeroBasedMatrix(int maxFirst, int maxSecond)
{
    if (maxFirst < 0 || maxSecond < 0) return false;
    return canBeMatrix(0, maxFirst, 0, maxSecond);
}

void RelationExtBin::aff()
{
    std::cout << "Semantic = " << (semanticConflicts ? 1 : 0) << "\n";
    m->aff();
}
