#pragma once

#include <vector>

class Variable;

// Decision-variable choice by betweenness centrality in the constraint graph
// of a component, optionally weighted by the dom/wdeg ratio.
class CentralityWrtSetOfVars {
 public:
  struct EdgeProperties {
    int weight;
  };

  // The variable of vecVar lying on the most shortest paths of its
  // component's graph (non-universal constraints only); with mode, the
  // centrality is multiplied by the constraint weight per remaining value.
  // First variable wins ties.  vecVar holds at least two variables.
  Variable* selectVariableCentrality(std::vector<Variable*>& vecVar, bool mode);
};
