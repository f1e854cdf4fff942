#include "localsearch/RestoreCoherenceLS.h"

RestoreCoherenceLS::RestoreCoherenceLS(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA,
                                       int maxD, std::string lsMethod)
    : SolverWithLS(c, v, maxA, maxD, lsMethod) {
  s = new CompleteSolver(c, v, maxA, maxD);
  cspAC = s->getLocalConsistancyAC();
}

int RestoreCoherenceLS::search(bool) {
  acoMSS.clear();
  if (s->restartAndsolve() == 1) return 1;
  approximationCoMSS(10000, acoMSS);
  return 2;
}

void RestoreCoherenceLS::showFinal(int res) { showCoMSS(res, acoMSS); }
