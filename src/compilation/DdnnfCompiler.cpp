#include "compilation/DdnnfCompiler.h"

#include <signal.h>
#include <unistd.h>

#include <cstdarg>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "network/Variable.h"
#include "network/constraints/Constraint.h"

using std::cerr;
using std::cout;
using std::endl;

namespace {

bool byIdCont(const Constraint* a, const Constraint* b) { return a->idCont < b->idCont; }

// Universality is decided by enumerating every combination of live values;
// past this many combinations the constraint is simply kept in its
// component (always sound: it then only links variables it may not need to).
const long long maxUniversalCombinations = 1000000;

bool smallEnoughForUniversality(const Constraint* c) {
  long long p = 1;
  for (int i = 0; i < c->arity; i++) {
    p *= c->scope[i]->sizeDom;
    if (p > maxUniversalCombinations) return false;
  }
  return true;
}

}  // namespace

DdnnfCompiler::DdnnfCompiler(std::vector<Constraint*>& vecC, std::vector<Variable*>& vecV, int maxA,
                             int maxD, bool wCache, bool wDecomp, bool wUniv, int heuristic)
    : vecPickVar(nullptr),
      vecCurrentConst(nullptr),
      nbTotalConflicts(0),
      nbCallMAC(0),
      conflict(0),
      born(10),
      nbAndNodes(0),
      nbCalls(0),
      nbOrNodes(0),
      nbTrueNodes(0),
      nbFalseNodes(0),
      nbPosCacheHit(0),
      nbNegCacheHit(0),
      nbUniversalDetected(0),
      cache(),
      nbEdges(0),
      withCache(wCache),
      withDecomposition(wDecomp),
      useUniv(wUniv),
      kindOfHeuristic(heuristic),
      depth(0),
      compiling(false) {
  vecCont = vecC;
  vecVar = vecV;
  maxArity = maxA;
  maxDom = maxD;
  infoSys = new InfoSystem();
  cspAC = new LocalConsistancyAC(vecCont, vecVar, maxArity, maxDom);
  cache.nbVars = (uint32_t)vecVar.size();
  cache.sizeMaxBucket = 4 * cache.sizeMaxInfo;
  vecPickVar = &vecVar;
  std::stable_sort(vecCont.begin(), vecCont.end(), byIdCont);
  vecCurrentConst = &vecCont;
  stackDecision.reserve(vecVar.size() + 1);

  cerr << "c" << endl;
  cerr << "c Using decomposition: " << (withDecomposition ? 1 : 0) << endl;
  cerr << "c Using caching: " << (withCache ? 1 : 0) << endl;
  cerr << "c Using universal detection: " << (useUniv ? 1 : 0) << endl;
  cerr << "c Selected heuristic: ";
  switch (kindOfHeuristic) {
    case 1: cerr << "DOM/WDEG"; break;
    case 2: cerr << "CENTRALITY"; break;
    case 3: cerr << "CENTRALITY + DOM/WDEG"; break;
    default: cerr << "Error"; break;
  }
  cerr << endl;
}

DdnnfCompiler::Frame& DdnnfCompiler::frame(size_t d) {
  while (frames.size() <= d) frames.emplace_back(new Frame());
  return *frames[d];
}

int DdnnfCompiler::search(bool verb) {
  for (Variable* v : vecVar) v->picked = false;
  cspAC->reinitLocalConsistancy();
  if (cspAC->init(verb) == 1) return 2;

  compiling = true;
  Tree* root = searchRec();

  cout << "c " << endl;
  cerr << "c " << endl;
  cerr << "c # time to compile: " << tpsElapsed() << endl;

  Tree::globalStamp++;
  mpz_class count = root->computeNbModels();
  cout << "s " << count.get_str() << endl;
  compiling = false;
  delete root;
  return 3;
}

namespace {

// Fixed-size text buffer written with one write(2): the report may run from
// an interrupt handler that stopped the compiler inside malloc, so it must
// not allocate (a first write through a stream would allocate its buffer).
struct Report {
  char buf[2048];
  size_t len = 0;
  void add(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
    va_list ap;
    va_start(ap, fmt);
    int n = vsnprintf(buf + len, sizeof(buf) - len, fmt, ap);
    va_end(ap);
    if (n > 0) len = std::min(sizeof(buf) - 1, len + (size_t)n);
  }
  void writeTo(int fd) {
    size_t done = 0;
    while (done < len) {
      ssize_t w = write(fd, buf + done, len - done);
      if (w <= 0) break;
      done += (size_t)w;
    }
    len = 0;
  }
};

}  // namespace

void DdnnfCompiler::showFinal(int) {
  // The report runs once: interrupts arriving while it is written are held.
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGALRM);
  sigprocmask(SIG_BLOCK, &set, nullptr);

  // Whatever the streams already hold goes first.
  cout.flush();
  cerr.flush();
  Report r;
  r.add("c \nc # temps = %g\n", tpsElapsed());
  r.add("c Information about the compilation process\n");
  r.add("c Number of OR nodes: %d\n", nbOrNodes);
  r.add("c Number of decomposable AND nodes: %d\n", nbAndNodes);
  r.add("c Number of edges: %llu\n", (unsigned long long)nbEdges);
  r.add("c Number of positive hits: %d\n", nbPosCacheHit);
  r.add("c Number of negative hits: %d\n", nbNegCacheHit);
  r.add("c Number of true nodes: %d\n", nbTrueNodes);
  r.add("c Number of false nodes: %d\n", nbFalseNodes);
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) r.add("c # Memory used           : %llu%s\n", (unsigned long long)(mem / 1048576), "Mb");
  r.writeTo(2);
  r.add("d ASSIGNMENTS %d\n", cspAC->nbDecision);
  r.add("d CHECKS %llu\n", (unsigned long long)Constraint::nbChecks);
  r.writeTo(1);

  // Called while compiling: an interrupt.  End here, as the run protocol
  // would, but without exit handlers, which could touch the heap the
  // interrupted code was changing.
  if (compiling) _exit(0);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

void DdnnfCompiler::progress(int n) {
  if (n % 262144 == 0)
    fprintf(stderr,
            "c | %7s | %8s | %12s | %10s | %10s | %10s | %10s | %10s | %10s | %10s | %6s |\n",
            "time", "#run", "#conflicts", "#v nodes", "#T nodes", "#F nodes", "#& nodes", "universal",
            "#pos hits", "#neg hits", "mem(MB)");
  if (n != 0 && n % 8192 == 0)
    fprintf(stderr,
            "c | %7.2lf | %8d | %12lu | %10d | %10d | %10d | %10d | %10d | %10d | %10d | %4.0lf Mb |\n",
            tpsElapsed(), n, (unsigned long)nbTotalConflicts, nbOrNodes, nbTrueNodes, nbFalseNodes,
            nbAndNodes, nbUniversalDetected, nbPosCacheHit, nbNegCacheHit,
            (double)infoSys->memUsed() / 1048576.0);
}

Variable* DdnnfCompiler::pickVariable() { return pickDomWdeg(*vecPickVar); }

Variable* DdnnfCompiler::pickVariableDecisionNode(int mode) {
  if (mode == 1) return pickVariable();
  if (mode == 2 || mode == 3) return centrality.selectVariableCentrality(*vecPickVar, mode == 3);
  cerr << "Error: unknow pickVaraible mode" << endl;
  exit(1);
}

bool DdnnfCompiler::checkSat(int L) {
  LocalConsistancyAC* ac = cspAC;
  if (ac->propagate()) {
    nbTotalConflicts++;
    ac->lPropagate->drain();
    return false;
  }
  stackDecision.clear();
  for (;;) {
    if (!ac->propagate()) {
      Variable* x = pickVariable();
      if (x) {
        stackDecision.push_back(x);
        ac->pushNewVariable(true, 0, x);
        continue;
      }
      // A solution of the component: fix what is left, then come back to L
      // (which restores every domain when decisions were taken).
      for (Variable* v : ac->vecVar)
        if (v->sizeDom > 1) v->sizeDom = 1;
      ac->cancelUntil(L);
      return true;
    }
    ac->lPropagate->drain();
    nbTotalConflicts++;
    conflict++;
    if (ac->decisionLevel == L) {
      ac->cancelUntil(L);
      return false;
    }
    if (conflict > born && ac->decisionLevel > L) {
      stackDecision.clear();
      born = born + born / 2;
      conflict = 0;
      ac->cancelUntil(L);
    } else {
      // Refute the last decision: its value sits at position 0.
      ac->cancelUntil(ac->decisionLevel - 1);
      Variable* x = stackDecision.back();
      stackDecision.pop_back();
      x->removeInfoVal(0);
      ac->addNear(x);
    }
  }
}

Tree* DdnnfCompiler::searchRec() {
  int n = nbCalls++;
  progress(n);

  Frame& f = frame(depth);
  depth++;
  LocalConsistancyAC* ac = cspAC;
  int L = ac->decisionLevel;
  std::vector<Variable*>& pv = *vecPickVar;
  f.sizes.resize(pv.size());
  for (size_t i = 0; i < pv.size(); i++) f.sizes[i] = pv[i]->sizeDom;

  if (!checkSat(L)) {
    ac->lPropagate->drain();
    if (ac->decisionLevel != 0) ac->cancelUntil(ac->decisionLevel - 1);
    nbFalseNodes++;
    depth--;
    return new TreeFalse();
  }

  Tree* node;
  std::vector<Variable*>* savedVars = vecPickVar;
  std::vector<Constraint*>* savedConst = vecCurrentConst;
  if (withDecomposition) {
    f.universal.clear();
    if (useUniv) {
      if (nbCalls == 1) {
        detectUniversalConstraint(f.universal, vecVar);
      } else {
        f.changed.clear();
        for (size_t i = 0; i < pv.size(); i++)
          if (pv[i]->sizeDom != f.sizes[i]) f.changed.push_back(pv[i]);
        detectUniversalConstraint(f.universal, f.changed);
      }
    }

    size_t k = decompose(f);
    if (k > 1) nbEdges += k;
    if (k == 0) {
      node = createTreeTrueLastVariables();
      nbTrueNodes++;
    } else if (k == 1) {
      vecPickVar = &f.comps[0];
      std::stable_sort(f.compsConst[0].begin(), f.compsConst[0].end(), byIdCont);
      vecCurrentConst = &f.compsConst[0];
      node = developpeBranch();
    } else {
      nbAndNodes++;
      TreeAnd* a = new TreeAnd();
      for (size_t i = 0; i < k; i++) {
        vecPickVar = &f.comps[i];
        std::stable_sort(f.compsConst[i].begin(), f.compsConst[i].end(), byIdCont);
        vecCurrentConst = &f.compsConst[i];
        a->addSon(developpeBranch());
      }
      node = a;
    }
    vecPickVar = savedVars;
    vecCurrentConst = savedConst;
    if (ac->decisionLevel != 0) ac->cancelUntil(ac->decisionLevel - 1);
    for (Constraint* c : f.universal) c->isuniversal = -1;
  } else {
    f.collected.clear();
    for (Variable* v : vecVar)
      if (v->sizeDom > 1) f.collected.push_back(v);
    if (f.collected.empty()) {
      node = createTreeTrueLastVariables();
      nbTrueNodes++;
    } else {
      vecPickVar = &f.collected;
      node = developpeBranch();
      vecPickVar = savedVars;
    }
    if (ac->decisionLevel != 0) ac->cancelUntil(ac->decisionLevel - 1);
  }
  depth--;
  return node;
}

Tree* DdnnfCompiler::developpeBranch() {
  std::vector<Variable*>& pv = *vecPickVar;
  if (pv.size() == 1) {
    nbTrueNodes++;
    return createTreeTrueLastVariables();
  }

  couple cp{false, 0, 0, 0};
  if (withCache) {
    cp = cache.searchBucket(pv, *vecCurrentConst);
    if (cp.isValid && cache.getBucket(cp).t) {
      nbPosCacheHit++;
      return cache.getBucket(cp).t;
    }
    nbNegCacheHit++;
  }

  Variable* x = pickVariableDecisionNode(kindOfHeuristic);
  if (!x) {
    // Every variable of the list is fixed: nothing left to branch on.
    nbTrueNodes++;
    return createTreeTrueLastVariables();
  }
  // The branches reorder x's value records (each restores x's domain), so
  // the values are copied first and looked up again before each branch.
  std::vector<int> values(x->sizeDom);
  for (int i = 0; i < x->sizeDom; i++) values[i] = x->infoVal[i]->dom;

  nbOrNodes++;
  TreeOr* node = new TreeOr(x->name);
  x->picked = true;
  nbEdges += values.size();
  for (int a : values) {
    int pos = x->positionDom(a);
    cspAC->pushNewVariable(true, pos, x);
    Tree* r = searchRec();
    node->addSon(r, a);
  }
  x->picked = false;
  if (withCache && cp.isValid) cache.getBucket(cp).t = node;
  return node;
}

Tree* DdnnfCompiler::createTreeTrueLastVariables() {
  std::vector<LittleVariable*> vars;
  for (Variable* v : *vecPickVar) {
    if (v->picked) continue;
    std::vector<int> dom(v->sizeDom);
    for (int i = 0; i < v->sizeDom; i++) dom[i] = v->infoVal[i]->dom;
    vars.push_back(new LittleVariable(v->name, v->idVar, dom));
  }
  return new TreeTrue(vars);
}

void DdnnfCompiler::decomposition(std::vector<std::vector<Variable*>>& composantes,
                                  std::vector<std::vector<Constraint*>>& composantesConst) {
  Frame f;
  size_t k = decompose(f);
  for (size_t i = 0; i < k; i++) {
    composantes.push_back(f.comps[i]);
    composantesConst.push_back(f.compsConst[i]);
  }
}

size_t DdnnfCompiler::decompose(Frame& f) {
  for (Variable* v : *vecPickVar) v->decompositionId = -1;
  for (Constraint* c : *vecCurrentConst) c->decompositionId = -1;

  size_t k = 0;
  for (Variable* v : *vecPickVar) {
    if (v->decompositionId != -1 || v->sizeDom <= 1) continue;
    if (f.comps.size() <= k) {
      f.comps.emplace_back();
      f.compsConst.emplace_back();
    }
    std::vector<Variable*>& tmp = f.comps[k];
    std::vector<Constraint*>& tmpConst = f.compsConst[k];
    tmp.clear();
    tmpConst.clear();
    if (v->nbLink > 0) {
      decomposeRec(v, tmp, tmpConst, (int)k);
      if (v->decompositionId == -1) tmp.push_back(v);
    } else {
      tmp.push_back(v);
    }
    // tmp is never empty here and holds one variable whenever tmpConst is
    // empty, so both lists always grow together.
    k++;
  }
  f.nbComps = k;
  return k;
}

void DdnnfCompiler::decomposeRec(Variable* v, std::vector<Variable*>& tmp,
                                 std::vector<Constraint*>& tmpConst, int id) {
  // Depth-first walk with an explicit stack (components may be long chains):
  // constraints in list order, their scope variables in scope order.
  decompStack.clear();
  decompStack.push_back(DecompItem{v, 0, -1});
  while (!decompStack.empty()) {
    size_t top = decompStack.size() - 1;
    DecompItem& it = decompStack[top];
    Variable* u = it.v;
    if (it.sj < 0) {
      // Open the next unmarked, non-universal constraint of u.
      while (it.ci < u->nbLink) {
        Constraint* c = u->vecCont[it.ci];
        if (c->isuniversal == -1 && c->decompositionId == -1) break;
        it.ci++;
      }
      if (it.ci >= u->nbLink) {
        decompStack.pop_back();
        continue;
      }
      Constraint* c = u->vecCont[it.ci];
      c->decompositionId = id;
      tmpConst.push_back(c);
      it.sj = 0;
    }
    Constraint* c = u->vecCont[it.ci];
    Variable* next = nullptr;
    while (it.sj < c->arity) {
      Variable* w = c->scope[it.sj++];
      if (w->decompositionId == -1 && w->sizeDom > 1) {
        next = w;
        break;
      }
    }
    if (next) {
      next->decompositionId = id;
      tmp.push_back(next);
      decompStack.push_back(DecompItem{next, 0, -1});
    } else {
      it.sj = -1;
      it.ci++;
    }
  }
}

void DdnnfCompiler::detectUniversalConstraint(std::vector<Constraint*>& universalConstraints,
                                              std::vector<Variable*>& touchVariable) {
  for (Constraint* c : vecCont) c->active = false;
  int level = cspAC->decisionLevel;
  candidates.clear();
  for (Variable* v : touchVariable)
    for (int k = 0; k < v->nbLink; k++) {
      Constraint* c = v->vecCont[k];
      if (c->active || c->isuniversal != -1) continue;
      if (v->sizeDom == 1 && c->arity == 2) {
        c->isuniversal = level;
        universalConstraints.push_back(c);
      } else {
        c->active = true;
        candidates.push_back(c);
      }
    }
  for (Constraint* c : candidates)
    if (c->isuniversal == -1 && smallEnoughForUniversality(c) && c->isUniversal()) {
      nbUniversalDetected++;
      c->isuniversal = level;
      universalConstraints.push_back(c);
    }
}
