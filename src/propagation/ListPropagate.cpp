#include "propagation/ListPropagate.h"

#include <cstring>
#include <iostream>

#include "network/Variable.h"

using std::cout;
using std::endl;

ListPropagate::ListPropagate(int size) : sz(size) {
  if (sz < 1) sz = 1;
  data = new Couple[sz];
  tabCont = new bool[sz]();
}

ListPropagate::~ListPropagate() {
  delete[] data;
  delete[] tabCont;
}

void ListPropagate::reinit() {
  std::memset(tabCont, 0, sz * sizeof(bool));
  clean();
}

// ---------------------------------------------------------------- stack

ListPropagateStack::ListPropagateStack(int size) : ListPropagate(size), pos(0) {}

Couple& ListPropagateStack::pop() {
  pos--;
  Couple& e = data[pos];
  tabCont[e.c->getIndCont() + e.position] = false;
  return e;
}

void ListPropagateStack::push(Constraint* c, Variable* v, int position) {
  Couple& e = data[pos++];
  e.c = c;
  e.v = v;
  e.position = position;
  tabCont[c->getIndCont() + position] = true;
}

void ListPropagateStack::showListPropagate() {
  for (int i = 0; i < pos; i++)
    cout << "heap: cont = " << data[i].c->getName() << " var = " << data[i].v->getName()
         << " pos = " << data[i].position << endl;
}

// ---------------------------------------------------------------- queue

ListPropagateQueue::ListPropagateQueue(int size) : ListPropagate(size), head(0), tail(0) {}

void ListPropagateQueue::showListPropagate() {
  for (int i = head; i != tail; i = (i + 1) % sz) {
    cout << "queued: cont = " << data[i].c->getName() << " var = " << data[i].v->getName()
         << " pos = " << data[i].position << "/ ";
    data[i].v->aff();
  }
}

// ---------------------------------------------------------- double queue

ListPropagateDoubleQueue::ListPropagateDoubleQueue(int size)
    : ListPropagate(size), headActive(0), tailActive(0), headUnactive(0), tailUnactive(0) {
  dataUnactive = new Couple[sz];
}

ListPropagateDoubleQueue::~ListPropagateDoubleQueue() { delete[] dataUnactive; }

Couple& ListPropagateDoubleQueue::pop() {
  Couple* e;
  if (headActive != tailActive) {
    e = &data[headActive];
    if (++headActive == sz) headActive = 0;
  } else {
    e = &dataUnactive[headUnactive];
    if (++headUnactive == sz) headUnactive = 0;
  }
  tabCont[e->c->getIndCont() + e->position] = false;
  return *e;
}

void ListPropagateDoubleQueue::push(Constraint* c, Variable* v, int position) {
  Couple* e;
  if (c->isActive()) {
    e = &data[tailActive];
    if (++tailActive == sz) tailActive = 0;
  } else {
    e = &dataUnactive[tailUnactive];
    if (++tailUnactive == sz) tailUnactive = 0;
  }
  e->c = c;
  e->v = v;
  e->position = position;
  tabCont[c->getIndCont() + position] = true;
}

void ListPropagateDoubleQueue::showListPropagate() { cout << "TODO" << endl; }
