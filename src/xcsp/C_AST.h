#pragma once
// Flat copies of syntax trees for clients that do not use the class
// interface: plain records whose first field is the node kind, all memory
// from malloc.  Built by AST::makeCTree, released by deleteCTree.

#include "xcsp/ASTTypes.h"

namespace CSPXMLParser {

// Every node starts with its kind; a symbol is a bare C_AST.
struct C_AST {
  NodeType type;
};

struct C_AST_VarNode {
  NodeType type;  // VAR
  char* varName;  // malloc'd copy of the name
  int idVar;
};

struct C_AST_CstNode {
  NodeType type;  // CST_BOOL or CST_INT
  int val;
};

struct C_AST_FxNode {
  NodeType type;  // one of F_NEG .. F_IFF
  int nbarg;
  C_AST** args;  // nbarg entries; a missing argument is null
};

struct C_AST_ListNode {
  NodeType type;  // LIST
  int size;
  C_AST** items;
};

struct C_AST_DictEntry {
  char* key;  // malloc'd copy
  C_AST* value;
};

struct C_AST_DictNode {
  NodeType type;  // DICT
  int size;
  C_AST_DictEntry* items;  // in key order
};

// Frees a flat tree and everything it points to; null is allowed.
void deleteCTree(C_AST* tree);

}  // namespace CSPXMLParser
