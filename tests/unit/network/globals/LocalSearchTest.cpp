#include <gtest/gtest.h>

#include "network/TableauBit.h"
#include "network/constraints/AllDiff.h"
#include "network/constraints/Element.h"
#include "network/constraints/WeightedSum.h"
#include "unit/network/globals/GlobalsTestUtil.h"

using namespace gt;

namespace {

// Sets the bits and diffs of c from scratch: bit of value a at position j is
// set when the tuple of current values with a at j violates c.
void initLocalSearch(Constraint* c) {
  c->initTabBit();
  for (int j = 0; j < c->arity; j++) {
    Variable* x = c->scope[j];
    for (int i = 0; i < x->sizeDom; i++) x->infoVal[i]->diff = 0;
  }
  for (int j = 0; j < c->arity; j++) {
    Variable* x = c->scope[j];
    for (int i = 0; i < x->sizeDom; i++) {
      std::vector<int> t(c->arity);
      for (int p = 0; p < c->arity; p++) t[p] = c->scope[p]->infoCurrent->dom;
      t[j] = x->infoVal[i]->dom;
      const bool bad = !c->tupleExist(t.data());
      c->setBit(j, x->infoVal[i]->header.prop, bad);
      if (bad) x->infoVal[i]->diff = c->weight;
    }
  }
}

// After random changes of current values, each followed by switched, every
// bit and diff of every position agrees with the constraint's meaning.
void checkSwitched(Constraint* c, const Pred& accept, std::mt19937& rng) {
  c->weight = 3;
  for (int p = 0; p < c->arity; p++) c->scope[p]->infoCurrent = c->scope[p]->infoVal[0];
  initLocalSearch(c);
  for (int step = 0; step < 200; step++) {
    const int pos = rng() % c->arity;
    Variable* x = c->scope[pos];
    x->infoCurrent = x->infoVal[rng() % x->sizeDom];
    c->switched(pos);
    for (int j = 0; j < c->arity; j++) {
      Variable* y = c->scope[j];
      for (int i = 0; i < y->sizeDom; i++) {
        std::vector<int> t(c->arity);
        for (int p = 0; p < c->arity; p++) t[p] = c->scope[p]->infoCurrent->dom;
        t[j] = y->infoVal[i]->dom;
        const bool bad = !accept(t);
        ASSERT_EQ(c->getBit(j, y->infoVal[i]->header.prop) != 0, bad) << "step " << step << " position " << j;
        ASSERT_EQ(y->infoVal[i]->diff, bad ? c->weight : 0) << "step " << step << " position " << j;
      }
    }
  }
}

}  // namespace

TEST(GlobalsLocalSearch, SwitchedKeepsBitsAndDiffsExact) {
  std::mt19937 rng(3);
  {
    std::vector<Variable*> sc;
    // Enough values that clash-free assignments are frequent.
    for (int i = 0; i < 4; i++) sc.push_back(makeVar("lsa" + std::to_string(i), range(0, 9)));
    keepOnly(sc[3], {1, 3, 6});  // removed values are no candidates
    AllDiff* c = new AllDiff("lsa", sc.data(), 4, 0);
    checkSwitched(c, [](const std::vector<int>& t) { return std::set<int>(t.begin(), t.end()).size() == t.size(); },
                  rng);
  }
  {
    Variable* x = makeVar("lsw_x", range(-2, 3));
    Variable* y = makeVar("lsw_y", range(0, 4));
    Variable* r = makeVar("lsw_r", range(-4, 4));
    std::vector<Variable*> sc{r, x, y};
    WeightedSum* c = new WeightedSum("lsw", sc.data(), 3, 0);
    c->initWeightedSum({2, -1, -1}, {x, y, r}, 3, 0);  // 2x - y >= r
    checkSwitched(c, [](const std::vector<int>& t) { return 2 * t[1] - t[2] >= t[0]; }, rng);
  }
  {
    Variable* I = makeVar("lse_i", range(0, 4));
    Variable* a = makeVar("lse_a", range(0, 3));
    Variable* w = makeVar("lse_w", range(0, 3));
    std::vector<Variable*> sc{a, I, w};
    Element* c = new Element("lse", sc.data(), 3, 0);
    bool* isV = new bool[5]{true, true, false, true, true};
    valOrvar* e = new valOrvar[5];
    e[0].var = I;
    e[1].var = a;
    e[2].val = 2;
    e[3].var = w;
    e[4].var = w;
    c->initElement(5, isV, e);  // [a, 2, w][I] == w
    checkSwitched(c,
                  [](const std::vector<int>& t) {
                    const int i = t[1];
                    if (i < 1 || i > 3) return false;
                    const int entry = i == 1 ? t[0] : (i == 2 ? 2 : t[2]);
                    return entry == t[2];
                  },
                  rng);
  }
}

// Revisions count checks for the all-different and element constraints,
// one per call; the weighted sum counts none.
TEST(GlobalsLocalSearch, CheckCounting) {
  Variable* x = makeVar("cc_x", range(1, 3));
  Variable* y = makeVar("cc_y", range(1, 3));
  std::vector<Variable*> sc{x, y};
  AllDiff* ad = new AllDiff("cc_ad", sc.data(), 2, 0);
  WeightedSum* ws = new WeightedSum("cc_ws", sc.data(), 2, 1);
  ws->initWeightedSum({1, 1}, {x, y}, 1, 4);
  Element* el = new Element("cc_el", sc.data(), 2, 2);
  bool* isV = new bool[3]{true, false, true};
  valOrvar* e = new valOrvar[3];
  e[0].var = x;
  e[1].val = 2;
  e[2].var = y;
  el->initElement(3, isV, e);
  struct Case {
    Constraint* c;
    uint64_t perCall;
  } cases[] = {{ad, 1}, {ws, 0}, {el, 1}};
  for (const Case& k : cases) {
    const uint64_t before = Constraint::nbChecks;
    k.c->revise(x, 0);
    k.c->revise(y, 1);
    k.c->revise(x, 0);
    EXPECT_EQ(Constraint::nbChecks - before, 3 * k.perCall) << k.c->name;
  }
}
