#pragma once

#include <vector>

#include "network/Variable.h"
#include "network/constraints/Constraint.h"
#include "propagation/ListPropagate.h"

// Generalised arc consistency over a list of constraints, with decisions
// recorded in the variables' size trails, dom/wdeg weight bumps on wipe-outs
// and the conflict-table preprocessing.
//
// Invariant: at decision level d every variable of vecVar has exactly d
// entries in saveSize; entry k is its size just before level k + 1 opened.
class LocalConsistancyAC {
 public:
  LocalConsistancyAC(const std::vector<Constraint*>& vecC, const std::vector<Variable*>& vecV,
                     int maxA, int maxD);
  ~LocalConsistancyAC();

  // Replaces the propagation list: 1 stack, 2 queue, 3 double queue.
  void setLPropagate(int method);

  // Level-0 arc consistency: 1 when the network is inconsistent, else 2.
  int init(bool verb);
  // Builds the conflict tables of the constraints within 20 s of processor
  // time; true when every constraint built them.
  bool initPrepros(bool verb);

  // Empties the list; true on a wipe-out (the list may then hold arcs).
  bool propagate();
  // As propagate, for the local-search hybrids: sets diffModified when a
  // revised variable lost its current value, and does not mark constraints
  // active nor rescale weights.
  bool propagateDiff();

  // Opens a decision level: var = value at posV (sigTrue) or var != that
  // value; then queues the arcs around var.
  void pushNewVariable(bool sigTrue, int posV, Variable* var);
  // Queues every arc (c, w, j) for the constraints c of var and the scope
  // positions j other than var's own.
  inline void addNear(Variable* var) {
    if (queue)
      addNearT(queue, var);
    else
      addNearT(lPropagate, var);
  }

  void cancelUntil(int level);
  void cancelUntilDiff(int level);

  void reinitLocalConsistancy() { decisionLevel = nbChecks = nbDecision = 0; }
  void reinitLPropagate() { lPropagate->reinit(); }

  void addConstraint(Constraint* c);
  void removeConstraint(Constraint* c);

  // dom/wdeg bump of the constraint that caused a wipe-out, with rescaling
  // of all scores past 1e20.
  void increase(Constraint* c);

  std::vector<Constraint*>& getConstraints() { return vecCont; }
  std::vector<Variable*>& getVariables() { return vecVar; }
  ListPropagate* getLPropagate() { return lPropagate; }
  int getNbDecision() const { return nbDecision; }
  int getNbChecks() const { return nbChecks; }
  int getDecisionLevel() const { return decisionLevel; }
  bool getDiffModified() const { return diffModified; }
  void setDiffModified(bool b) { diffModified = b; }
  bool getPreprosOK() const { return preprosOK; }
  long long getNbValInit() const;
  long long getNbValDelete() const;

  // The list operations are written once over the list type: L is
  // ListPropagateQueue (no virtual calls) or the abstract ListPropagate.
  template <class L>
  static inline void addNearT(L* lp, Variable* var) {
    Constraint** lc = var->vecCont;
    int* pc = var->vecPosCont;
    for (int i = 0, n = var->nbLink; i < n; i++) {
      // Queue (c, scope[j], j) for j = arity-1 .. 0, j != p.
      Constraint* c = lc[i];
      int p = pc[i];
      Variable** sc = c->scope;
      for (int j = c->arity - 1; j >= 0; j--)
        if (j != p) lp->add(c, sc[j], j);
    }
  }
  template <class L>
  bool propagateT(L* lp);
  template <class L>
  bool propagateDiffT(L* lp);
  // Recreates the list when constraints were created after it.
  void ensureListCapacity();

  std::vector<Constraint*> vecCont;
  std::vector<Variable*> vecVar;
  ListPropagate* lPropagate;
  ListPropagateQueue* queue;  // lPropagate when it is a queue, else null
  int methodLPropagate;
  int* tuple;
  int maxArity, maxDom;
  bool preprosOK;
  int decisionLevel;
  int nbDecision;
  int nbChecks;
  bool diffModified;

 private:
  LocalConsistancyAC(const LocalConsistancyAC&) = delete;
  LocalConsistancyAC& operator=(const LocalConsistancyAC&) = delete;
};
