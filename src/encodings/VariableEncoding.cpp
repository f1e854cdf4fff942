#include "encodings/VariableEncoding.h"

#include "network/Variable.h"

int VariableEncoding::currentProp = 1;

void VariableEncoding::setLiterals(Variable* v, int k, const std::vector<int>& lits) {
  if ((int)byProp.size() < v->initSize) byProp.resize(v->initSize);
  byProp[k] = lits;
  dom[v->getInfoByProp(k)->dom] = lits;
}

VariableDirectEncoding::VariableDirectEncoding(Variable* v) {
  byProp.resize(v->initSize);
  for (int i = 0; i < v->initSize; i++) {
    int p = currentProp++;
    setLiterals(v, v->infoVal[i]->getValProp(), {p});
  }
  nbVarProp = v->initSize;
}
