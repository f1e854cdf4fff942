#include "xcsp/AST.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace CSPXMLParser {

namespace {

[[noreturn]] void fail(const char* message) { throw std::runtime_error(message); }

char* copyString(const std::string& s) {
  char* c = static_cast<char*>(std::malloc(s.size() + 1));
  if (!c) throw std::bad_alloc();
  std::memcpy(c, s.c_str(), s.size() + 1);
  return c;
}

template <class T>
T* allocNode(NodeType type) {
  T* n = static_cast<T*>(std::calloc(1, sizeof(T)));
  if (!n) throw std::bad_alloc();
  n->type = type;
  return n;
}

const char* symbolText(NodeType t) {
  switch (t) {
    case SYMB_NIL: return "nil";
    case SYMB_EQ: return "==";
    case SYMB_NE: return "!=";
    case SYMB_GE: return ">=";
    case SYMB_GT: return ">";
    case SYMB_LE: return "<=";
    case SYMB_LT: return "<";
    default: fail("unimplemented");
  }
}

}  // namespace

int readIntegerConstant(const char* beg, const char* end) {
  const char* p = beg;
  bool negative = false;
  if (p != end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  long long v = 0;
  for (; p != end && *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > 2147483648LL) fail("integer constant out of range in expression");
  }
  if (negative) v = -v;
  if (v > INT_MAX) fail("integer constant out of range in expression");
  return static_cast<int>(v);
}

// ---------------------------------------------------------------- AST

const AST& AST::getArg(int) const { fail("request for an non existing child of an AST node"); }

void AST::expression(std::ostream& s, Syntax syntax) const {
  switch (syntax) {
    case TREE:
    case PREFIX: prefixExpression(s); break;
    case INFIX_C: infixExpression(s); break;
    case POSTFIX: postfixExpression(s); break;
    case MATHML: mathmlExpression(s); break;
    default: fail("undefined syntax for an expressioin");
  }
}

void AST::mathmlExpression(std::ostream& s) const {
  s << "<math>\n";
  mathmlExpressionRec(s);
  s << "</math>\n";
}

bool AST::hasKey(const std::string& key) const { return isDict() && dict().hasKey(key); }

const std::string& AST::getVarName() const {
  const ASTVar* v = dynamic_cast<const ASTVar*>(this);
  if (!v) fail("node is not a variable");
  return v->name;
}

int AST::getVarId() const {
  const ASTVar* v = dynamic_cast<const ASTVar*>(this);
  if (!v) fail("node is not a variable");
  return v->id;
}

int AST::getInteger() const {
  const ASTInteger* v = dynamic_cast<const ASTInteger*>(this);
  if (!v) fail("node is not an integer");
  return v->val;
}

bool AST::getBoolean() const {
  const ASTBoolean* v = dynamic_cast<const ASTBoolean*>(this);
  if (!v) fail("node is not a Boolean");
  return v->val;
}

const ASTList& AST::list() const {
  const ASTList* l = dynamic_cast<const ASTList*>(this);
  if (!l) fail("node is not a list");
  return *l;
}

ASTList& AST::list() { return const_cast<ASTList&>(static_cast<const AST*>(this)->list()); }

const ASTDict& AST::dict() const {
  const ASTDict* d = dynamic_cast<const ASTDict*>(this);
  if (!d) fail("node is not a dictionary");
  return *d;
}

ASTDict& AST::dict() { return const_cast<ASTDict&>(static_cast<const AST*>(this)->dict()); }

const AST& AST::operator[](const std::string& key) const { return dict().getArg(key); }

// ---------------------------------------------------------------- ASTVar

FunctionValue ASTVar::value(const VariableValuation& valuation) const {
  return valuation.getVarValue(static_cast<unsigned>(id));
}

void ASTVar::prefixExpression(std::ostream& s) const { s << name << "/$" << id; }
void ASTVar::infixExpression(std::ostream& s) const { s << "parm[" << id << ']'; }
void ASTVar::postfixExpression(std::ostream& s) const { prefixExpression(s); }
void ASTVar::mathmlExpressionRec(std::ostream& s) const { s << "  <ci>" << name << "</ci>\n"; }
void ASTVar::setArg(int, AST*) { fail("a variable cannot have any argument"); }

C_AST* ASTVar::makeCTree() const {
  C_AST_VarNode* n = allocNode<C_AST_VarNode>(VAR);
  n->idVar = id;
  try {
    n->varName = copyString(name);
  } catch (...) {
    std::free(n);
    throw;
  }
  return reinterpret_cast<C_AST*>(n);
}

// ---------------------------------------------------------------- constants

FunctionValue ASTInteger::value(const VariableValuation&) const { return val; }
void ASTInteger::prefixExpression(std::ostream& s) const { s << val; }
void ASTInteger::infixExpression(std::ostream& s) const { s << val; }
void ASTInteger::postfixExpression(std::ostream& s) const { s << val; }
void ASTInteger::mathmlExpressionRec(std::ostream& s) const { s << "  <cn>" << val << "</cn>\n"; }
void ASTInteger::setArg(int, AST*) { fail("a constant cannot have any argument"); }

C_AST* ASTInteger::makeCTree() const {
  C_AST_CstNode* n = allocNode<C_AST_CstNode>(CST_INT);
  n->val = val;
  return reinterpret_cast<C_AST*>(n);
}

FunctionValue ASTBoolean::value(const VariableValuation&) const { return val ? 1 : 0; }
void ASTBoolean::prefixExpression(std::ostream& s) const { s << (val ? "true" : "false"); }
void ASTBoolean::infixExpression(std::ostream& s) const { prefixExpression(s); }
void ASTBoolean::postfixExpression(std::ostream& s) const { prefixExpression(s); }
void ASTBoolean::mathmlExpressionRec(std::ostream& s) const {
  s << (val ? "  <true/>\n" : "  <false/>\n");
}
void ASTBoolean::setArg(int, AST*) { fail("a constant cannot have any argument"); }

C_AST* ASTBoolean::makeCTree() const {
  C_AST_CstNode* n = allocNode<C_AST_CstNode>(CST_BOOL);
  n->val = val ? 1 : 0;
  return reinterpret_cast<C_AST*>(n);
}

// ---------------------------------------------------------------- ASTSymb

FunctionValue ASTSymb::value(const VariableValuation&) const {
  fail("no valuation defined for a symbolic constant");
}
const AST& ASTSymb::getArg(int) const { fail("abstract method called"); }
void ASTSymb::prefixExpression(std::ostream& s) const { s << symbolText(cst); }
void ASTSymb::infixExpression(std::ostream& s) const { s << symbolText(cst); }
void ASTSymb::postfixExpression(std::ostream& s) const { s << symbolText(cst); }
void ASTSymb::mathmlExpressionRec(std::ostream&) const { fail("unimplemented"); }
void ASTSymb::setArg(int, AST*) { fail("abstract method called"); }
C_AST* ASTSymb::makeCTree() const { return allocNode<C_AST>(cst); }

// ---------------------------------------------------------------- ASTList

ASTList::~ASTList() {
  for (AST* a : list) delete a;
}

void ASTList::clear() {
  for (AST* a : list) delete a;
  list.clear();
}

FunctionValue ASTList::value(const VariableValuation&) const {
  fail("no valuation defined for a list");
}

const AST& ASTList::getArg(int i) const {
  if (i < 0 || static_cast<size_t>(i) >= list.size() || !list[i])
    fail("request for an non existing child of an AST node");
  return *list[i];
}

void ASTList::prefixExpression(std::ostream& s) const {
  s << '[';
  for (const AST* a : list) {
    s << ' ';
    if (a) a->prefixExpression(s);
  }
  s << " ]";
}

void ASTList::infixExpression(std::ostream& s) const {
  s << '[';
  for (const AST* a : list) {
    s << ' ';
    if (a) a->infixExpression(s);
  }
  s << " ]";
}

void ASTList::postfixExpression(std::ostream& s) const {
  s << '[';
  for (const AST* a : list) {
    s << ' ';
    if (a) a->postfixExpression(s);
  }
  s << " ]";
}

void ASTList::mathmlExpressionRec(std::ostream&) const { fail("unimplemented"); }
void ASTList::setArg(int, AST*) { fail("abstract method called"); }

C_AST* ASTList::makeCTree() const {
  C_AST_ListNode* n = allocNode<C_AST_ListNode>(LIST);
  try {
    n->items = static_cast<C_AST**>(std::calloc(list.size() ? list.size() : 1, sizeof(C_AST*)));
    if (!n->items) throw std::bad_alloc();
    for (const AST* a : list) {
      n->items[n->size] = a ? a->makeCTree() : nullptr;
      ++n->size;
    }
  } catch (...) {
    deleteCTree(reinterpret_cast<C_AST*>(n));
    throw;
  }
  return reinterpret_cast<C_AST*>(n);
}

// ---------------------------------------------------------------- ASTDict

ASTDict::~ASTDict() {
  for (auto& e : dict) delete e.second;
}

FunctionValue ASTDict::value(const VariableValuation&) const {
  fail("no valuation defined for a dict");
}

const AST& ASTDict::getArg(int) const { fail("dictionaries can't be accessed by index"); }
void ASTDict::setArg(int, AST*) { fail("dictionaries can't be accessed by index"); }

const AST& ASTDict::getArg(const std::string& key) const {
  auto it = dict.find(key);
  if (it == dict.end() || !it->second) fail("couldn't find key in dictionary");
  return *it->second;
}

void ASTDict::setArg(const std::string& key, AST* value) {
  if (dict.count(key)) fail("multiple assignments to the same key in dictionary");
  dict.emplace(key, value);
}

void ASTDict::prefixExpression(std::ostream& s) const {
  s << '{';
  for (const auto& e : dict) {
    s << " /" << e.first << ' ';
    if (e.second) e.second->prefixExpression(s);
  }
  s << " }";
}

void ASTDict::infixExpression(std::ostream& s) const {
  s << '{';
  for (const auto& e : dict) {
    s << " /" << e.first << ' ';
    if (e.second) e.second->infixExpression(s);
  }
  s << " }";
}

void ASTDict::postfixExpression(std::ostream& s) const {
  s << '{';
  for (const auto& e : dict) {
    s << " /" << e.first << ' ';
    if (e.second) e.second->postfixExpression(s);
  }
  s << " }";
}

void ASTDict::mathmlExpressionRec(std::ostream&) const { fail("unimplemented"); }

C_AST* ASTDict::makeCTree() const {
  C_AST_DictNode* n = allocNode<C_AST_DictNode>(DICT);
  try {
    n->items = static_cast<C_AST_DictEntry*>(
        std::calloc(dict.size() ? dict.size() : 1, sizeof(C_AST_DictEntry)));
    if (!n->items) throw std::bad_alloc();
    for (const auto& e : dict) {
      C_AST_DictEntry& item = n->items[n->size];
      ++n->size;  // counted first so that a failure below frees the key
      item.key = copyString(e.first);
      item.value = e.second ? e.second->makeCTree() : nullptr;
    }
  } catch (...) {
    deleteCTree(reinterpret_cast<C_AST*>(n));
    throw;
  }
  return reinterpret_cast<C_AST*>(n);
}

// ---------------------------------------------------------------- ASTDictKey

FunctionValue ASTDictKey::value(const VariableValuation&) const { fail("abstract method called"); }
void ASTDictKey::prefixExpression(std::ostream&) const { fail("abstract method called"); }
void ASTDictKey::infixExpression(std::ostream&) const { fail("abstract method called"); }
void ASTDictKey::postfixExpression(std::ostream&) const { fail("abstract method called"); }
void ASTDictKey::mathmlExpressionRec(std::ostream&) const { fail("abstract method called"); }
void ASTDictKey::setArg(int, AST*) { fail("abstract method called"); }
C_AST* ASTDictKey::makeCTree() const { fail("abstract method called"); }

}  // namespace CSPXMLParser
