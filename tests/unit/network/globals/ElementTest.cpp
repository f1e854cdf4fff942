#include <gtest/gtest.h>

#include <stdexcept>

#include "network/constraints/Element.h"
#include "unit/network/globals/GlobalsTestUtil.h"

using namespace gt;

namespace {

// An entry as written in the instance: a variable, or a constant when var
// is null.
struct Entry {
  Variable* var;
  int val;
};
Entry V(Variable* x) { return {x, 0}; }
Entry K(int v) { return {nullptr, v}; }

// The scope: the distinct variables of the entries, in order of appearance.
std::vector<Variable*> scopeOf(const Entry& index, const std::vector<Entry>& list, const Entry& value) {
  std::vector<Variable*> sc;
  auto add = [&](const Entry& e) {
    if (e.var && std::find(sc.begin(), sc.end(), e.var) == sc.end()) sc.push_back(e.var);
  };
  add(index);
  for (const Entry& e : list) add(e);
  add(value);
  return sc;
}

Element* build(const std::vector<Variable*>& scope, const Entry& index, const std::vector<Entry>& list,
               const Entry& value) {
  static int id = 0;
  std::vector<Variable*> sc(scope);
  Element* c = new Element("el" + std::to_string(id), sc.data(), (int)sc.size(), id);
  id++;
  const int nbE = (int)list.size() + 2;
  bool* isV = new bool[nbE];
  valOrvar* ent = new valOrvar[nbE];
  for (int k = 0; k < nbE; k++) {
    const Entry& e = k == 0 ? index : (k == nbE - 1 ? value : list[k - 1]);
    isV[k] = e.var != nullptr;
    if (e.var)
      ent[k].var = e.var;
    else
      ent[k].val = e.val;
  }
  c->initElement(nbE, isV, ent);
  return c;
}

// list[index] == value with the list indexed from 1.
Pred meaning(const std::vector<Variable*>& scope, const Entry& index, const std::vector<Entry>& list,
             const Entry& value) {
  return [=](const std::vector<int>& t) {
    auto get = [&](const Entry& e) {
      if (!e.var) return e.val;
      for (size_t i = 0; i < scope.size(); i++)
        if (scope[i] == e.var) return t[i];
      return 0;
    };
    const int i = get(index);
    if (i < 1 || i > (int)list.size()) return false;
    return get(list[i - 1]) == get(value);
  };
}

}  // namespace

TEST(Element, TupleExistSelectsFromOne) {
  Variable* I = makeVar("elt_i", range(-1, 4));
  Variable* A = makeVar("elt_a", range(0, 9));
  Variable* B = makeVar("elt_b", range(0, 9));
  Variable* W = makeVar("elt_v", range(0, 9));
  // scope order differs from the entry order
  std::vector<Variable*> scope{W, B, I, A};
  Element* c = build(scope, V(I), {V(A), K(7), V(B)}, V(W));
  struct Case {
    int w, b, i, a;
    bool ok;
  } cases[] = {
      {3, 5, 1, 3, true},  {3, 5, 1, 4, false}, {7, 5, 2, 0, true},  {6, 5, 2, 6, false},
      {5, 5, 3, 0, true},  {5, 4, 3, 5, false}, {3, 3, 0, 3, false}, {3, 3, 4, 3, false},
      {3, 3, -1, 3, false},
  };
  for (const Case& k : cases) {
    int t[] = {k.w, k.b, k.i, k.a};
    EXPECT_EQ(c->tupleExist(t), k.ok) << "index " << k.i;
  }
  // A constant value and a constant index.
  Element* cv = build({I, A}, V(I), {V(A), K(7)}, K(7));
  int t1[] = {2, 0}, t2[] = {1, 7}, t3[] = {1, 6};
  EXPECT_TRUE(cv->tupleExist(t1));
  EXPECT_TRUE(cv->tupleExist(t2));
  EXPECT_FALSE(cv->tupleExist(t3));
  Element* ci = build({A, W}, K(2), {K(4), V(A)}, V(W));
  int t4[] = {5, 5}, t5[] = {5, 4};
  EXPECT_TRUE(ci->tupleExist(t4));
  EXPECT_FALSE(ci->tupleExist(t5));
}

// Index values outside 1..n never survive, whatever the entries are.
TEST(Element, IndexOutsideTheListIsRemoved) {
  Variable* I = makeVar("eli_i", range(0, 3));
  Variable* A = makeVar("eli_a", range(1, 3));
  Variable* B = makeVar("eli_b", range(1, 3));
  Variable* W = makeVar("eli_v", range(1, 3));
  struct Case {
    Entry a, b, v;
    std::set<int> kept;
  } cases[] = {
      {V(A), V(B), V(W), {1, 2}}, {K(2), V(B), V(W), {1, 2}}, {V(A), K(1), K(3), {1}},
      {K(1), K(2), V(W), {1, 2}}, {K(3), K(3), K(3), {1, 2}}, {K(3), K(1), K(1), {2}},
  };
  for (const Case& k : cases) {
    std::vector<Entry> list{k.a, k.b};
    std::vector<Variable*> scope = scopeOf(V(I), list, k.v);
    Element* c = build(scope, V(I), list, k.v);
    Snapshot snap(scope);
    EXPECT_TRUE(c->revise(I, 0));
    EXPECT_EQ(live(I), k.kept);
  }
}

// A variable that fills the whole list is the selected entry whatever the
// index: it is filtered by the value; a variable in part of the list is not.
TEST(Element, ListMadeOfOneVariableFollowsTheValue) {
  Variable* I = makeVar("ell_i", range(1, 3));
  Variable* X = makeVar("ell_x", range(0, 5));
  Variable* Y = makeVar("ell_y", range(0, 5));
  Variable* W = makeVar("ell_v", {1, 4, 9});
  struct Case {
    std::vector<Entry> list;
    Entry value;
    std::set<int> xAfter;
  } cases[] = {
      {{V(X), V(X), V(X)}, V(W), {1, 4}},
      {{V(X)}, K(3), {3}},
      {{V(X), V(Y), V(X)}, V(W), {0, 1, 2, 3, 4, 5}},
      {{V(X), K(4)}, V(W), {0, 1, 2, 3, 4, 5}},
  };
  for (const Case& k : cases) {
    std::vector<Variable*> scope = scopeOf(V(I), k.list, k.value);
    Element* c = build(scope, V(I), k.list, k.value);
    Snapshot snap(scope);
    c->revise(X, 1);
    EXPECT_EQ(live(X), k.xAfter);
  }
}

TEST(Element, VariableEntryOutsideTheScopeIsRejected) {
  Variable* I = makeVar("elx_i", range(1, 2));
  Variable* A = makeVar("elx_a", range(1, 2));
  Variable* W = makeVar("elx_v", range(1, 2));
  EXPECT_THROW(build({I, W}, V(I), {V(A), K(1)}, V(W)), std::runtime_error);
}

// A constant index reduces the constraint to "entry i = value": filtered
// exactly, so a complete assignment that violates it cannot pass; an index
// that designates no entry leaves no solution.
TEST(Element, ConstantIndexIsEnforced) {
  Variable* A = makeVar("elc_a", range(1, 4));
  Variable* B = makeVar("elc_b", range(1, 4));
  Variable* W = makeVar("elc_v", range(2, 5));
  std::vector<Variable*> scope{A, B, W};
  Element* c = build(scope, K(2), {V(A), V(B)}, V(W));
  Snapshot snap(scope);
  EXPECT_FALSE(c->revise(A, 0));
  EXPECT_TRUE(c->revise(B, 1));
  EXPECT_EQ(live(B), (std::set<int>{2, 3, 4}));
  EXPECT_TRUE(c->revise(W, 2));
  EXPECT_EQ(live(W), (std::set<int>{2, 3, 4}));
  snap.restore();
  fix(B, 1);
  fix(W, 2);
  EXPECT_TRUE(c->revise(B, 1));
  EXPECT_EQ(B->sizeDom, 0);
  snap.restore();

  for (int bad : {0, 3, -5}) {
    Element* out = build(scope, K(bad), {V(A), V(B)}, V(W));
    for (int p = 0; p < 3; p++) {
      EXPECT_TRUE(out->revise(scope[p], p));
      EXPECT_EQ(scope[p]->sizeDom, 0);
      snap.restore();
    }
  }
}

// Random element constraints: entries mixing variables (sometimes repeated)
// and constants, index domains reaching outside 1..n, constant or variable
// value and index, values near 10^9 in some rounds.  revise never removes a
// supported value; it is exact for the index when the index occurs nowhere
// else, and for the value when it is not the index.
TEST(Element, ReviseAgainstBruteForce) {
  std::mt19937 rng(5);
  for (int round = 0; round < 400; round++) {
    const int base = round % 4 == 0 ? 999999995 : -1;
    std::vector<int> pool = range(base, base + 3);
    const std::string tag = "elr" + std::to_string(round) + "_";
    std::vector<Variable*> vars;
    for (int i = 0; i < 3; i++) {
      vars.push_back(makeVar(tag + std::to_string(i), pool));
      keepOnly(vars.back(), randomSubset(rng, pool));
    }
    const int n = 1 + rng() % 4;
    Variable* I = makeVar(tag + "i", range(-1, n + 1));
    keepOnly(I, randomSubset(rng, range(-1, n + 1)));
    auto randomEntry = [&]() {
      return rng() % 2 ? V(vars[rng() % vars.size()]) : K(pool[rng() % pool.size()]);
    };
    std::vector<Entry> list;
    for (int k = 0; k < n; k++) list.push_back(randomEntry());
    Entry value = randomEntry();
    Entry index = rng() % 5 == 0 ? K((int)(rng() % (n + 2))) : V(I);
    if (round % 10 == 3) value = V(I);  // the index also as the value
    std::vector<Variable*> scope = scopeOf(index, list, value);
    if (scope.empty()) continue;
    Element* c = build(scope, index, list, value);
    Pred want = meaning(scope, index, list, value);

    forEachTuple(c, [&](const std::vector<int>& t) {
      std::vector<int> tt = t;
      ASSERT_EQ(c->tupleExist(tt.data()), want(t));
    });

    Snapshot snap(scope);
    for (size_t p = 0; p < scope.size(); p++) {
      Variable* v = scope[p];
      const std::set<int> before = live(v);
      const std::set<int> sup = supported(c, (int)p, want);
      EXPECT_FALSE(c->softRevise(v, (int)p));
      const bool changed = c->revise(v, (int)p);
      const std::set<int> after = live(v);
      SCOPED_TRACE("round " + std::to_string(round) + " position " + std::to_string(p));
      EXPECT_EQ(changed, after.size() < before.size());
      EXPECT_TRUE(intersect(minus(before, after), sup).empty()) << "a supported value was removed";
      bool indexElsewhere = value.var == index.var;
      for (const Entry& e : list) indexElsewhere |= e.var == index.var;
      if (index.var == v && !indexElsewhere) { EXPECT_EQ(after, sup); }
      if (value.var == v && index.var != v) { EXPECT_EQ(after, sup); }
      if (!index.var) {
        const int i = index.val;
        const bool isEntry = i >= 1 && i <= n && list[i - 1].var == v;
        if (i < 1 || i > n || isEntry || value.var == v) { EXPECT_EQ(after, sup); }
      }
      snap.restore();
    }
  }
}
