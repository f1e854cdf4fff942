#include "network/relations/RelationExtNDec.h"

#include <iostream>

#include "network/relations/RelationExtN.h"

RelationExtNDec::RelationExtNDec(const std::string& n, int ar, bool semantic, const std::vector<int*>& tuples)
    : name(n), arity(ar), tabBinDec(new RelationExt*[ar > 0 ? ar : 1]), numTuple((int)tuples.size())
{
    type = 1;
    semanticConflicts = semantic;
    for (int i = 0; i < arity; i++) tabBinDec[i] = new RelationExtN(name + "-" + std::to_string(i), 2, semantic);
    int pair[2];
    for (size_t k = 0; k < tuples.size(); k++)
        for (int j = 0; j < arity; j++)
        {
            pair[0] = tuples[k][j];
            pair[1] = (int)k;
            tabBinDec[j]->addTuple(pair);
        }
    for (int i = 0; i < arity; i++) static_cast<RelationExtN*>(tabBinDec[i])->sortTabTuple();
}

void RelationExtNDec::aff()
{
    for (int i = 0; i < arity; i++) tabBinDec[i]->aff();
}
