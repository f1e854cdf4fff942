#pragma once

#include <string>
#include <vector>

#include "localsearch/SolverWithLS.h"
#include "search/CompleteSolver.h"

// coMSS extraction: a set of constraints whose removal leaves a satisfiable
// network while putting back any one of them makes it unsatisfiable again.
// Both extractors start from the approximate set of a short local search and
// make it exact with the complete oracle, which shares this object's engine
// so that removals and additions are what the oracle sees.
class CoMSSConstructive : public SolverWithLS {
 public:
  CoMSSConstructive(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
                    std::string lsMethod);
  // 1 when the network is satisfiable; 2 with coMSS filled.  Puts the
  // approximate set back one constraint at a time, keeping each one that
  // leaves the problem satisfiable.
  int search(bool verb) override;
  void showFinal(int res) override { showCoMSS(res, coMSS); }

  CompleteSolver* s;
  std::vector<Constraint*> coMSS;
};

class CoMSSDestructive : public SolverWithLS {
 public:
  CoMSSDestructive(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
                   std::string lsMethod);
  // 1 when the network is satisfiable; 2 with coMSS filled.  Removes the
  // approximate set one constraint at a time from its back; the constraint
  // whose removal makes the problem satisfiable joins the result.
  int search(bool verb) override;
  void showFinal(int res) override { showCoMSS(res, coMSS); }

  CompleteSolver* s;
  std::vector<Constraint*> coMSS;
};
