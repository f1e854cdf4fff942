// The MAC solver over the network's own constraint classes: binary bit
// matrices with residual supports, n-ary tuple tries and all-different.
#include <gtest/gtest.h>

#include <random>

#include "network/constraints/AllDiff.h"
#include "network/constraints/ConstraintExtBin.h"
#include "network/constraints/ConstraintExtN.h"
#include "network/relations/RelationExtBin.h"
#include "network/relations/RelationExtN.h"
#include "search/CompleteSolver.h"
#include "unit/search/TestNetwork.h"

using namespace testnet;

namespace {

void addBinary(Net& net, Variable* x, Variable* y, bool conflicts,
               const std::vector<std::pair<int, int>>& pairs) {
  int mx = 0, my = 0;
  for (auto& p : pairs) {
    mx = std::max(mx, p.first);
    my = std::max(my, p.second);
  }
  std::string name = "R" + std::to_string(net.cons.size());
  RelationExtBin* r = new RelationExtBin(name, mx + 1, my + 1, conflicts);
  for (auto& p : pairs) {
    int t[2] = {p.first, p.second};
    r->addTuple(t);
  }
  Variable* sc[2] = {x, y};
  net.cons.push_back(new ConstraintExtBin("C" + std::to_string(net.cons.size()), sc, r, 2,
                                          (int)net.cons.size()));
  net.maxArity = std::max(net.maxArity, 2);
}

void addNary(Net& net, std::vector<Variable*> sc, bool conflicts,
             const std::vector<std::vector<int>>& tuples) {
  int ar = (int)sc.size();
  RelationExtN* r = new RelationExtN("R" + std::to_string(net.cons.size()), ar, conflicts);
  for (auto t : tuples) r->addTuple(t.data());
  r->sortTabTuple();
  net.cons.push_back(new ConstraintExtN("C" + std::to_string(net.cons.size()), sc.data(), r, ar,
                                        (int)net.cons.size()));
  net.maxArity = std::max(net.maxArity, ar);
}

// Random binary conflict matrices plus random ternary and 4-ary tables
// (supports or conflicts) and, every third seed, an all-different.
Net randomMixed(unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  Net net;
  int n = 6 + seed % 3, d = 3 + seed % 2;
  for (int i = 0; i < n; i++) net.addVarRange(0, d - 1);
  for (int i = 0; i < n; i++)
    for (int j = i + 1; j < n; j++) {
      if (u(rng) > 0.45) continue;
      std::vector<std::pair<int, int>> pairs;
      for (int a = 0; a < d; a++)
        for (int b = 0; b < d; b++)
          if (u(rng) < 0.3) pairs.push_back({a, b});
      if (pairs.empty()) pairs.push_back({0, 0});
      addBinary(net, net.vars[i], net.vars[j], true, pairs);
    }
  for (int k = 0; k < 3; k++) {
    int ar = 3 + k % 2;
    std::vector<Variable*> sc;
    while ((int)sc.size() < ar) {
      Variable* x = net.vars[rng() % n];
      if (std::find(sc.begin(), sc.end(), x) == sc.end()) sc.push_back(x);
    }
    bool conflicts = k % 2 == 1;
    std::vector<std::vector<int>> tuples;
    std::vector<int> t(ar, 0);
    for (;;) {
      if (u(rng) < (conflicts ? 0.2 : 0.6)) tuples.push_back(t);
      int p = ar - 1;
      while (p >= 0 && ++t[p] == d) t[p--] = 0;
      if (p < 0) break;
    }
    if (tuples.empty()) tuples.push_back(std::vector<int>(ar, 0));
    addNary(net, sc, conflicts, tuples);
  }
  if (seed % 3 == 0) {
    Variable* sc[3] = {net.vars[0], net.vars[1], net.vars[2]};
    net.cons.push_back(new AllDiff("AD", sc, 3, (int)net.cons.size()));
  }
  return net;
}

std::vector<int> solutionOf(const Net& net) {
  std::vector<int> a;
  for (Variable* x : net.vars) a.push_back(x->infoVal[0]->dom);
  return a;
}

}  // namespace

TEST(MacOverNetworkClasses, DecidesRandomNetworksLikeBruteForce) {
  int sat = 0, unsat = 0;
  for (unsigned seed = 1; seed <= 90; seed++) {
    SCOPED_TRACE(seed);
    Net net = randomMixed(seed);
    bool expect = bruteSat(net.vars, net.cons);
    CompleteSolver s(net.cons, net.vars, net.maxArity, 4);
    testing::internal::CaptureStderr();
    int r = s.search(true);  // with the preprocessing of the conflict tables
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(r, expect ? 1 : 2);
    if (r == 1) {
      sat++;
      EXPECT_TRUE(satisfies(net.cons, net.vars, solutionOf(net)));
    } else {
      unsat++;
    }
  }
  // Both answers must occur for the comparison to mean anything.
  EXPECT_GT(sat, 5);
  EXPECT_GT(unsat, 5);
}

// Counters of two runs on two identical networks, with and without the
// preprocessing.
TEST(MacOverNetworkClasses, TwoRunsGiveIdenticalCounters) {
  for (bool verb : {false, true}) {
    std::vector<std::pair<int, uint64_t>> runs;
    std::vector<std::vector<int>> solutions;
    for (int k = 0; k < 2; k++) {
      Net net = randomMixed(7777);
      // A larger binary part so that the search has work to do.
      std::mt19937 rng(99);
      int n0 = (int)net.vars.size();
      for (int i = 0; i < 14; i++) net.addVarRange(0, 5);
      for (int i = 0; i < 60; i++) {
        int a = n0 + rng() % 14, b = n0 + rng() % 14;
        if (a == b) continue;
        std::vector<std::pair<int, int>> pairs;
        for (int x = 0; x < 6; x++)
          for (int y = 0; y < 6; y++)
            if (rng() % 100 < 30) pairs.push_back({x, y});
        addBinary(net, net.vars[a], net.vars[b], true, pairs);
      }
      CompleteSolver s(net.cons, net.vars, net.maxArity, 6);
      uint64_t c0 = Constraint::nbChecks;
      testing::internal::CaptureStderr();
      int r = s.search(verb);
      testing::internal::GetCapturedStderr();
      runs.push_back({s.getLocalConsistancyAC()->getNbDecision(), Constraint::nbChecks - c0});
      solutions.push_back(r == 1 ? solutionOf(net) : std::vector<int>{});
    }
    EXPECT_EQ(runs[0], runs[1]) << "verb " << verb;
    EXPECT_EQ(solutions[0], solutions[1]);
    EXPECT_GT(runs[0].first, 0);
    EXPECT_GT(runs[0].second, 0u);
  }
}
