#include "network/predicates/Expression.h"

#include <cstdint>
#include <iostream>

#include "network/predicates/FlatExpression.h"
#include "network/predicates/Predicat.h"

namespace {

inline bool isConst(Expression* e) { return dynamic_cast<ValueInt*>(e) != nullptr; }
inline int constVal(Expression* e) { return static_cast<ValueInt*>(e)->val; }

// Compiles a child either against new addresses or, when newAdrVal is null,
// keeping the parameters' own addresses.
inline Expression* compileChild(Expression* e, int** newAdrVal, bool** newAdrOK) {
  return newAdrVal ? e->compileTree(newAdrVal, newAdrOK) : e->compileTree();
}

// The operand of a folded conjunction or disjunction, read as a truth value.
Expression* asTruth(Expression* e) {
  if (e->isBoolean()) return e;
  return new Ne(e, new ValueInt(0));
}

void appendInt(std::string& s, int v) { s += std::to_string(v); }

}  // namespace

// ---- arithmetic ------------------------------------------------------------

int ExprArith::pow(int a, int b) {
  if (b == 0) return 1;
  if (a == 1) return 1;
  if (a == -1) return (b & 1) ? -1 : 1;
  if (b < 0) return 0;  // |a^b| < 1 truncates to 0; pow(0,-k) is taken as 0
  if (a == 0) return 0;
  const bool negative = a < 0 && (b & 1);
  // |a| >= 2: exact product by repeated squaring while it fits in an int.
  int64_t x = a, r = 1;
  unsigned n = static_cast<unsigned>(b);
  for (;;) {
    if (n & 1) {
      r *= x;
      if (r > INT_MAX || r < INT_MIN) break;
    }
    n >>= 1;
    if (n == 0) return static_cast<int>(r);
    x *= x;
    if (x > INT_MAX) break;
  }
  Predicat::powOverflow = true;
  return negative ? INT_MIN : INT_MAX;
}

// ---- base defaults ---------------------------------------------------------

bool Expression::isValuable(bool**) { return false; }
bool Expression::isValuable() { return false; }
Expression* Expression::compile(int** newAdrVal, bool** newAdrOK) {
  return FlatExpression::wrap(compileTree(newAdrVal, newAdrOK));
}
Expression* Expression::compile() { return FlatExpression::wrap(compileTree()); }

// ---- leaves ----------------------------------------------------------------

void ValueInt::aff() { std::cout << val; }
bool ValueInt::isValuable(bool**) { return true; }
bool ValueInt::isValuable() { return true; }
bool ValueInt::isValuable(int& v) {
  v = val;
  return true;
}
Expression* ValueInt::compileTree(int**, bool**) { return new ValueInt(val); }
Expression* ValueInt::compileTree() { return new ValueInt(val); }
void ValueInt::putInString(std::string& s) { appendInt(s, val); }

void ValueIden::aff() {
  if (isAffect && *isAffect)
    std::cout << *adrv;
  else
    std::cout << "X" << idValue;
}
bool ValueIden::isValuable(bool** newAdrOK) { return *newAdrOK[idValue]; }
bool ValueIden::isValuable() { return isAffect && *isAffect; }
bool ValueIden::isValuable(int& v) {
  if (!(isAffect && *isAffect)) return false;
  v = *adrv;
  return true;
}
Expression* ValueIden::compileTree(int** newAdrVal, bool** newAdrOK) {
  if (*newAdrOK[idValue]) return new ValueInt(*newAdrVal[idValue]);
  return new ValueIden(idValue, newAdrVal[idValue], newAdrOK[idValue]);
}
Expression* ValueIden::compileTree() {
  if (isAffect && *isAffect) return new ValueInt(*adrv);
  // The position is kept so that the copy can itself be compiled again.
  return new ValueIden(idValue, adrv, isAffect);
}
void ValueIden::putInString(std::string& s) {
  if (isAffect && *isAffect) {
    appendInt(s, *adrv);
  } else {
    s += 'X';
    appendInt(s, idValue);
  }
}

void True::aff() { std::cout << "true"; }
Expression* True::compileTree(int**, bool**) { return new ValueInt(1); }
Expression* True::compileTree() { return new ValueInt(1); }
void False::aff() { std::cout << "false"; }
Expression* False::compileTree(int**, bool**) { return new ValueInt(0); }
Expression* False::compileTree() { return new ValueInt(0); }

// ---- unary nodes -----------------------------------------------------------

bool UnaryExpression::isValuable(int& v) {
  int a;
  if (!expr->isValuable(a)) return false;
  v = apply(a);
  return true;
}
Expression* UnaryExpression::fold(Expression* c) {
  if (isConst(c)) {
    int v = apply(constVal(c));
    delete c;
    return new ValueInt(v);
  }
  return make(c);
}
Expression* UnaryExpression::compileTree(int** newAdrVal, bool** newAdrOK) {
  return fold(compileChild(expr, newAdrVal, newAdrOK));
}
Expression* UnaryExpression::compileTree() { return compileTree(nullptr, nullptr); }
void UnaryExpression::aff() {
  std::cout << prefixName() << "(";
  expr->aff();
  std::cout << ")";
}

void Neg::putInString(std::string& s) {
  int v;
  if (isValuable(v)) {
    appendInt(s, v);
    return;
  }
  s += '-';
  expr->putInString(s);
}

void Abs::putInString(std::string& s) {
  int v;
  if (isValuable(v)) {
    appendInt(s, v);
    return;
  }
  s += '|';
  expr->putInString(s);
  s += '|';
}

void Not::aff() {
  std::cout << "not(";
  expr1->aff();
  std::cout << ")";
}
bool Not::isValuable(int& v) {
  int a;
  if (!expr1->isValuable(a)) return false;
  v = a == 0;
  return true;
}
Expression* Not::fold(Expression* c) {
  if (isConst(c)) {
    int v = constVal(c) == 0;
    delete c;
    return new ValueInt(v);
  }
  return new Not(c);
}
Expression* Not::compileTree(int** newAdrVal, bool** newAdrOK) {
  return fold(compileChild(expr1, newAdrVal, newAdrOK));
}
Expression* Not::compileTree() { return compileTree(nullptr, nullptr); }
void Not::putInString(std::string& s) {
  int v;
  if (isValuable(v)) {
    appendInt(s, v);
    return;
  }
  s += '!';
  expr1->putInString(s);
}

// ---- binary nodes ----------------------------------------------------------

bool BinaryExpression::isValuable(int& v) {
  int a, b;
  bool okA = expr1->isValuable(a);
  bool okB = expr2->isValuable(b);
  if (!okA || !okB) return false;
  v = apply(a, b);
  return true;
}
Expression* BinaryExpression::fold(Expression* a, Expression* b) {
  if (isConst(a) && isConst(b)) {
    int v = apply(constVal(a), constVal(b));
    delete a;
    delete b;
    return new ValueInt(v);
  }
  return make(a, b);
}
Expression* BinaryExpression::compileTree(int** newAdrVal, bool** newAdrOK) {
  Expression* a = compileChild(expr1, newAdrVal, newAdrOK);
  Expression* b = compileChild(expr2, newAdrVal, newAdrOK);
  return fold(a, b);
}
Expression* BinaryExpression::compileTree() { return compileTree(nullptr, nullptr); }
void BinaryExpression::aff() {
  std::cout << prefixName() << "(";
  expr1->aff();
  std::cout << ",";
  expr2->aff();
  std::cout << ")";
}
void BinaryExpression::putInString(std::string& s) {
  int v;
  if (isValuable(v)) {
    appendInt(s, v);
    return;
  }
  expr1->putInString(s);
  s += infixName();
  expr2->putInString(s);
}

int Div::eval() {
  int b = expr2->eval();
  if (b == 0) {
    Predicat::prob = true;
    return 0;
  }
  return ExprArith::div(expr1->eval(), b);
}
int Div::apply(int a, int b) const {
  if (b == 0) {
    Predicat::prob = true;
    return 0;
  }
  return ExprArith::div(a, b);
}
Expression* Div::fold(Expression* a, Expression* b) {
  if (isConst(b) && constVal(b) == 0) {
    Predicat::prob = true;
    return make(a, b);
  }
  return BinaryExpression::fold(a, b);
}

int Mod::eval() {
  int b = expr2->eval();
  if (b == 0) {
    Predicat::prob = true;
    return 0;
  }
  return ExprArith::mod(expr1->eval(), b);
}
int Mod::apply(int a, int b) const {
  if (b == 0) {
    Predicat::prob = true;
    return 0;
  }
  return ExprArith::mod(a, b);
}
Expression* Mod::fold(Expression* a, Expression* b) {
  if (isConst(b) && constVal(b) == 0) {
    Predicat::prob = true;
    return make(a, b);
  }
  return BinaryExpression::fold(a, b);
}

Expression* And::compileTree(int** newAdrVal, bool** newAdrOK) {
  Expression* a = compileChild(expr1, newAdrVal, newAdrOK);
  if (isConst(a) && constVal(a) == 0) {
    delete a;
    return new ValueInt(0);
  }
  Expression* b = compileChild(expr2, newAdrVal, newAdrOK);
  const bool ca = isConst(a), cb = isConst(b);
  if (cb && constVal(b) == 0) {
    delete a;
    delete b;
    return new ValueInt(0);
  }
  if (ca && cb) {
    delete a;
    delete b;
    return new ValueInt(1);
  }
  if (ca) {  // a constant true operand leaves the other one
    delete a;
    return asTruth(b);
  }
  if (cb) {
    delete b;
    return asTruth(a);
  }
  return new And(a, b);
}
Expression* And::compileTree() { return compileTree(nullptr, nullptr); }

Expression* Or::compileTree(int** newAdrVal, bool** newAdrOK) {
  Expression* a = compileChild(expr1, newAdrVal, newAdrOK);
  if (isConst(a) && constVal(a) != 0) {
    delete a;
    return new ValueInt(1);
  }
  Expression* b = compileChild(expr2, newAdrVal, newAdrOK);
  const bool ca = isConst(a), cb = isConst(b);
  if (cb && constVal(b) != 0) {
    delete a;
    delete b;
    return new ValueInt(1);
  }
  if (ca && cb) {
    delete a;
    delete b;
    return new ValueInt(0);
  }
  if (ca) {  // a constant false operand leaves the other one
    delete a;
    return asTruth(b);
  }
  if (cb) {
    delete b;
    return asTruth(a);
  }
  return new Or(a, b);
}
Expression* Or::compileTree() { return compileTree(nullptr, nullptr); }

// ---- conditional -----------------------------------------------------------

void If::aff() {
  std::cout << "if(";
  expr1->aff();
  std::cout << ",";
  expr2->aff();
  std::cout << ",";
  expr3->aff();
  std::cout << ")";
}
bool If::isValuable(int& v) {
  int c;
  if (!expr1->isValuable(c)) return false;
  return c ? expr2->isValuable(v) : expr3->isValuable(v);
}
Expression* If::fold(Expression* c, Expression* a, Expression* b) {
  if (isConst(c) && isConst(a) && isConst(b)) {
    int v = constVal(c) ? constVal(a) : constVal(b);
    delete c;
    delete a;
    delete b;
    return new ValueInt(v);
  }
  return new If(c, a, b);
}
Expression* If::compileTree(int** newAdrVal, bool** newAdrOK) {
  Expression* c = compileChild(expr1, newAdrVal, newAdrOK);
  Expression* a = compileChild(expr2, newAdrVal, newAdrOK);
  Expression* b = compileChild(expr3, newAdrVal, newAdrOK);
  return fold(c, a, b);
}
Expression* If::compileTree() { return compileTree(nullptr, nullptr); }
void If::putInString(std::string& s) {
  int v;
  if (isValuable(v)) {
    appendInt(s, v);
    return;
  }
  s += 'i';
  expr1->putInString(s);
  s += 't';
  expr2->putInString(s);
  s += 'e';
  expr3->putInString(s);
}
