#include "compilation/Tree.h"

#include <iostream>

using std::cout;
using std::endl;

int Tree::globalStamp = 0;

void Tree::addSon(Tree*) { cout << "ABSTRAITE" << endl; }
void Tree::addSon(Tree*, int) { cout << "ABSTRAITE" << endl; }

void TreeOr::showTree() {
  cout << "(" << name << " " << dom.size() << "-" << sons.size() << ", ";
  for (size_t i = 0; i < sons.size(); i++) {
    cout << "<" << dom[i] << "> ";
    sons[i]->showTree();
    cout << " v ";
  }
  cout << ")";
}

mpz_class TreeOr::computeNbModels() {
  if (stamp != globalStamp) {
    nbModels = 0;
    for (Tree* s : sons) nbModels += s->computeNbModels();
    stamp = globalStamp;
  }
  return nbModels;
}

void TreeAnd::showTree() {
  cout << "{{ ";
  for (size_t i = 0; i < sons.size(); i++) {
    if (i) cout << " & ";
    sons[i]->showTree();
  }
  cout << " }}";
}

mpz_class TreeAnd::computeNbModels() {
  if (sons.empty()) return mpz_class(1);
  mpz_class r = sons[0]->computeNbModels();
  for (size_t i = 1; i < sons.size(); i++) r *= sons[i]->computeNbModels();
  return r;
}

TreeTrue::~TreeTrue() {
  for (LittleVariable* v : variables) delete v;
}

void TreeTrue::showTree() { cout << "T"; }

mpz_class TreeTrue::computeNbModels() {
  mpz_class r(1);
  for (LittleVariable* v : variables) r *= (unsigned long)v->getSizeDom();
  return r;
}

void TreeFalse::showTree() { cout << "F"; }
