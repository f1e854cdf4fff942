#include "propagation/LocalConsistancyAC.h"

#include <ctime>
#include <iostream>

#include "network/relations/RelationExtN.h"

using std::cerr;
using std::endl;

// Processor seconds used by the process.
static double processorSeconds() { return (double)clock() / 1000000.0; }

LocalConsistancyAC::LocalConsistancyAC(const std::vector<Constraint*>& vecC,
                                       const std::vector<Variable*>& vecV, int maxA, int maxD)
    : vecCont(vecC),
      vecVar(vecV),
      lPropagate(nullptr),
      queue(nullptr),
      methodLPropagate(2),
      tuple(nullptr),
      maxArity(maxA),
      maxDom(maxD),
      preprosOK(false),
      decisionLevel(0),
      nbDecision(0),
      nbChecks(0),
      diffModified(false) {
  tuple = new int[maxArity > 0 ? maxArity : 1];
  RelationExtN::initBigTable(maxArity);
  lPropagate = queue = new ListPropagateQueue(Constraint::numero + 10);
}

LocalConsistancyAC::~LocalConsistancyAC() {
  delete lPropagate;
  delete[] tuple;
}

void LocalConsistancyAC::setLPropagate(int method) {
  delete lPropagate;
  lPropagate = queue = nullptr;
  int size = Constraint::numero + 10;
  switch (method) {
    case 1:
      lPropagate = new ListPropagateStack(size);
      break;
    case 3:
      lPropagate = new ListPropagateDoubleQueue(size);
      break;
    default:
      method = 2;
      lPropagate = queue = new ListPropagateQueue(size);
      break;
  }
  methodLPropagate = method;
}

void LocalConsistancyAC::ensureListCapacity() {
  if (Constraint::numero + 10 > lPropagate->getSize()) setLPropagate(methodLPropagate);
}

void LocalConsistancyAC::addConstraint(Constraint* c) {
  vecCont.push_back(c);
  if (c->indCont + c->arity > lPropagate->getSize()) setLPropagate(methodLPropagate);
}

void LocalConsistancyAC::removeConstraint(Constraint* c) {
  for (size_t i = 0; i < vecCont.size(); i++)
    if (vecCont[i] == c) {
      vecCont[i] = vecCont.back();
      vecCont.pop_back();
      return;
    }
}

void LocalConsistancyAC::increase(Constraint* c) {
  if (c->bumpScore() > 1e20) {
    for (Constraint* o : vecCont) o->decreaseScore();
    Constraint::weightUp *= 1e-20;
  }
}

template <class L>
bool LocalConsistancyAC::propagateT(L* lp) {
  while (!lp->isEmpty()) {
    Couple& e = lp->pop();
    Constraint* c = e.c;
    Variable* v = e.v;
    if (!c->revise(v, e.position)) continue;
    c->active = true;
    if (v->sizeDom == 0) {
      increase(c);
      return true;
    }
    addNearT(lp, v);
  }
  return false;
}

template <class L>
bool LocalConsistancyAC::propagateDiffT(L* lp) {
  while (!lp->isEmpty()) {
    Couple& e = lp->pop();
    Constraint* c = e.c;
    Variable* v = e.v;
    if (!c->revise(v, e.position)) continue;
    if (!diffModified && (int)v->infoCurrent->header.posInVar >= v->sizeDom) diffModified = true;
    if (v->sizeDom == 0) {
      c->score += Constraint::weightUp;
      return true;
    }
    addNearT(lp, v);
  }
  return false;
}

bool LocalConsistancyAC::propagate() {
  return queue ? propagateT(queue) : propagateT(lPropagate);
}

bool LocalConsistancyAC::propagateDiff() {
  return queue ? propagateDiffT(queue) : propagateDiffT(lPropagate);
}

void LocalConsistancyAC::pushNewVariable(bool sigTrue, int posV, Variable* var) {
  nbDecision++;
  decisionLevel++;
  for (Variable* x : vecVar) x->pushSize();
  if (sigTrue)
    var->onlyInfoVal(posV);
  else
    var->removeInfoVal(posV);
  addNear(var);
}

void LocalConsistancyAC::cancelUntil(int level) {
  if (level == decisionLevel) return;
  decisionLevel = level;
  for (Variable* x : vecVar) x->backTrack(level);
}

void LocalConsistancyAC::cancelUntilDiff(int level) {
  decisionLevel = level;
  for (Variable* x : vecVar) x->backTrackDiff(level);
}

bool LocalConsistancyAC::initPrepros(bool verb) {
  double t0 = processorSeconds();
  if (verb) cerr << "c The prepros is performing:";
  bool ok = true;
  for (size_t i = 0; i < vecCont.size(); i++) {
    if (processorSeconds() - t0 >= 20) break;
    if (ok) ok = vecCont[i]->initTabConflit();
  }
  if (verb) cerr << "  : finish = " << processorSeconds() << "s." << " : " << (ok ? 1 : 0) << endl;
  return ok && processorSeconds() < 20;
}

int LocalConsistancyAC::init(bool verb) {
  ensureListCapacity();
  lPropagate->reinit();

  if (verb) {
    preprosOK = initPrepros(true);
    cerr << "c Arc consistency on unary constraints : ";
  }

  bool wiped = false;
  for (Constraint* c : vecCont)
    if (c->arity == 1) {
      c->reviseUnary();
      if (c->scope[0]->sizeDom == 0) wiped = true;
    }
  if (wiped) return 1;

  if (verb) cerr << "finished" << endl << "c Arc consistency is performing : ";

  for (Variable* x : vecVar) addNear(x);
  if (propagate()) return 1;

  if (verb) {
    cerr << "propagate = " << (preprosOK ? 1 : 0) << ", tps = " << processorSeconds() << "s."
         << endl;
    cerr << "c SAC is performing : " << "initialization finished " << 2 << endl;
  }

  for (Variable* x : vecVar) x->sortInfo();

  if (verb && preprosOK)
    for (Constraint* c : vecCont)
      if (c->arity >= 1) c->initTabVarConflict();

  return 2;
}

long long LocalConsistancyAC::getNbValInit() const {
  long long n = 0;
  for (Variable* x : vecVar) n += x->initSize;
  return n;
}

long long LocalConsistancyAC::getNbValDelete() const {
  long long n = 0;
  for (Variable* x : vecVar) n += x->initSize - x->sizeDom;
  return n;
}
