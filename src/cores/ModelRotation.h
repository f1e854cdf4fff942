#pragma once

#include <vector>

#include "localsearch/LocalSearchTools.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"

// Model rotation: after the core extractor has found a core constraint with a
// solution of the network without it, local changes of that solution that
// falsify exactly one other constraint prove that constraint to be in every
// core of the current set.  The base class finds nothing; it only keeps a
// local-search state in step with the extractor's problem.
class ModelRotation {
 public:
  ModelRotation(std::vector<Constraint*>& c, std::vector<Variable*>& v, int maxA);
  virtual ~ModelRotation() {}

  // Number of new core constraints found (and marked soft).
  virtual int performModelRotation() { return 0; }

  void addConstraint(Constraint* c) { lsTools->addConstraint(c); }
  void removeConstraintDataStructure(Constraint* c) { lsTools->removeConstraint(c); }
  int getNbDetactedByRotation() const { return nbDetectedByRotation; }
  LocalSearchTools* getLsTools() { return lsTools; }

  LocalSearchTools* lsTools;
  int nbDetectedByRotation;
  std::vector<Constraint*>& vecCont;
  std::vector<Variable*>& vecVar;
  int maxA;

 protected:
  // Every domain restored; each variable's current value is the value at
  // the head of its domain (the last solution); falsified set recomputed.
  void setUpModel();
};

// Depth-first rotation over single-variable changes of the scope of the
// falsified constraint.
class RecursiveModelRotation : public ModelRotation {
 public:
  RecursiveModelRotation(std::vector<Constraint*>& c, std::vector<Variable*>& v, int maxA)
      : ModelRotation(c, v, maxA) {}
  int performModelRotation() override;

 private:
  void recursiveModelRotation_acc();
};
