#pragma once

#include <string>
#include <vector>

#include "network/InfoValueVar.h"
#include "network/constraints/BinarySupportTable.h"
#include "network/constraints/Constraint.h"

class Expression;
class Predicat;

// Intension constraint over a predicate.  The predicate is compiled once
// for the constraint: parameters bound to scope variables read tupleVal,
// constant parameters are folded.  Revision enumerates the live
// combinations of the other variables (residual supports when binary).
class ConstraintInt : public Constraint {
 public:
  Expression* expr;               // compiled predicate, reading tupleVal
  Predicat* predicat;             // the relation
  InfoValueVar** lastSupport[2];  // residual supports (arity 2 only)
  // Actual parameters the constraint was created with (own copies):
  // a variable, or null and the constant value.
  Variable** varCreation;
  int* valCreation;
  int nbEltCreation;
  int* tmpTabVal;
  bool* tmpTabOK;

  static InfoValueVar magicInfo;  // sentinel support: never live

  ConstraintInt(const std::string& name, Variable** scope, Relation* relation, int arity, int id);

  // Compiles the predicate: parameter i is the scope variable vars[i], or
  // the constant values[i] when vars[i] is null.
  void initExpr(int sz, int* values, Variable** vars);
  // Conjoins predicate r (same parameter convention) with the current one.
  void addExpr(Relation* r, int sz, int* values, Variable** vars) override;

  bool tupleExist(int* t) override;
  bool revise(Variable* v, int pos) override;
  bool softRevise(Variable* v, int pos) override;
  bool initTabConflit() override { return false; }
  void switched(int pos) override;
  bool projection(std::vector<unsigned>& out) override;
  Variable* giveAleaVariable() override;
  int giveAleatNumber() override;

  bool existTupleToValueFixe(int nbLibre);
  bool reviseBin(Variable* v, int pos);

  Expression* getExpr() const { return expr; }

 private:
  // Binary constraints: the predicate read once into support tables, on
  // the first binary revision (reset when the predicate changes).
  bool tablesTried = false;
  BinarySupportTable sup;

  // The predicate changed: support tables and residual supports are void.
  void forgetSupports();
  Expression* compileFor(Predicat* p, int sz, int* values, Variable** vars);
  // Evaluates the compiled predicate on tupleVal; an uncompiled constraint
  // (no parameters given yet) accepts everything.
  inline bool evalTuple();
};
