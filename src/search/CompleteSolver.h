#pragma once

#include <vector>

#include "search/Solver.h"

// Complete solver: maintaining arc consistency with binary branching,
// dom/wdeg variable choice, first live value, and geometric restarts
// (10 conflicts, then x1.5).  restartAndsolve is the satisfiability oracle
// of the core and subset modes.
class CompleteSolver : public Solver {
 public:
  CompleteSolver(const std::vector<Constraint*>& vecC, const std::vector<Variable*>& vecV, int maxA,
                 int maxD);

  // Solves the whole network once from the current domains: 1 satisfiable
  // (each variable's solution value at position 0, sizes 1), 2 unsatisfiable.
  int search(bool verb) override;
  // Resets every variable to its committed size and solves the current
  // network silently: 1 satisfiable, 2 unsatisfiable.  On 1 the engine is
  // back at level 0 and the solution is each variable's value at position 0.
  int restartAndsolve();
  // dom/wdeg: among the unassigned variables of the problem, the one
  // maximising the summed scores of its constraints that still have two
  // unassigned variables, divided by its size (ties keep the earlier one);
  // null when none is left.
  Variable* pickVariable();
  // Final report; ends the process with 10, 20 or 30 for res 1, 2, 3.
  void showFinal(int res) override;

  // Classifies each tuple of values for vars as consistent or not with the
  // network, then fills res with (t,t) for each consistent t, and (f,t) for
  // each inconsistent f and consistent t, in input order.
  void relaxAndPreserveAddVariable(std::vector<Variable*>& vars,
                                   std::vector<std::vector<int>>& tuples,
                                   std::vector<std::vector<int>>& res);

  int getNbCallMac() const { return nbCallMAC; }
  void reinitLocalConsistancy() { cspAC->reinitLocalConsistancy(); }

  int nbCallMAC;
  int conflict;
  int born;

 protected:
  // The MAC loop shared by search and restartAndsolve: propagate, and on a
  // wipe-out either restart (past `born` conflicts, deeper than level 1) or
  // refute the last decision; otherwise branch on pickVariable's choice.
  // lapAtRestart reads the lap timer at each restart, verb prints one row
  // per restart.  Returns 1 (solution, every size 1) or 2.
  int macLoop(bool verb, bool lapAtRestart);

  // Decision stack, kept between calls so that its storage is reused.
  std::vector<Variable*> stackDecision;
};
