#include "cores/PickTransition.h"

#include <algorithm>

#include "network/Variable.h"

double prodDom(const Constraint* c) {
  double p = 1.0;
  for (int i = 0; i < c->arity; i++) {
    int sz = c->scope[i]->sizeDom;
    if (sz != 0) p *= sz;
  }
  return p;
}

bool compareStaticWeight(const Constraint* c1, const Constraint* c2) {
  return c1->staticScore < c2->staticScore;
}

bool compareWeight(const Constraint* c1, const Constraint* c2) { return c1->score < c2->score; }

bool compareWeightDom(const Constraint* c1, const Constraint* c2) {
  return c1->score / prodDom(c1) < c2->score / prodDom(c2);
}

int PickTransition::bestIndex(std::vector<Constraint*>& v) {
  int best = -1;
  double bestScore = -1.0;
  for (size_t i = 0; i < v.size(); i++) {
    Constraint* c = v[i];
    if (c->soft) continue;
    double s = computeScore(c);
    if (s > bestScore) {
      bestScore = s;
      best = (int)i;
    }
  }
  return best;
}

Constraint* PickTransition::pickOneConstraint(std::vector<Constraint*>& v) {
  int i = bestIndex(v);
  return i < 0 ? nullptr : v[i];
}

Constraint* PickTransition::pickAndRmOneConstraint(std::vector<Constraint*>& v) {
  int i = bestIndex(v);
  if (i < 0) return nullptr;
  Constraint* c = v[i];
  v[i] = v.back();
  v.pop_back();
  return c;
}

void PickStatic::sortConstraint(std::vector<Constraint*>& v) {
  std::sort(v.begin(), v.end(), compareStaticWeight);
}

void PickStatic::initWeight(std::vector<Constraint*>& v) {
  for (Constraint* c : v) c->staticScore = c->score;
}

void PickDynamic::triggerWhenTransitionFound(std::vector<Constraint*>& v) {
  for (Constraint* c : v) c->staticScore = c->score;
}

void PickStaticDom::initWeight(std::vector<Constraint*>& v) {
  for (Constraint* c : v) c->staticScore = c->score / prodDom(c);
}

void PickDynamicPlus::sortConstraint(std::vector<Constraint*>& v) {
  std::sort(v.begin(), v.end(), compareWeight);
}

double PickDynamicPlusDom::computeScore(Constraint* c) { return c->score / prodDom(c); }

void PickDynamicPlusDom::sortConstraint(std::vector<Constraint*>& v) {
  std::sort(v.begin(), v.end(), compareWeightDom);
}
