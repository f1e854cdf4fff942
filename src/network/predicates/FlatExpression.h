#pragma once

#include <string>
#include <vector>

#include "network/predicates/Expression.h"

// A compiled expression ready for the checks of the solvers: the folded tree
// (kept for the text forms and the valuability questions) together with the
// same expression as one contiguous postfix program run by a small
// interpreter over a value stack, so that an evaluation is a single loop
// over an array instead of one virtual call per node.  Nothing is allocated
// by eval(); the stack is sized when the program is built.
//
// The program gives exactly the values of the tree's own eval(), with the
// same short-circuits (and, or, if, and the divisor of div and mod first).
class FlatExpression : public Expression {
 public:
  using Expression::isValuable;

  struct Instr {
    int op;
    int arg;   // constant, or jump target
    int* ptr;  // parameter slot
    Expression* node;  // fallback: a node evaluated through its own eval()
  };

  Expression* tree;  // owned
  std::vector<Instr> code;

  // Builds the program of t and takes ownership of t.
  explicit FlatExpression(Expression* t);
  ~FlatExpression() override;
  FlatExpression(const FlatExpression&) = delete;
  FlatExpression& operator=(const FlatExpression&) = delete;

  // t itself when it is a leaf, otherwise a FlatExpression over t.
  static Expression* wrap(Expression* t);

  int eval() override;
  void aff() override { tree->aff(); }
  bool isValuable(bool** newAdrOK) override { return tree->isValuable(newAdrOK); }
  bool isValuable() override { return tree->isValuable(); }
  bool isValuable(int& v) override { return tree->isValuable(v); }
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override {
    return tree->compileTree(newAdrVal, newAdrOK);
  }
  Expression* compileTree() override { return tree->compileTree(); }
  void putInString(std::string& s) override { tree->putInString(s); }
  bool isBoolean() const override { return tree->isBoolean(); }

 private:
  std::vector<int> stack;
  int maxDepth = 0;
  void emit(Expression* e, int depth);
  void push(int op, int depth, int arg = 0, int* ptr = nullptr, Expression* node = nullptr);
};
