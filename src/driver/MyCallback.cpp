#include "driver/MyCallback.h"

#include <algorithm>
#include <iostream>
#include <stdexcept>

#include "network/Domain.h"
#include "network/InfoValueVar.h"
#include "network/Variable.h"
#include "network/constraints/AllDiff.h"
#include "network/constraints/Constraint.h"
#include "network/constraints/ConstraintExtBin.h"
#include "network/constraints/ConstraintExtN.h"
#include "network/constraints/ConstraintInt.h"
#include "network/constraints/Element.h"
#include "network/constraints/WeightedSum.h"
#include "network/predicates/Predicat.h"
#include "network/relations/Relation.h"
#include "network/relations/RelationExtBin.h"
#include "network/relations/RelationExtN.h"
#include "network/relations/RelationExtNDec.h"
#include "xcsp/AST.h"

using namespace std;
using CSPXMLParser::AST;
using CSPXMLParser::ASTList;

bool MyCallback::decBin = false;
bool MyCallback::mergeInt = true;

namespace {

// Value records number their values in 24-bit fields.
const long long maxValueRecords = 16777215;

runtime_error builderError(const string& msg) { return runtime_error(msg); }

}  // namespace

MyCallback::MyCallback() {}

MyCallback::~MyCallback() {}

void MyCallback::beginInstance(const string&) {
  typeCSP = 0;
  maxArity = 0;
  maxDomain = 0;
  currentConstraintWithArgs = nullptr;
}

void MyCallback::beginDomainsSection(int) {}

void MyCallback::beginDomain(const string& name, int, int) {
  currentDomain = new Domain(name);
  mapDom[name] = currentDomain;
  domainReference = name;
  firstDomainValue = true;
}

void MyCallback::addDomainValue(int v) {
  currentDomain->add(v);
  firstDomainValue = false;
}

void MyCallback::addDomainValue(int first, int last) {
  // An interval is expanded value by value; refuse one that could never be
  // numbered rather than exhausting memory on it.
  if (first <= last && (long long)last - first + 1 + currentDomain->getSize() > maxValueRecords)
    throw builderError("domain " + domainReference + " has more than 16777215 values");
  for (long long x = first; x <= last; x++) currentDomain->add((int)x);
  firstDomainValue = false;
}

void MyCallback::endDomain() {
  maxDomain = max(maxDomain, currentDomain->getSize());
}

void MyCallback::endDomainsSection() {}

void MyCallback::beginVariablesSection(int) { maxIdVar = 0; }

void MyCallback::addVariable(const string& name, int idVar, const string& domain, int) {
  Domain* d = mapDom[domain];
  if (d->getSize() == 0) throw builderError("variable " + name + " has an empty domain");
  mapVar[name] = new Variable(name, d, idVar);
  maxIdVar = max(maxIdVar, idVar);
}

void MyCallback::endVariablesSection() {}

void MyCallback::beginRelationsSection(int) {}

void MyCallback::beginRelation(const string& name, int, int arity, int, RelType relType) {
  typeCSP |= 1;
  tupleValues.clear();
  vecTuple.clear();
  relationReference = name;
  currentArity = arity;
  if (relType == REL_SUPPORT)
    relSemantic = false;
  else if (relType == REL_CONFLICT)
    relSemantic = true;
  else if (relType != REL_SOFT)
    throw builderError("unknown relation type");
  firstTuple = true;
}

void MyCallback::addRelationTuple(int arity, int* tuple) {
  // The copies live end to end in one buffer; vecTuple points into it once
  // the relation is complete.
  for (int i = 0; i < currentArity; i++) tupleValues.push_back(i < arity ? tuple[i] : 0);
  firstTuple = false;
}

void MyCallback::addRelationTuple(int, int*, int) {}

void MyCallback::endRelation() {
  vecTuple.clear();
  if (currentArity > 0)
    for (size_t k = 0; k + currentArity <= tupleValues.size(); k += currentArity)
      vecTuple.push_back(tupleValues.data() + k);

  // A binary relation over non-negative values is a bit matrix indexed by
  // the values; one whose values are too large for a 0-based matrix uses a
  // matrix over the window of its values, or the n-ary form when even that
  // would be too large.
  bool binMatrix = false, windowed = false;
  int minA = 0, maxA = 0, minB = 0, maxB = 0;
  if (currentArity == 2) {
    binMatrix = true;
    bool first = true;
    for (int* t : vecTuple) {
      if (t[0] < 0 || t[1] < 0) {
        binMatrix = false;
        break;
      }
      if (first) {
        minA = maxA = t[0];
        minB = maxB = t[1];
        first = false;
      }
      minA = min(minA, t[0]);
      maxA = max(maxA, t[0]);
      minB = min(minB, t[1]);
      maxB = max(maxB, t[1]);
    }
    if (binMatrix && !RelationExtBin::canBeZeroBasedMatrix(maxA, maxB)) {
      windowed = RelationExtBin::canBeMatrix(minA, maxA, minB, maxB);
      binMatrix = windowed;
    }
  }

  if (binMatrix) {
    RelationExtBin* r =
        windowed ? new RelationExtBin(relationReference, minA, maxA, minB, maxB, relSemantic)
                 : new RelationExtBin(relationReference, maxA + 1, maxB + 1, relSemantic);
    for (int* t : vecTuple) r->addTuple(t);
    mapRel[relationReference] = r;
  } else if (decBin && !relSemantic && !vecTuple.empty()) {
    // The hidden variable ranges over the tuple indices: only supports
    // decompose that way (a forbidden tuple is not "one of these pairs").
    mapRel[relationReference] =
        new RelationExtNDec(relationReference, currentArity, relSemantic, vecTuple);
  } else {
    RelationExtN* r = new RelationExtN(relationReference, currentArity, relSemantic);
    for (int* t : vecTuple) r->addTuple(t);
    r->sortTabTuple();
    mapRel[relationReference] = r;
  }
  vecTuple.clear();
  tupleValues.clear();
  tupleValues.shrink_to_fit();
}

void MyCallback::endRelationsSection() {}

void MyCallback::beginPredicatesSection(int) {}

void MyCallback::beginPredicate(const string& name, int) {
  typeCSP |= 2;
  predicatReference = name;
  currentNbParameter = 0;
  params.clear();
  currentPredicat = nullptr;
}

void MyCallback::addFormalParameter(int, const string& name, const string&) {
  params.push_back(name);
  currentNbParameter++;
}

void MyCallback::predicateExpression(AST* tree) {
  cout << "   predicate definition (AST) = ";
  tree->prefixExpression(cout);
  cout << endl;
}

void MyCallback::predicateExpression(const string& expr) {
  currentPredicat = new Predicat(expr, currentNbParameter, predicatReference, params);
}

void MyCallback::endPredicate() {
  if (!currentPredicat) throw builderError("predicate " + predicatReference + " has no expression");
  mapRel[predicatReference] = currentPredicat;
}

void MyCallback::endPredicatesSection() {}

void MyCallback::beginConstraintsSection(int) {}

Domain* MyCallback::tupleIndexDomain(const string& relationName, int nbTuples) {
  // A declared domain of that name cannot coexist with the relation (names
  // are unique), so the builder makes the index domain 0..t-1 itself; one
  // per relation, shared by every hidden variable over it.
  auto it = mapDom.find(relationName);
  if (it != mapDom.end()) return it->second;
  Domain* d = new Domain(relationName);
  for (int k = 0; k < nbTuples; k++) d->add(k);
  mapDom[relationName] = d;
  maxDomain = max(maxDomain, nbTuples);
  return d;
}

void MyCallback::beginConstraint(const string& name, int, int arity, const string& reference,
                                 CSPXMLParser::CSPDefinitionType type, int,
                                 const ASTList& scopeList) {
  constraintReference = reference;
  currentConstraintWithArgs = nullptr;
  addRelToConstraint = false;

  int n = scopeList.nbArg();
  if (arity != n)
    throw builderError("constraint " + name + " has arity " + to_string(arity) + " but " +
                       to_string(n) + " variables in its scope");
  vector<Variable*> scopeVars(n);
  for (int i = 0; i < n; i++) {
    const AST& v = scopeList.getArg(i);
    auto it = mapVar.find(v.getVarName());
    if (it == mapVar.end()) throw builderError("symbol " + v.getVarName() + " is undefined");
    scopeVars[i] = it->second;
  }
  maxArity = max(maxArity, arity);

  // The scope array is handed to the constructor, which copies it.
  Variable** scope = scopeVars.data();
  int id = (int)vecCont.size();

  switch (type) {
    case CSPXMLParser::RelationType: {
      Relation* rel = mapRel[reference];
      if (rel->getType() == 2) {
        if (n != 2) throw builderError("constraint " + name + " does not match the arity of relation " + reference);
        vecCont.push_back(new ConstraintExtBin(name, scope, rel, arity, id));
      } else if (RelationExtNDec* dec = dynamic_cast<RelationExtNDec*>(rel)) {
        if (n != dec->arity) throw builderError("constraint " + name + " does not match the arity of relation " + reference);
        Domain* d = tupleIndexDomain(reference, dec->getNbTuples());
        Variable* hidden = new Variable(name, d, ++maxIdVar);
        mapVar[name] = hidden;
        RelationExt** parts = dec->getTabRelation();
        for (int j = 0; j < n; j++) {
          Variable* pair[2] = {scopeVars[j], hidden};
          vecCont.push_back(new ConstraintExtN(name, pair, parts[j], 2, (int)vecCont.size()));
        }
        maxArity = max(maxArity, 2);
      } else {
        RelationExtN* r = dynamic_cast<RelationExtN*>(rel);
        if (!r || n != r->arity) throw builderError("constraint " + name + " does not match the arity of relation " + reference);
        vecCont.push_back(new ConstraintExtN(name, scope, rel, arity, id));
      }
      break;
    }
    case CSPXMLParser::PredicateType: {
      constraintReference = "intention";
      Relation* pred = mapRel[reference];
      if (mergeInt) {
        auto it = mapCont.find(scopeVars);
        if (it != mapCont.end()) {
          addRelToConstraint = true;
          currentConstraintWithArgs = it->second;
          currentRelation = pred;
          break;
        }
      }
      ConstraintInt* c = new ConstraintInt(name, scope, pred, arity, id);
      vecCont.push_back(c);
      mapCont[scopeVars] = c;
      currentConstraintWithArgs = c;
      currentRelation = pred;
      break;
    }
    case CSPXMLParser::GlobalConstraintType: {
      if (reference == "global:alldifferent") {
        vecCont.push_back(new AllDiff(name, scope, arity, id));
      } else if (reference == "global:weightedsum") {
        currentConstraintWithArgs = new WeightedSum(name, scope, arity, id);
        vecCont.push_back(currentConstraintWithArgs);
      } else if (reference == "global:element") {
        currentConstraintWithArgs = new Element(name, scope, arity, id);
        vecCont.push_back(currentConstraintWithArgs);
      }
      // Other globals (cumulative, ...) are not part of the network.
      break;
    }
    default:
      throw builderError("constraint " + name + " references " + reference +
                         ", which is neither a relation, a predicate nor a global constraint");
  }
}

namespace {

// Scope position of v in c, or -1.
int scopePosition(Constraint* c, Variable* v) {
  for (int i = 0; i < c->arity; i++)
    if (c->scope[i] == v) return i;
  return -1;
}

}  // namespace

void MyCallback::constraintParameters(const ASTList& args) {
  if (!currentConstraintWithArgs) return;
  Constraint* c = currentConstraintWithArgs;

  if (constraintReference == "intention") {
    int n = args.nbArg();
    Predicat* pred = static_cast<Predicat*>(currentRelation);
    if (n != (int)pred->getParamList().size())
      throw builderError("constraint " + c->getName() + " gives " + to_string(n) +
                         " parameters to predicate " + pred->getName() + ", which has " +
                         to_string(pred->getParamList().size()));
    // The constraint copies what it keeps of both arrays.
    vector<int> values(n > 0 ? n : 1, 0);
    vector<Variable*> vars(n > 0 ? n : 1, nullptr);
    for (int i = 0; i < n; i++) {
      const AST& a = args.getArg(i);
      if (a.isInteger()) {
        values[i] = a.getInteger();
        vars[i] = nullptr;
      } else if (a.isVar()) {
        auto it = mapVar.find(a.getVarName());
        if (it == mapVar.end() || scopePosition(c, it->second) < 0)
          throw builderError("parameter " + a.getVarName() + " of constraint " + c->getName() +
                             " is not in its scope");
        values[i] = 0;
        vars[i] = it->second;
      } else {
        throw builderError("parameter " + to_string(i) + " of constraint " + c->getName() +
                           " is neither an integer nor a variable");
      }
    }
    if (addRelToConstraint)
      c->addExpr(currentRelation, n, values.data(), vars.data());
    else
      static_cast<ConstraintInt*>(c)->initExpr(n, values.data(), vars.data());
    return;
  }

  if (constraintReference == "global:weightedsum") {
    if (args.nbArg() != 3 || !args.getArg(0).isList())
      throw builderError("constraint " + c->getName() + ": weighted sum parameters must be a list of terms, an operator and a right-hand side");
    const AST& terms = args.getArg(0);
    vector<int> coefs;
    vector<Variable*> vars;
    for (int i = 0; i < terms.nbArg(); i++) {
      const AST& d = terms.getArg(i);
      if (!d.isDict()) throw builderError("constraint " + c->getName() + ": a weighted sum term must be a dictionary");
      const AST& coef = d["coef"];
      const AST& var = d["var"];
      if (!coef.isInteger() || !var.isVar())
        throw builderError("constraint " + c->getName() + ": a weighted sum term needs an integer coef and a variable var");
      auto it = mapVar.find(var.getVarName());
      if (it == mapVar.end() || scopePosition(c, it->second) < 0)
        throw builderError("variable " + var.getVarName() + " of the sum of constraint " + c->getName() + " is not in its scope");
      coefs.push_back(coef.getInteger());
      vars.push_back(it->second);
    }
    int op = 0;
    switch (args.getArg(1).getType()) {
      case CSPXMLParser::SYMB_EQ: op = 5; break;
      case CSPXMLParser::SYMB_NE: op = 6; break;
      case CSPXMLParser::SYMB_GE: op = 3; break;
      case CSPXMLParser::SYMB_GT: op = 4; break;
      case CSPXMLParser::SYMB_LE: op = 1; break;
      case CSPXMLParser::SYMB_LT: op = 2; break;
      default: op = 0;
    }
    const AST& rhs = args.getArg(2);
    int lPart = 0;
    if (rhs.isVar()) {
      auto it = mapVar.find(rhs.getVarName());
      if (it == mapVar.end() || scopePosition(c, it->second) < 0)
        throw builderError("variable " + rhs.getVarName() + " of the sum of constraint " + c->getName() + " is not in its scope");
      coefs.push_back(-1);
      vars.push_back(it->second);
    } else if (rhs.isInteger()) {
      lPart = rhs.getInteger();
    } else {
      throw builderError("constraint " + c->getName() + ": the right-hand side of a weighted sum must be an integer or a variable");
    }
    // Every scope variable must take part in the sum.
    for (int i = 0; i < c->arity; i++)
      if (find(vars.begin(), vars.end(), c->scope[i]) == vars.end())
        throw builderError("variable " + c->scope[i]->getName() + " of the scope of constraint " + c->getName() + " is not in its sum");
    static_cast<WeightedSum*>(c)->initWeightedSum(coefs, vars, op, lPart);
    return;
  }

  if (constraintReference == "global:element") {
    if (args.nbArg() != 3 || !args.getArg(1).isList())
      throw builderError("constraint " + c->getName() + ": element parameters must be an index, a list and a value");
    const AST& list = args.getArg(1);
    int n = list.nbArg();
    int nbE = n + 2;
    bool* isV = new bool[nbE];
    valOrvar* entries = new valOrvar[nbE];
    for (int k = 0; k < nbE; k++) {
      const AST& a = k == 0 ? args.getArg(0) : (k == nbE - 1 ? args.getArg(2) : list.getArg(k - 1));
      if (a.isVar()) {
        auto it = mapVar.find(a.getVarName());
        if (it == mapVar.end() || scopePosition(c, it->second) < 0)
          throw builderError("variable " + a.getVarName() + " of constraint " + c->getName() + " is not in its scope");
        isV[k] = true;
        entries[k].var = it->second;
      } else if (a.isInteger()) {
        isV[k] = false;
        entries[k].val = a.getInteger();
      } else {
        throw builderError("constraint " + c->getName() + ": element entries must be integers or variables");
      }
    }
    static_cast<Element*>(c)->initElement(nbE, isV, entries);
    return;
  }
}

void MyCallback::endConstraint() {}

void MyCallback::endConstraintsSection() {}

void MyCallback::endInstance() {}

void MyCallback::handOver() {
  vecVar.clear();
  for (auto& p : mapVar) vecVar.push_back(p.second);
  stable_sort(vecVar.begin(), vecVar.end(),
              [](Variable* a, Variable* b) { return a->getId() < b->getId(); });
  vecDom.clear();
  for (auto& p : mapDom) vecDom.push_back(p.second);  // the map is in name order
}
