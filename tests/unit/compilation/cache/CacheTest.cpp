// Component cache: the lookup3 word hash, the two key forms, projections in
// keys, repeated lookups and uncacheable keys.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>

#include "compilation/Cache.h"
#include "network/InfoValueVar.h"
#include "unit/search/TestNetwork.h"

namespace {

// Byte-wise lookup3 (hashlittle) written from the published algorithm, as
// an independent reference for the word version.
uint32_t rot(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }
void mix(uint32_t& a, uint32_t& b, uint32_t& c) {
  a -= c; a ^= rot(c, 4); c += b;
  b -= a; b ^= rot(a, 6); a += c;
  c -= b; c ^= rot(b, 8); b += a;
  a -= c; a ^= rot(c, 16); c += b;
  b -= a; b ^= rot(a, 19); a += c;
  c -= b; c ^= rot(b, 4); b += a;
}
void finalMix(uint32_t& a, uint32_t& b, uint32_t& c) {
  c ^= b; c -= rot(b, 14); a ^= c; a -= rot(c, 11); b ^= a; b -= rot(a, 25);
  c ^= b; c -= rot(b, 16); a ^= c; a -= rot(c, 4); b ^= a; b -= rot(a, 14);
  c ^= b; c -= rot(b, 24);
}
uint32_t hashlittle(const unsigned char* k, size_t length, uint32_t init) {
  uint32_t a, b, c;
  a = b = c = 0xdeadbeef + (uint32_t)length + init;
  auto word = [&](size_t off, size_t n) {
    uint32_t w = 0;
    for (size_t i = 0; i < n; i++) w |= (uint32_t)k[off + i] << (8 * i);
    return w;
  };
  while (length > 12) {
    a += word(0, 4); b += word(4, 4); c += word(8, 4);
    mix(a, b, c);
    length -= 12;
    k += 12;
  }
  if (length == 0) return c;
  a += word(0, length < 4 ? length : 4);
  if (length > 4) b += word(4, length - 4 < 4 ? length - 4 : 4);
  if (length > 8) c += word(8, length - 8);
  finalMix(a, b, c);
  return c;
}

TEST(Lookup3, MatchesPublishedValuesThroughByteReference) {
  const char* s = "Four score and seven years ago";
  EXPECT_EQ(hashlittle((const unsigned char*)s, 30, 0), 0x17770551u);
  EXPECT_EQ(hashlittle((const unsigned char*)s, 30, 1), 0xcd628161u);
  EXPECT_EQ(hashword(nullptr, 0, 0), 0xdeadbeefu);
  std::mt19937 rng(7);
  for (size_t n : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 12u, 13u, 40u}) {
    std::vector<uint32_t> w(n);
    for (auto& x : w) x = rng();
    for (uint32_t init : {0u, 99u})
      EXPECT_EQ(hashword(w.data(), n, init),
                hashlittle((const unsigned char*)w.data(), 4 * n, init))
          << n << " words";
  }
}

// 40 variables of two values each (global numbers 1..80), so the global
// bitset has 3 words and a component of almost all variables uses it,
// while a small component gets the compact form.
class CacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InfoValueVar::currentProp = 1;
    for (int i = 0; i < 40; i++) net.addVarRange(0, 1);
    cache.reset(new Cache());
    cache->nbVars = 40;
    cache->sizeMaxBucket = 4 * cache->sizeMaxInfo;
  }
  const uint32_t* key(const couple& c) {
    return cache->bufferInfo + cache->getBucket(c).posInBufferInfo;
  }
  const bucket& bk(const couple& c) { return cache->getBucket(c); }

  testnet::Net net;
  std::unique_ptr<Cache> cache;
  std::vector<Constraint*> none;
};

TEST_F(CacheTest, StartUpSizes) {
  EXPECT_EQ(cache->sizeMaxInfo, 3u);  // bit positions 0..80
  EXPECT_EQ(cache->sizeMaxBucket, 12u);
}

TEST_F(CacheTest, GlobalFormHoldsTheLiveValueNumbers) {
  std::vector<Variable*> all = net.vars;
  couple c = cache->searchBucket(all, none);
  ASSERT_TRUE(c.isValid);
  EXPECT_EQ(bk(c).type, 0u);
  EXPECT_EQ(bk(c).size, 3u);
  // Bits 1..80 set, bit 0 clear.
  EXPECT_EQ(key(c)[0], 0xfffffffeu);
  EXPECT_EQ(key(c)[1], 0xffffffffu);
  EXPECT_EQ(key(c)[2], 0x1ffffu);

  // Removing the value numbered 32 (second value of variable 15) changes
  // the key: bit 0 of the second word.
  Variable* x = net.vars[15];
  ASSERT_EQ(x->infoVal[1]->header.glbProp, 32u);
  x->removeInfoVal(1);
  couple d = cache->searchBucket(all, none);
  ASSERT_TRUE(d.isValid);
  EXPECT_FALSE(c.i == d.i && c.j == d.j);
  EXPECT_EQ(key(d)[1], 0xfffffffeu);
  x->sizeDom = 2;
  couple e = cache->searchBucket(all, none);
  EXPECT_TRUE(e.i == c.i && e.j == c.j);
}

TEST_F(CacheTest, CompactFormForSmallComponents) {
  // Variables 33 and 3 given out of order: sorted by id, then bits 3 and
  // 33 say which variables, then each variable's initial values.
  std::vector<Variable*> vc = {net.vars[33], net.vars[3]};
  net.vars[33]->removeInfoVal(0);  // keeps value 1 only
  couple c = cache->searchBucket(vc, none);
  ASSERT_TRUE(c.isValid);
  EXPECT_EQ(vc[0], net.vars[3]);
  EXPECT_EQ(bk(c).type, 1u);
  EXPECT_EQ(bk(c).size, 2u);  // 40 + 4 bits
  EXPECT_EQ(key(c)[0], (1u << 3));
  // Word 1: bit 33 - 32 = 1 (variable 33), then 40, 41 for variable 3's
  // values, 43 for variable 33's value 1 (bits 8, 9, 11 of word 1).
  EXPECT_EQ(key(c)[1], (1u << 1) | (1u << 8) | (1u << 9) | (1u << 11));
}

TEST_F(CacheTest, SameComponentTwiceConsumesNoMoreBuffer) {
  std::vector<Variable*> vc = {net.vars[0], net.vars[1]};
  couple a = cache->searchBucket(vc, none);
  uint64_t used = cache->szBufferInfo;
  couple b = cache->searchBucket(vc, none);
  EXPECT_TRUE(a.isValid && b.isValid);
  EXPECT_EQ(a.i, b.i);
  EXPECT_EQ(a.j, b.j);
  EXPECT_EQ(cache->szBufferInfo, used);
  EXPECT_EQ(cache->bucketListSize(a.i), 1u);
}

TEST_F(CacheTest, ProjectionsOfConstraintsJoinTheKey) {
  // Ternary constraint over (x0, x1, x2) with x0 fixed outside the
  // component {x1, x2}: its value is part of the key; a binary constraint
  // adds nothing.
  Constraint* t = net.add({net.vars[0], net.vars[1], net.vars[2]}, [](const int*) { return true; });
  Constraint* b = net.add({net.vars[1], net.vars[2]}, [](const int*) { return true; });
  std::vector<Constraint*> onlyBinary = {b};
  std::vector<Constraint*> both = {t, b};
  std::vector<Variable*> vc = {net.vars[1], net.vars[2]};

  couple plain = cache->searchBucket(vc, onlyBinary);
  EXPECT_EQ(bk(plain).size, 2u);
  couple free = cache->searchBucket(vc, both);  // x0 not fixed: nothing projected
  EXPECT_TRUE(free.i == plain.i && free.j == plain.j);

  net.vars[0]->sizeDom = 1;  // x0 = 0
  couple x0is0 = cache->searchBucket(vc, both);
  ASSERT_TRUE(x0is0.isValid);
  EXPECT_EQ(bk(x0is0).size, 5u);
  EXPECT_EQ(key(x0is0)[2], 2u);  // count word, then (idVar, value)
  EXPECT_EQ(key(x0is0)[3], 0u);
  EXPECT_EQ(key(x0is0)[4], 0u);
  net.vars[0]->sizeDom = 2;
  net.vars[0]->removeInfoVal(0);  // x0 = 1
  couple x0is1 = cache->searchBucket(vc, both);
  EXPECT_FALSE(x0is1.i == x0is0.i && x0is1.j == x0is0.j);
  EXPECT_EQ(key(x0is1)[4], 1u);
}

TEST_F(CacheTest, KeyReachingTheLimitIsNotCached) {
  // Four ternary constraints each project 3 words: 2 + 12 >= 12.
  std::vector<Constraint*> cs;
  for (int k = 0; k < 4; k++)
    cs.push_back(net.add({net.vars[0], net.vars[1 + k], net.vars[5]}, [](const int*) { return true; }));
  net.vars[0]->sizeDom = 1;
  std::vector<Variable*> vc = {net.vars[1], net.vars[2]};
  uint64_t used = cache->szBufferInfo;
  couple c = cache->searchBucket(vc, cs);
  EXPECT_FALSE(c.isValid);
  EXPECT_EQ(cache->szBufferInfo, used);
  // Three of them fit: 2 + 9 < 12.
  cs.pop_back();
  EXPECT_TRUE(cache->searchBucket(vc, cs).isValid);
}

}  // namespace
