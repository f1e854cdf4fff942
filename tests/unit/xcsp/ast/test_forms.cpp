// Text forms of syntax trees: prefix, infix, postfix and MathML.

#include <gtest/gtest.h>

#include "ast_test_util.h"

using namespace asttest;

namespace {

struct FormCase {
  const char* expr;
  const char* prefix;
  const char* infix;
  const char* postfix;
};

const FormCase formCases[] = {
    {"eq(X,add(Y,1))", "eq(X/$0,add(Y/$1,1))", "(parm[0]==(parm[1]+1))", "X/$0 Y/$1 1 add eq"},
    {"neg(X)", "neg(X/$0)", "-(parm[0])", "X/$0 neg"},
    {"not(X)", "not(X/$0)", "!(parm[0])", "X/$0 not"},
    {"abs(sub(X,-3))", "abs(sub(X/$0,-3))", "abs((parm[0]--3))", "X/$0 -3 sub abs"},
    {"if(lt(X,Y),min(X,Z),pow(Y,2))", "if(lt(X/$0,Y/$1),min(X/$0,Z/$2),pow(Y/$1,2))",
     "if((parm[0]<parm[1]),min(parm[0],parm[2]),pow(parm[1],2))",
     "X/$0 Y/$1 lt X/$0 Z/$2 min Y/$1 2 pow if"},
    {"or(true,iff(false,xor(X,Y)))", "or(true,iff(false,xor(X/$0,Y/$1)))",
     "(true||(false==(parm[0]^parm[1])))", "true false X/$0 Y/$1 xor iff or"},
    {"and(ne(X,Y),max(Z,-7))", "and(ne(X/$0,Y/$1),max(Z/$2,-7))",
     "((parm[0]!=parm[1])&&max(parm[2],-7))", "X/$0 Y/$1 ne Z/$2 -7 max and"},
    // A missing argument keeps its place.
    {"add(X)", "add(X/$0,)", "(parm[0]+)", "X/$0  add"},
};

TEST(TextForms, PrefixInfixPostfix) {
  VariableInfo t = xyzTable();
  for (const FormCase& c : formCases) {
    SCOPED_TRACE(c.expr);
    std::unique_ptr<AST> a = parse(c.expr, &t);
    EXPECT_EQ(form(*a, PREFIX), c.prefix);
    EXPECT_EQ(form(*a, TREE), c.prefix);
    EXPECT_EQ(form(*a, INFIX_C), c.infix);
    EXPECT_EQ(form(*a, POSTFIX), c.postfix);
  }
}

// Every function's own symbols: name, infix text and MathML element.
struct SymbolCase {
  const char* expr;
  const char* infix;
  const char* mathml;
};

const SymbolCase symbolCases[] = {
    {"neg(X)", "-(parm[0])", "minus"},         {"abs(X)", "abs(parm[0])", "abs"},
    {"add(X,Y)", "(parm[0]+parm[1])", "plus"}, {"sub(X,Y)", "(parm[0]-parm[1])", "minus"},
    {"mul(X,Y)", "(parm[0]*parm[1])", "times"}, {"div(X,Y)", "(parm[0]/parm[1])", "quotient"},
    {"mod(X,Y)", "(parm[0]%parm[1])", "rem"},  {"pow(X,Y)", "pow(parm[0],parm[1])", "power"},
    {"if(X,Y,Z)", "if(parm[0],parm[1],parm[2])", "if"},
    {"min(X,Y)", "min(parm[0],parm[1])", "min"}, {"max(X,Y)", "max(parm[0],parm[1])", "max"},
    {"eq(X,Y)", "(parm[0]==parm[1])", "eq"},   {"ne(X,Y)", "(parm[0]!=parm[1])", "neq"},
    {"ge(X,Y)", "(parm[0]>=parm[1])", "geq"},  {"gt(X,Y)", "(parm[0]>parm[1])", "gt"},
    {"le(X,Y)", "(parm[0]<=parm[1])", "leq"},  {"lt(X,Y)", "(parm[0]<parm[1])", "lt"},
    {"not(X)", "!(parm[0])", "not"},           {"and(X,Y)", "(parm[0]&&parm[1])", "and"},
    {"or(X,Y)", "(parm[0]||parm[1])", "or"},   {"xor(X,Y)", "(parm[0]^parm[1])", "xor"},
    {"iff(X,Y)", "(parm[0]==parm[1])", "equivalent"},
};

TEST(TextForms, EveryFunctionSymbol) {
  VariableInfo t = xyzTable();
  const char* vars[] = {"  <ci>X</ci>\n", "  <ci>Y</ci>\n", "  <ci>Z</ci>\n"};
  for (const SymbolCase& c : symbolCases) {
    SCOPED_TRACE(c.expr);
    std::unique_ptr<AST> a = parse(c.expr, &t);
    EXPECT_EQ(form(*a, INFIX_C), c.infix);
    std::string math = "<math>\n  <apply>\n  <" + std::string(c.mathml) + "/>\n";
    for (int i = 0; i < a->nbArg(); ++i) math += vars[i];
    math += "  </apply>\n</math>\n";
    EXPECT_EQ(form(*a, MATHML), math);
  }
}

TEST(TextForms, MathmlNestingAndConstants) {
  VariableInfo t = xyzTable();
  std::unique_ptr<AST> a = parse("and(eq(X,add(Y,-1)),true)", &t);
  std::ostringstream rec;
  a->mathmlExpressionRec(rec);
  EXPECT_EQ(rec.str(),
            "  <apply>\n  <and/>\n"
            "  <apply>\n  <eq/>\n  <ci>X</ci>\n"
            "  <apply>\n  <plus/>\n  <ci>Y</ci>\n  <cn>-1</cn>\n  </apply>\n"
            "  </apply>\n"
            "  <true/>\n"
            "  </apply>\n");
  EXPECT_EQ(form(*parse("false"), MATHML), "<math>\n  <false/>\n</math>\n");
}

// Lists, dictionaries and symbols, as the parameter reader builds them.
TEST(TextForms, ContainersAndSymbols) {
  ASTList top;
  top.push_back(new ASTInteger(1));
  top.push_back(new ASTVar("V", 3));
  top.push_back(new ASTList());
  ASTDict* d = new ASTDict();
  d->setArg("var", new ASTVar("W", 4));
  d->setArg("coef", new ASTInteger(-2));
  top.push_back(d);
  top.push_front(new ASTSymb(SYMB_LE));
  EXPECT_EQ(form(top, PREFIX), "[ <= 1 V/$3 [ ] { /coef -2 /var W/$4 } ]");
  EXPECT_EQ(form(top, INFIX_C), "[ <= 1 parm[3] [ ] { /coef -2 /var parm[4] } ]");
  EXPECT_EQ(form(top, POSTFIX), "[ <= 1 V/$3 [ ] { /coef -2 /var W/$4 } ]");
  EXPECT_EQ(form(ASTDict(), PREFIX), "{ }");

  ASTList symbols;
  for (int s = SYMB_NIL; s <= SYMB_LT; ++s) symbols.push_back(new ASTSymb(NodeType(s)));
  EXPECT_EQ(form(symbols, PREFIX), "[ nil == != >= > <= < ]");
  EXPECT_EQ(form(symbols, INFIX_C), "[ nil == != >= > <= < ]");
}

TEST(TextForms, FormsThatCannotBeWritten) {
  std::ostringstream o;
  ASTList l;
  ASTDict d;
  ASTSymb nil(SYMB_NIL), notASymbol(F_ADD);
  ASTDictKey key("coef");
  EXPECT_EQ(errorOf([&] { l.mathmlExpressionRec(o); }), "unimplemented");
  EXPECT_EQ(errorOf([&] { d.mathmlExpressionRec(o); }), "unimplemented");
  EXPECT_EQ(errorOf([&] { nil.mathmlExpressionRec(o); }), "unimplemented");
  EXPECT_EQ(errorOf([&] { notASymbol.prefixExpression(o); }), "unimplemented");
  EXPECT_EQ(errorOf([&] { key.prefixExpression(o); }), "abstract method called");
  EXPECT_EQ(errorOf([&] { key.infixExpression(o); }), "abstract method called");
  EXPECT_EQ(errorOf([&] { key.postfixExpression(o); }), "abstract method called");
  EXPECT_EQ(errorOf([&] { key.mathmlExpressionRec(o); }), "abstract method called");
  EXPECT_EQ(errorOf([&] { l.expression(o, Syntax(7)); }), "undefined syntax for an expressioin");
}

// An infix symbol on a function of arity 3 has no infix form.
class Ternary : public ASTAbstractFunction {
 public:
  Ternary() : ASTAbstractFunction("tri", "?", nullptr, 3, F_IF) {}
  FunctionValue value(const VariableValuation&) const override { return 0; }
  ASTAbstractFunction* makeNode() const override { return new Ternary(); }
};

TEST(TextForms, InfixSymbolNeedsArityOneOrTwo) {
  Ternary t;
  std::ostringstream o;
  EXPECT_EQ(errorOf([&] { t.infixExpression(o); }), "unexpected arity");
}

// Printing what the parser read and parsing it again gives the same text.
TEST(TextForms, PrefixRoundTrip) {
  const char* exprs[] = {"eq(X,add(Y,1))", "if(and(X,not(Y)),neg(-2147483648),pow(Z,3))",
                         "or(lt(mod(X,Y),2147483647),ge(abs(Z),max(X,min(Y,false))))"};
  VariableInfo t = xyzTable();
  for (const char* e : exprs) {
    SCOPED_TRACE(e);
    std::string once = form(*parse(e, &t), PREFIX);
    // The written names carry "/$" and the id; drop them to parse again.
    std::string plain;
    for (size_t i = 0; i < once.size(); ++i) {
      if (once.compare(i, 2, "/$") == 0) {
        i += 2;
        while (i < once.size() && isdigit(static_cast<unsigned char>(once[i]))) ++i;
        --i;
      } else {
        plain += once[i];
      }
    }
    EXPECT_EQ(plain, e);
    EXPECT_EQ(form(*parse(plain, &t), PREFIX), once);
  }
}

}  // namespace
