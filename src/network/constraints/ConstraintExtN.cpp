#include "network/constraints/ConstraintExtN.h"

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <stdexcept>

#include "network/TableauBit.h"
#include "network/Variable.h"
#include "network/relations/MDD.h"
#include "network/relations/RelationExtN.h"

namespace {
const long long kProductCap = 1LL << 62;

// Product that turns into -1 (unknown) once it would pass kProductCap; an
// unknown product disables every counting shortcut.
inline long long mulSat(long long p, long long f) {
  if (p < 0) return -1;
  if (f != 0 && p > kProductCap / f) return -1;
  return p * f;
}

inline long long divSat(long long p, long long f) {
  if (p < 0) return -1;
  return f > 0 ? p / f : 0;
}
}  // namespace

TableauBit* ConstraintExtN::markTab = nullptr;
int ConstraintExtN::markTabCount = 0;
long long ConstraintExtN::markTabBits = 0;

ConstraintExtN::ConstraintExtN(const std::string& nm, Variable** sc, Relation* relation, int ar, int id)
    : Constraint(nm, sc, relation, ar, id) {
  max_comb_for_revise = 100000;
  myRel = dynamic_cast<RelationExtN*>(relation);
  if (!myRel) throw std::runtime_error("n-ary extension constraint " + nm + " needs a relation in extension");
  if (myRel->getArity() != ar)
    throw std::runtime_error("constraint " + nm + " and its relation differ in arity");
  conflicts = myRel->getSemantic();
  nbTuples = myRel->getNbTuples();
  int n = ar > 0 ? ar : 1;
  interval = new int[n]();
  markedSz = new int[n]();
  range = new long long[n];
  qFrom = new long long[n];
  for (int k = 0; k < ar; k++) {
    long long r = (long long)myRel->getMaxValPos(k) - myRel->getMinValPos(k) + 1;
    range[k] = r > 0 ? r : 0;
  }
  sparse = new bool[n]();
  sortedVals = new int*[n]();
  sortedProps = new int*[n]();
  propMarks = new TableauBit[n];
  denseBits = 1;
  for (int k = 0; k < ar; k++) {
    Variable* x = scope[k];
    long long width = x->initSize > 0 ? (long long)x->maxValDom - x->minValDom + 1 : 1;
    if (width > 4096 && width > 64LL * x->initSize) {
      sparse[k] = true;
      std::vector<std::pair<int, int>> vp;
      for (int i = 0; i < x->initSize; i++) vp.push_back({x->records[i].dom, i});
      std::sort(vp.begin(), vp.end());
      sortedVals[k] = new int[x->initSize];
      sortedProps[k] = new int[x->initSize];
      for (int i = 0; i < x->initSize; i++) {
        sortedVals[k][i] = vp[i].first;
        sortedProps[k][i] = vp[i].second;
      }
      propMarks[k].initTab(x->initSize);
    } else if (width > denseBits) {
      denseBits = width;
    }
  }
  for (int p = 0; p < ar; p++) {
    long long q = 1;
    for (int k = 0; k < ar; k++)
      if (k != p) q = mulSat(q, range[k]);
    qFrom[p] = q;
  }
}

bool ConstraintExtN::tupleExist(int* t) { return myRel->isTuple(t); }

bool ConstraintExtN::candidateForRevise() {
  if (nbTuples <= 99999) return true;
  long long prod = 1;
  int nbFree = 0;
  bool exceeded = false;
  for (int i = 0; i < arity; i++) {
    int s = scope[i]->sizeDom;
    if (s > 1) nbFree++;
    if (!exceeded) {
      prod *= s;
      if (prod > max_comb_for_revise) exceeded = true;
    }
  }
  return nbFree <= 2 || !exceeded;
}

void ConstraintExtN::ensureMarkTab() {
  if (markTabCount >= arity && markTabBits >= denseBits) return;
  int count = arity > markTabCount ? arity : markTabCount;
  long long bits = denseBits > markTabBits ? denseBits : markTabBits;
  delete[] markTab;
  markTab = new TableauBit[count];
  for (int i = 0; i < count; i++) markTab[i].initTab((int)bits);
  markTabCount = count;
  markTabBits = bits;
}

inline void ConstraintExtN::setMark(int k, const InfoValueVar* r, bool on) {
  if (sparse[k])
    propMarks[k].set(r->header.prop, on);
  else
    markTab[k].set((unsigned)r->dom - (unsigned)scope[k]->minValDom, on);
}

inline bool ConstraintExtN::isMarked(int k, int val) const {
  if (!sparse[k]) return markTab[k].get((unsigned)val - (unsigned)scope[k]->minValDom);
  const int* sv = sortedVals[k];
  int n = scope[k]->initSize;
  const int* it = std::lower_bound(sv, sv + n, val);
  return it != sv + n && *it == val && propMarks[k].get((unsigned)sortedProps[k][it - sv]);
}

void ConstraintExtN::markAll() {
  for (int k = 0; k < arity; k++) {
    Variable* x = scope[k];
    for (int i = 0; i < x->sizeDom; i++) setMark(k, x->infoVal[i], true);
    markedSz[k] = x->sizeDom;
  }
}

void ConstraintExtN::clearAll() {
  for (int k = 0; k < arity; k++) {
    Variable* x = scope[k];
    for (int i = 0; i < markedSz[k]; i++) setMark(k, x->infoVal[i], false);
  }
}

bool ConstraintExtN::markOthers(int pos, long long& P) {
  const int* mn = myRel->minVal;
  const int* mx = myRel->maxVal;
  if (conflicts) {
    // A live value outside the listed range occurs in no conflict tuple.
    for (int k = 0; k < arity; k++) {
      if (k == pos) continue;
      Variable* x = scope[k];
      for (int i = 0; i < x->sizeDom; i++) {
        int b = x->infoVal[i]->dom;
        if (b < mn[k] || b > mx[k]) return false;
      }
    }
  }
  P = 1;
  for (int k = 0; k < arity; k++) {
    if (k == pos) continue;
    Variable* x = scope[k];
    int cnt = 0;
    for (int i = 0; i < x->sizeDom; i++) {
      const InfoValueVar* r = x->infoVal[i];
      if (!conflicts && (r->dom < mn[k] || r->dom > mx[k])) continue;
      setMark(k, r, true);
      cnt++;
    }
    interval[k] = cnt;
    markedSz[k] = x->sizeDom;
    P = mulSat(P, cnt);
  }
  return true;
}

void ConstraintExtN::clearMarks(int pos) {
  for (int k = 0; k < arity; k++) {
    if (k == pos) continue;
    Variable* x = scope[k];
    // The marked records all lie in the prefix marked, even if some were
    // removed since (removal swaps inside the prefix).
    for (int i = 0; i < markedSz[k]; i++) setMark(k, x->infoVal[i], false);
  }
}

// Support semantic: some path below node uses only marked values.  The
// count test is sound because every marked value lies in the listed range:
// the Q - numSon unlisted in-range combinations (at most) are fewer than the
// P marked ones, so a marked combination is listed.
bool ConstraintExtN::reviseSupport(const Node* node, int cur, long long P, long long Q) {
  if (!node->tabSon || node->numSon == 0) return true;
  if (P > 0 && Q > 0 && Q - (long long)node->sumSon < P) return true;
  Variable* x = scope[cur];
  int lo = x->minValDom, hi = x->maxValDom;
  long long P2 = divSat(P, interval[cur]);
  long long Q2 = Q > 0 ? Q / (range[cur] > 0 ? range[cur] : 1) : -1;
  int next = cur + 1 == arity ? 0 : cur + 1;
  const Node* son = node->tabSon;
  for (unsigned c = 0, n = node->numSon; c < n; c++) {
    int val = son[c].val;
    if (val < lo) continue;
    if (val > hi) break;
    if (!isMarked(cur, val)) continue;
    if (reviseSupport(son + c, next, P2, Q2)) return true;
  }
  return false;
}

// Conflict semantic: some combination of marked values below node is not
// listed.  A value with no child completes such a combination at once.
bool ConstraintExtN::reviseConflit(const Node* node, int cur, long long P) {
  if (!node->tabSon || node->numSon == 0) return false;
  int s = interval[cur];
  if ((int)node->numSon < s) return true;
  Variable* x = scope[cur];
  int lo = x->minValDom, hi = x->maxValDom;
  long long P2 = divSat(P, s);
  int next = cur + 1 == arity ? 0 : cur + 1;
  int visited = 0;
  const Node* son = node->tabSon;
  for (unsigned c = 0, n = node->numSon; c < n; c++) {
    int val = son[c].val;
    if (val < lo) continue;
    if (val > hi) break;
    if (!isMarked(cur, val)) continue;
    visited++;
    if (reviseConflit(son + c, next, P2)) return true;
  }
  return visited < s;
}

bool ConstraintExtN::hasSupport(int pos, int a, long long P) {
  if (a < myRel->minVal[pos] || a > myRel->maxVal[pos]) return conflicts;
  MDD& d = myRel->treeMDD[pos];
  const Node* n = MDD::findSon(d.root, d.szRoot, a);
  if (!n) {
    if (conflicts) nbChecks++;
    return conflicts;
  }
  nbChecks++;
  int next = pos + 1 == arity ? 0 : pos + 1;
  if (conflicts) return reviseConflit(n, next, P);
  return reviseSupport(n, next, P, qFrom[pos]);
}

bool ConstraintExtN::revise(Variable* v, int pos) {
  if (!candidateForRevise()) return false;
  ensureMarkTab();
  long long P;
  if (!markOthers(pos, P)) return false;
  int before = v->sizeDom;
  int i = 0;
  while (i < v->sizeDom) {
    if (hasSupport(pos, v->infoVal[i]->dom, P))
      i++;
    else
      v->removeInfoVal(i);
  }
  clearMarks(pos);
  return v->sizeDom < before;
}

bool ConstraintExtN::softRevise(Variable* v, int pos) {
  if (!candidateForRevise()) return false;
  ensureMarkTab();
  long long P;
  if (!markOthers(pos, P)) return false;
  bool none = true;
  for (int i = 0; i < v->sizeDom && none; i++)
    if (hasSupport(pos, v->infoVal[i]->dom, P)) none = false;
  clearMarks(pos);
  return none;
}

void ConstraintExtN::switched(int pos) {
  for (int i = 0; i < arity; i++) {
    if (i == pos) continue;
    // Walk the trie whose first level is position i + 1 along the current
    // values of positions i + 1, ..., i - 1: the children reached are the
    // values of position i completing a listed tuple.
    MDD& d = myRel->treeMDD[(i + 1) % arity];
    const Node* tab = d.root;
    int sz = d.szRoot;
    bool broken = false;
    for (int l = 1; l < arity; l++) {
      int p = (i + l) % arity;
      const Node* n = MDD::findSon(const_cast<Node*>(tab), sz, scope[p]->infoCurrent->dom);
      if (!n) {
        broken = true;
        break;
      }
      tab = n->tabSon;
      sz = (int)n->numSon;
    }
    if (arity == 1) {
      tab = d.root;
      sz = d.szRoot;
    }
    Variable* x = scope[i];
    TableauBit& bits = tabBit[i];
    for (int j = 0; j < x->sizeDom; j++) {
      InfoValueVar* a = x->infoVal[j];
      bool listed = !broken && MDD::findSon(const_cast<Node*>(tab), sz, a->dom) != nullptr;
      bool sat = listed != conflicts;
      unsigned k = a->header.prop;
      int bit = bits.get(k);
      if (bit && sat) {
        bits.setFalse(k);
        a->diff -= weight;
      } else if (!bit && !sat) {
        bits.setTrue(k);
        a->diff += weight;
      }
    }
  }
}

void ConstraintExtN::walkTable(const Node* tab, int sz, int level, std::vector<int>& props,
                               std::vector<std::vector<int>>& table) {
  Variable* x = scope[level];
  for (int i = 0; i < x->sizeDom; i++) {
    InfoValueVar* r = x->infoVal[i];
    const Node* n = MDD::findSon(const_cast<Node*>(tab), sz, r->dom);
    if (!n) continue;
    props[level] = (int)r->header.glbProp;
    if (level + 1 == arity)
      table.push_back(props);
    else
      walkTable(n->tabSon, (int)n->numSon, level + 1, props, table);
  }
}

void ConstraintExtN::computeTableRelation(std::vector<std::vector<int>>& table, bool& type) {
  type = !conflicts;
  table.clear();
  if (arity == 0) return;
  std::vector<int> props(arity);
  MDD& d = myRel->treeMDD[0];
  walkTable(d.root, d.szRoot, 0, props, table);
}

void ConstraintExtN::walkProjection(const Node* tab, int sz, int level, std::vector<int>& vals,
                                    std::vector<unsigned>& out, const std::vector<bool>& keep,
                                    unsigned& count) {
  Variable* x = scope[level];
  int lo = x->minValDom, hi = x->maxValDom;
  for (int c = 0; c < sz; c++) {
    int val = tab[c].val;
    if (val < lo) continue;
    if (val > hi) break;
    if (!isMarked(level, val)) continue;
    vals[level] = val;
    if (level + 1 == arity) {
      for (int k = 0; k < arity; k++)
        if (keep[k]) {
          out.push_back((unsigned)vals[k]);
          count++;
        }
    } else {
      walkProjection(tab[c].tabSon, (int)tab[c].numSon, level + 1, vals, out, keep, count);
    }
  }
}

// Lists the tuples still possible on the current domains, restricted to the
// unfixed positions.  Liveness is read from the per-position marks rather
// than from a table over the whole value range, so memory stays bounded.
bool ConstraintExtN::projection(std::vector<unsigned>& out) {
  if (arity > 20) return Constraint::projection(out);
  if (arity <= 2) return false;
  bool singleton = false;
  std::vector<bool> keep(arity);
  for (int k = 0; k < arity; k++) {
    keep[k] = scope[k]->sizeDom > 1;
    if (scope[k]->sizeDom == 1) singleton = true;
  }
  if (!singleton) return false;
  ensureMarkTab();
  markAll();
  size_t cell = out.size();
  out.push_back(0);
  unsigned count = 0;
  std::vector<int> vals(arity);
  MDD& d = myRel->treeMDD[0];
  walkProjection(d.root, d.szRoot, 0, vals, out, keep, count);
  out[cell] = count;
  clearAll();
  return true;
}

int ConstraintExtN::giveAleatNumber() { return rand() % arity; }

Variable* ConstraintExtN::giveAleaVariable() { return scope[giveAleatNumber()]; }
