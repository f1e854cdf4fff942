#include "network/constraints/Constraint.h"

#include <cstdio>
#include <cstring>
#include <iostream>

#include "network/InfoValueVar.h"
#include "network/TableauBit.h"
#include "network/Variable.h"
#include "network/relations/Relation.h"

int Constraint::numero = 0;
uint64_t Constraint::nbChecks = 0;
double Constraint::weightUp = 1.0;

unsigned Constraint::stampAllValues = 1;
unsigned Constraint::sizeTabAllValues = 0;
unsigned* Constraint::tabStampAllValues = nullptr;
int Constraint::offsetAllValues = 0;
bool Constraint::stampTableBuilt = false;
int* Constraint::hashKeyAllValues = nullptr;
unsigned* Constraint::hashStampAllValues = nullptr;
unsigned Constraint::hashMaskAllValues = 0;
unsigned Constraint::hashUsedAllValues = 0;

namespace {
// A hash cell carrying this stamp is free in every marking pass.
const unsigned kFreeCell = 0xFFFFFFFFu;
const unsigned kInitialHashCapacity = 1024;

inline unsigned hashValue(int v) { return ((unsigned)v * 0x9E3779B1u) ^ ((unsigned)v >> 16); }
}  // namespace

// ---------------------------------------------------------------------------
// Value stamp table

void Constraint::buildStampTable() {
  stampAllValues = 0;
  long long lo = Variable::smallestValue, hi = Variable::biggestValue;
  long long range = hi - lo + 1;
  delete[] tabStampAllValues;
  tabStampAllValues = nullptr;
  sizeTabAllValues = 0;
  offsetAllValues = 0;
  if (lo <= hi && range <= maxDirectStampRange) {
    sizeTabAllValues = (unsigned)range;
    offsetAllValues = (int)lo;
    tabStampAllValues = new unsigned[sizeTabAllValues]();
  }
  if (!hashKeyAllValues) {
    hashMaskAllValues = kInitialHashCapacity - 1;
    hashKeyAllValues = new int[kInitialHashCapacity]();
    hashStampAllValues = new unsigned[kInitialHashCapacity];
    for (unsigned i = 0; i < kInitialHashCapacity; i++) hashStampAllValues[i] = kFreeCell;
  }
  hashUsedAllValues = 0;
  stampTableBuilt = true;
}

void Constraint::clearStampTable() {
  if (tabStampAllValues) memset(tabStampAllValues, 0, sizeof(unsigned) * sizeTabAllValues);
  if (hashStampAllValues)
    for (unsigned i = 0; i <= hashMaskAllValues; i++) hashStampAllValues[i] = kFreeCell;
  hashUsedAllValues = 0;
  stampAllValues = 1;
}

// Within one marking pass the hash table is an insert-only linear-probing
// table whose free cells are those not carrying the current stamp.
bool Constraint::hashFind(int v) {
  if (!hashStampAllValues) return false;
  unsigned h = hashValue(v) & hashMaskAllValues;
  while (hashStampAllValues[h] == stampAllValues) {
    if (hashKeyAllValues[h] == v) return true;
    h = (h + 1) & hashMaskAllValues;
  }
  return false;
}

void Constraint::hashInsert(int v) {
  if (!hashStampAllValues) buildStampTable();
  if (2 * (hashUsedAllValues + 1) > hashMaskAllValues + 1) hashGrow();
  unsigned h = hashValue(v) & hashMaskAllValues;
  while (hashStampAllValues[h] == stampAllValues) {
    if (hashKeyAllValues[h] == v) return;
    h = (h + 1) & hashMaskAllValues;
  }
  hashKeyAllValues[h] = v;
  hashStampAllValues[h] = stampAllValues;
  hashUsedAllValues++;
}

void Constraint::hashGrow() {
  unsigned oldCap = hashMaskAllValues + 1;
  int* oldKeys = hashKeyAllValues;
  unsigned* oldStamps = hashStampAllValues;
  unsigned cap = oldCap * 2;
  hashKeyAllValues = new int[cap]();
  hashStampAllValues = new unsigned[cap];
  for (unsigned i = 0; i < cap; i++) hashStampAllValues[i] = kFreeCell;
  hashMaskAllValues = cap - 1;
  hashUsedAllValues = 0;
  for (unsigned i = 0; i < oldCap; i++)
    if (oldStamps[i] == stampAllValues) hashInsert(oldKeys[i]);
  delete[] oldKeys;
  delete[] oldStamps;
}

// ---------------------------------------------------------------------------
// Construction

Constraint::Constraint(const std::string& nm, Variable** sc, Relation* r, int ar, int id)
    : indCont(numero),
      idCont(id),
      arity(ar),
      wherefalse(-1),
      max_comb_for_revise(100000),
      tupleVal(nullptr),
      tabVarConflict(nullptr),
      tabConflict(nullptr),
      preprosPerform(false),
      tupleOK(nullptr),
      score(1.0),
      staticScore(1.0),
      name(nm),
      rel(r),
      tabBit(nullptr),
      scope(nullptr),
      weight(1),
      scoreRL(0),
      soft(false),
      blocked(false),
      soonCreate(false),
      soonCreateTab(false),
      active(false),
      isuniversal(-1),
      decompositionId(0),
      conflictTuple(nullptr) {
  if (!stampTableBuilt) buildStampTable();
  for (int i = 0; i < ar; i++) sc[i]->addConstraint(this, i);
  numero += ar;
  tupleVal = new int[ar > 0 ? ar : 1]();
  tupleOK = new bool[ar > 0 ? ar : 1]();
  scope = new Variable*[ar > 0 ? 2 * ar : 1];
  for (int i = 0; i < 2 * ar; i++) scope[i] = sc[i % ar];
}

std::string Constraint::getNameRelation() const { return rel ? rel->getName() : std::string(); }

// ---------------------------------------------------------------------------
// Default virtual operations

bool Constraint::candidateForRevise() {
  if (arity <= 4) return true;
  long long prod = 1;
  int nbFree = 0;
  bool exceeded = false;
  for (int i = 0; i < arity; i++) {
    int s = scope[i]->sizeDom;
    if (s > 1) nbFree++;
    if (!exceeded) {
      prod *= s;
      if (prod > max_comb_for_revise) exceeded = true;
    }
  }
  return nbFree <= 2 || !exceeded;
}

bool Constraint::projection(std::vector<unsigned>& out) {
  if (arity <= 2) return false;
  size_t cell = out.size();
  out.push_back(0);
  for (int i = 0; i < arity; i++) {
    Variable* x = scope[i];
    if (x->sizeDom == 1) {
      out.push_back((unsigned)x->idVar);
      out.push_back((unsigned)x->infoVal[0]->dom);
      out[cell] += 2;
    }
  }
  if (out[cell] == 0) {
    out.pop_back();
    return false;
  }
  return true;
}

bool Constraint::initTabConflit() { return false; }

void Constraint::addExpr(Relation*, int, int*, Variable**) {}

void Constraint::computeTableRelation(std::vector<std::vector<int>>& table, bool& type) {
  std::vector<std::vector<int>> supports, conflicts;
  computeTableSupportAndConflict(supports, conflicts);
  type = supports.size() < conflicts.size();
  table.swap(type ? supports : conflicts);
}

// ---------------------------------------------------------------------------
// Generic algorithms

bool Constraint::reviseUnary() {
  Variable* x = scope[0];
  int before = x->sizeDom;
  if (before == 0) return false;
  int i = 0;
  while (i < x->sizeDom) {
    tupleVal[0] = x->infoVal[i]->dom;
    if (tupleExist(tupleVal))
      i++;
    else
      x->removeInfoVal(i);
  }
  if (x->sizeDom < before) {
    active = true;
    return true;
  }
  return false;
}

bool Constraint::universalisation(int i) {
  if (i >= arity) return tupleExist(tupleVal);
  Variable* x = scope[i];
  int sz = x->sizeDom;
  for (int j = 0; j < sz; j++) {
    tupleVal[i] = x->infoVal[j]->dom;
    if (!universalisation(i + 1)) return false;
  }
  return true;
}

bool Constraint::isUniversal() {
  if (conflictTuple) {
    bool stillLive = true;
    for (int i = 0; i < arity && stillLive; i++) stillLive = scope[i]->positionDom(conflictTuple[i]) >= 0;
    if (stillLive) return false;
  }
  if (universalisation(0)) return true;
  if (!conflictTuple) conflictTuple = new int[arity > 0 ? arity : 1];
  for (int i = 0; i < arity; i++) conflictTuple[i] = tupleVal[i];
  return false;
}

void Constraint::computeTableSupportAndConflict(std::vector<std::vector<int>>& supports,
                                                std::vector<std::vector<int>>& conflicts) {
  if (arity <= 0) return;
  for (int i = 0; i < arity; i++)
    if (scope[i]->sizeDom == 0) return;
  // Odometer over the live values, last position fastest.
  std::vector<int> idx(arity, 0);
  std::vector<int> props(arity);
  for (;;) {
    for (int i = 0; i < arity; i++) {
      InfoValueVar* r = scope[i]->infoVal[idx[i]];
      tupleVal[i] = r->dom;
      props[i] = (int)r->header.glbProp;
    }
    if (tupleExist(tupleVal))
      supports.push_back(props);
    else
      conflicts.push_back(props);
    int k = arity - 1;
    while (k >= 0 && ++idx[k] == scope[k]->sizeDom) idx[k--] = 0;
    if (k < 0) break;
  }
}

long long Constraint::productOthers(int pos) const {
  const long long cap = 2147483647LL;
  long long p = 1;
  for (int i = 0; i < arity; i++) {
    if (i == pos) continue;
    p *= scope[i]->sizeDom;
    if (p > cap) p = cap;
  }
  return p;
}

bool Constraint::isRevisable(int pos) const { return tabVarConflict[pos] >= productOthers(pos); }

void Constraint::updateWeight(int w) {
  if (tabBit) {
    int delta = w - weight;
    for (int pos = 0; pos < arity; pos++) {
      Variable* x = scope[pos];
      for (int i = 0; i < x->sizeDom; i++) {
        InfoValueVar* r = x->infoVal[i];
        if (tabBit[pos].get(r->header.prop)) r->diff += delta;
      }
    }
  }
  weight = w;
}

void Constraint::initTabBit() {
  tabBit = new TableauBit[arity > 0 ? arity : 1];
  for (int pos = 0; pos < arity; pos++) tabBit[pos].initTab(scope[pos]->initSize);
  soonCreateTab = true;
}

void Constraint::initTabVarConflict() {
  if (!tabConflict || !tabVarConflict) return;
  for (int pos = 0; pos < arity; pos++) {
    Variable* x = scope[pos];
    int best = 0;
    for (int i = 0; i < x->sizeDom; i++) {
      int c = tabConflict[pos][x->infoVal[i]->header.prop];
      if (c > best) best = c;
    }
    tabVarConflict[pos] = best;
  }
}

void Constraint::reinit() {
  score = 1.0;
  soft = blocked = soonCreate = soonCreateTab = active = false;
}

void Constraint::setBit(int pos, int k, int b) { tabBit[pos].set((unsigned)k, (unsigned)b); }

int Constraint::getBit(int pos, int k) const { return tabBit[pos].get((unsigned)k); }

void Constraint::aff() {
  std::cout << "Constraint name: " << name << std::endl;
  std::cout << "Id constraint = " << idCont << " arity = " << arity << std::endl;
  if (rel) rel->aff();
  std::cout << std::endl;
  for (int i = 0; i < arity; i++) scope[i]->aff();
  if (soonCreateTab && tabBit) {
    for (int pos = 0; pos < arity; pos++) {
      for (int k = 0; k < scope[pos]->initSize; k++) std::cout << tabBit[pos].get((unsigned)k);
      std::cout << std::endl;
    }
  }
  std::cout << std::string(65, '-') << std::endl;
}
