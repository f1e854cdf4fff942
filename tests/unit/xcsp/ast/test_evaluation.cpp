// Evaluation of syntax trees under a variable valuation.

#include <gtest/gtest.h>

#include <vector>

#include "ast_test_util.h"

using namespace asttest;

namespace {

struct EvalCase {
  const char* expr;
  FunctionValue expected;  // when error is null
  const char* error;
};

// X = 0, Y = 5, Z = -3.
const EvalCase evalCases[] = {
    {"X", 0, nullptr},
    {"add(Y,Z)", 2, nullptr},
    {"true", 1, nullptr},
    {"false", 0, nullptr},
    // Truncated division and the remainder that goes with it.
    {"div(-7,2)", -3, nullptr},
    {"mod(-7,2)", -1, nullptr},
    {"div(7,-2)", -3, nullptr},
    {"mod(7,-2)", 1, nullptr},
    {"div(Y,X)", 0, "divide by 0"},
    {"mod(Y,X)", 0, "modulo by 0"},
    // Power, exact within int.
    {"pow(2,30)", 1073741824, nullptr},
    {"pow(2,31)", 0, "overflow in pow(x,y) computation"},
    {"pow(-2,31)", -2147483647 - 1, nullptr},
    {"pow(2,32)", 0, "overflow in pow(x,y) computation"},
    {"pow(65536,1)", 65536, nullptr},
    {"pow(65536,2)", 0, "overflow in pow(x,y) computation"},
    {"pow(46340,2)", 2147395600, nullptr},
    {"pow(46341,2)", 0, "overflow in pow(x,y) computation"},
    {"pow(-3,3)", -27, nullptr},
    {"pow(7,0)", 1, nullptr},
    {"pow(0,5)", 0, nullptr},
    {"pow(0,0)", 0, "pow(0,0) is undefined"},
    {"pow(X,X)", 0, "pow(0,0) is undefined"},
    // Negative exponents: the exact power truncated toward zero.
    {"pow(2,-1)", 0, nullptr},
    {"pow(1,-5)", 1, nullptr},
    {"pow(-1,-3)", -1, nullptr},
    {"pow(-1,-2147483648)", 1, nullptr},
    {"pow(0,-1)", 0, "divide by 0"},
    // Only the branch that counts is evaluated.
    {"and(0,div(1,0))", 0, nullptr},
    {"and(X,div(1,X))", 0, nullptr},
    {"and(2,3)", 1, nullptr},
    {"and(2,0)", 0, nullptr},
    {"or(1,div(1,0))", 1, nullptr},
    {"or(0,-5)", 1, nullptr},
    {"or(0,0)", 0, nullptr},
    {"if(X,div(1,0),Y)", 5, nullptr},
    {"if(Z,Y,div(1,0))", 5, nullptr},
    {"xor(2,3)", 1, nullptr},
    {"xor(Y,Z)", 5 ^ -3, nullptr},
    {"iff(2,2)", 1, nullptr},
    {"iff(1,2)", 0, nullptr},
    {"not(X)", 1, nullptr},
    {"not(Z)", 0, nullptr},
    {"min(Y,Z)", -3, nullptr},
    {"max(Y,Z)", 5, nullptr},
    {"abs(Z)", 3, nullptr},
    {"neg(Z)", 3, nullptr},
    {"mul(Y,Z)", -15, nullptr},
    {"sub(Z,Y)", -8, nullptr},
    {"eq(Y,5)", 1, nullptr},  {"ne(Y,5)", 0, nullptr},
    {"ge(Y,5)", 1, nullptr},  {"gt(Y,5)", 0, nullptr},
    {"le(Z,-3)", 1, nullptr}, {"lt(Z,-3)", 0, nullptr},
    // 32-bit arithmetic wraps instead of overflowing.
    {"add(2147483647,1)", -2147483647 - 1, nullptr},
    {"sub(-2147483648,1)", 2147483647, nullptr},
    {"mul(65536,65536)", 0, nullptr},
    {"neg(-2147483648)", -2147483647 - 1, nullptr},
    {"abs(-2147483648)", -2147483647 - 1, nullptr},
    {"div(-2147483648,-1)", -2147483647 - 1, nullptr},
    {"mod(-2147483648,-1)", 0, nullptr},
    // Arguments that were never given.
    {"add(X)", 0, "missing argument for a function"},
    {"and(0)", 0, "missing argument for a function"},
    {"if(1,2)", 0, "missing argument for a function"},
};

TEST(Evaluation, TableOfExpressions) {
  VariableInfo t = xyzTable();
  MapValuation v({{0, 0}, {1, 5}, {2, -3}});
  for (const EvalCase& c : evalCases) {
    SCOPED_TRACE(c.expr);
    std::unique_ptr<AST> a = parse(c.expr, &t);
    if (c.error) {
      EXPECT_EQ(errorOf([&] { a->value(v); }), c.error);
    } else {
      EXPECT_EQ(a->value(v), c.expected);
    }
  }
}

TEST(Evaluation, PowerByRepeatedSquaring) {
  EXPECT_EQ(powerValue(3, 19), 1162261467);
  EXPECT_EQ(powerValue(-2147483647 - 1, 1), -2147483647 - 1);
  EXPECT_EQ(errorOf([] { powerValue(-2147483647 - 1, 2); }), "overflow in pow(x,y) computation");
  EXPECT_EQ(powerValue(1, 2147483647), 1);
  EXPECT_EQ(powerValue(-1, 2147483647), -1);
}

// Records the order in which variables are asked for.
class RecordingValuation : public VariableValuation {
 public:
  mutable std::vector<unsigned> asked;
  FunctionValue getVarValue(unsigned id) const override {
    asked.push_back(id);
    return static_cast<FunctionValue>(id);
  }
};

TEST(Evaluation, ArgumentOrder) {
  VariableInfo t = xyzTable();
  struct {
    const char* expr;
    std::vector<unsigned> order;
  } cases[] = {
      {"min(X,Y)", {1, 0}}, {"max(X,Y)", {1, 0}}, {"sub(X,Y)", {0, 1}},
      {"lt(Y,X)", {1, 0}},  {"and(X,Y)", {0}},    {"or(Y,X)", {1}},
      {"if(Y,Z,X)", {1, 2}},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.expr);
    RecordingValuation v;
    parse(c.expr, &t)->value(v);
    EXPECT_EQ(v.asked, c.order);
  }
}

TEST(Evaluation, NodesWithoutValue) {
  MapValuation v;
  ASTSymb s(SYMB_EQ);
  ASTList l;
  ASTDict d;
  ASTDictKey k("var");
  EXPECT_EQ(errorOf([&] { s.value(v); }), "no valuation defined for a symbolic constant");
  EXPECT_EQ(errorOf([&] { l.value(v); }), "no valuation defined for a list");
  EXPECT_EQ(errorOf([&] { d.value(v); }), "no valuation defined for a dict");
  EXPECT_EQ(errorOf([&] { k.value(v); }), "abstract method called");
  // A list inside a function fails when the function reaches it.
  FunctionAdd add;
  add.setArg(0, new ASTInteger(1));
  add.setArg(1, new ASTList());
  EXPECT_EQ(errorOf([&] { add.value(v); }), "no valuation defined for a list");
}

}  // namespace
