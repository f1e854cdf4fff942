#pragma once

#include <string>
#include <vector>

#include "network/constraints/Constraint.h"

class RelationExtN;
struct Node;

// N-ary constraint in extension over a RelationExtN.  Revision of the
// variable at pos walks the relation's trie rooted at pos along the live
// values of the other variables (marked once per call in
// RelationExtN::bigTable), cutting subtrees by counting when possible.
class ConstraintExtN : public Constraint {
 public:
  int* interval;        // per position: number of values marked in this revision
  RelationExtN* myRel;  // the same object as rel

  ConstraintExtN(const std::string& name, Variable** scope, Relation* relation, int arity, int id);

  bool tupleExist(int* t) override;
  bool candidateForRevise() override;
  bool revise(Variable* v, int pos) override;
  bool softRevise(Variable* v, int pos) override;
  void switched(int pos) override;
  void computeTableRelation(std::vector<std::vector<int>>& table, bool& type) override;
  bool projection(std::vector<unsigned>& out) override;
  Variable* giveAleaVariable() override;
  int giveAleatNumber() override;

 private:
  bool conflicts;        // semantic of the relation
  int nbTuples;          // distinct tuples of the relation
  int* markedSz;         // per position: prefix of infoVal marked (for clearing)
  long long* range;      // per position: maxVal - minVal + 1 of the relation
  long long* qFrom;      // per position: product of the other positions' ranges, -1 if too large

  static void ensureBigTable(int ar);
  // Marks the live values of every position but pos; computes P.  Returns
  // false when (conflict semantic) a live value lies outside the relation's
  // range, in which case nothing is marked.
  bool markOthers(int pos, long long& P);
  void clearMarks(int pos);
  // Per-value decision: true if value record a of position pos has a support.
  bool hasSupport(int pos, int a, long long P);
  bool reviseSupport(const Node* node, int cur, long long P, long long Q);
  bool reviseConflit(const Node* node, int cur, long long P);
  void walkTable(const Node* tab, int sz, int level, std::vector<int>& props,
                 std::vector<std::vector<int>>& table);
  void walkProjection(const Node* tab, int sz, int level, std::vector<int>& vals,
                      std::vector<unsigned>& out, const std::vector<bool>& keep, unsigned& count);
};
