#include "cores/PreprocMUC.h"

#include <iostream>

using std::cout;
using std::endl;

int PreprocMUC::wcorePreproc(int& nbCallMAC, int& removedNotActive) {
  int best = -1, last = 0;
  for (;;) {
    cout << "c Preproc times: " << s->tpsElapsed() << endl;
    for (Constraint* c : vecCont) c->unmakeActive();
    if (last > best) best = last;
    nbCallMAC++;
    if (s->restartAndsolve() == 1) return 1;
    last = 0;
    for (Constraint* c : vecCont)
      if (!c->active) last++;
    cout << "c we can remove " << last << " " << best << endl;
    if (!(best < last)) break;
  }
  removedNotActive += s->removeConstraintNotActive();
  for (Constraint* c : vecCont) c->unmakeActive();
  return 2;
}

int PreprocMUC::wcorePreprocPlus(int& nbCallMAC, int& removedNotActive) {
  int n;
  do {
    cout << "c Preproc times: " << s->tpsElapsed() << endl;
    nbCallMAC++;
    if (s->restartAndsolve() == 1) return 1;
    n = s->removeConstraintNotActive();
    removedNotActive += n;
    for (Constraint* c : vecCont) c->unmakeActive();
    cout << "c size of set of constraints " << vecCont.size() << endl;
  } while (n > 0);
  return 2;
}
