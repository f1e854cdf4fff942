#pragma once

#include <vector>

#include "cores/ModelRotation.h"
#include "cores/PickTransition.h"
#include "cores/PreprocMUC.h"
#include "cores/SelectorsDataBase.h"
#include "search/CompleteSolver.h"

// Minimal unsatisfiable core extraction over the complete solver used as a
// satisfiability oracle (restartAndsolve).  Approaches: deletion,
// constructive, dichotomic and divide and conquer (QuickXPlain style).
// Constraints known to be in the core are marked soft and never removed
// again; after search returns 2 the constraint list holds exactly the core.
class ExtractMUC : public CompleteSolver {
 public:
  enum typeMR { NO = 0, RECURSIVE = 1, LS = 2 };
  enum typeMethod { DICHO = 0, DEL = 1, CONS = 2, XPLAIN = 3 };
  enum typePickConstraint {
    STATIC = 0,
    DYNAMIC = 1,
    STATIC_DOM = 2,
    DYNAMIC_DOM = 3,
    DYNAMIC_PLUS = 4,
    DYNAMIC_PLUS_DOM = 5
  };

  ExtractMUC(std::vector<Constraint*> c, std::vector<Variable*> v, int maxA, int maxD);

  // Reads the mode's options (the arguments after the mode name).  Unknown
  // options and malformed values end the process with status 1.
  void setOption(char** opts, int nb);

  // 1 when the network is satisfiable, 2 once a core has been extracted.
  int search(bool verb) override;
  // Final report; ends the process for res 1, 2 and 3.
  void showFinal(int res) override;
  virtual int preprocSearchConstraintMUC() { return 0; }

  void showHeader();
  void showInter();

  void removeConstraint(Constraint* c, bool onlyRemoveDataStructure) override;
  void addConstraint(Constraint* c) override;

  SelectorsDataBase* dbSelector;
  int maxSizeSelector;
  bool useLSScore;
  PreprocMUC* preproc;
  ModelRotation* mr;
  PickTransition* pt;
  int nbMucMR;
  int nbMucMac;
  int nbMucPU;
  int nbRemoved;
  int nbRun;
  int removedNotActive;
  int initNbConstraint;
  int nbCallMAC;  // oracle calls of the approaches (the base counts every call)
  int lastNbFind;
  bool wasSAT;
  typeMR optMR;
  typeMethod methodSearch;
  typePickConstraint optPickCons;
  bool optDynDich;
  bool optRmInactive;
  int rmInactiveSearch;
  int freqCallTryRemove;
  double* staticScore;
  int methodPreproc;
  int structurePropagate;
  int* tuple;

  int coreSize() const { return nbMucMac + nbMucMR + nbMucPU; }

 protected:
  // A replaced model rotation is kept, not freed: its local-search state
  // cannot release its own arrays.
  void retire(ModelRotation* m);
  std::vector<ModelRotation*> retired;

  void showAllOptionUsed();
  int firstPreproc(bool rmInactive);
  void mark(Constraint* c, int& counter);
  void clearActive();
  void rmInactiveConstraints();
  void puSelector(const std::vector<Constraint*>& removed);
  // True when the marked constraints alone proved unsatisfiable (the
  // approach ends).
  bool tryApproximationMUC();
  void runModelRotation() { nbMucMR += mr->performModelRotation(); }
  void removeAllNotIdentiedMuc();
  void assignAs(const std::vector<int>& values);
  void collectUnsatConstraintCurrentInterpretation(std::vector<Constraint*>& v);
  bool inProblem(Constraint* c) const;

  void deletionAppraoch(bool verb);
  void constructiveAppraoch(bool verb);
  void dichoAppraoch(bool verb);
  void xplainApproach(std::vector<Constraint*> tryToRemove, bool verb);
};

// Builds the local-search model rotation for "-lsmr"; null when local search
// is not part of this build.
ModelRotation* makeLocalSearchModelRotation(std::vector<Constraint*>& c, std::vector<Variable*>& v,
                                            int maxA, int maxDom, const char* method,
                                            SelectorsDataBase* db, int maxSizeSelector);
