#pragma once

#include <string>
#include <vector>

#include "localsearch/LocalSearchTools.h"
#include "localsearch/Metaheuristic.h"
#include "search/Solver.h"

// Stochastic local search with tries restarted on a Luby sequence of flip
// budgets (100000 flips per unit).  Incomplete: it proves unsatisfiability
// only when the initial propagation wipes out a domain.
class SolverRL : public Solver {
 public:
  int nbValeurProp;
  InfoValueVar** tabTmp;
  int nullFlip;
  int nbAleaFinal;
  int seed;
  int numflip;      // flips of the current try
  int numtry;       // current try, from 1
  std::string method;
  LocalSearchTools* lsTools;
  Metaheuristic* metaheuristic;

  SolverRL(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD, int sr,
           std::string meth);

  // 1 when a solution was found, 2 when the initial propagation proves the
  // network inconsistent; otherwise runs until interrupted.
  int search(bool verb) override;
  void showFinal(int res) override;
  void print_statistics_header();
  // Statistics line of the current try.
  void showInter();

 protected:
  // A fresh random interpretation for a new try.
  void startTry();
};
