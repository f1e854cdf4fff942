#pragma once
// Graph export of a network: the constraint hypergraph as text and the
// primal graph in the DIMACS edge format, both on standard output.

#include <vector>

class Constraint;
class Variable;

class Vizualizer {
 public:
  // First line "nbConstraints nbVariables", then one line per constraint:
  // its arity and the ids of its scope variables, each followed by a blank.
  static void vizualHyperGraph(std::vector<Constraint*>& vecCont,
                               std::vector<Variable*>& vecVar);
  // "p edge nbVariables nbEdges" and one "e a b" line per pair of scope
  // variables (ids + 1, smaller id first), repeated pairs kept.
  static void vizualPrimalGraphDimacs(std::vector<Constraint*>& vecCont,
                                      std::vector<Variable*>& vecVar);
};
