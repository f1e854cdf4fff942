#pragma once
// Syntax trees of the reader: predicate expressions, constraint scopes and
// effective constraint parameters.  Every node owns its children and deletes
// them with itself.  The function nodes are in xcsp/ASTFunctions.h.
//
// All failures throw std::runtime_error with a fixed message.

#include <deque>
#include <map>
#include <ostream>
#include <string>

#include "xcsp/ASTTypes.h"
#include "xcsp/C_AST.h"

namespace CSPXMLParser {

class ASTList;
class ASTDict;

class AST {
 public:
  virtual ~AST() {}

  virtual FunctionValue value(const VariableValuation& valuation) const = 0;
  // Number of children.
  virtual int nbArg() const { return 0; }
  // Child i, 0 <= i < nbArg().
  virtual const AST& getArg(int i) const;
  virtual NodeType getType() const = 0;

  virtual void prefixExpression(std::ostream& s) const = 0;
  virtual void infixExpression(std::ostream& s) const = 0;
  virtual void postfixExpression(std::ostream& s) const = 0;
  // One item per line, without the enclosing <math> element.
  virtual void mathmlExpressionRec(std::ostream& s) const = 0;

  // Stores child i; the node takes ownership when the call succeeds (a
  // child it replaces is deleted).  On failure the caller keeps the child.
  virtual void setArg(int i, AST* child) = 0;

  // A malloc'd flat copy of the tree (free it with deleteCTree).
  virtual C_AST* makeCTree() const = 0;

  // Writes the tree in the given form; TREE writes the prefix form.
  void expression(std::ostream& s, Syntax syntax) const;
  // <math>, a line end, the MathML items, </math> and a line end.
  void mathmlExpression(std::ostream& s) const;

  int size() const { return nbArg(); }

  bool isVar() const { return getType() == VAR; }
  bool isInteger() const { return getType() == CST_INT; }
  bool isBoolean() const { return getType() == CST_BOOL; }
  bool isSymbol() const {
    NodeType t = getType();
    return t >= SYMB_NIL && t <= SYMB_LT;
  }
  bool isOperator() const {
    NodeType t = getType();
    return t >= F_NEG && t <= F_IFF;
  }
  bool isList() const { return getType() == LIST; }
  bool isDict() const { return getType() == DICT; }

  // Whether this node is a dictionary holding key.
  bool hasKey(const std::string& key) const;

  // Fields of an ASTVar, ASTInteger or ASTBoolean node; on a node of
  // another class they throw.
  const std::string& getVarName() const;
  int getVarId() const;
  int getInteger() const;
  bool getBoolean() const;

  // This node as a list or dictionary; on another node they throw.
  const ASTList& list() const;
  ASTList& list();
  const ASTDict& dict() const;
  ASTDict& dict();

  const AST& operator[](int i) const { return getArg(i); }
  // The dictionary entry under key.
  const AST& operator[](const std::string& key) const;
};

class ASTVar : public AST {
 public:
  std::string name;
  int id;

  ASTVar(const std::string& name, int id) : name(name), id(id) {}

  FunctionValue value(const VariableValuation& valuation) const override;
  NodeType getType() const override { return VAR; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;

  const std::string& getName() const { return name; }
  int getId() const { return id; }
};

class ASTInteger : public AST {
 public:
  int val;

  explicit ASTInteger(int val) : val(val) {}

  FunctionValue value(const VariableValuation& valuation) const override;
  NodeType getType() const override { return CST_INT; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;

  int getValue() const { return val; }
};

class ASTBoolean : public AST {
 public:
  bool val;

  explicit ASTBoolean(bool val) : val(val) {}

  FunctionValue value(const VariableValuation& valuation) const override;
  NodeType getType() const override { return CST_BOOL; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;

  bool getValue() const { return val; }
};

// A relational symbol or nil (SYMB_NIL .. SYMB_LT).
class ASTSymb : public AST {
 public:
  const NodeType cst;

  explicit ASTSymb(NodeType cst) : cst(cst) {}

  FunctionValue value(const VariableValuation& valuation) const override;
  const AST& getArg(int i) const override;
  NodeType getType() const override { return cst; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;
};

class ASTList : public AST {
 public:
  std::deque<AST*> list;

  ASTList() {}
  ~ASTList() override;
  ASTList(const ASTList&) = delete;
  ASTList& operator=(const ASTList&) = delete;

  FunctionValue value(const VariableValuation& valuation) const override;
  int nbArg() const override { return static_cast<int>(list.size()); }
  const AST& getArg(int i) const override;
  NodeType getType() const override { return LIST; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;

  // The list takes ownership of the element.
  void push_back(AST* elem) { list.push_back(elem); }
  void push_front(AST* elem) { list.push_front(elem); }
  // Deletes every element and empties the list.
  void clear();
};

class ASTDict : public AST {
 public:
  std::map<std::string, AST*> dict;

  ASTDict() {}
  ~ASTDict() override;
  ASTDict(const ASTDict&) = delete;
  ASTDict& operator=(const ASTDict&) = delete;

  FunctionValue value(const VariableValuation& valuation) const override;
  int nbArg() const override { return static_cast<int>(dict.size()); }
  const AST& getArg(int i) const override;
  NodeType getType() const override { return DICT; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;

  virtual const AST& getArg(const std::string& key) const;
  // Stores value under a new key (taking ownership); a key already present
  // throws and leaves value to the caller.
  virtual void setArg(const std::string& key, AST* value);

  bool hasKey(const std::string& key) const { return dict.count(key) != 0; }
};

// A dictionary key waiting for its value on the reader's operand stack.
class ASTDictKey : public AST {
 public:
  const std::string key;

  explicit ASTDictKey(const std::string& key) : key(key) {}

  FunctionValue value(const VariableValuation& valuation) const override;
  NodeType getType() const override { return _DICTKEY; }
  void prefixExpression(std::ostream& s) const override;
  void infixExpression(std::ostream& s) const override;
  void postfixExpression(std::ostream& s) const override;
  void mathmlExpressionRec(std::ostream& s) const override;
  void setArg(int i, AST* child) override;
  C_AST* makeCTree() const override;

  const std::string& getKey() const { return key; }
};

// Reads an integer constant: optional sign, decimal digits, stopping at the
// first other character; no digit gives 0.  A value outside the int range
// throws "integer constant out of range in expression".
int readIntegerConstant(const char* beg, const char* end);

// Node factory the parsers are instantiated with.
class DefaultASTFactory {
 public:
  static ASTVar* mkVar(const std::string& name, int id) { return new ASTVar(name, id); }
  static ASTInteger* mkInteger(int val) { return new ASTInteger(val); }
  // The text read as by readIntegerConstant.
  static ASTInteger* mkInteger(const std::string& val) {
    return new ASTInteger(readIntegerConstant(val.data(), val.data() + val.size()));
  }
  static ASTBoolean* mkBoolean(bool val) { return new ASTBoolean(val); }
  static ASTSymb* mkSymb(NodeType type) { return new ASTSymb(type); }
  static ASTList* mkList() { return new ASTList(); }
  static ASTDict* mkDict() { return new ASTDict(); }
};

}  // namespace CSPXMLParser
