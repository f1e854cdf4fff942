#include "encodings/VariableLogEncoding.h"

#include "network/Variable.h"

VariableLogEncoding::VariableLogEncoding(Variable* v) {
  int n = v->initSize;
  int base = currentProp;
  int b = 0;
  while (b < 31 && (n >> b) != 0) b++;
  nbVarProp = b;
  byProp.resize(n);
  std::vector<int> lits(b);
  for (int j = 0; j < n; j++) {
    for (int k = 0; k < b; k++) lits[k] = ((j >> k) & 1) ? base + k : -(base + k);
    setLiterals(v, v->infoVal[j]->getValProp(), lits);
  }
  long long codes = 1LL << b;
  for (long long i = n; i < codes; i++) {
    for (int k = 0; k < b; k++) lits[k] = ((i >> k) & 1) ? -(base + k) : base + k;
    prohibitedValues.push_back(lits);
  }
  currentProp += b;
}
