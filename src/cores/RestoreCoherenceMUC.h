#pragma once

#include <vector>

#include "cores/ExtractMUC.h"
#include "search/Solver.h"

// Makes an unsatisfiable network satisfiable by removing one constraint,
// drawn at random, from each minimal unsatisfiable core in turn.
class RestoreCoherenceMUC : public Solver {
 public:
  RestoreCoherenceMUC(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD);

  // 1 once the remaining network is satisfiable.
  int search(bool verb) override;
  // Reports the removed constraints; ends the process with status 20.
  void showFinal(int res) override;
  void showHeader();
  void showInter();

  int nbRun;
  ExtractMUC* mucExtract;
  std::vector<Constraint*> toRestore;
};
