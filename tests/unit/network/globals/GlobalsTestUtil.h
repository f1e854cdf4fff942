#pragma once

// Small in-memory networks for the global-constraint tests: variables over
// explicit value lists, brute-force supports, domain snapshots.

#include <algorithm>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "network/Domain.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"

namespace gt {

inline Variable* makeVar(const std::string& name, const std::vector<int>& values) {
  static int nextId = 0;
  Domain* d = new Domain("D_" + name);
  for (int v : values) d->add(v);
  return new Variable(name, d, nextId++);
}

inline std::vector<int> range(int lo, int hi) {
  std::vector<int> r;
  for (int v = lo; v <= hi; v++) r.push_back(v);
  return r;
}

inline std::set<int> live(const Variable* x) {
  std::set<int> s;
  for (int i = 0; i < x->sizeDom; i++) s.insert(x->infoVal[i]->dom);
  return s;
}

// Removes from x every live value not in keep.
inline void keepOnly(Variable* x, const std::set<int>& keep) {
  for (int i = 0; i < x->sizeDom;) {
    if (keep.count(x->infoVal[i]->dom))
      i++;
    else
      x->removeInfoVal(i);
  }
}

inline void fix(Variable* x, int value) { keepOnly(x, {value}); }

// Opens a level on every variable; restore() brings the live sets back.
struct Snapshot {
  std::vector<Variable*> vars;
  explicit Snapshot(std::vector<Variable*> v) : vars(std::move(v)) {
    for (Variable* x : vars) x->pushSize();
  }
  void restore() {
    for (Variable* x : vars) {
      x->backTrack();
      x->pushSize();
    }
  }
  ~Snapshot() {
    for (Variable* x : vars) x->backTrack();
  }
};

using Pred = std::function<bool(const std::vector<int>&)>;

// Calls f on every combination of live values of the scope, in scope order.
inline void forEachTuple(Constraint* c, const std::function<void(const std::vector<int>&)>& f) {
  const int n = c->arity;
  std::vector<int> idx(n, 0), t(n);
  for (int i = 0; i < n; i++)
    if (c->scope[i]->sizeDom == 0) return;
  while (true) {
    for (int i = 0; i < n; i++) t[i] = c->scope[i]->infoVal[idx[i]]->dom;
    f(t);
    int i = n - 1;
    while (i >= 0 && ++idx[i] == c->scope[i]->sizeDom) idx[i--] = 0;
    if (i < 0) return;
  }
}

// Live values of position pos that belong to some accepted tuple.
inline std::set<int> supported(Constraint* c, int pos, const Pred& accept) {
  std::set<int> s;
  forEachTuple(c, [&](const std::vector<int>& t) {
    if (accept(t)) s.insert(t[pos]);
  });
  return s;
}

inline std::set<int> minus(const std::set<int>& a, const std::set<int>& b) {
  std::set<int> r;
  for (int v : a)
    if (!b.count(v)) r.insert(v);
  return r;
}

inline std::set<int> intersect(const std::set<int>& a, const std::set<int>& b) {
  std::set<int> r;
  for (int v : a)
    if (b.count(v)) r.insert(v);
  return r;
}

// A random non-empty subset of values.
inline std::set<int> randomSubset(std::mt19937& rng, const std::vector<int>& values) {
  std::set<int> s;
  for (int v : values)
    if (rng() % 3 != 0) s.insert(v);
  if (s.empty()) s.insert(values[rng() % values.size()]);
  return s;
}

}  // namespace gt
