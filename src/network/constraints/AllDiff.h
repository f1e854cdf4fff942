#pragma once

#include <string>
#include <vector>

#include "network/constraints/Constraint.h"

// All scope variables take pairwise different values.  Revision removes the
// values of fixed variables and detects, by counting the distinct values
// still available, a scope that cannot be covered (pigeonhole).
class AllDiff : public Constraint {
 public:
  AllDiff(const std::string& name, Variable** scope, int arity, int id);

  bool tupleExist(int* tuple) override;
  void switched(int pos) override;
  bool revise(Variable* v, int pos) override;
  bool softRevise(Variable* v, int pos) override;
  // Binary decomposition: every pair of positions, equal values are conflicts.
  void computeTableRelation(std::vector<std::vector<int>>& table, bool& type) override;
  bool projection(std::vector<unsigned>& out) override;
  Variable* giveAleaVariable() override;
  int giveAleatNumber() override;

 private:
  int* sortedCur;  // scratch for switched: the current values, sorted
};
