#include "tools/Vizualizer.h"

#include <cstdio>
#include <utility>

#include "network/Variable.h"
#include "network/constraints/Constraint.h"

void Vizualizer::vizualHyperGraph(std::vector<Constraint*>& vecCont,
                                  std::vector<Variable*>& vecVar) {
  std::printf("%zu %zu\n", vecCont.size(), vecVar.size());
  for (Constraint* c : vecCont) {
    int arity = c->getArity();
    Variable** scope = c->getScope();
    std::printf("%d ", arity);
    for (int i = 0; i < arity; i++) std::printf("%d ", scope[i]->getId());
    std::printf("\n");
  }
  std::fflush(stdout);
}

void Vizualizer::vizualPrimalGraphDimacs(std::vector<Constraint*>& vecCont,
                                         std::vector<Variable*>& vecVar) {
  std::vector<std::pair<int, int>> edges;
  for (Constraint* c : vecCont) {
    int arity = c->getArity();
    Variable** scope = c->getScope();
    for (int j = 0; j < arity; j++) {
      int a = scope[j]->getId();
      for (int k = 0; k < arity; k++) {
        int b = scope[k]->getId();
        if (k != j && b >= a) edges.emplace_back(a + 1, b + 1);
      }
    }
  }
  std::printf("p edge %zu %zu\n", vecVar.size(), edges.size());
  for (const auto& e : edges) std::printf("e %d %d\n", e.first, e.second);
  std::fflush(stdout);
}
