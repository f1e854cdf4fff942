// Core extraction: every approach and aid yields a minimal unsatisfiable
// core (checked by brute force), the selection heuristics, the selector
// store, coherence restoring and the coMSS extractors.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "cores/CoMSS.h"
#include "cores/ExtractMUC.h"
#include "cores/PickTransition.h"
#include "cores/RestoreCoherenceMUC.h"
#include "cores/SelectorsDataBase.h"
#include "unit/cores/CoreNets.h"

using namespace corenet;

namespace {

ExtractMUC* extractor(Net& net, std::vector<std::string> opts) {
  ExtractMUC* m = new ExtractMUC(net.cons, net.vars, std::max(net.maxArity, 1), std::max(net.maxDom, 1));
  std::vector<char*> argv;
  for (std::string& o : opts) argv.push_back(&o[0]);
  m->setOption(argv.data(), (int)argv.size());
  return m;
}

// Unsatisfiable random networks small enough for brute force.
std::vector<unsigned> unsatSeeds(int wanted) {
  std::vector<unsigned> seeds;
  for (unsigned s = 1; (int)seeds.size() < wanted && s < 500; s++) {
    Net net = randomNet(s * 17, 7, 3, 0.5, 0.45);
    if (!testnet::bruteSat(net.vars, net.cons)) seeds.push_back(s * 17);
  }
  return seeds;
}

const std::vector<std::vector<std::string>>& optionSets() {
  static const std::vector<std::vector<std::string>> sets = {
      {"-del"},
      {"-cons"},
      {"-dich"},
      {"-xplain"},
      {"-dich", "-dynDich"},
      {"-del", "-rmInactive"},
      {"-cons", "-rmInactive"},
      {"-dich", "-rmInactive"},
      {"-xplain", "-rmInactive"},
      {"-del", "-wcore"},
      {"-dich", "-wcore+"},
      {"-del", "-rmr"},
      {"-cons", "-rmr"},
      {"-dich", "-rmr"},
      {"-xplain", "-rmr"},
      {"-del", "-lsmr", "-rnovelty", "-useSelect=3"},
      {"-cons", "-lsmr", "-wcsp"},
      {"-dich", "-lsmr", "-novelty", "-useSelect=3"},
      {"-xplain", "-lsmr", "-rnovelty"},
      {"-del", "-tryApprox=1"},
      {"-dich", "-tryApprox=2", "-pickDyn+"},
      {"-del", "-pickDyn"},
      {"-del", "-pickDyn+Dom", "-pstack"},
      {"-cons", "-pickStaticDom", "-p2queue"},
      {"-xplain", "-pickDynDom"},
  };
  return sets;
}

std::string join(const std::vector<std::string>& v) {
  std::string s;
  for (const std::string& o : v) s += o + " ";
  return s;
}

}  // namespace

TEST(ExtractMUC, EveryApproachAndAidYieldsAMinimalCore) {
  std::vector<unsigned> seeds = unsatSeeds(6);
  ASSERT_GE(seeds.size(), 4u);
  std::map<std::pair<unsigned, std::vector<int>>, bool> verdicts;
  for (const auto& opts : optionSets()) {
    bool rotation = std::find(opts.begin(), opts.end(), "-rmr") != opts.end() ||
                    std::find(opts.begin(), opts.end(), "-lsmr") != opts.end();
    int byRotation = 0;
    for (unsigned seed : seeds) {
      SCOPED_TRACE(join(opts) + " seed " + std::to_string(seed));
      Net net = randomNet(seed, 7, 3, 0.5, 0.45);
      ExtractMUC* m = extractor(net, opts);
      ASSERT_EQ(m->search(false), 2);
      std::vector<Constraint*> core = m->getConstraint();
      // Many settings find the same core: decide each one once.
      std::vector<int> ids;
      for (Constraint* c : core) ids.push_back(c->idCont);
      std::sort(ids.begin(), ids.end());
      auto key = std::make_pair(seed, ids);
      auto known = verdicts.find(key);
      if (known == verdicts.end()) known = verdicts.emplace(key, isMuc(net, core)).first;
      EXPECT_TRUE(known->second);
      // The counters account for every core constraint, and the engine
      // sees exactly the core.
      EXPECT_EQ(m->coreSize(), (int)core.size());
      EXPECT_EQ(m->getLocalConsistancyAC()->vecCont.size(), core.size());
      for (Constraint* c : core) EXPECT_TRUE(c->soft);
      byRotation += m->nbMucMR;
    }
    // Rotation must find some core constraints over the family to mean
    // anything; without it none are credited to it.
    if (rotation)
      EXPECT_GT(byRotation, 0) << join(opts);
    else
      EXPECT_EQ(byRotation, 0) << join(opts);
  }
}

TEST(ExtractMUC, DisjointCoresGiveOneOfThem) {
  for (const auto& opts : optionSets()) {
    SCOPED_TRACE(join(opts));
    Net net = disjointCores();
    std::vector<Constraint*> all = net.cons;
    ExtractMUC* m = extractor(net, opts);
    ASSERT_EQ(m->search(false), 2);
    std::vector<Constraint*> core = m->getConstraint();
    std::sort(core.begin(), core.end(), [](Constraint* a, Constraint* b) { return a->idCont < b->idCont; });
    std::vector<Constraint*> tri = {all[1], all[3], all[5]}, de = {all[2], all[6]};
    EXPECT_TRUE(core == tri || core == de) << core.size();
  }
}

TEST(ExtractMUC, SatisfiableNetworkHasNoCore) {
  for (const char* a : {"-del", "-cons", "-dich", "-xplain"})
    for (const char* p : {"-noPreproc", "-wcore", "-wcore+"}) {
      SCOPED_TRACE(std::string(a) + " " + p);
      Net net = testnet::queens(5);
      ExtractMUC* m = extractor(net, {a, p, "-rmInactive"});
      EXPECT_EQ(m->search(false), 1);
    }
}

TEST(ExtractMUC, SingleUnsatisfiableConstraint) {
  for (const char* a : {"-del", "-cons", "-dich", "-xplain"}) {
    SCOPED_TRACE(a);
    Net net;
    Variable* x = net.addVarRange(0, 2);
    Variable* y = net.addVarRange(0, 2);
    Variable* z = net.addVarRange(0, 2);
    add(net, {x, y}, ne());
    add(net, {y, z}, ne());
    Constraint* none = add(net, {y}, [](const int*) { return false; });
    add(net, {x, z}, ne());
    ExtractMUC* m = extractor(net, {a, "-rmr"});
    ASSERT_EQ(m->search(false), 2);
    ASSERT_EQ(m->getConstraint().size(), 1u);
    EXPECT_EQ(m->getConstraint()[0], none);
  }
}

TEST(RestoreCoherenceMUC, LeavesASatisfiableNetwork) {
  std::vector<unsigned> seeds = unsatSeeds(6);
  for (unsigned seed : seeds) {
    SCOPED_TRACE(seed);
    Net net = randomNet(seed, 7, 3, 0.5, 0.45);
    std::vector<Constraint*> all = net.cons;
    RestoreCoherenceMUC r(net.cons, net.vars, 2, 3);
    EXPECT_EQ(r.search(false), 1);
    ASSERT_FALSE(r.toRestore.empty());
    EXPECT_TRUE(sat(net, r.getConstraint()));
    EXPECT_EQ(without(all, r.toRestore).size(), r.getConstraint().size());
  }
  // Two disjoint cores: one constraint of each goes.
  Net net = disjointCores();
  std::vector<Constraint*> all = net.cons;
  RestoreCoherenceMUC r(net.cons, net.vars, 2, 3);
  EXPECT_EQ(r.search(false), 1);
  ASSERT_EQ(r.toRestore.size(), 2u);
  int tri = 0, de = 0;
  for (Constraint* c : r.toRestore) {
    tri += c == all[1] || c == all[3] || c == all[5];
    de += c == all[2] || c == all[6];
  }
  EXPECT_EQ(tri, 1);
  EXPECT_EQ(de, 1);
  EXPECT_TRUE(sat(net, r.getConstraint()));
}

TEST(CoMSS, BothExtractorsGiveAMinimalCorrectionSet) {
  std::vector<unsigned> seeds = unsatSeeds(8);
  for (int destructive = 0; destructive < 2; destructive++)
    for (unsigned seed : seeds) {
      SCOPED_TRACE(std::to_string(destructive) + " seed " + std::to_string(seed));
      Net net = randomNet(seed, 7, 3, 0.5, 0.45);
      std::vector<Constraint*> all = net.cons;
      std::vector<Constraint*> co, rest;
      if (destructive) {
        CoMSSDestructive s(net.cons, net.vars, 2, 3, "-rnovelty");
        ASSERT_EQ(s.search(false), 2);
        co = s.coMSS;
        rest = s.getConstraint();
      } else {
        CoMSSConstructive s(net.cons, net.vars, 2, 3, "-rnovelty");
        ASSERT_EQ(s.search(false), 2);
        co = s.coMSS;
        rest = s.getConstraint();
      }
      ASSERT_FALSE(co.empty());
      EXPECT_TRUE(isCoMss(net, all, co));
      // The problem left behind is exactly the satisfiable rest.
      EXPECT_EQ(rest.size(), all.size() - co.size());
    }
  Net net = testnet::queens(5);
  CoMSSDestructive s(net.cons, net.vars, 2, 5, "-rnovelty");
  EXPECT_EQ(s.search(false), 1);
  EXPECT_TRUE(s.coMSS.empty());
}
