#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "network/predicates/Expression.h"
#include "network/predicates/FlatExpression.h"
#include "network/predicates/Predicat.h"

namespace {

// Binds every parameter of a predicate either to a value slot or to a
// constant, as an intension constraint does, and owns the compiled copy.
struct Binding {
  std::vector<int> slot;
  std::unique_ptr<bool[]> ok;
  std::vector<int> constVal;
  std::unique_ptr<bool[]> constOK;
  std::unique_ptr<Expression> expr;

  // constMask bit i set: parameter i is the constant values[i]; otherwise
  // it reads slot[i].
  Binding(Predicat& p, int n, unsigned constMask, const std::vector<int>& values)
      : slot(n, 0), ok(new bool[n]()), constVal(values), constOK(new bool[n]()) {
    std::vector<int*> adrVal(n);
    std::vector<bool*> adrOK(n);
    for (int i = 0; i < n; ++i) {
      if (constMask >> i & 1) {
        constOK[i] = true;
        adrVal[i] = &constVal[i];
        adrOK[i] = &constOK[i];
      } else {
        adrVal[i] = &slot[i];
        adrOK[i] = &ok[i];
      }
    }
    expr.reset(p.getExpression()->compile(adrVal.data(), adrOK.data()));
  }
  int eval(const std::vector<int>& t) {
    for (size_t i = 0; i < slot.size(); ++i) slot[i] = t[i];
    return expr->eval();
  }
  // The folded tree under the evaluation program.
  Expression* tree() {
    auto* f = dynamic_cast<FlatExpression*>(expr.get());
    return f ? f->tree : expr.get();
  }
};

std::vector<std::string> names(int n) {
  std::vector<std::string> v;
  for (int i = 0; i < n; ++i) v.push_back("P" + std::to_string(i));
  return v;
}

int evalText(const std::string& text, const std::vector<int>& t) {
  std::vector<std::string> p = names(static_cast<int>(t.size()));
  Predicat pr(text, static_cast<int>(t.size()), "P", p);
  Binding b(pr, static_cast<int>(t.size()), 0, t);
  return b.eval(t);
}

std::string compiledText(const std::string& text, int n, unsigned constMask,
                         const std::vector<int>& values) {
  std::vector<std::string> p = names(n);
  Predicat pr(text, n, "P", p);
  Binding b(pr, n, constMask, values);
  std::string s;
  b.expr->putInString(s);
  return s;
}

// ---------------------------------------------------------------------------

struct EvalCase {
  const char* text;
  std::vector<int> tuple;
  int value;
};

TEST(PredicatEval, EveryOperatorOnTuples) {
  const EvalCase cases[] = {
      {"eq(X/$0,add(Y/$1,1))", {5, 4}, 1},
      {"eq(X/$0,add(Y/$1,1))", {4, 4}, 0},
      {"neg(X/$0)", {7}, -7},
      {"abs(X/$0)", {-7}, 7},
      {"add(X/$0,Y/$1)", {3, -5}, -2},
      {"sub(X/$0,Y/$1)", {3, -5}, 8},
      {"mul(X/$0,Y/$1)", {-3, 5}, -15},
      {"div(X/$0,2)", {-7}, -3},
      {"div(X/$0,Y/$1)", {7, -2}, -3},
      {"mod(X/$0,2)", {-7}, -1},
      {"mod(X/$0,Y/$1)", {7, -2}, 1},
      {"pow(X/$0,Y/$1)", {2, 10}, 1024},
      {"pow(X/$0,Y/$1)", {2, -1}, 0},
      {"pow(X/$0,Y/$1)", {-3, 3}, -27},
      {"pow(X/$0,Y/$1)", {0, 0}, 1},
      {"pow(X/$0,Y/$1)", {-1, -3}, -1},
      {"pow(X/$0,Y/$1)", {-2, 31}, INT_MIN},
      {"pow(X/$0,Y/$1)", {65536, 1}, 65536},
      {"min(X/$0,Y/$1)", {3, -5}, -5},
      {"max(X/$0,Y/$1)", {3, -5}, 3},
      {"if(X/$0,Y/$1,Z/$2)", {1, 8, 9}, 8},
      {"if(X/$0,Y/$1,Z/$2)", {0, 8, 9}, 9},
      {"true", {}, 1},
      {"false", {}, 0},
      {"not(X/$0)", {0}, 1},
      {"not(X/$0)", {3}, 0},
      {"and(X/$0,Y/$1)", {1, 1}, 1},
      {"and(X/$0,Y/$1)", {1, 0}, 0},
      {"and(X/$0,Y/$1)", {0, 5}, 0},
      {"and(X/$0,Y/$1)", {1, 5}, 1},  // truth value, not the operand
      {"or(X/$0,Y/$1)", {0, 0}, 0},
      {"or(X/$0,Y/$1)", {0, 1}, 1},
      {"or(X/$0,Y/$1)", {0, 7}, 1},
      {"xor(X/$0,Y/$1)", {1, 0}, 1},
      {"xor(X/$0,Y/$1)", {1, 1}, 0},
      {"xor(X/$0,Y/$1)", {3, 1}, 0},  // both true
      {"xor(X/$0,Y/$1)", {2, 0}, 1},
      {"iff(X/$0,Y/$1)", {0, 0}, 1},
      {"iff(X/$0,Y/$1)", {1, 0}, 0},
      {"iff(X/$0,Y/$1)", {2, 4}, 1},  // both true
      {"iff(X/$0,Y/$1)", {2, 0}, 0},
      {"eq(X/$0,Y/$1)", {2, 2}, 1},
      {"ne(X/$0,Y/$1)", {2, 2}, 0},
      {"ge(X/$0,Y/$1)", {2, 2}, 1},
      {"gt(X/$0,Y/$1)", {2, 2}, 0},
      {"le(X/$0,Y/$1)", {1, 2}, 1},
      {"lt(X/$0,Y/$1)", {2, 1}, 0},
      // parameters are found by position; the name plays no role
      {"sub(B/$1,A/$0)", {10, 3}, -7},
      {"eq(ne/$0,1)", {1}, 1},
      {"add(X/$0,-12)", {2}, -10},
  };
  for (const EvalCase& c : cases) {
    Predicat::prob = false;
    EXPECT_EQ(evalText(c.text, c.tuple), c.value) << c.text;
    EXPECT_FALSE(Predicat::prob) << c.text;
  }
}

// Results that plain C++ int arithmetic would leave undefined.
TEST(PredicatEval, DefinedAtTheEdgesOfTheIntRange) {
  const EvalCase cases[] = {
      {"add(X/$0,1)", {INT_MAX}, INT_MIN},
      {"sub(X/$0,1)", {INT_MIN}, INT_MAX},
      {"mul(X/$0,2)", {INT_MAX}, -2},
      {"neg(X/$0)", {INT_MIN}, INT_MIN},
      {"abs(X/$0)", {INT_MIN}, INT_MIN},
      {"div(X/$0,Y/$1)", {INT_MIN, -1}, INT_MIN},
      {"mod(X/$0,Y/$1)", {INT_MIN, -1}, 0},
      {"pow(X/$0,Y/$1)", {2, 31}, INT_MAX},
      {"pow(X/$0,Y/$1)", {-2, 33}, INT_MIN},
      {"pow(X/$0,Y/$1)", {65536, 2}, INT_MAX},
      {"pow(X/$0,Y/$1)", {3, INT_MAX}, INT_MAX},
      {"pow(X/$0,Y/$1)", {0, -5}, 0},
      {"pow(X/$0,Y/$1)", {-1, INT_MAX}, -1},
  };
  for (const EvalCase& c : cases) EXPECT_EQ(evalText(c.text, c.tuple), c.value) << c.text;

  Predicat::powOverflow = false;
  EXPECT_EQ(evalText("pow(X/$0,Y/$1)", {2, 30}), 1 << 30);
  EXPECT_FALSE(Predicat::powOverflow);
  EXPECT_EQ(evalText("pow(X/$0,Y/$1)", {10, 10}), INT_MAX);
  EXPECT_TRUE(Predicat::powOverflow);
}

TEST(PredicatEval, ZeroDivisorGivesZeroAndRaisesProb) {
  for (const char* text : {"div(X/$0,Y/$1)", "mod(X/$0,Y/$1)"}) {
    Predicat::prob = false;
    EXPECT_EQ(evalText(text, {7, 0}), 0) << text;
    EXPECT_TRUE(Predicat::prob) << text;
  }
  // The dividend is not evaluated when the divisor is zero.
  Predicat::prob = false;
  EXPECT_EQ(evalText("div(div(1,X/$0),X/$0)", {0}), 0);
  EXPECT_TRUE(Predicat::prob);
  // Short-circuits: the unused operand is not evaluated.
  for (const char* text : {"and(X/$0,div(1,X/$0))", "or(not(X/$0),div(1,X/$0))",
                           "if(X/$0,div(1,X/$0),2)"}) {
    Predicat::prob = false;
    evalText(text, {0});
    EXPECT_FALSE(Predicat::prob) << text;
  }
}

// ---------------------------------------------------------------------------

TEST(PredicatTree, BuiltFromPrefixText) {
  std::vector<std::string> p = {"X", "Y"};
  Predicat pr("eq(X/$0,add(Y/$1,1))", 2, "P0", p);
  EXPECT_EQ(pr.getType(), 3);
  EXPECT_EQ(pr.getName(), "P0");
  EXPECT_EQ(pr.getParamList(), p);
  auto* eq = dynamic_cast<Eq*>(pr.getExpression());
  ASSERT_NE(eq, nullptr);
  auto* x = dynamic_cast<ValueIden*>(eq->expr1);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->idValue, 0);
  EXPECT_EQ(x->adrv, nullptr);
  EXPECT_EQ(x->isAffect, nullptr);
  auto* add = dynamic_cast<Add*>(eq->expr2);
  ASSERT_NE(add, nullptr);
  ASSERT_NE(dynamic_cast<ValueIden*>(add->expr1), nullptr);
  EXPECT_EQ(static_cast<ValueIden*>(add->expr1)->idValue, 1);
  ASSERT_NE(dynamic_cast<ValueInt*>(add->expr2), nullptr);
  EXPECT_EQ(static_cast<ValueInt*>(add->expr2)->val, 1);
  EXPECT_EQ(pr.state(0, 5), 3);

  pr.initFormule("lt(Y/$1,X/$0)");
  ASSERT_NE(dynamic_cast<Lt*>(pr.getExpression()), nullptr);
}

TEST(PredicatTree, TokenClassification) {
  EXPECT_EQ(Predicat::tokenToString("NE"), Predicat::NE);
  EXPECT_EQ(Predicat::tokenToString("IF"), Predicat::IF);
  EXPECT_EQ(Predicat::tokenToString("TRUE"), Predicat::TRUE);
  EXPECT_EQ(Predicat::tokenToString("-3"), Predicat::INTEGER);
  EXPECT_EQ(Predicat::tokenToString("12"), Predicat::INTEGER);
  EXPECT_EQ(Predicat::tokenToString("NE/$0"), Predicat::IDENTIFIER);
  EXPECT_EQ(Predicat::tokenToString("NEG2"), Predicat::IDENTIFIER);
}

TEST(PredicatCompile, FoldsConstantParameters) {
  std::vector<std::string> p = {"X", "Y"};
  Predicat pr("eq(X/$0,add(Y/$1,1))", 2, "P", p);
  Binding b(pr, 2, 0b10, {0, 4});
  auto* eq = dynamic_cast<Eq*>(b.tree());
  ASSERT_NE(eq, nullptr);
  auto* x = dynamic_cast<ValueIden*>(eq->expr1);
  ASSERT_NE(x, nullptr);
  EXPECT_EQ(x->adrv, &b.slot[0]);
  EXPECT_EQ(x->isAffect, &b.ok[0]);
  auto* five = dynamic_cast<ValueInt*>(eq->expr2);
  ASSERT_NE(five, nullptr);
  EXPECT_EQ(five->val, 5);
  for (int v = 3; v <= 7; ++v) EXPECT_EQ(b.eval({v, 0}), v == 5) << v;
  // The predicate's own tree is untouched.
  EXPECT_NE(dynamic_cast<Add*>(static_cast<Eq*>(pr.getExpression())->expr2), nullptr);
}

TEST(PredicatCompile, ConstantZeroDivisorStaysUnfolded) {
  std::vector<std::string> p = {"X"};
  Predicat pr("div(7,X/$0)", 1, "P", p);
  Predicat::prob = false;
  Binding b(pr, 1, 0b1, {0});
  EXPECT_TRUE(Predicat::prob);
  EXPECT_NE(dynamic_cast<Div*>(b.tree()), nullptr);
  EXPECT_EQ(b.expr->eval(), 0);
}

TEST(PredicatCompile, ShortCircuitFolding) {
  struct Case {
    const char* text;
    unsigned constMask;
    std::vector<int> values;
    const char* compiled;  // putInString of the compiled copy
  };
  const Case cases[] = {
      {"and(X/$0,Y/$1)", 0b01, {0, 0}, "0"},
      {"and(X/$0,Y/$1)", 0b01, {3, 0}, "X1ne0"},  // read as a truth value
      {"and(X/$0,lt(Y/$1,2))", 0b01, {3, 0}, "X1<2"},
      {"and(X/$0,Y/$1)", 0b11, {3, 5}, "1"},
      {"or(X/$0,Y/$1)", 0b01, {2, 0}, "1"},
      {"or(X/$0,Y/$1)", 0b01, {0, 0}, "X1ne0"},
      {"or(Y/$1,X/$0)", 0b01, {0, 0}, "X1ne0"},
      {"or(X/$0,Y/$1)", 0b11, {0, 0}, "0"},
      {"if(X/$0,Y/$1,2)", 0b01, {1, 0}, "i1tX1e2"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(compiledText(c.text, 2, c.constMask, c.values), c.compiled) << c.text;
}

// ---------------------------------------------------------------------------

// A random expression over three parameters, printed as prefix text, with
// every operator and constants that reach the awkward cases (zero divisors,
// operands other than 0 and 1 under Boolean operators, negative exponents).
std::string randomExpr(std::mt19937& rng, int depth) {
  static const char* ops1[] = {"neg", "abs", "not"};
  static const char* ops2[] = {"add", "sub", "mul", "div", "mod", "pow", "min",
                               "max", "and", "or",  "xor", "iff", "eq",  "ne",
                               "ge",  "gt",  "le",  "lt"};
  std::uniform_int_distribution<int> pick(0, 99);
  int r = pick(rng);
  if (depth == 0 || r < 25) {
    if (r % 3 == 0) return std::to_string(static_cast<int>(rng() % 7) - 3);
    if (r % 11 == 1) return r % 2 ? "true" : "false";
    return "V/$" + std::to_string(rng() % 3);
  }
  if (r < 35) return std::string(ops1[rng() % 3]) + "(" + randomExpr(rng, depth - 1) + ")";
  if (r < 42)
    return "if(" + randomExpr(rng, depth - 1) + "," + randomExpr(rng, depth - 1) + "," +
           randomExpr(rng, depth - 1) + ")";
  std::string a = randomExpr(rng, depth - 1);
  std::string b = randomExpr(rng, depth - 1);
  return std::string(ops2[rng() % 18]) + "(" + a + "," + b + ")";
}

// Whatever parameters are bound to constants, the compiled copy gives the
// same value on every tuple as the copy with all parameters variable, and
// a parameterless text (every parameter replaced by its value) folds to that
// same value too.  The evaluation program and the tree it was built from
// agree on the value and on whether a zero divisor was met.
TEST(PredicatCompile, FoldingAgreesWithEvaluation) {
  std::mt19937 rng(12345);
  std::vector<std::string> p = names(3);
  const int vals[] = {-2, -1, 0, 1, 3};
  for (int iter = 0; iter < 150; ++iter) {
    std::string text = randomExpr(rng, 4);
    Predicat pr(text, 3, "P", p);
    Binding all(pr, 3, 0, {0, 0, 0});
    for (int a : vals)
      for (int b : vals)
        for (int c : vals) {
          std::vector<int> t = {a, b, c};
          Predicat::prob = false;
          int expected = all.eval(t);
          bool flatProb = Predicat::prob;
          Predicat::prob = false;
          ASSERT_EQ(all.tree()->eval(), expected) << text;
          ASSERT_EQ(Predicat::prob, flatProb) << text;
          for (unsigned mask = 1; mask < 8; ++mask) {
            Binding part(pr, 3, mask, t);
            ASSERT_EQ(part.eval(t), expected) << text << " mask " << mask << " tuple " << a
                                              << "," << b << "," << c;
          }
          // The same values written into the text as integers.
          std::string lit = text;
          for (int i = 0; i < 3; ++i) {
            std::string key = "V/$" + std::to_string(i);
            for (size_t at = lit.find(key); at != std::string::npos; at = lit.find(key))
              lit.replace(at, key.size(), std::to_string(t[i]));
          }
          std::vector<std::string> none;
          Predicat lp(lit, 0, "L", none);
          std::unique_ptr<Expression> folded(lp.getExpression()->compile());
          ASSERT_EQ(folded->eval(), expected) << lit;
          ASSERT_EQ(lp.isTuple(nullptr), expected != 0) << lit;
          int v = 0;
          ASSERT_TRUE(lp.getExpression()->isValuable(v)) << lit;
          ASSERT_EQ(v, expected) << lit;
        }
  }
}

// ---------------------------------------------------------------------------

TEST(PredicatText, PutInString) {
  EXPECT_EQ(compiledText("sub(X/$0,neg(Y/$1))", 2, 0, {0, 0}), "X0--X1");
  EXPECT_EQ(compiledText("if(eq(X/$0,1),2,3)", 1, 0, {0}), "iX0=1t2e3");
  EXPECT_EQ(compiledText("if(eq(X/$0,1),2,3)", 1, 1, {1}), "2");
  EXPECT_EQ(compiledText("and(or(X/$0,Y/$1),not(abs(X/$0)))", 2, 0, {0, 0}), "X0vX1&!|X0|");
  EXPECT_EQ(compiledText("iff(xor(X/$0,Y/$1),ge(pow(X/$0,2),min(X/$0,max(Y/$1,3))))", 2, 0,
                         {0, 0}),
            "X0xX1#X0^2>=X0mX1M3");
  EXPECT_EQ(compiledText("le(mod(X/$0,2),div(mul(X/$0,3),sub(add(X/$0,1),1)))", 1, 0, {0}),
            "X0%2<=X0*3/X0+1-1");

  // Assigned slots print as their values; the text follows the flags.
  std::vector<std::string> p = names(2);
  Predicat pr("gt(add(X/$0,Y/$1),Y/$1)", 2, "P", p);
  Binding b(pr, 2, 0, {0, 0});
  b.slot[0] = 4;
  b.ok[0] = true;
  std::string s;
  b.expr->putInString(s);
  EXPECT_EQ(s, "4+X1>X1");
  b.slot[1] = -1;
  b.ok[1] = true;
  s.clear();
  b.expr->putInString(s);
  EXPECT_EQ(s, "1");
}

TEST(PredicatText, AffWritesPrefixForm) {
  std::vector<std::string> p = names(2);
  Predicat pr("if(and(true,X/$0),min(-3,Y/$1),not(false))", 2, "P", p);
  testing::internal::CaptureStdout();
  pr.aff();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "if(and(true,X0),min(-3,X1),not(false))");
}

// ---------------------------------------------------------------------------

TEST(PredicatRelation, IsTupleEvaluatesOnTheGivenValues) {
  std::vector<std::string> p = {"X", "Y", "Z"};
  Predicat pr("eq(add(X/$0,Y/$1),Z/$2)", 3, "S", p);
  int yes[] = {1, 2, 3}, no[] = {1, 2, 4};
  EXPECT_TRUE(pr.isTuple(yes));
  EXPECT_FALSE(pr.isTuple(no));
  EXPECT_TRUE(pr.isTuple(yes));
  pr.initFormule("ne(X/$0,Z/$2)");
  EXPECT_TRUE(pr.isTuple(no));
  int same[] = {4, 0, 4};
  EXPECT_FALSE(pr.isTuple(same));
}

TEST(PredicatErrors, MalformedTextIsRejected) {
  const char* bad[] = {
      "",                      // empty
      "add(X/$0,)",            // missing argument
      "add(X/$0)",             // too few arguments
      "neg(X/$0,1)",           // too many arguments
      "if(X/$0,1)",            // too few for if
      "add(X/$0,1",            // unclosed
      "add(X/$0,1))",          // extra ")"
      "eq(X/$0,1)2",           // trailing text
      "foo(X/$0)",             // unknown function
      "true(1)",               // a constant with arguments
      "add",                   // a function without arguments
      "X",                     // identifier without position
      "eq(X/$,1)",             // position missing
      "eq(X/$a,1)",            // position not a number
      "eq(X/$-1,1)",           // negative position
      "eq(X/$2,1)",            // beyond the two formal parameters
      "eq(X/$0,12x)",          // bad integer
      "eq(X/$0,99999999999)",  // beyond the int range
      "eq(X/$0,-)",            // sign alone
  };
  std::vector<std::string> p = {"X", "Y"};
  for (const char* text : bad) {
    try {
      Predicat pr(text, 2, "P", p);
      ADD_FAILURE() << "accepted: " << text;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find("malformed predicate expression"), std::string::npos)
          << e.what();
    }
  }
  // The message quotes the text as written and names the fault.
  try {
    Predicat pr("ne(Z/$0,Y/$1)", 1, "P2", p = {"Z"});
    ADD_FAILURE() << "accepted a parameter beyond the formal parameters";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "malformed predicate expression \"ne(Z/$0,Y/$1)\": parameter Y/$1 beyond the 1 "
                 "formal parameters");
  }
  p = {"X", "Y"};
  // A failed replacement keeps the previous tree.
  Predicat pr("eq(X/$0,Y/$1)", 2, "P", p);
  EXPECT_THROW(pr.initFormule("eq(X/$0"), std::runtime_error);
  int t[] = {2, 2};
  EXPECT_TRUE(pr.isTuple(t));
}

TEST(PredicatErrors, DeepNestingIsRejectedNotACrash) {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "neg(";
  deep += "1";
  for (int i = 0; i < 5000; ++i) deep += ")";
  std::vector<std::string> none;
  EXPECT_THROW(Predicat("eq(" + deep + ",1)", 0, "P", none), std::runtime_error);
}

}  // namespace

namespace {

// A conjunction built over two compiled copies (as merged constraints are),
// and copies compiled again from compiled copies, evaluate as the originals.
TEST(PredicatCompile, CompiledCopiesCompose) {
  std::vector<std::string> p = names(2);
  Predicat p1("ne(X/$0,Y/$1)", 2, "A", p);
  Predicat p2("lt(abs(sub(X/$0,Y/$1)),2)", 2, "B", p);
  Binding b1(p1, 2, 0, {0, 0});
  int* av[2] = {&b1.slot[0], &b1.slot[1]};
  bool* ao[2] = {&b1.ok[0], &b1.ok[1]};
  std::unique_ptr<Expression> e2(p2.getExpression()->compile(av, ao));
  std::unique_ptr<Expression> both(new And(b1.expr.release(), e2.release()));
  // Compiling the merged expression again: against the same slots, and
  // keeping the slots' own addresses.
  std::unique_ptr<Expression> again(both->compile(av, ao));
  std::unique_ptr<Expression> kept(both->compile());
  for (int x = -3; x <= 3; ++x)
    for (int y = -3; y <= 3; ++y) {
      b1.slot[0] = x;
      b1.slot[1] = y;
      int expected = x != y && (x - y < 2 && y - x < 2);
      EXPECT_EQ(both->eval(), expected) << x << "," << y;
      EXPECT_EQ(again->eval(), expected) << x << "," << y;
      EXPECT_EQ(kept->eval(), expected) << x << "," << y;
    }
  // With X marked assigned, compile() folds it to its current value.
  b1.slot[0] = 1;
  b1.ok[0] = true;
  std::unique_ptr<Expression> fixed(both->compile());
  std::string s;
  fixed->putInString(s);
  EXPECT_EQ(s, "1neX1&|1-X1|<2");
  b1.ok[0] = false;
  for (int y = -3; y <= 3; ++y) {
    b1.slot[1] = y;
    EXPECT_EQ(fixed->eval(), y == 0 || y == 2) << y;
  }
}

}  // namespace
