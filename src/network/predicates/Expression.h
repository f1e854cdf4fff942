#pragma once

#include <climits>
#include <cstdint>
#include <string>

// Evaluable expression trees of intensional predicates.
//
// A predicate's own tree has parameter leaves without value addresses; a
// constraint asks for a compiled copy (compile(newAdrVal, newAdrOK)) whose
// parameter leaves read the constraint's value slots, with the parameters
// bound to constants folded away, and evaluates that copy for each tuple.
//
// Arithmetic is 32-bit and wraps; division and remainder by zero give 0 and
// raise Predicat::prob; pow is exact and saturates at INT_MIN/INT_MAX.  The
// Boolean operators read their operands as non-zero = true and give 0 or 1,
// both when evaluating and when folding, so a predicate accepts the same
// tuples whether a parameter is a constant or a variable.
class Expression {
 public:
  virtual ~Expression() {}

  virtual int eval() = 0;
  // Prefix form with lower-case names on standard output.
  virtual void aff() = 0;
  // Constant with respect to the given is-assigned flags.
  virtual bool isValuable(bool** newAdrOK);
  // Constant now.
  virtual bool isValuable();
  // Value computable with the parameters assigned so far (stored in v).
  virtual bool isValuable(int& v) = 0;
  // Simplified copy with parameter p bound to *newAdrVal[p] / *newAdrOK[p];
  // unless it is a leaf, the copy is a FlatExpression over the folded tree.
  virtual Expression* compile(int** newAdrVal, bool** newAdrOK);
  // Simplified copy keeping the parameters' own addresses.
  virtual Expression* compile();
  // Appends a compact text of the node (no blanks, no parentheses).
  virtual void putInString(std::string& s) = 0;
  // Whether the node always gives 0 or 1 (comparisons, Boolean operators).
  virtual bool isBoolean() const { return false; }
  // The folded copy as a plain tree (what compile wraps).
  virtual Expression* compileTree(int** newAdrVal, bool** newAdrOK) = 0;
  virtual Expression* compileTree() = 0;
};

// The 32-bit operations shared by evaluation and folding.  Nothing here is
// undefined behaviour: overflow wraps, x/0 and x%0 give 0 and raise
// Predicat::prob, INT_MIN/-1 wraps to INT_MIN and INT_MIN%-1 is 0.
namespace ExprArith {
inline int wrap(uint32_t u) { return static_cast<int>(u); }
inline int neg(int a) { return wrap(0u - static_cast<uint32_t>(a)); }
inline int abs(int a) { return a < 0 ? neg(a) : a; }
inline int add(int a, int b) { return wrap(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
inline int sub(int a, int b) { return wrap(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
inline int mul(int a, int b) { return wrap(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }
// Division truncated toward zero, b != 0.
inline int div(int a, int b) { return (b == -1) ? neg(a) : a / b; }
// Remainder with the sign of a, b != 0.
inline int mod(int a, int b) { return (b == -1) ? 0 : a % b; }
// Exact integer power; results beyond the int range saturate to INT_MAX or
// INT_MIN (and raise Predicat::powOverflow).  A negative exponent gives the
// value truncated toward zero: 1 for base 1, +-1 for base -1, 0 otherwise
// (base 0 included).  pow(0,0) is 1.
int pow(int a, int b);
inline int min(int a, int b) { return a < b ? a : b; }
inline int max(int a, int b) { return a > b ? a : b; }
inline int truth(int a) { return a != 0; }
}  // namespace ExprArith

// ---- leaves ----------------------------------------------------------------

class ValueInt : public Expression {
 public:
  int val;
  explicit ValueInt(int v) : val(v) {}
  int eval() override { return val; }
  void aff() override;
  bool isValuable(bool** newAdrOK) override;
  bool isValuable() override;
  bool isValuable(int& v) override;
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void putInString(std::string& s) override;
};

class ValueIden : public Expression {
 public:
  int* adrv;       // the parameter's value (null in a predicate's own tree)
  bool* isAffect;  // its is-assigned flag (null in a predicate's own tree)
  int idValue;     // the parameter's position
  ValueIden(int id, int* av = nullptr, bool* af = nullptr) : adrv(av), isAffect(af), idValue(id) {}
  int eval() override { return *adrv; }
  void aff() override;
  bool isValuable(bool** newAdrOK) override;
  bool isValuable() override;
  bool isValuable(int& v) override;
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void putInString(std::string& s) override;
};

class True : public Expression {
 public:
  using Expression::isValuable;
  int eval() override { return 1; }
  void aff() override;
  bool isValuable(int& v) override { v = 1; return true; }
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void putInString(std::string& s) override { s += 'T'; }
  bool isBoolean() const override { return true; }
};

class False : public Expression {
 public:
  using Expression::isValuable;
  int eval() override { return 0; }
  void aff() override;
  bool isValuable(int& v) override { v = 0; return true; }
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void putInString(std::string& s) override { s += 'F'; }
  bool isBoolean() const override { return true; }
};

// ---- unary nodes -----------------------------------------------------------

// Shared folding and text for Neg and Abs (field `expr`).
class UnaryExpression : public Expression {
 public:
  using Expression::isValuable;
  Expression* expr;
  explicit UnaryExpression(Expression* e) : expr(e) {}
  ~UnaryExpression() override { delete expr; }
  virtual int apply(int a) const = 0;
  virtual UnaryExpression* make(Expression* e) const = 0;
  virtual const char* prefixName() const = 0;
  bool isValuable(int& v) override;
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void aff() override;
 protected:
  Expression* fold(Expression* c);
};

class Neg : public UnaryExpression {
 public:
  explicit Neg(Expression* e) : UnaryExpression(e) {}
  int eval() override { return ExprArith::neg(expr->eval()); }
  int apply(int a) const override { return ExprArith::neg(a); }
  UnaryExpression* make(Expression* e) const override { return new Neg(e); }
  const char* prefixName() const override { return "neg"; }
  void putInString(std::string& s) override;
};

class Abs : public UnaryExpression {
 public:
  explicit Abs(Expression* e) : UnaryExpression(e) {}
  int eval() override { return ExprArith::abs(expr->eval()); }
  int apply(int a) const override { return ExprArith::abs(a); }
  UnaryExpression* make(Expression* e) const override { return new Abs(e); }
  const char* prefixName() const override { return "abs"; }
  void putInString(std::string& s) override;
};

class Not : public Expression {
 public:
  using Expression::isValuable;
  Expression* expr1;
  explicit Not(Expression* e) : expr1(e) {}
  ~Not() override { delete expr1; }
  int eval() override { return expr1->eval() == 0; }
  void aff() override;
  bool isValuable(int& v) override;
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void putInString(std::string& s) override;
  bool isBoolean() const override { return true; }
 private:
  Expression* fold(Expression* c);
};

// ---- binary nodes ----------------------------------------------------------

// Shared folding and text for the binary nodes (fields `expr1`, `expr2`).
// apply() is the folded value of two constants; eval() of each class is its
// own, non-allocating, override.
class BinaryExpression : public Expression {
 public:
  using Expression::isValuable;
  Expression* expr1;
  Expression* expr2;
  BinaryExpression(Expression* a, Expression* b) : expr1(a), expr2(b) {}
  ~BinaryExpression() override {
    delete expr1;
    delete expr2;
  }
  virtual int apply(int a, int b) const = 0;
  virtual BinaryExpression* make(Expression* a, Expression* b) const = 0;
  virtual const char* prefixName() const = 0;
  virtual const char* infixName() const = 0;
  bool isValuable(int& v) override;
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void aff() override;
  void putInString(std::string& s) override;
 protected:
  // Builds the node over compiled children, folding two constants.
  virtual Expression* fold(Expression* a, Expression* b);
};

#define VANTOR_BINARY_NODE(Cls, pre, inf, applyExpr, evalBody, boolean) \
  class Cls : public BinaryExpression {                                   \
   public:                                                                \
    Cls(Expression* a, Expression* b) : BinaryExpression(a, b) {}         \
    int eval() override evalBody                                          \
    int apply(int a, int b) const override { return applyExpr; }         \
    BinaryExpression* make(Expression* a, Expression* b) const override { \
      return new Cls(a, b);                                               \
    }                                                                     \
    const char* prefixName() const override { return pre; }               \
    const char* infixName() const override { return inf; }                \
    bool isBoolean() const override { return boolean; }                   \
  };

#define VANTOR_EVAL2(op) { return op(expr1->eval(), expr2->eval()); }

VANTOR_BINARY_NODE(Add, "add", "+", ExprArith::add(a, b), VANTOR_EVAL2(ExprArith::add), false)
VANTOR_BINARY_NODE(Sub, "sub", "-", ExprArith::sub(a, b), VANTOR_EVAL2(ExprArith::sub), false)
VANTOR_BINARY_NODE(Mul, "mul", "*", ExprArith::mul(a, b), VANTOR_EVAL2(ExprArith::mul), false)
VANTOR_BINARY_NODE(Pow, "pow", "^", ExprArith::pow(a, b), VANTOR_EVAL2(ExprArith::pow), false)
VANTOR_BINARY_NODE(Min, "min", "m", ExprArith::min(a, b), VANTOR_EVAL2(ExprArith::min), false)
VANTOR_BINARY_NODE(Max, "max", "M", ExprArith::max(a, b), VANTOR_EVAL2(ExprArith::max), false)
VANTOR_BINARY_NODE(Eq, "eq", "=", a == b, { return expr1->eval() == expr2->eval(); }, true)
VANTOR_BINARY_NODE(Ne, "ne", "ne", a != b, { return expr1->eval() != expr2->eval(); }, true)
VANTOR_BINARY_NODE(Ge, "ge", ">=", a >= b, { return expr1->eval() >= expr2->eval(); }, true)
VANTOR_BINARY_NODE(Gt, "gt", ">", a > b, { return expr1->eval() > expr2->eval(); }, true)
VANTOR_BINARY_NODE(Le, "le", "<=", a <= b, { return expr1->eval() <= expr2->eval(); }, true)
VANTOR_BINARY_NODE(Lt, "lt", "<", a < b, { return expr1->eval() < expr2->eval(); }, true)
VANTOR_BINARY_NODE(Xor, "xor", "x", (a != 0) != (b != 0),
                   { return (expr1->eval() != 0) != (expr2->eval() != 0); }, true)
VANTOR_BINARY_NODE(Iff, "iff", "#", (a != 0) == (b != 0),
                   { return (expr1->eval() != 0) == (expr2->eval() != 0); }, true)

#undef VANTOR_EVAL2
#undef VANTOR_BINARY_NODE

// Division and remainder: the divisor is evaluated first; a zero divisor
// gives 0 without evaluating the dividend and raises Predicat::prob.  A
// constant zero divisor keeps the node unfolded.
class Div : public BinaryExpression {
 public:
  Div(Expression* a, Expression* b) : BinaryExpression(a, b) {}
  int eval() override;
  int apply(int a, int b) const override;
  BinaryExpression* make(Expression* a, Expression* b) const override { return new Div(a, b); }
  const char* prefixName() const override { return "div"; }
  const char* infixName() const override { return "/"; }
 protected:
  Expression* fold(Expression* a, Expression* b) override;
};

class Mod : public BinaryExpression {
 public:
  Mod(Expression* a, Expression* b) : BinaryExpression(a, b) {}
  int eval() override;
  int apply(int a, int b) const override;
  BinaryExpression* make(Expression* a, Expression* b) const override { return new Mod(a, b); }
  const char* prefixName() const override { return "mod"; }
  const char* infixName() const override { return "%"; }
 protected:
  Expression* fold(Expression* a, Expression* b) override;
};

// Conjunction and disjunction: short-circuit on the first operand, 0 or 1.
// Folding drops a constant operand that does not decide the result; the
// remaining operand is kept as it is when it already gives 0 or 1, and read
// as a truth value (ne(x,0)) otherwise.
class And : public BinaryExpression {
 public:
  And(Expression* a, Expression* b) : BinaryExpression(a, b) {}
  int eval() override { return expr1->eval() != 0 && expr2->eval() != 0; }
  int apply(int a, int b) const override { return a != 0 && b != 0; }
  BinaryExpression* make(Expression* a, Expression* b) const override { return new And(a, b); }
  const char* prefixName() const override { return "and"; }
  const char* infixName() const override { return "&"; }
  bool isBoolean() const override { return true; }
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
};

class Or : public BinaryExpression {
 public:
  Or(Expression* a, Expression* b) : BinaryExpression(a, b) {}
  int eval() override { return expr1->eval() != 0 || expr2->eval() != 0; }
  int apply(int a, int b) const override { return a != 0 || b != 0; }
  BinaryExpression* make(Expression* a, Expression* b) const override { return new Or(a, b); }
  const char* prefixName() const override { return "or"; }
  const char* infixName() const override { return "v"; }
  bool isBoolean() const override { return true; }
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
};

// ---- conditional -----------------------------------------------------------

class If : public Expression {
 public:
  using Expression::isValuable;
  Expression* expr1;  // condition
  Expression* expr2;
  Expression* expr3;
  If(Expression* c, Expression* a, Expression* b) : expr1(c), expr2(a), expr3(b) {}
  ~If() override {
    delete expr1;
    delete expr2;
    delete expr3;
  }
  int eval() override { return expr1->eval() ? expr2->eval() : expr3->eval(); }
  void aff() override;
  bool isValuable(int& v) override;
  Expression* compileTree(int** newAdrVal, bool** newAdrOK) override;
  Expression* compileTree() override;
  void putInString(std::string& s) override;
  bool isBoolean() const override { return expr2->isBoolean() && expr3->isBoolean(); }
 private:
  Expression* fold(Expression* c, Expression* a, Expression* b);
};
