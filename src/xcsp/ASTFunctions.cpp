#include "xcsp/ASTFunctions.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace CSPXMLParser {

namespace {

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

// Two's complement wrap-around without signed overflow.
inline int wrap(int64_t v) { return static_cast<int>(static_cast<uint32_t>(v)); }
inline int truth(bool b) { return b ? 1 : 0; }

}  // namespace

// ---------------------------------------------------------------- base

ASTAbstractFunction::ASTAbstractFunction(const char* prefixSymbol, const char* infixSymbol,
                                         const char* mathMLSymbol, int nbarg, NodeType type)
    : nbarg(nbarg),
      args(new AST*[nbarg]()),
      prefixSymbol(prefixSymbol),
      infixSymbol(infixSymbol),
      mathMLSymbol(mathMLSymbol),
      type(type) {}

ASTAbstractFunction::~ASTAbstractFunction() {
  for (int i = 0; i < nbarg; ++i) delete args[i];
  delete[] args;
}

const AST& ASTAbstractFunction::getArg(int i) const {
  if (i < 0 || i >= nbarg) fail("request for an non existing child of an AST node");
  if (!args[i]) fail("missing argument for a function");
  return *args[i];
}

void ASTAbstractFunction::setArg(int i, AST* child) {
  if (i < 0 || i >= nbarg) fail("incorrect argument number");
  if (args[i] != child) delete args[i];
  args[i] = child;
}

void ASTAbstractFunction::checkArgs() const {
  for (int i = 0; i < nbarg; ++i)
    if (!args[i]) fail("missing argument for a function");
}

void ASTAbstractFunction::prefixExpression(std::ostream& s) const {
  s << prefixSymbol << '(';
  for (int i = 0; i < nbarg; ++i) {
    if (i) s << ',';
    if (args[i]) args[i]->prefixExpression(s);
  }
  s << ')';
}

void ASTAbstractFunction::infixExpression(std::ostream& s) const {
  if (!infixSymbol) {
    s << prefixSymbol << '(';
    for (int i = 0; i < nbarg; ++i) {
      if (i) s << ',';
      if (args[i]) args[i]->infixExpression(s);
    }
    s << ')';
  } else if (nbarg == 2) {
    s << '(';
    if (args[0]) args[0]->infixExpression(s);
    s << infixSymbol;
    if (args[1]) args[1]->infixExpression(s);
    s << ')';
  } else if (nbarg == 1) {
    s << infixSymbol << '(';
    if (args[0]) args[0]->infixExpression(s);
    s << ')';
  } else {
    fail("unexpected arity");
  }
}

void ASTAbstractFunction::postfixExpression(std::ostream& s) const {
  for (int i = 0; i < nbarg; ++i) {
    if (i) s << ' ';
    if (args[i]) args[i]->postfixExpression(s);
  }
  s << ' ' << prefixSymbol;
}

void ASTAbstractFunction::mathmlExpressionRec(std::ostream& s) const {
  s << "  <apply>\n";
  s << "  <" << (mathMLSymbol ? mathMLSymbol : prefixSymbol) << "/>\n";
  for (int i = 0; i < nbarg; ++i)
    if (args[i]) args[i]->mathmlExpressionRec(s);
  s << "  </apply>\n";
}

C_AST* ASTAbstractFunction::makeCTree() const {
  C_AST_FxNode* n = static_cast<C_AST_FxNode*>(std::calloc(1, sizeof(C_AST_FxNode)));
  if (!n) throw std::bad_alloc();
  n->type = type;
  n->args = static_cast<C_AST**>(std::calloc(nbarg ? nbarg : 1, sizeof(C_AST*)));
  if (!n->args) {
    std::free(n);
    throw std::bad_alloc();
  }
  n->nbarg = nbarg;
  try {
    for (int i = 0; i < nbarg; ++i) n->args[i] = args[i] ? args[i]->makeCTree() : nullptr;
  } catch (...) {
    deleteCTree(reinterpret_cast<C_AST*>(n));
    throw;
  }
  return reinterpret_cast<C_AST*>(n);
}

// ---------------------------------------------------------------- power

FunctionValue powerValue(FunctionValue x0, FunctionValue n) {
  if (x0 == 0 && n == 0) fail("pow(0,0) is undefined");
  if (n == 0) return 1;
  if (n < 0) {
    // The exact power truncated toward zero, as a division would give it.
    if (x0 == 0) fail("divide by 0");
    if (x0 == 1) return 1;
    if (x0 == -1) return (n & 1) ? -1 : 1;
    return 0;
  }
  int64_t x = x0, product = 1;
  for (unsigned bits = static_cast<unsigned>(n);;) {
    if (bits & 1u) {
      product *= x;
      if (product < INT_MIN || product > INT_MAX) fail("overflow in pow(x,y) computation");
    }
    bits >>= 1;
    if (!bits) break;
    x *= x;
    if (x > INT_MAX) fail("overflow in pow(x,y) computation");
  }
  return static_cast<FunctionValue>(product);
}

// ---------------------------------------------------------------- functions

FunctionNeg::FunctionNeg() : ASTAbstractFunction("neg", nullptr, "minus", 1, F_NEG) {}
FunctionValue FunctionNeg::value(const VariableValuation& v) const {
  checkArgs();
  return wrap(-static_cast<int64_t>(arg(0, v)));
}
void FunctionNeg::infixExpression(std::ostream& s) const {
  s << "-(";
  if (args[0]) args[0]->infixExpression(s);
  s << ')';
}

FunctionAbs::FunctionAbs() : ASTAbstractFunction("abs", nullptr, "abs", 1, F_ABS) {}
FunctionValue FunctionAbs::value(const VariableValuation& v) const {
  checkArgs();
  int64_t a = arg(0, v);
  return wrap(a < 0 ? -a : a);
}

FunctionAdd::FunctionAdd() : ASTAbstractFunction("add", "+", "plus", 2, F_ADD) {}
FunctionValue FunctionAdd::value(const VariableValuation& v) const {
  checkArgs();
  int64_t a = arg(0, v);
  return wrap(a + arg(1, v));
}

FunctionSub::FunctionSub() : ASTAbstractFunction("sub", "-", "minus", 2, F_SUB) {}
FunctionValue FunctionSub::value(const VariableValuation& v) const {
  checkArgs();
  int64_t a = arg(0, v);
  return wrap(a - arg(1, v));
}

FunctionMul::FunctionMul() : ASTAbstractFunction("mul", "*", "times", 2, F_MUL) {}
FunctionValue FunctionMul::value(const VariableValuation& v) const {
  checkArgs();
  int64_t a = arg(0, v);
  return wrap(a * arg(1, v));
}

FunctionDiv::FunctionDiv() : ASTAbstractFunction("div", "/", "quotient", 2, F_DIV) {}
FunctionValue FunctionDiv::value(const VariableValuation& v) const {
  checkArgs();
  int64_t a = arg(0, v);
  int64_t b = arg(1, v);
  if (b == 0) fail("divide by 0");
  return wrap(a / b);  // INT_MIN / -1 wraps to INT_MIN
}

FunctionMod::FunctionMod() : ASTAbstractFunction("mod", "%", "rem", 2, F_MOD) {}
FunctionValue FunctionMod::value(const VariableValuation& v) const {
  checkArgs();
  int64_t a = arg(0, v);
  int64_t b = arg(1, v);
  if (b == 0) fail("modulo by 0");
  return wrap(a % b);
}

FunctionPow::FunctionPow() : ASTAbstractFunction("pow", nullptr, "power", 2, F_POW) {}
FunctionValue FunctionPow::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue x = arg(0, v);
  return powerValue(x, arg(1, v));
}

// MathML has no plain conditional operator: the form writes <if/>.
FunctionIf::FunctionIf() : ASTAbstractFunction("if", nullptr, nullptr, 3, F_IF) {}
FunctionValue FunctionIf::value(const VariableValuation& v) const {
  checkArgs();
  return arg(0, v) != 0 ? arg(1, v) : arg(2, v);
}

FunctionMin::FunctionMin() : ASTAbstractFunction("min", nullptr, "min", 2, F_MIN) {}
FunctionValue FunctionMin::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue b = arg(1, v);
  FunctionValue a = arg(0, v);
  return a < b ? a : b;
}

FunctionMax::FunctionMax() : ASTAbstractFunction("max", nullptr, "max", 2, F_MAX) {}
FunctionValue FunctionMax::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue b = arg(1, v);
  FunctionValue a = arg(0, v);
  return a > b ? a : b;
}

FunctionEQ::FunctionEQ() : ASTAbstractFunction("eq", "==", "eq", 2, F_EQ) {}
FunctionValue FunctionEQ::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return truth(a == arg(1, v));
}

FunctionNE::FunctionNE() : ASTAbstractFunction("ne", "!=", "neq", 2, F_NE) {}
FunctionValue FunctionNE::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return truth(a != arg(1, v));
}

FunctionGE::FunctionGE() : ASTAbstractFunction("ge", ">=", "geq", 2, F_GE) {}
FunctionValue FunctionGE::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return truth(a >= arg(1, v));
}

FunctionGT::FunctionGT() : ASTAbstractFunction("gt", ">", "gt", 2, F_GT) {}
FunctionValue FunctionGT::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return truth(a > arg(1, v));
}

FunctionLE::FunctionLE() : ASTAbstractFunction("le", "<=", "leq", 2, F_LE) {}
FunctionValue FunctionLE::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return truth(a <= arg(1, v));
}

FunctionLT::FunctionLT() : ASTAbstractFunction("lt", "<", "lt", 2, F_LT) {}
FunctionValue FunctionLT::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return truth(a < arg(1, v));
}

FunctionNot::FunctionNot() : ASTAbstractFunction("not", "!", "not", 1, F_NOT) {}
FunctionValue FunctionNot::value(const VariableValuation& v) const {
  checkArgs();
  return truth(arg(0, v) == 0);
}

FunctionAnd::FunctionAnd() : ASTAbstractFunction("and", "&&", "and", 2, F_AND) {}
FunctionValue FunctionAnd::value(const VariableValuation& v) const {
  checkArgs();
  if (arg(0, v) == 0) return 0;
  return truth(arg(1, v) != 0);
}

FunctionOr::FunctionOr() : ASTAbstractFunction("or", "||", "or", 2, F_OR) {}
FunctionValue FunctionOr::value(const VariableValuation& v) const {
  checkArgs();
  if (arg(0, v) != 0) return 1;
  return truth(arg(1, v) != 0);
}

FunctionXor::FunctionXor() : ASTAbstractFunction("xor", "^", "xor", 2, F_XOR) {}
FunctionValue FunctionXor::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return a ^ arg(1, v);
}

FunctionIff::FunctionIff() : ASTAbstractFunction("iff", "==", "equivalent", 2, F_IFF) {}
FunctionValue FunctionIff::value(const VariableValuation& v) const {
  checkArgs();
  FunctionValue a = arg(0, v);
  return truth(a == arg(1, v));
}

}  // namespace CSPXMLParser
