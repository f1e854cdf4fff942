#include "encodings/Encoder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "encodings/VariableEncoding.h"

Encoder::Encoder(const std::string& name, const std::vector<Constraint*>& cs,
                 const std::vector<Variable*>& vs, int maxA, int maxD)
    : nbClauses(0), nbVars(0), file(nullptr), nameFile(name) {
  vecCont = cs;
  vecVar = vs;
  maxArity = maxA;
  maxDom = maxD;
  infoSys = new InfoSystem();
  size_t r = 1;  // never an empty scratch array, even when every scope is empty
  for (Constraint* c : vecCont)
    if ((size_t)c->arity > r) r = (size_t)c->arity;
  tupleIdx.assign(r, 0);
  tupleRecs.assign(r, nullptr);
  tupleValues.assign(r, 0);
  posTables.assign(r, nullptr);
  for (size_t i = 0; i < vecVar.size(); i++) tableIndex.emplace(vecVar[i], (int)i);
}

void Encoder::fileError(const std::string& path, const char* what, int err) {
  std::cout.flush();
  std::cerr << "c cannot " << what << " the CNF file \"" << path << "\": " << strerror(err)
            << std::endl;
  exit(1);
}

int Encoder::search(bool) {
  const std::string tmpName = nameFile + ".tmp";
  ClauseWriter* tmp = new ClauseWriter();
  file = tmp;
  if (!tmp->open(tmpName)) fileError(tmpName, "create", tmp->error());
  encode();
  if (!tmp->close()) {
    int e = tmp->error();
    unlink(tmpName.c_str());
    fileError(tmpName, "write", e);
  }
  delete tmp;
  file = nullptr;

  ClauseWriter out;
  if (!out.open(nameFile)) {
    int e = out.error();
    unlink(tmpName.c_str());
    fileError(nameFile, "create", e);
  }
  out.raw("p cnf " + std::to_string(nbVars) + " " + std::to_string(nbClauses) + "\n");
  int in = open(tmpName.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    int e = errno;
    out.close();
    unlink(tmpName.c_str());
    fileError(tmpName, "read", e);
  }
  if (!out.copyFrom(in)) {
    int e = out.error();
    close(in);
    out.close();
    unlink(tmpName.c_str());
    fileError(nameFile, "write", e);
  }
  close(in);
  bool ok = out.close();
  int e = out.error();
  unlink(tmpName.c_str());
  if (!ok) fileError(nameFile, "write", e);
  return 0;
}

void Encoder::showFinal(int) {
  std::cerr << "c " << std::endl;
  printStatistics();
  std::cerr << "c # temps = " << infoSys->tpsElapsed() << std::endl;
  uint64_t mem = infoSys->memUsed();
  if (mem != 0) std::cerr << "c # Memory used           : " << mem / 1048576 << "Mb" << std::endl;
}

// ---------------------------------------------------------------------------
// Literal tables

static void finishValue(std::vector<uint32_t>& off, std::vector<int>& lits,
                        std::vector<uint32_t>& toff, std::string& neg,
                        const std::vector<int>& l) {
  for (int x : l) {
    lits.push_back(x);
    appendLiteral(neg, -x);
  }
  off.push_back((uint32_t)lits.size());
  toff.push_back((uint32_t)neg.size());
}

void Encoder::buildTables(const std::vector<VariableEncoding*>& encs) {
  tables.assign(vecVar.size(), VarLits());
  for (size_t i = 0; i < vecVar.size(); i++) {
    VarLits& t = tables[i];
    int n = vecVar[i]->initSize;
    t.off.push_back(0);
    t.toff.push_back(0);
    for (int k = 0; k < n; k++) finishValue(t.off, t.lits, t.toff, t.neg, encs[i]->literalsOfProp(k));
  }
}

void Encoder::buildValueTables() {
  tables.assign(vecVar.size(), VarLits());
  std::vector<int> one(1);
  for (size_t i = 0; i < vecVar.size(); i++) {
    VarLits& t = tables[i];
    Variable* x = vecVar[i];
    t.off.push_back(0);
    t.toff.push_back(0);
    for (int k = 0; k < x->initSize; k++) {
      one[0] = (int)x->getInfoByProp(k)->header.glbProp;
      finishValue(t.off, t.lits, t.toff, t.neg, one);
    }
  }
}

int Encoder::tableOf(const Variable* x) {
  auto it = tableIndex.find(x);
  if (it == tableIndex.end()) {
    std::cout.flush();
    std::cerr << "c variable " << x->name << " of a constraint is not in the network" << std::endl;
    exit(1);
  }
  return it->second;
}

void Encoder::bindScope(Constraint* c) {
  for (int i = 0; i < c->arity; i++) posTables[i] = &tables[tableOf(c->scope[i])];
}

// ---------------------------------------------------------------------------
// Shared clause families

void Encoder::writeAtLeastAtMostOne(Variable* x) {
  const VarLits& t = table(x);
  int n = x->sizeDom;
  for (int i = 0; i < n; i++) {
    unsigned k = x->infoVal[i]->header.prop;
    for (uint32_t q = t.off[k]; q < t.off[k + 1]; q++) lit(t.lits[q]);
  }
  endClause();
  for (int i = 0; i < n; i++) {
    unsigned ki = x->infoVal[i]->header.prop;
    for (int j = i + 1; j < n; j++) {
      unsigned kj = x->infoVal[j]->header.prop;
      file->text(t.neg.data() + t.toff[ki], t.toff[ki + 1] - t.toff[ki]);
      file->text(t.neg.data() + t.toff[kj], t.toff[kj + 1] - t.toff[kj]);
      endClause();
    }
  }
}

void Encoder::writeForbiddenClauses(Constraint* c) {
  bindScope(c);
  int r = c->arity;
  enumerate(c, [&](bool allowed) {
    if (allowed) return;
    for (int i = 0; i < r; i++) negatedValueText(i);
    endClause();
  });
}

void Encoder::writeTupleVariableClauses(Constraint* c) {
  bindScope(c);
  int r = c->arity;
  int f = VariableEncoding::currentProp;
  enumerate(c, [&](bool allowed) {
    if (!allowed) return;
    int t = VariableEncoding::currentProp++;
    nbVars++;
    lit(t);
    for (int i = 0; i < r; i++) negatedValueText(i);
    endClause();
    for (int i = 0; i < r; i++) {
      const VarLits& tb = *posTables[i];
      unsigned k = tupleRecs[i]->header.prop;
      for (uint32_t q = tb.off[k]; q < tb.off[k + 1]; q++) {
        lit(-t);
        lit(tb.lits[q]);
        endClause();
      }
    }
  });
  for (int t = f; t < VariableEncoding::currentProp; t++) lit(t);
  endClause();
}
