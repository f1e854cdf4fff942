#pragma once

#include <string>
#include <vector>

#include "localsearch/LocalSearchTools.h"
#include "localsearch/Metaheuristic.h"
#include "search/Solver.h"

// Local search interleaved with the arc-consistency engine: when the local
// search stagnates, variables of falsified constraints are fixed in the
// engine at their current values (propagation keeps the local-search
// counters in step), conflicts are backtracked, and engine restarts branch
// first on variables found on the boundary of the falsified constraints.
// The local search then goes on from the repaired interpretation.
class HybridSolver : public Solver {
 public:
  int nbValeurProp;
  InfoValueVar** tabTmp;
  int nullFlip;
  int nbAleaFinal;
  int seed;
  int numflip;
  int numtry;
  std::string method;
  LocalSearchTools* lsTools;
  Metaheuristic* metaheuristic;
  int nbFlipBeforeRestartRL;          // flips left before the next local-search restart
  std::vector<Variable*> stack;       // variables fixed or decided in the engine
  int conflict;                       // conflicts since the last engine restart
  int born;                           // conflict limit of the engine run
  int run;                            // engine run, from 1
  int lastNumFlipRestart;             // stagnation credit
  int initNumFlip;
  int boundLev;
  bool boundariePropagate, boundary;
  bool maxSatWithLocalSearch;
  int bumpFindEdgeVariable;
  int bumpFindMaxSat;

  HybridSolver(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD, int sr,
               std::string meth);

  // 1 (solution: the current values) or 2 (unsatisfiable).
  int search(bool verb) override;
  void showFinal(int res) override;
  void print_statistics_header();

  // Decides v = its value at position pos and propagates; on conflicts
  // backtracks.  3: repaired interpretation, 4: nothing to repair, 1:
  // solution, 2: unsatisfiable.
  int fixe(Variable* v, int pos);
  // Engine run with restarts that prefers boundary variables at the root;
  // 4 when it hands a repaired interpretation back, 1 or 2 when it decided.
  int fixeBoundarie();
  Variable* pickVariable();
  Variable* pickVariableBoundarie();
  Variable* pickVariableFalseConstraint();

 private:
  Variable* lastRefuted;

  void randomInterpretation();
  void printLine();
  // Local-search restart; true when the current interpretation is a solution.
  bool restartLS();
  // Entered when the stagnation credit runs out: 1 or 2 when decided, 0
  // to go on with the local search.
  int enginePhase();
  void repair(bool backtrack);
  int engineRestart();
  void refute(Variable* x);
  void addCredit(long long n);
  // (sum of score / scoreRL of x's constraints with two unfixed variables) / sizeDom
  double weightOf(Variable* x) const;
};
