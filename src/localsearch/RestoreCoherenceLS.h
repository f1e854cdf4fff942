#pragma once

#include <string>
#include <vector>

#include "localsearch/SolverWithLS.h"
#include "search/CompleteSolver.h"

// Reports, for an unsatisfiable network, a small set of constraints whose
// removal restores satisfiability, found by a short local search.
class RestoreCoherenceLS : public SolverWithLS {
 public:
  CompleteSolver* s;                 // the oracle; its engine is shared
  std::vector<Constraint*> acoMSS;   // the constraints to drop
  bool unsatProven;                  // the oracle has answered unsatisfiable

  RestoreCoherenceLS(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
                     std::string lsMethod);

  // 1 when the network is satisfiable, else 2 with acoMSS filled.
  int search(bool verb) override;
  void showFinal(int res) override;
};
