#pragma once

#include <vector>

#include "encodings/VariableEncoding.h"

// Order propositions p_0..p_n (n the domain size): p_k says that the value
// index is below k, so p_0 is false, p_n true and p_{k-1} implies p_k.
// Value a_0 is the literal p_1, value a_i (i >= 1) the pair -p_i, p_{i+1}.
class VariableOrderEncoding : public VariableEncoding {
 public:
  explicit VariableOrderEncoding(Variable* v);

  const std::vector<int>& getVarProps() const { return varProps; }

 private:
  std::vector<int> varProps;
};
