#pragma once

class Constraint;
class Variable;

// One arc of the propagation list: revise variable v (at scope position
// `position`) against constraint c.
class Couple {
 public:
  Couple() : c(nullptr), v(nullptr), position(0) {}
  Couple(Constraint* cc, Variable* vv, int p) : c(cc), v(vv), position(p) {}

  Constraint* c;
  Variable* v;
  int position;
};
