#pragma once

#include <string>
#include <vector>

#include "network/constraints/Constraint.h"

class RelationExtN;
struct Node;

// N-ary constraint in extension over a RelationExtN.  Revision of the
// variable at pos walks the relation's trie rooted at pos along the live
// values of the other variables, marked once per call in bit tables, and
// cuts subtrees by counting when possible.
//
// Marks: a position whose variable has a compact value range is marked in
// the class-wide tables markTab (bit value - minValDom, like the relations'
// scratch tables); a position whose range is far wider than its domain is
// marked by declared value index in a table of its own, values being found
// by binary search, so that huge value ranges never size a table.
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

  // Class-wide mark tables, one per position, of markTabBits bits each.
  static TableauBit* markTab;
  static int markTabCount;
  static long long markTabBits;

  bool* sparse;          // per position: marked by declared index
  int** sortedVals;      // sparse positions: the declared values, ascending
  int** sortedProps;     // ... and their declared indices
  TableauBit* propMarks; // sparse positions: marks by declared index
  long long denseBits;   // bits the class-wide tables need for this scope

  void ensureMarkTab();
  inline void setMark(int k, const InfoValueVar* r, bool on);
  // Whether value val (inside the variable's [minValDom, maxValDom]) is marked.
  inline bool isMarked(int k, int val) const;
  void markAll();
  void clearAll();
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
