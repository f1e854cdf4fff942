#pragma once
// Small networks built in memory for the encoder tests: constraints given
// by a predicate on the tuple of values, and a scratch folder for the files.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "encodings/VariableEncoding.h"
#include "network/Domain.h"
#include "network/InfoValueVar.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"
#include "search/Solver.h"

// A constraint decided by a predicate over its tuple of values.
class PredConstraint : public Constraint {
 public:
  using Pred = std::function<bool(const int*)>;
  PredConstraint(const std::string& name, std::vector<Variable*> sc, Pred p, int id)
      : Constraint(name, sc.data(), nullptr, (int)sc.size(), id), pred(std::move(p)) {}
  bool tupleExist(int* t) override { return pred(t); }
  void switched(int) override {}
  bool revise(Variable*, int) override { return false; }
  bool softRevise(Variable*, int) override { return false; }
  Variable* giveAleaVariable() override { return scope[0]; }
  int giveAleatNumber() override { return 0; }

 private:
  Pred pred;
};

// A network whose numbering starts afresh: value numbers and encoding
// propositions both from 1.
struct Net {
  std::vector<Variable*> vars;
  std::vector<Constraint*> cons;

  Net() {
    InfoValueVar::setCurrentProp(1);
    VariableEncoding::setCurrentProp(1);
  }
  Variable* var(const std::string& name, std::vector<int> values) {
    Domain* d = new Domain("D" + name);
    for (int v : values) d->add(v);
    Variable* x = new Variable(name, d, (int)vars.size());
    vars.push_back(x);
    return x;
  }
  Constraint* con(std::vector<Variable*> scope, PredConstraint::Pred p) {
    Constraint* c = new PredConstraint("C" + std::to_string(cons.size()), std::move(scope),
                                       std::move(p), (int)cons.size());
    cons.push_back(c);
    return c;
  }
  int maxArity() const {
    int a = 0;
    for (Constraint* c : cons) a = std::max(a, c->arity);
    return a;
  }
  int maxDom() const {
    int d = 0;
    for (Variable* x : vars) d = std::max(d, x->initSize);
    return d;
  }
};

// A fresh folder under /tmp, removed with its files at the end.
struct ScratchDir {
  std::string path;
  ScratchDir() {
    char tmpl[] = "/tmp/vantor-enc-XXXXXX";
    path = mkdtemp(tmpl);
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string file(const std::string& name) const { return path + "/" + name; }
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline bool fileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

inline std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string l;
  while (std::getline(in, l)) out.push_back(l);
  return out;
}
