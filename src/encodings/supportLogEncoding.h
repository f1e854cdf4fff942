#pragma once

#include <map>

#include "encodings/Encoder.h"
#include "encodings/VariableLogEncoding.h"

// Log encoding of the variables; one tuple variable per allowed tuple, tied
// to the codes of its values, and per constraint the clause that some
// allowed tuple holds.
class supportLogEncoding : public Encoder {
 public:
  supportLogEncoding(const std::string& nameFile, const std::vector<Constraint*>& vecCont,
                     const std::vector<Variable*>& vecVar, int maxArity, int maxDom);

  std::map<int, VariableLogEncoding*> varMap;

 protected:
  void encode() override;

 private:
  std::vector<VariableEncoding*> encs;
};
