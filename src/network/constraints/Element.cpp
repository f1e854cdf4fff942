#include "network/constraints/Element.h"

#include <cstdlib>
#include <stdexcept>

#include "network/TableauBit.h"
#include "network/Variable.h"

Element::Element(const std::string& nm, Variable** sc, int ar, int id)
    : Constraint(nm, sc, nullptr, ar, id),
      nbElt(0),
      isVar(nullptr),
      mapVar(nullptr),
      tmpValue(nullptr),
      tabValOrVars(nullptr) {}

void Element::initElement(int nbE, bool* isV, valOrvar* tValVars) {
  nbElt = nbE;
  isVar = isV;
  tabValOrVars = tValVars;
  mapVar = new int[nbE > 0 ? nbE : 1];
  tmpValue = new int[nbE > 0 ? nbE : 1];
  for (int e = 0; e < nbE; e++) {
    mapVar[e] = -1;
    tmpValue[e] = 0;
    if (!isVar[e]) {
      tmpValue[e] = tabValOrVars[e].val;
      continue;
    }
    int p = 0;
    while (p < arity && scope[p] != tabValOrVars[e].var) p++;
    if (p == arity)
      throw std::runtime_error("variable " + tabValOrVars[e].var->getName() + " of constraint " + name +
                               " is not in its scope");
    mapVar[e] = p;
  }
}

bool Element::tupleExist(int* t) {
  if (nbElt < 2) return false;  // no entries were given
  for (int e = 0; e < nbElt; e++)
    if (isVar[e]) tmpValue[e] = t[mapVar[e]];
  const int n = nbElt - 2;
  const int i = tmpValue[0];
  if (i < 1 || i > n) return false;
  return tmpValue[i] == tmpValue[n + 1];
}

void Element::stampEntry(int e) const {
  if (!isVar[e]) {
    stampValue(tmpValue[e]);
    return;
  }
  Variable* x = tabValOrVars[e].var;
  for (int i = 0; i < x->sizeDom; i++) stampValue(x->infoVal[i]->dom);
}

bool Element::entryMeetsStamp(int e) const {
  if (!isVar[e]) return isStamped(tmpValue[e]);
  Variable* x = tabValOrVars[e].var;
  for (int i = 0; i < x->sizeDom; i++)
    if (isStamped(x->infoVal[i]->dom)) return true;
  return false;
}

bool Element::keepStamped(Variable* v) const {
  const int before = v->sizeDom;
  for (int i = 0; i < v->sizeDom;) {
    if (isStamped(v->infoVal[i]->dom))
      i++;
    else
      v->removeInfoVal(i);
  }
  return v->sizeDom != before;
}

bool Element::revise(Variable* v, int pos) {
  (void)pos;
  nbChecks++;
  nextStamp();
  const int n = nbElt - 2;
  if (n < 0) return false;

  if (!isVar[0]) return reviseConstantIndex(v);

  if (tabValOrVars[0].var == v) {
    // v is the index: keep i when entry i can equal the value.
    stampEntry(n + 1);
    const int before = v->sizeDom;
    for (int k = 0; k < v->sizeDom;) {
      const int i = v->infoVal[k]->dom;
      if (i >= 1 && i <= n && entryMeetsStamp(i))
        k++;
      else
        v->removeInfoVal(k);
    }
    return v->sizeDom != before;
  }

  if (isVar[n + 1] && tabValOrVars[n + 1].var == v) {
    // v is the value: keep the values some designated entry can take.
    Variable* index = tabValOrVars[0].var;
    for (int k = 0; k < index->sizeDom; k++) {
      const int i = index->infoVal[k]->dom;
      if (i >= 1 && i <= n) stampEntry(i);
    }
    return keepStamped(v);
  }

  // v occurs only in the list.  A fixed index selects one entry: when that
  // entry is v, v must take a value of the value entry (without this a
  // fixed index and value would leave v unfiltered).
  if (n == 0) return false;
  Variable* index = tabValOrVars[0].var;
  if (index->sizeDom == 1) {
    const int i = index->infoVal[0]->dom;
    if (i >= 1 && i <= n && isVar[i] && tabValOrVars[i].var == v) {
      stampEntry(n + 1);
      return keepStamped(v);
    }
  }
  for (int e = 1; e <= n; e++)
    if (!isVar[e] || tabValOrVars[e].var != v) return false;
  stampEntry(n + 1);
  return keepStamped(v);
}

// A constant index selects one entry for good: the constraint reduces to
// "entry i = value" (or to false when i designates no entry), which is
// filtered exactly; otherwise a complete assignment could violate it unseen.
bool Element::reviseConstantIndex(Variable* v) {
  const int n = nbElt - 2;
  const int i = tmpValue[0];
  if (i < 1 || i > n) {
    if (v->sizeDom == 0) return false;
    v->sizeDom = 0;
    return true;
  }
  const bool vIsEntry = isVar[i] && tabValOrVars[i].var == v;
  const bool vIsValue = isVar[n + 1] && tabValOrVars[n + 1].var == v;
  if (vIsEntry && vIsValue) return false;  // entry i and the value are one variable
  if (vIsValue) {
    stampEntry(i);
    return keepStamped(v);
  }
  if (vIsEntry) {
    stampEntry(n + 1);
    return keepStamped(v);
  }
  return false;
}

bool Element::softRevise(Variable*, int) { return false; }

void Element::switched(int pos) {
  for (int p = 0; p < arity; p++) tupleVal[p] = scope[p]->infoCurrent->dom;
  for (int j = 0; j < arity; j++) {
    if (j == pos) continue;
    Variable* x = scope[j];
    const int cur = tupleVal[j];
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* rec = x->infoVal[i];
      tupleVal[j] = rec->dom;
      const bool violated = !tupleExist(tupleVal);
      const int k = rec->header.prop;
      const bool wasViolated = getBit(j, k) != 0;
      if (violated == wasViolated) continue;
      setBit(j, k, violated);
      if (violated)
        rec->diff += weight;
      else
        rec->diff -= weight;
    }
    tupleVal[j] = cur;
  }
}

int Element::giveAleatNumber() { return arity > 0 ? rand() % arity : 0; }

Variable* Element::giveAleaVariable() { return scope[giveAleatNumber()]; }
