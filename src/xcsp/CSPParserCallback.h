#pragma once
// The one channel through which the XCSP 2.1 reader hands an instance over.
// The tag machine calls these operations in document order; every one has
// an empty default body, so an implementation overrides only what it needs.

#include <string>

#include "xcsp/AST.h"

// Semantics of a relation in extension.
enum RelType {
  REL_CONFLICT = 0,  // the listed tuples are forbidden
  REL_SUPPORT = 1,   // the listed tuples are allowed
  REL_SOFT = 2       // the tuples carry costs
};

namespace CSPXMLParser {

// Kind of a named object in the reader's symbol table.
enum CSPDefinitionType {
  RelationType = 0,
  PredicateType = 1,
  GlobalConstraintType = 2,
  DomainType = 3,
  VariableType = 4,
  ConstraintType = 5,
  UndefinedType = 6
};

// Everything passed by reference or pointer belongs to the reader and lives
// only until the call returns, except the tree of predicateExpression(AST*),
// which becomes the callee's.  The tuple array of addRelationTuple is one
// buffer refilled for every tuple: copy what you keep.
class CSPParserCallback {
 public:
  virtual ~CSPParserCallback() {}

  virtual void beginInstance(const std::string& name) { (void)name; }

  virtual void beginDomainsSection(int nbDomains) { (void)nbDomains; }
  virtual void beginDomain(const std::string& name, int idDomain, int nbValue) {
    (void)name; (void)idDomain; (void)nbValue;
  }
  virtual void addDomainValue(int v) { (void)v; }
  virtual void addDomainValue(int first, int last) { (void)first; (void)last; }
  virtual void endDomain() {}
  virtual void endDomainsSection() {}

  virtual void beginVariablesSection(int nbVariables) { (void)nbVariables; }
  virtual void addVariable(const std::string& name, int idVar,
                           const std::string& domain, int idDomain) {
    (void)name; (void)idVar; (void)domain; (void)idDomain;
  }
  virtual void endVariablesSection() {}

  virtual void beginRelationsSection(int nbRelations) { (void)nbRelations; }
  virtual void beginRelation(const std::string& name, int idRel, int arity,
                             int nbTuples, RelType relType) {
    (void)name; (void)idRel; (void)arity; (void)nbTuples; (void)relType;
  }
  virtual void addRelationTuple(int arity, int* tuple) { (void)arity; (void)tuple; }
  virtual void addRelationTuple(int arity, int* tuple, int cost) {
    (void)arity; (void)tuple; (void)cost;
  }
  virtual void endRelation() {}
  virtual void endRelationsSection() {}

  virtual void beginPredicatesSection(int nbPredicates) { (void)nbPredicates; }
  virtual void beginPredicate(const std::string& name, int idPred) {
    (void)name; (void)idPred;
  }
  virtual void addFormalParameter(int pos, const std::string& name,
                                  const std::string& type) {
    (void)pos; (void)name; (void)type;
  }
  // The expression as a tree (preferred representation TREE); the callee
  // owns the tree (the default drops it).
  virtual void predicateExpression(AST* tree) { delete tree; }
  // The expression as text in the preferred representation otherwise.
  virtual void predicateExpression(const std::string& expr) { (void)expr; }
  virtual void endPredicate() {}
  virtual void endPredicatesSection() {}

  virtual void beginConstraintsSection(int nbConstraints) { (void)nbConstraints; }
  virtual void beginConstraint(const std::string& name, int idConstr, int arity,
                               const std::string& reference,
                               CSPDefinitionType type, int id,
                               const ASTList& scope) {
    (void)name; (void)idConstr; (void)arity; (void)reference; (void)type;
    (void)id; (void)scope;
  }
  // Once per constraint, before endConstraint: the effective parameters, or
  // the scope list when the constraint has no parameters element.
  virtual void constraintParameters(const ASTList& args) { (void)args; }
  virtual void endConstraint() {}
  virtual void endConstraintsSection() {}

  virtual void endInstance() {}
};

}  // namespace CSPXMLParser
