#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "localsearch/LocalSearchTools.h"
#include "propagation/LocalConsistancyAC.h"
#include "unit/localsearch/LsNet.h"

using namespace lsnet;

namespace {

struct Shape {
  const char* name;
  int vars, dom, bin, ter;
  double tight;
};

const Shape shapes[] = {
    {"sparse", 8, 4, 10, 2, 0.25},
    {"dense", 6, 5, 14, 4, 0.45},
    {"two-values", 10, 2, 12, 3, 0.3},
    {"wide", 5, 9, 6, 2, 0.2},
};

TEST(LocalSearchTools, InitDiffMatchesTheInterpretation) {
  std::mt19937 rng(1);
  for (const Shape& s : shapes) {
    Net n = randomNet(rng, s.vars, s.dom, s.bin, s.ter, s.tight);
    LocalSearchTools ls(n.cons, n.vars, n.maxArity);
    srand(7);
    for (int round = 0; round < 5; round++) {
      ls.initCompleteInterpretation();
      ls.initDiff();
      expectStateExact(&ls, s.name);
      EXPECT_EQ(ls.maxSatTmp, ls.currentMaxSat);
      EXPECT_LE(ls.maxSat, ls.currentMaxSat);
    }
  }
}

// Long random flip sequences: after every flip the incremental state equals
// the one recomputed from scratch.
TEST(LocalSearchTools, RandomFlipsKeepTheStateExact) {
  std::mt19937 rng(2);
  for (const Shape& s : shapes) {
    Net n = randomNet(rng, s.vars, s.dom, s.bin, s.ter, s.tight);
    LocalSearchTools ls(n.cons, n.vars, n.maxArity);
    srand(3);
    ls.initCompleteInterpretation();
    ls.initDiff();
    std::uniform_int_distribution<int> pv(0, s.vars - 1);
    for (int f = 0; f < 3000; f++) {
      Variable* x = n.vars[pv(rng)];
      InfoValueVar* a = x->infoVal[rng() % x->sizeDom];
      ls.flips(x, a, f);
      ls.update_statistics_end_flip();
      if (f % 50 == 0 || f > 2950) expectStateExact(&ls, std::string(s.name) + " flip " + std::to_string(f));
    }
    expectStateExact(&ls, s.name);
    EXPECT_EQ(ls.nbFlipsPerform, 3000);
  }
}

TEST(LocalSearchTools, FlipToTheCurrentValueOnlyCountsAndStamps) {
  std::mt19937 rng(4);
  Net n = randomNet(rng, 6, 4, 10, 2, 0.4);
  LocalSearchTools ls(n.cons, n.vars, n.maxArity);
  srand(1);
  ls.initCompleteInterpretation();
  ls.initDiff();
  std::vector<int> diffs;
  for (Variable* x : n.vars)
    for (int i = 0; i < x->sizeDom; i++) diffs.push_back(x->infoVal[i]->diff);
  std::vector<Constraint*> before(ls.falseCont, ls.falseCont + ls.numFalse);
  int cost = ls.currentMaxSat;
  Variable* x = n.vars[2];
  ls.flips(x, x->infoCurrent, 1234);
  EXPECT_EQ(ls.nbFlipsPerform, 1);
  EXPECT_EQ(x->infoCurrent->header.changed, 1234u);
  EXPECT_EQ(ls.currentMaxSat, cost);
  EXPECT_EQ(std::vector<Constraint*>(ls.falseCont, ls.falseCont + ls.numFalse), before);
  size_t k = 0;
  for (Variable* y : n.vars)
    for (int i = 0; i < y->sizeDom; i++) EXPECT_EQ(y->infoVal[i]->diff, diffs[k++]);
}

// Decisions at the current values, propagation, refutations and
// backtracks as the hybrid solver makes them, with flips in between: after
// every repair the state equals the recomputed one on the live domains.
TEST(LocalSearchTools, RepairAfterPropagationAndBacktrackKeepsTheStateExact) {
  std::mt19937 rng(5);
  for (const Shape& s : shapes) {
    Net n = randomNet(rng, s.vars, s.dom, s.bin, s.ter, s.tight);
    LocalConsistancyAC ac(n.cons, n.vars, n.maxArity, n.maxDom);
    if (ac.init(false) == 1) continue;
    LocalSearchTools ls(n.cons, n.vars, n.maxArity);
    srand(11);
    ls.initCompleteInterpretation();
    ls.initDiff();
    std::vector<Variable*> stack;
    std::uniform_int_distribution<int> pv(0, s.vars - 1);
    int repairs = 0, backtracks = 0;
    for (int step = 0; step < 1500; step++) {
      int op = rng() % 10;
      if (op < 6) {
        // A flip among the live values.
        Variable* x = n.vars[pv(rng)];
        ls.flips(x, x->infoVal[rng() % x->sizeDom], step);
      } else if (op < 9) {
        // Fix a variable at its current value and propagate.
        Variable* x = n.vars[pv(rng)];
        if (x->sizeDom <= 1) continue;
        stack.push_back(x);
        ac.setDiffModified(false);
        ac.pushNewVariable(true, x->infoCurrent->header.posInVar, x);
        bool conflict = ac.propagateDiff();
        while (conflict) {
          ac.lPropagate->drain();
          if (ac.decisionLevel == 0) break;
          ac.cancelUntilDiff(ac.decisionLevel - 1);
          Variable* y = stack.back();
          stack.pop_back();
          y->removeInfoVal(0);
          ac.addNear(y);
          conflict = ac.propagateDiff();
          backtracks++;
        }
        if (conflict) break;  // inconsistent at the root: nothing left to test
        ls.reinitCompleteInterpretation(backtracks > 0);
        repairs++;
      } else if (ac.decisionLevel > 0) {
        // Backtrack some levels.
        int to = rng() % ac.decisionLevel;
        ac.cancelUntilDiff(to);
        stack.resize(to);
        ls.reinitCompleteInterpretation(true);
        backtracks++;
      }
      expectStateExact(&ls, std::string(s.name) + " step " + std::to_string(step));
      if (HasFatalFailure()) return;
    }
    EXPECT_GT(repairs, 0) << s.name;
  }
}

// With x in every falsified constraint, x is counted once as a boundary
// variable however often it is found.
TEST(LocalSearchTools, BoundaryVariableCountedOnce) {
  Net n;
  std::vector<int> vals{0, 1};
  Variable* x = makeVar(n, vals);
  Variable* y = makeVar(n, vals);
  Variable* z = makeVar(n, vals);
  for (Variable* w : {y, z}) {
    Variable* sc[2] = {x, w};
    RelationExtBin* r = new RelationExtBin("eq", 0, 1, 0, 1, true);
    int t0[2] = {0, 0}, t1[2] = {1, 1};
    r->addTuple(t0);
    r->addTuple(t1);
    addCons(n, new ConstraintExtBin("ne" + w->name, sc, r, 2, (int)n.cons.size()));
  }
  Constraint::buildStampTable();
  LocalSearchTools ls(n.cons, n.vars, 2);
  for (Variable* v : n.vars) v->selectValue(v->positionDom(0));
  ls.initDiff();
  ASSERT_EQ(ls.numFalse, 2);
  int sx = x->score, sy = y->score;
  EXPECT_TRUE(ls.increaseVariableBoundary());
  EXPECT_FALSE(ls.increaseVariableBoundary());
  EXPECT_FALSE(ls.increaseVariableBoundary());
  EXPECT_EQ(ls.nbVarBoundaries, 1);
  EXPECT_EQ(ls.nbBoundaries, 3);
  EXPECT_EQ(x->score, sx + 3);
  EXPECT_EQ(y->score, sy);
}

// Constraints added after construction get bit tables and room in the
// falsified set; removed ones no longer count.
TEST(LocalSearchTools, AddedAndRemovedConstraints) {
  std::mt19937 rng(6);
  Net n = randomNet(rng, 6, 3, 8, 2, 0.5);
  std::vector<Constraint*> first(n.cons.begin(), n.cons.begin() + 2);
  LocalSearchTools ls(first, n.vars, n.maxArity);
  for (size_t i = 2; i < n.cons.size(); i++) ls.addConstraint(n.cons[i]);
  srand(2);
  ls.initCompleteInterpretation();
  ls.initDiff();
  expectStateExact(&ls, "after adds");
  for (int f = 0; f < 500; f++) {
    Variable* x = n.vars[rng() % n.vars.size()];
    ls.flips(x, x->infoVal[rng() % x->sizeDom], f);
  }
  expectStateExact(&ls, "after flips");
  Constraint* gone = n.cons[3];
  ls.removeConstraint(gone);
  EXPECT_EQ(ls.vecCont.size(), n.cons.size() - 1);
  EXPECT_EQ(std::count(ls.vecCont.begin(), ls.vecCont.end(), gone), 0);
}

TEST(LocalSearchTools, ScoreRL) {
  std::mt19937 rng(8);
  Net n = randomNet(rng, 6, 3, 10, 0, 0.6);
  LocalSearchTools ls(n.cons, n.vars, n.maxArity);
  ls.initScoreRL();
  for (Constraint* c : n.cons) EXPECT_EQ(c->scoreRL, (int)n.cons.size());
  srand(4);
  ls.initCompleteInterpretation();
  ls.initDiff();
  ASSERT_GT(ls.numFalse, 0);
  ls.updateScoreRL();
  for (Constraint* c : n.cons) {
    bool f = std::find(ls.falseCont, ls.falseCont + ls.numFalse, c) != ls.falseCont + ls.numFalse;
    EXPECT_EQ(c->scoreRL, f ? std::min(ls.numFalse, (int)n.cons.size()) : (int)n.cons.size());
  }
}

}  // namespace
