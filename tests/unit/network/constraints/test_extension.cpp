// Binary and n-ary extension constraints: revision against brute-force arc
// consistency, residual supports over backtracking, check counts, conflict
// tables, local-search bit updates, tuple tables and projection.

#include <gtest/gtest.h>

#include <set>

#include "NetFixture.h"
#include "network/TableauBit.h"
#include "network/constraints/BinarySupportTable.h"
#include "network/constraints/ConstraintExtBin.h"
#include "network/constraints/ConstraintExtN.h"
#include "network/relations/RelationExtBin.h"
#include "network/relations/RelationExtN.h"

using namespace netfix;

namespace {

using TupleSet = std::set<std::vector<int>>;

RelationExtN* makeRelN(int arity, bool conflicts, const TupleSet& tuples) {
  static int n = 0;
  RelationExtN* r = new RelationExtN("R" + std::to_string(n++), arity, conflicts);
  for (const auto& t : tuples) {
    std::vector<int> c = t;
    r->addTuple(c.data());
  }
  r->sortTabTuple();
  return r;
}

RelationExtBin* makeRelBin(bool conflicts, const TupleSet& tuples) {
  int a0 = 0, a1 = 0, b0 = 0, b1 = 0;
  bool first = true;
  for (const auto& t : tuples) {
    if (first || t[0] < a0) a0 = t[0];
    if (first || t[0] > a1) a1 = t[0];
    if (first || t[1] < b0) b0 = t[1];
    if (first || t[1] > b1) b1 = t[1];
    first = false;
  }
  RelationExtBin* r = new RelationExtBin("B", a0, first ? -1 : a1, b0, first ? -1 : b1, conflicts);
  for (const auto& t : tuples) {
    std::vector<int> c = t;
    r->addTuple(c.data());
  }
  return r;
}

Pred semanticPred(const TupleSet& tuples, bool conflicts) {
  return [tuples, conflicts](const std::vector<int>& t) { return (tuples.count(t) > 0) != conflicts; };
}

// Random tuples over per-position value boxes, with the given density.
TupleSet randomTuples(std::mt19937& rng, int arity, int lo, int hi, double density, int scale = 1) {
  TupleSet s;
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<int> t(arity, lo);
  for (;;) {
    if (u(rng) < density) {
      std::vector<int> v = t;
      for (int& x : v) x *= scale;
      s.insert(v);
    }
    int k = arity - 1;
    while (k >= 0 && ++t[k] > hi) t[k--] = lo;
    if (k < 0) break;
  }
  return s;
}

std::vector<int> randomValues(std::mt19937& rng, int lo, int hi, int scale = 1) {
  std::vector<int> v;
  std::uniform_int_distribution<int> coin(0, 2);
  for (int x = lo; x <= hi; x++)
    if (coin(rng)) v.push_back(x * scale);
  if (v.empty()) v.push_back(lo * scale);
  std::shuffle(v.begin(), v.end(), rng);  // declared order need not be sorted
  return v;
}

struct RandomNet {
  std::vector<Variable*> sc;
  TupleSet tuples;
  bool conflicts;
  Pred pred;
};

// scale spreads the values (a large one makes ranges far wider than domains).
RandomNet randomNet(std::mt19937& rng, int arity, double density, int scale = 1) {
  RandomNet n;
  // Domains reach past the relation's box on both sides.
  for (int k = 0; k < arity; k++)
    n.sc.push_back(makeVar("x" + std::to_string(k), randomValues(rng, -4, 5, scale)));
  n.conflicts = rng() & 1;
  n.tuples = randomTuples(rng, arity, -3, 3, density, scale);
  n.pred = semanticPred(n.tuples, n.conflicts);
  for (Variable* x : n.sc) thin(x, rng, 0.8);
  return n;
}

void expectReviseIsArcConsistent(Constraint& c, RandomNet& n, const std::string& what) {
  int arity = (int)n.sc.size();
  for (int pos = 0; pos < arity; pos++) {
    Variable* v = n.sc[pos];
    std::vector<int> expected = gacValues(n.sc, pos, n.pred);
    EXPECT_EQ(c.softRevise(v, pos), expected.empty()) << what << " pos " << pos;
    int before = v->sizeDom;
    bool changed = c.revise(v, pos);
    ASSERT_EQ(live(v), expected) << what << " pos " << pos;
    EXPECT_EQ(changed, v->sizeDom < before) << what;
    if (v->sizeDom == 0) return;
  }
}

}  // namespace

TEST(ExtensionRevise, BinaryMatchesBruteForceArcConsistency) {
  std::mt19937 rng(12345);
  // With support tables, then reading the relation (no budget left).
  long long budget = BinarySupportTable::pairsBudget;
  for (long long tableBudget : {budget, 0LL})
  for (double density : {0.1, 0.5, 0.9}) {
    BinarySupportTable::pairsBudget = tableBudget;
    for (int trial = 0; trial < 60; trial++) {
      RandomNet n = randomNet(rng, 2, density);
      std::string what = "bin d=" + std::to_string(density) + " #" + std::to_string(trial) +
                         (n.conflicts ? " conflicts" : " supports");
      ConstraintExtBin c("c", n.sc.data(), makeRelBin(n.conflicts, n.tuples), 2, 0);
      // Twice: the second sweep runs on residual supports.
      expectReviseIsArcConsistent(c, n, what);
      expectReviseIsArcConsistent(c, n, what + " again");
      // Deeper level: shrink, revise, restore, revise again.
      for (Variable* x : n.sc) x->pushSize();
      for (Variable* x : n.sc) thin(x, rng, 0.6);
      expectReviseIsArcConsistent(c, n, what + " deeper");
      for (Variable* x : n.sc) x->backTrack();
      expectReviseIsArcConsistent(c, n, what + " restored");
    }
  }
  BinarySupportTable::pairsBudget = budget;
}

TEST(ExtensionRevise, BinaryOverTwoColumnTrieMatchesBruteForce) {
  // A binary constraint may sit on any relation answering pair queries.
  // Huge values too: such relations are kept as tries, not matrices.
  std::mt19937 rng(777);
  for (int trial = 0; trial < 40; trial++) {
    RandomNet n = randomNet(rng, 2, 0.4, trial % 2 ? 199999999 : 1);
    ConstraintExtBin c("c", n.sc.data(), makeRelN(2, n.conflicts, n.tuples), 2, 0);
    expectReviseIsArcConsistent(c, n, "trie #" + std::to_string(trial));
  }
}

TEST(ExtensionRevise, NaryMatchesBruteForceArcConsistency) {
  std::mt19937 rng(2024);
  // Scale 1: compact ranges; a large scale: values up to about 2.5e8 apart.
  for (int scale : {1, 49999999})
  for (int arity : {2, 3, 4}) {
    for (double density : {0.05, 0.5, 0.97}) {
      for (int trial = 0; trial < 25; trial++) {
        RandomNet n = randomNet(rng, arity, density, scale);
        std::string what = "scale " + std::to_string(scale) + " arity " + std::to_string(arity) + " d=" + std::to_string(density) + " #" +
                           std::to_string(trial) + (n.conflicts ? " conflicts" : " supports");
        ConstraintExtN c("c", n.sc.data(), makeRelN(arity, n.conflicts, n.tuples), arity, 0);
        expectReviseIsArcConsistent(c, n, what);
        for (Variable* x : n.sc) x->pushSize();
        for (Variable* x : n.sc) thin(x, rng, 0.5);
        expectReviseIsArcConsistent(c, n, what + " deeper");
        for (Variable* x : n.sc) x->backTrack();
        expectReviseIsArcConsistent(c, n, what + " restored");
      }
    }
  }
}

// Counting cuts that would keep a value without a listed live tuple.
TEST(ExtensionRevise, NaryCountingCutsStaySound) {
  struct Case {
    const char* what;
    bool conflicts;
    TupleSet tuples;
    std::vector<std::vector<int>> domains;
    std::vector<int> expectedFirst;
  } cases[] = {
      // Only (0,1) is allowed; y's live values all lie beyond the listed
      // range, so counting them as candidates would wrongly keep x = 0.
      {"support, live values outside the listed range", false, {{0, 1}}, {{0}, {2, 3, 4}}, {}},
      // Every combination under x = 0 is a conflict although x = 0 has a
      // single child: a child count is no tuple count.
      {"conflict, one child many tuples", true, {{0, 5, 1}, {0, 5, 2}, {0, 5, 3}}, {{0}, {5}, {1, 2, 3}}, {}},
      {"conflict, one combination free", true, {{0, 5, 1}, {0, 5, 2}}, {{0}, {5}, {1, 2, 3}}, {0}},
      // Dense support relation over the whole box: cut applies and is right.
      {"support, full box", false, {{0, 0}, {0, 1}, {1, 0}, {1, 1}}, {{0, 1, 2}, {0, 1}}, {0, 1}},
  };
  for (const Case& k : cases) {
    std::vector<Variable*> sc;
    for (const auto& d : k.domains) sc.push_back(makeVar("v", d));
    int arity = (int)sc.size();
    ConstraintExtN c("c", sc.data(), makeRelN(arity, k.conflicts, k.tuples), arity, 0);
    c.revise(sc[0], 0);
    EXPECT_EQ(live(sc[0]), k.expectedFirst) << k.what;
  }
}

TEST(ExtensionRevise, NarySemanticEdgeCases) {
  // Support: values starting no listed tuple go.
  Variable* x = makeVar("x", {0, 1, 2, 3});
  Variable* y = makeVar("y", {0, 1});
  Variable* z = makeVar("z", {0, 1});
  std::vector<Variable*> sc = {x, y, z};
  ConstraintExtN sup("s", sc.data(), makeRelN(3, false, {{1, 0, 0}, {3, 1, 1}}), 3, 0);
  EXPECT_TRUE(sup.revise(x, 0));
  EXPECT_EQ(live(x), (std::vector<int>{1, 3}));
  // Conflict: y holds a value (7) absent from every conflict tuple.
  Variable* a = makeVar("a", {0, 1});
  Variable* b = makeVar("b", {0, 7});
  Variable* d = makeVar("d", {0});
  std::vector<Variable*> sc2 = {a, b, d};
  ConstraintExtN con("k", sc2.data(), makeRelN(3, true, {{0, 0, 0}, {1, 0, 0}}), 3, 0);
  uint64_t checks = Constraint::nbChecks;
  EXPECT_FALSE(con.revise(a, 0));
  EXPECT_EQ(Constraint::nbChecks, checks) << "nothing examined";
  EXPECT_EQ(live(a), (std::vector<int>{0, 1}));
  removeValue(b, 7);
  EXPECT_TRUE(con.revise(a, 0));
  EXPECT_EQ(a->sizeDom, 0);
}

TEST(ExtensionChecks, BinaryCountsOneCheckPerPairTried) {
  Variable* x = makeVar("x", {0, 1, 2});
  Variable* y = makeVar("y", {0, 1, 2});
  TupleSet lt = {{0, 1}, {0, 2}, {1, 2}};
  std::vector<Variable*> sc = {x, y};
  ConstraintExtBin c("lt", sc.data(), makeRelBin(false, lt), 2, 0);
  uint64_t start = Constraint::nbChecks;
  EXPECT_TRUE(c.revise(x, 0));  // 0: 2 checks, 1: 3 checks, 2: 3 checks and removed
  EXPECT_EQ(Constraint::nbChecks - start, 8u);
  EXPECT_EQ(live(x), (std::vector<int>{0, 1}));
  EXPECT_FALSE(c.revise(x, 0));
  EXPECT_EQ(Constraint::nbChecks - start, 8u) << "residual supports still live";
  EXPECT_TRUE(c.revise(y, 1));  // 0: 2 checks, removed; then 2 and 1: 1 check each
  EXPECT_EQ(Constraint::nbChecks - start, 12u);
  EXPECT_EQ(live(y), (std::vector<int>{1, 2}));

  // The residue of x = 1 is y = 2; after removing it and restoring, the
  // restored residue is free again.
  x->pushSize();
  y->pushSize();
  removeValue(y, 2);
  uint64_t mid = Constraint::nbChecks;
  EXPECT_TRUE(c.revise(x, 0));  // x = 0 keeps residue 1; x = 1 tries 1: removed
  EXPECT_EQ(Constraint::nbChecks - mid, 1u);
  x->backTrack();
  y->backTrack();
  mid = Constraint::nbChecks;
  EXPECT_FALSE(c.revise(x, 0));
  EXPECT_EQ(Constraint::nbChecks - mid, 0u);
}

TEST(ExtensionChecks, BinaryValuesBeyondTheMatrixCostNothing) {
  // Conflicts listed over values 0..1; value 9 of x lies beyond the matrix.
  Variable* x = makeVar("x", {0, 9});
  Variable* y = makeVar("y", {0, 1});
  std::vector<Variable*> sc = {x, y};
  ConstraintExtBin con("c", sc.data(), makeRelBin(true, {{0, 0}, {0, 1}}), 2, 0);
  uint64_t start = Constraint::nbChecks;
  EXPECT_TRUE(con.revise(x, 0));
  EXPECT_EQ(live(x), (std::vector<int>{9}));
  EXPECT_EQ(Constraint::nbChecks - start, 2u) << "only x = 0 is searched";
  // Supports: a value beyond the matrix goes without any check.
  Variable* u = makeVar("u", {0, 9});
  Variable* w = makeVar("w", {0, 1});
  std::vector<Variable*> sc2 = {u, w};
  ConstraintExtBin sup("s", sc2.data(), makeRelBin(false, {{0, 1}}), 2, 0);
  start = Constraint::nbChecks;
  EXPECT_TRUE(sup.revise(u, 0));
  EXPECT_EQ(live(u), (std::vector<int>{0}));
  EXPECT_EQ(Constraint::nbChecks - start, 2u);
}

TEST(ExtensionChecks, NaryCountsOneCheckPerValueLookedUp) {
  TupleSet t = {{0, 0, 0}, {0, 1, 1}, {2, 1, 0}};
  struct Case {
    bool conflicts;
    std::vector<int> kept;
    uint64_t checks;
  } cases[] = {
      // x = 1 lies inside [0, 2] but starts no tuple; x = 3 is outside.
      {false, {0, 2}, 2},  // looked up and found: 0 and 2
      {true, {0, 1, 2, 3}, 3},  // 0 and 2 found, 1 missed inside the range
  };
  for (const Case& k : cases) {
    Variable* x = makeVar("x", {0, 1, 2, 3});
    Variable* y = makeVar("y", {0, 1});
    Variable* z = makeVar("z", {0, 1});
    std::vector<Variable*> sc = {x, y, z};
    ConstraintExtN c("c", sc.data(), makeRelN(3, k.conflicts, t), 3, 0);
    uint64_t start = Constraint::nbChecks;
    c.revise(x, 0);
    EXPECT_EQ(live(x), k.kept);
    EXPECT_EQ(Constraint::nbChecks - start, k.checks) << (k.conflicts ? "conflicts" : "supports");
  }
}

TEST(ExtensionConflictTables, CountsAndShortcut) {
  Variable* x = makeVar("x", {0, 1, 2});
  Variable* y = makeVar("y", {0, 1, 2});
  std::vector<Variable*> sc = {x, y};
  TupleSet conf = {{0, 0}, {0, 1}, {2, 1}};
  ConstraintExtBin c("c", sc.data(), makeRelBin(true, conf), 2, 0);
  EXPECT_TRUE(c.initTabConflit());
  EXPECT_EQ(c.getTabConflit(0, 0), 2);
  EXPECT_EQ(c.getTabConflit(0, 1), 0);
  EXPECT_EQ(c.getTabConflit(0, 2), 1);
  EXPECT_EQ(c.getTabConflit(1, 1), 2);
  EXPECT_EQ(c.getTabVarConflict()[0], 2);
  EXPECT_EQ(c.getTabVarConflict()[1], 2);
  // Every value has fewer conflicts than y has values: nothing to examine.
  uint64_t start = Constraint::nbChecks;
  EXPECT_FALSE(c.revise(x, 0));
  EXPECT_EQ(Constraint::nbChecks, start);
  // With y down to {0, 1}, x = 0 has both pairs in conflict.
  removeValue(y, 2);
  EXPECT_TRUE(c.revise(x, 0));
  EXPECT_EQ(live(x), (std::vector<int>{1, 2}));
}

TEST(ExtensionLocalSearch, SwitchedKeepsBitsAndDiffsExact) {
  std::mt19937 rng(99);
  for (int arity : {2, 3, 4}) {
    for (int trial = 0; trial < 15; trial++) {
      RandomNet n = randomNet(rng, arity, 0.5);
      Constraint* c;
      if (arity == 2 && (trial & 1))
        c = new ConstraintExtBin("c", n.sc.data(), makeRelBin(n.conflicts, n.tuples), 2, 0);
      else
        c = new ConstraintExtN("c", n.sc.data(), makeRelN(arity, n.conflicts, n.tuples), arity, 0);
      expectSwitchedExact(c, n.sc, n.pred, rng);
    }
  }
}

TEST(ExtensionTables, NaryTableAndProjectionMatchEnumeration) {
  std::mt19937 rng(4242);
  for (int trial = 0; trial < 40; trial++) {
    int arity = 3 + trial % 2;
    RandomNet n = randomNet(rng, arity, 0.4, trial % 4 == 3 ? 20000003 : 1);
    ConstraintExtN c("c", n.sc.data(), makeRelN(arity, n.conflicts, n.tuples), arity, 0);
    // Table: listed tuples whose values are all live, as global numbers.
    std::vector<std::vector<int>> table;
    bool type = n.conflicts;
    c.computeTableRelation(table, type);
    EXPECT_EQ(type, !n.conflicts);
    std::set<std::vector<int>> expected;
    for (const auto& t : n.tuples) {
      std::vector<int> props;
      for (int k = 0; k < arity; k++) {
        int p = n.sc[k]->positionDom(t[k]);
        if (p < 0) break;
        props.push_back((int)n.sc[k]->infoVal[p]->header.glbProp);
      }
      if ((int)props.size() == arity) expected.insert(props);
    }
    EXPECT_EQ(std::set<std::vector<int>>(table.begin(), table.end()), expected);
    EXPECT_EQ(table.size(), expected.size());

    // Projection with the first variable fixed: the unfixed values of each
    // live listed tuple, in trie (ascending) order.
    std::vector<unsigned> out;
    EXPECT_FALSE(c.projection(out) && n.sc[0]->sizeDom > 1 && n.sc[1]->sizeDom > 1 && n.sc[2]->sizeDom > 1 &&
                 (arity == 3 || n.sc[3]->sizeDom > 1));
    out.clear();
    n.sc[0]->onlyInfoVal(0);
    ASSERT_TRUE(c.projection(out));
    std::vector<unsigned> want;
    for (const auto& t : n.tuples) {  // std::set iterates in ascending order
      bool ok = true;
      for (int k = 0; k < arity && ok; k++) ok = n.sc[k]->positionDom(t[k]) >= 0;
      if (!ok) continue;
      for (int k = 0; k < arity; k++)
        if (n.sc[k]->sizeDom > 1) want.push_back((unsigned)t[k]);
    }
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0], want.size());
    EXPECT_EQ(std::vector<unsigned>(out.begin() + 1, out.end()), want);
  }
}

TEST(ExtensionRevise, NaryCandidateRule) {
  // A relation of 100000 tuples over five variables: with three unfixed
  // variables whose product passes the threshold, revision is skipped.
  TupleSet big;
  for (int i = 0; i < 100000; i++) big.insert({i % 10, (i / 10) % 10, (i / 100) % 10, (i / 1000) % 10, i / 10000});
  RelationExtN* r = makeRelN(5, false, big);
  std::vector<Variable*> sc;
  for (int k = 0; k < 5; k++) sc.push_back(makeVar("v", range(0, 59)));
  ConstraintExtN c("c", sc.data(), r, 5, 0);
  EXPECT_FALSE(c.candidateForRevise());
  EXPECT_FALSE(c.revise(sc[0], 0));
  for (int k = 0; k < 3; k++) sc[k]->assignValue(1);
  EXPECT_TRUE(c.candidateForRevise());
  // A small relation is always revised.
  std::vector<Variable*> sc2;
  for (int k = 0; k < 5; k++) sc2.push_back(makeVar("w", range(0, 59)));
  ConstraintExtN small("s", sc2.data(), makeRelN(5, false, {{1, 1, 1, 1, 1}}), 5, 0);
  EXPECT_TRUE(small.candidateForRevise());
  EXPECT_TRUE(small.revise(sc2[0], 0));
  EXPECT_EQ(live(sc2[0]), (std::vector<int>{1}));
}
