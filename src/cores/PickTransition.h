#pragma once

#include <vector>

#include "network/constraints/Constraint.h"

// Constraint selection heuristics of the core extractor: which candidate to
// test next (largest ranking value) and in which order to split a list
// (ascending ranking value).  Scores live on the constraints: `score` is the
// live conflict weight, `staticScore` a frozen copy.
class PickTransition {
 public:
  virtual ~PickTransition() {}
  virtual double computeScore(Constraint* c) = 0;
  // Ascending ranking value (unstable).
  virtual void sortConstraint(std::vector<Constraint*>& v) = 0;
  virtual void triggerWhenTransitionFound(std::vector<Constraint*>& v) { (void)v; }
  virtual void initWeight(std::vector<Constraint*>& v) = 0;

  // Unmarked (not soft) constraint of v with the largest computeScore, the
  // first one met among equals; null when there is none.
  Constraint* pickOneConstraint(std::vector<Constraint*>& v);
  // As pickOneConstraint, and takes the choice out of v (the last element
  // moves into its place).
  Constraint* pickAndRmOneConstraint(std::vector<Constraint*>& v);

 private:
  int bestIndex(std::vector<Constraint*>& v);
};

// Frozen weights taken once by initWeight.
class PickStatic : public PickTransition {
 public:
  double computeScore(Constraint* c) override { return c->staticScore; }
  void sortConstraint(std::vector<Constraint*>& v) override;
  void initWeight(std::vector<Constraint*>& v) override;
};

// Frozen weights refreshed whenever a transition constraint is found.
class PickDynamic : public PickStatic {
 public:
  void triggerWhenTransitionFound(std::vector<Constraint*>& v) override;
};

// Frozen weights divided by the product of the scope's domain sizes.
class PickStaticDom : public PickStatic {
 public:
  void initWeight(std::vector<Constraint*>& v) override;
};

// Live weights, read at every comparison.
class PickDynamicPlus : public PickTransition {
 public:
  double computeScore(Constraint* c) override { return c->score; }
  void sortConstraint(std::vector<Constraint*>& v) override;
  void initWeight(std::vector<Constraint*>& v) override { (void)v; }
};

// Live weights divided by the product of the scope's domain sizes.
class PickDynamicPlusDom : public PickDynamicPlus {
 public:
  double computeScore(Constraint* c) override;
  void sortConstraint(std::vector<Constraint*>& v) override;
};

// Product of the current domain sizes of c's scope, empty domains skipped.
double prodDom(const Constraint* c);

bool compareStaticWeight(const Constraint* c1, const Constraint* c2);
bool compareWeight(const Constraint* c1, const Constraint* c2);
bool compareWeightDom(const Constraint* c1, const Constraint* c2);
