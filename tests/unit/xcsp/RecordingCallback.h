#pragma once
// A reader callback that writes every call it receives as one line of text,
// so that tests compare whole call sequences.  Trees are written in prefix
// form; a tuple as its values, with ":cost" for a soft one.

#include <sstream>
#include <string>

#include "xcsp/AST.h"
#include "xcsp/CSPParserCallback.h"

namespace vantor_test {

using namespace CSPXMLParser;

inline const char* kindName(CSPDefinitionType t) {
  switch (t) {
    case RelationType: return "relation";
    case PredicateType: return "predicate";
    case GlobalConstraintType: return "global";
    case DomainType: return "domain";
    case VariableType: return "variable";
    case ConstraintType: return "constraint";
    default: return "undefined";
  }
}

inline const char* relTypeName(RelType t) {
  switch (t) {
    case REL_CONFLICT: return "conflicts";
    case REL_SUPPORT: return "supports";
    case REL_SOFT: return "soft";
  }
  return "?";
}

class RecordingCallback : public CSPParserCallback {
 public:
  std::ostringstream out;
  // Read the keys of weighted-sum dictionaries as the network builder does,
  // so that a missing key fails here too.
  bool readWeightedSumKeys = false;

  std::string text() const { return out.str(); }

  void beginInstance(const std::string& name) override { line() << "beginInstance " << name; end(); }
  void beginDomainsSection(int n) override { line() << "beginDomainsSection " << n; end(); }
  void beginDomain(const std::string& name, int id, int nb) override {
    line() << "beginDomain " << name << " " << id << " " << nb; end();
  }
  void addDomainValue(int v) override { line() << "addDomainValue " << v; end(); }
  void addDomainValue(int a, int b) override { line() << "addDomainValue " << a << ".." << b; end(); }
  void endDomain() override { line() << "endDomain"; end(); }
  void endDomainsSection() override { line() << "endDomainsSection"; end(); }
  void beginVariablesSection(int n) override { line() << "beginVariablesSection " << n; end(); }
  void addVariable(const std::string& name, int id, const std::string& dom, int idDom) override {
    line() << "addVariable " << name << " " << id << " " << dom << " " << idDom; end();
  }
  void endVariablesSection() override { line() << "endVariablesSection"; end(); }
  void beginRelationsSection(int n) override { line() << "beginRelationsSection " << n; end(); }
  void beginRelation(const std::string& name, int id, int arity, int nbTuples, RelType t) override {
    line() << "beginRelation " << name << " " << id << " " << arity << " " << nbTuples << " "
           << relTypeName(t);
    end();
  }
  void addRelationTuple(int arity, int* tuple) override {
    line() << "tuple";
    for (int k = 0; k < arity; ++k) out << " " << tuple[k];
    end();
  }
  void addRelationTuple(int arity, int* tuple, int cost) override {
    line() << "tuple";
    for (int k = 0; k < arity; ++k) out << " " << tuple[k];
    out << " :" << cost;
    end();
  }
  void endRelation() override { line() << "endRelation"; end(); }
  void endRelationsSection() override { line() << "endRelationsSection"; end(); }
  void beginPredicatesSection(int n) override { line() << "beginPredicatesSection " << n; end(); }
  void beginPredicate(const std::string& name, int id) override {
    line() << "beginPredicate " << name << " " << id; end();
  }
  void addFormalParameter(int pos, const std::string& name, const std::string& type) override {
    line() << "addFormalParameter " << pos << " " << name << " " << type; end();
  }
  void predicateExpression(AST* tree) override {
    line() << "predicateTree ";
    tree->prefixExpression(out);
    delete tree;
    end();
  }
  void predicateExpression(const std::string& expr) override {
    line() << "predicateExpression " << expr; end();
  }
  void endPredicate() override { line() << "endPredicate"; end(); }
  void endPredicatesSection() override { line() << "endPredicatesSection"; end(); }
  void beginConstraintsSection(int n) override { line() << "beginConstraintsSection " << n; end(); }
  void beginConstraint(const std::string& name, int id, int arity, const std::string& ref,
                       CSPDefinitionType type, int refId, const ASTList& scope) override {
    reference = ref;
    line() << "beginConstraint " << name << " " << id << " " << arity << " " << ref << " "
           << kindName(type) << " " << refId << " ";
    scope.prefixExpression(out);
    end();
  }
  void constraintParameters(const ASTList& args) override {
    line() << "constraintParameters ";
    args.prefixExpression(out);
    end();
    if (readWeightedSumKeys && reference == "global:weightedsum" && args.nbArg() > 0 &&
        args[0].isList())
      for (int k = 0; k < args[0].nbArg(); ++k) {
        args[0][k]["coef"];
        args[0][k]["var"];
      }
  }
  void endConstraint() override { line() << "endConstraint"; end(); }
  void endConstraintsSection() override { line() << "endConstraintsSection"; end(); }
  void endInstance() override { line() << "endInstance"; end(); }

 private:
  std::string reference;
  std::ostream& line() { return out; }
  void end() { out << "\n"; }
};

}  // namespace vantor_test
