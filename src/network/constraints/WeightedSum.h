#pragma once

#include <string>
#include <vector>

#include "network/constraints/Constraint.h"

// Linear sum of the scope variables compared with a constant.  The operator
// is normalised at initialisation to one of: 1 (sum <= leftPart),
// 5 (sum == leftPart), 6 (sum != leftPart); 0 stands for an unrecognised
// operator and is treated like 6.
//
// Sums are computed in 128-bit arithmetic and the coefficients and the
// constant are kept in 64 bits, so no combination of int coefficients and
// int values can overflow.
class WeightedSum : public Constraint {
 public:
  __extension__ typedef __int128 SumType;

  long long* coeff;        // coefficients, strictly positive ones first
  Variable** vars;         // the variables, in the order of coeff
  unsigned nbPlus;         // number of strictly positive coefficients
  unsigned nbVars;         // length of coeff and vars
  unsigned op;             // normalised operator code (1, 5, 6, or 0)
  long long leftPart;      // the constant after normalisation
  unsigned* mapCoeffVar;   // scope position -> index in vars / coeff
  int* posInScope;         // index in vars -> first scope position of that variable

  WeightedSum(const std::string& name, Variable** scope, int arity, int id);

  // c[i] * v[i] summed and compared by o (1 <=, 2 <, 3 >=, 4 >, 5 =, 6 !=)
  // with lPart.  A variable listed several times gets the sum of its
  // coefficients.  Throws std::runtime_error when a variable of the sum is
  // not in the scope.
  void initWeightedSum(const std::vector<int>& c, const std::vector<Variable*>& v, int o, int lPart);

  bool tupleExist(int* tuple) override;
  void switched(int pos) override;
  bool revise(Variable* v, int pos) override;
  bool softRevise(Variable* v, int pos) override;
  bool projection(std::vector<unsigned>& out) override;
  Variable* giveAleaVariable() override;
  int giveAleatNumber() override;

  unsigned getOp() const { return op; }
  long long getLeftPart() const { return leftPart; }
  unsigned getNbPlus() const { return nbPlus; }
  unsigned getNbVars() const { return nbVars; }

 private:
  // Whether a sum satisfies the normalised comparison.
  bool accepts(SumType s) const {
    if (op == 1) return s <= leftPart;
    if (op == 5) return s == leftPart;
    return s != leftPart;
  }
  // Bounds of sum_{j != k} coeff[j] * vars[j] over the live values; false
  // when some other variable has an empty domain.
  bool restBounds(unsigned k, SumType& minRest, SumType& maxRest) const;
  // Sum of coeff[j] * value over j != k when all those variables are fixed;
  // false otherwise.
  bool fixedRest(unsigned k, SumType& rest) const;
};
