#pragma once

#include <cstdint>
#include <string>

#include "network/InfoValueVar.h"
#include "network/constraints/BinarySupportTable.h"
#include "network/constraints/Constraint.h"

// Binary constraint in extension over any relation answering isTuple on
// pairs (in practice a bit matrix).  Revision keeps a residual support per
// value: a value whose last support is still live costs no check.
//
// For speed the relation is also read, on the first revision, into two
// support tables indexed by declared value indices (one row per value of a
// position, one bit per value of the other position) plus the relation's
// per-value verdicts; the tables answer exactly like the relation, so the
// checks counted are the same.  Constraints whose tables would be too large
// read the relation directly.
class ConstraintExtBin : public Constraint {
 public:
  InfoValueVar** lastSupport[2];  // [pos][prop]: residual support in the other variable

  static InfoValueVar magicInfo;  // sentinel support: never live
  static int tuple[2];            // scratch pair of switched

  ConstraintExtBin(const std::string& name, Variable** scope, Relation* relation, int arity, int id);

  bool tupleExist(int* t) override;
  bool candidateForRevise() override { return true; }
  bool revise(Variable* v, int pos) override;
  bool softRevise(Variable* v, int pos) override;
  bool initTabConflit() override;
  void switched(int pos) override;
  Variable* giveAleaVariable() override;
  int giveAleatNumber() override;

 private:
  // Support tables and verdict[pos][k] = state(pos, value of index k).
  bool tablesTried;
  BinarySupportTable sup;
  unsigned char* verdict[2];

  void buildTables();
  // Verdict of the relation on value record a of position pos (1, 2 or 3).
  inline int stateOf(int pos, InfoValueVar* a);
  // First live value of the other variable supporting a (counting checks),
  // or null.
  inline InfoValueVar* seekSupport(int pos, InfoValueVar* a, Variable* w, int S);
};
