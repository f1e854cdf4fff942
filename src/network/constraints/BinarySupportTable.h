#pragma once

#include <cstddef>
#include <cstdint>

#include "network/InfoValueVar.h"
#include "network/Variable.h"

// The pairs allowed by a binary constraint, read once from its tuple test
// into two bit tables indexed by declared value indices: row k of position
// p holds one bit per value of the other position.  A revision then tests a
// pair with one bit read instead of a relation or predicate evaluation.
// Tables are built only within a per-constraint and a process-wide budget;
// beyond it callers keep using the tuple test.
class BinarySupportTable {
 public:
  // Largest number of value pairs one table pair may cover.
  static constexpr long long maxPairs = 1LL << 16;
  // Value pairs left for all tables of the process.
  static long long pairsBudget;

  uint64_t* bits[2] = {nullptr, nullptr};
  int rowWords[2] = {0, 0};

  long long pairsHeld = 0;

  bool built() const { return bits[0] != nullptr; }

  // Releases the tables (and gives their pairs back to the budget).
  void reset() {
    delete[] bits[0];
    delete[] bits[1];
    bits[0] = bits[1] = nullptr;
    pairsBudget += pairsHeld;
    pairsHeld = 0;
  }

  // ok(a, b) tells whether value a of x and value b of y are compatible.
  template <class F>
  bool build(Variable* x, Variable* y, F ok) {
    long long pairs = (long long)x->initSize * y->initSize;
    if (pairs > maxPairs || 2 * pairs > pairsBudget) return false;
    pairsBudget -= 2 * pairs;
    pairsHeld = 2 * pairs;
    Variable* v[2] = {x, y};
    for (int p = 0; p < 2; p++) {
      int words = (v[1 - p]->initSize + 63) / 64;
      rowWords[p] = words > 0 ? words : 1;
      bits[p] = new uint64_t[(size_t)rowWords[p] * (v[p]->initSize > 0 ? v[p]->initSize : 1)]();
    }
    for (int a = 0; a < x->initSize; a++)
      for (int b = 0; b < y->initSize; b++)
        if (ok(x->records[a].dom, y->records[b].dom)) {
          bits[0][(size_t)a * rowWords[0] + (b >> 6)] |= (uint64_t)1 << (b & 63);
          bits[1][(size_t)b * rowWords[1] + (a >> 6)] |= (uint64_t)1 << (a & 63);
        }
    return true;
  }

  // First of the S live values of w compatible with the value of declared
  // index k at position pos, or null; *tried = number of values examined.
  InfoValueVar* seek(int pos, unsigned k, InfoValueVar** wv, int S, int* tried) const {
    const uint64_t* row = bits[pos] + (size_t)k * rowWords[pos];
    for (int j = 0; j < S; j++) {
      unsigned q = wv[j]->header.prop;
      if ((row[q >> 6] >> (q & 63)) & 1) {
        *tried = j + 1;
        return wv[j];
      }
    }
    *tried = S;
    return nullptr;
  }
};
