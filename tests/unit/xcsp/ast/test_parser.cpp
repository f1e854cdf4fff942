// The prefix expression parser: accepted texts, errors and resolution of
// identifiers against the name table.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "ast_test_util.h"

using namespace asttest;

namespace {

struct ParseCase {
  const char* text;
  const char* result;  // prefix form of the tree, or the error message
};

// Parsed with the table X:0 Y:1 Z:2.
const ParseCase parseCases[] = {
    {"eq(X,add(Y,1))", "eq(X/$0,add(Y/$1,1))"},
    {"eq( X , add( Y ,1))", "eq(X/$0,add(Y/$1,1))"},
    {" \t\n eq (X,\r\n  1)\f\v ", "eq(X/$0,1)"},
    {"-3", "-3"},
    {"+3", "3"},
    {"3abc", "3"},
    {"-", "0"},
    {"", "0"},
    {"_X", "0"},
    {"-2147483648", "-2147483648"},
    {"2147483647", "2147483647"},
    {"000000000000000000012", "12"},
    {"true", "true"},
    {"false", "false"},
    // Missing and empty arguments.
    {"add(X)", "add(X/$0,)"},
    {"add(,X)", "add(0,X/$0)"},
    {"neg()", "neg(0)"},
    {"if(X,,)", "if(X/$0,0,0)"},
    // Text after a call is ignored unless it opens another call.
    {"add(X,Y)junk", "add(X/$0,Y/$1)"},
    {"add(X,neg(Y)junk)", "add(X/$0,neg(Y/$1))"},
    {"add(X,Y),", "add(X/$0,Y/$1)"},
    // Errors.
    {"neg(X,Y)", "incorrect argument number"},
    {"abs(X,)", "incorrect argument number"},
    {"add(X,Y", "unbalanced parentheses"},
    {"add(X,Y))", "unbalanced parentheses"},
    {"add(X,neg(Y)", "unbalanced parentheses"},
    {"plus(X,Y)", "unknown function symbol"},
    {"ADD(X,Y)", "unknown function symbol"},
    {"(X)", "unknown function symbol"},
    {"add(X,(Y))", "unknown function symbol"},
    {"add(X,Y)(", "unknown function symbol"},
    {"add(X,Y)mul(X,Y)", "unknown function symbol"},
    {"add(X,neg(Y)(Z))", "unknown function symbol"},
    {"Q", "undefined variable found in expression"},
    {"eq(X,add(Q,1))", "undefined variable found in expression"},
    {"x", "undefined variable found in expression"},
    // Each argument is read when its comma or parenthesis is reached, and
    // the nesting is checked at the end.
    {"add(Q,Y", "undefined variable found in expression"},
    {"add(X,sub(Q,Y", "unbalanced parentheses"},
    {"neg(X,Q)", "undefined variable found in expression"},
    {"add(plus(X),Y", "unknown function symbol"},
    {"add(X,sub(plus(X),Y", "unbalanced parentheses"},
    // Integers that do not fit.
    {"2147483648", "integer constant out of range in expression"},
    {"-2147483649", "integer constant out of range in expression"},
    {"add(X,99999999999999999999999)", "integer constant out of range in expression"},
};

std::string outcome(const std::string& text, const VariableInfo* table) {
  try {
    return form(*parse(text, table), PREFIX);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
}

TEST(PrefixParser, TableOfTexts) {
  VariableInfo t = xyzTable();
  for (const ParseCase& c : parseCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(outcome(c.text, &t), c.result);
  }
}

TEST(PrefixParser, TreeStructureAndIds) {
  VariableInfo t = xyzTable();
  std::unique_ptr<AST> a = parse("eq(X,add(Y,1))", &t);
  ASSERT_EQ(a->getType(), F_EQ);
  ASSERT_EQ(a->nbArg(), 2);
  EXPECT_TRUE(a->isOperator());
  EXPECT_EQ((*a)[0].getVarName(), "X");
  EXPECT_EQ((*a)[0].getVarId(), 0);
  const AST& add = (*a)[1];
  EXPECT_EQ(add.getType(), F_ADD);
  EXPECT_EQ(add[0].getVarName(), "Y");
  EXPECT_EQ(add[0].getVarId(), 1);
  EXPECT_TRUE(add[1].isInteger());
  EXPECT_EQ(add[1].getInteger(), 1);
  EXPECT_EQ(dynamic_cast<const FunctionAdd*>(&add) != nullptr, true);
}

TEST(PrefixParser, NameTable) {
  ExpressionParser<DefaultASTFactory> p;
  // Without a table every identifier is a variable of id -1.
  std::unique_ptr<AST> a(p.prefixParser("ne(Anything,x1)"));
  EXPECT_EQ(form(*a, PREFIX), "ne(Anything/$-1,x1/$-1)");

  VariableInfo t;
  t["B"].id = 7;
  t["true"].id = 3;
  p.setVarInfo(&t);
  a.reset(p.prefixParser("and(B,true)"));
  EXPECT_EQ(form(*a, PREFIX), "and(B/$7,true)");
  EXPECT_TRUE((*a)[1].isBoolean());
  EXPECT_EQ(errorOf([&] { delete p.prefixParser("A"); }), "undefined variable found in expression");

  p.unsetVarInfo();
  a.reset(p.prefixParser("A"));
  EXPECT_EQ(a->getVarId(), -1);
  EXPECT_EQ(p.varInfo, nullptr);
}

TEST(PrefixParser, PrototypesInOrder) {
  ExpressionParser<DefaultASTFactory> p;
  const char* names[] = {"neg", "abs", "add", "sub", "mul", "div", "mod", "pow",
                         "if",  "min", "max", "eq",  "ne",  "ge",  "gt",  "le",
                         "lt",  "not", "and", "or",  "xor", "iff"};
  const int arity[] = {1, 1, 2, 2, 2, 2, 2, 2, 3, 2, 2, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2};
  ASSERT_EQ(p.functionList.size(), 22u);
  for (int i = 0; i < 22; ++i) {
    SCOPED_TRACE(names[i]);
    ASTAbstractFunction* proto = p.functionList[i];
    EXPECT_STREQ(proto->prefixSymbol, names[i]);
    EXPECT_EQ(proto->getType(), NodeType(F_NEG + i));
    EXPECT_EQ(proto->nbArg(), arity[i]);
    EXPECT_EQ(p.findPrefixFunction(names[i]), proto);
    std::unique_ptr<ASTAbstractFunction> n(proto->makeNode());
    const AST& made = *n;
    const AST& prototype = *proto;
    EXPECT_EQ(typeid(made), typeid(prototype));
    for (int k = 0; k < n->nbarg; ++k) EXPECT_EQ(n->args[k], nullptr);
  }
  EXPECT_EQ(p.findPrefixFunction("plus"), nullptr);
  EXPECT_EQ(p.findPrefixFunction("Add"), nullptr);
  EXPECT_EQ(p.findPrefixFunction("ad"), nullptr);
  EXPECT_EQ(p.findPrefixFunction(""), nullptr);
}

TEST(PrefixParser, RecursiveParserKeepsBlanksAtTopLevel) {
  ExpressionParser<DefaultASTFactory> p;
  std::unique_ptr<AST> a(p.recursivePrefixParser("add( X , 1 )"));
  EXPECT_EQ(form(*a, PREFIX), "add(X/$-1,1)");
  EXPECT_EQ(errorOf([&] { delete p.recursivePrefixParser("add (X,1)"); }),
            "unknown function symbol");
}

std::string nested(const char* open, int depth, const char* leaf) {
  std::string s;
  for (int i = 0; i < depth; ++i) s += open;
  s += leaf;
  s += std::string(depth, ')');
  return s;
}

TEST(PrefixParser, DeepNesting) {
  const int limit = ExpressionParser<DefaultASTFactory>::maxNesting;
  // The deepest accepted tree can be printed, evaluated, copied and freed.
  std::unique_ptr<AST> a = parse(nested("neg(", limit, "7"));
  MapValuation v;
  EXPECT_EQ(a->value(v), limit % 2 ? -7 : 7);
  EXPECT_EQ(form(*a, PREFIX).size(), 5u * limit + 1);
  EXPECT_FALSE(form(*a, MATHML).empty());
  deleteCTree(a->makeCTree());

  EXPECT_EQ(outcome(nested("neg(", limit + 1, "7"), nullptr),
            "expression nested too deeply (more than 1000 levels)");
  EXPECT_EQ(outcome(nested("add(1,", 200000, "7"), nullptr),
            "expression nested too deeply (more than 1000 levels)");
  // Unclosed calls are reported without descending into them.
  EXPECT_EQ(outcome(std::string(500000, '(') , nullptr), "unknown function symbol");
  EXPECT_EQ(outcome("neg(" + std::string(500000, '('), nullptr), "unbalanced parentheses");
}

std::string balanced(int depth) {
  return depth == 0 ? "eq(X,0)" : "and(" + balanced(depth - 1) + "," + balanced(depth - 1) + ")";
}

TEST(PrefixParser, LargeBalancedExpression) {
  VariableInfo t = xyzTable();
  std::string text = balanced(15);  // 32768 leaves
  std::unique_ptr<AST> a = parse(text, &t);
  MapValuation v({{0u, 0}});
  EXPECT_EQ(a->value(v), 1);
  std::string expected;
  for (char c : text) {
    expected += c;
    if (c == 'X') expected += "/$0";
  }
  EXPECT_EQ(form(*a, PREFIX), expected);
}

// A literal reading of the parsing rules, one substring per argument, to
// compare the parser with on arbitrary texts.
class ReferenceParser {
 public:
  ExpressionParser<DefaultASTFactory> protos;
  const VariableInfo* table;

  AST* parse(const std::string& f) {
    int depth = 0, counter = 0;
    std::unique_ptr<ASTAbstractFunction> node;
    size_t start = 0;
    for (size_t i = 0; i < f.size(); ++i) {
      char c = f[i];
      if (c == '(') {
        if (depth == 0) {
          ASTAbstractFunction* proto = protos.findPrefixFunction(f.substr(0, i));
          if (!proto) throw std::runtime_error("unknown function symbol");
          node.reset(proto->makeNode());
          start = i + 1;
          depth = 1;
        } else {
          ++depth;
        }
      } else if ((c == ',' || c == ')') && depth == 1) {
        std::unique_ptr<AST> arg(parse(f.substr(start, i - start)));
        node->setArg(counter++, arg.get());
        arg.release();
        start = i + 1;
        if (c == ')') depth = 0;
      } else if (c == ')') {
        --depth;
      }
    }
    if (depth != 0) throw std::runtime_error("unbalanced parentheses");
    if (node) return node.release();
    if (f.empty() || !isalpha(static_cast<unsigned char>(f[0])))
      return new ASTInteger(atoi(f.c_str()));
    if (f == "true" || f == "false") return new ASTBoolean(f == "true");
    auto it = table->find(f);
    if (it == table->end()) throw std::runtime_error("undefined variable found in expression");
    return new ASTVar(f, it->second.id);
  }
};

TEST(PrefixParser, AgreesWithLiteralReadingOnRandomTexts) {
  const char* pieces[] = {"add(", "neg(", "if(", "eq(", "X", "Y", "Q", "1", "-", ",",
                          ",",    ")",    ")",   ")",   "(", "true", "neg", "2"};
  VariableInfo t = xyzTable();
  ReferenceParser ref;
  ref.table = &t;
  std::mt19937 rng(12345);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string s;
    int n = 1 + rng() % 14;
    for (int i = 0; i < n; ++i) s += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    std::string expected;
    try {
      expected = form(*std::unique_ptr<AST>(ref.parse(s)), PREFIX);
      ++accepted;
    } catch (const std::runtime_error& e) {
      expected = e.what();
    }
    ASSERT_EQ(outcome(s, &t), expected) << "text: " << s;
  }
  EXPECT_GT(accepted, 1000);
}

}  // namespace
