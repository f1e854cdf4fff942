#pragma once
// Basic types shared by the syntax trees, their flat copies and the
// expression parser.

#include <map>
#include <string>

namespace CSPXMLParser {

// Kind of a syntax-tree node.
enum NodeType {
  VAR = 0,
  CST_BOOL,
  CST_INT,
  LIST,
  DICT,
  F_NEG,  // 5
  F_ABS,
  F_ADD,
  F_SUB,
  F_MUL,
  F_DIV,
  F_MOD,
  F_POW,
  F_IF,
  F_MIN,
  F_MAX,
  F_EQ,
  F_NE,
  F_GE,
  F_GT,
  F_LE,
  F_LT,
  F_NOT,
  F_AND,
  F_OR,
  F_XOR,
  F_IFF,  // 26
  SYMB_NIL,  // 27
  SYMB_EQ,
  SYMB_NE,
  SYMB_GE,
  SYMB_GT,
  SYMB_LE,
  SYMB_LT,  // 33
  _DICTKEY  // 34
};

// Text forms a tree can be written in (TREE: hand the tree itself over).
enum Syntax { TREE = 0, PREFIX = 1, INFIX_C = 2, POSTFIX = 3, MATHML = 4 };

typedef int FunctionValue;

// Values of the variables a tree is evaluated under.
class VariableValuation {
 public:
  virtual ~VariableValuation() {}
  virtual FunctionValue getVarValue(unsigned id) const = 0;
};

enum VarType { TYPE_INT = 0, TYPE_BOOL = 1 };

// Entry of a name table mapping identifiers to ids.
struct VarInfo {
  int id = -1;
  VarType type = TYPE_INT;
};

typedef std::map<std::string, VarInfo> VariableInfo;

}  // namespace CSPXMLParser
