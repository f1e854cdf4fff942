#pragma once

#include <cstdint>
#include <vector>

// One recorded set of constraint numbers: at least one of them belongs to
// every core of the current candidate set.
struct Selectors {
  int* setSelector;
  int nbSelector;
  uint32_t abstraction;  // OR of 1 << (number mod 32): cheap subset filter
};

// Store of selector sets with a truth mark per constraint number (0 unknown,
// 1 in the core, 2 discarded).  Sets are kept free of supersets; discarding
// constraints shrinks the sets and a set left with one unknown element makes
// that element true (unit propagation).
class SelectorsDataBase {
 public:
  explicit SelectorsDataBase(int nbConstraints);
  ~SelectorsDataBase();

  void assignTrue(int i) { tabRemove[i] = 1; }
  int getAssign(int i) const { return tabRemove[i]; }

  // Adds v unless a recorded set is a subset of it; deletes every recorded
  // proper superset of v.
  void addSelectors(const std::vector<int>& v);
  // Marks the numbers of rmV false and propagates; the numbers that became
  // true are appended to propagate.
  void assignFalse(const std::vector<int>& rmV, std::vector<int>& propagate);

  int getNbElt() const { return nbElt; }
  const Selectors* getSelectors(int j) const { return data[j]; }

  Selectors** data;
  int nbElt;
  unsigned char* tabRemove;
  unsigned char* tabTmp;
  int size;  // entries of tabRemove and tabTmp

 private:
  static uint32_t bit(int i) { return 1u << ((unsigned)i % 32u); }
  void removeAt(int j);
  // Rewrites S after discards; false when S became satisfied and was removed.
  bool removeElts(int j);
  SelectorsDataBase(const SelectorsDataBase&) = delete;
  SelectorsDataBase& operator=(const SelectorsDataBase&) = delete;
};
