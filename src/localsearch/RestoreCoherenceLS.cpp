#include "localsearch/RestoreCoherenceLS.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

RestoreCoherenceLS::RestoreCoherenceLS(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA,
                                       int maxD, std::string lsMethod)
    : SolverWithLS(c, v, maxA, maxD, lsMethod), unsatProven(false) {
  s = new CompleteSolver(c, v, maxA, maxD);
  cspAC = s->getLocalConsistancyAC();
}

int RestoreCoherenceLS::search(bool) {
  acoMSS.clear();
  if (s->restartAndsolve() == 1) return 1;
  unsatProven = true;
  approximationCoMSS(10000, acoMSS);
  return 2;
}

void RestoreCoherenceLS::showFinal(int res) {
  if (res == 3 && !unsatProven) {
    // Interrupted before the oracle answered: nothing is known.
    std::cout << "c " << std::endl;
    std::cout << "c times = " << tpsElapsed() << std::endl;
    std::cout << "s UNKNOWN" << std::endl;
    fflush(stdout);
    _exit(30);
  }
  showCoMSS(res, acoMSS);
}
