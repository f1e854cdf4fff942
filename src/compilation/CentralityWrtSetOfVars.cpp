#include "compilation/CentralityWrtSetOfVars.h"

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/betweenness_centrality.hpp>
#include <boost/property_map/property_map.hpp>

#include "network/Variable.h"
#include "network/constraints/Constraint.h"

typedef boost::adjacency_list<boost::setS, boost::vecS, boost::undirectedS, boost::no_property,
                              CentralityWrtSetOfVars::EdgeProperties, boost::no_property,
                              boost::listS>
    CentralityGraph;

Variable* CentralityWrtSetOfVars::selectVariableCentrality(std::vector<Variable*>& vecVar,
                                                           bool mode) {
  size_t n = vecVar.size();
  if (n < 3) return vecVar[0]->sizeDom < vecVar[1]->sizeDom ? vecVar[0] : vecVar[1];

  CentralityGraph g(n);
  for (size_t i = 0; i < n; i++) vecVar[i]->tmpVariable = (int)i;
  std::vector<double> w(mode ? n : 0, 0.0);

  for (size_t i = 0; i < n; i++) {
    Variable* v = vecVar[i];
    for (int k = 0; k < v->nbLink; k++) {
      Constraint* c = v->vecCont[k];
      if (c->isuniversal != -1) continue;
      if (mode) w[i] += c->score;
      for (int p = 0; p < c->arity; p++) {
        Variable* x = c->scope[p];
        if (x->sizeDom <= 1) continue;
        int j = x->tmpVariable;
        // Only variables of this list carry a valid vertex number.
        if (j <= (int)i || j >= (int)n || vecVar[j] != x) continue;
        boost::add_edge(i, (size_t)j, EdgeProperties{0}, g);
      }
    }
  }

  std::vector<double> centrality(n, 0.0);
  boost::brandes_betweenness_centrality(
      g, boost::centrality_map(
             boost::make_iterator_property_map(centrality.begin(), get(boost::vertex_index, g))));

  double best = -1;
  Variable* chosen = vecVar[0];
  for (size_t i = 0; i < n; i++) {
    double s = mode ? w[i] / vecVar[i]->sizeDom * centrality[i] : centrality[i];
    if (s > best) {
      best = s;
      chosen = vecVar[i];
    }
  }
  return chosen;
}
