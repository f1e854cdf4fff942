#include "network/constraints/AllDiff.h"

#include <algorithm>
#include <cstdlib>

#include "network/TableauBit.h"
#include "network/Variable.h"

AllDiff::AllDiff(const std::string& nm, Variable** sc, int ar, int id)
    : Constraint(nm, sc, nullptr, ar, id) {
  sortedCur = new int[ar > 0 ? ar : 1];
}

bool AllDiff::tupleExist(int* t) {
  nextStamp();
  for (int i = 0; i < arity; i++)
    if (testAndStamp(t[i])) return false;
  return true;
}

bool AllDiff::revise(Variable* v, int pos) {
  nbChecks++;
  nextStamp();
  int count = 0;
  const int end = endScopeFrom(pos);

  // 1. Values of the fixed variables; two equal ones make the scope fail.
  for (int e = startScopeFrom(pos); e < end; e++) {
    Variable* w = scope[e];
    if (w->sizeDom != 1) continue;
    if (testAndStamp(w->infoVal[0]->dom)) {
      v->sizeDom = 0;
      return true;
    }
    count++;
  }

  // 2. v loses the values taken by fixed variables; its other values are
  // marked as available.
  const int before = v->sizeDom;
  for (int i = 0; i < v->sizeDom;) {
    if (testAndStamp(v->infoVal[i]->dom))
      v->removeInfoVal(i);
    else {
      count++;
      i++;
    }
  }

  // 3. Distinct values still available to the unfixed variables; counting
  // stops once it is known that there are enough of them.
  for (int e = startScopeFrom(pos); e < end && count < arity; e++) {
    Variable* w = scope[e];
    if (w->sizeDom <= 1) continue;
    for (int i = 0; i < w->sizeDom; i++)
      if (!testAndStamp(w->infoVal[i]->dom)) count++;
  }

  // 4. Fewer distinct values than variables: no assignment exists.
  if (count < arity) {
    v->sizeDom = 0;
    return true;
  }
  return v->sizeDom != before;
}

bool AllDiff::softRevise(Variable* v, int pos) {
  nextStamp();
  int count = 0;
  const int end = endScopeFrom(pos);
  for (int e = startScopeFrom(pos); e < end; e++) {
    Variable* w = scope[e];
    if (w->sizeDom != 1) continue;
    if (testAndStamp(w->infoVal[0]->dom)) return true;
    count++;
  }
  for (int i = 0; i < v->sizeDom; i++)
    if (!testAndStamp(v->infoVal[i]->dom)) count++;
  for (int e = startScopeFrom(pos); e < end && count < arity; e++) {
    Variable* w = scope[e];
    if (w->sizeDom <= 1) continue;
    for (int i = 0; i < w->sizeDom; i++)
      if (!testAndStamp(w->infoVal[i]->dom)) count++;
  }
  return count < arity;
}

// With c the current values: a candidate a at position j violates the
// constraint when the other positions already hold two equal values, or when
// a equals the current value of another position.  Multiplicities come from
// one sorted copy of the current values, so the update costs
// O((arity + candidates) log arity) instead of one tuple test per candidate.
void AllDiff::switched(int pos) {
  for (int i = 0; i < arity; i++) sortedCur[i] = scope[i]->infoCurrent->dom;
  std::sort(sortedCur, sortedCur + arity);
  int excess = 0;  // arity minus the number of distinct current values
  for (int i = 1; i < arity; i++)
    if (sortedCur[i] == sortedCur[i - 1]) excess++;

  auto multiplicity = [this](int val) {
    auto r = std::equal_range(sortedCur, sortedCur + arity, val);
    return (int)(r.second - r.first);
  };

  for (int j = 0; j < arity; j++) {
    if (j == pos) continue;
    Variable* x = scope[j];
    const int cj = x->infoCurrent->dom;
    const bool othersClash = excess - (multiplicity(cj) >= 2 ? 1 : 0) > 0;
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* rec = x->infoVal[i];
      const int a = rec->dom;
      bool violated = othersClash || multiplicity(a) - (a == cj ? 1 : 0) >= 1;
      const int k = rec->header.prop;
      const bool wasViolated = getBit(j, k) != 0;
      if (violated == wasViolated) continue;
      setBit(j, k, violated);
      if (violated)
        rec->diff += weight;
      else
        rec->diff -= weight;
    }
  }
}

void AllDiff::computeTableRelation(std::vector<std::vector<int>>& table, bool& type) {
  std::vector<std::vector<int>> supports, conflicts;
  for (int i = 0; i < arity; i++) {
    Variable* x = scope[i];
    for (int j = i + 1; j < arity; j++) {
      Variable* y = scope[j];
      for (int a = 0; a < x->sizeDom; a++)
        for (int b = 0; b < y->sizeDom; b++) {
          InfoValueVar* ra = x->infoVal[a];
          InfoValueVar* rb = y->infoVal[b];
          std::vector<int> pair{(int)ra->header.glbProp, (int)rb->header.glbProp};
          if (ra->dom == rb->dom)
            conflicts.push_back(std::move(pair));
          else
            supports.push_back(std::move(pair));
        }
    }
  }
  type = supports.size() < conflicts.size();
  table = type ? std::move(supports) : std::move(conflicts);
}

bool AllDiff::projection(std::vector<unsigned>&) { return false; }

int AllDiff::giveAleatNumber() { return arity > 0 ? rand() % arity : 0; }

Variable* AllDiff::giveAleaVariable() { return scope[giveAleatNumber()]; }
