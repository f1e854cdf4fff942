#pragma once

// Networks for the core tests: predicate constraints that also keep the
// local-search bit tables up to date (so model rotation can flip over
// them), random networks and crafted ones with known cores, and brute-force
// checks of the core and coMSS properties.

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "network/TableauBit.h"
#include "unit/search/TestNetwork.h"

namespace corenet {

using testnet::Net;
using testnet::Pred;
using testnet::PredConstraint;

// Predicate constraint with the local-search switch: after scope[pos] took
// a new current value, the bits of the other positions' candidates follow.
class LsPred : public PredConstraint {
 public:
  using PredConstraint::PredConstraint;
  void switched(int pos) override {
    std::vector<int> t(arity);
    for (int i = 0; i < arity; i++) t[i] = scope[i]->infoCurrent->dom;
    for (int j = 0; j < arity; j++) {
      if (j == pos) continue;
      Variable* x = scope[j];
      for (int i = 0; i < x->sizeDom; i++) {
        InfoValueVar* a = x->infoVal[i];
        t[j] = a->dom;
        bool sat = pred(t.data());
        unsigned k = a->header.prop;
        int bit = tabBit[j].get(k);
        if (bit && sat) {
          tabBit[j].setFalse(k);
          a->diff -= weight;
        } else if (!bit && !sat) {
          tabBit[j].setTrue(k);
          a->diff += weight;
        }
      }
      t[j] = x->infoCurrent->dom;
    }
  }
};

inline Constraint* add(Net& net, std::vector<Variable*> sc, Pred p) {
  Constraint* c = new LsPred("C" + std::to_string(net.cons.size()), sc, std::move(p),
                             (int)net.cons.size());
  net.cons.push_back(c);
  if ((int)sc.size() > net.maxArity) net.maxArity = (int)sc.size();
  return c;
}

// Random binary network (as testnet::randomNet) over LsPred constraints.
inline Net randomNet(unsigned seed, int n, int d, double density, double tightness) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  Net net;
  for (int i = 0; i < n; i++) net.addVarRange(0, d - 1);
  for (int i = 0; i < n; i++)
    for (int j = i + 1; j < n; j++) {
      if (u(rng) >= density) continue;
      auto allowed = std::make_shared<std::set<std::pair<int, int>>>();
      for (int a = 0; a < d; a++)
        for (int b = 0; b < d; b++)
          if (u(rng) >= tightness) allowed->insert({a, b});
      add(net, {net.vars[i], net.vars[j]},
          [allowed](const int* t) { return allowed->count({t[0], t[1]}) > 0; });
    }
  return net;
}

inline Pred ne() {
  return [](const int* t) { return t[0] != t[1]; };
}
inline Pred eq() {
  return [](const int* t) { return t[0] == t[1]; };
}

// Several disjoint cores: the triangle A B C over two colours (C1 C3 C5),
// D = E and D != E (C2 C6), and satisfiable links around them.
inline Net disjointCores() {
  Net net;
  Variable* a = net.addVarRange(0, 1);
  Variable* b = net.addVarRange(0, 1);
  Variable* c = net.addVarRange(0, 1);
  Variable* d = net.addVarRange(0, 2);
  Variable* e = net.addVarRange(0, 2);
  Variable* f = net.addVarRange(0, 2);
  Variable* g = net.addVarRange(0, 2);
  add(net, {a, f}, ne());
  add(net, {a, b}, ne());
  add(net, {d, e}, eq());
  add(net, {b, c}, ne());
  add(net, {f, g}, ne());
  add(net, {a, c}, ne());
  add(net, {d, e}, ne());
  add(net, {e, g}, ne());
  add(net, {c, g}, ne());
  return net;
}

inline bool sat(const Net& net, const std::vector<Constraint*>& cons) {
  // Brute force over the declared domains, whatever the solver left in them.
  return testnet::bruteSat(net.vars, cons);
}

inline std::vector<Constraint*> without(const std::vector<Constraint*>& all,
                                        const std::vector<Constraint*>& drop) {
  std::vector<Constraint*> r;
  for (Constraint* c : all)
    if (std::find(drop.begin(), drop.end(), c) == drop.end()) r.push_back(c);
  return r;
}

// The constraints alone are unsatisfiable and every one of them is needed.
inline bool isMuc(const Net& net, const std::vector<Constraint*>& core) {
  if (sat(net, core)) return false;
  for (Constraint* c : core)
    if (!sat(net, without(core, {c}))) return false;
  return true;
}

// The network without the set is satisfiable and putting back any one of
// them makes it unsatisfiable.
inline bool isCoMss(const Net& net, const std::vector<Constraint*>& all,
                    const std::vector<Constraint*>& co) {
  std::vector<Constraint*> rest = without(all, co);
  if (!sat(net, rest)) return false;
  for (Constraint* c : co) {
    std::vector<Constraint*> back(rest);
    back.push_back(c);
    if (sat(net, back)) return false;
  }
  return true;
}

}  // namespace corenet
