#pragma once

// Small constraint networks built in memory for the propagation and search
// tests: a predicate constraint of any arity with a brute-force revision,
// random binary/ternary networks, and brute-force references (arc
// consistency closure, satisfiability).

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "network/Domain.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"

namespace testnet {

using Pred = std::function<bool(const int*)>;

// Constraint given by a predicate over the tuple of scope values.  revise
// removes every live value without a support among the live values of the
// other positions, one check per tuple tried.
class PredConstraint : public Constraint {
 public:
  PredConstraint(const std::string& nm, std::vector<Variable*> sc, Pred p, int id)
      : Constraint(nm, sc.data(), nullptr, (int)sc.size(), id), pred(std::move(p)) {}

  bool tupleExist(int* t) override { return pred(t); }
  void switched(int) override {}
  Variable* giveAleaVariable() override { return scope[0]; }
  int giveAleatNumber() override { return 0; }

  bool revise(Variable* v, int pos) override {
    int before = v->sizeDom;
    for (int i = 0; i < v->sizeDom;) {
      tupleVal[pos] = v->infoVal[i]->dom;
      if (supported(0, pos))
        i++;
      else
        v->removeInfoVal(i);
    }
    return v->sizeDom < before;
  }

  bool softRevise(Variable* v, int pos) override {
    for (int i = 0; i < v->sizeDom; i++) {
      tupleVal[pos] = v->infoVal[i]->dom;
      if (supported(0, pos)) return false;
    }
    return true;
  }

  Pred pred;

 private:
  bool supported(int k, int pos) {
    if (k == arity) {
      Constraint::nbChecks++;
      return pred(tupleVal);
    }
    if (k == pos) return supported(k + 1, pos);
    Variable* w = scope[k];
    for (int i = 0; i < w->sizeDom; i++) {
      tupleVal[k] = w->infoVal[i]->dom;
      if (supported(k + 1, pos)) return true;
    }
    return false;
  }
};

struct Net {
  std::vector<Variable*> vars;
  std::vector<Constraint*> cons;
  int maxArity = 0;
  int maxDom = 0;

  Variable* addVar(const std::vector<int>& values) {
    Domain* d = new Domain("D" + std::to_string(vars.size()));
    for (int v : values) d->add(v);
    Variable* x = new Variable("X" + std::to_string(vars.size()), d, (int)vars.size());
    vars.push_back(x);
    if ((int)values.size() > maxDom) maxDom = (int)values.size();
    return x;
  }
  Variable* addVarRange(int lo, int hi) {
    std::vector<int> v;
    for (int i = lo; i <= hi; i++) v.push_back(i);
    return addVar(v);
  }
  PredConstraint* add(std::vector<Variable*> sc, Pred p) {
    PredConstraint* c =
        new PredConstraint("C" + std::to_string(cons.size()), sc, std::move(p), (int)cons.size());
    cons.push_back(c);
    if ((int)sc.size() > maxArity) maxArity = (int)sc.size();
    return c;
  }
};

// Live values of x as a set.
inline std::set<int> liveSet(Variable* x) {
  std::set<int> s;
  for (int i = 0; i < x->sizeDom; i++) s.insert(x->infoVal[i]->dom);
  return s;
}

inline std::vector<std::set<int>> snapshot(const std::vector<Variable*>& vars) {
  std::vector<std::set<int>> s;
  for (Variable* x : vars) s.push_back(liveSet(x));
  return s;
}

inline int posOf(const std::vector<Variable*>& vars, Variable* x) {
  for (size_t i = 0; i < vars.size(); i++)
    if (vars[i] == x) return (int)i;
  return -1;
}

// Does constraint c have a tuple in the domains `dom` (indexed like vars)
// with value a at position pos?
inline bool hasSupport(Constraint* c, const std::vector<Variable*>& vars,
                       const std::vector<std::set<int>>& dom, int pos, int a) {
  int ar = c->arity;
  std::vector<int> t(ar);
  std::vector<std::vector<int>> choices(ar);
  for (int k = 0; k < ar; k++) {
    if (k == pos)
      choices[k] = {a};
    else {
      const std::set<int>& s = dom[posOf(vars, c->scope[k])];
      choices[k].assign(s.begin(), s.end());
    }
    if (choices[k].empty()) return false;
  }
  std::vector<size_t> idx(ar, 0);
  for (;;) {
    for (int k = 0; k < ar; k++) t[k] = choices[k][idx[k]];
    if (c->tupleExist(t.data())) return true;
    int k = ar - 1;
    while (k >= 0 && ++idx[k] == choices[k].size()) idx[k--] = 0;
    if (k < 0) return false;
  }
}

// Arc consistency closure of the current domains; empty vector entry means
// a wipe-out (the closure then has some empty set).
inline std::vector<std::set<int>> bruteAC(const std::vector<Variable*>& vars,
                                          const std::vector<Constraint*>& cons) {
  std::vector<std::set<int>> dom = snapshot(vars);
  bool changed = true;
  while (changed) {
    changed = false;
    for (Constraint* c : cons)
      for (int pos = 0; pos < c->arity; pos++) {
        std::set<int>& d = dom[posOf(vars, c->scope[pos])];
        for (auto it = d.begin(); it != d.end();) {
          if (hasSupport(c, vars, dom, pos, *it))
            ++it;
          else {
            it = d.erase(it);
            changed = true;
          }
        }
        if (d.empty()) return dom;
      }
  }
  return dom;
}

inline bool satisfies(const std::vector<Constraint*>& cons, const std::vector<Variable*>& vars,
                      const std::vector<int>& assignment) {
  for (Constraint* c : cons) {
    std::vector<int> t(c->arity);
    for (int k = 0; k < c->arity; k++) t[k] = assignment[posOf(vars, c->scope[k])];
    if (!c->tupleExist(t.data())) return false;
  }
  return true;
}

// Whether some assignment of the initial domains satisfies every constraint.
inline bool bruteSat(const std::vector<Variable*>& vars, const std::vector<Constraint*>& cons) {
  size_t n = vars.size();
  std::vector<int> idx(n, 0), a(n);
  if (n == 0) return true;
  for (;;) {
    for (size_t i = 0; i < n; i++) a[i] = vars[i]->domain->v[idx[i]];
    if (satisfies(cons, vars, a)) return true;
    size_t k = n;
    while (k > 0) {
      k--;
      if (++idx[k] < vars[k]->initSize) break;
      idx[k] = 0;
      if (k == 0) return false;
    }
  }
}

// Random network: n variables over `d` values starting at `lo`, each pair
// constrained with probability `density` by a random relation allowing each
// pair with probability 1 - tightness; `ternary` random ternary constraints.
inline Net randomNet(unsigned seed, int n, int d, int lo, double density, double tightness,
                     int ternary = 0) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0, 1);
  Net net;
  for (int i = 0; i < n; i++) net.addVarRange(lo, lo + d - 1);
  for (int i = 0; i < n; i++)
    for (int j = i + 1; j < n; j++) {
      if (u(rng) >= density) continue;
      auto allowed = std::make_shared<std::set<std::pair<int, int>>>();
      for (int a = lo; a < lo + d; a++)
        for (int b = lo; b < lo + d; b++)
          if (u(rng) >= tightness) allowed->insert({a, b});
      net.add({net.vars[i], net.vars[j]},
              [allowed](const int* t) { return allowed->count({t[0], t[1]}) > 0; });
    }
  for (int k = 0; k < ternary && n >= 3; k++) {
    int i = rng() % n, j = rng() % n, l = rng() % n;
    if (i == j || j == l || i == l) continue;
    auto allowed = std::make_shared<std::set<std::vector<int>>>();
    for (int a = lo; a < lo + d; a++)
      for (int b = lo; b < lo + d; b++)
        for (int c = lo; c < lo + d; c++)
          if (u(rng) >= tightness) allowed->insert({a, b, c});
    net.add({net.vars[i], net.vars[j], net.vars[l]},
            [allowed](const int* t) { return allowed->count({t[0], t[1], t[2]}) > 0; });
  }
  return net;
}

// n-queens: one variable per row, value = column.
inline Net queens(int n) {
  Net net;
  for (int i = 0; i < n; i++) net.addVarRange(1, n);
  for (int i = 0; i < n; i++)
    for (int j = i + 1; j < n; j++) {
      int dist = j - i;
      net.add({net.vars[i], net.vars[j]}, [dist](const int* t) {
        return t[0] != t[1] && t[0] - t[1] != dist && t[1] - t[0] != dist;
      });
    }
  return net;
}

// p pigeons in h holes, pairwise different.
inline Net pigeons(int p, int h) {
  Net net;
  for (int i = 0; i < p; i++) net.addVarRange(0, h - 1);
  for (int i = 0; i < p; i++)
    for (int j = i + 1; j < p; j++)
      net.add({net.vars[i], net.vars[j]}, [](const int* t) { return t[0] != t[1]; });
  return net;
}

// Result of running a function in a child process with its standard output
// and error captured.
struct Captured {
  int status = -1;  // exit status, or -1 when the child did not exit normally
  std::string out, err;
};

inline std::string readAll(const std::string& path) {
  std::ifstream f(path);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

inline Captured runInChild(const std::function<void()>& body) {
  char outPath[] = "/tmp/vantor_test_outXXXXXX";
  char errPath[] = "/tmp/vantor_test_errXXXXXX";
  int fo = mkstemp(outPath), fe = mkstemp(errPath);
  fflush(stdout);
  fflush(stderr);
  Captured r;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fo, 1);
    dup2(fe, 2);
    body();
    fflush(stdout);
    fflush(stderr);
    _exit(0);
  }
  int st = 0;
  waitpid(pid, &st, 0);
  close(fo);
  close(fe);
  if (WIFEXITED(st)) r.status = WEXITSTATUS(st);
  r.out = readAll(outPath);
  r.err = readAll(errPath);
  unlink(outPath);
  unlink(errPath);
  return r;
}

}  // namespace testnet
