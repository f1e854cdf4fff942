// Complete MAC solver: decisions against brute force, the oracle on
// changing constraint sets, reproducible counters, restarts, the Luby
// sequence, the final report and interrupts.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/time.h>

#include <cstring>
#include <regex>

#include "search/CompleteSolver.h"
#include "unit/search/TestNetwork.h"

using namespace testnet;

namespace {

CompleteSolver* solver(Net& net) {
  return new CompleteSolver(net.cons, net.vars, std::max(net.maxArity, 1), std::max(net.maxDom, 1));
}

// The solution a successful search leaves: each variable's value at
// position 0.
std::vector<int> solutionOf(const Net& net) {
  std::vector<int> a;
  for (Variable* x : net.vars) a.push_back(x->infoVal[0]->dom);
  return a;
}

struct Counters {
  int decisions;
  uint64_t checks;
  int result;
  std::vector<int> solution;
};

Counters solveFresh(const std::function<Net()>& build) {
  Net net = build();
  CompleteSolver* s = solver(net);
  uint64_t c0 = Constraint::nbChecks;
  Counters r;
  r.result = s->search(false);
  r.decisions = s->getLocalConsistancyAC()->getNbDecision();
  r.checks = Constraint::nbChecks - c0;
  r.solution = solutionOf(net);
  return r;
}

}  // namespace

// Random binary and ternary networks around the phase transition: the
// answer agrees with brute force and every reported solution satisfies
// every constraint.
TEST(Mac, DecidesRandomNetworksLikeBruteForce) {
  int sat = 0, unsat = 0;
  for (unsigned seed = 1; seed <= 150; seed++) {
    SCOPED_TRACE(seed);
    Net net = randomNet(seed * 31, 6 + seed % 3, 3 + seed % 2, (int)(seed % 3) - 1, 0.6,
                        0.3 + 0.03 * (seed % 6), seed % 3);
    bool expect = bruteSat(net.vars, net.cons);
    CompleteSolver* s = solver(net);
    int r = s->search(false);
    ASSERT_EQ(r, expect ? 1 : 2);
    if (r == 1) {
      sat++;
      for (Variable* x : net.vars) EXPECT_EQ(x->sizeDom, 1);
      EXPECT_TRUE(satisfies(net.cons, net.vars, solutionOf(net)));
    } else {
      unsat++;
    }
  }
  // The family must exercise both answers to mean anything.
  EXPECT_GT(sat, 20);
  EXPECT_GT(unsat, 20);
}

TEST(Mac, DecidesClassicInstances) {
  struct Case {
    const char* name;
    std::function<Net()> build;
    int expect;
  };
  std::vector<Case> cases = {
      {"queens-3", [] { return queens(3); }, 2},
      {"queens-4", [] { return queens(4); }, 1},
      {"queens-8", [] { return queens(8); }, 1},
      {"queens-12", [] { return queens(12); }, 1},
      {"pigeons-5-4", [] { return pigeons(5, 4); }, 2},
      {"pigeons-6-6", [] { return pigeons(6, 6); }, 1},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    Net net = c.build();
    CompleteSolver* s = solver(net);
    int r = s->search(false);
    EXPECT_EQ(r, c.expect);
    if (r == 1) {
      EXPECT_TRUE(satisfies(net.cons, net.vars, solutionOf(net)));
    }
  }
}

// The same network built twice gives the same decisions, checks and
// solution.
TEST(Mac, TwoRunsGiveIdenticalCounters) {
  std::vector<std::function<Net()>> builds = {
      [] { return queens(10); },
      [] { return pigeons(7, 6); },
      [] { return randomNet(4242, 12, 5, 0, 0.5, 0.35, 4); },
  };
  for (auto& b : builds) {
    Counters a = solveFresh(b), c = solveFresh(b);
    EXPECT_EQ(a.result, c.result);
    EXPECT_EQ(a.decisions, c.decisions);
    EXPECT_EQ(a.checks, c.checks);
    EXPECT_EQ(a.solution, c.solution);
    EXPECT_GT(a.decisions, 0);
  }
}

// dom/wdeg: score sum over constraints with two unassigned variables,
// divided by the size; ties keep the earlier variable; singletons and
// variables outside the problem are never chosen.
TEST(Mac, PickVariableFollowsDomOverWdeg) {
  Net net;
  Variable* a = net.addVarRange(0, 3);  // 4 values
  Variable* b = net.addVarRange(0, 1);  // 2 values
  Variable* c = net.addVarRange(0, 5);  // 6 values
  Variable* d = net.addVarRange(0, 5);
  Variable* e = net.addVarRange(0, 0);  // singleton
  auto any = [](const int*) { return true; };
  Constraint* ab = net.add({a, b}, any);
  Constraint* ac = net.add({a, c}, any);
  Constraint* bd = net.add({b, d}, any);
  Constraint* ce = net.add({c, e}, any);  // ignored: e has one value
  CompleteSolver* s = solver(net);
  // a: (1+1)/4, b: (1+1)/2, c: 1/6, d: 1/6
  EXPECT_EQ(s->pickVariable(), b);
  ab->score = 3;  // a: 4/4 = 1, b: 4/2 = 2
  EXPECT_EQ(s->pickVariable(), b);
  ac->score = 5;  // a: 8/4 = 2 ties b and comes first; c: 5/6
  EXPECT_EQ(s->pickVariable(), a);
  ce->score = 100;
  EXPECT_EQ(s->pickVariable(), a);
  bd->score = 20;  // d: 20/6
  EXPECT_EQ(s->pickVariable(), b);  // b: 23/2
  b->presentInProblem = false;
  EXPECT_EQ(s->pickVariable(), d);  // d: 20/6 beats a: 2
  for (Variable* x : net.vars) x->sizeDom = 1;
  EXPECT_EQ(s->pickVariable(), nullptr);
}

// With verb, one row per restart, numbered from 1, the limit growing by
// half at each restart.
TEST(Mac, RestartRowsFollowTheGeometricLimit) {
  Net net = pigeons(9, 8);
  CompleteSolver* s = solver(net);
  Captured c = runInChild([&] {
    int r = s->search(true);
    fprintf(stdout, "%d %d\n", r, s->born);
  });
  int born = 0;
  ASSERT_EQ(sscanf(c.out.c_str(), "2 %d", &born), 1) << c.out;
  std::regex row(R"(c \|\s+(\d+) \|\s+(\d+) \|\s+(\d+) \|\s+(\d+) \|\s+[0-9.]+ \|)");
  std::vector<int> conflicts;
  int runs = 0;
  std::istringstream in(c.err);
  std::string line;
  bool header = false;
  while (std::getline(in, line)) {
    if (line == "c | numtry | numConf |    nbDec |   nbChecks |    time |") header = true;
    std::smatch m;
    if (std::regex_match(line, m, row)) {
      EXPECT_EQ(std::stoi(m[1]), ++runs);
      conflicts.push_back(std::stoi(m[2]));
    }
  }
  EXPECT_TRUE(header) << c.err;
  // Pigeon-hole failures all lie deep in the tree, so each restart comes
  // with the conflict just past the limit: 11, 16, 23, 34, 50, ...
  ASSERT_GE(conflicts.size(), 5u) << c.err;
  int limit = 10;
  for (size_t k = 0; k < conflicts.size(); k++) {
    EXPECT_EQ(conflicts[k], limit + 1) << "row " << k + 1;
    limit += limit / 2;
  }
  EXPECT_EQ(born, limit) << "the limit kept growing after the last row";
}

// With a single decision level no restart happens: x fails at level 1
// with every value and each failure refutes it.
TEST(Mac, FailuresAtLevelOneNeverRestart) {
  // x != y and x == y together pass level-0 arc consistency; every
  // decision on x then fails at level 1.
  Net net2;
  Variable* x = net2.addVarRange(0, 29);
  Variable* y = net2.addVarRange(0, 29);
  net2.add({x, y}, [](const int* t) { return t[0] != t[1]; });
  net2.add({x, y}, [](const int* t) { return t[0] == t[1]; });
  CompleteSolver* s = solver(net2);
  Captured c = runInChild([&] {
    int r = s->search(true);
    fprintf(stdout, "%d %d\n", r, s->conflict);
  });
  EXPECT_EQ(c.out, "2 30\n") << "30 refutations at level 1, all counted, no restart";
  EXPECT_EQ(c.err.find("c |      1 |"), std::string::npos) << c.err;
}

TEST(Mac, LubySequence) {
  Net net;
  net.addVarRange(0, 1);
  CompleteSolver* s = solver(net);
  std::vector<int> expect = {1, 1, 2, 1, 1, 2, 4, 1, 1, 2, 1, 1, 2, 4, 8, 1, 1, 2};
  for (size_t i = 0; i < expect.size(); i++) EXPECT_EQ(s->super((int)i + 1), expect[i]) << i + 1;
  EXPECT_EQ(s->super(63), 32);
  EXPECT_EQ(s->super(64), 1);
  for (int bad : {0, -3}) {
    Captured c = runInChild([&] { s->super(bad); });
    EXPECT_EQ(c.status, 1);
    EXPECT_EQ(c.err, "c bad argument super (" + std::to_string(bad) + ")\n");
  }
}

TEST(Mac, ReportLinesAndStatuses) {
  // Without constraints: satisfiable at once, first declared values.
  {
    Net net;
    net.addVar({7, 3, 5});
    net.addVar({-2, 9});
    CompleteSolver* s = solver(net);
    Captured c = runInChild([&] { s->showFinal(s->search(true)); });
    EXPECT_EQ(c.status, 10);
    EXPECT_EQ(c.out.substr(c.out.find("s ")), "s SATISFIABLE\nv 7 -2\n");
    // Unconstrained variables are still branched on, each on its first value.
    EXPECT_EQ(c.out.rfind("d ASSIGNMENTS 2\nd CHECKS ", 0), 0u) << c.out;
    EXPECT_NE(c.err.find("c \nc # temps = "), std::string::npos) << c.err;
  }
  // Inconsistent at level 0.
  {
    Net net;
    Variable* x = net.addVarRange(0, 2);
    Variable* y = net.addVarRange(0, 2);
    net.add({x, y}, [](const int* t) { return t[0] > t[1] + 5; });
    CompleteSolver* s = solver(net);
    Captured c = runInChild([&] { s->showFinal(s->search(true)); });
    EXPECT_EQ(c.status, 20);
    std::regex re("d ASSIGNMENTS 0\nd CHECKS [0-9]+\ns UNSATISFIABLE\n");
    EXPECT_TRUE(std::regex_match(c.out, re)) << c.out;
  }
  // Unknown and an unknown code.
  {
    Net net = queens(5);
    CompleteSolver* s = solver(net);
    Captured c = runInChild([&] { s->showFinal(3); });
    EXPECT_EQ(c.status, 30);
    EXPECT_TRUE(std::regex_match(c.out, std::regex("d ASSIGNMENTS 0\nd CHECKS [0-9]+\ns UNKNOWN\n")))
        << c.out;
    Captured d = runInChild([&] {
      s->showFinal(7);
      fprintf(stdout, "returned\n");
    });
    EXPECT_EQ(d.status, 0);
    EXPECT_NE(d.out.find("returned\n"), std::string::npos);
    EXPECT_EQ(d.out.find("s "), std::string::npos);
  }
  // A solved instance: the v line is a solution, in variable order.
  {
    Net net = queens(6);
    CompleteSolver* s = solver(net);
    Captured c = runInChild([&] { s->showFinal(s->search(false)); });
    EXPECT_EQ(c.status, 10);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(c.out, m, std::regex("\nv((?: -?[0-9]+)+)\n$"))) << c.out;
    std::istringstream in(m[1].str());
    std::vector<int> a;
    int v;
    while (in >> v) a.push_back(v);
    ASSERT_EQ(a.size(), 6u);
    EXPECT_TRUE(satisfies(net.cons, net.vars, a));
  }
}

// The memory probe reads a real resident size, and the report shows it.
TEST(Mac, MemoryLineShowsResidentMegabytes) {
  InfoSystem probe;
  EXPECT_GT(probe.memUsed(), 1u << 20);
  EXPECT_GT(probe.memReadStat(0), 0);
  EXPECT_EQ(probe.memReadStat(40), 0);
  Net net = queens(4);
  CompleteSolver* s = solver(net);
  Captured c = runInChild([&] { s->showFinal(2); });
  EXPECT_TRUE(std::regex_search(c.err, std::regex("c # Memory used           : [0-9]+Mb\n"))) << c.err;
}

TEST(Mac, LapTimerReturnsTimeSinceThePreviousCall) {
  InfoSystem probe;
  double first = probe.elapsed_seconds();
  EXPECT_GE(first, 0.0);
  volatile double sink = 0;
  clock_t start = clock();
  while (clock() - start < CLOCKS_PER_SEC / 20) sink = sink + 1;
  double lap = probe.elapsed_seconds();
  EXPECT_GT(lap, 0.04);
  EXPECT_LT(lap, 1.0);
  EXPECT_LE(probe.totalTime, probe.tpsElapsed());
}

// An interrupt in the middle of a long search ends it with the UNKNOWN
// report and status 30, as the driver's handler does.
static Solver* gInterrupted = nullptr;
static void onAlarm(int) { gInterrupted->showFinal(3); }

TEST(Mac, InterruptDuringSearchReportsUnknown) {
  Net net = pigeons(13, 12);
  CompleteSolver* s = solver(net);
  Captured c = runInChild([&] {
    gInterrupted = s;
    signal(SIGALRM, onAlarm);
    struct itimerval t;
    memset(&t, 0, sizeof(t));
    t.it_value.tv_usec = 300000;
    setitimer(ITIMER_REAL, &t, nullptr);
    s->search(true);
    fprintf(stdout, "search ended\n");
  });
  EXPECT_EQ(c.status, 30);
  std::smatch m;
  ASSERT_TRUE(std::regex_match(c.out, m, std::regex("d ASSIGNMENTS ([0-9]+)\nd CHECKS ([0-9]+)\ns UNKNOWN\n")))
      << c.out;
  EXPECT_GT(std::stoll(m[1]), 0);
}

// The oracle on a changing constraint set: each answer agrees with brute
// force over the constraints currently in the problem; domains are reset
// between calls, so earlier answers leave no trace.
TEST(Mac, RestartAndSolveFollowsAddedAndRemovedConstraints) {
  for (unsigned seed = 1; seed <= 25; seed++) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    Net net = randomNet(seed * 977, 7, 3, 0, 0.7, 0.3);
    CompleteSolver* s = solver(net);
    std::vector<Constraint*> out;
    for (int step = 0; step < 12; step++) {
      bool removing = out.empty() || (rng() % 2 && !s->vecCont.empty());
      if (removing && !s->vecCont.empty()) {
        Constraint* c = s->vecCont[rng() % s->vecCont.size()];
        s->removeConstraint(c, false);
        out.push_back(c);
      } else if (!out.empty()) {
        size_t k = rng() % out.size();
        s->addConstraint(out[k]);
        out.erase(out.begin() + k);
      }
      std::vector<Constraint*> in = s->vecCont;
      // Each variable's list holds exactly the constraints in the problem.
      for (Variable* x : net.vars)
        for (int i = 0; i < x->nbLink; i++)
          EXPECT_NE(std::find(in.begin(), in.end(), x->vecCont[i]), in.end());
      EXPECT_EQ(s->getLocalConsistancyAC()->getConstraints().size(), in.size());
      int r = s->restartAndsolve();
      EXPECT_EQ(r, bruteSat(net.vars, in) ? 1 : 2);
      if (r == 1) {
        EXPECT_TRUE(satisfies(in, net.vars, solutionOf(net)));
        EXPECT_EQ(s->getLocalConsistancyAC()->getDecisionLevel(), 0);
      }
    }
    EXPECT_EQ(s->getNbCallMac(), 12);
  }
}

// The oracle after a search that ended at the level of its solution: the
// trails are emptied, so the engine must start again from level 0.
TEST(Mac, RestartAndSolveAfterASearchThatLeftOpenLevels) {
  int checked = 0;
  for (unsigned seed = 1; seed <= 30; seed++) {
    SCOPED_TRACE(seed);
    Net net = randomNet(seed * 613, 8, 4, 0, 0.6, 0.3);
    CompleteSolver* s = solver(net);
    if (s->search(false) != 1 || s->getLocalConsistancyAC()->getDecisionLevel() < 2) continue;
    checked++;
    // Tighten the network so that the oracle meets conflicts.
    for (int k = 0; k < 6; k++) {
      Variable* x = net.vars[k];
      Variable* y = net.vars[k + 1];
      Constraint* c = net.add({x, y}, [](const int* t) { return (t[0] + t[1]) % 3 != 0; });
      s->addConstraint(c);
    }
    int r = s->restartAndsolve();
    EXPECT_EQ(r, bruteSat(net.vars, s->vecCont) ? 1 : 2);
    if (r == 1) {
      EXPECT_TRUE(satisfies(s->vecCont, net.vars, solutionOf(net)));
    }
  }
  EXPECT_GT(checked, 5);
}

// Variables outside every constraint of the problem are not branched on.
TEST(Mac, RestartAndSolveMarksVariablesInTheProblem) {
  Net net;
  Variable* x = net.addVarRange(0, 2);
  Variable* y = net.addVarRange(0, 2);
  Variable* z = net.addVarRange(0, 2);
  Constraint* xy = net.add({x, y}, [](const int* t) { return t[0] < t[1]; });
  Constraint* yz = net.add({y, z}, [](const int* t) { return t[0] < t[1]; });
  CompleteSolver* s = solver(net);
  s->removeConstraint(yz, false);
  EXPECT_EQ(s->restartAndsolve(), 1);
  EXPECT_FALSE(z->presentInProblem);
  EXPECT_TRUE(x->presentInProblem);
  EXPECT_TRUE(xy->tupleExist(std::vector<int>{x->infoVal[0]->dom, y->infoVal[0]->dom}.data()));
  // Blocked variables keep their single value.
  s->addConstraint(yz);
  z->blocked = true;  // z's value at position 0 is 0: nothing is below it
  EXPECT_EQ(s->restartAndsolve(), 2);
  z->blocked = false;
  EXPECT_EQ(s->restartAndsolve(), 1);
  EXPECT_EQ(solutionOf(net), (std::vector<int>{0, 1, 2}));
}

TEST(Mac, RelaxAndPreservePairsConsistentAndInconsistentTuples) {
  Net net;
  Variable* x = net.addVarRange(0, 3);
  Variable* y = net.addVarRange(0, 3);
  Variable* z = net.addVarRange(0, 3);
  net.add({x, y}, [](const int* t) { return t[0] + t[1] == 3; });
  net.add({y, z}, [](const int* t) { return t[0] < t[1]; });
  CompleteSolver* s = solver(net);
  std::vector<Variable*> vars = {x, z};
  // (3, 1): y = 0 < z = 1 fine; (0, 2): y = 3 not < 2; (9, 1): 9 not in x.
  std::vector<std::vector<int>> tuples = {{3, 1}, {0, 2}, {2, 3}, {9, 1}, {1}};
  std::vector<std::vector<int>> res;
  s->relaxAndPreserveAddVariable(vars, tuples, res);
  std::vector<std::vector<int>> expect = {
      {3, 1, 3, 1}, {2, 3, 2, 3},               // consistent, paired with themselves
      {0, 2, 3, 1}, {0, 2, 2, 3},               // each inconsistent with each consistent
      {9, 1, 3, 1}, {9, 1, 2, 3}, {1, 3, 1}, {1, 2, 3}};
  EXPECT_EQ(res, expect);
}

TEST(Mac, RemoveConstraintNotActiveKeepsOnlyActiveOnes) {
  Net net = pigeons(4, 3);
  CompleteSolver* s = solver(net);
  for (Constraint* c : net.cons) c->active = false;
  net.cons[1]->active = true;
  net.cons[4]->active = true;
  EXPECT_EQ(s->removeConstraintNotActive(), 4);
  EXPECT_EQ(s->vecCont.size(), 2u);
  EXPECT_EQ(s->getLocalConsistancyAC()->getConstraints().size(), 2u);
  int links = 0;
  for (Variable* x : net.vars) links += x->nbLink;
  EXPECT_EQ(links, 4);
  for (Constraint* c : s->vecCont) EXPECT_TRUE(c->active);
  // Two disequalities over four pigeons are satisfiable.
  EXPECT_EQ(s->restartAndsolve(), 1);
}
