#include <gtest/gtest.h>

#include "network/constraints/AllDiff.h"
#include "unit/network/globals/GlobalsTestUtil.h"

using namespace gt;

namespace {

bool pairwiseDistinct(const std::vector<int>& t) {
  std::set<int> s(t.begin(), t.end());
  return s.size() == t.size();
}

AllDiff* makeAllDiff(const std::vector<Variable*>& vars) {
  std::vector<Variable*> sc(vars);
  static int id = 0;
  const int myId = id++;
  return new AllDiff("ad" + std::to_string(myId), sc.data(), (int)sc.size(), myId);
}

}  // namespace

TEST(AllDiff, TupleExistDetectsAnyRepeatedValue) {
  Variable* x = makeVar("adt_x", range(0, 2));
  Variable* y = makeVar("adt_y", range(0, 2));
  Variable* z = makeVar("adt_z", range(0, 2));
  Variable* w = makeVar("adt_w", range(0, 2));
  AllDiff* c = makeAllDiff({x, y, z, w});
  struct Case {
    std::vector<int> t;
    bool ok;
  } cases[] = {
      {{0, 1, 2, 3}, true},
      {{0, 1, 2, 0}, false},      // first and last equal
      {{5, 5, 1, 2}, false},      // adjacent
      {{-1, 1, -2, 2}, true},     // signs matter
      {{1000000000, -1000000000, 0, 999999999}, true},
      {{1000000000, 7, 1000000000, 3}, false},  // far outside the declared values
      {{4, 4, 4, 4}, false},
  };
  for (const Case& k : cases) {
    std::vector<int> t = k.t;
    EXPECT_EQ(c->tupleExist(t.data()), k.ok) << t[0] << " " << t[1] << " " << t[2] << " " << t[3];
    // Repeated calls start from fresh marks.
    EXPECT_EQ(c->tupleExist(t.data()), k.ok);
  }
}

TEST(AllDiff, TwoEqualFixedVariablesEmptyTheThird) {
  Variable* x = makeVar("ad1_x", range(1, 3));
  Variable* y = makeVar("ad1_y", range(1, 3));
  Variable* z = makeVar("ad1_z", range(1, 3));
  AllDiff* c = makeAllDiff({x, y, z});
  fix(x, 1);
  fix(y, 1);
  EXPECT_TRUE(c->softRevise(z, 2));
  EXPECT_EQ(z->sizeDom, 3);
  EXPECT_TRUE(c->revise(z, 2));
  EXPECT_EQ(z->sizeDom, 0);
}

TEST(AllDiff, PigeonholeEmptiesEveryPosition) {
  Variable* x = makeVar("ad2_x", {1, 2});
  Variable* y = makeVar("ad2_y", {1, 2});
  Variable* z = makeVar("ad2_z", {1, 2});
  AllDiff* c = makeAllDiff({x, y, z});
  Snapshot snap({x, y, z});
  Variable* vs[] = {x, y, z};
  for (int p = 0; p < 3; p++) {
    EXPECT_TRUE(c->softRevise(vs[p], p));
    EXPECT_EQ(vs[p]->sizeDom, 2) << "softRevise changed a domain";
    EXPECT_TRUE(c->revise(vs[p], p));
    EXPECT_EQ(vs[p]->sizeDom, 0);
    snap.restore();
  }
}

// On random small scopes (some with values near 10^9), revise never removes
// a value that has a support, always removes the values of fixed variables,
// and reports exactly whether the domain shrank; softRevise only reports a
// wipe-out that revise also finds.
TEST(AllDiff, ReviseIsSoundAgainstBruteForce) {
  std::mt19937 rng(7);
  for (int round = 0; round < 300; round++) {
    const int n = 2 + rng() % 4;
    const int base = (round % 3 == 0) ? 999999990 : (round % 3 == 1 ? -2 : 0);
    std::vector<int> values = range(base, base + 1 + (int)(rng() % 4));
    std::vector<Variable*> vars;
    for (int i = 0; i < n; i++) {
      Variable* x = makeVar("adr" + std::to_string(round) + "_" + std::to_string(i), values);
      std::set<int> sub = randomSubset(rng, values);
      if (rng() % 3 == 0) sub = {*std::next(sub.begin(), rng() % sub.size())};
      keepOnly(x, sub);
      vars.push_back(x);
    }
    AllDiff* c = makeAllDiff(vars);
    Snapshot snap(vars);
    for (int p = 0; p < n; p++) {
      Variable* v = vars[p];
      const std::set<int> before = live(v);
      const std::set<int> sup = supported(c, p, pairwiseDistinct);
      std::set<int> fixedValues;
      for (int q = 0; q < n; q++)
        if (q != p && vars[q]->sizeDom == 1) fixedValues.insert(vars[q]->infoVal[0]->dom);

      const bool soft = c->softRevise(v, p);
      ASSERT_EQ(live(v), before);
      if (soft) { EXPECT_TRUE(sup.empty()) << "softRevise reported a violation on a satisfiable scope"; }

      const bool changed = c->revise(v, p);
      const std::set<int> after = live(v);
      EXPECT_EQ(changed, after.size() < before.size());
      EXPECT_TRUE(intersect(minus(before, after), sup).empty()) << "a supported value was removed";
      EXPECT_TRUE(intersect(after, fixedValues).empty()) << "a value of a fixed variable survived";
      if (soft) { EXPECT_TRUE(after.empty()); }
      snap.restore();
    }
  }
}

TEST(AllDiff, TableRelationListsEqualPairsAsConflicts) {
  Variable* x = makeVar("ad4_x", {1, 2});
  Variable* y = makeVar("ad4_y", {2, 3});
  Variable* z = makeVar("ad4_z", {1, 3, 4});
  AllDiff* c = makeAllDiff({x, y, z});
  keepOnly(z, {1, 3});  // a removed value takes no part
  std::vector<std::vector<int>> table;
  bool type = true;
  c->computeTableRelation(table, type);
  EXPECT_FALSE(type);
  auto g = [](Variable* v, int value) {
    for (int i = 0; i < v->initSize; i++)
      if (v->infoVal[i]->dom == value) return (int)v->infoVal[i]->header.glbProp;
    return -1;
  };
  std::set<std::vector<int>> expected = {{g(x, 2), g(y, 2)}, {g(x, 1), g(z, 1)}, {g(y, 3), g(z, 3)}};
  std::set<std::vector<int>> got(table.begin(), table.end());
  EXPECT_EQ(got, expected);
  EXPECT_EQ(table.size(), 3u);
}
