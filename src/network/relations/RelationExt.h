#pragma once

#include "network/relations/Relation.h"

// A relation given by a list of tuples: conflicts (listed tuples are
// forbidden) or supports (only listed tuples are allowed).
class RelationExt : public Relation
{
public:
    bool semanticConflicts;

    RelationExt() : semanticConflicts(false) {}

    bool getSemantic() const { return semanticConflicts; }

    virtual void addTuple(int* t) = 0;
};
