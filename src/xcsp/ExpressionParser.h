#pragma once
// Parser of predicate expressions in prefix (functional) notation, such as
// eq(X,add(Y,1)), into syntax trees.  Identifiers are resolved against a name
// table given by the caller (a predicate's formal parameters), so that every
// variable node carries the parameter's position.
//
// Failures throw std::runtime_error: "unknown function symbol", "incorrect
// argument number", "unbalanced parentheses", "undefined variable found in
// expression", and, for input no predicate needs, "expression nested too
// deeply (more than 1000 levels)" and "integer constant out of range in
// expression".  A failure anywhere gives no tree at all.

#include <cctype>
#include <cstring>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>

#include "xcsp/AST.h"
#include "xcsp/ASTFunctions.h"

namespace CSPXMLParser {

// Removes every white-space character (as isspace sees it).
std::string removeWhiteSpace(const std::string& s);

template <class ASTFactory>
class ExpressionParser {
 public:
  // Deepest nesting of function calls accepted; bounds the recursion of
  // the parser and of every operation on the trees it builds.
  static const int maxNesting = 1000;

  // One prototype per function, in the order neg, abs, add, sub, mul, div,
  // mod, pow, if, min, max, eq, ne, ge, gt, le, lt, not, and, or, xor, iff.
  std::deque<ASTAbstractFunction*> functionList;
  const VariableInfo* varInfo;

  ExpressionParser();
  ~ExpressionParser();
  ExpressionParser(const ExpressionParser&) = delete;
  ExpressionParser& operator=(const ExpressionParser&) = delete;

  // Name table for identifiers; null (the default): every identifier is a
  // variable of id -1.
  void setVarInfo(const VariableInfo* info) { varInfo = info; }
  void unsetVarInfo() { varInfo = nullptr; }

  // The tree of expr, white space ignored; the caller owns it.
  AST* prefixParser(const std::string& expr);
  // The same on text without white space.
  AST* recursivePrefixParser(const std::string& expr);

  // The prototype whose prefix symbol is name, or null.
  ASTAbstractFunction* findPrefixFunction(const std::string& name) const {
    return findPrefixFunction(name.data(), name.data() + name.size());
  }

 private:
  ASTAbstractFunction* findPrefixFunction(const char* b, const char* e) const;
  AST* parseText(const char* b, const char* e, int level);
  AST* parseArgument(const char* b, const char* e, int level);
  AST* parseBalanced(const char*& p, const char* e, int level);
  AST* makeLeaf(const char* b, const char* e) const;
  static void checkNesting(int level);
};

template <class ASTFactory>
ExpressionParser<ASTFactory>::ExpressionParser() : varInfo(nullptr) {
  functionList.push_back(new FunctionNeg());
  functionList.push_back(new FunctionAbs());
  functionList.push_back(new FunctionAdd());
  functionList.push_back(new FunctionSub());
  functionList.push_back(new FunctionMul());
  functionList.push_back(new FunctionDiv());
  functionList.push_back(new FunctionMod());
  functionList.push_back(new FunctionPow());
  functionList.push_back(new FunctionIf());
  functionList.push_back(new FunctionMin());
  functionList.push_back(new FunctionMax());
  functionList.push_back(new FunctionEQ());
  functionList.push_back(new FunctionNE());
  functionList.push_back(new FunctionGE());
  functionList.push_back(new FunctionGT());
  functionList.push_back(new FunctionLE());
  functionList.push_back(new FunctionLT());
  functionList.push_back(new FunctionNot());
  functionList.push_back(new FunctionAnd());
  functionList.push_back(new FunctionOr());
  functionList.push_back(new FunctionXor());
  functionList.push_back(new FunctionIff());
}

template <class ASTFactory>
ExpressionParser<ASTFactory>::~ExpressionParser() {
  for (ASTAbstractFunction* f : functionList) delete f;
}

template <class ASTFactory>
AST* ExpressionParser<ASTFactory>::prefixParser(const std::string& expr) {
  std::string f = removeWhiteSpace(expr);
  return parseText(f.data(), f.data() + f.size(), 0);
}

template <class ASTFactory>
AST* ExpressionParser<ASTFactory>::recursivePrefixParser(const std::string& expr) {
  return parseText(expr.data(), expr.data() + expr.size(), 0);
}

template <class ASTFactory>
ASTAbstractFunction* ExpressionParser<ASTFactory>::findPrefixFunction(const char* b,
                                                                      const char* e) const {
  size_t n = static_cast<size_t>(e - b);
  for (ASTAbstractFunction* f : functionList)
    if (std::strlen(f->prefixSymbol) == n && std::memcmp(f->prefixSymbol, b, n) == 0) return f;
  return nullptr;
}

template <class ASTFactory>
void ExpressionParser<ASTFactory>::checkNesting(int level) {
  if (level >= maxNesting)
    throw std::runtime_error("expression nested too deeply (more than 1000 levels)");
}

// The whole text [b, e): the first "(" at depth 0 names the function, each
// "," or ")" at depth 1 ends one argument, and the depth must come back to 0
// at the end.  Text after the closing parenthesis is ignored unless it opens
// another parenthesis at depth 0.  Without any parenthesis the text is a leaf.
template <class ASTFactory>
AST* ExpressionParser<ASTFactory>::parseText(const char* b, const char* e, int level) {
  long depth = 0;
  int counter = 0;
  std::unique_ptr<ASTAbstractFunction> node;
  const char* argStart = b;
  for (const char* p = b; p != e; ++p) {
    char c = *p;
    if (c == '(') {
      if (depth == 0) {
        // Once a call was read, the text before this one is never a name.
        ASTAbstractFunction* proto = node ? nullptr : findPrefixFunction(b, p);
        if (!proto) throw std::runtime_error("unknown function symbol");
        checkNesting(level);
        node.reset(proto->makeNode());
        argStart = p + 1;
        depth = 1;
      } else {
        ++depth;
      }
    } else if ((c == ',' || c == ')') && depth == 1) {
      std::unique_ptr<AST> arg(parseArgument(argStart, p, level + 1));
      node->setArg(counter, arg.get());
      arg.release();
      ++counter;
      argStart = p + 1;
      if (c == ')') depth = 0;
    } else if (c == ')') {
      --depth;
    }
  }
  if (depth != 0) throw std::runtime_error("unbalanced parentheses");
  if (node) return node.release();
  return makeLeaf(b, e);
}

// One argument [b, e) of a call read by parseText.  Its parentheses balance
// and it holds no "," or ")" outside them, so a single left-to-right descent
// (parseBalanced) reads it exactly as parseText would, in linear time.
template <class ASTFactory>
AST* ExpressionParser<ASTFactory>::parseArgument(const char* b, const char* e, int level) {
  for (const char* p = b; p != e; ++p)
    if (std::isspace(static_cast<unsigned char>(*p))) {
      // Only reached when recursivePrefixParser got white space.
      std::string f = removeWhiteSpace(std::string(b, e));
      return parseText(f.data(), f.data() + f.size(), level);
    }
  const char* p = b;
  std::unique_ptr<AST> tree(parseBalanced(p, e, level));
  if (p != e) {
    // Not expected for a delimited argument; read it the general way.
    tree.reset();
    return parseText(b, e, level);
  }
  return tree.release();
}

// Reads one expression from p, stopping at the first "," or ")" outside its
// own parentheses (or at e); p is left on that character.
template <class ASTFactory>
AST* ExpressionParser<ASTFactory>::parseBalanced(const char*& p, const char* e, int level) {
  const char* b = p;
  while (p != e && *p != '(' && *p != ',' && *p != ')') ++p;
  if (p == e || *p != '(') return makeLeaf(b, p);

  ASTAbstractFunction* proto = findPrefixFunction(b, p);
  if (!proto) throw std::runtime_error("unknown function symbol");
  checkNesting(level);
  std::unique_ptr<ASTAbstractFunction> node(proto->makeNode());
  ++p;
  for (int counter = 0;; ++counter) {
    std::unique_ptr<AST> arg(parseBalanced(p, e, level + 1));
    if (p == e) throw std::runtime_error("unbalanced parentheses");
    node->setArg(counter, arg.get());
    arg.release();
    if (*p++ == ')') break;
  }
  // Up to the end of this argument only another call could follow, and the
  // text before it is never a function name.
  for (; p != e && *p != ',' && *p != ')'; ++p)
    if (*p == '(') throw std::runtime_error("unknown function symbol");
  return node.release();
}

// A leaf: an integer when the text does not start with a letter, a Boolean
// for exactly true or false, else an identifier.
template <class ASTFactory>
AST* ExpressionParser<ASTFactory>::makeLeaf(const char* b, const char* e) const {
  if (b == e || !std::isalpha(static_cast<unsigned char>(*b)))
    return ASTFactory::mkInteger(readIntegerConstant(b, e));
  std::string name(b, e);
  if (name == "true") return ASTFactory::mkBoolean(true);
  if (name == "false") return ASTFactory::mkBoolean(false);
  if (!varInfo) return ASTFactory::mkVar(name, -1);
  typename VariableInfo::const_iterator it = varInfo->find(name);
  if (it == varInfo->end()) throw std::runtime_error("undefined variable found in expression");
  return ASTFactory::mkVar(name, it->second.id);
}

extern template class ExpressionParser<DefaultASTFactory>;

}  // namespace CSPXMLParser
