#pragma once

#include <vector>

#include "network/InfoValueVar.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"

// Incremental state of a local search over a complete interpretation (every
// variable has a current value, Variable::infoCurrent): the falsified
// constraints, the weighted cost, and for every candidate value of every
// variable the weighted number of constraints that value would falsify
// (InfoValueVar::diff, kept up to date through Constraint::switched and the
// constraints' bit tables).
class LocalSearchTools {
 public:
  Constraint** falseCont;   // falsified constraints, unordered
  int numFalse;
  int maxSat;               // lowest cost since construction
  int maxSatTmp;            // lowest cost since the last initDiff
  int currentMaxSat;        // cost of the current interpretation
  int* tuple;               // scratch tuple
  std::vector<Constraint*> vecCont;
  std::vector<Variable*> vecVar;
  int nbFlipsPerform;
  int nbBoundaries;
  int nbLastVarBoundarie;
  int nbVarBoundaries;

  LocalSearchTools(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA);

  // Random current value for every variable, one rand() per variable.
  void initCompleteInterpretation();
  // Every variable takes the value at the head of its domain.
  void initCurrent();
  // Recomputes the falsified set, the cost, every candidate's diff and the
  // bit tables from the current interpretation.
  void initDiff();
  // changed stamp 0 for every candidate value.
  void initChanged();

  // p becomes the current value of v; the falsified set and the cost follow.
  void flips(Variable* v, InfoValueVar* p, int numflip);
  // As flips, for an interpretation whose current values may lie outside
  // the live domains: also re-aligns the bit of every current value of the
  // constraints whose status changed.
  void flipUpdateDiff(Variable* v, InfoValueVar* infoTmp);
  // Recomputes the diff and bits of v's candidates marked with a negative
  // diff (values re-admitted by a backtrack).
  void initUpdateDiff(Variable* v);
  // Moves every variable whose current value left its domain to its
  // candidate of smallest diff; after a backtrack, first repairs the marked
  // counters.  Returns the number of variables moved.
  int reinitCompleteInterpretation(bool backtrack);

  // Counts the variables of the first falsified constraint that take part
  // in every falsified constraint; true when a new such variable was found.
  bool increaseVariableBoundary();

  void addConstraint(Constraint* c);
  void removeConstraint(Constraint* c);

  void initScoreRL();
  void updateScoreRL();
  void update_statistics_end_flip() {
    if (currentMaxSat < maxSatTmp) {
      maxSatTmp = currentMaxSat;
      if (currentMaxSat < maxSat) maxSat = currentMaxSat;
    }
  }

  Constraint* getFalseRand() const { return falseCont[rand() % numFalse]; }
  int getNumFalse() const { return numFalse; }
  Constraint* getFalseInd(int i) const { return falseCont[i]; }
  int getMaxSat() const { return maxSat; }
  int getMaxSatTmp() const { return maxSatTmp; }
  void setMaxSat(int m) { maxSat = m; }
  void setMaxSatTmp(int m) { maxSatTmp = m; }
  int getCurrentMaxSat() const { return currentMaxSat; }
  int getNbFlips() const { return nbFlipsPerform; }
  int getNbBoundaries() const { return nbBoundaries; }
  int getNbVarBoundaries() const { return nbVarBoundaries; }

 private:
  int capFalse;                           // slots of falseCont
  int capTuple;                           // slots of tuple
  std::vector<InfoValueVar*> scratchVals; // initUpdateDiff
  std::vector<Variable*> scratchVars;     // reinitCompleteInterpretation

  void prepareConstraint(Constraint* c);
  void ensureCapacity();
  inline void makeFalse(Constraint* c) {
    currentMaxSat += c->weight;
    c->wherefalse = numFalse;
    falseCont[numFalse++] = c;
  }
  inline void makeTrue(Constraint* c) {
    currentMaxSat -= c->weight;
    Constraint* last = falseCont[--numFalse];
    falseCont[c->wherefalse] = last;
    last->wherefalse = c->wherefalse;
  }
  LocalSearchTools(const LocalSearchTools&) = delete;
  LocalSearchTools& operator=(const LocalSearchTools&) = delete;
};
