#include "encodings/mixteEncoding.h"

#include <iostream>

mixteEncoding::mixteEncoding(const std::string& name, bool minimum,
                             const std::vector<Constraint*>& cs, const std::vector<Variable*>& vs,
                             int maxA, int maxD)
    : supportEncoding(name, cs, vs, maxA, maxD),
      nbConflictClauses(0),
      nbSupportClauses(0),
      nbHitConflict(0),
      nbHitSupport(0),
      min(minimum) {}

void mixteEncoding::reduceSizeClauseByIntroduceVariable(const std::vector<int>& cl, int& counter) {
  if (cl.size() < 10) {
    clause(cl);
    return;
  }
  std::vector<int> aux;
  for (size_t g = 0; g < cl.size(); g += 10) {
    size_t e = g + 10 < cl.size() ? g + 10 : cl.size();
    int a = counter++;
    aux.push_back(a);
    for (size_t i = g; i < e; i++) {
      lit(a);
      lit(-cl[i]);
      endClause();
    }
    lit(-a);
    for (size_t i = g; i < e; i++) lit(cl[i]);
    endClause();
  }
  reduceSizeClauseByIntroduceVariable(aux, counter);
}

void mixteEncoding::generateAllConfiguration() {
  std::vector<std::vector<int>> table;
  std::vector<int> some;
  for (Constraint* c : vecCont) {
    table.clear();
    bool support = false;
    if (c->arity == 0) {
      // Nothing to enumerate: the empty tuple is the one conflict or none.
      if (!c->tupleExist(tupleValues.data())) table.emplace_back();
    } else {
      c->computeTableRelation(table, support);
    }
    // The tuple-variable clauses say that one listed tuple holds, which is
    // sound only for tuples over the whole scope: a table over a
    // decomposition (pairs of an all-different over three variables or
    // more) is replaced by the enumeration of the whole scope.
    if (support && !table.empty() && table[0].size() != (size_t)c->arity) {
      table.clear();
      c->Constraint::computeTableRelation(table, support);
    }
    if (!support) {
      nbHitConflict++;
      for (const std::vector<int>& t : table) {
        for (int p : t) lit(-p);
        endClause();
        nbConflictClauses++;
      }
      continue;
    }
    nbHitSupport++;
    int f = InfoValueVar::currentProp;
    int T = (int)table.size();
    int n = f + T;
    some.clear();
    for (int i = 0; i < T; i++) some.push_back(f + i);
    reduceSizeClauseByIntroduceVariable(some, n);
    nbSupportClauses++;
    for (int i = 0; i < T; i++) {
      const std::vector<int>& t = table[i];
      lit(f + i);
      for (int p : t) lit(-p);
      endClause();
      for (int p : t) {
        lit(-(f + i));
        lit(p);
        endClause();
      }
      nbSupportClauses += (int)t.size() + 1;
    }
    InfoValueVar::currentProp = n;
    nbVars += n - f;
  }
}

void mixteEncoding::encode() {
  buildValueTables();
  writeValueClauses();
  generateAllConfiguration();
}

void mixteEncoding::printStatistics() {
  std::cerr << "c # conflicts/supports : " << nbHitConflict << "/" << nbHitSupport << std::endl;
  std::cerr << "c # conflict clauses : " << nbConflictClauses << std::endl;
  std::cerr << "c # suppport clauses : " << nbSupportClauses << std::endl;
}
