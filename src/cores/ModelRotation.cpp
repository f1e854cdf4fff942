#include "cores/ModelRotation.h"

#include <iostream>

ModelRotation::ModelRotation(std::vector<Constraint*>& c, std::vector<Variable*>& v, int maxA_)
    : lsTools(nullptr), nbDetectedByRotation(0), vecCont(c), vecVar(v), maxA(maxA_) {
  lsTools = new LocalSearchTools(c, v, maxA);
  lsTools->initScoreRL();
  std::cout << "c Initialization of the local search used in the model rotation process"
            << std::endl;
}

void ModelRotation::setUpModel() {
  for (Variable* x : vecVar) x->reinitVariable();
  lsTools->initCurrent();
  lsTools->initDiff();
  lsTools->initChanged();
}

int RecursiveModelRotation::performModelRotation() {
  nbDetectedByRotation = 0;
  setUpModel();
  if (lsTools->numFalse != 1) return 0;
  Constraint* c = lsTools->falseCont[0];
  // Normally the extractor has just marked c: its re-detection is not new.
  bool wasMarked = c->soft;
  c->unmakeSoft();
  recursiveModelRotation_acc();
  if (wasMarked) nbDetectedByRotation--;
  return nbDetectedByRotation;
}

void RecursiveModelRotation::recursiveModelRotation_acc() {
  if (lsTools->numFalse != 1) return;
  Constraint* c = lsTools->falseCont[0];
  if (c->soft) return;
  c->makeSoft();
  nbDetectedByRotation++;
  for (int k = 0; k < c->arity; k++) {
    Variable* x = c->scope[k];
    InfoValueVar* keep = x->infoCurrent;
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* a = x->infoVal[i];
      if (a == keep) continue;
      lsTools->flips(x, a, 0);
      recursiveModelRotation_acc();
    }
    if (x->infoCurrent != keep) lsTools->flips(x, keep, 0);
  }
}
