// Partial Max-CSP solver against exhaustive enumeration on small random
// networks (binary conflicts, ternary supports, an all-different and a
// unary constraint): the best score is the optimum and the stored
// interpretation violates exactly that many soft constraints.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "tools/PartialMaxCSP.h"
#include "unit/localsearch/LsNet.h"

namespace {

bool satisfied(Constraint* c, const std::vector<int>& value) {
  std::vector<int> t(c->arity > 0 ? c->arity : 1);
  for (int i = 0; i < c->arity; i++) t[i] = value[c->scope[i]->idVar];
  return c->tupleExist(t.data());
}

// Lowest number of violated soft constraints over the assignments that
// satisfy every hard one; -1 when no assignment satisfies the hard part.
int bruteForce(const std::vector<Variable*>& vars, const std::vector<Constraint*>& soft,
               const std::vector<Constraint*>& hard) {
  int maxId = 0;
  for (Variable* x : vars) maxId = std::max(maxId, x->idVar);
  std::vector<int> value(maxId + 1), pos(vars.size(), 0);
  int best = -1;
  for (;;) {
    for (size_t i = 0; i < vars.size(); i++) value[vars[i]->idVar] = vars[i]->domain->v[pos[i]];
    bool ok = true;
    for (Constraint* c : hard) ok = ok && satisfied(c, value);
    if (ok) {
      int n = 0;
      for (Constraint* c : soft) n += !satisfied(c, value);
      if (best < 0 || n < best) best = n;
    }
    size_t i = 0;
    while (i < vars.size() && ++pos[i] == vars[i]->domain->getSize()) pos[i++] = 0;
    if (i == vars.size()) return best;
  }
}

int violatedBy(const std::vector<Variable*>& vars, const std::vector<Constraint*>& soft,
               const std::vector<int>& interp) {
  int maxId = 0;
  for (Variable* x : vars) maxId = std::max(maxId, x->idVar);
  std::vector<int> value(maxId + 1);
  for (size_t i = 0; i < vars.size(); i++) value[vars[i]->idVar] = interp[i];
  int n = 0;
  for (Constraint* c : soft) n += !satisfied(c, value);
  return n;
}

struct Case {
  int seed, nbVars, dom, nbBin, nbTer;
  double tight;
  int nbHard;  // the first nbHard binary constraints form the hard part
};

const Case cases[] = {
    {1, 5, 3, 8, 2, 0.5, 0},  {2, 6, 3, 12, 3, 0.6, 0}, {3, 6, 2, 10, 2, 0.7, 0},
    {4, 5, 4, 10, 3, 0.8, 0}, {5, 6, 3, 12, 3, 0.6, 3}, {6, 5, 3, 10, 2, 0.5, 4},
    {7, 6, 2, 12, 2, 0.7, 5}, {8, 4, 3, 8, 1, 0.9, 4},
};

class PartialMaxCSPCases : public ::testing::TestWithParam<Case> {};

// The whole search: local search at each hard leaf, then the
// branch-and-bound, until the hard part is exhausted.
TEST_P(PartialMaxCSPCases, SearchReachesTheOptimumAndItsInterpretationAchievesIt) {
  const Case& k = GetParam();
  std::mt19937 rng(k.seed);
  lsnet::Net n = lsnet::randomNet(rng, k.nbVars, k.dom, k.nbBin, k.nbTer, k.tight, false);
  std::vector<Constraint*> hard(n.cons.begin(), n.cons.begin() + k.nbHard);
  std::vector<Constraint*> soft(n.cons.begin() + k.nbHard, n.cons.end());
  int expected = bruteForce(n.vars, soft, hard);

  PartialMaxCSP s(soft, hard, n.vars, n.maxArity, n.maxDom, 0, "-rnovelty");
  int res = s.search(false);
  if (expected < 0) {
    EXPECT_EQ(res, 2);
    return;
  }
  ASSERT_EQ(res, 1);
  EXPECT_EQ(s.scoreOfBestInterpretation, expected);
  ASSERT_EQ(s.bestInterpretation.size(), n.vars.size());
  EXPECT_EQ(violatedBy(n.vars, soft, s.bestInterpretation), expected);
  std::vector<int> value(n.vars.size() + 64);
  int maxId = 0;
  for (Variable* x : n.vars) maxId = std::max(maxId, x->idVar);
  value.assign(maxId + 1, 0);
  for (size_t i = 0; i < n.vars.size(); i++) value[n.vars[i]->idVar] = s.bestInterpretation[i];
  for (Constraint* c : hard) EXPECT_TRUE(satisfied(c, value)) << c->name;
}

// The branch-and-bound alone, from the root without any bound: it must find
// the optimum by itself, return at the level it started from, and keep the
// violation marks in step with its list (marks of level 0 stay).
TEST_P(PartialMaxCSPCases, BranchAndBoundAloneIsExact) {
  const Case& k = GetParam();
  if (k.nbHard) return;
  std::mt19937 rng(k.seed + 100);
  lsnet::Net n = lsnet::randomNet(rng, k.nbVars, k.dom, k.nbBin, k.nbTer, k.tight, false);
  int expected = bruteForce(n.vars, n.cons, {});

  PartialMaxCSP s(n.cons, {}, n.vars, n.maxArity, n.maxDom, 0, "-rnovelty");
  s.scoreOfBestInterpretation = (int)n.cons.size() + 1;
  s.assignNewVariableInSoftPart();

  EXPECT_EQ(s.scoreOfBestInterpretation, expected);
  EXPECT_EQ(violatedBy(n.vars, n.cons, s.bestInterpretation), expected);
  EXPECT_EQ(s.decisionLevel, 0);
  EXPECT_TRUE(s.stack.empty());
  for (Constraint* c : n.cons) {
    bool listed = std::find(s.falseUnderPartialInterpretation.begin(),
                            s.falseUnderPartialInterpretation.end(),
                            c) != s.falseUnderPartialInterpretation.end();
    EXPECT_EQ(c->blocked, listed) << c->name;
  }
}

INSTANTIATE_TEST_SUITE_P(RandomNetworks, PartialMaxCSPCases, ::testing::ValuesIn(cases));

}  // namespace
