#include "cores/CoMSS.h"

CoMSSConstructive::CoMSSConstructive(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA,
                                     int maxD, std::string lsMethod)
    : SolverWithLS(c, v, maxA, maxD, lsMethod) {
  s = new CompleteSolver(c, v, maxA, maxD);
  cspAC = s->getLocalConsistancyAC();
}

int CoMSSConstructive::search(bool) {
  coMSS.clear();
  if (s->restartAndsolve() == 1) return 1;
  std::vector<Constraint*> acoMSS;
  approximationCoMSS(10000, acoMSS);
  for (Constraint* c : acoMSS) removeConstraint(c, false);
  for (Constraint* c : acoMSS) {
    addConstraint(c);
    if (s->restartAndsolve() == 2) {
      removeConstraint(c, false);
      coMSS.push_back(c);
    }
  }
  return 2;
}

CoMSSDestructive::CoMSSDestructive(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA,
                                   int maxD, std::string lsMethod)
    : SolverWithLS(c, v, maxA, maxD, lsMethod) {
  s = new CompleteSolver(c, v, maxA, maxD);
  cspAC = s->getLocalConsistancyAC();
}

int CoMSSDestructive::search(bool) {
  coMSS.clear();
  if (s->restartAndsolve() == 1) return 1;
  std::vector<Constraint*> acoMSS, saveConst;
  approximationCoMSS(10000, acoMSS);
  while (!acoMSS.empty()) {
    Constraint* c = acoMSS.back();
    acoMSS.pop_back();
    removeConstraint(c, false);
    if (s->restartAndsolve() == 2) {
      saveConst.push_back(c);
      continue;
    }
    coMSS.push_back(c);
    for (Constraint* d : saveConst) addConstraint(d);
    if (s->restartAndsolve() == 1) break;
    acoMSS.swap(saveConst);
    saveConst.clear();
  }
  return 2;
}
