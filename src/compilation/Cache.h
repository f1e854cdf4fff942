#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class Variable;
class Constraint;
class Tree;

// Bob Jenkins' lookup3 hash of an array of 32-bit words.
uint32_t hashword(const uint32_t* k, size_t length, uint32_t initval);

// One stored key: its form, its length in words, where it starts in the
// key buffer, and the decision node compiled for it (null until stored).
struct bucket {
  unsigned type : 2;   // 0 global value bitset, 1 compact per-component form
  unsigned size : 30;  // words
  uint32_t next;       // next bucket of the same hash list (pool index + 1), 0 at the end
  uint64_t posInBufferInfo;
  Tree* t;
};

// Answer of a lookup: when valid, the key's bucket is the j-th of hash list
// i; idx locates it directly (see Cache::getBucket).
struct couple {
  bool isValid;
  uint32_t i;
  uint32_t j;
  uint32_t idx;
};

// Component cache: a component (its variables, their remaining values and
// what its constraints are reduced to) becomes a key of 32-bit words kept in
// one growing buffer; equal keys share the decision node stored with them.
// Nothing is ever evicted.
class Cache {
 public:
  static const uint32_t tableSize = 999331;
  // Growth step of the key buffer, in words.
  static const uint64_t bufferStep = 33554432;

  // Sizes the global form from the number of value propositions and writes
  // three lines to standard error.
  Cache();
  ~Cache();

  // The bucket of a valid lookup answer.
  bucket& getBucket(const couple& c) { return pool[c.idx]; }
  // Number of buckets in hash list i.
  size_t bucketListSize(uint32_t i) const;

  // Looks the component up, inserting an empty bucket for a new key.  Sorts
  // vc by idVar.  Invalid when the key would reach sizeMaxBucket words.
  couple searchBucket(std::vector<Variable*>& vc, std::vector<Constraint*>& vcConst);
  // First free word of the buffer, with room for sizeMaxBucket more words;
  // ends the process with status 30 when the buffer cannot grow.
  uint32_t* giveMeInfoTable();

  uint64_t sizeMaxInfo;
  uint64_t sizeMaxInfoConst;
  uint64_t sizeMaxBucket;
  uint64_t capBufferInfo;
  uint64_t szBufferInfo;
  uint32_t nbVars;
  uint32_t* bufferInfo;
  // Hash lists: hashHead[h] is the first bucket of list h (pool index + 1,
  // 0 for an empty list), the buckets chain in insertion order.  The heads
  // are zero pages until written, so an unused table costs nothing.
  uint32_t* hashHead;
  std::vector<bucket> pool;

 private:
  std::vector<unsigned> proj;  // scratch: the constraints part of a key

  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;
};
