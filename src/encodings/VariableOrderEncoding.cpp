#include "encodings/VariableOrderEncoding.h"

#include "network/Variable.h"

VariableOrderEncoding::VariableOrderEncoding(Variable* v) {
  int n = v->initSize;
  nbVarProp = n + 1;
  for (int k = 0; k <= n; k++) varProps.push_back(currentProp++);
  byProp.resize(n);
  for (int i = 0; i < n; i++) {
    int k = v->infoVal[i]->getValProp();
    if (i == 0)
      setLiterals(v, k, {varProps[1]});
    else
      setLiterals(v, k, {-varProps[i], varProps[i + 1]});
  }
}
