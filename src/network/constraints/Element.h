#pragma once

#include <string>
#include <vector>

#include "network/constraints/Constraint.h"

// One entry of an element constraint: an integer constant or a variable,
// told apart by the constraint's isVar flags.
union valOrvar {
  int val;
  Variable* var;
};

// The list entry selected by an index equals a value.  Entries: 0 the index,
// 1..n the list (indexed from 1), n + 1 the value; each a variable or a
// constant.
class Element : public Constraint {
 public:
  int nbElt;                // n + 2
  bool* isVar;              // entry is a variable
  int* mapVar;              // scope position of a variable entry, -1 for a constant
  int* tmpValue;            // scratch values; constant entries stored once
  valOrvar* tabValOrVars;   // the entries

  Element(const std::string& name, Variable** scope, int arity, int id);

  // Takes ownership of both arrays (nbE entries each).  Throws
  // std::runtime_error when a variable entry is not in the scope.
  void initElement(int nbE, bool* isV, valOrvar* tValVars);

  bool tupleExist(int* tuple) override;
  void switched(int pos) override;
  bool revise(Variable* v, int pos) override;
  // Never reports a violation.
  bool softRevise(Variable* v, int pos) override;
  Variable* giveAleaVariable() override;
  int giveAleatNumber() override;

  int getNbList() const { return nbElt - 2; }

 private:
  // Stamps the values entry e can take (its live values or its constant).
  void stampEntry(int e) const;
  // Whether entry e can take a stamped value.
  bool entryMeetsStamp(int e) const;
  // Keeps only the stamped live values of v; true when some were removed.
  bool keepStamped(Variable* v) const;
  bool reviseConstantIndex(Variable* v);
};
