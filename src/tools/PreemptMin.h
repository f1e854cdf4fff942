#pragma once
// Rewrites the network together with a preempted constraint (a list of
// tuples over some variables) into a new XCSP 2.1 instance: one copy of the
// network per tuple that does not extend to a solution, the preempted
// variables of each copy fixed to that tuple, and every network constraint
// guarded by a 0/1 selector shared by all copies (1 switches the constraint
// off) plus one unary constraint per selector forcing it to 0.

#include <map>
#include <string>
#include <vector>

#include "search/CompleteSolver.h"

class Domain;
class Relation;

class PreemptMin : public CompleteSolver {
 public:
  std::vector<Variable*> vars;
  std::vector<std::vector<int>> tuples;
  std::vector<Domain*> vecDom;
  std::vector<std::vector<int>> falseTuples;
  std::map<std::string, Domain*> mapAddDom;
  std::map<std::string, std::string> mapContToSel;
  int nbSelector;
  int startIndexSelector;
  Domain* domSelector;
  std::string newPredicate;

  PreemptMin(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD,
             std::vector<Variable*> vP, std::vector<std::vector<int>> t, std::vector<Domain*> vecD);

  // 1 when every tuple extends to a solution; 2 after writing the instance.
  int search(bool verb) override;
  // For 1, says that the constraint is already preempted and ends with 0.
  void showFinal(int res) override;

  void domainGeneration();
  void variableGeneration();
  void predicateGeneration();
  void relationGeneration();
  void constraintGeneration();
  // Appends to out every tuple of the product values[pos..] (with t[0..pos-1]
  // already set) that r rejects.
  void generateConflictSelectorEndXCSP2(Relation* r, std::vector<std::vector<int>>& values, int pos,
                                        int* t, std::vector<std::vector<int>>& out);

  static std::string intToString(int x);
  // Shorter name first; equal lengths byte by byte.
  static bool domainCmp(Domain* a, Domain* b);
  static bool relationCmp(Relation* a, Relation* b);

 private:
  std::vector<Domain*> newDomains;  // singleton domains, in creation order
};
