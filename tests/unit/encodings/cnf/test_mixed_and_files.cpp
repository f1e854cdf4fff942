// The split of long clauses in the mixed encoding, the statistics lines, and
// the file protocol when files cannot be opened.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "EncodingTestUtil.h"
#include "encodings/Encodings.h"
#include "encodings/mixteEncoding.h"
#include "network/constraints/AllDiff.h"

namespace {

std::vector<int> literalsOf(const std::string& line) {
  std::vector<int> out;
  std::istringstream in(line);
  int l;
  while (in >> l && l != 0) out.push_back(l);
  return out;
}

// x, y in 0..9 with x = y: 10 supports, 90 conflicts.  Value numbers 1..20,
// tuple variables 21..30, one auxiliary variable 31.
TEST(MixedEncoding, TenSupportsMakeOneGroup) {
  Net net;
  Variable* x = net.var("x", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  Variable* y = net.var("y", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
  net.con({x, y}, [](const int* t) { return t[0] == t[1]; });
  ScratchDir dir;
  mixteEncoding enc(dir.file("m.cnf"), true, net.cons, net.vars, 2, 10);
  enc.search(true);
  std::vector<std::string> l = lines(readFile(dir.file("m.cnf")));
  // 2 x (1 + 45) value clauses, 12 for the split, 10 x 3 for the tuples.
  ASSERT_EQ(l.size(), 1u + 92 + 12 + 30);
  EXPECT_EQ(l[0], "p cnf 31 134");
  size_t at = 1 + 92;
  for (int i = 0; i < 10; i++) EXPECT_EQ(l[at + i], "31 -" + std::to_string(21 + i) + " 0");
  EXPECT_EQ(l[at + 10], "-31 21 22 23 24 25 26 27 28 29 30 0");
  EXPECT_EQ(l[at + 11], "31 0");
  EXPECT_EQ(l[at + 12], "21 -1 -11 0");
  EXPECT_EQ(enc.nbHitSupport, 1);
  EXPECT_EQ(enc.nbHitConflict, 0);
  EXPECT_EQ(enc.nbSupportClauses, 31);
  EXPECT_EQ(enc.nbConflictClauses, 0);
  EXPECT_EQ(InfoValueVar::getCurrentProp(), 32);
}

// 93 supports: groups of 10 (the last of 3) tied to 10 auxiliary variables,
// whose clause is split again into one group and a unit clause.  Every
// auxiliary variable is equivalent to the disjunction of its group.
TEST(MixedEncoding, LongClauseSplitRecursively) {
  Net net;
  std::vector<int> d;
  for (int v = 0; v < 15; v++) d.push_back(v);
  Variable* x = net.var("x", d);
  Variable* y = net.var("y", d);
  net.con({x, y}, [](const int* t) { return std::abs(t[0] - t[1]) <= 3; });
  ScratchDir dir;
  mixteEncoding enc(dir.file("m.cnf"), true, net.cons, net.vars, 2, 15);
  enc.search(true);
  std::vector<std::string> l = lines(readFile(dir.file("m.cnf")));
  const int f = 31, T = 93;
  size_t at = 1 + 2 * (1 + 105);
  int aux = f + T;
  std::vector<int> groupVars;
  for (int g = 0; g < 10; g++) {
    int size = g < 9 ? 10 : 3;
    std::vector<int> group;
    for (int i = 0; i < size; i++) {
      int l0 = f + 10 * g + i;
      group.push_back(l0);
      EXPECT_EQ(literalsOf(l[at++]), (std::vector<int>{aux, -l0}));
    }
    std::vector<int> back{-aux};
    back.insert(back.end(), group.begin(), group.end());
    EXPECT_EQ(literalsOf(l[at++]), back);
    groupVars.push_back(aux++);
  }
  int top = aux++;
  for (int a : groupVars) EXPECT_EQ(literalsOf(l[at++]), (std::vector<int>{top, -a}));
  std::vector<int> back{-top};
  back.insert(back.end(), groupVars.begin(), groupVars.end());
  EXPECT_EQ(literalsOf(l[at++]), back);
  EXPECT_EQ(literalsOf(l[at++]), std::vector<int>{top});
  // Tuple and auxiliary variables come after the 30 value numbers.
  EXPECT_EQ(l[0], "p cnf " + std::to_string(30 + T + 11) + " " +
                      std::to_string(2 * 106 + 115 + 3 * T));
  EXPECT_EQ(enc.nbSupportClauses, 1 + 3 * T);
}

// An all-different over three variables whose pairs have fewer supports
// than conflicts: the pairs do not describe the constraint, so the whole
// scope is enumerated (no allowed tuple: the empty clause).
TEST(MixedEncoding, AllDifferentPairsAreNotSupports) {
  Net net;
  Variable* x = net.var("x", {1});
  Variable* y = net.var("y", {1});
  Variable* z = net.var("z", {1, 2});
  Variable* sc[] = {x, y, z};
  net.cons.push_back(new AllDiff("A", sc, 3, 0));
  ScratchDir dir;
  std::string out = dir.file("m.cnf");
  Solver* s = createEncoder("-mixed", out, net.cons, net.vars, 3, 2);
  s->search(true);
  EXPECT_EQ(readFile(out), "p cnf 4 5\n1 0\n2 0\n3 4 0\n-3 -4 0\n0\n");
}

TEST(MixedEncoding, StatisticsLines) {
  Net net;
  Variable* x = net.var("x", {0, 1});
  Variable* y = net.var("y", {0, 1, 2});
  net.con({x, y}, [](const int* t) { return t[1] == t[0] + 1; });
  net.con({x}, [](const int* t) { return t[0] == 0; });
  ScratchDir dir;
  mixteEncoding enc(dir.file("m.cnf"), true, net.cons, net.vars, 2, 3);
  enc.search(true);
  testing::internal::CaptureStderr();
  enc.showFinal(0);
  std::vector<std::string> l = lines(testing::internal::GetCapturedStderr());
  ASSERT_GE(l.size(), 5u);
  EXPECT_EQ(l[0], "c ");
  EXPECT_EQ(l[1], "c # conflicts/supports : 1/1");
  EXPECT_EQ(l[2], "c # conflict clauses : 1");
  EXPECT_EQ(l[3], "c # suppport clauses : 7");
  EXPECT_EQ(l[4].rfind("c # temps = ", 0), 0u);
}

const char* const allOptions[] = {"-conflict", "-support", "-0AC", "-mixed",
                                  "-log",      "-logsup",  "-order", "-ordersup"};

TEST(EncoderFactory, KnownAndUnknownOptions) {
  Net net;
  net.var("x", {0});
  for (const char* o : allOptions) EXPECT_NE(createEncoder(o, "/tmp/x", net.cons, net.vars, 0, 1), nullptr) << o;
  for (const char* o : {"-direct", "conflict", "", "-Mixed"})
    EXPECT_EQ(createEncoder(o, "/tmp/x", net.cons, net.vars, 0, 1), nullptr) << o;
}

// An output that cannot be created is an error (status 1, a message on
// standard error), and no temporary file is left behind.
TEST(EncoderFiles, UnopenableOutputEndsWithStatus1) {
  ScratchDir dir;
  std::string missingDir = dir.file("no/such/dir/out.cnf");
  // The final name is a folder: the temporary file is written, then removed.
  std::string folder = dir.file("folder");
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  for (const char* o : allOptions) {
    SCOPED_TRACE(o);
    for (const std::string& out : {missingDir, folder}) {
      EXPECT_EXIT(
          {
            Net net;
            Variable* x = net.var("x", {0, 1});
            net.con({x}, [](const int* t) { return t[0] == 1; });
            createEncoder(o, out, net.cons, net.vars, 1, 2)->search(true);
            exit(0);
          },
          testing::ExitedWithCode(1), "cannot create the CNF file");
      EXPECT_FALSE(fileExists(out + ".tmp"));
    }
  }
}

}  // namespace
