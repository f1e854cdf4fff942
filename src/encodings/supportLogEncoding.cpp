#include "encodings/supportLogEncoding.h"

supportLogEncoding::supportLogEncoding(const std::string& name, const std::vector<Constraint*>& cs,
                                       const std::vector<Variable*>& vs, int maxA, int maxD)
    : Encoder(name, cs, vs, maxA, maxD) {
  for (Variable* x : vecVar) {
    VariableLogEncoding* e = new VariableLogEncoding(x);
    varMap[x->idVar] = e;
    encs.push_back(e);
    nbVars += e->getNbVarProp();
  }
}

void supportLogEncoding::encode() {
  buildTables(encs);
  for (VariableEncoding* e : encs)
    for (const std::vector<int>& cl : e->getProhibitedValues()) clause(cl);
  for (Constraint* c : vecCont) writeTupleVariableClauses(c);
}
