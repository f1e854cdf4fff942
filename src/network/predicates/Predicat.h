#pragma once

#include <memory>
#include <string>
#include <vector>

#include "network/predicates/Expression.h"
#include "network/relations/Relation.h"

// An intensional relation: a named predicate over formal parameters whose
// expression arrives as prefix text, e.g. eq(X/$0,add(Y/$1,1)): lower-case
// function names, arguments separated by commas, each parameter written as
// its name, "/$" and its position.
//
// Text that is not of that form (unknown function, wrong argument count,
// unbalanced parentheses, a parameter without "$" or with a position beyond
// the parameter list, an integer out of the int range) is rejected with a
// std::runtime_error naming the fault.
class Predicat : public Relation {
 public:
  enum TOKEN_ID {
    INTEGER = 0,
    IDENTIFIER = 1,
    NEG = 2,
    ABS = 3,
    ADD = 4,
    SUB = 5,
    MUL = 6,
    DIV = 7,
    MOD = 8,
    POW = 9,
    MIN = 10,
    MAX = 11,
    IF = 12,
    FALSE = 13,
    TRUE = 14,
    NOT = 15,
    AND = 16,
    OR = 17,
    XOR = 18,
    IFF = 19,
    EQ = 20,
    NE = 21,
    GE = 22,
    GT = 23,
    LE = 24,
    LT = 25
  };

  Expression* formuleInit;          // root of the predicate's tree; owned
  std::string name;
  std::vector<std::string> params;  // formal parameter names, by position

  // Raised whenever a division or a remainder by zero is met while
  // evaluating or folding any expression; never reset.
  static bool prob;
  // Raised whenever a power leaves the int range (the result saturates).
  static bool powOverflow;

  // nbA is the number of parameters when p is not given (empty).
  Predicat(const std::string& expr, int nbA, std::string n, std::vector<std::string>& p);
  ~Predicat();
  Predicat(const Predicat&) = delete;
  Predicat& operator=(const Predicat&) = delete;

  Expression* getExpression() { return formuleInit; }
  std::vector<std::string>& getParamList() { return params; }
  // Replaces the tree by the one of expr (the old tree is deleted).
  void initFormule(const std::string& expr);

  // Evaluates the predicate on the parameter values t[0..nbParams-1]
  // (a predicate without parameters ignores t).
  bool isTuple(int* t) override;
  void aff() override;
  std::string getName() override { return name; }
  int state(int, int) override { return 3; }

  // Classification of a token of the upper-cased text.
  static TOKEN_ID tokenToString(const char* tok);
  // Builds a tree from prefix text (letter case is ignored) with at most
  // nbParams parameters (positions 0..nbParams-1); throws
  // std::runtime_error on malformed text.
  static Expression* createFormule(const std::string& expr, int nbParams);

 private:
  int nbParams;  // parameter positions run from 0 to nbParams-1
  // A copy of formuleInit bound to tupleVal/tupleOK, used by isTuple.
  Expression* bound = nullptr;
  std::vector<int> tupleVal;
  std::unique_ptr<bool[]> tupleOK;
  void buildBound();
};
