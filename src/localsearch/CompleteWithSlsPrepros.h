#pragma once

#include <string>
#include <vector>

#include "localsearch/SolverRL.h"

// Local search for a fixed processor-time budget, then, without a solution,
// a complete MAC search with restarts on the same engine.
class CompleteWithSlsPrepros : public SolverRL {
 public:
  bool useValue;   // stored only
  int timeLimit;   // processor second at which the local search ends

  CompleteWithSlsPrepros(std::vector<Constraint*> c, std::vector<Variable*> v, int ma, int md, int sr,
                         int t, std::string meth, bool uv);

  // 1 (solution: the current values) or 2 (unsatisfiable).
  int search(bool verb) override;
  int completeSearch();
  // dom/wdeg over the variables with more than one value.
  Variable* pickVariable();

 private:
  std::vector<Variable*> stack;
};
