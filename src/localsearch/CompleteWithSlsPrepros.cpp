#include "localsearch/CompleteWithSlsPrepros.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

CompleteWithSlsPrepros::CompleteWithSlsPrepros(std::vector<Constraint*> c, std::vector<Variable*> v,
                                               int ma, int md, int sr, int t, std::string meth,
                                               bool uv)
    : SolverRL(c, v, ma, md, sr, meth), useValue(uv), timeLimit(0) {
  long long lim = (long long)t + (long long)tpsElapsed();
  timeLimit = lim > INT_MAX ? INT_MAX : (int)lim;
}

int CompleteWithSlsPrepros::search(bool) {
  srandom(seed);
  cspAC = new LocalConsistancyAC(vecCont, vecVar, maxArity, maxDom);
  if (cspAC->init(true) == 1) return 2;
  print_statistics_header();

  LocalSearchTools* ls = lsTools;
  Metaheuristic* mh = metaheuristic;
  for (numtry = 1; tpsElapsed() < timeLimit; numtry++) {
    startTry();
    int budget = super(numtry) * 100000;
    for (numflip = 0; numflip < budget; numflip++) {
      if (ls->numFalse == 0) return 1;
      ls->increaseVariableBoundary();
      coupleFlip m = mh->nextChoice();
      ls->flips(m.v, m.p, numflip);
      ls->update_statistics_end_flip();
      if (numflip % 512 == 0 && tpsElapsed() > timeLimit) break;
    }
    if (ls->numFalse == 0) return 1;
    showInter();
  }
  return completeSearch();
}

Variable* CompleteWithSlsPrepros::pickVariable() {
  double best = -1;
  Variable* chosen = nullptr;
  for (Variable* x : vecVar) {
    int sz = x->sizeDom;
    if (sz <= 1) continue;
    double sum = 0;
    for (int i = 0; i < x->nbLink; i++) {
      Constraint* c = x->vecCont[i];
      int free = 0;
      for (int j = 0; j < c->arity && free < 2; j++)
        if (c->scope[j]->sizeDom > 1) free++;
      if (free == 2) sum += c->score;
    }
    double q = sum / sz;
    if (q > best) {
      best = q;
      chosen = x;
    }
  }
  return chosen;
}

int CompleteWithSlsPrepros::completeSearch() {
  std::string dashes(54, '-');
  fprintf(stderr, "c %s\n", dashes.c_str());
  fprintf(stderr, "c | %6s | %7s | %8s | %10s |%8s |\n", "numtry", "numConf", "nbDec", "nbChecks", "time");
  fprintf(stderr, "c %s\n", dashes.c_str());

  LocalConsistancyAC* ac = cspAC;
  stack.clear();
  int born = 10, run = 1, conflicts = 0;
  for (;;) {
    if (ac->propagate()) {
      ac->lPropagate->drain();
      if (ac->decisionLevel == 0) return 2;
      conflicts++;
      if (conflicts > born && ac->decisionLevel > 1) {
        born += born / 2;
        fprintf(stderr, "c | %6d | %7d | %8d | %10lld | %7.1lf |\n", run, conflicts, ac->nbDecision,
                (long long)Constraint::nbChecks, infoSys->elapsed_seconds());
        ac->cancelUntil(0);
        stack.clear();
        run++;
        conflicts = 0;
      } else {
        // Refute the last decision, whose value sits at position 0.
        ac->cancelUntil(ac->decisionLevel - 1);
        Variable* x = stack.back();
        stack.pop_back();
        x->removeInfoVal(0);
        ac->addNear(x);
      }
    } else {
      Variable* x = pickVariable();
      if (!x) {
        for (Variable* y : vecVar) y->selectValue(0);
        return 1;
      }
      stack.push_back(x);
      ac->pushNewVariable(true, 0, x);
    }
  }
}
