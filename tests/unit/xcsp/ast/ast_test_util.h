#pragma once
// Helpers shared by the syntax-tree tests.

#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "xcsp/AST.h"
#include "xcsp/ASTFunctions.h"
#include "xcsp/ExpressionParser.h"

namespace asttest {

using namespace CSPXMLParser;

// Variable values by id.
class MapValuation : public VariableValuation {
 public:
  std::map<unsigned, FunctionValue> values;
  explicit MapValuation(std::map<unsigned, FunctionValue> v = {}) : values(std::move(v)) {}
  FunctionValue getVarValue(unsigned id) const override {
    auto it = values.find(id);
    if (it == values.end()) throw std::logic_error("variable without a value");
    return it->second;
  }
};

// The name table X:0 Y:1 Z:2.
inline VariableInfo xyzTable() {
  VariableInfo t;
  t["X"].id = 0;
  t["Y"].id = 1;
  t["Z"].id = 2;
  return t;
}

inline std::unique_ptr<AST> parse(const std::string& text, const VariableInfo* table = nullptr) {
  ExpressionParser<DefaultASTFactory> p;
  p.setVarInfo(table);
  return std::unique_ptr<AST>(p.prefixParser(text));
}

inline std::string form(const AST& a, Syntax s) {
  std::ostringstream o;
  a.expression(o, s);
  return o.str();
}

// The message of the runtime_error that f throws, or "" when it returns.
template <class F>
std::string errorOf(F f) {
  try {
    f();
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "";
}

}  // namespace asttest
