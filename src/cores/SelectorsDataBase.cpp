#include "cores/SelectorsDataBase.h"

#include <cstdlib>
#include <cstring>

SelectorsDataBase::SelectorsDataBase(int nbConstraints)
    : data(nullptr), nbElt(0), size(nbConstraints + 1) {
  tabRemove = new unsigned char[size];
  tabTmp = new unsigned char[size];
  memset(tabRemove, 0, size);
  memset(tabTmp, 0, size);
}

SelectorsDataBase::~SelectorsDataBase() {
  for (int j = 0; j < nbElt; j++) {
    free(data[j]->setSelector);
    delete data[j];
  }
  free(data);
  delete[] tabRemove;
  delete[] tabTmp;
}

void SelectorsDataBase::removeAt(int j) {
  free(data[j]->setSelector);
  delete data[j];
  data[j] = data[nbElt - 1];
  nbElt--;
}

void SelectorsDataBase::addSelectors(const std::vector<int>& v) {
  int n = (int)v.size();
  uint32_t a = 0;
  for (int x : v) {
    tabTmp[x] = 1;
    a |= bit(x);
  }
  bool add = true;
  for (int j = 0; j < nbElt && add;) {
    Selectors* t = data[j];
    uint32_t u = a | t->abstraction;
    if (u != t->abstraction && u != a) {
      j++;
      continue;
    }
    if (t->nbSelector < n) {
      int k = 0;
      while (k < t->nbSelector && tabTmp[t->setSelector[k]]) k++;
      if (k == t->nbSelector) add = false;  // t is a subset of v
      j++;
      continue;
    }
    int count = 0;
    for (int k = 0; k < t->nbSelector; k++)
      if (tabTmp[t->setSelector[k]]) count++;
    if (count == n) {
      if (t->nbSelector == n) {
        add = false;  // the same set
        continue;
      }
      removeAt(j);  // v is a proper subset of t: examine slot j again
      continue;
    }
    j++;
  }
  if (add) {
    Selectors* s = new Selectors;
    s->nbSelector = n;
    s->abstraction = a;
    s->setSelector = (int*)malloc(sizeof(int) * (n > 0 ? n : 1));
    for (int k = 0; k < n; k++) s->setSelector[k] = v[k];
    data = (Selectors**)realloc(data, sizeof(Selectors*) * (nbElt + 1));
    data[nbElt++] = s;
  }
  for (int x : v) tabTmp[x] = 0;
}

bool SelectorsDataBase::removeElts(int j) {
  Selectors* s = data[j];
  s->abstraction = 0;
  for (int k = 0; k < s->nbSelector;) {
    int e = s->setSelector[k];
    if (tabRemove[e] == 1) {
      removeAt(j);
      return false;
    }
    if (tabRemove[e] == 2) {
      s->setSelector[k] = s->setSelector[--s->nbSelector];
      continue;
    }
    s->abstraction |= bit(e);
    k++;
  }
  return true;
}

void SelectorsDataBase::assignFalse(const std::vector<int>& rmV, std::vector<int>& propagate) {
  uint32_t m = 0;
  for (int i : rmV) {
    tabRemove[i] = 2;
    m |= bit(i);
  }
  for (int j = 0; j < nbElt;) {
    Selectors* s = data[j];
    if ((s->abstraction & m) && !removeElts(j)) continue;  // slot j holds another set now
    if (s->nbSelector == 1 && tabRemove[s->setSelector[0]] == 0) {
      tabRemove[s->setSelector[0]] = 1;
      propagate.push_back(s->setSelector[0]);
    }
    j++;
  }
}
