#include "localsearch/HybridSolver.h"

#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iostream>

using std::cerr;
using std::cout;
using std::endl;

HybridSolver::HybridSolver(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
                           int sr, std::string meth)
    : nbValeurProp(0),
      tabTmp(nullptr),
      nullFlip(0),
      nbAleaFinal(0),
      seed(sr),
      numflip(0),
      numtry(0),
      method(meth),
      nbFlipBeforeRestartRL(0),
      conflict(0),
      born(10),
      run(1),
      lastNumFlipRestart(0),
      initNumFlip(0),
      boundLev(0),
      boundariePropagate(false),
      boundary(false),
      maxSatWithLocalSearch(false),
      bumpFindEdgeVariable(0),
      bumpFindMaxSat(0),
      lastRefuted(nullptr) {
  version = "3.01";
  maxArity = maxA;
  maxDom = maxD;
  vecCont = c;
  vecVar = v;
  infoSys = new InfoSystem();
  lsTools = new LocalSearchTools(vecCont, vecVar, maxA);
  metaheuristic = Metaheuristic::createOrExit(method, lsTools, maxA * maxD, "Métaheuristique inconnu");
  stack.reserve(vecVar.size() + 1);
}

void HybridSolver::print_statistics_header() {
  long long removed = 0, total = 0;
  for (Variable* x : cspAC ? cspAC->vecVar : vecVar) {
    removed += x->initSize - x->sizeDom;
    total += x->initSize;
  }
  std::string dashes(112, '-');
  cerr << "c Hybrid CSP solver : version " << version << endl;
  cerr << "c Number values deleted by prepros : " << removed << "/" << total << endl;
  cerr << "c Metaheuristic : " << method << endl;
  cerr << "c \nc seed = " << seed << "\t#vars = " << vecVar.size() << "\t#cont = " << vecCont.size()
       << endl;
  cerr << "c max domain = " << maxDom << "\t" << "max arity = " << maxArity << endl;
  cerr << "c " << endl;
  fprintf(stderr, "c %s\n", dashes.c_str());
  fprintf(stderr, "c | %6s | %7s | %8s | %7s | %7s | %7s | --- | %7s | %8s | %10s |%8s | \n", "numtry",
          "numflip", "boundary", "alea", "maxSat", "switch/s", "numConf", "nbDec", "nbChecks", "time");
  fprintf(stderr, "c %s\n", dashes.c_str());
}

void HybridSolver::printLine() {
  double t = tpsElapsed();
  fprintf(stderr, "c | %6d | %7d | %8d | %7d | %7d | %8.1lf | --- | %7d | %8d | %10lld | %7.1lf |\n", run,
          lsTools->nbFlipsPerform, lsTools->nbVarBoundaries, metaheuristic->getNbAleaTry(),
          lsTools->maxSatTmp, t > 0 ? numflip / t : 0.0, conflict, cspAC->nbDecision,
          (long long)Constraint::nbChecks, t);
}

void HybridSolver::addCredit(long long n) {
  long long v = (long long)lastNumFlipRestart + n;
  lastNumFlipRestart = v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : (int)v);
}

void HybridSolver::randomInterpretation() {
  lsTools->initCompleteInterpretation();
  lsTools->initDiff();
  lsTools->initChanged();
}

bool HybridSolver::restartLS() {
  printLine();
  if (lsTools->numFalse == 0) return true;
  randomInterpretation();
  numtry++;
  nbFlipBeforeRestartRL = super(numtry) * 100000;
  return false;
}

int HybridSolver::search(bool) {
  nullFlip = numflip = nbAleaFinal = conflict = 0;
  run = numtry = 1;
  maxSatWithLocalSearch = false;
  srandom(seed);
  cspAC = new LocalConsistancyAC(vecCont, vecVar, maxArity, maxDom);
  if (cspAC->init(true) == 1) return 2;

  print_statistics_header();
  metaheuristic->setNbAleaTry(0);
  lsTools->initScoreRL();
  lsTools->maxSat = (int)vecVar.size();
  born = 10;
  nbFlipBeforeRestartRL = 100000;

  int maxConnexion = 0, maxDomain = 0;
  for (Variable* x : vecVar) {
    if (x->nbLink > maxConnexion) maxConnexion = x->nbLink;
    if (x->sizeDom > maxDomain) maxDomain = x->sizeDom;
  }
  long long denom = (long long)maxArity * maxDom * maxConnexion + 1;
  initNumFlip = lastNumFlipRestart = (int)((1LL << 30) / denom + 1);
  bumpFindEdgeVariable = initNumFlip / 16 + 1;
  bumpFindMaxSat = initNumFlip / 8 + 1;
  cerr << "c lastNumFlipRestart init = " << initNumFlip << " : " << bumpFindEdgeVariable << " - "
       << bumpFindMaxSat << " ---> " << maxArity << " " << maxConnexion << " " << maxDomain << endl;

  randomInterpretation();
  LocalSearchTools* ls = lsTools;
  while (ls->numFalse > 0) {
    coupleFlip m = metaheuristic->nextChoice();
    if (metaheuristic->getBestDiff() < 1) {
      ls->updateScoreRL();
      if (ls->increaseVariableBoundary() && cspAC->decisionLevel == 0) addCredit(bumpFindEdgeVariable);
      addCredit(-1);
      if (lastNumFlipRestart < 0) {
        int r = enginePhase();
        if (r == 1 || r == 2) return r;
        continue;
      }
    }
    ls->flips(m.v, m.p, ls->nbFlipsPerform);
    if (--nbFlipBeforeRestartRL == 0 && restartLS()) return 1;
    if (ls->numFalse < ls->maxSat) {
      maxSatWithLocalSearch = cspAC->decisionLevel == 0;
      if (ls->numFalse < 100 && cspAC->decisionLevel == 0) {
        long long gain = ls->maxSat - ls->numFalse;
        addCredit((gain < 100 ? gain : 100) * (long long)bumpFindMaxSat);
      }
    } else if (--nbFlipBeforeRestartRL == 0 && restartLS()) {
      return 1;
    }
    ls->update_statistics_end_flip();
    if (ls->numFalse == 0) return 1;
  }
  return 1;
}

int HybridSolver::enginePhase() {
  cspAC->setDiffModified(false);
  int r;
  do {
    Variable* x = pickVariableFalseConstraint();
    if (!x) x = pickVariable();
    if (!x) {
      // Every domain is a singleton after propagation: a solution.
      for (Variable* y : vecVar) y->selectValue(0);
      return 1;
    }
    r = fixe(x, x->infoCurrent->header.posInVar);
  } while (r == 3 && lsTools->numFalse > 0);
  if (r == 2 || r == 1) return r;
  lsTools->update_statistics_end_flip();
  return 0;
}

void HybridSolver::refute(Variable* x) {
  x->removeInfoVal(0);
  cspAC->addNear(x);
}

void HybridSolver::repair(bool backtrack) {
  lsTools->reinitCompleteInterpretation(backtrack);
  if (cspAC->decisionLevel == 0) {
    lsTools->maxSatTmp = lsTools->numFalse;
    lsTools->update_statistics_end_flip();
  }
}

int HybridSolver::engineRestart() {
  printLine();
  run++;
  conflict = 0;
  stack.clear();
  if (cspAC->decisionLevel != 0) cspAC->cancelUntilDiff(0);
  return fixeBoundarie();
}

int HybridSolver::fixe(Variable* v, int pos) {
  LocalConsistancyAC* ac = cspAC;
  stack.push_back(v);
  ac->pushNewVariable(true, pos, v);
  bool c = ac->propagateDiff();
  if (!c) {
    if (conflict <= born) {
      if (ac->getDiffModified()) {
        repair(false);
        return 3;
      }
      return 4;
    }
    born += born / 2;
    return engineRestart();
  }
  bool unit = false;
  bool c2;
  do {
    ac->lPropagate->drain();
    conflict++;
    if (ac->decisionLevel == 0) return 2;
    ac->cancelUntilDiff(ac->decisionLevel - 1);
    if (ac->decisionLevel == 0) unit = true;
    Variable* x = stack.back();
    stack.pop_back();
    refute(x);
    c2 = ac->propagateDiff();
    if (unit && !c2) return engineRestart();
  } while (c2);
  if (conflict <= born) {
    repair(true);
    return 3;
  }
  born += born / 2;
  return engineRestart();
}

int HybridSolver::fixeBoundarie() {
  LocalConsistancyAC* ac = cspAC;
  lastRefuted = nullptr;
  while (conflict <= born) {
    Variable* x = conflict == 0 ? pickVariableBoundarie() : lastRefuted;
    if (!x || ac->decisionLevel != 0 || x->sizeDom <= 1) x = pickVariable();
    if (!x) {
      for (Variable* y : vecVar) y->selectValue(0);
      return 1;
    }
    stack.push_back(x);
    ac->pushNewVariable(true, 0, x);
    while (ac->propagate()) {
      ac->lPropagate->drain();
      conflict++;
      if (ac->decisionLevel == 0) return 2;
      ac->cancelUntilDiff(ac->decisionLevel - 1);
      Variable* y = stack.back();
      stack.pop_back();
      if (ac->decisionLevel == 0) conflict = 0;
      refute(y);
      lastRefuted = y;
    }
  }
  born += born / 2;
  printLine();
  run++;
  conflict = 0;
  stack.clear();
  if (ac->decisionLevel != 0) ac->cancelUntilDiff(0);

  int credit;
  if (born < bumpFindMaxSat)
    credit = bumpFindMaxSat;
  else if (run < 10)
    credit = born;
  else if (run <= 16)
    credit = born > INT_MAX / 2 ? INT_MAX : 2 * born;
  else if (run <= 24)
    credit = born;
  else
    credit = born / 2;
  lastNumFlipRestart = credit;
  cerr << "c lastNumFlipRestart = " << credit << endl;

  lsTools->reinitCompleteInterpretation(true);
  lsTools->maxSatTmp = (int)vecCont.size();
  if (lsTools->currentMaxSat < lsTools->maxSatTmp) {
    lsTools->maxSatTmp = lsTools->currentMaxSat;
    if (lsTools->currentMaxSat < lsTools->maxSat) lsTools->maxSat = lsTools->currentMaxSat;
  }
  return 4;
}

double HybridSolver::weightOf(Variable* x) const {
  double sum = 0;
  for (int i = 0; i < x->nbLink; i++) {
    Constraint* c = x->vecCont[i];
    int free = 0;
    for (int j = 0; j < c->arity && free < 2; j++)
      if (c->scope[j]->sizeDom > 1) free++;
    if (free == 2) sum += c->scoreRL > 0 ? c->score / c->scoreRL : c->score;
  }
  return sum / x->sizeDom;
}

Variable* HybridSolver::pickVariable() {
  double best = -1;
  Variable* chosen = nullptr;
  for (Variable* x : vecVar) {
    if (x->sizeDom <= 1) continue;
    double q = weightOf(x);
    if (q > best) {
      best = q;
      chosen = x;
    }
  }
  return chosen;
}

Variable* HybridSolver::pickVariableBoundarie() {
  double best = -100000000;
  Variable* chosen = nullptr;
  for (Variable* x : vecVar) {
    if (x->sizeDom <= 1 || x->score == 0) continue;
    double q = weightOf(x);
    if (q > best) {
      best = q;
      chosen = x;
    }
  }
  return chosen;
}

Variable* HybridSolver::pickVariableFalseConstraint() {
  double best = -1;
  Variable* chosen = nullptr;
  for (Variable* x : vecVar) {
    if (x->sizeDom <= 1 || x->infoCurrent->diff == 0) continue;
    double q = weightOf(x);
    if (q > best) {
      best = q;
      chosen = x;
    }
  }
  return chosen;
}

void HybridSolver::showFinal(int res) {
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
  cerr << "c # nombre de switch par seconde = " << lsTools->nbFlipsPerform / t << " switch/s" << endl;
  cerr << "c # boundaries augmentation : " << lsTools->nbBoundaries << endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) cerr << "c # Memory used           : " << mem / 1048576 << "Mb" << endl;
  cout << "d ASSIGNMENTS " << (cspAC ? cspAC->nbDecision : 0) << endl;
  cout << "d CHECKS " << Constraint::nbChecks << endl;

  switch (res) {
    case 2:
      cout << "s UNSATISFIABLE" << endl;
      exit(20);
    case 3:
      cout << "s UNKNOWN" << endl;
      fflush(stdout);
      fflush(stderr);
      _exit(30);
    case 1:
      cout << "s SATISFIABLE" << endl;
      cout << "v";
      for (Variable* x : vecVar) cout << " " << x->infoCurrent->dom;
      cout << endl;
      exit(10);
    default:
      sigprocmask(SIG_UNBLOCK, &set, nullptr);
      return;
  }
}
