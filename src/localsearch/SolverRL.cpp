#include "localsearch/SolverRL.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

using std::cerr;
using std::cout;
using std::endl;

SolverRL::SolverRL(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD, int sr,
                   std::string meth)
    : nbValeurProp(0),
      tabTmp(nullptr),
      nullFlip(0),
      nbAleaFinal(0),
      seed(sr),
      numflip(0),
      numtry(0),
      method(meth) {
  version = "3.01";
  maxArity = maxA;
  maxDom = maxD;
  vecCont = c;
  vecVar = v;
  infoSys = new InfoSystem();
  lsTools = new LocalSearchTools(vecCont, vecVar, maxA);
  metaheuristic = Metaheuristic::createOrExit(method, lsTools, maxA * maxD, "Métaheuristique inconnu");
}

void SolverRL::print_statistics_header() {
  long long removed = 0, total = 0;
  for (Variable* x : cspAC ? cspAC->vecVar : vecVar) {
    removed += x->initSize - x->sizeDom;
    total += x->initSize;
  }
  cerr << "c Stochastic local search for CSP : version " << version << endl;
  cerr << "c Number values deleted by prepros : " << removed << "/" << total << endl;
  cerr << "c Metaheuristic : " << method << endl;
  cerr << "c \nc seed = " << seed << "\t#vars = " << vecVar.size() << "\t#cont = " << vecCont.size()
       << endl;
  cerr << "c max domain = " << maxDom << "\t" << "max arity = " << maxArity << endl;
  cerr << "c " << endl;
  cerr << "c " << std::string(72, '-') << endl;
  fprintf(stderr, "c | %6s | %7s | %8s | %7s | %7s | %7s |%8s |\n", "numtry", "numflip", "nullFlip", "alea",
          "maxSat", "switch/s", "time");
  fprintf(stderr, "c %s\n", std::string(72, '-').c_str());
}

void SolverRL::showInter() {
  double lap = infoSys->elapsed_seconds();
  fprintf(stderr, "c | %6d | %7d | %8d | %7d | %7d | %8.1lf | %7.1lf |\n", numtry, numflip, nullFlip,
          metaheuristic->getNbAleaTry(), lsTools->maxSatTmp, lap > 0 ? numflip / lap : 0.0, lap);
}

void SolverRL::startTry() {
  nullFlip = 0;
  metaheuristic->setNbAleaTry(0);
  lsTools->initCompleteInterpretation();
  lsTools->initDiff();
  lsTools->initChanged();
}

int SolverRL::search(bool) {
  srandom(seed);
  cspAC = new LocalConsistancyAC(vecCont, vecVar, maxArity, maxDom);
  print_statistics_header();
  if (cspAC->init(true) == 1) return 2;

  LocalSearchTools* ls = lsTools;
  Metaheuristic* mh = metaheuristic;
  for (numtry = 1;; numtry++) {
    startTry();
    int budget = super(numtry) * 100000;
    for (numflip = 0; numflip < budget; numflip++) {
      if (ls->numFalse == 0) return 1;
      coupleFlip m = mh->nextChoice();
      ls->flips(m.v, m.p, numflip);
      ls->update_statistics_end_flip();
    }
    // The last flip of the budget may have reached a solution.
    if (ls->numFalse == 0) return 1;
    showInter();
  }
}

void SolverRL::showFinal(int res) {
  // The report runs once: interrupts arriving while it is written wait.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGALRM);
  sigprocmask(SIG_BLOCK, &set, nullptr);

  double t = tpsElapsed();
  cerr << "c " << endl;
  cerr << "c # temps = " << t << endl;
  cout << "c # nombre de switch effectué : " << lsTools->nbFlipsPerform << endl;
  cerr << "c # nombre de switch par seconde = " << lsTools->nbFlipsPerform / t << " switch/s" << endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) cerr << "c # Memory used           : " << mem / 1048576 << "Mb" << endl;
  cout << "d ASSIGNMENTS " << (cspAC ? cspAC->nbDecision : 0) << endl;
  cout << "d CHECKS " << Constraint::nbChecks << endl;

  switch (res) {
    case 2:
      cout << "s UNSATISFIABLE" << endl;
      exit(20);
    case 3:
      // May run from an interrupt handler: flush and leave at once.
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
