#pragma once

#include "encodings/VariableEncoding.h"

// Binary code of the value index: b = number of binary digits of the domain
// size, bit k (least significant first) is proposition base + k.  Codes from
// the domain size up to 2^b - 1 stand for no value and are excluded.
class VariableLogEncoding : public VariableEncoding {
 public:
  explicit VariableLogEncoding(Variable* v);
};
