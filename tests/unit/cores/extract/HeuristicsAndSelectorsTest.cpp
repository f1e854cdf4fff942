// Constraint selection heuristics and the selector store.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "cores/PickTransition.h"
#include "cores/SelectorsDataBase.h"
#include "unit/cores/CoreNets.h"

using namespace corenet;

namespace {

// Three binary constraints over variables of sizes 2, 3 and 4.
struct Fixture {
  Net net;
  Constraint *c0, *c1, *c2;
  Fixture() {
    Variable* a = net.addVarRange(0, 1);
    Variable* b = net.addVarRange(0, 2);
    Variable* d = net.addVarRange(0, 3);
    c0 = add(net, {a, b}, ne());  // prodDom 6
    c1 = add(net, {b, d}, ne());  // prodDom 12
    c2 = add(net, {a, d}, ne());  // prodDom 8
  }
};

std::vector<std::vector<int>> sets(const SelectorsDataBase& db) {
  std::vector<std::vector<int>> r;
  for (int j = 0; j < db.getNbElt(); j++) {
    const Selectors* s = db.getSelectors(j);
    std::vector<int> v(s->setSelector, s->setSelector + s->nbSelector);
    std::sort(v.begin(), v.end());
    r.push_back(v);
  }
  std::sort(r.begin(), r.end());
  return r;
}

}  // namespace

TEST(PickTransition, RankingAndOrderOfEveryMember) {
  struct Case {
    const char* name;
    std::function<PickTransition*()> make;
    // Order of sortConstraint and first pick after initWeight, scores
    // c0 = 12, c1 = 12, c2 = 4 (the dom versions divide by 6, 12 and 8).
    std::vector<int> sorted;
    int pick;
    bool frozen;  // a later score change is ignored until a trigger
  };
  std::vector<Case> cases = {
      {"static", [] { return new PickStatic(); }, {2, 0, 1}, 0, true},
      {"dynamic", [] { return new PickDynamic(); }, {2, 0, 1}, 0, true},
      {"static+dom", [] { return new PickStaticDom(); }, {2, 1, 0}, 0, true},
      {"dynamic+", [] { return new PickDynamicPlus(); }, {2, 0, 1}, 0, false},
      {"dynamic+dom", [] { return new PickDynamicPlusDom(); }, {2, 1, 0}, 0, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Fixture f;
    std::vector<Constraint*> all = {f.c0, f.c1, f.c2};
    f.c0->score = 12;
    f.c1->score = 12;
    f.c2->score = 4;
    std::unique_ptr<PickTransition> pt(k.make());
    pt->initWeight(all);
    std::vector<Constraint*> v = all;
    pt->sortConstraint(v);
    std::vector<int> ids;
    for (Constraint* c : v) ids.push_back(c->idCont);
    if (std::string(k.name) == "static" || std::string(k.name) == "dynamic" ||
        std::string(k.name) == "dynamic+") {
      // c0 and c1 tie: only the lowest is fixed.
      EXPECT_EQ(ids[0], 2);
    } else {
      EXPECT_EQ(ids, k.sorted);
    }
    EXPECT_EQ(pt->pickOneConstraint(all)->idCont, k.pick);

    // Raising c2 far above the others: live scores follow at once, frozen
    // ones only after initWeight / a transition trigger (PickDynamic).
    f.c2->score = 1000;
    EXPECT_EQ(pt->pickOneConstraint(all) == f.c2, !k.frozen);
    pt->triggerWhenTransitionFound(all);
    bool dyn = std::string(k.name) == "dynamic";
    EXPECT_EQ(pt->pickOneConstraint(all) == f.c2, !k.frozen || dyn);
  }
}

TEST(PickTransition, PickSkipsMarkedAndTakesFirstAmongEquals) {
  Fixture f;
  std::vector<Constraint*> v = {f.c0, f.c1, f.c2};
  PickDynamicPlus pt;
  for (Constraint* c : v) c->score = 1.0;
  EXPECT_EQ(pt.pickOneConstraint(v), f.c0);
  f.c0->makeSoft();
  EXPECT_EQ(pt.pickOneConstraint(v), f.c1);
  // pickAndRm moves the last element into the hole.
  EXPECT_EQ(pt.pickAndRmOneConstraint(v), f.c1);
  ASSERT_EQ(v.size(), 2u);
  EXPECT_EQ(v[1], f.c2);
  f.c2->makeSoft();
  EXPECT_EQ(pt.pickOneConstraint(v), nullptr);
  EXPECT_EQ(pt.pickAndRmOneConstraint(v), nullptr);
  EXPECT_EQ(v.size(), 2u);
  std::vector<Constraint*> empty;
  EXPECT_EQ(pt.pickOneConstraint(empty), nullptr);
}

TEST(PickTransition, ProductOfDomainsSkipsEmptyDomains) {
  Fixture f;
  EXPECT_DOUBLE_EQ(prodDom(f.c1), 12.0);
  f.c1->scope[1]->sizeDom = 0;
  EXPECT_DOUBLE_EQ(prodDom(f.c1), 3.0);
  f.c1->score = 6;
  PickDynamicPlusDom pt;
  EXPECT_DOUBLE_EQ(pt.computeScore(f.c1), 2.0);
  f.c1->scope[1]->sizeDom = 4;
}

TEST(SelectorsDataBase, AddKeepsOnlyMinimalSets) {
  struct Case {
    const char* name;
    std::vector<std::vector<int>> adds;
    std::vector<std::vector<int>> expect;
  };
  std::vector<Case> cases = {
      {"disjoint sets kept", {{1, 2}, {3, 4}}, {{1, 2}, {3, 4}}},
      {"same set once", {{1, 2}, {2, 1}}, {{1, 2}}},
      {"superset refused", {{1}, {1, 2}}, {{1}}},
      {"subset replaces supersets", {{1, 2, 3}, {1, 3, 5}, {1, 3}}, {{1, 3}}},
      {"overlap kept", {{1, 2}, {2, 3}}, {{1, 2}, {2, 3}}},
      // 33 and 1 share an abstraction bit: the filter must not confuse them.
      {"abstraction collision", {{1, 2}, {33, 2}}, {{1, 2}, {2, 33}}},
      {"empty set absorbs all", {{}, {4}}, {{}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    SelectorsDataBase db(40);
    for (const auto& v : k.adds) db.addSelectors(v);
    EXPECT_EQ(sets(db), k.expect);
    for (int i = 0; i <= 40; i++) ASSERT_EQ(db.tabTmp[i], 0) << i;
  }
}

TEST(SelectorsDataBase, FalsityPropagatesToUnitSets) {
  SelectorsDataBase db(10);
  db.addSelectors({1, 2});
  db.addSelectors({2, 3, 4});
  db.addSelectors({5, 6});
  db.addSelectors({7});
  db.assignTrue(6);
  std::vector<int> prop;
  db.assignFalse({2}, prop);
  // {1,2} shrinks to {1}: 1 is true.  {5,6} is untouched (6 true was set
  // directly); {7} alone and unknown is propagated as well.
  std::sort(prop.begin(), prop.end());
  EXPECT_EQ(prop, (std::vector<int>{1, 7}));
  EXPECT_EQ(db.getAssign(1), 1);
  EXPECT_EQ(db.getAssign(2), 2);
  EXPECT_EQ(db.getAssign(7), 1);

  // Discarding 3 drops {1} (satisfied: 1 is true) and shrinks {3,4} to {4}.
  prop.clear();
  db.assignFalse({3}, prop);
  EXPECT_EQ(prop, (std::vector<int>{4}));
  // A set whose every element is false stays, empty.
  prop.clear();
  db.assignFalse({8}, prop);
  db.addSelectors({9});
  db.assignFalse({9}, prop);
  EXPECT_TRUE(prop.empty());
  bool hasEmpty = false;
  for (const auto& s : sets(db)) hasEmpty |= s.empty();
  EXPECT_TRUE(hasEmpty);
}
