#pragma once
// Partial Max-CSP solver: depth-first search with arc consistency over the
// hard constraints; at every complete assignment of the hard part, a local
// search over the soft constraints for a quick upper bound, then a
// branch-and-bound over the soft part that counts the soft constraints
// violated under the partial assignment.  The score is the number of
// violated soft constraints; lower is better.

#include <string>
#include <vector>

#include "localsearch/LocalSearchTools.h"
#include "localsearch/Metaheuristic.h"
#include "propagation/ListPropagate.h"
#include "search/Solver.h"

class PartialMaxCSP : public Solver {
 public:
  int nbValeurProp;
  InfoValueVar** tabTmp;
  int nullFlip;
  int nbAleaFinal;
  int seed;
  int numflip;
  int numtry;
  int nbFlipBeforeRestartRL;
  std::string method;
  LocalSearchTools* lsTools;
  Metaheuristic* metaheuristic;
  std::vector<Variable*> stack;  // decided variables, one per open level
  int conflict;                  // backtracks of the soft branch-and-bound
  int run;
  int lastNumFlipRestart;
  int cutoff;                    // flip budget of each local search
  int boundLev;
  bool boundariePropagate, maxSatWithLocalSearch, boundary;
  int nbDecision;
  int decisionLevel;
  int nbChecks;
  int* tuple;
  ListPropagate* lPropagate;
  std::vector<Constraint*> vecSoftConstraint;
  std::vector<int> bestInterpretation;  // one value per variable of vecVar
  std::vector<int> stackCurrentNbFalse;
  int currentNbFalse;
  int scoreOfBestInterpretation;
  // Soft constraints known violated under the current partial assignment,
  // each with its blocked flag set.
  std::vector<Constraint*> falseUnderPartialInterpretation;
  std::vector<int> saveSizeLevelFalseConstraint;

  // c: the soft constraints; cs: the hard ones.
  PartialMaxCSP(std::vector<Constraint*> c, std::vector<Constraint*> cs, std::vector<Variable*> v,
                int maxA, int maxD, int sr, std::string meth);

  // 1 when the best score is known optimal (or 0), 2 when the hard part
  // has no solution.
  int search(bool verb) override;
  // The report; always ends the process with status 0.
  void showFinal(int res) override;

  Variable* pickVariable(bool soft);
  bool propagate();
  int assignHardPart();
  void assignNewVariableInSoftPart();
  bool recupNewSoftFalseConstraint(Variable* v);
  void print_statistics_header();

  // Number of soft constraints that the values at position 0 (the chosen
  // value when useCurrent is false) or the local-search values violate.
  int countViolated(bool useCurrent);

 private:
  void openLevel(Variable* x);
  // Closes the last level and refutes its decision; returns the variable.
  Variable* closeLevel();
  void pushNeighbours(Variable* x);
  // Records the interpretation as the best one when its exact score is
  // lower than the best so far.
  void recordIfBetter(bool useCurrent);

  bool leafFound = false;       // some complete assignment of the hard part was met
  bool leafExhausted = false;   // the soft part below the current hard leaf is explored
  std::vector<int> scratchTuple;
};
