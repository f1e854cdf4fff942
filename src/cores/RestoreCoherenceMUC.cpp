#include "cores/RestoreCoherenceMUC.h"

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

using std::cout;
using std::endl;

RestoreCoherenceMUC::RestoreCoherenceMUC(std::vector<Constraint*> c, std::vector<Variable*> v,
                                         int maxA, int maxD)
    : nbRun(0) {
  version = "1.0";
  vecCont = c;
  vecVar = v;
  maxArity = maxA;
  maxDom = maxD;
  infoSys = new InfoSystem();
  mucExtract = new ExtractMUC(c, v, maxA, maxD);
  mucExtract->methodPreproc = 0;
}

int RestoreCoherenceMUC::search(bool verb) {
  for (;;) {
    if (mucExtract->search(false) != 2) break;
    std::vector<Constraint*>& core = mucExtract->getLocalConsistancyAC()->vecCont;
    if (core.empty()) break;  // unsatisfiable without any constraint: nothing to remove
    long r = random();
    Constraint* c = core[r % (long)core.size()];
    if (verb) cout << "The name of removed constraint: " << c->name << endl;
    toRestore.push_back(c);
    for (size_t i = 0; i < vecCont.size();) {
      Constraint* d = vecCont[i];
      bool removed = false;
      if (d->soft) {
        if (d == c) {
          mucExtract->removeConstraint(c, false);
          vecCont[i] = vecCont.back();
          vecCont.pop_back();
          removed = true;
        }
      } else {
        mucExtract->addConstraint(d);
      }
      d->weight = 1;
      d->score = 1.0;
      d->soonCreateTab = d->soonCreate = d->blocked = d->soft = d->active = false;
      if (!removed) i++;
    }
    if (verb) showInter();
  }
  return 1;
}

void RestoreCoherenceMUC::showHeader() {
  printf("c  -------------------------------------\n");
  printf("c | %7s %7s %7s |  %7s |\n", "run", "time", "#call", "#smuc");
  printf("c  -------------------------------------\n");
}

void RestoreCoherenceMUC::showInter() {
  if (nbRun % 50 == 0) showHeader();
  nbRun++;
  printf("c | %7d %7.2lf %7d | %8d |\n", nbRun, tpsElapsed(), mucExtract->CompleteSolver::nbCallMAC,
         (int)mucExtract->getLocalConsistancyAC()->vecCont.size());
  fflush(stdout);
}

void RestoreCoherenceMUC::showFinal(int res) {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGALRM);
  sigprocmask(SIG_BLOCK, &set, nullptr);
  fflush(stdout);
  cout << "c " << endl;
  cout << "c times = " << tpsElapsed() << endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) cout << "c Memory used           : " << (double)mem / 1048576 << "Mb" << endl;
  if (res == 1 && toRestore.empty()) {
    // Nothing had to be removed: the network itself is satisfiable.
    cout << "s SATISFIABLE" << endl;
    exit(10);
  }
  cout << "s UNSATISFIABLE" << endl;
  std::vector<Constraint*> v(toRestore);
  std::sort(v.begin(), v.end(),
            [](const Constraint* a, const Constraint* b) { return a->idCont < b->idCont; });
  cout << "v ";
  for (Constraint* c : v) cout << c->name << " ";
  cout << endl;
  exit(20);
}
