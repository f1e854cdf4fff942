#include "network/constraints/ConstraintExtBin.h"

#include <cstdlib>
#include <cstring>

#include "network/TableauBit.h"
#include "network/Variable.h"
#include "network/relations/Relation.h"

InfoValueVar ConstraintExtBin::magicInfo(0, 0, InfoValueVar::maxField, 0);
int ConstraintExtBin::tuple[2] = {0, 0};

ConstraintExtBin::ConstraintExtBin(const std::string& nm, Variable** sc, Relation* relation, int ar, int id)
    : Constraint(nm, sc, relation, ar, id), tablesTried(false) {
  max_comb_for_revise = 1048576;
  for (int p = 0; p < 2; p++) {
    int n = scope[p]->initSize;
    lastSupport[p] = new InfoValueVar*[n > 0 ? n : 1];
    for (int k = 0; k < n; k++) lastSupport[p][k] = &magicInfo;
    verdict[p] = nullptr;
  }
}

bool ConstraintExtBin::tupleExist(int* t) { return rel->isTuple(t); }

void ConstraintExtBin::buildTables() {
  tablesTried = true;
  int t[2];
  if (!sup.build(scope[0], scope[1], [&](int a, int b) {
        t[0] = a;
        t[1] = b;
        return rel->isTuple(t);
      }))
    return;
  for (int p = 0; p < 2; p++) {
    Variable* v = scope[p];
    verdict[p] = new unsigned char[v->initSize > 0 ? v->initSize : 1];
    for (int k = 0; k < v->initSize; k++) verdict[p][k] = (unsigned char)rel->state(p, v->records[k].dom);
  }
}

inline int ConstraintExtBin::stateOf(int pos, InfoValueVar* a) {
  if (verdict[pos]) return verdict[pos][a->header.prop];
  return rel->state(pos, a->dom);
}

inline InfoValueVar* ConstraintExtBin::seekSupport(int pos, InfoValueVar* a, Variable* w, int S) {
  InfoValueVar** wv = w->infoVal;
  if (sup.built()) {
    int tried;
    InfoValueVar* b = sup.seek(pos, a->header.prop, wv, S, &tried);
    nbChecks += (uint64_t)tried;
    return b;
  }
  int other = 1 - pos;
  for (int j = 0; j < S; j++) {
    nbChecks++;
    tupleVal[other] = wv[j]->dom;
    if (tupleExist(tupleVal)) return wv[j];
  }
  return nullptr;
}

bool ConstraintExtBin::revise(Variable* v, int pos) {
  Variable* w = scope[1 - pos];
  int S = w->sizeDom;
  if (preprosPerform && tabVarConflict[pos] < S) return false;
  int before = v->sizeDom;
  if (before == 0) return false;
  if (!tablesTried) buildTables();
  InfoValueVar** ls = lastSupport[pos];
  const int* tc = preprosPerform ? tabConflict[pos] : nullptr;
  int i = 0;
  while (i < v->sizeDom) {
    InfoValueVar* a = v->infoVal[i];
    unsigned k = a->header.prop;
    if ((tc && tc[k] < S) || (int)ls[k]->header.posInVar < S) {
      i++;
      continue;
    }
    tupleVal[pos] = a->dom;
    int st = stateOf(pos, a);
    if (st == 1) {
      i++;
      continue;
    }
    if (st == 2) {
      v->removeInfoVal(i);
      continue;
    }
    InfoValueVar* b = seekSupport(pos, a, w, S);
    if (b) {
      ls[k] = b;
      i++;
    } else {
      v->removeInfoVal(i);
    }
  }
  return v->sizeDom < before;
}

bool ConstraintExtBin::softRevise(Variable* v, int pos) {
  Variable* w = scope[1 - pos];
  int S = w->sizeDom;
  if (preprosPerform && tabVarConflict[pos] < S) return false;
  if (!tablesTried) buildTables();
  InfoValueVar** ls = lastSupport[pos];
  const int* tc = preprosPerform ? tabConflict[pos] : nullptr;
  for (int i = 0; i < v->sizeDom; i++) {
    InfoValueVar* a = v->infoVal[i];
    unsigned k = a->header.prop;
    if ((tc && tc[k] < S) || (int)ls[k]->header.posInVar < S) return false;
    tupleVal[pos] = a->dom;
    int st = stateOf(pos, a);
    if (st == 1) return false;
    if (st == 2) continue;
    InfoValueVar* b = seekSupport(pos, a, w, S);
    if (b) {
      ls[k] = b;
      return false;
    }
  }
  return true;
}

bool ConstraintExtBin::initTabConflit() {
  if (!soonCreate) {
    tabVarConflict = new int[2];
    tabConflict = new int*[2];
    for (int p = 0; p < 2; p++) {
      int n = scope[p]->initSize;
      tabConflict[p] = new int[n > 0 ? n : 1];
    }
  }
  for (int p = 0; p < 2; p++) {
    tabVarConflict[p] = 0;
    memset(tabConflict[p], 0, sizeof(int) * (scope[p]->initSize > 0 ? scope[p]->initSize : 1));
  }
  Variable* x = scope[0];
  Variable* y = scope[1];
  int t[2];
  for (int i = 0; i < x->sizeDom; i++) {
    InfoValueVar* a = x->infoVal[i];
    t[0] = a->dom;
    for (int j = 0; j < y->sizeDom; j++) {
      InfoValueVar* b = y->infoVal[j];
      t[1] = b->dom;
      if (!tupleExist(t)) {
        tabConflict[0][a->header.prop]++;
        tabConflict[1][b->header.prop]++;
      }
    }
  }
  initTabVarConflict();
  soonCreate = true;
  preprosPerform = true;
  return true;
}

void ConstraintExtBin::switched(int pos) {
  int j = 1 - pos;
  Variable* x = scope[pos];
  Variable* w = scope[j];
  tuple[pos] = x->infoCurrent->dom;
  TableauBit& bits = tabBit[j];
  for (int i = 0; i < w->sizeDom; i++) {
    InfoValueVar* a = w->infoVal[i];
    tuple[j] = a->dom;
    bool sat = tupleExist(tuple);
    unsigned k = a->header.prop;
    int bit = bits.get(k);
    if (bit && sat) {
      bits.setFalse(k);
      a->diff -= weight;
    } else if (!bit && !sat) {
      bits.setTrue(k);
      a->diff += weight;
    }
  }
}

int ConstraintExtBin::giveAleatNumber() { return rand() & 1; }

Variable* ConstraintExtBin::giveAleaVariable() { return scope[giveAleatNumber()]; }
