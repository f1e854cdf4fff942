#pragma once

// Small in-memory networks for the constraint tests.

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "network/Domain.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"

namespace netfix {

inline Variable* makeVar(const std::string& name, const std::vector<int>& values) {
  static int nextId = 0;
  Domain* d = new Domain("D" + name);
  for (int v : values) d->add(v);
  return new Variable(name, d, nextId++);
}

inline std::vector<int> range(int lo, int hi) {
  std::vector<int> r;
  for (int v = lo; v <= hi; v++) r.push_back(v);
  return r;
}

// Live values of x, sorted.
inline std::vector<int> live(const Variable* x) {
  std::vector<int> r;
  for (int i = 0; i < x->sizeDom; i++) r.push_back(x->infoVal[i]->dom);
  std::sort(r.begin(), r.end());
  return r;
}

inline void removeValue(Variable* x, int value) {
  int p = x->positionDom(value);
  if (p >= 0) x->removeInfoVal(p);
}

// Keeps each live value of x with probability keep (at least one value).
inline void thin(Variable* x, std::mt19937& rng, double keep) {
  std::uniform_real_distribution<double> u(0, 1);
  for (int i = x->sizeDom - 1; i >= 0 && x->sizeDom > 1; i--)
    if (u(rng) > keep) x->removeInfoVal(i);
}

using Pred = std::function<bool(const std::vector<int>&)>;

// Values of the variable at pos having a support among the live values of
// the other scope variables (distinct variables assumed).
inline std::vector<int> gacValues(const std::vector<Variable*>& sc, int pos, const Pred& ok) {
  int n = (int)sc.size();
  std::vector<int> res;
  std::vector<int> t(n);
  for (int v : live(sc[pos])) {
    t[pos] = v;
    std::function<bool(int)> rec = [&](int k) -> bool {
      if (k == n) return ok(t);
      if (k == pos) return rec(k + 1);
      for (int b : live(sc[k])) {
        t[k] = b;
        if (rec(k + 1)) return true;
      }
      return false;
    };
    if (rec(0)) res.push_back(v);
  }
  return res;
}

// A constraint whose tuple test is a function, counting its calls; revise
// is a plain generalised arc-consistency filter.  Exercises the base class.
class LambdaConstraint : public Constraint {
 public:
  Pred pred;
  int calls = 0;
  LambdaConstraint(const std::string& nm, std::vector<Variable*> sc, Pred p)
      : Constraint(nm, sc.data(), nullptr, (int)sc.size(), 0), pred(std::move(p)) {}
  bool tupleExist(int* t) override {
    calls++;
    return pred(std::vector<int>(t, t + arity));
  }
  void switched(int) override {}
  bool revise(Variable*, int) override { return false; }
  bool softRevise(Variable*, int) override { return false; }
  Variable* giveAleaVariable() override { return scope[0]; }
  int giveAleatNumber() override { return 0; }
};

// Drives switched through random flips and checks, after each, that every
// other position's bits and diffs are what a recomputation gives (weight 3).
inline void expectSwitchedExact(Constraint* c, std::vector<Variable*>& sc, const Pred& pred, std::mt19937& rng) {
  int arity = (int)sc.size();
  c->setWeight(3);
  c->initTabBit();
  for (Variable* x : sc) {
    x->selectValue(rng() % x->sizeDom);
    x->zeroDiff();
  }
  auto current = [&]() {
    std::vector<int> t;
    for (Variable* x : sc) t.push_back(x->infoCurrent->dom);
    return t;
  };
  // Sets (set = true) or compares position j's bits and diffs.
  auto visit = [&](int j, bool set, const std::string& when) {
    std::vector<int> t = current();
    for (int i = 0; i < sc[j]->sizeDom; i++) {
      InfoValueVar* a = sc[j]->infoVal[i];
      t[j] = a->dom;
      int violated = pred(t) ? 0 : 1;
      if (set) {
        c->setBit(j, a->header.prop, violated);
        a->diff = 3 * violated;
      } else {
        ASSERT_EQ(c->getBit(j, a->header.prop), violated) << when << " pos " << j << " value " << a->dom;
        ASSERT_EQ(a->diff, 3 * violated) << when << " pos " << j << " value " << a->dom;
      }
    }
  };
  for (int j = 0; j < arity; j++) visit(j, true, "init");
  for (int flip = 0; flip < 12; flip++) {
    int pos = rng() % arity;
    sc[pos]->selectValue(rng() % sc[pos]->sizeDom);
    c->switched(pos);
    // The flipped position's own table is its caller's business.
    for (int j = 0; j < arity; j++)
      if (j != pos) visit(j, false, "flip " + std::to_string(flip));
    visit(pos, true, "refresh");
  }
}

}  // namespace netfix
