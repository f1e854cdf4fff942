#include "tools/PreemptMin.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "network/Domain.h"
#include "network/constraints/ConstraintInt.h"
#include "network/predicates/Predicat.h"
#include "network/relations/Relation.h"
#include "network/relations/RelationExtNDec.h"

using namespace std;

namespace {

bool nameLess(const string& a, const string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

string quoted(const string& s) { return "\"" + s + "\""; }

// Number of formal parameters of a predicate referenced by c.
int predicateArity(Constraint* c) {
  Predicat* p = static_cast<Predicat*>(c->rel);
  if (!p->getParamList().empty()) return (int)p->getParamList().size();
  return static_cast<ConstraintInt*>(c)->nbEltCreation;
}

}  // namespace

PreemptMin::PreemptMin(vector<Constraint*> c, vector<Variable*> v, int maxA, int maxD,
                       vector<Variable*> vP, vector<vector<int>> t, vector<Domain*> vecD)
    : CompleteSolver(c, v, maxA, maxD),
      vars(move(vP)),
      tuples(move(t)),
      vecDom(move(vecD)),
      nbSelector(0),
      startIndexSelector(0),
      domSelector(nullptr) {}

string PreemptMin::intToString(int x) { return to_string(x); }

bool PreemptMin::domainCmp(Domain* a, Domain* b) { return nameLess(a->getName(), b->getName()); }

bool PreemptMin::relationCmp(Relation* a, Relation* b) { return nameLess(a->getName(), b->getName()); }

int PreemptMin::search(bool) {
  // Only constraints over a relation or a predicate can be rewritten with a
  // selector; refuse the others before any work.
  for (Constraint* c : vecCont)
    if (!c->rel || dynamic_cast<RelationExtNDec*>(c->rel)) {
      cout.flush();
      cerr << "c the constraint " << c->getName()
           << " has no relation or predicate of its own and cannot be rewritten with a selector" << endl;
      exit(1);
    }

  falseTuples.clear();
  for (const vector<int>& t : tuples) {
    bool ok = t.size() == vars.size();
    for (size_t j = 0; ok && j < vars.size(); j++) {
      Variable* x = vars[j];
      x->blocked = false;
      x->sizeDom = x->currentSizeDom;
      x->saveSize.clear();
      int p = x->positionDom(t[j]);
      if (p < 0) ok = false;
      else x->onlyInfoVal(p);
      x->blocked = true;
    }
    if (!ok) {
      cout.flush();
      cerr << "A variable cannot assign a value of the set of tuples" << endl;
      exit(30);
    }
    if (restartAndsolve() == 2) falseTuples.push_back(t);
  }
  if (falseTuples.empty()) return 1;

  cout << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  cout << "<instance>\n";
  cout << "<presentation maxConstraintArity=\"" << maxArity + 1 << "\" format=\"XCSP 2.1\"/>\n";
  domainGeneration();
  variableGeneration();
  predicateGeneration();
  relationGeneration();
  constraintGeneration();
  cout << "</instance>\n";
  cout.flush();
  return 2;
}

void PreemptMin::showFinal(int res) {
  if (res == 1) {
    cout << "the constraint is already preemted" << endl;
    exit(0);
  }
}

void PreemptMin::domainGeneration() {
  int nbNet = (int)vecDom.size();
  domSelector = new Domain("D" + intToString(nbNet));
  domSelector->add(0);
  domSelector->add(1);

  int next = nbNet + 1;
  newDomains.clear();
  for (const vector<int>& t : falseTuples)
    for (int x : t) {
      string key = intToString(x);
      if (mapAddDom.count(key)) continue;
      Domain* d = new Domain("D" + intToString(next++));
      d->add(x);
      mapAddDom[key] = d;
      newDomains.push_back(d);
    }

  cout << "<domains nbDomains=\"" << next << "\">\n";
  vector<Domain*> sorted(vecDom);
  sort(sorted.begin(), sorted.end(), domainCmp);
  for (Domain* d : sorted) d->showXCSP2();
  domSelector->showXCSP2();
  for (Domain* d : newDomains) d->showXCSP2();
  cout << "</domains>\n";
}

void PreemptMin::variableGeneration() {
  int N = (int)vecVar.size(), F = (int)falseTuples.size();
  cout << "<variables nbVariables=\"" << F * N + (int)vecCont.size() << "\">\n";
  for (Variable* x : vecVar) x->blocked = false;
  for (Variable* x : vars) x->blocked = true;

  for (int t = 0; t < F; t++)
    for (Variable* x : vecVar) {
      string dom = x->getNameDomain();
      if (x->blocked) {
        size_t j = find(vars.begin(), vars.end(), x) - vars.begin();
        dom = mapAddDom[intToString(falseTuples[t][j])]->getName();
      }
      cout << "<variable name =" << quoted("V" + intToString(N * t + x->idVar))
           << " domain = " << quoted(dom) << "/>\n";
    }

  startIndexSelector = N * F;
  for (size_t k = 0; k < vecCont.size(); k++) {
    nbSelector++;
    string sel = "V" + intToString(startIndexSelector + (int)k);
    mapContToSel[vecCont[k]->getName()] = sel;
    cout << "<variable name =" << quoted(sel) << " domain = " << quoted(domSelector->getName()) << "/>\n";
  }
  cout << "</variables>\n";
}

void PreemptMin::predicateGeneration() {
  vector<Constraint*> users;  // first constraint over each distinct predicate
  for (Constraint* c : vecCont) {
    if (c->rel->getType() != 3) continue;
    bool seen = false;
    for (Constraint* u : users)
      if (u->rel->getName() == c->rel->getName()) seen = true;
    if (!seen) users.push_back(c);
  }
  newPredicate = "P" + intToString((int)users.size());

  cout << "<predicates nbPredicates=\"" << users.size() + 1 << "\">\n";
  for (Constraint* c : users) {
    Predicat* p = static_cast<Predicat*>(c->rel);
    int k = predicateArity(c);
    string s = "X" + intToString(k);
    cout << "<predicate name=" << quoted(p->getName()) << ">\n";
    // The expression below names the formal parameters X0, X1, ... by
    // position, so the list uses the same names.
    cout << "<parameters>";
    for (int i = 0; i < k; i++) cout << "int X" << i << " ";
    cout << "int " << s << "</parameters>\n";
    cout << "<expression>\n";
    cout << "<functional>or(";
    p->getExpression()->aff();
    cout << ",eq(" << s << ",1))</functional>\n";
    cout << "</expression>\n</predicate>\n";
  }
  cout << "<predicate name=" << quoted(newPredicate) << ">\n";
  cout << "<parameters> int X0 </parameters>\n";
  cout << "<expression>\n<functional>eq(X0,0)</functional>\n</expression>\n</predicate>\n";
  cout << "</predicates>\n";
}

void PreemptMin::generateConflictSelectorEndXCSP2(Relation* r, vector<vector<int>>& values, int pos,
                                                  int* t, vector<vector<int>>& out) {
  if (pos == (int)values.size()) {
    if (!r->isTuple(t)) out.emplace_back(t, t + values.size());
    return;
  }
  for (int x : values[pos]) {
    t[pos] = x;
    generateConflictSelectorEndXCSP2(r, values, pos + 1, t, out);
  }
}

void PreemptMin::relationGeneration() {
  vector<Relation*> rels;
  vector<vector<vector<int>>> lists;
  for (Constraint* c : vecCont) {
    if (c->rel->getType() == 3) continue;
    size_t k = 0;
    while (k < rels.size() && rels[k]->getName() != c->rel->getName()) k++;
    if (k == rels.size()) {
      rels.push_back(c->rel);
      lists.emplace_back(c->arity);
    }
    for (int i = 0; i < c->arity && i < (int)lists[k].size(); i++) {
      vector<int>& l = lists[k][i];
      for (int x : c->scope[i]->getDomain()->getVector())
        if (find(l.begin(), l.end(), x) == l.end()) l.push_back(x);
    }
  }
  if (rels.empty()) return;

  vector<size_t> order(rels.size());
  for (size_t i = 0; i < order.size(); i++) order[i] = i;
  stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return relationCmp(rels[a], rels[b]); });

  cout << "<relations nbRelations=\"" << rels.size() << "\">\n";
  vector<vector<int>> kept;
  for (size_t idx : order) {
    Relation* r = rels[idx];
    vector<vector<int>>& values = lists[idx];
    int ar = (int)values.size();
    kept.clear();
    vector<int> t(ar > 0 ? ar : 1, 0);
    generateConflictSelectorEndXCSP2(r, values, 0, t.data(), kept);
    cout << "<relation name=" << quoted(r->getName()) << " arity=" << quoted(intToString(ar + 1))
         << " nbTuples=" << quoted(intToString((int)kept.size())) << " semantics=" << quoted("conflicts")
         << ">";
    for (size_t i = 0; i < kept.size(); i++) {
      if (i) cout << "|";
      for (int x : kept[i]) cout << x << " ";
      cout << "0";
    }
    cout << "\n</relation>\n";
  }
  cout << "</relations>\n";
}

void PreemptMin::constraintGeneration() {
  int N = (int)vecVar.size(), C = (int)vecCont.size(), F = (int)falseTuples.size();
  cout << "<constraints nbConstraints=\"" << C * (F + 1) << "\">\n";
  for (int t = 0; t < F; t++)
    for (Constraint* c : vecCont) {
      const string& sel = mapContToSel[c->getName()];
      string scope;
      for (int i = 0; i < c->arity; i++) scope += "V" + intToString(N * t + c->scope[i]->idVar) + " ";
      scope += sel;
      cout << "<constraint name=" << quoted("C" + intToString(C * t + c->idCont))
           << " arity=" << quoted(intToString(c->arity + 1)) << " scope=" << quoted(scope)
           << " reference=" << quoted(c->rel->getName()) << ">\n";
      if (c->rel->getType() == 3) {
        ConstraintInt* ci = static_cast<ConstraintInt*>(c);
        cout << "<parameters>";
        for (int i = 0; i < ci->nbEltCreation; i++) {
          Variable* x = ci->varCreation[i];
          if (x) cout << "V" << N * t + x->idVar << " ";
          else cout << ci->valCreation[i] << " ";
        }
        cout << sel << " </parameters>\n";
      }
      cout << "</constraint>\n";
    }
  for (int k = 0; k < C; k++) {
    const string& sel = mapContToSel[vecCont[k]->getName()];
    cout << "<constraint name=" << quoted("C" + intToString(C * F + k)) << " arity=" << quoted("1")
         << " scope=" << quoted(sel) << " reference=" << quoted(newPredicate) << ">\n";
    cout << "<parameters>" << sel << " </parameters>\n</constraint>\n";
  }
  cout << "</constraints>\n";
}
