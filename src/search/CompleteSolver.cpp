#include "search/CompleteSolver.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

using std::cerr;
using std::cout;
using std::endl;

CompleteSolver::CompleteSolver(const std::vector<Constraint*>& vecC,
                               const std::vector<Variable*>& vecV, int maxA, int maxD)
    : nbCallMAC(0), conflict(0), born(10) {
  vecCont = vecC;
  vecVar = vecV;
  maxArity = maxA;
  maxDom = maxD;
  infoSys = new InfoSystem();
  cspAC = new LocalConsistancyAC(vecCont, vecVar, maxArity, maxDom);
  stackDecision.reserve(vecVar.size() + 1);
}

Variable* CompleteSolver::pickVariable() { return pickDomWdeg(vecVar); }

int CompleteSolver::macLoop(bool verb, bool lapAtRestart) {
  LocalConsistancyAC* ac = cspAC;
  stackDecision.clear();
  int run = 1;
  for (;;) {
    if (ac->propagate()) {
      ac->lPropagate->drain();
      conflict++;
      if (ac->decisionLevel == 0) return 2;
      if (born < conflict && ac->decisionLevel > 1) {
        // Restart from level 0 with a larger conflict limit.
        stackDecision.clear();
        born = born + born / 2;
        if (lapAtRestart) {
          double t = infoSys->elapsed_seconds();
          if (verb)
            fprintf(stderr, "c | %6d | %7d | %8d | %10lld | %7.1lf |\n", run, conflict, ac->nbDecision,
                    (long long)Constraint::nbChecks, t);
        }
        conflict = 0;
        ac->cancelUntil(0);
        run++;
      } else {
        // Refute the last decision: its value sits at position 0.
        ac->cancelUntil(ac->decisionLevel - 1);
        Variable* x = stackDecision.back();
        stackDecision.pop_back();
        x->removeInfoVal(0);
        ac->addNear(x);
      }
    } else {
      Variable* x = pickVariable();
      if (!x) {
        for (Variable* v : vecVar)
          if (v->sizeDom > 1) v->sizeDom = 1;
        return 1;
      }
      stackDecision.push_back(x);
      ac->pushNewVariable(true, 0, x);
    }
  }
}

int CompleteSolver::search(bool verb) {
  cspAC->reinitLocalConsistancy();
  // The current domains are the new level 0: a trail left by an earlier
  // run would otherwise be restored by the cancellations of this one.
  for (Variable* v : vecVar) v->saveSize.clear();
  if (cspAC->init(verb) == 1) return 2;
  if (verb)
    fprintf(stderr, "c | %6s | %7s | %8s | %10s |%8s |\n", "numtry", "numConf", "nbDec", "nbChecks",
            "time");
  return macLoop(verb, true);
}

int CompleteSolver::restartAndsolve() {
  nbCallMAC++;
  for (Variable* v : vecVar) v->reinitVariable();
  // The trails are empty again, so the engine is back at level 0.
  cspAC->decisionLevel = 0;
  if (cspAC->init(false) == 1) return 2;

  for (Variable* v : vecVar) v->presentInProblem = false;
  for (Constraint* c : cspAC->vecCont)
    for (int i = 0; i < c->arity; i++) c->scope[i]->presentInProblem = true;

  // Silent loop: no output and no lap-time reading at restarts.
  if (macLoop(false, false) == 2) return 2;
  cspAC->cancelUntil(0);
  return 1;
}

void CompleteSolver::relaxAndPreserveAddVariable(std::vector<Variable*>& vars,
                                                 std::vector<std::vector<int>>& tuples,
                                                 std::vector<std::vector<int>>& res) {
  std::vector<size_t> good, bad;
  for (size_t k = 0; k < tuples.size(); k++) {
    const std::vector<int>& t = tuples[k];
    for (Variable* v : vecVar) v->reinitVariable();
    bool ok = t.size() == vars.size();
    for (size_t i = 0; ok && i < vars.size(); i++) {
      Variable* x = vars[i];
      if (x->sizeDom == 0 || x->positionDom(t[i]) < 0)
        ok = false;
      else
        x->assignValue(t[i]);
    }
    if (ok) ok = search(false) != 2;
    (ok ? good : bad).push_back(k);
  }

  for (size_t g : good) {
    std::vector<int> r(tuples[g]);
    r.insert(r.end(), tuples[g].begin(), tuples[g].end());
    res.push_back(r);
  }
  for (size_t b : bad)
    for (size_t g : good) {
      std::vector<int> r(tuples[b]);
      r.insert(r.end(), tuples[g].begin(), tuples[g].end());
      res.push_back(r);
    }
}

void CompleteSolver::showFinal(int res) {
  // The report runs at most once: later interrupts are held off, so a
  // signal arriving while it is written cannot start a second one.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGALRM);
  sigprocmask(SIG_BLOCK, &set, nullptr);

  cerr << "c " << endl;
  cerr << "c # temps = " << tpsElapsed() << endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) cerr << "c # Memory used           : " << mem / 1048576 << "Mb" << endl;

  cout << "d ASSIGNMENTS " << cspAC->nbDecision << endl;
  cout << "d CHECKS " << Constraint::nbChecks << endl;

  switch (res) {
    case 2:
      cout << "s UNSATISFIABLE" << endl;
      exit(20);
    case 3:
      // May run from an interrupt handler in the middle of the search:
      // flush and leave without running exit handlers, which could need a
      // lock the interrupted code holds.
      cout << "s UNKNOWN" << endl;
      fflush(stdout);
      fflush(stderr);
      _exit(30);
    case 1:
      cout << "s SATISFIABLE" << endl;
      cout << "v";
      for (Variable* v : vecVar) cout << " " << v->infoVal[0]->dom;
      cout << endl;
      exit(10);
    default:
      sigprocmask(SIG_UNBLOCK, &set, nullptr);
      return;
  }
}
