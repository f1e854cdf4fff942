#include "network/constraints/ConstraintInt.h"

#include <cstdlib>
#include <stdexcept>

#include "network/TableauBit.h"
#include "network/Variable.h"
#include "network/predicates/Expression.h"
#include "network/predicates/Predicat.h"

InfoValueVar ConstraintInt::magicInfo(0, 0, InfoValueVar::maxField, 0);

ConstraintInt::ConstraintInt(const std::string& nm, Variable** sc, Relation* relation, int ar, int id)
    : Constraint(nm, sc, relation, ar, id),
      expr(nullptr),
      predicat(dynamic_cast<Predicat*>(relation)),
      varCreation(nullptr),
      valCreation(nullptr),
      nbEltCreation(0) {
  max_comb_for_revise = 100000;
  lastSupport[0] = lastSupport[1] = nullptr;
  if (ar == 2) {
    for (int p = 0; p < 2; p++) {
      int n = scope[p]->initSize;
      lastSupport[p] = new InfoValueVar*[n > 0 ? n : 1];
      for (int k = 0; k < n; k++) lastSupport[p][k] = &magicInfo;
    }
  }
  int n = ar > 0 ? ar : 1;
  tmpTabVal = new int[n]();
  tmpTabOK = new bool[n]();
}

Expression* ConstraintInt::compileFor(Predicat* p, int sz, int* values, Variable** vars) {
  if (!p) throw std::runtime_error("intension constraint " + name + " needs a predicate");
  std::vector<int*> adrVal(sz > 0 ? sz : 1);
  std::vector<bool*> adrOK(sz > 0 ? sz : 1);
  bool yes = true;
  for (int i = 0; i < sz; i++) {
    if (vars[i]) {
      int j = 0;
      while (j < arity && scope[j] != vars[i]) j++;
      if (j == arity)
        throw std::runtime_error("intension constraint " + name + ": parameter variable " + vars[i]->name +
                                 " is not in the scope");
      tupleOK[j] = false;
      adrVal[i] = &tupleVal[j];
      adrOK[i] = &tupleOK[j];
    } else {
      adrVal[i] = &values[i];
      adrOK[i] = &yes;
    }
  }
  return p->getExpression()->compile(adrVal.data(), adrOK.data());
}

void ConstraintInt::initExpr(int sz, int* values, Variable** vars) {
  // The builder releases its arrays afterwards: keep copies.
  nbEltCreation = sz;
  delete[] varCreation;
  delete[] valCreation;
  varCreation = new Variable*[sz > 0 ? sz : 1];
  valCreation = new int[sz > 0 ? sz : 1];
  for (int i = 0; i < sz; i++) {
    varCreation[i] = vars[i];
    valCreation[i] = values[i];
  }
  for (int i = 0; i < arity; i++) tupleOK[i] = false;
  delete expr;
  expr = compileFor(predicat, sz, values, vars);
  forgetSupports();
}

void ConstraintInt::addExpr(Relation* r, int sz, int* values, Variable** vars) {
  for (int i = 0; i < arity; i++) tupleOK[i] = false;
  Expression* e = compileFor(dynamic_cast<Predicat*>(r), sz, values, vars);
  expr = expr ? new And(e, expr) : e;
  forgetSupports();
}

void ConstraintInt::forgetSupports() {
  sup.reset();
  tablesTried = false;
  if (arity == 2)
    for (int p = 0; p < 2; p++)
      for (int k = 0; k < scope[p]->initSize; k++) lastSupport[p][k] = &magicInfo;
}

inline bool ConstraintInt::evalTuple() { return expr ? expr->eval() != 0 : true; }

bool ConstraintInt::tupleExist(int* t) {
  if (t != tupleVal)
    for (int i = 0; i < arity; i++) tupleVal[i] = t[i];
  return evalTuple();
}

bool ConstraintInt::existTupleToValueFixe(int nbLibre) {
  if (nbLibre <= 0) {
    nbChecks++;
    return evalTuple();
  }
  int k = 0;
  while (k < arity && tupleOK[k]) k++;
  if (k == arity) {
    nbChecks++;
    return evalTuple();
  }
  tupleOK[k] = true;
  Variable* x = scope[k];
  bool found = false;
  InfoValueVar** iv = x->infoVal;
  if (nbLibre == 1) {
    for (int i = 0, n = x->sizeDom; i < n; i++) {
      tupleVal[k] = iv[i]->dom;
      nbChecks++;
      if (evalTuple()) {
        found = true;
        break;
      }
    }
  } else {
    for (int i = 0, n = x->sizeDom; i < n; i++) {
      tupleVal[k] = iv[i]->dom;
      if (existTupleToValueFixe(nbLibre - 1)) {
        found = true;
        break;
      }
    }
  }
  tupleOK[k] = false;
  return found;
}

bool ConstraintInt::reviseBin(Variable* v, int pos) {
  int other = 1 - pos;
  Variable* w = scope[other];
  int S = w->sizeDom;
  int before = v->sizeDom;
  if (before == 0) return false;
  if (!tablesTried && expr) {
    tablesTried = true;
    sup.build(scope[0], scope[1], [&](int a, int b) {
      tupleVal[0] = a;
      tupleVal[1] = b;
      return expr->eval() != 0;
    });
  }
  InfoValueVar** ls = lastSupport[pos];
  InfoValueVar** wv = w->infoVal;
  bool fast = sup.built();
  int i = 0;
  while (i < v->sizeDom) {
    InfoValueVar* a = v->infoVal[i];
    unsigned k = a->header.prop;
    if ((int)ls[k]->header.posInVar < S) {
      i++;
      continue;
    }
    InfoValueVar* found = nullptr;
    if (fast) {
      int tried;
      found = sup.seek(pos, k, wv, S, &tried);
      nbChecks += (uint64_t)tried;
    } else {
      tupleVal[pos] = a->dom;
      for (int j = 0; j < S; j++) {
        nbChecks++;
        tupleVal[other] = wv[j]->dom;
        if (evalTuple()) {
          found = wv[j];
          break;
        }
      }
    }
    if (found) {
      ls[k] = found;
      i++;
    } else {
      v->removeInfoVal(i);
    }
  }
  return v->sizeDom < before;
}

bool ConstraintInt::revise(Variable* v, int pos) {
  if (arity == 2) return reviseBin(v, pos);
  if (preprosPerform && !isRevisable(pos)) return false;
  if (!candidateForRevise()) return false;
  for (int i = 0; i < arity; i++) tupleOK[i] = false;
  tupleOK[pos] = true;
  int before = v->sizeDom;
  if (before == 0) return false;
  int i = 0;
  while (i < v->sizeDom) {
    tupleVal[pos] = v->infoVal[i]->dom;
    if (existTupleToValueFixe(arity - 1))
      i++;
    else
      v->removeInfoVal(i);
  }
  tupleOK[pos] = false;
  return v->sizeDom < before;
}

bool ConstraintInt::softRevise(Variable* v, int pos) {
  if (preprosPerform && !isRevisable(pos)) return false;
  if (!candidateForRevise()) return false;
  for (int i = 0; i < arity; i++) tupleOK[i] = false;
  tupleOK[pos] = true;
  bool none = true;
  for (int i = 0; i < v->sizeDom && none; i++) {
    tupleVal[pos] = v->infoVal[i]->dom;
    if (existTupleToValueFixe(arity - 1)) none = false;
  }
  tupleOK[pos] = false;
  return none;
}

void ConstraintInt::switched(int pos) {
  for (int i = 0; i < arity; i++) tupleVal[i] = scope[i]->infoCurrent->dom;
  for (int j = 0; j < arity; j++) {
    if (j == pos) continue;
    Variable* x = scope[j];
    TableauBit& bits = tabBit[j];
    for (int i = 0; i < x->sizeDom; i++) {
      InfoValueVar* a = x->infoVal[i];
      tupleVal[j] = a->dom;
      bool sat = evalTuple();
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
    tupleVal[j] = x->infoCurrent->dom;
  }
}

bool ConstraintInt::projection(std::vector<unsigned>& out) {
  if (arity <= 2 || !expr) return false;
  bool singleton = false;
  for (int i = 0; i < arity; i++)
    if (scope[i]->sizeDom == 1) singleton = true;
  if (!singleton) return false;
  for (int i = 0; i < arity; i++) {
    tupleOK[i] = scope[i]->sizeDom == 1;
    tupleVal[i] = scope[i]->sizeDom > 0 ? scope[i]->infoVal[0]->dom : 0;
  }
  std::string s;
  expr->putInString(s);
  for (int i = 0; i < arity; i++) tupleOK[i] = false;
  size_t cell = out.size();
  out.push_back(1);
  out.push_back((unsigned)idCont);
  for (size_t c = 0; c < s.size(); c += 4) {
    unsigned w = 0;
    for (size_t b = 0; b < 4 && c + b < s.size(); b++) w |= (unsigned)(unsigned char)s[c + b] << (8 * b);
    out.push_back(w);
    out[cell]++;
  }
  return true;
}

int ConstraintInt::giveAleatNumber() { return rand() % arity; }

Variable* ConstraintInt::giveAleaVariable() { return scope[giveAleatNumber()]; }
