#include "encodings/supportEncoding.h"

supportEncoding::supportEncoding(const std::string& name, const std::vector<Constraint*>& cs,
                                 const std::vector<Variable*>& vs, int maxA, int maxD)
    : Encoder(name, cs, vs, maxA, maxD), nbTuples(0) {}

void supportEncoding::writeValueClauses() {
  for (Variable* x : vecVar) {
    nbVars += x->sizeDom;
    writeAtLeastAtMostOne(x);
  }
}

void supportEncoding::collectSupports(Constraint* c) {
  int r = c->arity;
  tuples.clear();
  nbTuples = 0;
  for (int i = 0; i < r; i++) {
    Variable* x = c->scope[i];
    for (int k = 0; k < x->sizeDom; k++) stamps[x->infoVal[k]->header.glbProp] = 0;
  }
  enumerate(c, [&](bool allowed) {
    if (!allowed) return;
    for (int i = 0; i < r; i++) tuples.push_back((int)tupleRecs[i]->header.glbProp);
    nbTuples++;
  });
}

void supportEncoding::writeSupportClauses(Constraint* c) {
  int r = c->arity;
  collectSupports(c);
  if (r < 2) return;  // no other position: no support clause
  // Chain the tuples of each value, per position, in tuple order.
  for (int k = 0; k < 2; k++) {
    Variable* x = c->scope[k];
    for (int q = 0; q < x->sizeDom; q++) firstTuple[k][x->infoVal[q]->header.glbProp] = -1;
    nextTuple[k].assign(nbTuples, -1);
    for (size_t i = 0; i < nbTuples; i++) {
      int a = tuples[i * 2 + k];
      if (firstTuple[k][a] < 0)
        firstTuple[k][a] = (int)i;
      else
        nextTuple[k][lastTuple[k][a]] = (int)i;
      lastTuple[k][a] = (int)i;
    }
  }
  for (size_t i = 0; i < nbTuples; i++) {
    for (int k = 0; k < 2; k++) {
      int a = tuples[i * 2 + k];
      if (stamps[a]) continue;
      stamps[a] = 1;
      int j = 1 - k;
      if (++seenMark == 0) {
        std::fill(seen.begin(), seen.end(), 0u);
        seenMark = 1;
      }
      lit(-a);
      for (int u = firstTuple[k][a]; u >= 0; u = nextTuple[k][u]) {
        int b = tuples[(size_t)u * 2 + j];
        if (seen[b] == seenMark) continue;
        seen[b] = seenMark;
        lit(b);
      }
      endClause();
    }
  }
}

void supportEncoding::encode() {
  size_t nbProps = (size_t)InfoValueVar::currentProp + 1;
  stamps.assign(nbProps, 0);
  seen.assign(nbProps, 0);
  for (int k = 0; k < 2; k++) {
    firstTuple[k].assign(nbProps, -1);
    lastTuple[k].assign(nbProps, -1);
  }
  buildValueTables();
  writeValueClauses();
  for (Constraint* c : vecCont)
    if (c->arity <= 2) writeSupportClauses(c);
  for (Constraint* c : vecCont) writeForbiddenClauses(c);
}

ACEncoding::ACEncoding(const std::string& name, const std::vector<Constraint*>& cs,
                       const std::vector<Variable*>& vs, int maxA, int maxD)
    : supportEncoding(name, cs, vs, maxA, maxD) {}

void ACEncoding::encode() {
  stamps.assign((size_t)InfoValueVar::currentProp + 1, 0);
  buildValueTables();
  writeValueClauses();
  for (Constraint* c : vecCont) {
    int r = c->arity;
    collectSupports(c);
    int f = InfoValueVar::currentProp;
    int T = (int)nbTuples;
    nbVars += T;
    InfoValueVar::currentProp += T;
    for (int i = 0; i < T; i++) lit(f + i);
    endClause();
    for (int i = 0; i < T; i++) {
      const int* p = tuples.data() + (size_t)i * r;
      lit(f + i);
      for (int j = 0; j < r; j++) lit(-p[j]);
      endClause();
      for (int j = 0; j < r; j++) {
        lit(-(f + i));
        lit(p[j]);
        endClause();
      }
    }
  }
}
