#pragma once

#include <map>

#include "encodings/Encoder.h"
#include "encodings/VariableOrderEncoding.h"

// Order propositions per variable (index below k) chained by implications;
// one clause per forbidden tuple.
class OrderEncoding : public Encoder {
 public:
  OrderEncoding(const std::string& nameFile, const std::vector<Constraint*>& vecCont,
                const std::vector<Variable*>& vecVar, int maxArity, int maxDom);

  std::map<int, VariableOrderEncoding*> varMap;

 protected:
  void encode() override;
  // -p_0, p_n and the chain -p_{k-1} p_k of every variable.
  void domainEncoding();
  virtual void constraintsEncoding();

  std::vector<VariableEncoding*> encs;
};

// Order propositions; one tuple variable per allowed tuple, tied to the
// order literals of its values.
class supportOrderEncoding : public OrderEncoding {
 public:
  supportOrderEncoding(const std::string& nameFile, const std::vector<Constraint*>& vecCont,
                       const std::vector<Variable*>& vecVar, int maxArity, int maxDom);

 protected:
  void constraintsEncoding() override;
};
