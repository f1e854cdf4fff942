#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

#include "network/constraints/WeightedSum.h"
#include "unit/network/globals/GlobalsTestUtil.h"

using namespace gt;

namespace {

enum Op { LE = 1, LT = 2, GE = 3, GT = 4, EQ = 5, NE = 6 };
const char* opName(int o) {
  static const char* names[] = {"?", "le", "lt", "ge", "gt", "eq", "ne"};
  return names[o];
}

// A weighted sum as the instance states it: terms, operator and a right-hand
// side that is a constant or a variable.
struct SumSpec {
  std::vector<int> coefs;
  std::vector<Variable*> terms;
  int op;
  int rhs;
  Variable* rhsVar;  // null for a constant right-hand side
};

WeightedSum* build(const std::vector<Variable*>& scope, const SumSpec& s) {
  static int id = 0;
  std::vector<Variable*> sc(scope);
  WeightedSum* c = new WeightedSum("ws" + std::to_string(id), sc.data(), (int)sc.size(), id);
  id++;
  std::vector<int> co = s.coefs;
  std::vector<Variable*> va = s.terms;
  int l = s.rhs;
  if (s.rhsVar) {
    co.push_back(-1);
    va.push_back(s.rhsVar);
    l = 0;
  }
  c->initWeightedSum(co, va, s.op, l);
  return c;
}

// The meaning of the sum, computed on the terms as written.
Pred meaning(const std::vector<Variable*>& scope, const SumSpec& s) {
  return [scope, s](const std::vector<int>& t) {
    auto valueOf = [&](Variable* x) {
      for (size_t i = 0; i < scope.size(); i++)
        if (scope[i] == x) return (long long)t[i];
      ADD_FAILURE() << "term outside the scope";
      return 0LL;
    };
    __extension__ __int128 lhs = 0;
    for (size_t i = 0; i < s.terms.size(); i++) lhs += (__int128)s.coefs[i] * valueOf(s.terms[i]);
    __extension__ __int128 rhs = s.rhsVar ? valueOf(s.rhsVar) : s.rhs;
    switch (s.op) {
      case LE: return lhs <= rhs;
      case LT: return lhs < rhs;
      case GE: return lhs >= rhs;
      case GT: return lhs > rhs;
      case EQ: return lhs == rhs;
      default: return lhs != rhs;
    }
  };
}

}  // namespace

// Every operator, negative coefficients, a constant or a variable right-hand
// side, and a scope listed in another order than the sum: the tuple test
// agrees with the sum on every tuple of the domains.
TEST(WeightedSum, TupleExistMatchesTheSumForAllOperators) {
  Variable* x = makeVar("wst_x", range(-3, 3));
  Variable* y = makeVar("wst_y", {-2, 0, 1, 4});
  Variable* z = makeVar("wst_z", range(0, 4));
  Variable* r = makeVar("wst_r", range(-6, 6));
  for (int op = LE; op <= NE; op++) {
    for (bool varRhs : {false, true}) {
      SumSpec s{{-3, 2, -1}, {x, y, z}, op, varRhs ? 0 : -2, varRhs ? r : nullptr};
      std::vector<Variable*> scope = varRhs ? std::vector<Variable*>{z, r, x, y} : std::vector<Variable*>{z, x, y};
      WeightedSum* c = build(scope, s);
      Pred want = meaning(scope, s);
      int accepted = 0, total = 0;
      forEachTuple(c, [&](const std::vector<int>& t) {
        std::vector<int> tt = t;
        const bool got = c->tupleExist(tt.data());
        total++;
        accepted += got;
        ASSERT_EQ(got, want(t)) << opName(op) << (varRhs ? " var" : " const") << " at " << t[0] << " "
                                << t[1] << " " << t[2];
      });
      EXPECT_GT(accepted, 0) << opName(op);
      EXPECT_LT(accepted, total) << opName(op);
    }
  }
}

// A variable written twice, or also used as the right-hand side, counts
// with all its coefficients.
TEST(WeightedSum, RepeatedVariablesCountEveryTerm) {
  Variable* x = makeVar("wsd_x", range(0, 3));
  Variable* y = makeVar("wsd_y", range(0, 3));
  struct Case {
    SumSpec s;
  } cases[] = {
      {{{1, 1}, {x, y}, EQ, 0, x}},          // x + y = x, i.e. y = 0
      {{{2, 1, -1}, {x, y, x}, EQ, 3, nullptr}},  // x + y = 3
      {{{1, -1}, {x, x}, NE, 0, nullptr}},   // 0 != 0: never
      {{{3, 1}, {x, y}, GE, 0, y}},          // 3x >= 0: always
  };
  for (const Case& k : cases) {
    std::vector<Variable*> scope{x, y};
    WeightedSum* c = build(scope, k.s);
    Pred want = meaning(scope, k.s);
    forEachTuple(c, [&](const std::vector<int>& t) {
      std::vector<int> tt = t;
      ASSERT_EQ(c->tupleExist(tt.data()), want(t)) << t[0] << " " << t[1];
    });
    Snapshot snap({x, y});
    for (int p = 0; p < 2; p++) {
      Variable* v = scope[p];
      std::set<int> sup = supported(c, p, want);
      std::set<int> before = live(v);
      c->revise(v, p);
      EXPECT_TRUE(intersect(minus(before, live(v)), sup).empty());
      snap.restore();
    }
  }
}

TEST(WeightedSum, GreaterOrEqualBecomesNegatedLessOrEqual) {
  Variable* x = makeVar("wsg_x", range(0, 3));
  Variable* y = makeVar("wsg_y", range(0, 3));
  WeightedSum* c = build({x, y}, {{2, 3}, {x, y}, GE, 12, nullptr});
  EXPECT_EQ(c->getOp(), 1u);
  EXPECT_EQ(c->getLeftPart(), -12);
  EXPECT_EQ(c->getNbPlus(), 0u);
  Snapshot snap({x, y});
  EXPECT_TRUE(c->revise(x, 0));
  EXPECT_EQ(live(x), (std::set<int>{2, 3}));
  snap.restore();
  EXPECT_TRUE(c->revise(y, 1));
  EXPECT_EQ(live(y), (std::set<int>{2, 3}));
}

TEST(WeightedSum, DisequalityWaitsUntilOthersAreFixed) {
  Variable* x = makeVar("wsn_x", range(0, 3));
  Variable* y = makeVar("wsn_y", range(0, 3));
  Variable* z = makeVar("wsn_z", range(0, 3));
  WeightedSum* c = build({x, y, z}, {{1, 1, 1}, {x, y, z}, NE, 3, nullptr});
  fix(x, 1);
  EXPECT_FALSE(c->revise(z, 2));
  EXPECT_EQ(z->sizeDom, 4);
  EXPECT_FALSE(c->softRevise(z, 2));
  fix(y, 1);
  EXPECT_TRUE(c->revise(z, 2));
  EXPECT_EQ(live(z), (std::set<int>{0, 2, 3}));
}

// Random sums over small domains: revise never removes a supported value;
// for the inequalities (all normalised to <=) it removes every unsupported
// one; for = and != it is exact once the other variables are fixed; !=
// removes nothing before.  softRevise says exactly whether revise wipes v out.
TEST(WeightedSum, ReviseAgainstBruteForce) {
  std::mt19937 rng(11);
  std::vector<int> pool = range(-3, 4);
  for (int round = 0; round < 400; round++) {
    const int nTerms = 1 + rng() % 3;
    const bool varRhs = rng() % 3 == 0;
    std::vector<Variable*> scope;
    SumSpec s;
    for (int i = 0; i < nTerms; i++) {
      Variable* x = makeVar("wsr" + std::to_string(round) + "_" + std::to_string(i), pool);
      keepOnly(x, randomSubset(rng, pool));
      if (rng() % 4 == 0) fix(x, x->infoVal[0]->dom);
      scope.push_back(x);
      s.terms.push_back(x);
      s.coefs.push_back((int)(rng() % 11) - 5);
    }
    s.op = 1 + rng() % 6;
    s.rhs = (int)(rng() % 15) - 7;
    s.rhsVar = nullptr;
    if (varRhs) {
      s.rhsVar = makeVar("wsr" + std::to_string(round) + "_r", pool);
      keepOnly(s.rhsVar, randomSubset(rng, pool));
      scope.push_back(s.rhsVar);
    }
    std::shuffle(scope.begin(), scope.end(), rng);
    WeightedSum* c = build(scope, s);
    Pred want = meaning(scope, s);
    Snapshot snap(scope);
    for (size_t p = 0; p < scope.size(); p++) {
      Variable* v = scope[p];
      bool othersFixed = true;
      for (size_t q = 0; q < scope.size(); q++)
        if (q != p && scope[q]->sizeDom != 1) othersFixed = false;
      const std::set<int> before = live(v);
      const std::set<int> sup = supported(c, (int)p, want);
      const bool soft = c->softRevise(v, (int)p);
      ASSERT_EQ(live(v), before);
      const bool changed = c->revise(v, (int)p);
      const std::set<int> after = live(v);
      SCOPED_TRACE(std::string("op ") + opName(s.op) + " round " + std::to_string(round));
      EXPECT_EQ(changed, after.size() < before.size());
      EXPECT_TRUE(intersect(minus(before, after), sup).empty()) << "a supported value was removed";
      if (s.op <= GT || othersFixed) { EXPECT_EQ(after, sup) << "an unsupported value survived"; }
      if (s.op == NE && !othersFixed) { EXPECT_EQ(after, before); }
      EXPECT_EQ(soft, after.empty());
      snap.restore();
    }
  }
}

// Coefficients and values near the int limits: sums beyond 32 (and 64) bits
// and right-hand sides whose normalisation leaves the int range.
TEST(WeightedSum, ExtremeCoefficientsAndValues) {
  Variable* x = makeVar("wse_x", {1, INT_MAX, INT_MIN + 1});
  Variable* y = makeVar("wse_y", {1, INT_MAX, -1});
  Variable* z = makeVar("wse_z", {INT_MAX, INT_MIN});
  SumSpec specs[] = {
      {{INT_MAX, INT_MAX}, {x, y}, LE, INT_MAX, nullptr},
      {{INT_MAX, INT_MAX, INT_MAX}, {x, y, z}, GT, INT_MIN, nullptr},
      {{1, 1}, {x, y}, GE, INT_MIN, nullptr},  // -INT_MIN is not an int
      {{1, 1}, {x, y}, LT, INT_MIN, nullptr},
      {{INT_MIN, INT_MIN}, {x, y}, EQ, 0, z},
      {{INT_MIN, -1}, {x, y}, NE, INT_MAX, nullptr},
  };
  for (const SumSpec& s : specs) {
    std::vector<Variable*> scope;
    for (Variable* t : s.terms) scope.push_back(t);
    if (s.rhsVar) scope.push_back(s.rhsVar);
    WeightedSum* c = build(scope, s);
    Pred want = meaning(scope, s);
    forEachTuple(c, [&](const std::vector<int>& t) {
      std::vector<int> tt = t;
      ASSERT_EQ(c->tupleExist(tt.data()), want(t)) << opName(s.op);
    });
    Snapshot snap(scope);
    for (size_t p = 0; p < scope.size(); p++) {
      std::set<int> sup = supported(c, (int)p, want);
      c->revise(scope[p], (int)p);
      if (s.op != EQ && s.op != NE) { EXPECT_EQ(live(scope[p]), sup) << opName(s.op); }
      snap.restore();
    }
  }
}

TEST(WeightedSum, ProjectionGivesTheRemainingConstant) {
  Variable* x = makeVar("wsp_x", range(0, 3));
  Variable* y = makeVar("wsp_y", range(0, 3));
  Variable* z = makeVar("wsp_z", range(0, 3));
  WeightedSum* c3 = build({x, y, z}, {{1, 2, -1}, {x, y, z}, EQ, 4, nullptr});
  WeightedSum* c2 = build({x, y}, {{1, 2}, {x, y}, EQ, 4, nullptr});
  std::vector<unsigned> out{99};
  EXPECT_FALSE(c3->projection(out));
  EXPECT_EQ(out, (std::vector<unsigned>{99}));
  fix(y, 3);
  fix(z, 1);
  EXPECT_TRUE(c3->projection(out));
  EXPECT_EQ(out, (std::vector<unsigned>{99, 1, (unsigned)(4 - 6 + 1)}));
  out.clear();
  EXPECT_FALSE(c2->projection(out));
  EXPECT_TRUE(out.empty());
}

TEST(WeightedSum, TermOutsideTheScopeIsRejected) {
  Variable* x = makeVar("wso_x", range(0, 3));
  Variable* y = makeVar("wso_y", range(0, 3));
  EXPECT_THROW(build({x}, {{1, 1}, {x, y}, LE, 3, nullptr}), std::runtime_error);
}
