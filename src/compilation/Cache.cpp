#include "compilation/Cache.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "network/InfoValueVar.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"

using std::cerr;
using std::endl;

static inline uint32_t rot(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

uint32_t hashword(const uint32_t* k, size_t length, uint32_t initval) {
  uint32_t a, b, c;
  a = b = c = 0xdeadbeef + (((uint32_t)length) << 2) + initval;
  while (length > 3) {
    a += k[0];
    b += k[1];
    c += k[2];
    // mix
    a -= c; a ^= rot(c, 4);  c += b;
    b -= a; b ^= rot(a, 6);  a += c;
    c -= b; c ^= rot(b, 8);  b += a;
    a -= c; a ^= rot(c, 16); c += b;
    b -= a; b ^= rot(a, 19); a += c;
    c -= b; c ^= rot(b, 4);  b += a;
    length -= 3;
    k += 3;
  }
  if (length == 0) return c;
  switch (length) {
    case 3: c += k[2]; [[fallthrough]];
    case 2: b += k[1]; [[fallthrough]];
    default: a += k[0];
  }
  // final
  c ^= b; c -= rot(b, 14);
  a ^= c; a -= rot(c, 11);
  b ^= a; b -= rot(a, 25);
  c ^= b; c -= rot(b, 16);
  a ^= c; a -= rot(c, 4);
  b ^= a; b -= rot(a, 14);
  c ^= b; c -= rot(b, 24);
  return c;
}

Cache::Cache()
    : sizeMaxInfo(0),
      sizeMaxInfoConst(0),
      sizeMaxBucket(0),
      capBufferInfo(0),
      szBufferInfo(0),
      nbVars(0),
      bufferInfo(nullptr),
      hashHead((uint32_t*)calloc(tableSize, sizeof(uint32_t))) {
  if (!hashHead) {
    cerr << "c Memory out hash table" << endl;
    exit(30);
  }
  // Bit positions 0 .. N, N the number of value propositions.
  uint64_t n = (uint64_t)(InfoValueVar::currentProp > 0 ? InfoValueVar::currentProp - 1 : 0);
  sizeMaxInfo = n / 32 + 1;
  sizeMaxBucket = sizeMaxInfo;
  cerr << "c Number of bytes to represent an unsigned int: " << sizeof(uint32_t) << endl;
  cerr << "c Number of necessary unsigned int to save the information about variables: "
       << sizeMaxInfo << endl;
  cerr << "c Number of 'propositional' variables: " << InfoValueVar::currentProp << endl;
}

Cache::~Cache() {
  free(bufferInfo);
  free(hashHead);
}

size_t Cache::bucketListSize(uint32_t i) const {
  size_t n = 0;
  for (uint32_t b = hashHead[i]; b; b = pool[b - 1].next) n++;
  return n;
}

uint32_t* Cache::giveMeInfoTable() {
  while (capBufferInfo < szBufferInfo + sizeMaxBucket) {
    capBufferInfo += bufferStep;
    cerr << "c We try to allocated " << capBufferInfo * sizeof(uint32_t);
    void* p = realloc(bufferInfo, capBufferInfo * sizeof(uint32_t));
    if (!p) {
      cerr << "c Memory out bufferInfo " << capBufferInfo * sizeof(uint32_t) << endl;
      exit(30);
    }
    bufferInfo = (uint32_t*)p;
    cerr << ": memory allocation for the bufferInfo data structure: " << capBufferInfo << endl;
  }
  return bufferInfo + szBufferInfo;
}

couple Cache::searchBucket(std::vector<Variable*>& vc, std::vector<Constraint*>& vcConst) {
  uint32_t* info = giveMeInfoTable();
  std::sort(vc.begin(), vc.end(), [](Variable* a, Variable* b) { return a->idVar < b->idVar; });

  // Variables part: the shorter of the global bitset and the compact form.
  uint64_t S = nbVars;
  for (Variable* v : vc) S += (uint64_t)v->initSize;
  uint64_t C = S / 32 + 1;
  unsigned type;
  uint64_t len;
  if (sizeMaxInfo < C) {
    type = 0;
    len = sizeMaxInfo;
    memset(info, 0, len * sizeof(uint32_t));
    for (Variable* v : vc)
      for (int i = 0; i < v->sizeDom; i++) {
        unsigned p = v->infoVal[i]->header.glbProp;
        info[p >> 5] |= 1u << (p & 31);
      }
  } else {
    type = 1;
    len = C;
    memset(info, 0, len * sizeof(uint32_t));
    uint64_t offset = 0;
    for (Variable* v : vc) {
      unsigned id = (unsigned)v->idVar;
      info[id >> 5] |= 1u << (id & 31);
      uint64_t base = nbVars + offset - (uint64_t)v->minProp;
      for (int i = 0; i < v->sizeDom; i++) {
        uint64_t b = base + v->infoVal[i]->header.glbProp;
        info[b >> 5] |= 1u << (b & 31);
      }
      offset += (uint64_t)v->initSize;
    }
  }

  // Constraints part: what each constraint is reduced to.
  proj.clear();
  for (Constraint* c : vcConst) c->projection(proj);
  if (len + proj.size() >= sizeMaxBucket) return couple{false, 0, 0, 0};
  if (!proj.empty()) memcpy(info + len, proj.data(), proj.size() * sizeof(uint32_t));
  len += proj.size();

  uint32_t h = hashword(info, len, 0) % tableSize;
  uint32_t j = 0;
  uint32_t last = 0;  // last bucket of the list, pool index + 1
  for (uint32_t b = hashHead[h]; b; b = pool[b - 1].next, j++) {
    const bucket& k = pool[b - 1];
    if (k.type == type && k.size == len &&
        memcmp(bufferInfo + k.posInBufferInfo, info, len * sizeof(uint32_t)) == 0)
      return couple{true, h, j, b - 1};
    last = b;
  }
  bucket nb;
  nb.type = type;
  nb.size = (unsigned)len;
  nb.next = 0;
  nb.posInBufferInfo = szBufferInfo;
  nb.t = nullptr;
  uint32_t idx = (uint32_t)pool.size();
  pool.push_back(nb);
  if (last)
    pool[last - 1].next = idx + 1;
  else
    hashHead[h] = idx + 1;
  szBufferInfo += len;
  return couple{true, h, j, idx};
}
