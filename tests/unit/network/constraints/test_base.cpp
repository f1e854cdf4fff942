// The constraint base: numbering, revision threshold, universality, tuple
// tables, projection, unary filtering, local-search weights, stamp table.

#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "NetFixture.h"
#include "network/TableauBit.h"

using namespace netfix;

TEST(ConstraintBase, NumberingTakesSlotsFromRunningArityTotal) {
  Variable* x = makeVar("x", {0, 1});
  Variable* y = makeVar("y", {0, 1});
  Variable* z = makeVar("z", {0, 1});
  auto any = [](const std::vector<int>&) { return true; };
  int start = Constraint::numero;
  LambdaConstraint a("a", {x, y}, any), b("b", {x, y, z}, any), c("c", {y, z}, any);
  EXPECT_EQ(Constraint::numero - start, 7);
  EXPECT_EQ(a.getIndCont() - start, 0);
  EXPECT_EQ(b.getIndCont() - start, 2);
  EXPECT_EQ(c.getIndCont() - start, 5);
  // Registered with every scope variable at its position.
  ASSERT_GE(z->nbLink, 2);
  EXPECT_EQ(z->vecCont[z->nbLink - 2], &b);
  EXPECT_EQ(z->vecPosCont[z->nbLink - 2], 2);
  // Doubled scope visits the others cyclically.
  for (int pos = 0; pos < 3; pos++)
    for (int e = b.startScopeFrom(pos); e < b.endScopeFrom(pos); e++) {
      EXPECT_NE(b.getScope()[e], b.getScope()[pos]);
      EXPECT_EQ(b.getScope()[e], b.getScope()[e % 3]);
    }
  EXPECT_EQ(a.getScore(), 1.0);
  EXPECT_EQ(a.getWeight(), 1);
  EXPECT_EQ(a.getIsUniversal(), -1);
}

TEST(ConstraintBase, CandidateForReviseThreshold) {
  auto any = [](const std::vector<int>&) { return true; };
  struct Case {
    std::vector<int> sizes;
    bool expected;
  } cases[] = {
      {{1000, 1000, 1000, 1000}, true},           // arity <= 4: always
      {{1, 1, 1, 50000, 50000}, true},          // two unfixed: whatever the product
      {{2, 2, 2, 2, 2}, true},                    // small product
      {{10, 10, 10, 10, 11}, false},              // 110000 > 100000, three unfixed
      {{70000, 70000, 1000, 1, 1}, false},        // product past 32 bits: still too large
      {{10, 10, 10, 10, 10}, true},               // exactly 100000
  };
  for (const Case& c : cases) {
    std::vector<Variable*> sc;
    for (int s : c.sizes) sc.push_back(makeVar("v", range(0, s - 1)));
    LambdaConstraint k("k", sc, any);
    EXPECT_EQ(k.candidateForRevise(), c.expected) << c.sizes[0] << " " << c.sizes[4 % c.sizes.size()];
  }
}

TEST(ConstraintBase, UniversalityCachesTheConflictTuple) {
  Variable* x = makeVar("x", {1, 2, 3});
  Variable* y = makeVar("y", {1, 2, 3});
  LambdaConstraint c("neq", {x, y}, [](const std::vector<int>& t) { return t[0] != t[1]; });
  EXPECT_FALSE(c.isUniversal());
  ASSERT_NE(c.getConflictTuple(), nullptr);
  int cx = c.getConflictTuple()[0], cy = c.getConflictTuple()[1];
  EXPECT_EQ(cx, cy);
  int before = c.calls;
  EXPECT_FALSE(c.isUniversal());
  EXPECT_EQ(c.calls, before) << "stored conflict still live: no enumeration";

  // Remove the conflict value from x: a new enumeration finds another one.
  removeValue(x, cx);
  EXPECT_FALSE(c.isUniversal());
  EXPECT_GT(c.calls, before);
  EXPECT_NE(c.getConflictTuple()[0], cx);

  // Down to one value each, different: universal.
  int vx = live(x)[0];
  x->assignValue(vx);
  y->assignValue(vx == 1 ? 2 : 1);
  EXPECT_TRUE(c.isUniversal());
}

TEST(ConstraintBase, UniversalWithoutStoringAConflict) {
  Variable* x = makeVar("x", {4});
  Variable* y = makeVar("y", {5});
  Variable* z = makeVar("z", {6});
  LambdaConstraint c("lt", {x, y, z}, [](const std::vector<int>& t) { return t[0] < t[1] && t[1] < t[2]; });
  EXPECT_TRUE(c.isUniversal());
  EXPECT_EQ(c.getConflictTuple(), nullptr);
  // An empty domain counts as passing.
  Variable* e = makeVar("e", {1});
  e->removeInfoVal(0);
  LambdaConstraint never("never", {x, e}, [](const std::vector<int>&) { return false; });
  EXPECT_TRUE(never.isUniversal());
}

TEST(ConstraintBase, ComputeTableRelationMatchesEnumeration) {
  // Supports strictly fewer: supports are listed; tie or more: conflicts.
  struct Case {
    Pred pred;
    bool expectSupports;
  } cases[] = {
      {[](const std::vector<int>& t) { return t[0] + t[1] == t[2]; }, true},
      {[](const std::vector<int>& t) { return t[0] + t[1] != t[2]; }, false},
      {[](const std::vector<int>& t) { return (t[0] + t[1] + t[2]) % 2 == 0; }, false},  // 4 vs 4: tie
  };
  for (const Case& k : cases) {
    Variable* x = makeVar("x", {-1, 0});
    Variable* y = makeVar("y", {0, 1});
    Variable* z = makeVar("z", {-1, 0, 1, 2});
    removeValue(z, 2);
    removeValue(z, -1);
    LambdaConstraint c("c", {x, y, z}, k.pred);
    std::vector<std::vector<int>> table;
    bool type = false;
    c.computeTableRelation(table, type);
    EXPECT_EQ(type, k.expectSupports);
    // Expected: every live combination, as global numbers, filtered.
    std::set<std::vector<int>> expected;
    for (int i = 0; i < x->sizeDom; i++)
      for (int j = 0; j < y->sizeDom; j++)
        for (int l = 0; l < z->sizeDom; l++) {
          std::vector<int> vals = {x->infoVal[i]->dom, y->infoVal[j]->dom, z->infoVal[l]->dom};
          if (k.pred(vals) == type)
            expected.insert({(int)x->infoVal[i]->header.glbProp, (int)y->infoVal[j]->header.glbProp,
                             (int)z->infoVal[l]->header.glbProp});
        }
    EXPECT_EQ(std::set<std::vector<int>>(table.begin(), table.end()), expected);
    EXPECT_EQ(table.size(), expected.size());
  }
}

TEST(ConstraintBase, ProjectionListsSingletonVariables) {
  Variable* x = makeVar("x", {1, 2});
  Variable* y = makeVar("y", {3, 4});
  Variable* z = makeVar("z", {5, 6});
  auto any = [](const std::vector<int>&) { return true; };
  LambdaConstraint c("c", {x, y, z}, any), bin("b", {x, y}, any);
  std::vector<unsigned> out = {42};
  EXPECT_FALSE(c.projection(out));
  EXPECT_EQ(out, std::vector<unsigned>{42});
  x->assignValue(2);
  z->assignValue(5);
  EXPECT_TRUE(c.projection(out));
  EXPECT_EQ(out, (std::vector<unsigned>{42, 4, (unsigned)x->idVar, 2, (unsigned)z->idVar, 5}));
  EXPECT_FALSE(bin.projection(out)) << "binary constraints describe nothing";
}

TEST(ConstraintBase, ReviseUnaryRemovesRejectedValues) {
  Variable* x = makeVar("x", range(-3, 3));
  LambdaConstraint c("pos", {x}, [](const std::vector<int>& t) { return t[0] > 0; });
  EXPECT_TRUE(c.reviseUnary());
  EXPECT_TRUE(c.isActive());
  EXPECT_EQ(live(x), (std::vector<int>{1, 2, 3}));
  c.unmakeActive();
  EXPECT_FALSE(c.reviseUnary());
  EXPECT_FALSE(c.isActive());
  LambdaConstraint none("none", {x}, [](const std::vector<int>&) { return false; });
  EXPECT_TRUE(none.reviseUnary());
  EXPECT_EQ(x->sizeDom, 0);
  EXPECT_FALSE(none.reviseUnary()) << "empty on entry";
}

TEST(ConstraintBase, UpdateWeightShiftsDiffOfViolatingValues) {
  Variable* x = makeVar("x", {0, 1, 2});
  Variable* y = makeVar("y", {0, 1});
  LambdaConstraint c("c", {x, y}, [](const std::vector<int>&) { return true; });
  c.initTabBit();
  EXPECT_TRUE(c.getSoonCreateTab());
  c.setBit(0, 1, 1);
  c.setBit(1, 0, 1);
  c.updateWeight(5);
  EXPECT_EQ(c.getWeight(), 5);
  EXPECT_EQ(x->records[1].diff, 4);
  EXPECT_EQ(x->records[0].diff, 0);
  EXPECT_EQ(y->records[0].diff, 4);
  EXPECT_EQ(c.getBit(0, 1), 1);
  EXPECT_EQ(c.getBit(0, 2), 0);
}

TEST(ConstraintBase, ScoreBumpAndReinit) {
  Variable* x = makeVar("x", {0, 1});
  LambdaConstraint c("c", {x}, [](const std::vector<int>&) { return true; });
  double old = Constraint::weightUp;
  Constraint::weightUp = 2.5;
  EXPECT_EQ(c.bumpScore(), 3.5);
  Constraint::weightUp = old;
  c.makeSoft();
  c.makeBlocked();
  c.makeActive();
  c.reinit();
  EXPECT_EQ(c.getScore(), 1.0);
  EXPECT_FALSE(c.isSoft() || c.isBlocked() || c.isActive());
}

// The stamp table must answer the same for values far apart without one
// cell per integer of their range.
class StampTable : public ::testing::Test {
 protected:
  int savedSmall = 0, savedBig = 0;
  void SetUp() override {
    savedSmall = Variable::smallestValue;
    savedBig = Variable::biggestValue;
  }
  void TearDown() override {
    Variable::smallestValue = savedSmall;
    Variable::biggestValue = savedBig;
    Constraint::buildStampTable();
  }
};

TEST_F(StampTable, HugeRangeMarksWithBoundedMemory) {
  Variable::smallestValue = -1000000000;
  Variable::biggestValue = 1000000000;
  Constraint::buildStampTable();
  EXPECT_LE((long long)Constraint::sizeTabAllValues, Constraint::maxDirectStampRange);
  Constraint::nextStamp();
  for (int v : {-1000000000, 0, 7, 1000000000}) EXPECT_FALSE(Constraint::testAndStamp(v));
  for (int v : {-1000000000, 0, 7, 1000000000}) EXPECT_TRUE(Constraint::isStamped(v));
  EXPECT_FALSE(Constraint::isStamped(8));
  Constraint::nextStamp();
  for (int v : {-1000000000, 0, 7, 1000000000}) EXPECT_FALSE(Constraint::isStamped(v));
  // Many marks in one pass: the table grows and keeps every mark.
  for (int i = 0; i < 20000; i++) Constraint::stampValue(i * 99991);
  for (int i = 0; i < 20000; i++) ASSERT_TRUE(Constraint::isStamped(i * 99991)) << i;
  EXPECT_FALSE(Constraint::isStamped(5));
}

TEST_F(StampTable, SmallRangeAndOutsideValues) {
  Variable::smallestValue = -5;
  Variable::biggestValue = 5;
  Constraint::buildStampTable();
  EXPECT_EQ(Constraint::sizeTabAllValues, 11u);
  Constraint::nextStamp();
  Constraint::stampValue(-5);
  Constraint::stampValue(5);
  Constraint::stampValue(INT_MIN);  // outside the declared range
  Constraint::stampValue(INT_MAX);
  EXPECT_TRUE(Constraint::isStamped(-5));
  EXPECT_TRUE(Constraint::isStamped(INT_MIN));
  EXPECT_TRUE(Constraint::isStamped(INT_MAX));
  EXPECT_FALSE(Constraint::isStamped(0));
  EXPECT_FALSE(Constraint::isStamped(6));
  // Past 2^31 the tables are cleared and stamping restarts at 1.
  Constraint::stampAllValues = 2147483648u;
  Constraint::nextStamp();
  EXPECT_EQ(Constraint::stampAllValues, 1u);
  EXPECT_FALSE(Constraint::isStamped(-5));
  EXPECT_FALSE(Constraint::isStamped(INT_MIN));
}
