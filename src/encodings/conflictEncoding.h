#pragma once

#include <map>

#include "encodings/Encoder.h"
#include "encodings/VariableEncoding.h"

enum typeVarEncoding { DIRECT = 0, LOG = 1 };

// One clause per forbidden tuple, over one proposition per value (DIRECT,
// with at-least-one and at-most-one clauses per variable) or over the
// binary code of the value index (LOG, with the clauses excluding unused
// codes).
class conflictEncoding : public Encoder {
 public:
  conflictEncoding(const std::string& nameFile, const std::vector<Constraint*>& vecCont,
                   const std::vector<Variable*>& vecVar, int maxArity, int maxDom,
                   typeVarEncoding type);

  std::map<int, VariableEncoding*> varMap;
  typeVarEncoding type;

 protected:
  void encode() override;

 private:
  std::vector<VariableEncoding*> encs;  // in variable-list order
};
