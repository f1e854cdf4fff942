#include "encodings/OrderEncoding.h"

OrderEncoding::OrderEncoding(const std::string& name, const std::vector<Constraint*>& cs,
                             const std::vector<Variable*>& vs, int maxA, int maxD)
    : Encoder(name, cs, vs, maxA, maxD) {
  for (Variable* x : vecVar) {
    VariableOrderEncoding* e = new VariableOrderEncoding(x);
    varMap[x->idVar] = e;
    encs.push_back(e);
    nbVars += e->getNbVarProp();
  }
}

void OrderEncoding::domainEncoding() {
  for (VariableEncoding* e : encs) {
    const std::vector<int>& p = static_cast<VariableOrderEncoding*>(e)->getVarProps();
    size_t n = p.size() - 1;
    lit(-p[0]);
    endClause();
    lit(p[n]);
    endClause();
    for (size_t k = 1; k <= n; k++) {
      lit(-p[k - 1]);
      lit(p[k]);
      endClause();
    }
  }
}

void OrderEncoding::constraintsEncoding() {
  for (Constraint* c : vecCont) writeForbiddenClauses(c);
}

void OrderEncoding::encode() {
  buildTables(encs);
  domainEncoding();
  constraintsEncoding();
}

supportOrderEncoding::supportOrderEncoding(const std::string& name,
                                           const std::vector<Constraint*>& cs,
                                           const std::vector<Variable*>& vs, int maxA, int maxD)
    : OrderEncoding(name, cs, vs, maxA, maxD) {}

void supportOrderEncoding::constraintsEncoding() {
  for (Constraint* c : vecCont) writeTupleVariableClauses(c);
}
