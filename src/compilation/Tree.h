#pragma once

#include <gmpxx.h>

#include <string>
#include <vector>

// A variable as it stands at a true leaf: its name, id and remaining values.
class LittleVariable {
 public:
  LittleVariable(const std::string& name, int idVar, const std::vector<int>& domain)
      : name(name), idVar(idVar), domain(domain) {}
  int getSizeDom() const { return (int)domain.size(); }

  std::string name;
  int idVar;
  std::vector<int> domain;
};

// Node of the compiled graph.  Sons are shared by pointer and never freed by
// their parents; decision nodes memoise their model count per counting pass
// (globalStamp), so a shared sub-graph is summed once per pass.
class Tree {
 public:
  Tree() : nbLink(0), nbModels(0), stamp(-1) {}
  virtual ~Tree() {}
  // The base forms reject the son: only the subclass's own form adds it.
  virtual void addSon(Tree* son);
  virtual void addSon(Tree* son, int value);
  virtual void showTree() = 0;
  virtual mpz_class computeNbModels() = 0;

  std::vector<Tree*> sons;
  std::string name;
  int nbLink;
  mpz_class nbModels;
  int stamp;

  static int globalStamp;
};

// Decision on the variable `name`: one son per value, dom[i] the value of sons[i].
class TreeOr : public Tree {
 public:
  explicit TreeOr(const std::string& varName) { name = varName; }
  using Tree::addSon;
  void addSon(Tree* son, int value) override {
    sons.push_back(son);
    dom.push_back(value);
  }
  void showTree() override;
  mpz_class computeNbModels() override;

  std::vector<int> dom;
};

// Conjunction of sons over disjoint sets of variables.
class TreeAnd : public Tree {
 public:
  using Tree::addSon;
  void addSon(Tree* son) override { sons.push_back(son); }
  void showTree() override;
  mpz_class computeNbModels() override;
};

// Every combination of the listed variables' values is a model.
class TreeTrue : public Tree {
 public:
  explicit TreeTrue(const std::vector<LittleVariable*>& vars) : variables(vars) {}
  ~TreeTrue() override;
  using Tree::addSon;
  void addSon(Tree*, int) override {}
  void showTree() override;
  mpz_class computeNbModels() override;

  std::vector<LittleVariable*> variables;
};

// No model.
class TreeFalse : public Tree {
 public:
  using Tree::addSon;
  void addSon(Tree*, int) override {}
  void showTree() override;
  mpz_class computeNbModels() override { return mpz_class(0); }
};
