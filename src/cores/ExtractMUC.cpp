#include "cores/ExtractMUC.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

using std::cerr;
using std::cout;
using std::endl;
using std::vector;

namespace {

int selectorBaseSize(const vector<Constraint*>& c) {
  int n = (int)c.size();
  for (Constraint* k : c)
    if (k->idCont >= n) n = k->idCont + 1;
  return n;
}

[[noreturn]] void optionError(const std::string& msg) {
  cout.flush();
  cerr << msg << endl;
  exit(1);
}

// Non-negative decimal integer making up the whole text.
int readCount(const char* opt, const char* text) {
  errno = 0;
  char* end = nullptr;
  long v = strtol(text, &end, 10);
  if (!*text || *end || errno || v < 0 || v > INT_MAX)
    optionError(std::string("error: the option ") + opt + " needs a non-negative integer, not \"" +
                text + "\"");
  return (int)v;
}

}  // namespace

ExtractMUC::ExtractMUC(vector<Constraint*> c, vector<Variable*> v, int maxA, int maxD)
    : CompleteSolver(c, v, maxA, maxD),
      dbSelector(new SelectorsDataBase(selectorBaseSize(c))),
      maxSizeSelector(0),
      useLSScore(false),
      preproc(nullptr),
      mr(nullptr),
      pt(nullptr),
      nbMucMR(0),
      nbMucMac(0),
      nbMucPU(0),
      nbRemoved(0),
      nbRun(0),
      removedNotActive(0),
      initNbConstraint((int)c.size()),
      nbCallMAC(0),
      lastNbFind(0),
      wasSAT(false),
      optMR(NO),
      methodSearch(DEL),
      optPickCons(STATIC),
      optDynDich(false),
      optRmInactive(false),
      rmInactiveSearch(0),
      freqCallTryRemove(0),
      staticScore(nullptr),
      methodPreproc(0),
      structurePropagate(2) {
  preproc = new PreprocMUC(this, vecCont);
  tuple = new int[maxArity > 0 ? maxArity : 1];
  srandom(0);
}

void ExtractMUC::setOption(char** opts, int nb) {
  for (int i = 0; i < nb; i++) {
    const char* o = opts[i];
    auto is = [&](const char* n) { return strcmp(o, n) == 0; };
    if (is("-dich")) {
      methodSearch = DICHO;
    } else if (is("-del")) {
      methodSearch = DEL;
    } else if (is("-cons")) {
      methodSearch = CONS;
    } else if (is("-xplain")) {
      methodSearch = XPLAIN;
    } else if (is("-wcore")) {
      methodPreproc = 2;
    } else if (is("-wcore+")) {
      methodPreproc = 3;
    } else if (is("-noPreproc")) {
      methodPreproc = 0;
    } else if (is("-scoreLS")) {
      useLSScore = true;
    } else if (is("-noScoreLS")) {
      useLSScore = false;
    } else if (is("-rmInactive")) {
      optRmInactive = true;
    } else if (is("-normInactive")) {
      optRmInactive = false;
    } else if (is("-noDynDich")) {
      optDynDich = false;
    } else if (is("-dynDich")) {
      optDynDich = true;
    } else if (is("-pickStatic")) {
      optPickCons = STATIC;
    } else if (is("-pickDyn")) {
      optPickCons = DYNAMIC;
    } else if (is("-pickDyn+")) {
      optPickCons = DYNAMIC_PLUS;
    } else if (is("-pickDyn+Dom")) {
      optPickCons = DYNAMIC_PLUS_DOM;
    } else if (is("-pickStaticDom")) {
      optPickCons = STATIC_DOM;
    } else if (is("-pickDynDom")) {
      optPickCons = DYNAMIC_DOM;
    } else if (is("-pstack") || is("-pqueue") || is("-p2queue")) {
      structurePropagate = is("-pstack") ? 1 : is("-pqueue") ? 2 : 3;
      cspAC->setLPropagate(structurePropagate);
    } else if (!strncmp(o, "-tryApprox=", 11)) {
      freqCallTryRemove = readCount("-tryApprox=", o + 11);
    } else if (!strncmp(o, "-useSelect=", 11)) {
      maxSizeSelector = readCount("-useSelect=", o + 11);
    } else if (is("-rmr")) {
      retire(mr);
      optMR = RECURSIVE;
      mr = new RecursiveModelRotation(vecCont, vecVar, maxArity);
    } else if (is("-lsmr")) {
      if (i + 1 >= nb) optionError("error: the option -lsmr needs a metaheuristic name");
      const char* method = opts[++i];
      ModelRotation* m = makeLocalSearchModelRotation(vecCont, vecVar, maxArity, maxDom, method,
                                                      dbSelector, 3);
      if (!m) optionError("error: the option -lsmr needs local search, which is not part of this build");
      retire(mr);
      mr = m;
      optMR = LS;
    } else {
      optionError(std::string("error: the option ") + o + " is not defined (in this context)");
    }
  }
  if (!mr) {
    mr = new ModelRotation(vecCont, vecVar, maxArity);
    optMR = NO;
  }
}

void ExtractMUC::retire(ModelRotation* m) {
  if (m) retired.push_back(m);
}

void ExtractMUC::showAllOptionUsed() {
  static const char* const mrName[] = {"NO", "RECURSIVE", "LS"};
  static const char* const pickName[] = {"static",       "dynamic",   "static + dom",
                                         "dynamic + dom", "dynamic+", "dynamic+ + dom"};
  static const char* const structName[] = {"", "stack", "queue", "double queue"};
  cout << "c --------------------------------------------------------------" << endl;
  cout << "c Model rotation technique used: " << mrName[optMR] << endl;
  switch (methodSearch) {
    case DICHO:
      cout << "c Dichotomy approach with optDynDich: " << optDynDich << endl;
      break;
    case DEL:
      cout << "c Deletion approach" << endl;
      break;
    case CONS:
      cout << "c constructive approach" << endl;
      break;
    case XPLAIN:
      cout << "c QuickXPlain approach" << endl;
      break;
  }
  cout << "c Preproc: "
       << (methodPreproc == 2 ? "wcore" : methodPreproc == 3 ? "wcore+" : "not used") << endl;
  cout << "c Score function: " << pickName[optPickCons] << endl;
  if (structurePropagate >= 1 && structurePropagate <= 3)
    cout << "c Data structure to propagate: " << structName[structurePropagate] << endl;
  cout << "c Size of selectors save: " << maxSizeSelector << endl;
  cout << "c Freq to call TryRemove function: " << freqCallTryRemove << endl;
  cout << "c Option heuristic local search: " << useLSScore << endl;
  cout << "c Remove the inactive constraint after an UNSAT result: " << optRmInactive << endl;
  cout << "c --------------------------------------------------------------" << endl;
}

void ExtractMUC::removeConstraint(Constraint* c, bool onlyRemoveDataStructure) {
  Solver::removeConstraint(c, onlyRemoveDataStructure);
  if (mr) mr->removeConstraintDataStructure(c);
}

void ExtractMUC::addConstraint(Constraint* c) {
  Solver::addConstraint(c);
  if (mr) mr->addConstraint(c);
}

void ExtractMUC::mark(Constraint* c, int& counter) {
  c->makeSoft();
  c->setWeight(1);
  counter++;
}

void ExtractMUC::clearActive() {
  for (Constraint* c : vecCont) c->unmakeActive();
}

void ExtractMUC::rmInactiveConstraints() {
  if (!optRmInactive) return;
  int n = removeConstraintNotActive();
  removedNotActive += n;
  rmInactiveSearch += n;
  nbRemoved += n;
}

void ExtractMUC::puSelector(const vector<Constraint*>& removed) {
  if (maxSizeSelector == 0) return;
  vector<int> ids, prop;
  ids.reserve(removed.size());
  for (Constraint* c : removed) ids.push_back(c->idCont);
  dbSelector->assignFalse(ids, prop);
  for (Constraint* c : vecCont)
    if (!c->soft && dbSelector->getAssign(c->idCont) == 1) mark(c, nbMucPU);
}

bool ExtractMUC::tryApproximationMUC() {
  if (freqCallTryRemove == 0) return false;
  int found = coreSize();
  if (found - lastNbFind < freqCallTryRemove) return false;
  lastNbFind = found;
  vector<Constraint*> removed;
  for (Constraint* c : vecCont)
    if (!c->soft) removed.push_back(c);
  for (Constraint* c : removed) removeConstraint(c, false);
  if (restartAndsolve() == 2) return true;
  // Back to the committed domains.  Committing the sizes the oracle left
  // instead would be wrong: a solution found without any decision leaves
  // every domain reduced to its solution value.
  for (Variable* x : vecVar) x->reinitVariable();
  for (Constraint* c : removed) addConstraint(c);
  return false;
}

void ExtractMUC::removeAllNotIdentiedMuc() {
  for (size_t i = 0; i < vecCont.size();) {
    if (vecCont[i]->soft) {
      i++;
      continue;
    }
    // Removal moves the last constraint into slot i: look at it again.
    removeConstraint(vecCont[i], false);
  }
}

void ExtractMUC::assignAs(const vector<int>& values) {
  for (size_t i = 0; i < vecVar.size(); i++) {
    Variable* x = vecVar[i];
    x->reinitVariable();
    if (x->positionDom(values[i]) >= 0) x->assignValue(values[i]);
  }
}

void ExtractMUC::collectUnsatConstraintCurrentInterpretation(vector<Constraint*>& v) {
  for (Variable* x : vecVar)
    if (x->sizeDom > 0) x->selectValue(0);
  size_t k = 0;
  for (size_t i = 0; i < v.size(); i++) {
    Constraint* c = v[i];
    for (int j = 0; j < c->arity; j++) tuple[j] = c->scope[j]->infoCurrent->dom;
    if (!c->tupleExist(tuple)) v[k++] = c;
  }
  // A solution of the rest violates one of v at least; keep v whole if not.
  if (k > 0) v.resize(k);
}

bool ExtractMUC::inProblem(Constraint* c) const {
  return std::find(vecCont.begin(), vecCont.end(), c) != vecCont.end();
}

int ExtractMUC::firstPreproc(bool rmInactive) {
  if (rmInactive) clearActive();
  int r = restartAndsolve();
  if (rmInactive && r != 1) {
    int n = removeConstraintNotActive();
    removedNotActive += n;
    nbRemoved += n;
    clearActive();
  }
  return r;
}

int ExtractMUC::search(bool verb) {
  if (verb) showAllOptionUsed();
  reinitLocalConsistancy();
  nbMucMR = nbMucMac = nbMucPU = nbRemoved = nbRun = removedNotActive = nbCallMAC = lastNbFind = 0;
  rmInactiveSearch = 0;

  if (optMR == NO || !mr) {
    retire(mr);
    mr = new ModelRotation(vecCont, vecVar, maxArity);
    optMR = NO;
  }

  delete pt;
  switch (optPickCons) {
    case STATIC:
      pt = new PickStatic();
      break;
    case STATIC_DOM:
      pt = new PickStaticDom();
      break;
    case DYNAMIC_PLUS:
      pt = new PickDynamicPlus();
      break;
    case DYNAMIC_PLUS_DOM:
      pt = new PickDynamicPlusDom();
      break;
    default:
      pt = new PickDynamic();
      break;
  }

  int r;
  if (methodPreproc == 2)
    r = preproc->wcorePreproc(nbCallMAC, removedNotActive);
  else if (methodPreproc == 3)
    r = preproc->wcorePreprocPlus(nbCallMAC, removedNotActive);
  else
    r = firstPreproc(optRmInactive);
  if (r == 1) return 1;

  pt->initWeight(vecCont);
  vecCont = cspAC->vecCont;
  nbMucMR = preprocSearchConstraintMUC();

  switch (methodSearch) {
    case DEL:
      deletionAppraoch(verb);
      break;
    case CONS:
      constructiveAppraoch(verb);
      break;
    case DICHO:
      dichoAppraoch(verb);
      break;
    case XPLAIN:
      xplainApproach(vecCont, verb);
      break;
  }
  return 2;
}

void ExtractMUC::deletionAppraoch(bool verb) {
  for (;;) {
    if (optRmInactive) clearActive();
    if (vecCont.empty()) break;
    Constraint* c = pt->pickOneConstraint(vecCont);
    if (!c) break;
    removeConstraint(c, false);
    nbCallMAC++;
    if (restartAndsolve() == 1) {
      addConstraint(c);
      mark(c, nbMucMac);
      if (maxSizeSelector != 0) dbSelector->assignTrue(c->idCont);
      runModelRotation();
    } else {
      nbRemoved++;
      rmInactiveConstraints();
      puSelector(vector<Constraint*>(1, c));
      pt->triggerWhenTransitionFound(vecCont);
    }
    if (verb) showInter();
    if (tryApproximationMUC()) break;
  }
}

void ExtractMUC::constructiveAppraoch(bool verb) {
  vector<Constraint*> stayUnknow(vecCont);
  vector<int> saveValueLastModel(vecVar.size(), 0);
  removeAllNotIdentiedMuc();
  for (;;) {
    if (restartAndsolve() == 2) return;
    Constraint* c;
    for (;;) {
      c = pt->pickAndRmOneConstraint(stayUnknow);
      if (!c) return;
      addConstraint(c);
      nbCallMAC++;
      if (restartAndsolve() != 1) break;
      if (optMR != NO)
        for (size_t i = 0; i < vecVar.size(); i++)
          saveValueLastModel[i] = vecVar[i]->getPosZeroValue();
    }
    mark(c, nbMucMac);
    rmInactiveConstraints();
    pt->triggerWhenTransitionFound(vecCont);
    assignAs(saveValueLastModel);
    runModelRotation();
    nbRemoved += (int)stayUnknow.size();
    stayUnknow = vecCont;
    removeAllNotIdentiedMuc();
    if (verb) showInter();
  }
}

void ExtractMUC::dichoAppraoch(bool verb) {
  vector<Constraint*> stayUnknow(vecCont);
  while (!stayUnknow.empty()) {
    pt->sortConstraint(stayUnknow);
    size_t middle = (stayUnknow.size() + 1) / 2;
    for (size_t i = 0; i < middle; i++) removeConstraint(stayUnknow[i], false);
    stayUnknow.resize(middle);
    if (optRmInactive) clearActive();
    nbCallMAC++;
    if (restartAndsolve() == 1) {
      for (Constraint* c : stayUnknow) addConstraint(c);
      if (middle >= 2) {
        if (optDynDich) collectUnsatConstraintCurrentInterpretation(stayUnknow);
        continue;
      }
      Constraint* c = stayUnknow[0];
      mark(c, nbMucMac);
      if (maxSizeSelector != 0) dbSelector->assignTrue(c->idCont);
      runModelRotation();
      pt->triggerWhenTransitionFound(vecCont);
      stayUnknow.clear();
    } else {
      nbRemoved += (int)middle;
      rmInactiveConstraints();
      puSelector(stayUnknow);
      stayUnknow.clear();
    }
    if (tryApproximationMUC()) return;
    for (Constraint* c : vecCont)
      if (!c->soft) stayUnknow.push_back(c);
    if (verb) showInter();
  }
}

void ExtractMUC::xplainApproach(vector<Constraint*> tryToRemove, bool verb) {
  size_t n = tryToRemove.size();
  if (n == 0) return;
  for (Constraint* c : tryToRemove) removeConstraint(c, false);
  if (optRmInactive) clearActive();
  if (restartAndsolve() == 2) {
    nbRemoved += (int)n;
    rmInactiveConstraints();
    pt->triggerWhenTransitionFound(vecCont);
    if (verb) showInter();
    return;
  }
  if (n == 1) {
    Constraint* c = tryToRemove[0];
    addConstraint(c);
    mark(c, nbMucMac);
    runModelRotation();
    if (verb) showInter();
    return;
  }
  for (Constraint* c : tryToRemove) addConstraint(c);
  pt->sortConstraint(tryToRemove);
  size_t half = n / 2;
  xplainApproach(vector<Constraint*>(tryToRemove.begin(), tryToRemove.begin() + half), verb);
  vector<Constraint*> rest;
  for (size_t i = half; i < n; i++) {
    Constraint* c = tryToRemove[i];
    if (!c->soft && inProblem(c)) rest.push_back(c);
  }
  if (!rest.empty()) xplainApproach(rest, verb);
}

void ExtractMUC::showHeader() {
  printf("c  -------------------------------------------------------------------------------\n");
  printf("c | %7s %7s %7s | %7s %7s %7s %7s | %7s | %7s |\n", "run", "time", "#call", "in muc", "MAC",
         "MR", "PU", "removed", "stay");
  printf("c  -------------------------------------------------------------------------------\n");
}

void ExtractMUC::showInter() {
  if (nbRun % 50 == 0) showHeader();
  nbRun++;
  int core = coreSize();
  printf("c | %7d %7.2lf %7d | %7d %7d %7d %7d | %7d | %7lu |\n", nbRun, tpsElapsed(),
         CompleteSolver::nbCallMAC, core, nbMucMac, nbMucMR, nbMucPU, nbRemoved,
         (unsigned long)(vecCont.size() - core));
  fflush(stdout);
}

void ExtractMUC::showFinal(int res) {
  // The report runs at most once: later interrupts are held off.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGALRM);
  sigprocmask(SIG_BLOCK, &set, nullptr);
  fflush(stdout);

  cout << "c " << endl;
  cout << "c times: " << tpsElapsed() << endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) cout << "c Memory used           : " << (double)mem / 1048576 << "Mb" << endl;
  cout << "c" << endl;
  cout << "c Number of constraints: " << initNbConstraint << endl;
  cout << "c Number of variables: " << vecVar.size() << endl;
  cout << "c" << endl;
  cout << "c Info complete appraoch " << endl;
  cout << "c ASSIGNMENTS " << cspAC->getNbDecision() << endl;
  cout << "c CHECKS " << Constraint::nbChecks << endl;
  cout << "c" << endl;
  cout << "c Number of call CSP solver: " << nbCallMAC << endl;
  cout << "c" << endl;
  cout << "c Number of constraints removed because not active during the MAC calls: "
       << removedNotActive << endl;
  cout << "c Number of inactive constraints remove during the search: " << rmInactiveSearch << endl;
  cout << "c Number of inactive constraints remove during the preprocessing step: "
       << removedNotActive - rmInactiveSearch << endl;
  cout << "c Number of constraints in the final MUC: " << coreSize() << endl;
  cout << "c Number of constraints in the MUC detected by MAC: " << nbMucMac << endl;
  cout << "c Number of constraints in the MUC detected by MR: " << nbMucMR << endl;
  cout << "c Number of constraints in the MUC detected by selectors propagation: " << nbMucPU
       << endl;
  cout << "c" << endl;
  cout.flush();

  switch (res) {
    case 2: {
      printf("s UNSATISFIABLE\n");
      vector<Constraint*> core(vecCont);
      std::sort(core.begin(), core.end(),
                [](const Constraint* a, const Constraint* b) { return a->idCont < b->idCont; });
      std::string line = "v ";
      for (Constraint* c : core) line += c->name + " ";
      line += "0\n";
      fputs(line.c_str(), stdout);
      fflush(stdout);
      exit(20);
    }
    case 3:
      // May run from an interrupt handler: leave without exit handlers.
      printf("s UNKNOWN\n");
      fflush(stdout);
      fflush(stderr);
      _exit(30);
    case 1:
      printf("Warning: the problem is satisfiable\n");
      printf("s SATISFIABLE\n");
      fflush(stdout);
      exit(10);
    default:
      sigprocmask(SIG_UNBLOCK, &set, nullptr);
      return;
  }
}
