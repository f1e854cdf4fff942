#pragma once

#include <string>
#include <vector>

#include "network/relations/RelationExt.h"

// Decomposition of an n-ary relation into one binary relation per position
// between that position's value and the tuple index: part j holds the pairs
// (value of tuple k at j, k).  Only a container for the builder.
class RelationExtNDec : public RelationExt
{
public:
    std::string name;
    int arity;
    RelationExt** tabBinDec;
    int numTuple;

    RelationExtNDec(const std::string& name, int arity, bool semantic, const std::vector<int*>& tuples);

    bool isTuple(int*) override { return false; }
    void addTuple(int*) override {}
    int state(int, int) override { return 3; }
    std::string getName() override { return name; }
    void aff() override;

    RelationExt** getTabRelation() const { return tabBinDec; }
    int getArity() const { return arity; }
    int getNbTuples() const { return numTuple; }
};
