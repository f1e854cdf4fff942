#include "network/constraints/WeightedSum.h"

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "network/TableauBit.h"
#include "network/Variable.h"

WeightedSum::WeightedSum(const std::string& nm, Variable** sc, int ar, int id)
    : Constraint(nm, sc, nullptr, ar, id),
      coeff(nullptr),
      vars(nullptr),
      nbPlus(0),
      nbVars(0),
      op(0),
      leftPart(0),
      mapCoeffVar(new unsigned[ar > 0 ? ar : 1]),
      posInScope(nullptr) {
  for (int i = 0; i < ar; i++) mapCoeffVar[i] = 0;
}

void WeightedSum::initWeightedSum(const std::vector<int>& c, const std::vector<Variable*>& v, int o,
                                  int lPart) {
  // Merge repeated variables: one term per variable, in order of first
  // occurrence, so that every term is counted in tuple tests and revisions.
  std::vector<Variable*> mv;
  std::vector<long long> mc;
  for (size_t i = 0; i < v.size() && i < c.size(); i++) {
    size_t k = 0;
    while (k < mv.size() && mv[k] != v[i]) k++;
    if (k == mv.size()) {
      mv.push_back(v[i]);
      mc.push_back(c[i]);
    } else
      mc[k] += c[i];
  }

  long long rhs = lPart;
  switch (o) {
    case 3:  // sum >= l  <=>  -sum <= -l
      for (auto& x : mc) x = -x;
      rhs = -rhs;
      op = 1;
      break;
    case 4:  // sum > l  <=>  -sum <= -l - 1
      for (auto& x : mc) x = -x;
      rhs = -rhs - 1;
      op = 1;
      break;
    case 2:  // sum < l  <=>  sum <= l - 1
      rhs = rhs - 1;
      op = 1;
      break;
    case 1:
    case 5:
    case 6:
      op = (unsigned)o;
      break;
    default:
      op = 0;
  }
  leftPart = rhs;

  for (Variable* x : mv) {
    int p = 0;
    while (p < arity && scope[p] != x) p++;
    if (p == arity)
      throw std::runtime_error("variable " + x->getName() + " of the sum of constraint " + name +
                               " is not in its scope");
  }
  // A scope variable absent from the sum takes no part in it; a zero
  // coefficient gives every scope position a term.
  for (int p = 0; p < arity; p++)
    if (std::find(mv.begin(), mv.end(), scope[p]) == mv.end()) {
      mv.push_back(scope[p]);
      mc.push_back(0);
    }

  nbVars = (unsigned)mv.size();
  coeff = new long long[nbVars > 0 ? nbVars : 1];
  vars = new Variable*[nbVars > 0 ? nbVars : 1];
  posInScope = new int[nbVars > 0 ? nbVars : 1];
  unsigned n = 0;
  for (size_t i = 0; i < mv.size(); i++)
    if (mc[i] > 0) {
      coeff[n] = mc[i];
      vars[n++] = mv[i];
    }
  nbPlus = n;
  for (size_t i = 0; i < mv.size(); i++)
    if (mc[i] <= 0) {
      coeff[n] = mc[i];
      vars[n++] = mv[i];
    }

  for (unsigned k = 0; k < nbVars; k++) {
    int p = 0;
    while (scope[p] != vars[k]) p++;
    posInScope[k] = p;
  }
  for (int p = 0; p < arity; p++) {
    unsigned k = 0;
    while (vars[k] != scope[p]) k++;
    mapCoeffVar[p] = k;
  }
}

bool WeightedSum::tupleExist(int* t) {
  SumType s = 0;
  for (unsigned k = 0; k < nbVars; k++) s += (SumType)coeff[k] * t[posInScope[k]];
  return accepts(s);
}

bool WeightedSum::restBounds(unsigned k, SumType& minRest, SumType& maxRest) const {
  minRest = maxRest = 0;
  for (unsigned j = 0; j < nbVars; j++) {
    if (j == k) continue;
    Variable* x = vars[j];
    const int sz = x->sizeDom;
    if (sz <= 0) return false;
    InfoValueVar** iv = x->infoVal;
    int lo = iv[0]->dom, hi = lo;
    for (int i = 1; i < sz; i++) {
      const int d = iv[i]->dom;
      if (d < lo) lo = d;
      if (d > hi) hi = d;
    }
    const SumType a = coeff[j];
    if (j < nbPlus) {
      minRest += a * lo;
      maxRest += a * hi;
    } else {
      minRest += a * hi;
      maxRest += a * lo;
    }
  }
  return true;
}

bool WeightedSum::fixedRest(unsigned k, SumType& rest) const {
  rest = 0;
  for (unsigned j = 0; j < nbVars; j++) {
    if (j == k) continue;
    if (vars[j]->sizeDom != 1) return false;
    rest += (SumType)coeff[j] * vars[j]->infoVal[0]->dom;
  }
  return true;
}

bool WeightedSum::revise(Variable* v, int pos) {
  if (nbVars == 0) return false;  // no terms were given
  const unsigned k = mapCoeffVar[pos];
  const SumType a = coeff[k];
  const int before = v->sizeDom;

  if (op != 1 && op != 5) {
    // Disequality: filters only once every other variable is fixed.
    SumType f;
    if (!fixedRest(k, f)) return false;
    for (int i = 0; i < v->sizeDom;) {
      if (f + a * v->infoVal[i]->dom == leftPart)
        v->removeInfoVal(i);
      else
        i++;
    }
    return v->sizeDom != before;
  }

  SumType minRest, maxRest;
  if (!restBounds(k, minRest, maxRest)) return false;
  // Values whose smallest possible sum already exceeds the constant.
  for (int i = 0; i < v->sizeDom;) {
    if (leftPart < minRest + a * v->infoVal[i]->dom)
      v->removeInfoVal(i);
    else
      i++;
  }
  if (op == 1) return v->sizeDom != before;
  // Equality: also values whose largest possible sum stays below it.
  for (int i = 0; i < v->sizeDom;) {
    if (a * v->infoVal[i]->dom + maxRest < leftPart)
      v->removeInfoVal(i);
    else
      i++;
  }
  return v->sizeDom != before;
}

bool WeightedSum::softRevise(Variable* v, int pos) {
  if (v->sizeDom == 0) return true;
  if (nbVars == 0) return false;
  const unsigned k = mapCoeffVar[pos];
  const SumType a = coeff[k];

  if (op != 1 && op != 5) {
    SumType f;
    if (!fixedRest(k, f)) return false;
    for (int i = 0; i < v->sizeDom; i++)
      if (f + a * v->infoVal[i]->dom != leftPart) return false;
    return true;
  }

  SumType minRest, maxRest;
  if (!restBounds(k, minRest, maxRest)) return false;
  for (int i = 0; i < v->sizeDom; i++) {
    const SumType ax = a * v->infoVal[i]->dom;
    const bool removed = leftPart < minRest + ax || (op == 5 && ax + maxRest < leftPart);
    if (!removed) return false;
  }
  return true;
}

// The current sum with the term of position j left out gives, for each
// candidate a at j, the sum in O(1).
void WeightedSum::switched(int pos) {
  if (nbVars == 0) return;
  SumType s = 0;
  for (unsigned k = 0; k < nbVars; k++) s += (SumType)coeff[k] * vars[k]->infoCurrent->dom;
  for (int j = 0; j < arity; j++) {
    if (j == pos) continue;
    Variable* x = scope[j];
    const unsigned k = mapCoeffVar[j];
    const SumType a = coeff[k];
    const SumType base = s - a * x->infoCurrent->dom;
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* rec = x->infoVal[i];
      const bool violated = !accepts(base + a * rec->dom);
      const int p = rec->header.prop;
      const bool wasViolated = getBit(j, p) != 0;
      if (violated == wasViolated) continue;
      setBit(j, p, violated);
      if (violated)
        rec->diff += weight;
      else
        rec->diff -= weight;
    }
  }
}

bool WeightedSum::projection(std::vector<unsigned>& out) {
  if (arity <= 2) return false;
  SumType rest = leftPart;
  bool any = false;
  for (unsigned k = 0; k < nbVars; k++)
    if (vars[k]->sizeDom == 1) {
      any = true;
      rest -= (SumType)coeff[k] * vars[k]->infoVal[0]->dom;
    }
  if (!any) return false;
  if (rest >= INT32_MIN && rest <= INT32_MAX) {
    out.push_back(1);
    out.push_back((unsigned)(int)rest);
  } else {
    // A constant beyond 32 bits takes two words, so distinct constants never
    // share a description.
    const unsigned long long r = (unsigned long long)(long long)rest;
    out.push_back(2);
    out.push_back((unsigned)(r & 0xffffffffu));
    out.push_back((unsigned)(r >> 32));
  }
  return true;
}

int WeightedSum::giveAleatNumber() { return arity > 0 ? rand() % arity : 0; }

Variable* WeightedSum::giveAleaVariable() { return scope[giveAleatNumber()]; }
