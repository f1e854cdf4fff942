#pragma once

#include <vector>

#include "encodings/Encoder.h"

// Direct encoding over the global value numbers.  A constraint of arity at
// most 2 gets, for each value with a support, the clause "value implies one
// of its supports"; then every constraint gets one clause per forbidden
// tuple.
class supportEncoding : public Encoder {
 public:
  supportEncoding(const std::string& nameFile, const std::vector<Constraint*>& vecCont,
                  const std::vector<Variable*>& vecVar, int maxArity, int maxDom);

 protected:
  void encode() override;
  // At-least-one and at-most-one clauses of every variable over its value
  // numbers; adds the domain sizes to nbVars.
  void writeValueClauses();
  // Allowed tuples of c into tuples (flat, arity numbers per tuple) and the
  // marks of the scope's values cleared.
  void collectSupports(Constraint* c);
  void writeSupportClauses(Constraint* c);

  std::vector<int> tuples;  // allowed tuples of the current constraint
  size_t nbTuples;
  // Indexed by value number: the value already has its support clauses.
  std::vector<char> stamps;

 private:
  // Per position, the allowed tuples holding each value, in tuple order.
  std::vector<int> firstTuple[2], lastTuple[2], nextTuple[2];
  std::vector<unsigned> seen;
  unsigned seenMark = 0;
};

// Direct encoding with one tuple variable per allowed tuple: some tuple
// holds, the values of a tuple imply it and it implies each of its values.
class ACEncoding : public supportEncoding {
 public:
  ACEncoding(const std::string& nameFile, const std::vector<Constraint*>& vecCont,
             const std::vector<Variable*>& vecVar, int maxArity, int maxDom);

 protected:
  void encode() override;
};
