#pragma once

// Random networks over the real constraint classes for the local-search
// tests, and a brute-force reference of the whole local-search state.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "localsearch/LocalSearchTools.h"
#include "network/Domain.h"
#include "network/TableauBit.h"
#include "network/Variable.h"
#include "network/constraints/AllDiff.h"
#include "network/constraints/Constraint.h"
#include "network/constraints/ConstraintExtBin.h"
#include "network/constraints/ConstraintExtN.h"
#include "network/relations/RelationExtBin.h"
#include "network/relations/RelationExtN.h"

namespace lsnet {

struct Net {
  std::vector<Variable*> vars;
  std::vector<Constraint*> cons;
  int maxArity = 0;
  int maxDom = 0;
};

inline Variable* makeVar(Net& n, const std::vector<int>& values) {
  static int nextId = 0;
  Domain* d = new Domain("D" + std::to_string(nextId));
  for (int v : values) d->add(v);
  Variable* x = new Variable("X" + std::to_string(n.vars.size()), d, nextId++);
  n.vars.push_back(x);
  n.maxDom = std::max(n.maxDom, (int)values.size());
  return x;
}

inline void addCons(Net& n, Constraint* c) {
  n.cons.push_back(c);
  n.maxArity = std::max(n.maxArity, c->arity);
}

// nbVars variables with domains of dom values offset by 10 (values and
// declared indices differ), random binary conflict tables, ternary support
// tables, one all-different and one unary constraint; random weights 1..3.
inline Net randomNet(std::mt19937& rng, int nbVars, int dom, int nbBin, int nbTer, double tight,
                     bool weights = true) {
  Net n;
  for (int i = 0; i < nbVars; i++) {
    std::vector<int> vals;
    for (int v = 0; v < dom; v++) vals.push_back(10 + 3 * v);
    makeVar(n, vals);
  }
  std::uniform_real_distribution<double> u(0, 1);
  std::uniform_int_distribution<int> pick(0, nbVars - 1);
  static int id = 0;
  for (int k = 0; k < nbBin; k++) {
    int a = pick(rng), b = pick(rng);
    if (a == b) b = (a + 1) % nbVars;
    Variable* sc[2] = {n.vars[a], n.vars[b]};
    RelationExtBin* r = new RelationExtBin("B" + std::to_string(id), 10, 10 + 3 * (dom - 1), 10,
                                           10 + 3 * (dom - 1), true);
    for (int x = 0; x < dom; x++)
      for (int y = 0; y < dom; y++)
        if (u(rng) < tight) {
          int t[2] = {10 + 3 * x, 10 + 3 * y};
          r->addTuple(t);
        }
    addCons(n, new ConstraintExtBin("cb" + std::to_string(id), sc, r, 2, id));
    id++;
  }
  for (int k = 0; k < nbTer; k++) {
    std::set<int> s;
    while ((int)s.size() < 3) s.insert(pick(rng));
    std::vector<int> idx(s.begin(), s.end());
    std::shuffle(idx.begin(), idx.end(), rng);
    Variable* sc[3] = {n.vars[idx[0]], n.vars[idx[1]], n.vars[idx[2]]};
    RelationExtN* r = new RelationExtN("T" + std::to_string(id), 3, false);
    for (int x = 0; x < dom; x++)
      for (int y = 0; y < dom; y++)
        for (int z = 0; z < dom; z++)
          if (u(rng) >= tight) {
            int t[3] = {10 + 3 * x, 10 + 3 * y, 10 + 3 * z};
            r->addTuple(t);
          }
    r->sortTabTuple();
    addCons(n, new ConstraintExtN("ct" + std::to_string(id), sc, r, 3, id));
    id++;
  }
  {
    Variable* sc[3] = {n.vars[0], n.vars[1 % nbVars], n.vars[2 % nbVars]};
    addCons(n, new AllDiff("ad" + std::to_string(id), sc, 3, id));
    id++;
  }
  {
    Variable* sc[1] = {n.vars[nbVars - 1]};
    RelationExtN* r = new RelationExtN("U" + std::to_string(id), 1, true);
    int t[1] = {10};
    r->addTuple(t);
    r->sortTabTuple();
    addCons(n, new ConstraintExtN("cu" + std::to_string(id), sc, r, 1, id));
    id++;
  }
  if (weights) {
    std::uniform_int_distribution<int> w(1, 3);
    for (Constraint* c : n.cons) c->weight = w(rng);
  }
  Constraint::buildStampTable();
  return n;
}

inline bool falsifiedWith(Constraint* c, Variable* x, InfoValueVar* a) {
  std::vector<int> t(c->arity);
  for (int k = 0; k < c->arity; k++) t[k] = c->scope[k] == x ? a->dom : c->scope[k]->infoCurrent->dom;
  return !c->tupleExist(t.data());
}

// The state of ls agrees with the current interpretation restricted to the
// live domains: falsified set (with wherefalse), cost, every live value's
// diff and bit.  Constraints outside ls->vecCont do not count.
inline void expectStateExact(LocalSearchTools* ls, const std::string& where) {
  std::set<Constraint*> inLs(ls->vecCont.begin(), ls->vecCont.end());
  std::set<Constraint*> expectFalse;
  int cost = 0;
  for (Constraint* c : ls->vecCont)
    if (falsifiedWith(c, nullptr, nullptr)) {
      expectFalse.insert(c);
      cost += c->weight;
    }
  std::set<Constraint*> got(ls->falseCont, ls->falseCont + ls->numFalse);
  ASSERT_EQ((int)got.size(), ls->numFalse) << where << ": duplicate in the falsified set";
  ASSERT_EQ(got, expectFalse) << where;
  ASSERT_EQ(ls->currentMaxSat, cost) << where;
  for (int i = 0; i < ls->numFalse; i++) ASSERT_EQ(ls->falseCont[i]->wherefalse, i) << where;
  for (Variable* x : ls->vecVar) {
    ASSERT_LT((int)x->infoCurrent->header.posInVar, x->sizeDom) << where << ": current value not live";
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* a = x->infoVal[i];
      int d = 0;
      for (int l = 0; l < x->nbLink; l++) {
        Constraint* c = x->vecCont[l];
        if (!inLs.count(c)) continue;
        bool f = falsifiedWith(c, x, a);
        if (f) d += c->weight;
        ASSERT_EQ(c->tabBit[x->vecPosCont[l]].get(a->header.prop), f ? 1 : 0)
            << where << ": bit of " << x->name << "=" << a->dom << " in " << c->name;
      }
      ASSERT_EQ(a->diff, d) << where << ": diff of " << x->name << "=" << a->dom;
    }
  }
}

}  // namespace lsnet
