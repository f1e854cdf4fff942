#include "search/Solver.h"

#include <cstdlib>
#include <iostream>

Solver::Solver() : maxArity(0), maxDom(0), infoSys(nullptr), cspAC(nullptr) {}

void Solver::removeConstraint(Constraint* c, bool onlyRemoveDataStructure) {
  removeConstraintDataStructure(c);
  if (onlyRemoveDataStructure) return;
  for (size_t i = 0; i < vecCont.size(); i++)
    if (vecCont[i] == c) {
      vecCont[i] = vecCont.back();
      vecCont.pop_back();
      break;
    }
  for (int i = c->arity - 1; i >= 0; i--) c->scope[i]->delContraint(c);
}

void Solver::addConstraint(Constraint* c) {
  if (cspAC) cspAC->addConstraint(c);
  vecCont.push_back(c);
  for (int i = 0; i < c->arity; i++) c->scope[i]->addConstraint(c, i);
}

void Solver::removeConstraintDataStructure(Constraint* c) {
  if (cspAC) cspAC->removeConstraint(c);
}

int Solver::removeConstraintNotActive() {
  int nb = 0;
  for (size_t i = 0; i < vecCont.size();) {
    Constraint* c = vecCont[i];
    if (c->active) {
      i++;
      continue;
    }
    vecCont[i] = vecCont.back();
    vecCont.pop_back();
    removeConstraint(c, true);
    for (int j = c->arity - 1; j >= 0; j--) c->scope[j]->delContraint(c);
    nb++;
  }
  return nb;
}

int Solver::super(int i) {
  if (i <= 0) {
    std::cerr << "c bad argument super (" << i << ")" << std::endl;
    exit(1);
  }
  // Iterative form of: p = smallest power of two >= i + 1; the term is p / 2
  // when p == i + 1, else the term of index i - p / 2 + 1.
  for (;;) {
    long long p = 1;
    while (p < (long long)i + 1) p <<= 1;
    if (p == (long long)i + 1) return (int)(p / 2);
    i = (int)(i - p / 2 + 1);
  }
}

// dom/wdeg: the unfixed variable of largest (sum of the scores of its
// constraints with at least two unfixed variables) / domain size; the first
// such variable in list order wins ties.
Variable* Solver::pickDomWdeg(const std::vector<Variable*>& vars) {
  double best = -1;
  Variable* chosen = nullptr;
  for (Variable* x : vars) {
    int sz = x->sizeDom;
    if (sz <= 1 || !x->presentInProblem) continue;
    double sum = 0;
    Constraint** lc = x->vecCont;
    for (int i = 0, n = x->nbLink; i < n; i++) {
      Constraint* c = lc[i];
      Variable** sc = c->scope;
      int free = 0;
      for (int j = 0, a = c->arity; j < a; j++)
        if (sc[j]->sizeDom > 1 && ++free == 2) break;
      if (free == 2) sum += c->score;
    }
    double q = sum / sz;
    if (q > best) {
      best = q;
      chosen = x;
    }
  }
  return chosen;
}
