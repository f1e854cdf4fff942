// Intension constraints: compiled predicates with variable and constant
// parameters, revision against brute force, check counts, merging by
// conjunction, projection text and local-search bits.

#include <gtest/gtest.h>

#include <stdexcept>

#include "NetFixture.h"
#include "network/constraints/BinarySupportTable.h"
#include "network/constraints/ConstraintInt.h"
#include "network/predicates/Predicat.h"

using namespace netfix;

namespace {

Predicat* makePred(const std::string& text, int nbParams) {
  std::vector<std::string> params;
  for (int i = 0; i < nbParams; i++) params.push_back("P" + std::to_string(i));
  return new Predicat(text, nbParams, "pred", params);
}

// Parameter i is scope variable args[i] >= 0 or the constant consts[i].
ConstraintInt* makeInt(std::vector<Variable*> sc, Predicat* p, std::vector<Variable*> vars, std::vector<int> consts) {
  ConstraintInt* c = new ConstraintInt("c", sc.data(), p, (int)sc.size(), 0);
  c->initExpr((int)vars.size(), consts.data(), vars.data());
  return c;
}

}  // namespace

TEST(IntensionRevise, SumOfTwoEqualsThird) {
  Variable* x = makeVar("x", {1, 2});
  Variable* y = makeVar("y", {1, 2});
  Variable* z = makeVar("z", {1, 2, 3, 4});
  ConstraintInt* c = makeInt({x, y, z}, makePred("eq(add(X/$0,Y/$1),Z/$2)", 3), {x, y, z}, {0, 0, 0});
  uint64_t start = Constraint::nbChecks;
  EXPECT_TRUE(c->revise(z, 2));
  EXPECT_EQ(live(z), (std::vector<int>{2, 3, 4}));
  // z=1: four evaluations, removed; then 4 (4 evaluations), 2 (1), 3 (2).
  EXPECT_EQ(Constraint::nbChecks - start, 11u);
  EXPECT_FALSE(c->revise(x, 0));
  EXPECT_FALSE(c->softRevise(y, 1));
}

TEST(IntensionRevise, MatchesBruteForceArcConsistency) {
  struct Case {
    const char* text;
    int nbParams;
    std::vector<int> scopeOfParam;  // scope position per parameter, -1: constant
    std::vector<int> consts;
    int arity;
    Pred pred;  // over the scope's values
  } cases[] = {
      {"lt(X/$0,Y/$1)", 2, {0, 1}, {0, 0}, 2, [](const std::vector<int>& t) { return t[0] < t[1]; }},
      // Parameters in another order than the scope.
      {"lt(X/$0,Y/$1)", 2, {1, 0}, {0, 0}, 2, [](const std::vector<int>& t) { return t[1] < t[0]; }},
      // A constant parameter folded away: x + 3 = z over scope (x, z).
      {"eq(add(X/$0,Y/$1),Z/$2)", 3, {0, -1, 1}, {0, 3, 0}, 2,
       [](const std::vector<int>& t) { return t[0] + 3 == t[1]; }},
      {"ne(abs(sub(X/$0,Y/$1)),Z/$2)", 3, {0, 1, 2}, {0, 0, 0}, 3,
       [](const std::vector<int>& t) { return std::abs(t[0] - t[1]) != t[2]; }},
      {"eq(add(X/$0,Y/$1),Z/$2)", 3, {0, 1, 2}, {0, 0, 0}, 3,
       [](const std::vector<int>& t) { return t[0] + t[1] == t[2]; }},
      {"le(add(mul(2,X/$0),Y/$1),add(Z/$2,W/$3))", 4, {0, 1, 2, 3}, {0, 0, 0, 0}, 4,
       [](const std::vector<int>& t) { return 2 * t[0] + t[1] <= t[2] + t[3]; }},
      {"or(eq(X/$0,Y/$1),gt(Z/$2,W/$3))", 4, {0, 1, 2, 3}, {0, 0, 0, 0}, 4,
       [](const std::vector<int>& t) { return t[0] == t[1] || t[2] > t[3]; }},
  };
  std::mt19937 rng(31337);
  // With binary support tables, then without (no budget left for them).
  long long budget = BinarySupportTable::pairsBudget;
  for (long long b : {budget, 0LL})
  for (const Case& k : cases) {
    BinarySupportTable::pairsBudget = b;
    for (int trial = 0; trial < 30; trial++) {
      std::vector<Variable*> sc;
      for (int i = 0; i < k.arity; i++) sc.push_back(makeVar("v", range(-3, 4)));
      for (Variable* x : sc) thin(x, rng, 0.6);
      std::vector<Variable*> vars;
      for (int p : k.scopeOfParam) vars.push_back(p >= 0 ? sc[p] : nullptr);
      ConstraintInt* c = makeInt(sc, makePred(k.text, k.nbParams), vars, k.consts);
      std::string what = std::string(k.text) + " #" + std::to_string(trial);
      for (int level = 0; level < 2; level++) {
        for (int sweep = 0; sweep < 2; sweep++)
          for (int pos = 0; pos < k.arity; pos++) {
            std::vector<int> expected = gacValues(sc, pos, k.pred);
            EXPECT_EQ(c->softRevise(sc[pos], pos), expected.empty()) << what;
            int before = sc[pos]->sizeDom;
            EXPECT_EQ(c->revise(sc[pos], pos), (int)expected.size() < before) << what;
            ASSERT_EQ(live(sc[pos]), expected) << what << " pos " << pos;
          }
        // Then at a deeper level, and back.
        for (Variable* x : sc) x->pushSize();
        for (Variable* x : sc) thin(x, rng, 0.7);
      }
      for (Variable* x : sc) x->backTrack();
      for (Variable* x : sc) x->backTrack();
      for (int pos = 0; pos < k.arity; pos++) {
        std::vector<int> expected = gacValues(sc, pos, k.pred);
        c->revise(sc[pos], pos);
        ASSERT_EQ(live(sc[pos]), expected) << what << " restored pos " << pos;
      }
    }
  }
  BinarySupportTable::pairsBudget = budget;
}

TEST(IntensionRevise, BinaryUsesResidualSupports) {
  Variable* x = makeVar("x", {0, 1, 2});
  Variable* y = makeVar("y", {0, 1, 2});
  ConstraintInt* c = makeInt({x, y}, makePred("lt(X/$0,Y/$1)", 2), {x, y}, {0, 0});
  uint64_t start = Constraint::nbChecks;
  EXPECT_TRUE(c->revise(x, 0));
  EXPECT_EQ(Constraint::nbChecks - start, 8u);
  EXPECT_FALSE(c->revise(x, 0));
  EXPECT_EQ(Constraint::nbChecks - start, 8u) << "second revision is free";
}

TEST(IntensionMerge, AddExprIsConjunction) {
  Variable* x = makeVar("x", range(0, 4));
  Variable* y = makeVar("y", range(0, 4));
  ConstraintInt* c = makeInt({x, y}, makePred("lt(X/$0,Y/$1)", 2), {x, y}, {0, 0});
  // Second predicate over the same scope, its parameters in reverse order:
  // ne(add(A,B),K) with A = y, B = x, K = 3.
  std::vector<Variable*> vars = {y, x, nullptr};
  std::vector<int> consts = {0, 0, 3};
  c->addExpr(makePred("ne(add(A/$0,B/$1),K/$2)", 3), 3, consts.data(), vars.data());
  for (int a = 0; a <= 4; a++)
    for (int b = 0; b <= 4; b++) {
      int t[2] = {a, b};
      EXPECT_EQ(c->tupleExist(t), a < b && a + b != 3) << a << "," << b;
    }
  c->revise(x, 0);
  c->revise(y, 1);
  EXPECT_EQ(live(x), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(live(y), (std::vector<int>{1, 2, 3, 4}));  // y = 3 by x = 1, not x = 0
}

TEST(IntensionMerge, MergingAfterARevisionIsSeen) {
  Variable* x = makeVar("x", range(0, 3));
  Variable* y = makeVar("y", range(0, 3));
  ConstraintInt* c = makeInt({x, y}, makePred("lt(X/$0,Y/$1)", 2), {x, y}, {0, 0});
  EXPECT_TRUE(c->revise(y, 1));
  EXPECT_EQ(live(y), (std::vector<int>{1, 2, 3}));
  std::vector<Variable*> vars = {x, nullptr};
  std::vector<int> consts = {0, 0};
  c->addExpr(makePred("ne(A/$0,K/$1)", 2), 2, consts.data(), vars.data());
  EXPECT_TRUE(c->revise(y, 1));  // y = 1 needed x = 0
  EXPECT_EQ(live(y), (std::vector<int>{2, 3}));
}

TEST(IntensionBuild, KeepsOwnCopiesOfCreationParameters) {
  Variable* x = makeVar("x", {0, 1});
  Variable* y = makeVar("y", {0, 1});
  std::vector<Variable*> sc = {x, y};
  ConstraintInt c("c", sc.data(), makePred("eq(add(X/$0,Y/$1),Z/$2)", 3), 2, 0);
  Variable** vars = new Variable*[3]{x, nullptr, y};
  int* vals = new int[3]{0, 1, 0};
  c.initExpr(3, vals, vars);
  delete[] vars;  // the builder releases its arrays
  delete[] vals;
  ASSERT_EQ(c.nbEltCreation, 3);
  EXPECT_EQ(c.varCreation[0], x);
  EXPECT_EQ(c.varCreation[1], nullptr);
  EXPECT_EQ(c.valCreation[1], 1);
  int t[2] = {0, 1};
  EXPECT_TRUE(c.tupleExist(t));
  t[1] = 0;
  EXPECT_FALSE(c.tupleExist(t));
}

TEST(IntensionBuild, ParameterOutsideScopeIsAnError) {
  Variable* x = makeVar("x", {0, 1});
  Variable* y = makeVar("y", {0, 1});
  Variable* z = makeVar("z", {0, 1});
  std::vector<Variable*> sc = {x, y};
  ConstraintInt c("c", sc.data(), makePred("lt(X/$0,Y/$1)", 2), 2, 0);
  std::vector<Variable*> vars = {x, z};
  std::vector<int> vals = {0, 0};
  EXPECT_THROW(c.initExpr(2, vals.data(), vars.data()), std::runtime_error);
}

TEST(IntensionProjection, PacksTheFoldedTextFourCharactersAWord) {
  Variable* x = makeVar("x", {1, 2});
  Variable* y = makeVar("y", {1, 2});
  Variable* z = makeVar("z", {1, 2, 3});
  ConstraintInt* c = makeInt({x, y, z}, makePred("eq(add(X/$0,Y/$1),Z/$2)", 3), {x, y, z}, {0, 0, 0});
  std::vector<unsigned> out = {7};
  EXPECT_FALSE(c->projection(out)) << "no fixed variable";
  EXPECT_EQ(out.size(), 1u);
  x->assignValue(2);
  ASSERT_TRUE(c->projection(out));
  ASSERT_GE(out.size(), 3u);
  EXPECT_EQ(out[0], 7u);
  EXPECT_EQ(out[1], out.size() - 2) << "count: itself, the id and the words";
  EXPECT_EQ(out[2], (unsigned)c->getId());
  std::string text;
  for (size_t i = 3; i < out.size(); i++)
    for (int b = 0; b < 4; b++) {
      char ch = (char)((out[i] >> (8 * b)) & 0xFF);
      if (ch) text += ch;
    }
  EXPECT_EQ(text, "2+X1=X2");
  // Revision afterwards still sees the constraint as before.
  EXPECT_TRUE(c->revise(z, 2));
  EXPECT_EQ(live(z), (std::vector<int>{3}));
  std::vector<unsigned> bin;
  ConstraintInt* b = makeInt({x, y}, makePred("lt(X/$0,Y/$1)", 2), {x, y}, {0, 0});
  EXPECT_FALSE(b->projection(bin));
}

TEST(IntensionLocalSearch, SwitchedKeepsBitsAndDiffsExact) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 10; trial++) {
    std::vector<Variable*> sc;
    for (int i = 0; i < 3; i++) sc.push_back(makeVar("v", range(-2, 3)));
    ConstraintInt* c = makeInt(sc, makePred("le(add(X/$0,Y/$1),Z/$2)", 3), sc, {0, 0, 0});
    expectSwitchedExact(c, sc, [](const std::vector<int>& t) { return t[0] + t[1] <= t[2]; }, rng);
  }
}
