#pragma once

#include <vector>

#include "encodings/supportEncoding.h"

// Direct encoding where each constraint is written from the smaller of its
// two tables: forbidden tuples as conflict clauses, or allowed tuples with
// tuple variables.  Clauses of 10 literals or more are split through
// auxiliary variables.
class mixteEncoding : public supportEncoding {
 public:
  mixteEncoding(const std::string& nameFile, bool minimum, const std::vector<Constraint*>& vecCont,
                const std::vector<Variable*>& vecVar, int maxArity, int maxDom);

  // Writes clause, or, from 10 literals on, groups of 10 literals each tied
  // to a fresh variable (numbered from counter, which advances) equivalent
  // to their disjunction, and then the clause over these variables, reduced
  // the same way.
  void reduceSizeClauseByIntroduceVariable(const std::vector<int>& clause, int& counter);

  int nbConflictClauses;
  int nbSupportClauses;
  int nbHitConflict;
  int nbHitSupport;
  bool min;

 protected:
  void encode() override;
  void printStatistics() override;
  void generateAllConfiguration();
};
