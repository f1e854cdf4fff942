#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "compilation/Cache.h"
#include "compilation/CentralityWrtSetOfVars.h"
#include "compilation/Tree.h"
#include "search/Solver.h"

// Compiles the network into a decision graph whose decision nodes branch on
// every remaining value of one variable and whose conjunction nodes join
// sub-problems sharing no variable, then counts its models exactly.  Every
// branching is preceded by a MAC satisfiability check of the component, so
// an unsatisfiable sub-problem is one false leaf.  Equal components are
// shared through the cache.  Large (the cache table is inline): create it
// on the heap.
class DdnnfCompiler : public Solver {
 public:
  DdnnfCompiler(std::vector<Constraint*>& vecC, std::vector<Variable*>& vecV, int maxA, int maxD,
                bool withCache, bool withDecomposition, bool useUniv, int kindOfHeuristic);

  // Compiles and prints "s " and the model count; 2 when the initial
  // propagation fails (nothing printed), 3 otherwise.
  int search(bool verb) override;
  // Statistics of the compilation; res is ignored and the process goes on.
  void showFinal(int res) override;

  // Compiles the current component at the current level, then undoes the
  // caller's decision (one level) unless at level 0.
  Tree* searchRec();
  // Decision node of the current component (or a cached one).
  Tree* developpeBranch();
  Tree* createTreeTrueLastVariables();
  // dom/wdeg over the variables of the current component.
  Variable* pickVariable();
  Variable* pickVariableDecisionNode(int mode);
  // Connected components of the current component's non-singleton
  // variables through its non-universal constraints.
  void decomposition(std::vector<std::vector<Variable*>>& composantes,
                     std::vector<std::vector<Constraint*>>& composantesConst);
  // Marks the constraints around touchVariable that are universal under the
  // current domains and appends them to universalConstraints.
  void detectUniversalConstraint(std::vector<Constraint*>& universalConstraints,
                                 std::vector<Variable*>& touchVariable);

  std::vector<Variable*>* vecPickVar;
  std::vector<Constraint*>* vecCurrentConst;
  uint64_t nbTotalConflicts;
  int nbCallMAC;
  int conflict;
  int born;
  int nbAndNodes, nbCalls, nbOrNodes, nbTrueNodes, nbFalseNodes, nbPosCacheHit, nbNegCacheHit,
      nbUniversalDetected;
  Cache cache;
  uint64_t nbEdges;
  bool withCache, withDecomposition, useUniv;
  int kindOfHeuristic;
  CentralityWrtSetOfVars centrality;

 private:
  // Storage reused by the calls at one recursion depth, so that the
  // compilation does not allocate its working lists at every node.
  struct Frame {
    std::vector<int> sizes;
    std::vector<Variable*> changed;
    std::vector<Constraint*> universal;
    std::vector<std::vector<Variable*>> comps;
    std::vector<std::vector<Constraint*>> compsConst;
    size_t nbComps = 0;
    std::vector<Variable*> collected;
    std::vector<int> values;
  };
  struct DecompItem {
    Variable* v;
    int ci;  // index of the constraint being visited in v's list
    int sj;  // next scope position of that constraint, -1 when none open
  };

  Frame& frame(size_t d);
  // Satisfiability check of the current component from level L.
  bool checkSat(int L);
  // Fills the frame's component lists; returns their number.
  size_t decompose(Frame& f);
  void decomposeRec(Variable* v, std::vector<Variable*>& tmp, std::vector<Constraint*>& tmpConst,
                    int id);
  void progress(int n);

  std::vector<std::unique_ptr<Frame>> frames;
  size_t depth;
  volatile bool compiling;  // inside the compilation proper (for the interrupt report)
  std::vector<Variable*> stackDecision;
  std::vector<Constraint*> candidates;
  std::vector<DecompItem> decompStack;
};
