#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "localsearch/HybridSolver.h"
#include "localsearch/SolverWithLS.h"
#include "propagation/LocalConsistancyAC.h"
#include "unit/localsearch/LsNet.h"

using namespace lsnet;

namespace {

// Whether the network has a solution, by enumeration over the declared values.
bool bruteSatisfiable(const Net& n) {
  std::vector<int> idx(n.vars.size(), 0);
  std::vector<InfoValueVar*> saved;
  for (Variable* x : n.vars) saved.push_back(x->infoCurrent);
  bool found = false;
  std::function<void(size_t)> rec = [&](size_t k) {
    if (found) return;
    if (k == n.vars.size()) {
      for (Constraint* c : n.cons)
        if (falsifiedWith(c, nullptr, nullptr)) return;
      found = true;
      return;
    }
    Variable* x = n.vars[k];
    for (int i = 0; i < x->initSize && !found; i++) {
      x->infoCurrent = x->records + i;
      rec(k + 1);
    }
  };
  rec(0);
  for (size_t i = 0; i < n.vars.size(); i++) n.vars[i]->infoCurrent = saved[i];
  return found;
}

bool currentIsSolution(const Net& n) {
  for (Constraint* c : n.cons)
    if (falsifiedWith(c, nullptr, nullptr)) return false;
  return true;
}

// The hybrid's engine steps (decisions at current values, conflicts,
// backtracks, engine restarts with boundary variables) interleaved with
// local-search moves: after each step the local-search state equals the
// recomputed one on the live domains; a decided result is right.
TEST(HybridSolver, EngineStepsKeepTheLocalSearchStateExact) {
  std::mt19937 rng(21);
  int decided = 0, restarts = 0;
  for (int trial = 0; trial < 24; trial++) {
    Net n = randomNet(rng, 11, 3, 14 + trial % 7, 2 + trial % 3, 0.18 + 0.02 * (trial % 5));
    HybridSolver h(n.cons, n.vars, n.maxArity, n.maxDom, 0, trial % 2 ? "-rnovelty" : "-wcsp");
    h.cspAC = new LocalConsistancyAC(h.vecCont, h.vecVar, h.maxArity, h.maxDom);
    bool sat = bruteSatisfiable(n);
    if (h.cspAC->init(false) == 1) {
      EXPECT_FALSE(sat);
      continue;
    }
    srandom(trial);
    h.lsTools->initScoreRL();
    h.lsTools->initCompleteInterpretation();
    h.lsTools->initDiff();
    h.lsTools->initChanged();
    h.born = 8;  // small conflict limit: engine restarts happen
    int r = 0;
    std::uniform_int_distribution<int> pv(0, (int)n.vars.size() - 1);
    for (int step = 0; step < 300 && r != 1 && r != 2; step++) {
      // Random moves among the live values keep constraints falsified.
      for (int f = 0; f < 3; f++) {
        Variable* y = n.vars[pv(rng)];
        h.lsTools->flips(y, y->infoVal[rng() % y->sizeDom], h.lsTools->nbFlipsPerform);
      }
      expectStateExact(h.lsTools, "trial " + std::to_string(trial) + " after flips");
      if (HasFatalFailure()) return;
      Variable* x = h.pickVariableFalseConstraint();
      if (!x) x = h.pickVariable();
      if (!x) break;
      int run = h.run;
      h.cspAC->setDiffModified(false);
      r = h.fixe(x, x->infoCurrent->header.posInVar);
      if (h.run != run) restarts++;
      ASSERT_TRUE(r >= 1 && r <= 4) << r;
      if (r == 3 || r == 4) {
        expectStateExact(h.lsTools, "trial " + std::to_string(trial) + " step " + std::to_string(step));
        if (HasFatalFailure()) return;
      }
    }
    if (r == 2) {
      EXPECT_FALSE(sat) << "trial " << trial;
      decided++;
    } else if (r == 1) {
      EXPECT_TRUE(currentIsSolution(n)) << "trial " << trial;
      decided++;
    }
  }
  EXPECT_GT(decided, 0);
  EXPECT_GT(restarts, 0);
}

// The approximate coMSS of an unsatisfiable network: a non-empty set whose
// removal leaves a satisfiable network, from the first interpretation with
// the fewest falsified constraints; the same seed gives the same set.
class SolverWithLSProbe : public SolverWithLS {
 public:
  using SolverWithLS::SolverWithLS;
  int search(bool) override { return 0; }
  void showFinal(int) override {}
};

TEST(SolverWithLS, ApproximationCoMSSRestoresSatisfiability) {
  std::mt19937 rng(31);
  int unsat = 0;
  for (int trial = 0; trial < 20 && unsat < 6; trial++) {
    Net n = randomNet(rng, 6, 3, 14, 3, 0.45, false);
    if (bruteSatisfiable(n)) continue;
    unsat++;
    std::vector<Constraint*> first, second;
    {
      SolverWithLSProbe p(n.cons, n.vars, n.maxArity, n.maxDom, "-rnovelty");
      p.approximationCoMSS(2000, first);
    }
    {
      SolverWithLSProbe p(n.cons, n.vars, n.maxArity, n.maxDom, "-rnovelty");
      p.approximationCoMSS(2000, second);
    }
    EXPECT_EQ(first, second);
    ASSERT_FALSE(first.empty());
    Net rest;
    rest.vars = n.vars;
    for (Constraint* c : n.cons)
      if (std::find(first.begin(), first.end(), c) == first.end()) rest.cons.push_back(c);
    EXPECT_TRUE(bruteSatisfiable(rest)) << "trial " << trial;
  }
  EXPECT_GT(unsat, 0);
}

// Removing and adding through the solver keeps the variables' lists, the
// solver's list and the local search's list in step.
TEST(SolverWithLS, RemoveAndAddConstraint) {
  std::mt19937 rng(41);
  Net n = randomNet(rng, 5, 3, 6, 1, 0.3);
  SolverWithLSProbe p(n.cons, n.vars, n.maxArity, n.maxDom, "-wcsp");
  Constraint* c = n.cons[1];
  Variable* x = c->scope[0];
  int links = x->nbLink;
  p.removeConstraint(c, true);
  EXPECT_EQ(p.vecCont.size(), n.cons.size() - 1);
  EXPECT_EQ(p.lsTools->vecCont.size(), n.cons.size() - 1);
  EXPECT_EQ(x->nbLink, links - 1);
  p.addConstraint(c);
  EXPECT_EQ(p.vecCont.size(), n.cons.size());
  EXPECT_EQ(p.lsTools->vecCont.size(), n.cons.size());
  EXPECT_EQ(x->nbLink, links);
  srandom(1);
  p.lsTools->initCompleteInterpretation();
  p.lsTools->initDiff();
  expectStateExact(p.lsTools, "after remove and add");
}

}  // namespace
