#pragma once

#include "network/constraints/Constraint.h"
#include "propagation/Couple.h"

// Propagation list of arcs.  Each arc (c, pos) owns the membership flag
// tabCont[c->indCont + pos], so an arc is present at most once and the list
// never holds more than Constraint::numero entries.
class ListPropagate {
 public:
  explicit ListPropagate(int size);
  virtual ~ListPropagate();

  virtual bool isEmpty() = 0;
  virtual Couple& pop() = 0;
  virtual void push(Constraint* c, Variable* v, int position) = 0;
  virtual void clean() = 0;
  virtual void showListPropagate() = 0;

  // Pushes the arc unless it is already in the list.
  inline void add(Constraint* c, Variable* v, int position) {
    if (!tabCont[c->getIndCont() + position]) push(c, v, position);
  }

  inline bool contains(Constraint* c, int position) const {
    return tabCont[c->getIndCont() + position];
  }

  // Clears every flag and empties the list.
  void reinit();
  // Pops every remaining arc.  While every flag set belongs to an arc in
  // the list (true unless clean() was called alone), this has the effect of
  // reinit() at a cost proportional to the remaining arcs.
  void drain() {
    while (!isEmpty()) pop();
    clean();
  }

  int getSize() const { return sz; }

 protected:
  Couple* data;
  bool* tabCont;
  int sz;

 private:
  ListPropagate(const ListPropagate&) = delete;
  ListPropagate& operator=(const ListPropagate&) = delete;
};

// Last in, first out.
class ListPropagateStack : public ListPropagate {
 public:
  explicit ListPropagateStack(int size);
  bool isEmpty() override { return pos == 0; }
  Couple& pop() override;
  void push(Constraint* c, Variable* v, int position) override;
  void clean() override { pos = 0; }
  void showListPropagate() override;

 private:
  int pos;
};

// Circular first in, first out queue (the default discipline).  Final and
// inline, so that the engine's loop over a queue needs no virtual call.
class ListPropagateQueue final : public ListPropagate {
 public:
  explicit ListPropagateQueue(int size);
  bool isEmpty() override { return head == tail; }
  Couple& pop() override {
    Couple& e = data[head];
    if (++head == sz) head = 0;
    tabCont[e.c->indCont + e.position] = false;
    return e;
  }
  void push(Constraint* c, Variable* v, int position) override {
    Couple& e = data[tail];
    if (++tail == sz) tail = 0;
    e.c = c;
    e.v = v;
    e.position = position;
    tabCont[c->indCont + position] = true;
  }
  inline void add(Constraint* c, Variable* v, int position) {
    if (!tabCont[c->indCont + position]) push(c, v, position);
  }
  void clean() override { head = tail = 0; }
  void showListPropagate() override;

 private:
  int head, tail;
};

// Two circular queues: arcs of constraints that already removed values
// (active) are served before the others.
class ListPropagateDoubleQueue : public ListPropagate {
 public:
  explicit ListPropagateDoubleQueue(int size);
  ~ListPropagateDoubleQueue() override;
  bool isEmpty() override {
    return headActive == tailActive && headUnactive == tailUnactive;
  }
  Couple& pop() override;
  void push(Constraint* c, Variable* v, int position) override;
  void clean() override { headActive = tailActive = headUnactive = tailUnactive = 0; }
  void showListPropagate() override;

 private:
  Couple* dataUnactive;
  int headActive, tailActive, headUnactive, tailUnactive;
};
