#include "encodings/conflictEncoding.h"

#include "encodings/VariableLogEncoding.h"

conflictEncoding::conflictEncoding(const std::string& name, const std::vector<Constraint*>& cs,
                                   const std::vector<Variable*>& vs, int maxA, int maxD,
                                   typeVarEncoding t)
    : Encoder(name, cs, vs, maxA, maxD), type(t) {
  for (Variable* x : vecVar) {
    VariableEncoding* e;
    if (type == DIRECT)
      e = new VariableDirectEncoding(x);
    else
      e = new VariableLogEncoding(x);
    varMap[x->idVar] = e;
    encs.push_back(e);
    nbVars += e->getNbVarProp();
  }
}

void conflictEncoding::encode() {
  buildTables(encs);
  if (type == DIRECT) {
    for (size_t i = 0; i < vecVar.size(); i++) {
      writeAtLeastAtMostOne(vecVar[i]);
      for (const std::vector<int>& cl : encs[i]->getProhibitedValues()) clause(cl);
    }
  }
  for (VariableEncoding* e : encs)
    for (const std::vector<int>& cl : e->getProhibitedValues()) clause(cl);
  for (Constraint* c : vecCont) writeForbiddenClauses(c);
}
