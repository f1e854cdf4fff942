#pragma once

#include <string>
#include <vector>

#include "network/Variable.h"
#include "network/constraints/Constraint.h"
#include "propagation/LocalConsistancyAC.h"
#include "search/InfoSystem.h"

// Base of every mode's solver object: the network lists, the time probe and
// the propagation engine, plus the two operations the driver calls, search
// and showFinal.  The destructor releases only the base's own containers,
// never the engine, the probe or the network.
class Solver {
 public:
  Solver();

  // Takes c out of the engine; unless onlyRemoveDataStructure, also out of
  // vecCont and out of the constraint lists of its scope variables.
  virtual void removeConstraint(Constraint* c, bool onlyRemoveDataStructure);
  // Appends c to the engine, to vecCont and to its scope variables' lists.
  virtual void addConstraint(Constraint* c);
  // Takes c out of the engine's list.
  virtual void removeConstraintDataStructure(Constraint* c);
  // Removes every constraint of vecCont whose active flag is false (from
  // vecCont, the engine and its scope variables); returns their number.
  virtual int removeConstraintNotActive();
  // Runs the mode: 1 satisfiable, 2 unsatisfiable, 3 unknown, or a
  // mode-specific value.
  virtual int search(bool verb) = 0;
  // Writes the final report for res and, for a known status, ends the
  // process.
  virtual void showFinal(int res) = 0;

  double tpsElapsed() { return infoSys->tpsElapsed(); }
  LocalConsistancyAC* getLocalConsistancyAC() { return cspAC; }
  int getNbVar() const { return (int)vecVar.size(); }
  int getNbCont() const { return (int)vecCont.size(); }
  std::vector<Constraint*>& getConstraint() { return vecCont; }
  std::vector<Variable*>& getVariables() { return vecVar; }

  // i-th term (from 1) of the Luby sequence 1 1 2 1 1 2 4 1 1 2 ...; ends
  // the process with status 1 for i <= 0.
  int super(int i);

  // dom/wdeg choice over vars (null when every variable is fixed).
  static Variable* pickDomWdeg(const std::vector<Variable*>& vars);

  std::string version;
  std::vector<Constraint*> vecCont;
  std::vector<Variable*> vecVar;
  int maxArity, maxDom;
  InfoSystem* infoSys;
  LocalConsistancyAC* cspAC;
};
