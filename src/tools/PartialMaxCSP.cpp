#include "tools/PartialMaxCSP.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "network/relations/RelationExtN.h"

using namespace std;

PartialMaxCSP::PartialMaxCSP(vector<Constraint*> c, vector<Constraint*> cs, vector<Variable*> v, int maxA,
                             int maxD, int sr, string meth)
    : nbValeurProp(0),
      tabTmp(nullptr),
      nullFlip(0),
      nbAleaFinal(0),
      seed(sr),
      numflip(0),
      numtry(0),
      nbFlipBeforeRestartRL(0),
      method(meth),
      lsTools(nullptr),
      metaheuristic(nullptr),
      conflict(0),
      run(0),
      lastNumFlipRestart(0),
      cutoff(0),
      boundLev(0),
      boundariePropagate(false),
      maxSatWithLocalSearch(false),
      boundary(false),
      nbDecision(0),
      decisionLevel(0),
      nbChecks(0),
      tuple(nullptr),
      lPropagate(nullptr),
      currentNbFalse(0),
      scoreOfBestInterpretation(0) {
  version = "3.01";
  maxArity = maxA;
  maxDom = maxD;
  vecSoftConstraint = c;
  vecCont = cs;
  lPropagate = new ListPropagateQueue(Constraint::numero + 10);
  for (Constraint* k : vecSoftConstraint) k->soft = true;
  vecVar = v;
  infoSys = new InfoSystem();
  scoreOfBestInterpretation = (int)vecSoftConstraint.size();
  // The local search walks the variables' whole constraint lists, so it is
  // given the hard constraints too; at a hard leaf every one of them holds
  // for any choice within the live domains, so it counts soft violations.
  vector<Constraint*> all(vecSoftConstraint);
  all.insert(all.end(), cs.begin(), cs.end());
  lsTools = new LocalSearchTools(all, v, maxA);
  metaheuristic = Metaheuristic::createOrExit(method, lsTools, maxA * maxD, "Métaheuristique inconnu");
  tuple = new int[maxA > 0 ? maxA : 1];
  scratchTuple.assign(maxA > 0 ? maxA : 1, 0);
  RelationExtN::initBigTable(maxA);
}

void PartialMaxCSP::pushNeighbours(Variable* x) {
  for (int k = 0; k < x->nbLink; k++) {
    Constraint* c = x->vecCont[k];
    int own = x->vecPosCont[k];
    for (int i = c->arity - 1; i >= 0; i--)
      if (i != own) lPropagate->add(c, c->scope[i], i);
  }
}

void PartialMaxCSP::openLevel(Variable* x) {
  stack.push_back(x);
  nbDecision++;
  decisionLevel++;
  saveSizeLevelFalseConstraint.push_back((int)falseUnderPartialInterpretation.size());
  for (Variable* y : vecVar) y->pushSize();
  x->sizeDom = 1;
  pushNeighbours(x);
}

Variable* PartialMaxCSP::closeLevel() {
  int L = --decisionLevel;
  for (Variable* y : vecVar) y->backTrack(L);
  size_t keep = saveSizeLevelFalseConstraint[L];
  while (falseUnderPartialInterpretation.size() > keep) {
    falseUnderPartialInterpretation.back()->blocked = false;
    falseUnderPartialInterpretation.pop_back();
  }
  saveSizeLevelFalseConstraint.resize(L);
  Variable* x = stack.back();
  stack.pop_back();
  x->removeInfoVal(0);
  return x;
}

Variable* PartialMaxCSP::pickVariable(bool soft) {
  double best = -1.0;
  Variable* chosen = nullptr;
  for (Variable* x : vecVar) {
    if (x->sizeDom <= 1) continue;
    double sum = 0;
    bool counted = false;
    for (int k = 0; k < x->nbLink; k++) {
      Constraint* c = x->vecCont[k];
      if (c->soft != soft) continue;
      if (!soft) {
        int free = 0;
        for (int j = 0; j < c->arity && free < 2; j++)
          if (c->scope[j]->sizeDom > 1) free++;
        if (free < 2) continue;
      }
      sum += c->score;
      counted = true;
    }
    if (!counted) continue;
    double q = sum / x->sizeDom;
    if (q > best) {
      best = q;
      chosen = x;
    }
  }
  return chosen;
}

bool PartialMaxCSP::propagate() {
  while (!lPropagate->isEmpty()) {
    Couple& e = lPropagate->pop();
    Constraint* c = e.c;
    Variable* x = e.v;
    int pos = e.position;
    if (!c->soft) {
      int before = x->sizeDom;
      c->revise(x, pos);
      if (x->sizeDom < before) {
        if (x->sizeDom == 0) {
          c->score += Constraint::weightUp;
          return true;
        }
        for (int k = 0; k < x->nbLink; k++) {
          Constraint* d = x->vecCont[k];
          int own = x->vecPosCont[k];
          for (int i = d->arity - 1; i >= 0; i--)
            if (i != own) lPropagate->add(d, d->scope[i], i);
        }
      }
    } else if (!c->blocked && c->softRevise(x, pos)) {
      // A soft constraint already counted on this branch is not counted
      // again: the count must stay a lower bound of the violations.
      falseUnderPartialInterpretation.push_back(c);
      c->blocked = true;
      if ((int)falseUnderPartialInterpretation.size() >= scoreOfBestInterpretation) {
        c->score += Constraint::weightUp;
        return true;
      }
    }
  }
  return false;
}

int PartialMaxCSP::assignHardPart() {
  // A hard leaf whose soft part has been explored counts as a conflict, so
  // that the hard search moves on instead of meeting the same leaf again.
  bool conflictNow = leafExhausted;
  leafExhausted = false;
  for (;;) {
    if (!conflictNow && !propagate()) {
      Variable* x = pickVariable(false);
      if (!x) return 0;
      openLevel(x);
      continue;
    }
    conflictNow = false;
    lPropagate->reinit();
    if (decisionLevel == 0) return 2;
    Variable* x = closeLevel();
    pushNeighbours(x);
  }
}

bool PartialMaxCSP::recupNewSoftFalseConstraint(Variable* x) {
  for (int k = 0; k < x->nbLink; k++) {
    Constraint* c = x->vecCont[k];
    if (!c->soft || c->blocked) continue;
    int p = x->vecPosCont[k];
    bool violated = false;
    if (c->arity == 1) {
      violated = c->softRevise(x, 0);
    } else {
      for (int j = c->arity - 1; j >= 0 && !violated; j--)
        if (j != p && c->softRevise(c->scope[j], j)) violated = true;
    }
    if (violated) {
      falseUnderPartialInterpretation.push_back(c);
      c->blocked = true;
      if ((int)falseUnderPartialInterpretation.size() >= scoreOfBestInterpretation) return true;
    }
  }
  return false;
}

int PartialMaxCSP::countViolated(bool useCurrent) {
  int n = 0;
  for (Constraint* c : vecSoftConstraint) {
    for (int i = 0; i < c->arity; i++) {
      Variable* y = c->scope[i];
      scratchTuple[i] = useCurrent ? y->infoCurrent->dom : y->infoVal[0]->dom;
    }
    if (!c->tupleExist(scratchTuple.data())) n++;
  }
  return n;
}

void PartialMaxCSP::recordIfBetter(bool useCurrent) {
  int score = countViolated(useCurrent);
  if (leafFound && score >= scoreOfBestInterpretation) return;
  leafFound = true;
  scoreOfBestInterpretation = score;
  bestInterpretation.clear();
  for (Variable* y : vecVar) bestInterpretation.push_back(useCurrent ? y->infoCurrent->dom : y->infoVal[0]->dom);
}

void PartialMaxCSP::assignNewVariableInSoftPart() {
  int L0 = decisionLevel;
  for (;;) {
    Variable* x = pickVariable(true);
    bool backtrack;
    if (x) {
      openLevel(x);
      backtrack = recupNewSoftFalseConstraint(x);
    } else {
      // Every variable with a soft constraint holds one value: score the
      // assignment itself (each variable at its position-0 value).
      recordIfBetter(false);
      backtrack = true;
    }
    if (!backtrack) continue;
    for (;;) {
      if (decisionLevel == L0) return;
      conflict++;
      Variable* y = closeLevel();
      if (!recupNewSoftFalseConstraint(y)) break;
    }
  }
}

int PartialMaxCSP::search(bool) {
  nullFlip = numflip = nbAleaFinal = conflict = 0;
  run = 1;
  numtry = 1;
  maxSatWithLocalSearch = false;
  currentNbFalse = 0;
  srandom(seed);
  print_statistics_header();

  metaheuristic->nbAleaTry = 0;
  lsTools->initScoreRL();
  int maxConnexion = 0;
  for (Variable* x : vecVar)
    if (x->nbLink > maxConnexion) maxConnexion = x->nbLink;
  cutoff = maxConnexion * maxDom * maxArity;
  // One more than the number of soft constraints until a first complete
  // assignment is scored: no bound may cut the branch of that assignment.
  scoreOfBestInterpretation = (int)vecSoftConstraint.size() + 1;
  leafFound = false;
  leafExhausted = false;

  while (assignHardPart() != 2) {
    // An empty live domain cannot be met at a hard leaf (it would be a
    // conflict), so the local search always has a value to take.
    lsTools->initCompleteInterpretation();
    lsTools->initDiff();
    lsTools->initChanged();
    numflip = 0;
    if (cutoff > 0) {
      while (numflip < cutoff) {
        if (lsTools->numFalse == 0) {
          recordIfBetter(true);
          return 1;
        }
        if (!leafFound || lsTools->numFalse < scoreOfBestInterpretation) recordIfBetter(true);
        coupleFlip f = metaheuristic->nextChoice();
        lsTools->flips(f.v, f.p, numflip);
        lsTools->update_statistics_end_flip();
        numflip++;
      }
    }
    assignNewVariableInSoftPart();
    leafExhausted = true;
  }
  return leafFound ? 1 : 2;
}

void PartialMaxCSP::print_statistics_header() {
  cerr << "c Hybrid CSP solver : version " << version << endl;
  cerr << "c Metaheuristic : " << method << endl;
  cerr << "c \nc seed = " << seed << "\t#vars = " << vecVar.size() << "\t#cont = " << vecCont.size() << endl;
  cerr << "c max domain = " << maxDom << "\t" << "max arity = " << maxArity << endl;
  cerr << "c " << endl;
  string dashes(112, '-');
  cerr << "c " << dashes << "\n" << endl;
  fprintf(stderr, "c | %6s | %7s | %8s | %7s | %7s | %7s | --- | %7s | %8s | %10s |%8s | \n\n", "numtry",
          "numflip", "boundary", "alea", "maxSat", "switch/s", "numConf", "nbDec", "nbChecks", "time");
  cerr << "c " << dashes << "\n" << endl;
}

void PartialMaxCSP::showFinal(int res) {
  // The report runs once: a signal arriving while it is written cannot
  // start a second one.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGALRM);
  sigprocmask(SIG_BLOCK, &set, nullptr);

  double t = tpsElapsed();
  cerr << "c " << endl;
  cerr << "c # temps = " << t << endl;
  cerr << "c # nombre de switch effectué : " << lsTools->nbFlipsPerform << endl;
  cerr << "c # restart RL : " << numtry << endl;
  cerr << "c # nombre de switch par seconde = " << (t > 0 ? lsTools->nbFlipsPerform / t : 0.0) << " switch/s"
       << endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) cerr << "c # Memory used           : " << mem / 1048576 << "Mb" << endl;

  if (res == 2) {
    printf("s the soft part is UNSATISFIABLE\n");
  } else {
    int score = scoreOfBestInterpretation;
    if (!leafFound && score > (int)vecSoftConstraint.size()) score = (int)vecSoftConstraint.size();
    printf("s maxCSP for the soft part %d\n", score);
    printf("v ");
    for (int x : bestInterpretation) printf("%d ", x);
    printf("\n");
  }
  fflush(stdout);
  fflush(stderr);
  exit(0);
}
