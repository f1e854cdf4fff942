#include "tools/GenConfigWrtVars.h"

#include <cstdlib>
#include <iostream>
#include <utility>

using namespace std;

GenConfigWrtVars::GenConfigWrtVars(vector<Constraint*> c, vector<Variable*> v, int maxA, int maxD,
                                   vector<Variable*> vc, int rT, int rF)
    : CompleteSolver(c, v, maxA, maxD), ratioTrue(rT), ratioFalse(rF), vars(move(vc)) {}

int GenConfigWrtVars::search(bool) {
  trueTuples.clear();
  falseTuples.clear();
  generateAllConfiguration(vars);
  return 1;
}

void GenConfigWrtVars::generateAllConfiguration(vector<Variable*> v) {
  vector<vector<int>> values(v.size());
  for (size_t i = 0; i < v.size(); i++)
    for (int p = 0; p < v[i]->sizeDom; p++) values[i].push_back(v[i]->getValueIdx(p));
  vector<int> current;
  current.reserve(v.size());
  generateAllConfigurationAcc(v, values, current);
}

void GenConfigWrtVars::generateAllConfigurationAcc(const vector<Variable*>& v,
                                                   const vector<vector<int>>& values,
                                                   vector<int>& current) {
  size_t k = current.size();
  if (k < v.size()) {
    for (int x : values[k]) {
      current.push_back(x);
      generateAllConfigurationAcc(v, values, current);
      current.pop_back();
    }
    return;
  }
  (classify(v, current) ? trueTuples : falseTuples).push_back(current);
}

bool GenConfigWrtVars::classify(const vector<Variable*>& v, const vector<int>& current) {
  for (Variable* x : vecVar) x->reinitVariable();
  for (size_t i = 0; i < v.size(); i++) {
    Variable* x = v[i];
    int p = x->positionDom(current[i]);
    if (p < 0) return false;
    x->onlyInfoVal(p);
  }
  return CompleteSolver::search(false) != 2;
}

void GenConfigWrtVars::showFinal(int) {
  auto shuffle = [](vector<vector<int>>& l) {
    int n = (int)l.size();
    for (int k = 0; k < 10 * n; k++) {
      int a = rand() % n;
      int b = rand() % n;
      swap(l[a], l[b]);
    }
  };
  shuffle(trueTuples);
  shuffle(falseTuples);

  auto sampleSize = [](int ratio, size_t n) {
    int r = (int)(ratio / 100.0 * (double)n);
    if (r == 0 && n != 0 && ratio != 0) r = 1;
    if (r < 0) r = 0;
    if ((size_t)r > n) r = (int)n;
    return r;
  };
  int nbT = sampleSize(ratioTrue, trueTuples.size());
  int nbF = sampleSize(ratioFalse, falseTuples.size());

  cout << "i " << nbT + nbF << " " << nbT << " " << nbF << "\n";
  cout << "a " << vars.size() << "\n";
  cout << "v ";
  for (Variable* x : vars) cout << x->getName() << " ";
  cout << "\n";
  for (int k = 0; k < nbT; k++) {
    for (int x : trueTuples[k]) cout << x << " ";
    cout << "\n";
  }
  for (int k = 0; k < nbF; k++) {
    for (int x : falseTuples[k]) cout << x << " ";
    cout << "\n";
  }
  cout.flush();
}
