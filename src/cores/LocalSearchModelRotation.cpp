#include "cores/LocalSearchModelRotation.h"

#include <iostream>

#include "cores/ExtractMUC.h"

using std::cout;
using std::endl;

LocalSearchModelRotation::LocalSearchModelRotation(std::vector<Constraint*>& c,
                                                   std::vector<Variable*>& v, int maxA, int maxDom_,
                                                   std::string method, SelectorsDataBase* db,
                                                   int maxSizeSel)
    : ModelRotation(c, v, maxA),
      maxDom(maxDom_),
      numflip(0),
      initLS(10000),
      bumpLS(10000),
      maxSizeSelector(maxSizeSel),
      metaheuristic(nullptr),
      dbSelector(db) {
  metaheuristic = Metaheuristic::createOrExit(method, lsTools, (maxA > 0 ? maxA : 1) * (maxDom > 0 ? maxDom : 1),
                                              "Unknown Metaheuristic");
  lsTools->initScoreRL();
  cout << "c initLs: " << initLS << endl;
  cout << "c bumpLs: " << bumpLS << endl;
  cout << "c The local search model rotation is used with the metaheuristic: " << method << endl;
}

void LocalSearchModelRotation::recupInfoSelector() {
  scratch.clear();
  for (int i = 0; i < lsTools->numFalse; i++) {
    Constraint* c = lsTools->falseCont[i];
    if (c->soft) return;
    scratch.push_back(c->idCont);
  }
  dbSelector->addSelectors(scratch);
}

int LocalSearchModelRotation::performRL(int maxFlips) {
  for (Constraint* c : vecCont)
    if (c->soft) c->setWeight(1);
  setUpModel();
  metaheuristic->setNbAleaTry(0);
  numflip = 0;
  int found = 0;
  LocalSearchTools* ls = lsTools;
  while (numflip < maxFlips) {
    if (ls->numFalse == 1) {
      Constraint* b = ls->falseCont[0];
      if (b->soft) {
        maxFlips -= b->weight;
        b->updateWeight(b->weight + 1);
      } else {
        b->makeSoft();
        b->updateWeight(1);
        found++;
        maxFlips += bumpLS;
        if (maxFlips - numflip >= 200001) maxFlips = numflip + 200000;
      }
      dbSelector->assignTrue(b->idCont);
    }
    // An unsatisfiable problem always falsifies something; stay safe if not.
    if (ls->numFalse == 0) break;
    coupleFlip m = metaheuristic->nextChoice();
    ls->flips(m.v, m.p, numflip);
    ls->update_statistics_end_flip();
    if (metaheuristic->bestDiff <= 0) {
      ls->updateScoreRL();
      if (maxSizeSelector != 0 && ls->numFalse >= 1 && ls->numFalse < maxSizeSelector)
        recupInfoSelector();
    }
    numflip++;
  }
  return found;
}

ModelRotation* makeLocalSearchModelRotation(std::vector<Constraint*>& c, std::vector<Variable*>& v,
                                            int maxA, int maxDom, const char* method,
                                            SelectorsDataBase* db, int maxSizeSelector) {
  return new LocalSearchModelRotation(c, v, maxA, maxDom, method, db, maxSizeSelector);
}
