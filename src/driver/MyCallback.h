#pragma once
// Network builder: receives the reader's callbacks, creates the domains,
// variables, relations, predicates and constraints of the network, and acts
// as the factory of the solver chosen on the command line.

#include <map>
#include <string>
#include <vector>

#include "xcsp/CSPParserCallback.h"

class Domain;
class Variable;
class Relation;
class Predicat;
class Constraint;
class Solver;

class MyCallback : public CSPXMLParser::CSPParserCallback {
 public:
  // Decompose every relation that is not a bit matrix (leading "-decExtN").
  static bool decBin;
  // Merge intension constraints over the same ordered scope.
  static bool mergeInt;

  MyCallback();
  ~MyCallback() override;

  void beginInstance(const std::string& name) override;

  void beginDomainsSection(int nbDomains) override;
  void beginDomain(const std::string& name, int idDomain, int nbValue) override;
  void addDomainValue(int v) override;
  void addDomainValue(int first, int last) override;
  void endDomain() override;
  void endDomainsSection() override;

  void beginVariablesSection(int nbVariables) override;
  void addVariable(const std::string& name, int idVar, const std::string& domain,
                   int idDomain) override;
  void endVariablesSection() override;

  void beginRelationsSection(int nbRelations) override;
  void beginRelation(const std::string& name, int idRel, int arity, int nbTuples,
                     RelType relType) override;
  void addRelationTuple(int arity, int* tuple) override;
  void addRelationTuple(int arity, int* tuple, int cost) override;
  void endRelation() override;
  void endRelationsSection() override;

  void beginPredicatesSection(int nbPredicates) override;
  void beginPredicate(const std::string& name, int idPred) override;
  void addFormalParameter(int pos, const std::string& name,
                          const std::string& type) override;
  void predicateExpression(CSPXMLParser::AST* tree) override;
  void predicateExpression(const std::string& expr) override;
  void endPredicate() override;
  void endPredicatesSection() override;

  void beginConstraintsSection(int nbConstraints) override;
  void beginConstraint(const std::string& name, int idConstr, int arity,
                       const std::string& reference,
                       CSPXMLParser::CSPDefinitionType type, int id,
                       const CSPXMLParser::ASTList& scope) override;
  void constraintParameters(const CSPXMLParser::ASTList& args) override;
  void endConstraint() override;
  void endConstraintsSection() override;

  void endInstance() override;

  // Hands the network over (variables by id, domains by name) and builds the
  // solver of the mode argv[1]; information and export modes end the process
  // here.  argc/argv are those left after a leading "-decExtN" was dropped.
  Solver* createSolver(int seed, int argc, char** argv);

  // The help text, on standard error.
  static void showHelp();

  // Network hand-over: vecVar sorted by id, vecDom by name.
  void handOver();

  // Read access for tests and tools.
  const std::vector<Constraint*>& getConstraints() const { return vecCont; }
  const std::vector<Variable*>& getVariables() const { return vecVar; }
  const std::vector<Domain*>& getDomains() const { return vecDom; }
  int getMaxArity() const { return maxArity; }
  int getMaxDomain() const { return maxDomain; }
  int getTypeCSP() const { return typeCSP; }

 private:
  // Modes that print and end the process inside createSolver.
  void infosCSP(int argc);
  void constType(int argc);
  void interpretationToFalsifiedConstraints(int argc, char** argv);

  // Domain of the tuple indices 0..t-1 of a decomposed relation.
  Domain* tupleIndexDomain(const std::string& relationName, int nbTuples);

  bool firstDomainValue = false;
  bool firstTuple = false;
  std::string constraintReference;
  std::string domainReference;
  std::string relationReference;
  std::string predicatReference;
  bool relSemantic = false;

  std::map<std::string, Domain*> mapDom;
  std::map<std::string, Variable*> mapVar;
  std::map<std::string, Relation*> mapRel;
  // Intension constraints by the ordered list of their scope variables.
  std::map<std::vector<Variable*>, Constraint*> mapCont;

  std::vector<int*> vecTuple;
  std::vector<int> tupleValues;  // the tuples of the relation being read
  int currentArity = 0;
  int typeCSP = 0;

  std::vector<Constraint*> vecContSoft;
  std::vector<Constraint*> vecCont;
  std::vector<Variable*> vecVar;
  std::vector<Domain*> vecDom;

  std::vector<std::string> params;
  int maxArity = 0;
  int maxDomain = 0;
  int maxIdVar = 0;

  Domain* currentDomain = nullptr;
  Predicat* currentPredicat = nullptr;
  Constraint* currentConstraintWithArgs = nullptr;
  int currentNbParameter = 0;
  bool addRelToConstraint = false;
  Relation* currentRelation = nullptr;
};
