#pragma once

#include <string>
#include <vector>

#include "network/TableauBit.h"
#include "network/relations/MDD.h"
#include "network/relations/RelationExt.h"

// N-ary relation in extension, stored as arity tries: trie j holds every
// tuple rotated left by j positions, so that position j is its first level.
// Tuples added are buffered and the tries built (sorted) by sortTabTuple;
// queries made before it build them first.
class RelationExtN : public RelationExt
{
public:
    MDD* treeMDD;
    int nbTuple;
    std::string name;
    int arity;
    Node* nodeTabTmp;
    int szNodeTabTmp;
    int* minVal;
    int* maxVal;

    // Tuples added since the tries were last built, one after another.
    std::vector<int> pending;

    // Scratch bit tables of live values, one per position (bit value -
    // minValDom of the variable), for the revision of n-ary constraints.
    static TableauBit* bigTable;
    static int sizeBigTable;

    RelationExtN(const std::string& name, int arity, bool semantic);

    void addTuple(int* t) override;
    void sortTabTuple();
    bool isTuple(int* t) override;
    int state(int, int) override { return 3; }
    std::string getName() override { return name; }
    void aff() override;
    void affMDD(int i);

    // bigTable: maxArity tables of Variable::largestInter bits, all clear.
    // Tables over a huge range take memory only where bits are written.
    static void initBigTable(int maxArity);

    int getArity() const { return arity; }
    int getMinValPos(int pos) const { return minVal[pos]; }
    int getMaxValPos(int pos) const { return maxVal[pos]; }
    MDD& getMDDToInd(int j)
    {
        if (!pending.empty()) sortTabTuple();
        return treeMDD[j];
    }
    // Number of distinct tuples.
    int getNbTuples()
    {
        if (!pending.empty()) sortTabTuple();
        return arity ? treeMDD[0].sumSon : 0;
    }
};
