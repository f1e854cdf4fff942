#pragma once

#include <string>

// A set of tuples that constraints refer to by name.
// type: 1 n-ary extension (and its decomposition), 2 binary bit matrix,
// 3 predicate.
class Relation
{
public:
    int type;

    Relation() : type(0) {}

    int getType() const { return type; }

    // Whether the tuple of values t (in the relation's order) is allowed.
    virtual bool isTuple(int* t) = 0;
    virtual void aff() = 0;
    virtual std::string getName() = 0;
    // Verdict on every tuple with value val at position pos:
    // 1 all allowed, 2 none allowed, 3 unknown (search needed).
    virtual int state(int pos, int val) = 0;
};
