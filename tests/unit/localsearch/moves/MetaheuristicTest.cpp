#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <set>
#include <string>

#include "localsearch/LocalSearchTools.h"
#include "localsearch/Metaheuristic.h"
#include "unit/localsearch/LsNet.h"

using namespace lsnet;

namespace {

const char* const allNames[] = {"-alea",     "-gcsp",     "-wcsp",        "-best",
                                "-novelty",  "-rnovelty", "-wcspSatCont", "-noveltySatCont"};

TEST(Metaheuristic, UnknownNameIsRefused) {
  std::mt19937 rng(1);
  Net n = randomNet(rng, 4, 3, 4, 1, 0.3);
  LocalSearchTools ls(n.cons, n.vars, n.maxArity);
  for (const char* bad : {"", "-Alea", "novelty", "-tabu", "-wcsp "})
    EXPECT_EQ(Metaheuristic::create(bad, &ls, 8), nullptr) << bad;
  EXPECT_EXIT(Metaheuristic::createOrExit("-tabu", &ls, 8, "Métaheuristique inconnu"),
              ::testing::ExitedWithCode(1), "Métaheuristique inconnu");
  EXPECT_EXIT(Metaheuristic::createOrExit("", &ls, 8, "Unknown Metaheuristic"), ::testing::ExitedWithCode(1),
              "Unknown Metaheuristic");
}

// Driving a search with every strategy: each move is a live value of a
// variable of some falsified constraint, the reported gain is the move's
// real gain when the strategy says it improves, and the state stays exact.
TEST(Metaheuristic, MovesAreLiveValuesOfFalsifiedConstraints) {
  for (const char* name : allNames) {
    std::mt19937 rng(2);
    Net n = randomNet(rng, 9, 4, 16, 3, 0.35);
    LocalSearchTools ls(n.cons, n.vars, n.maxArity);
    std::unique_ptr<Metaheuristic> m(Metaheuristic::create(name, &ls, n.maxArity * n.maxDom));
    ASSERT_NE(m, nullptr) << name;
    srandom(5);
    ls.initCompleteInterpretation();
    ls.initDiff();
    ls.initChanged();
    int improving = 0;
    for (int f = 0; f < 2000 && ls.numFalse > 0; f++) {
      int walks = m->getNbAleaTry();
      coupleFlip mv = m->nextChoice();
      ASSERT_NE(mv.v, nullptr) << name;
      bool inFalse = false;
      for (int i = 0; i < ls.numFalse && !inFalse; i++)
        for (int k = 0; k < ls.falseCont[i]->arity; k++)
          if (ls.falseCont[i]->scope[k] == mv.v) inFalse = true;
      ASSERT_TRUE(inFalse) << name << ": " << mv.v->name << " is in no falsified constraint";
      ASSERT_LT((int)mv.p->header.posInVar, mv.v->sizeDom) << name;
      ASSERT_EQ(mv.v->infoVal[mv.p->header.posInVar], mv.p) << name << ": record of another variable";
      bool walked = m->getNbAleaTry() > walks;
      if (walked) {
        EXPECT_EQ(m->getBestDiff(), -1) << name;
      }
      std::string nm = name;
      int gain = mv.v->infoCurrent->diff - mv.p->diff;
      if (!walked && (nm == "-wcsp" || nm == "-wcspSatCont")) {
        EXPECT_GT(gain, 0) << name;
        EXPECT_EQ(gain, m->getBestDiff()) << name;
      }
      if (!walked && nm == "-gcsp") {
        EXPECT_LT(mv.p->diff, mv.v->infoCurrent->diff) << name;
        EXPECT_EQ(mv.p->diff, m->getBestDiff()) << name;
      }
      if (gain > 0) improving++;
      ls.flips(mv.v, mv.p, f);
      ls.update_statistics_end_flip();
    }
    expectStateExact(&ls, name);
    if (std::string(name) != "-alea") {
      EXPECT_GT(improving, 0) << name;
    }
  }
}

// x = 0 and y = 0 violate c0 (weight 1); moving either to 1 violates a
// unary constraint of weight 2: every move is worse than staying.
struct LocalMinimum {
  Net n;
  Variable *x, *y;
  LocalMinimum() {
    x = makeVar(n, {0, 1});
    y = makeVar(n, {0, 1});
    Variable* sc[2] = {x, y};
    RelationExtBin* r = new RelationExtBin("r00", 0, 1, 0, 1, true);
    int t[2] = {0, 0};
    r->addTuple(t);
    addCons(n, new ConstraintExtBin("c0", sc, r, 2, 900));
    for (Variable* v : {x, y}) {
      Variable* s1[1] = {v};
      RelationExtN* u = new RelationExtN("u" + v->name, 1, true);
      int one[1] = {1};
      u->addTuple(one);
      u->sortTabTuple();
      Constraint* c = new ConstraintExtN("u" + v->name, s1, u, 1, 901);
      c->weight = 2;
      addCons(n, c);
    }
    Constraint::buildStampTable();
  }
};

TEST(Metaheuristic, GreedyStrategiesWalkAtALocalMinimum) {
  for (const char* name : {"-wcsp", "-wcspSatCont", "-gcsp"}) {
    LocalMinimum lm;
    LocalSearchTools ls(lm.n.cons, lm.n.vars, 2);
    std::unique_ptr<Metaheuristic> m(Metaheuristic::create(name, &ls, 4));
    lm.x->selectValue(lm.x->positionDom(0));
    lm.y->selectValue(lm.y->positionDom(0));
    ls.initDiff();
    ASSERT_EQ(ls.numFalse, 1);
    srandom(3);
    for (int i = 1; i <= 50; i++) {
      m->nextChoice();
      EXPECT_EQ(m->getNbAleaTry(), i) << name;
      EXPECT_EQ(m->getBestDiff(), -1) << name;
    }
  }
}

TEST(Metaheuristic, NoveltyFamilyWalksOncePerHundredCalls) {
  for (const char* name : {"-novelty", "-rnovelty", "-noveltySatCont"}) {
    LocalMinimum lm;
    LocalSearchTools ls(lm.n.cons, lm.n.vars, 2);
    std::unique_ptr<Metaheuristic> m(Metaheuristic::create(name, &ls, 4));
    lm.x->selectValue(lm.x->positionDom(0));
    lm.y->selectValue(lm.y->positionDom(0));
    ls.initDiff();
    srandom(3);
    for (int i = 0; i < 99; i++) m->nextChoice();
    EXPECT_EQ(m->getNbAleaTry(), 0) << name;
    m->nextChoice();
    EXPECT_EQ(m->getNbAleaTry(), 1) << name;
    for (int i = 0; i < 200; i++) m->nextChoice();
    EXPECT_EQ(m->getNbAleaTry(), 3) << name;
  }
}

// x in {0, 1, 2} must not be 0 (the only falsified constraint); 1 and 2
// have the same gain, so the value changed longer ago wins.
TEST(Metaheuristic, NoveltyTiesGoToTheOlderValue) {
  struct Case {
    const char* name;
    unsigned stamp1, stamp2;
    int expected;
  };
  const Case cases[] = {
      {"-novelty", 5, 3, 2},  {"-novelty", 3, 5, 1},       {"-rnovelty", 5, 3, 2},
      {"-rnovelty", 3, 5, 1}, {"-noveltySatCont", 5, 3, 2}, {"-noveltySatCont", 3, 5, 1},
  };
  for (const Case& k : cases) {
    Net n;
    Variable* x = makeVar(n, {0, 1, 2});
    Variable* sc[1] = {x};
    RelationExtN* r = new RelationExtN("not0", 1, true);
    int t[1] = {0};
    r->addTuple(t);
    r->sortTabTuple();
    addCons(n, new ConstraintExtN("not0", sc, r, 1, 950));
    Constraint::buildStampTable();
    LocalSearchTools ls(n.cons, n.vars, 1);
    std::unique_ptr<Metaheuristic> m(Metaheuristic::create(k.name, &ls, 3));
    x->selectValue(x->positionDom(0));
    ls.initDiff();
    ls.initChanged();
    x->infoVal[x->positionDom(1)]->header.changed = k.stamp1;
    x->infoVal[x->positionDom(2)]->header.changed = k.stamp2;
    srandom(1);
    for (int i = 0; i < 20; i++) {
      coupleFlip mv = m->nextChoice();
      EXPECT_EQ(mv.p->dom, k.expected) << k.name << " " << k.stamp1 << "/" << k.stamp2;
      EXPECT_EQ(m->getBestDiff(), 1) << k.name;
    }
  }
}

// The random walk returns the current value with probability 1 / sizeDom.
TEST(Metaheuristic, RandomWalkCanBeANullFlip) {
  LocalMinimum lm;
  LocalSearchTools ls(lm.n.cons, lm.n.vars, 2);
  std::unique_ptr<Metaheuristic> m(Metaheuristic::create("-alea", &ls, 4));
  lm.x->selectValue(lm.x->positionDom(0));
  lm.y->selectValue(lm.y->positionDom(0));
  ls.initDiff();
  srandom(9);
  int nulls = 0;
  for (int i = 0; i < 400; i++) {
    coupleFlip mv = m->nextChoice();
    if (mv.p == mv.v->infoCurrent) nulls++;
  }
  EXPECT_GT(nulls, 120);
  EXPECT_LT(nulls, 280);
  EXPECT_EQ(m->getNbAleaTry(), 400);
}

}  // namespace
