#pragma once
// Classifies every combination of values of some network variables as
// extending to a solution (true) or not (false), and writes a random sample
// of both kinds as a preempted-constraint file on standard output.

#include <vector>

#include "search/CompleteSolver.h"

class GenConfigWrtVars : public CompleteSolver {
 public:
  int ratioTrue;   // percentage of the true tuples written
  int ratioFalse;  // percentage of the false tuples written
  std::vector<Variable*> vars;
  std::vector<std::vector<int>> trueTuples;
  std::vector<std::vector<int>> falseTuples;

  GenConfigWrtVars(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
                   std::vector<Variable*> vc, int rT, int rF);

  // Enumerates and classifies every combination; returns 1.
  int search(bool verb) override;
  // Samples and writes the constraint; does not end the process.
  void showFinal(int res) override;

  void generateAllConfiguration(std::vector<Variable*> v);
  // Lexicographic enumeration, the first variable varying slowest.
  void generateAllConfigurationAcc(const std::vector<Variable*>& v,
                                   const std::vector<std::vector<int>>& values,
                                   std::vector<int>& current);

 private:
  // Whether the complete combination `current` extends to a solution.
  bool classify(const std::vector<Variable*>& v, const std::vector<int>& current);
};
