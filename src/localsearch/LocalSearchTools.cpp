#include "localsearch/LocalSearchTools.h"

#include <cstdlib>

#include "network/TableauBit.h"

LocalSearchTools::LocalSearchTools(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA)
    : falseCont(nullptr),
      numFalse(0),
      maxSat((int)c.size()),
      maxSatTmp((int)c.size()),
      currentMaxSat(0),
      tuple(nullptr),
      vecCont(c),
      vecVar(v),
      nbFlipsPerform(0),
      nbBoundaries(0),
      nbLastVarBoundarie(0),
      nbVarBoundaries(0),
      capFalse(0),
      capTuple(0) {
  capTuple = maxA > 0 ? maxA : 1;
  tuple = new int[capTuple];
  ensureCapacity();
  for (Constraint* k : vecCont) prepareConstraint(k);
  int maxD = 1;
  for (Variable* x : vecVar)
    if (x->initSize > maxD) maxD = x->initSize;
  scratchVals.reserve(maxD);
  scratchVars.reserve(vecVar.size());
}

// Bit tables of c, all bits 0, one table per position over the declared
// values of that position (bits are indexed by the value's prop).
void LocalSearchTools::prepareConstraint(Constraint* c) {
  if (!c->soonCreateTab) {
    c->initTabBit();
  } else {
    for (int k = 0; k < c->arity; k++) {
      TableauBit& t = c->tabBit[k];
      if (t.size == c->scope[k]->initSize / 64 + 1)
        t.reset();
      else
        t.initTab(c->scope[k]->initSize);
    }
  }
  c->soonCreateTab = true;
  if (c->arity > capTuple) {
    delete[] tuple;
    capTuple = c->arity;
    tuple = new int[capTuple];
  }
}

// The falsified set holds at most every constraint searched over.
void LocalSearchTools::ensureCapacity() {
  int need = (int)vecCont.size() > 0 ? (int)vecCont.size() : 1;
  if (need <= capFalse) return;
  int nc = capFalse * 2 > need ? capFalse * 2 : need;
  Constraint** n = new Constraint*[nc];
  for (int i = 0; i < numFalse; i++) n[i] = falseCont[i];
  delete[] falseCont;
  falseCont = n;
  capFalse = nc;
}

void LocalSearchTools::initCompleteInterpretation() {
  for (Variable* x : vecVar) {
    x->diffNotDef = true;
    if (x->sizeDom > 0) x->infoCurrent = x->infoVal[rand() % x->sizeDom];
  }
}

void LocalSearchTools::initCurrent() {
  for (Variable* x : vecVar) x->selectValue(0);
}

void LocalSearchTools::initChanged() {
  for (Variable* x : vecVar)
    for (int i = 0; i < x->sizeDom; i++) x->infoVal[i]->header.changed = 0;
}

void LocalSearchTools::initDiff() {
  for (Variable* x : vecVar) x->zeroDiff();
  currentMaxSat = 0;
  numFalse = 0;
  ensureCapacity();
  int* t = tuple;
  for (Constraint* c : vecCont) {
    int ar = c->arity;
    Variable** sc = c->scope;
    for (int k = 0; k < ar; k++) t[k] = sc[k]->infoCurrent->dom;
    if (!c->tupleExist(t)) makeFalse(c);
    int w = c->weight;
    for (int k = 0; k < ar; k++) {
      for (int j = 0; j < ar; j++) t[j] = sc[j]->infoCurrent->dom;
      Variable* x = sc[k];
      TableauBit& bits = c->tabBit[k];
      for (int i = 0; i < x->sizeDom; i++) {
        InfoValueVar* a = x->infoVal[i];
        t[k] = a->dom;
        if (c->tupleExist(t)) {
          bits.setFalse(a->header.prop);
        } else {
          bits.setTrue(a->header.prop);
          a->diff += w;
        }
      }
    }
  }
  maxSatTmp = currentMaxSat;
  if (currentMaxSat < maxSat) maxSat = currentMaxSat;
}

void LocalSearchTools::flips(Variable* v, InfoValueVar* p, int numflip) {
  unsigned pNew = p->header.prop;
  unsigned pOld = v->infoCurrent->header.prop;
  nbFlipsPerform++;
  p->header.changed = (unsigned)numflip & InfoValueVar::maxField;
  v->diffNotDef = true;
  v->infoCurrent = p;
  Constraint** lc = v->vecCont;
  int* lp = v->vecPosCont;
  for (int i = 0, n = v->nbLink; i < n; i++) {
    Constraint* c = lc[i];
    TableauBit* bits;
    if (c->arity == 1) {
      bits = c->tabBit;
    } else {
      int pos = lp[i];
      c->switched(pos);
      bits = c->tabBit + pos;
    }
    int bNew = bits->get(pNew);
    if (bNew == bits->get(pOld)) continue;
    if (bNew)
      makeFalse(c);
    else
      makeTrue(c);
  }
}

void LocalSearchTools::flipUpdateDiff(Variable* v, InfoValueVar* infoTmp) {
  unsigned pNew = infoTmp->header.prop;
  unsigned pOld = v->infoCurrent->header.prop;
  infoTmp->header.changed = (unsigned)nbFlipsPerform & InfoValueVar::maxField;
  nbFlipsPerform++;
  v->diffNotDef = true;
  v->infoCurrent = infoTmp;
  Constraint** lc = v->vecCont;
  int* lp = v->vecPosCont;
  for (int i = 0, n = v->nbLink; i < n; i++) {
    Constraint* c = lc[i];
    TableauBit* bits;
    if (c->arity == 1) {
      bits = c->tabBit;
    } else {
      int pos = lp[i];
      c->switched(pos);
      bits = c->tabBit + pos;
    }
    int bNew = bits->get(pNew);
    if (bNew == bits->get(pOld)) continue;
    if (bNew)
      makeFalse(c);
    else
      makeTrue(c);
    // A current value outside its domain is not re-tested by switched: its
    // bit is the constraint's status, which just changed.
    for (int k = 0; k < c->arity; k++) c->tabBit[k].set(c->scope[k]->infoCurrent->header.prop, bNew);
  }
}

void LocalSearchTools::initUpdateDiff(Variable* v) {
  v->diffNotDef = true;
  scratchVals.clear();
  for (int i = 0; i < v->sizeDom; i++) {
    InfoValueVar* a = v->infoVal[i];
    if (a->diff < 0) {
      a->diff = 0;
      scratchVals.push_back(a);
    }
  }
  if (scratchVals.empty()) return;
  int* t = tuple;
  Constraint** lc = v->vecCont;
  int* lp = v->vecPosCont;
  for (int i = 0, n = v->nbLink; i < n; i++) {
    Constraint* c = lc[i];
    int pos = lp[i];
    Variable** sc = c->scope;
    for (int k = 0; k < c->arity; k++) t[k] = sc[k]->infoCurrent->dom;
    TableauBit& bits = c->tabBit[pos];
    for (InfoValueVar* a : scratchVals) {
      t[pos] = a->dom;
      if (c->tupleExist(t)) {
        bits.setFalse(a->header.prop);
      } else {
        bits.setTrue(a->header.prop);
        a->diff += c->weight;
      }
    }
  }
}

int LocalSearchTools::reinitCompleteInterpretation(bool backtrack) {
  scratchVars.clear();
  for (Variable* x : vecVar) {
    if (backtrack) initUpdateDiff(x);
    if ((int)x->infoCurrent->header.posInVar >= x->sizeDom) scratchVars.push_back(x);
  }
  for (Variable* x : scratchVars) {
    if (x->sizeDom <= 0) continue;
    InfoValueVar* best = x->infoVal[0];
    for (int i = 1; i < x->sizeDom; i++)
      if (x->infoVal[i]->diff < best->diff) best = x->infoVal[i];
    flipUpdateDiff(x, best);
  }
  return (int)scratchVars.size();
}

bool LocalSearchTools::increaseVariableBoundary() {
  nbLastVarBoundarie = nbVarBoundaries;
  if (numFalse == 0) return false;
  Constraint* c = falseCont[0];
  for (int k = 0; k < c->arity; k++) {
    Variable* x = c->scope[k];
    if (x->infoCurrent->diff == numFalse) {
      nbBoundaries++;
      if (x->score == 0) nbVarBoundaries++;
      x->score++;
    }
  }
  return nbVarBoundaries != nbLastVarBoundarie;
}

void LocalSearchTools::addConstraint(Constraint* c) {
  vecCont.push_back(c);
  ensureCapacity();
  // A constraint never searched over has no bit tables yet.
  if (!c->soonCreateTab) prepareConstraint(c);
  if (c->arity > capTuple) {
    delete[] tuple;
    capTuple = c->arity;
    tuple = new int[capTuple];
  }
}

void LocalSearchTools::removeConstraint(Constraint* c) {
  for (size_t i = 0; i < vecCont.size(); i++)
    if (vecCont[i] == c) {
      vecCont[i] = vecCont.back();
      vecCont.pop_back();
      return;
    }
}

void LocalSearchTools::initScoreRL() {
  int n = (int)vecCont.size();
  for (Constraint* c : vecCont) c->scoreRL = n;
}

void LocalSearchTools::updateScoreRL() {
  for (int i = 0; i < numFalse; i++)
    if (numFalse < falseCont[i]->scoreRL) falseCont[i]->scoreRL = numFalse;
}
