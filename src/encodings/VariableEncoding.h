#pragma once

#include <map>
#include <vector>

class Variable;

// Propositional view of one CSP variable: for each domain value, the
// literals whose conjunction says that the variable takes it, and the
// clauses that exclude the codes standing for no value.  Propositions are
// numbered from the class-wide counter currentProp, never reset.
class VariableEncoding {
 public:
  VariableEncoding() : nbVarProp(0) {}

  // Copy of the literal list of value; a value outside the domain gets an
  // empty entry and an empty list.
  virtual std::vector<int> getVarProp(int value) { return dom[value]; }

  std::vector<std::vector<int>>& getProhibitedValues() { return prohibitedValues; }
  int getNbVarProp() const { return nbVarProp; }
  static int getCurrentProp() { return currentProp; }
  static void setCurrentProp(int p) { currentProp = p; }

  // Literal list of the value with declared index k (the same list as
  // getVarProp of its value, without a map look-up or a copy).
  const std::vector<int>& literalsOfProp(int k) const { return byProp[k]; }

  static int currentProp;

 protected:
  // Records the literal list of the value record with declared index k.
  void setLiterals(Variable* v, int k, const std::vector<int>& lits);

  int nbVarProp;
  std::map<int, std::vector<int>> dom;
  std::vector<std::vector<int>> prohibitedValues;
  std::vector<std::vector<int>> byProp;
};

// One proposition per value, in domain order.
class VariableDirectEncoding : public VariableEncoding {
 public:
  explicit VariableDirectEncoding(Variable* v);
};
