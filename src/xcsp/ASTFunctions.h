#pragma once
// Function nodes of the syntax trees: the 22 arithmetic, relational and
// logical functions of predicate expressions.  A function node is made
// argument-less (by its constructor or by makeNode() on a prototype) and
// filled with setArg.  Evaluation is 32-bit int arithmetic where sums,
// differences and products wrap.

#include "xcsp/AST.h"

namespace CSPXMLParser {

class ASTAbstractFunction : public AST {
 public:
  int nbarg;
  AST** args;  // nbarg children, null until set
  const char* prefixSymbol;  // also the name in the prefix notation
  const char* infixSymbol;   // null: written as prefixSymbol(args)
  const char* mathMLSymbol;  // null: the prefix symbol is used
  NodeType type;

  ASTAbstractFunction(const char* prefixSymbol, const char* infixSymbol,
                      const char* mathMLSymbol, int nbarg, NodeType type);
  ~ASTAbstractFunction() override;
  ASTAbstractFunction(const ASTAbstractFunction&) = delete;
  ASTAbstractFunction& operator=(const ASTAbstractFunction&) = delete;

  int nbArg() const override { return nbarg; }
  // Throws "missing argument for a function" when child i was never set.
  const AST& getArg(int i) const override;
  NodeType getType() const override { return type; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;

  // A new, argument-less node of the same class.
  virtual ASTAbstractFunction* makeNode() const = 0;

 protected:
  // Throws "missing argument for a function" when any child is null.
  void checkArgs() const;
  FunctionValue arg(int i, const VariableValuation& v) const { return args[i]->value(v); }
};

class FunctionNeg : public ASTAbstractFunction {
 public:
  FunctionNeg();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionNeg(); }
  // Written -(a) in infix form.
  void infixExpression(std::ostream& s) const override;
};

class FunctionAbs : public ASTAbstractFunction {
 public:
  FunctionAbs();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionAbs(); }
};

class FunctionAdd : public ASTAbstractFunction {
 public:
  FunctionAdd();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionAdd(); }
};

class FunctionSub : public ASTAbstractFunction {
 public:
  FunctionSub();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionSub(); }
};

class FunctionMul : public ASTAbstractFunction {
 public:
  FunctionMul();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionMul(); }
};

class FunctionDiv : public ASTAbstractFunction {
 public:
  FunctionDiv();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionDiv(); }
};

class FunctionMod : public ASTAbstractFunction {
 public:
  FunctionMod();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionMod(); }
};

class FunctionPow : public ASTAbstractFunction {
 public:
  FunctionPow();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionPow(); }
};

class FunctionIf : public ASTAbstractFunction {
 public:
  FunctionIf();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionIf(); }
};

class FunctionMin : public ASTAbstractFunction {
 public:
  FunctionMin();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionMin(); }
};

class FunctionMax : public ASTAbstractFunction {
 public:
  FunctionMax();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionMax(); }
};

class FunctionEQ : public ASTAbstractFunction {
 public:
  FunctionEQ();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionEQ(); }
};

class FunctionNE : public ASTAbstractFunction {
 public:
  FunctionNE();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionNE(); }
};

class FunctionGE : public ASTAbstractFunction {
 public:
  FunctionGE();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionGE(); }
};

class FunctionGT : public ASTAbstractFunction {
 public:
  FunctionGT();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionGT(); }
};

class FunctionLE : public ASTAbstractFunction {
 public:
  FunctionLE();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionLE(); }
};

class FunctionLT : public ASTAbstractFunction {
 public:
  FunctionLT();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionLT(); }
};

class FunctionNot : public ASTAbstractFunction {
 public:
  FunctionNot();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionNot(); }
};

class FunctionAnd : public ASTAbstractFunction {
 public:
  FunctionAnd();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionAnd(); }
};

class FunctionOr : public ASTAbstractFunction {
 public:
  FunctionOr();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionOr(); }
};

class FunctionXor : public ASTAbstractFunction {
 public:
  FunctionXor();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionXor(); }
};

class FunctionIff : public ASTAbstractFunction {
 public:
  FunctionIff();
  FunctionValue value(const VariableValuation& v) const override;
  ASTAbstractFunction* makeNode() const override { return new FunctionIff(); }
};

// Integer power by repeated squaring, as FunctionPow evaluates it.
FunctionValue powerValue(FunctionValue x, FunctionValue n);

}  // namespace CSPXMLParser
