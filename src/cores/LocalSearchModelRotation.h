#pragma once

#include <string>
#include <vector>

#include "cores/ModelRotation.h"
#include "cores/SelectorsDataBase.h"
#include "localsearch/Metaheuristic.h"

// Model rotation by a short local search from the last solution: every
// interpretation met that falsifies exactly one constraint proves it to be
// in the core; small falsified sets met on non-improving moves are recorded
// as selector sets for the extractor's propagation.
class LocalSearchModelRotation : public ModelRotation {
 public:
  // An unknown method name ends the process with status 1.
  LocalSearchModelRotation(std::vector<Constraint*>& c, std::vector<Variable*>& v, int maxA,
                           int maxDom, std::string method, SelectorsDataBase* dbSelector,
                           int maxSizeSelector);
  ~LocalSearchModelRotation() override { delete metaheuristic; }

  int performModelRotation() override { return performRL(initLS); }
  // Local search of maxFlips flips (grown by bumpLS per new core constraint,
  // at most 200000 beyond the current flip); returns the constraints newly
  // marked.
  int performRL(int maxFlips);

  int maxDom;
  int numflip;
  int initLS;
  int bumpLS;
  int maxSizeSelector;
  Metaheuristic* metaheuristic;
  SelectorsDataBase* dbSelector;

 private:
  void recupInfoSelector();
  std::vector<int> scratch;
};
