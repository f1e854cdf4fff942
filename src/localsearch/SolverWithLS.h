#pragma once

#include <string>
#include <vector>

#include "localsearch/LocalSearchTools.h"
#include "localsearch/Metaheuristic.h"
#include "search/Solver.h"

// Base of the modes that need a complete oracle and a local search over the
// same network: keeps the local-search state in step when constraints are
// removed or added, and finds by a short local search a small set of
// constraints whose removal leaves a satisfiable rest.
class SolverWithLS : public Solver {
 public:
  LocalSearchTools* lsTools;
  Metaheuristic* metaheuristic;

  SolverWithLS(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
               std::string methodLS);

  // Always a complete removal: engine, solver list, scope variables' lists
  // and local-search list.
  void removeConstraint(Constraint* c, bool onlyRemoveDataStructure) override;
  void addConstraint(Constraint* c) override;

  // Local search of at most maxFlips flips from the domain heads; aCoMSS
  // receives the falsified set of the first interpretation with the fewest
  // falsified constraints (it stops at one).
  void approximationCoMSS(int maxFlips, std::vector<Constraint*>& aCoMSS);

 protected:
  // The coMSS report on standard output; ends the process (10 or 20).
  void showCoMSS(int res, std::vector<Constraint*>& result);
};
