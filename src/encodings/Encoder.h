#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "encodings/ClauseWriter.h"
#include "network/InfoValueVar.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"
#include "search/Solver.h"

class VariableEncoding;

// Common part of the CNF encoders.  search() writes the clauses of the
// encoding (encode()) to "<nameFile>.tmp", then writes the DIMACS header,
// whose counts are known only then, to nameFile and copies the clauses
// behind it.  A file that cannot be opened or written is reported on
// standard error and ends the process with status 1, leaving no temporary
// file behind.
class Encoder : public Solver {
 public:
  Encoder(const std::string& nameFile, const std::vector<Constraint*>& vecCont,
          const std::vector<Variable*>& vecVar, int maxArity, int maxDom);

  int search(bool verb) override;
  // Time and memory on standard error; the process goes on.
  void showFinal(int res) override;

  long long getNbClauses() const { return nbClauses; }
  int getNbVars() const { return nbVars; }
  const std::string& getNameFile() const { return nameFile; }

  long long nbClauses;  // clauses written so far
  int nbVars;           // propositional variables declared so far
  ClauseWriter* file;   // the stream the clauses currently go to

 protected:
  // Writes every clause of the encoding through the clause helpers below.
  virtual void encode() = 0;
  // Lines of the final report between the "c " line and the time line.
  virtual void printStatistics() {}

  // ---- clause helpers (each clause ends with endClause) ----
  void lit(int l) { file->lit(l); }
  void endClause() {
    file->end();
    ++nbClauses;
  }
  void clause(const std::vector<int>& lits) {
    for (int l : lits) file->lit(l);
    endClause();
  }

  // ---- per-variable literal tables ----
  // For every declared value of a variable: its literal list and the text of
  // the negated list ("-a -b "), so that a conflict clause is a series of
  // block copies.
  struct VarLits {
    std::vector<uint32_t> off;   // initSize + 1 offsets into lits
    std::vector<int> lits;
    std::vector<uint32_t> toff;  // initSize + 1 offsets into neg
    std::string neg;
  };
  // Builds the tables from the encoders' per-variable encodings (list order).
  void buildTables(const std::vector<VariableEncoding*>& encs);
  // Builds the tables from the global value numbers.
  void buildValueTables();
  // Table index of a scope variable; ends the run for a variable that is not
  // in the encoder's list.
  int tableOf(const Variable* x);
  const VarLits& table(const Variable* x) { return tables[tableOf(x)]; }

  // Points the per-position tables at the scope of c.
  void bindScope(Constraint* c);
  // Negated literals of the value at position i of the current tuple.
  void negatedValueText(int i) {
    const VarLits& t = *posTables[i];
    unsigned k = tupleRecs[i]->header.prop;
    file->text(t.neg.data() + t.toff[k], t.toff[k + 1] - t.toff[k]);
  }

  // Calls onTuple(allowed) for every tuple of the current domains of c's
  // scope: first scope variable outermost, each domain in record order.
  // tupleRecs / tupleValues hold the current tuple.
  template <class F>
  void enumerate(Constraint* c, F&& onTuple) {
    int r = c->arity;
    Variable** sc = c->scope;
    for (int i = 0; i < r; i++)
      if (sc[i]->sizeDom <= 0) return;
    for (int i = 0; i < r; i++) {
      tupleIdx[i] = 0;
      tupleRecs[i] = sc[i]->infoVal[0];
      tupleValues[i] = tupleRecs[i]->dom;
    }
    for (;;) {
      onTuple(c->tupleExist(tupleValues.data()));
      int i = r - 1;
      for (; i >= 0; --i) {
        Variable* x = sc[i];
        int j = ++tupleIdx[i];
        if (j < x->sizeDom) {
          tupleRecs[i] = x->infoVal[j];
          tupleValues[i] = tupleRecs[i]->dom;
          break;
        }
        tupleIdx[i] = 0;
        tupleRecs[i] = x->infoVal[0];
        tupleValues[i] = tupleRecs[i]->dom;
      }
      if (i < 0) return;
    }
  }

  // One clause per tuple rejected by c: the negated literals of its values.
  void writeForbiddenClauses(Constraint* c);
  // One tuple variable t per allowed tuple of c, numbered from
  // VariableEncoding::currentProp: t or the negated value literals, then
  // -t or each value literal; finally the clause of all tuple variables.
  void writeTupleVariableClauses(Constraint* c);
  // At least one and pairwise at most one value, over the literal lists of
  // the current values of x.
  void writeAtLeastAtMostOne(Variable* x);

  // Ends the run with an error about nameFile.
  [[noreturn]] void fileError(const std::string& path, const char* what, int err);

  std::string nameFile;
  std::vector<VarLits> tables;
  std::unordered_map<const Variable*, int> tableIndex;
  std::vector<const VarLits*> posTables;
  std::vector<int> tupleIdx;
  std::vector<InfoValueVar*> tupleRecs;
  std::vector<int> tupleValues;
};
