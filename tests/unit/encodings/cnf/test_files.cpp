// Whole CNF files of every encoding on tiny networks, derived by hand.

#include <gtest/gtest.h>

#include "EncodingTestUtil.h"
#include "encodings/Encoder.h"
#include "encodings/Encodings.h"

namespace {

// Runs the encoder of option on net and returns the file it wrote.
std::string encode(Net& net, const std::string& option) {
  ScratchDir dir;
  std::string out = dir.file("out.cnf");
  Solver* s = createEncoder(option, out, net.cons, net.vars, net.maxArity(), net.maxDom());
  EXPECT_NE(s, nullptr) << option;
  if (!s) return "";
  s->search(true);
  EXPECT_FALSE(fileExists(out + ".tmp")) << "temporary file left by " << option;
  return readFile(out);
}

// x in {0,1}, y in {0,1,2}; C0: y = x + 1 (allowed (0,1), (1,2)); C1: x = 0.
// Value numbers x0=1 x1=2 y0=3 y1=4 y2=5.
void smallNetwork(Net& net) {
  Variable* x = net.var("x", {0, 1});
  Variable* y = net.var("y", {0, 1, 2});
  net.con({x, y}, [](const int* t) { return t[1] == t[0] + 1; });
  net.con({x}, [](const int* t) { return t[0] == 0; });
}

// The example of the support clause order: allowed (a,b) and (a,c) over
// {a,d} x {b,c}, with a=10 d=20 b=30 c=40 (numbers 1 2 3 4).
void supportOrderNetwork(Net& net) {
  Variable* x = net.var("x", {10, 20});
  Variable* y = net.var("y", {30, 40});
  net.con({x, y}, [](const int* t) { return t[0] == 10; });
}

struct FileCase {
  const char* name;
  void (*build)(Net&);
  const char* option;
  const char* expected;
};

const FileCase fileCases[] = {
    {"conflict", smallNetwork, "-conflict",
     "p cnf 5 11\n"
     "1 2 0\n-1 -2 0\n"
     "3 4 5 0\n-3 -4 0\n-3 -5 0\n-4 -5 0\n"
     "-1 -3 0\n-1 -5 0\n-2 -3 0\n-2 -4 0\n"
     "-2 0\n"},
    {"support", smallNetwork, "-support",
     "p cnf 5 15\n"
     "1 2 0\n-1 -2 0\n"
     "3 4 5 0\n-3 -4 0\n-3 -5 0\n-4 -5 0\n"
     "-1 4 0\n-4 1 0\n-2 5 0\n-5 2 0\n"
     "-1 -3 0\n-1 -5 0\n-2 -3 0\n-2 -4 0\n"
     "-2 0\n"},
    {"support clause order", supportOrderNetwork, "-support",
     "p cnf 4 9\n"
     "1 2 0\n-1 -2 0\n3 4 0\n-3 -4 0\n"
     "-1 3 4 0\n-3 1 0\n-4 1 0\n"
     "-2 -3 0\n-2 -4 0\n"},
    {"tuple variables", smallNetwork, "-0AC",
     "p cnf 8 16\n"
     "1 2 0\n-1 -2 0\n"
     "3 4 5 0\n-3 -4 0\n-3 -5 0\n-4 -5 0\n"
     "6 7 0\n6 -1 -4 0\n-6 1 0\n-6 4 0\n7 -2 -5 0\n-7 2 0\n-7 5 0\n"
     "8 0\n8 -1 0\n-8 1 0\n"},
    // C0 has fewer supports (2) than conflicts (4): tuple variables; C1 has
    // one of each: conflict clauses on a tie.
    {"mixed", smallNetwork, "-mixed",
     "p cnf 7 14\n"
     "1 2 0\n-1 -2 0\n"
     "3 4 5 0\n-3 -4 0\n-3 -5 0\n-4 -5 0\n"
     "6 7 0\n6 -1 -4 0\n-6 1 0\n-6 4 0\n7 -2 -5 0\n-7 2 0\n-7 5 0\n"
     "-2 0\n"},
    // x: 2 bits (1,2), codes x0=00 x1=01, codes 2 and 3 excluded; y: 2 bits
    // (3,4), y0=00 y1=01 y2=10, code 3 excluded.
    {"log", smallNetwork, "-log",
     "p cnf 4 8\n"
     "1 -2 0\n-1 -2 0\n-3 -4 0\n"
     "1 2 3 4 0\n1 2 3 -4 0\n-1 2 3 4 0\n-1 2 -3 4 0\n"
     "-1 2 0\n"},
    {"log support", smallNetwork, "-logsup",
     "p cnf 7 18\n"
     "1 -2 0\n-1 -2 0\n-3 -4 0\n"
     "5 1 2 -3 4 0\n-5 -1 0\n-5 -2 0\n-5 3 0\n-5 -4 0\n"
     "6 -1 2 3 -4 0\n-6 1 0\n-6 -2 0\n-6 -3 0\n-6 4 0\n"
     "5 6 0\n"
     "7 1 2 0\n-7 -1 0\n-7 -2 0\n7 0\n"},
    // x: p0..p2 = 1..3, y: q0..q3 = 4..7.
    {"order", smallNetwork, "-order",
     "p cnf 7 14\n"
     "-1 0\n3 0\n-1 2 0\n-2 3 0\n"
     "-4 0\n7 0\n-4 5 0\n-5 6 0\n-6 7 0\n"
     "-2 -5 0\n-2 6 -7 0\n2 -3 -5 0\n2 -3 5 -6 0\n"
     "2 -3 0\n"},
    {"order support", smallNetwork, "-ordersup",
     "p cnf 10 22\n"
     "-1 0\n3 0\n-1 2 0\n-2 3 0\n"
     "-4 0\n7 0\n-4 5 0\n-5 6 0\n-6 7 0\n"
     "8 -2 5 -6 0\n-8 2 0\n-8 -5 0\n-8 6 0\n"
     "9 2 -3 6 -7 0\n-9 -2 0\n-9 3 0\n-9 -6 0\n-9 7 0\n"
     "8 9 0\n"
     "10 -2 0\n-10 2 0\n10 0\n"},
};

TEST(EncodingFiles, ByteForByte) {
  for (const FileCase& fc : fileCases) {
    SCOPED_TRACE(fc.name);
    Net net;
    fc.build(net);
    EXPECT_EQ(encode(net, fc.option), fc.expected);
  }
}

// Per-variable clauses only, for a network without constraints, and a
// single-valued variable: a unit clause and no at-most-one clause.
TEST(EncodingFiles, NoConstraintAndSingleValue) {
  struct Case {
    const char* option;
    const char* expected;
  } cases[] = {
      {"-conflict", "p cnf 3 3\n1 2 0\n-1 -2 0\n3 0\n"},
      {"-support", "p cnf 3 3\n1 2 0\n-1 -2 0\n3 0\n"},
      {"-0AC", "p cnf 3 3\n1 2 0\n-1 -2 0\n3 0\n"},
      {"-mixed", "p cnf 3 3\n1 2 0\n-1 -2 0\n3 0\n"},
      // x (2 values): 2 bits, codes 2, 3 excluded; y (1 value): 1 bit,
      // code 1 excluded.
      {"-log", "p cnf 3 3\n1 -2 0\n-1 -2 0\n-3 0\n"},
      {"-logsup", "p cnf 3 3\n1 -2 0\n-1 -2 0\n-3 0\n"},
      {"-order", "p cnf 5 7\n-1 0\n3 0\n-1 2 0\n-2 3 0\n-4 0\n5 0\n-4 5 0\n"},
      {"-ordersup", "p cnf 5 7\n-1 0\n3 0\n-1 2 0\n-2 3 0\n-4 0\n5 0\n-4 5 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    Net net;
    net.var("x", {4, 7});
    net.var("y", {9});
    EXPECT_EQ(encode(net, c.option), c.expected);
  }
}

// A constraint without any allowed tuple: the encodings that collect
// allowed tuples write the empty clause, the others one clause per tuple.
// Also a constraint with an empty scope, rejected or accepted.
TEST(EncodingFiles, NoAllowedTupleAndEmptyScope) {
  struct Case {
    const char* option;
    const char* expected;
  } cases[] = {
      // x in {0,1}: numbers 1 2 (direct), bit 1..2 (log), p0..p2 (order).
      {"-conflict", "p cnf 2 5\n1 2 0\n-1 -2 0\n-1 0\n-2 0\n0\n"},
      {"-support", "p cnf 2 5\n1 2 0\n-1 -2 0\n-1 0\n-2 0\n0\n"},
      {"-0AC", "p cnf 3 6\n1 2 0\n-1 -2 0\n0\n0\n3 0\n3 0\n"},
      {"-mixed", "p cnf 2 4\n1 2 0\n-1 -2 0\n0\n0\n"},
      {"-log", "p cnf 2 5\n1 -2 0\n-1 -2 0\n1 2 0\n-1 2 0\n0\n"},
      {"-logsup", "p cnf 3 6\n1 -2 0\n-1 -2 0\n0\n0\n3 0\n3 0\n"},
      {"-order", "p cnf 3 7\n-1 0\n3 0\n-1 2 0\n-2 3 0\n-2 0\n2 -3 0\n0\n"},
      {"-ordersup", "p cnf 4 8\n-1 0\n3 0\n-1 2 0\n-2 3 0\n0\n0\n4 0\n4 0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.option);
    Net net;
    Variable* x = net.var("x", {0, 1});
    net.con({x}, [](const int*) { return false; });
    net.con({}, [](const int*) { return false; });
    net.con({}, [](const int*) { return true; });
    EXPECT_EQ(encode(net, c.option), c.expected);
  }
}

}  // namespace
