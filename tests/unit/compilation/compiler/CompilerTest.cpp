// Compiler: exact counts against brute force under every option
// combination, known counts, counts past 64 bits, the root failure, cache
// sharing, decomposition, and the centrality choices.  Each compilation runs
// in a child process (the network's class-wide state stays untouched).
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "compilation/DdnnfCompiler.h"
#include "unit/search/TestNetwork.h"

namespace {

using testnet::Net;

struct Options {
  bool cache = true, decomp = true, univ = true;
  int heuristic = 2;
};

std::string describe(const Options& o) {
  std::ostringstream s;
  s << "cache " << o.cache << " decomp " << o.decomp << " univ " << o.univ << " h " << o.heuristic;
  return s.str();
}

struct Result {
  int status;
  bool hasCount;
  std::string count;
  std::map<std::string, long long> stat;  // "c Number of X: n" lines
  std::string out, err;
};

Result compile(Net& net, const Options& o) {
  testnet::Captured c = testnet::runInChild([&] {
    DdnnfCompiler* d = new DdnnfCompiler(net.cons, net.vars, net.maxArity, net.maxDom, o.cache,
                                         o.decomp, o.univ, o.heuristic);
    int res = d->search(false);
    d->showFinal(res);
    exit(res);
  });
  Result r{c.status, false, "", {}, c.out, c.err};
  std::istringstream out(c.out), err(c.err);
  std::string line;
  while (std::getline(out, line))
    if (line.size() > 2 && line.compare(0, 2, "s ") == 0) {
      r.hasCount = true;
      r.count = line.substr(2);
    }
  // "c Number of X: n"
  const std::string prefix = "c Number of ";
  while (std::getline(err, line)) {
    size_t colon = line.rfind(": ");
    if (line.compare(0, prefix.size(), prefix) == 0 && colon != std::string::npos)
      r.stat[line.substr(prefix.size(), colon - prefix.size())] = std::stoll(line.substr(colon + 2));
  }
  return r;
}

// Number of assignments of the initial domains satisfying every constraint.
unsigned long long bruteCount(Net& net) {
  size_t n = net.vars.size();
  std::vector<int> idx(n, 0), a(n);
  unsigned long long count = 0;
  for (;;) {
    for (size_t i = 0; i < n; i++) a[i] = net.vars[i]->domain->v[idx[i]];
    if (testnet::satisfies(net.cons, net.vars, a)) count++;
    size_t k = n;
    for (;;) {
      if (k == 0) return count;
      k--;
      if (++idx[k] < net.vars[k]->initSize) break;
      idx[k] = 0;
    }
  }
}

std::vector<Options> allOptions() {
  std::vector<Options> v;
  for (int c = 0; c < 2; c++)
    for (int d = 0; d < 2; d++)
      for (int u = 0; u < 2; u++)
        for (int h = 1; h <= 3; h++) v.push_back(Options{c == 1, d == 1, u == 1, h});
  return v;
}

// Two chains a-b-c and d-e joined by nothing, a ternary constraint over
// (c, f, g), and a free variable: components, projections and
// universality all come into play.
Net structured() {
  Net net;
  for (int i = 0; i < 8; i++) net.addVarRange(0, 2);
  auto& v = net.vars;
  net.add({v[0], v[1]}, [](const int* t) { return t[0] != t[1]; });
  net.add({v[1], v[2]}, [](const int* t) { return t[0] <= t[1]; });
  net.add({v[3], v[4]}, [](const int* t) { return t[0] + t[1] != 2; });
  net.add({v[2], v[5], v[6]}, [](const int* t) { return t[0] + t[1] + t[2] <= 4; });
  return net;
}

struct CountCase {
  const char* name;
  std::function<Net()> make;
};

TEST(CompilerCount, AgreesWithBruteForceUnderEveryOption) {
  const CountCase cases[] = {
      {"random binary+ternary s1", [] { return testnet::randomNet(1, 7, 3, 0, 0.4, 0.3, 2); }},
      {"random sparse s2", [] { return testnet::randomNet(2, 8, 3, -1, 0.25, 0.4, 1); }},
      {"random dense s3", [] { return testnet::randomNet(3, 6, 4, 0, 0.7, 0.25, 0); }},
      {"structured", structured},
      {"queens 5", [] { return testnet::queens(5); }},
      {"pigeons 4 in 3", [] { return testnet::pigeons(4, 3); }},
  };
  // Every option combination on the structured network; on the others each
  // set of flags with one heuristic in turn, so every heuristic meets every
  // flag on and off.
  const std::vector<Options> every = allOptions();
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); i++) {
    const CountCase& cc = cases[i];
    Net net = cc.make();
    unsigned long long expected = bruteCount(net);
    std::vector<Options> opts;
    for (size_t j = 0; j < every.size(); j += 3)
      opts.push_back(every[j + (i + j / 3) % 3]);
    if (std::string(cc.name) == "structured") opts = every;
    for (const Options& o : opts) {
      Result r = compile(net, o);
      if (r.hasCount)
        EXPECT_EQ(r.count, std::to_string(expected)) << cc.name << ", " << describe(o);
      else  // only a root failure prints no count
        EXPECT_EQ(expected, 0u) << cc.name << ", " << describe(o) << "\n" << r.err;
      EXPECT_EQ(r.status, r.hasCount ? 3 : 2) << cc.name;
    }
  }
}

TEST(CompilerCount, KnownQueensCounts) {
  const std::pair<int, const char*> known[] = {{4, "2"}, {5, "10"}, {6, "4"}, {8, "92"}};
  for (auto& k : known) {
    Net net = testnet::queens(k.first);
    EXPECT_EQ(compile(net, Options{}).count, k.second) << k.first << " queens";
  }
}

TEST(CompilerCount, BeyondSixtyFourBits) {
  // 30 independent pairs x != y over 4 values: 12^30; and 45 free
  // variables of 3 values: each its own true leaf under one conjunction.
  Net pairs;
  for (int i = 0; i < 30; i++) {
    Variable* x = pairs.addVarRange(0, 3);
    Variable* y = pairs.addVarRange(0, 3);
    pairs.add({x, y}, [](const int* t) { return t[0] != t[1]; });
  }
  for (const Options& o : {Options{}, Options{false, true, true, 1}, Options{true, true, false, 3}}) {
    EXPECT_EQ(compile(pairs, o).count, "237376313799769806328950291431424") << describe(o);
  }
  Net free;
  for (int i = 0; i < 45; i++) free.addVarRange(0, 2);
  Result r = compile(free, Options{});
  EXPECT_EQ(r.count, "2954312706550833698643");
  EXPECT_EQ(r.stat["decomposable AND nodes"], 1);
  EXPECT_EQ(r.stat["true nodes"], 45);
  EXPECT_EQ(r.stat["OR nodes"], 0);
}

TEST(CompilerRoot, PropagationFailurePrintsNoCount) {
  Net net;
  Variable* x = net.addVar({0});
  Variable* y = net.addVar({0});
  net.add({x, y}, [](const int* t) { return t[0] != t[1]; });
  Result r = compile(net, Options{});
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(r.hasCount);
  EXPECT_EQ(r.err.find("c # time to compile: "), std::string::npos);
  EXPECT_NE(r.err.find("c Selected heuristic: CENTRALITY\n"), std::string::npos);
  EXPECT_NE(r.err.find("c Number of 'propositional' variables: "), std::string::npos);
  EXPECT_EQ(r.stat["OR nodes"], 0);
  EXPECT_NE(r.out.find("d ASSIGNMENTS 0\n"), std::string::npos);
}

TEST(CompilerRoot, FixedByPropagationIsOneTrueLeaf) {
  Net net;
  Variable* x = net.addVar({0, 1});
  Variable* y = net.addVar({1});
  net.add({x, y}, [](const int* t) { return t[0] != t[1]; });
  Result r = compile(net, Options{});
  EXPECT_EQ(r.count, "1");
  EXPECT_EQ(r.stat["true nodes"], 1);
  EXPECT_EQ(r.stat["OR nodes"], 0);
  EXPECT_EQ(r.stat["decomposable AND nodes"], 0);
}

// x picks y's range: x = 0 and x = 1 leave the same component {y, z}.
Net sharedBranches() {
  Net net;
  Variable* x = net.addVarRange(0, 2);
  Variable* y = net.addVarRange(0, 6);
  Variable* z = net.addVarRange(0, 3);
  net.add({x, y}, [](const int* t) { return t[0] < 2 ? t[1] < 2 : t[1] >= 2; });
  net.add({y, z}, [](const int* t) { return t[0] != t[1]; });
  return net;
}

TEST(CompilerCache, EqualComponentsShareOneNode) {
  Net net = sharedBranches();
  Result on = compile(net, Options{true, true, true, 1});
  Result off = compile(net, Options{false, true, true, 1});
  EXPECT_EQ(on.count, "30");
  EXPECT_EQ(off.count, "30");
  EXPECT_EQ(on.stat["positive hits"], 1);
  EXPECT_EQ(on.stat["OR nodes"], 3);
  EXPECT_EQ(off.stat["OR nodes"], 4);
  EXPECT_EQ(off.stat["positive hits"], 0);
  EXPECT_EQ(off.stat["negative hits"], 0);
}

TEST(CompilerDecomposition, OffBuildsNoConjunction) {
  Net net = structured();
  Result r = compile(net, Options{true, false, true, 1});
  EXPECT_EQ(r.count, std::to_string(bruteCount(net)));
  EXPECT_EQ(r.stat["decomposable AND nodes"], 0);
  Result on = compile(net, Options{true, true, true, 1});
  EXPECT_GT(on.stat["decomposable AND nodes"], 0);
}

TEST(CompilerDecomposition, FixedVariablesAndUniversalConstraintsSplitComponents) {
  // a - b - c - d with b fixed: {a}, {c, d}; the (c, d) constraint is
  // universal once marked, and then c and d stand alone.
  Net net;
  for (int i = 0; i < 4; i++) net.addVarRange(0, 1);
  auto& v = net.vars;
  Constraint* ab = net.add({v[0], v[1]}, [](const int*) { return true; });
  Constraint* bc = net.add({v[1], v[2]}, [](const int*) { return true; });
  Constraint* cd = net.add({v[2], v[3]}, [](const int* t) { return t[0] <= t[1]; });
  testnet::Captured c = testnet::runInChild([&] {
    DdnnfCompiler* d =
        new DdnnfCompiler(net.cons, net.vars, net.maxArity, net.maxDom, true, true, true, 1);
    v[1]->sizeDom = 1;
    std::vector<std::vector<Variable*>> comps;
    std::vector<std::vector<Constraint*>> consts;
    d->decomposition(comps, consts);
    if (comps.size() != 2 || comps[0] != std::vector<Variable*>{v[0]} ||
        consts[0] != std::vector<Constraint*>{ab} ||
        comps[1] != std::vector<Variable*>{v[2], v[3]} ||
        consts[1] != std::vector<Constraint*>{bc, cd})
      exit(1);
    cd->isuniversal = 0;
    comps.clear();
    consts.clear();
    d->decomposition(comps, consts);
    if (comps.size() != 3 || comps[1] != std::vector<Variable*>{v[2]} ||
        comps[2] != std::vector<Variable*>{v[3]} || !consts[2].empty())
      exit(2);
    exit(0);
  });
  EXPECT_EQ(c.status, 0);
}

// Choice of the centrality heuristics on a component given by its list.
int centralityPick(Net& net, const std::vector<int>& list, bool weighted) {
  CentralityWrtSetOfVars h;
  std::vector<Variable*> vs;
  for (int i : list) vs.push_back(net.vars[i]);
  Variable* x = h.selectVariableCentrality(vs, weighted);
  return x->idVar;
}

TEST(CompilerHeuristic, Centrality) {
  auto ne = [](const int* t) { return t[0] != t[1]; };
  {
    Net path;  // x0 - x1 - x2
    for (int i = 0; i < 3; i++) path.addVarRange(0, 2);
    path.add({path.vars[0], path.vars[1]}, ne);
    path.add({path.vars[1], path.vars[2]}, ne);
    EXPECT_EQ(centralityPick(path, {0, 1, 2}, false), 1);
    EXPECT_EQ(centralityPick(path, {0, 1, 2}, true), 1);
  }
  {
    Net k4;  // complete: every centrality 0, the first variable wins
    for (int i = 0; i < 4; i++) k4.addVarRange(0, 3);
    for (int i = 0; i < 4; i++)
      for (int j = i + 1; j < 4; j++) k4.add({k4.vars[i], k4.vars[j]}, ne);
    EXPECT_EQ(centralityPick(k4, {2, 0, 1, 3}, false), 2);
    EXPECT_EQ(centralityPick(k4, {2, 0, 1, 3}, true), 2);
  }
  {
    Net two;  // two variables: the smaller domain, the second on a tie
    two.addVarRange(0, 3);
    two.addVarRange(0, 2);
    two.addVarRange(0, 2);
    EXPECT_EQ(centralityPick(two, {0, 1}, false), 1);
    EXPECT_EQ(centralityPick(two, {1, 0}, false), 1);
    EXPECT_EQ(centralityPick(two, {1, 2}, false), 2);
  }
  {
    // Path x0 - x1 - x2 - x3: x1 and x2 equally central; a heavier
    // constraint on x2 decides for the weighted form only.
    Net p4;
    for (int i = 0; i < 4; i++) p4.addVarRange(0, 2);
    p4.add({p4.vars[0], p4.vars[1]}, ne);
    p4.add({p4.vars[1], p4.vars[2]}, ne);
    Constraint* heavy = p4.add({p4.vars[2], p4.vars[3]}, ne);
    heavy->score = 5;
    EXPECT_EQ(centralityPick(p4, {0, 1, 2, 3}, false), 1);
    EXPECT_EQ(centralityPick(p4, {0, 1, 2, 3}, true), 2);
    // A universal constraint is no edge: x1 - x2 removed leaves two pairs.
    p4.cons[1]->isuniversal = 0;
    EXPECT_EQ(centralityPick(p4, {0, 1, 2, 3}, false), 0);
  }
}

TEST(CompilerHeuristic, UnknownHeuristicStopsAtTheFirstDecision) {
  Net net = testnet::queens(4);
  Result r = compile(net, Options{true, true, true, 7});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("c Selected heuristic: Error\n"), std::string::npos);
  EXPECT_NE(r.err.find("Error: unknow pickVaraible mode\n"), std::string::npos);
}

}  // namespace
