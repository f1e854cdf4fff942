// Arc-consistency engine: fixpoint against brute force, decisions and
// trails, weights, the preprocessing and the local-search variants.
#include <gtest/gtest.h>

#include <random>

#include "propagation/LocalConsistancyAC.h"
#include "unit/search/TestNetwork.h"

using namespace testnet;

namespace {

LocalConsistancyAC* engine(Net& net) {
  return new LocalConsistancyAC(net.cons, net.vars, std::max(net.maxArity, 1),
                                std::max(net.maxDom, 1));
}

// Constraint that records whether initTabConflit was asked and answers a
// fixed value (true stands for "tables built").
class TableConstraint : public PredConstraint {
 public:
  TableConstraint(std::vector<Variable*> sc, bool answer, int id)
      : PredConstraint("T" + std::to_string(id), sc, [](const int*) { return true; }, id),
        answer(answer) {}
  bool initTabConflit() override {
    asked = true;
    return answer;
  }
  bool answer;
  bool asked = false;
};

}  // namespace

// After init (and after any decision and propagation) the domains are the
// arc-consistency closure computed by brute force, and a wipe-out is
// reported exactly when the closure has an empty domain.
TEST(Engine, PropagationReachesTheBruteForceClosure) {
  for (unsigned seed = 1; seed <= 60; seed++) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed * 7919);
    Net net = randomNet(seed, 5 + seed % 3, 3 + seed % 3, (int)(seed % 5) - 2, 0.6,
                        0.25 + 0.05 * (seed % 5), seed % 3);
    LocalConsistancyAC* ac = engine(net);
    std::vector<std::set<int>> expect = bruteAC(net.vars, net.cons);
    bool wipe = false;
    for (auto& s : expect) wipe |= s.empty();
    int r = ac->init(false);
    EXPECT_EQ(r, wipe ? 1 : 2);
    if (wipe) continue;
    EXPECT_EQ(snapshot(net.vars), expect);

    // A few random decisions, each followed by propagation.
    for (int step = 0; step < 4; step++) {
      std::vector<Variable*> open;
      for (Variable* x : net.vars)
        if (x->sizeDom > 1) open.push_back(x);
      if (open.empty()) break;
      Variable* x = open[rng() % open.size()];
      int pos = rng() % x->sizeDom;
      bool positive = rng() % 2;
      ac->pushNewVariable(positive, pos, x);
      std::vector<std::set<int>> exp2 = bruteAC(net.vars, net.cons);
      bool w2 = false;
      for (auto& s : exp2) w2 |= s.empty();
      bool conflict = ac->propagate();
      EXPECT_EQ(conflict, w2);
      if (conflict) break;
      EXPECT_EQ(snapshot(net.vars), exp2);
    }
  }
}

// Random decision sequences with propagation and random cancellations:
// every cancellation gives back exactly the domains of that level, and the
// trails always hold one entry per open level.
TEST(Engine, CancelRestoresEveryDomainExactly) {
  for (unsigned seed = 1; seed <= 40; seed++) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    Net net = randomNet(seed + 100, 7, 4, -1, 0.5, 0.3, 1);
    LocalConsistancyAC* ac = engine(net);
    if (ac->init(false) == 1) continue;
    std::vector<std::vector<std::set<int>>> levels{snapshot(net.vars)};
    for (int step = 0; step < 60; step++) {
      int lvl = ac->getDecisionLevel();
      ASSERT_EQ((int)levels.size(), lvl + 1);
      for (Variable* x : net.vars) ASSERT_EQ((int)x->saveSize.size(), lvl);
      std::vector<Variable*> open;
      for (Variable* x : net.vars)
        if (x->sizeDom > 1) open.push_back(x);
      bool back = open.empty() || (lvl > 0 && rng() % 4 == 0);
      if (!back) {
        Variable* x = open[rng() % open.size()];
        ac->pushNewVariable(rng() % 3 != 0, rng() % x->sizeDom, x);
        if (ac->propagate()) {
          ac->reinitLPropagate();
          back = true;
        } else {
          levels.push_back(snapshot(net.vars));
        }
      }
      if (back) {
        if (ac->getDecisionLevel() == 0) continue;
        int to = rng() % ac->getDecisionLevel();
        ac->cancelUntil(to);
        levels.resize(to + 1);
        EXPECT_EQ(snapshot(net.vars), levels.back()) << "cancel to level " << to;
        for (Variable* x : net.vars) {
          EXPECT_EQ((int)x->saveSize.size(), to);
          for (int i = 0; i < x->initSize; i++) EXPECT_EQ((int)x->infoVal[i]->header.posInVar, i);
        }
      }
    }
  }
}

TEST(Engine, CancelToCurrentLevelDoesNothingAndLevelZeroEmptiesTrails) {
  Net net = pigeons(4, 6);
  LocalConsistancyAC* ac = engine(net);
  ASSERT_EQ(ac->init(false), 2);
  auto level0 = snapshot(net.vars);
  std::vector<int> sizes0;
  for (Variable* x : net.vars) sizes0.push_back(x->sizeDom);
  for (int k = 0; k < 3; k++) {
    ac->pushNewVariable(true, 1, net.vars[k]);
    ASSERT_FALSE(ac->propagate());
  }
  auto level3 = snapshot(net.vars);
  ac->cancelUntil(3);
  EXPECT_EQ(snapshot(net.vars), level3);
  EXPECT_EQ(ac->getDecisionLevel(), 3);
  ac->cancelUntil(0);
  EXPECT_EQ(snapshot(net.vars), level0);
  for (size_t i = 0; i < net.vars.size(); i++) {
    EXPECT_EQ(net.vars[i]->sizeDom, sizes0[i]);
    EXPECT_TRUE(net.vars[i]->saveSize.empty());
  }
  EXPECT_EQ(ac->getNbDecision(), 3);
}

TEST(Engine, PositiveDecisionLeavesValueAtPositionZeroAfterCancel) {
  Net net;
  Variable* x = net.addVar({4, 7, 9, 11});
  Variable* y = net.addVarRange(0, 3);
  net.add({x, y}, [](const int*) { return true; });
  LocalConsistancyAC* ac = engine(net);
  ASSERT_EQ(ac->init(false), 2);
  ac->pushNewVariable(true, 2, x);
  EXPECT_EQ(x->sizeDom, 1);
  EXPECT_EQ(x->infoVal[0]->dom, 9);
  ac->cancelUntil(0);
  EXPECT_EQ(x->sizeDom, 4);
  EXPECT_EQ(x->infoVal[0]->dom, 9);
  EXPECT_EQ(liveSet(x), (std::set<int>{4, 7, 9, 11}));

  // A negative decision removes just that value, undone by the cancel.
  ac->pushNewVariable(false, 0, x);
  EXPECT_EQ(liveSet(x), (std::set<int>{4, 7, 11}));
  ac->cancelUntil(0);
  EXPECT_EQ(liveSet(x), (std::set<int>{4, 7, 9, 11}));
}

// Decisions queue exactly the arcs around the decided variable.
TEST(Engine, DecisionQueuesTheArcsAroundTheVariable) {
  Net net;
  Variable* x = net.addVarRange(0, 2);
  Variable* y = net.addVarRange(0, 2);
  Variable* z = net.addVarRange(0, 2);
  Variable* w = net.addVarRange(0, 2);
  auto any = [](const int*) { return true; };
  Constraint* cxyz = net.add({x, y, z}, any);
  Constraint* czw = net.add({z, w}, any);
  Constraint* cyx = net.add({y, x}, any);
  LocalConsistancyAC* ac = engine(net);
  ASSERT_EQ(ac->init(false), 2);
  ac->pushNewVariable(true, 0, x);
  ListPropagate* l = ac->getLPropagate();
  EXPECT_TRUE(l->contains(cxyz, 1));
  EXPECT_TRUE(l->contains(cxyz, 2));
  EXPECT_FALSE(l->contains(cxyz, 0));
  EXPECT_TRUE(l->contains(cyx, 0));
  EXPECT_FALSE(l->contains(cyx, 1));
  EXPECT_FALSE(l->contains(czw, 0));
  EXPECT_FALSE(l->contains(czw, 1));
  // Queue order: constraints in x's list order, positions high to low.
  std::vector<std::pair<Constraint*, int>> order;
  while (!l->isEmpty()) {
    Couple& e = l->pop();
    order.push_back({e.c, e.position});
  }
  std::vector<std::pair<Constraint*, int>> expect = {{cxyz, 2}, {cxyz, 1}, {cyx, 0}};
  EXPECT_EQ(order, expect);
}

TEST(Engine, InitDetectsUnaryWipeOutAlsoOnAnIsolatedVariable) {
  for (bool isolated : {true, false}) {
    SCOPED_TRACE(isolated);
    Net net;
    Variable* x = net.addVarRange(0, 3);
    Variable* y = net.addVarRange(0, 3);
    if (!isolated) net.add({x, y}, [](const int* t) { return t[0] <= t[1]; });
    net.add({x}, [](const int* t) { return t[0] > 10; });
    LocalConsistancyAC* ac = engine(net);
    EXPECT_EQ(ac->init(false), 1);
    EXPECT_EQ(x->sizeDom, 0);
  }
  // A unary constraint that keeps some values filters without failing.
  Net net;
  Variable* x = net.addVarRange(0, 3);
  Variable* y = net.addVarRange(0, 3);
  net.add({x, y}, [](const int* t) { return t[0] == t[1]; });
  net.add({x}, [](const int* t) { return t[0] % 2 == 1; });
  LocalConsistancyAC* ac = engine(net);
  EXPECT_EQ(ac->init(false), 2);
  EXPECT_EQ(liveSet(y), (std::set<int>{1, 3}));
}

// init puts the live values back in declared order.
TEST(Engine, InitSortsLiveValuesInDeclaredOrder) {
  Net net;
  Variable* x = net.addVar({5, 1, 8, 3, 2});
  Variable* y = net.addVarRange(0, 9);
  net.add({x, y}, [](const int* t) { return t[0] != 8 && t[0] != 5 && t[1] == 0; });
  LocalConsistancyAC* ac = engine(net);
  ASSERT_EQ(ac->init(false), 2);
  ASSERT_EQ(x->sizeDom, 3);
  EXPECT_EQ(x->infoVal[0]->dom, 1);
  EXPECT_EQ(x->infoVal[1]->dom, 3);
  EXPECT_EQ(x->infoVal[2]->dom, 2);
}

TEST(Engine, InitWithoutVerbPrintsNothingAndSkipsPreprocessing) {
  Net net;
  Variable* x = net.addVarRange(0, 2);
  Variable* y = net.addVarRange(0, 2);
  auto* c = new TableConstraint({x, y}, true, 0);
  net.cons.push_back(c);
  net.maxArity = 2;
  LocalConsistancyAC* ac = engine(net);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(ac->init(false), 2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(c->asked);
  EXPECT_FALSE(ac->getPreprosOK());

  testing::internal::CaptureStderr();
  EXPECT_EQ(ac->init(true), 2);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(c->asked);
  EXPECT_TRUE(ac->getPreprosOK());
  EXPECT_EQ(err.rfind("c The prepros is performing:  : finish = ", 0), 0u) << err;
  EXPECT_NE(err.find(" : 1\nc Arc consistency on unary constraints : finished\n"
                     "c Arc consistency is performing : propagate = 1, tps = "),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("s.\nc SAC is performing : initialization finished 2\n"), std::string::npos)
      << err;
}

// The first constraint without tables stops the preprocessing: later
// constraints are not asked and the result is false.
TEST(Engine, PreprocessingStopsAtFirstConstraintWithoutTables) {
  Net net;
  Variable* x = net.addVarRange(0, 2);
  Variable* y = net.addVarRange(0, 2);
  auto* a = new TableConstraint({x, y}, true, 0);
  auto* b = new TableConstraint({x, y}, false, 1);
  auto* c = new TableConstraint({x, y}, true, 2);
  net.cons = {a, b, c};
  net.maxArity = 2;
  LocalConsistancyAC* ac = engine(net);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(ac->initPrepros(true));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(a->asked);
  EXPECT_TRUE(b->asked);
  EXPECT_FALSE(c->asked);
  EXPECT_NE(err.find(" : 0\n"), std::string::npos) << err;
}

// x == y and x != y pass level-0 arc consistency; deciding x makes the
// disequality empty y once the equality has reduced it.
struct ClashNet {
  Net net;
  Variable *x, *y, *z;
  Constraint *other, *eq, *ne;
  ClashNet() {
    x = net.addVarRange(0, 3);
    y = net.addVarRange(0, 3);
    z = net.addVarRange(0, 3);
    other = net.add({x, z}, [](const int*) { return true; });
    eq = net.add({x, y}, [](const int* t) { return t[0] == t[1]; });
    ne = net.add({x, y}, [](const int* t) { return t[0] != t[1]; });
  }
};

TEST(Engine, WipeOutRaisesTheFailingConstraintScore) {
  ClashNet n;
  LocalConsistancyAC* ac = engine(n.net);
  ASSERT_EQ(ac->init(false), 2);
  for (Constraint* c : n.net.cons) c->active = false;
  ac->pushNewVariable(true, 1, n.x);
  EXPECT_TRUE(ac->propagate());
  EXPECT_EQ(n.y->sizeDom, 0);
  EXPECT_DOUBLE_EQ(n.ne->score, 2.0);
  EXPECT_DOUBLE_EQ(n.eq->score, 1.0);
  EXPECT_DOUBLE_EQ(n.other->score, 1.0);
  EXPECT_TRUE(n.ne->active);
  EXPECT_TRUE(n.eq->active);
  EXPECT_FALSE(n.other->active);
}

// Once a bump takes a score past 1e20, every score of the engine's list and
// the increment are scaled by 1e-20, so the ranking is kept.
TEST(Engine, ScoresAreRescaledPastTheLimit) {
  ClashNet n;
  LocalConsistancyAC* ac = engine(n.net);
  ASSERT_EQ(ac->init(false), 2);
  double savedUp = Constraint::weightUp;
  n.ne->score = 1.5e20;
  n.other->score = 3e19;
  ac->pushNewVariable(true, 0, n.x);
  EXPECT_TRUE(ac->propagate());
  EXPECT_DOUBLE_EQ(n.ne->score, 1.5);
  EXPECT_DOUBLE_EQ(n.other->score, 3e19 * 1e-20);
  EXPECT_DOUBLE_EQ(n.eq->score, 1e-20);
  EXPECT_DOUBLE_EQ(Constraint::weightUp, savedUp * 1e-20);
  Constraint::weightUp = savedUp;
}

// propagateDiff notes that a revised variable lost its current value, and
// on a wipe-out bumps the score without rescaling nor marking constraints.
TEST(Engine, PropagateDiffTracksCurrentValues) {
  ClashNet n;
  LocalConsistancyAC* ac = engine(n.net);
  ASSERT_EQ(ac->init(false), 2);
  for (Constraint* c : n.net.cons) c->active = false;
  double savedUp = Constraint::weightUp;
  n.ne->score = 1e20;
  n.x->infoCurrent = n.x->infoVal[1];
  n.y->infoCurrent = n.y->infoVal[3];
  n.z->infoCurrent = n.z->infoVal[0];
  ac->setDiffModified(false);
  ac->pushNewVariable(true, 1, n.x);  // x = 1: y keeps 1, loses its current 3
  EXPECT_TRUE(ac->propagateDiff());
  EXPECT_TRUE(ac->getDiffModified());
  EXPECT_DOUBLE_EQ(n.ne->score, 1e20 + 1);
  EXPECT_DOUBLE_EQ(n.other->score, 1.0) << "no rescaling";
  EXPECT_DOUBLE_EQ(Constraint::weightUp, savedUp);
  for (Constraint* c : n.net.cons) EXPECT_FALSE(c->active);

  Constraint::weightUp = savedUp;

  // Without loss of a current value the flag stays clear.
  Net plain;
  Variable* a = plain.addVarRange(0, 3);
  Variable* b = plain.addVarRange(0, 3);
  plain.add({a, b}, [](const int* t) { return t[0] <= t[1]; });
  LocalConsistancyAC* ac2 = engine(plain);
  ASSERT_EQ(ac2->init(false), 2);
  a->infoCurrent = a->infoVal[0];
  b->infoCurrent = b->infoVal[3];
  ac2->pushNewVariable(true, 2, b);  // b = 2 removes a = 3 only
  EXPECT_FALSE(ac2->propagateDiff());
  EXPECT_FALSE(ac2->getDiffModified());
  EXPECT_EQ(liveSet(a), (std::set<int>{0, 1, 2}));
}

TEST(Engine, CancelUntilDiffMarksReadmittedValues) {
  Net net;
  Variable* x = net.addVarRange(0, 4);
  Variable* y = net.addVarRange(0, 4);
  net.add({x, y}, [](const int* t) { return t[0] < t[1]; });
  LocalConsistancyAC* ac = engine(net);
  ASSERT_EQ(ac->init(false), 2);  // x in 0..3, y in 1..4
  for (Variable* v : {x, y})
    for (int i = 0; i < v->initSize; i++) v->infoVal[i]->diff = 5;
  ac->pushNewVariable(true, 0, y);  // y = 1 leaves x = 0
  ASSERT_FALSE(ac->propagate());
  ac->cancelUntilDiff(0);
  EXPECT_EQ(liveSet(x), (std::set<int>{0, 1, 2, 3}));
  EXPECT_EQ(liveSet(y), (std::set<int>{1, 2, 3, 4}));
  int marked = 0;
  for (Variable* v : {x, y})
    for (int i = 0; i < v->initSize; i++) marked += v->infoVal[i]->diff == -1;
  EXPECT_EQ(marked, 6);  // 3 values of x and 3 of y came back
  EXPECT_EQ(x->infoVal[0]->diff, 5);
  EXPECT_EQ(y->infoVal[0]->diff, 5);
  EXPECT_EQ(x->infoVal[4]->diff, 5) << "removed at level 0, not re-admitted";
}

TEST(Engine, ConstraintListAndCounters) {
  Net net = pigeons(3, 3);
  LocalConsistancyAC* ac = engine(net);
  EXPECT_EQ(ac->getNbValInit(), 9);
  ASSERT_EQ(ac->init(false), 2);
  ac->pushNewVariable(false, 0, net.vars[0]);
  EXPECT_EQ(ac->getNbValDelete(), 1);
  Constraint* c0 = net.cons[0];
  ac->removeConstraint(c0);
  EXPECT_EQ(ac->getConstraints().size(), 2u);
  EXPECT_EQ(ac->getConstraints()[0], net.cons[2]);
  ac->removeConstraint(c0);  // absent: nothing changes
  EXPECT_EQ(ac->getConstraints().size(), 2u);
  ac->addConstraint(c0);
  EXPECT_EQ(ac->getConstraints().back(), c0);
  ac->reinitLocalConsistancy();
  EXPECT_EQ(ac->getDecisionLevel(), 0);
  EXPECT_EQ(ac->getNbDecision(), 0);
}

// A constraint created after the engine gets room in the propagation list.
TEST(Engine, ConstraintCreatedAfterTheEngineFitsTheList) {
  Net net = pigeons(3, 3);
  LocalConsistancyAC* ac = engine(net);
  int before = ac->getLPropagate()->getSize();
  std::vector<Variable*> sc(net.vars.begin(), net.vars.end());
  for (int k = 0; k < 6; k++) sc.push_back(net.vars[k % 3]);
  // Arity 9 with 10 slots of slack: a second one overruns the first list.
  Constraint* big1 = net.add(sc, [](const int*) { return true; });
  Constraint* big2 = net.add(sc, [](const int* t) { return t[0] != 1; });
  ac->addConstraint(big1);
  ac->addConstraint(big2);
  EXPECT_GE(ac->getLPropagate()->getSize(), big2->indCont + big2->arity);
  EXPECT_GT(ac->getLPropagate()->getSize(), before);
  EXPECT_EQ(ac->init(false), 2);
  EXPECT_EQ(liveSet(net.vars[0]), (std::set<int>{0, 2}));
}

// Every discipline reaches the same fixpoint.
TEST(Engine, AllListDisciplinesReachTheSameFixpoint) {
  for (unsigned seed = 1; seed <= 10; seed++) {
    std::vector<std::vector<std::set<int>>> results;
    for (int method = 1; method <= 3; method++) {
      Net net = randomNet(seed + 500, 6, 4, 0, 0.7, 0.3, 2);
      LocalConsistancyAC* ac = engine(net);
      ac->setLPropagate(method);
      int r = ac->init(false);
      auto snap = snapshot(net.vars);
      if (r == 1) snap.clear();
      results.push_back(snap);
    }
    EXPECT_EQ(results[0], results[1]) << seed;
    EXPECT_EQ(results[0], results[2]) << seed;
  }
}
