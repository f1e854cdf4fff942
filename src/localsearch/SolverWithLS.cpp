#include "localsearch/SolverWithLS.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

SolverWithLS::SolverWithLS(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
                           std::string methodLS) {
  vecCont = c;
  vecVar = v;
  maxArity = maxA;
  maxDom = maxD;
  infoSys = new InfoSystem();
  srandom(0);
  lsTools = new LocalSearchTools(vecCont, vecVar, maxA);
  metaheuristic = Metaheuristic::createOrExit(methodLS, lsTools, maxA * maxD, "Unknown Metaheuristic");
  lsTools->initScoreRL();
}

void SolverWithLS::removeConstraint(Constraint* c, bool) {
  if (cspAC) cspAC->removeConstraint(c);
  for (size_t i = 0; i < vecCont.size(); i++)
    if (vecCont[i] == c) {
      vecCont[i] = vecCont.back();
      vecCont.pop_back();
      break;
    }
  for (int i = c->arity - 1; i >= 0; i--) c->scope[i]->delContraint(c);
  lsTools->removeConstraint(c);
}

void SolverWithLS::addConstraint(Constraint* c) {
  if (cspAC) cspAC->addConstraint(c);
  vecCont.push_back(c);
  for (int i = 0; i < c->arity; i++) c->scope[i]->addConstraint(c, i);
  lsTools->addConstraint(c);
}

void SolverWithLS::approximationCoMSS(int maxFlips, std::vector<Constraint*>& aCoMSS) {
  for (Variable* x : vecVar) x->reinitVariable();
  metaheuristic->setNbAleaTry(0);
  LocalSearchTools* ls = lsTools;
  ls->initCurrent();
  ls->initDiff();
  ls->initChanged();

  int best = ls->numFalse;
  aCoMSS.assign(ls->falseCont, ls->falseCont + ls->numFalse);
  if (maxFlips < 1) return;
  for (int f = 0;;) {
    if (ls->numFalse < 2) return;
    coupleFlip m = metaheuristic->nextChoice();
    ls->flips(m.v, m.p, f);
    ls->update_statistics_end_flip();
    if (++f >= maxFlips) return;
    if (ls->numFalse < best) {
      best = ls->numFalse;
      aCoMSS.assign(ls->falseCont, ls->falseCont + ls->numFalse);
      if (best == 0) return;
    }
  }
}

void SolverWithLS::showCoMSS(int res, std::vector<Constraint*>& result) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGALRM);
  sigprocmask(SIG_BLOCK, &set, nullptr);

  std::cout << "c " << std::endl;
  std::cout << "c times = " << tpsElapsed() << std::endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) std::cout << "c Memory used           : " << mem / 1048576 << "Mb" << std::endl;
  if (res == 1) {
    std::cout << "s SATISFIABLE" << std::endl;
    exit(10);
  }
  std::vector<Constraint*> sorted(result);
  std::sort(sorted.begin(), sorted.end(),
            [](const Constraint* a, const Constraint* b) { return a->idCont < b->idCont; });
  std::cout << "c Number of constraint: " << sorted.size() << std::endl;
  std::cout << "s UNSATISFIABLE" << std::endl;
  std::cout << "v ";
  for (Constraint* c : sorted) std::cout << c->name << " ";
  std::cout << std::endl;
  fflush(stdout);
  // An interrupt lands here from its handler: leave without exit handlers.
  if (res == 3) _exit(20);
  exit(20);
}
