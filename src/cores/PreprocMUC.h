#pragma once

#include <vector>

#include "search/CompleteSolver.h"

// Shrinks the constraint set before a core extraction: solve, then drop the
// constraints that removed no value during the refutation.
class PreprocMUC {
 public:
  PreprocMUC(CompleteSolver* s, std::vector<Constraint*>& vecCont) : s(s), vecCont(vecCont) {}

  // Repeats the solve while each run leaves strictly more constraints
  // inactive than every earlier run, then drops those of the last run.
  // 1 when a run found the network satisfiable, otherwise 2.
  int wcorePreproc(int& nbCallMAC, int& removedNotActive);
  // Solves and drops the inactive constraints until a run leaves none.
  int wcorePreprocPlus(int& nbCallMAC, int& removedNotActive);

  CompleteSolver* s;
  std::vector<Constraint*>& vecCont;
};
