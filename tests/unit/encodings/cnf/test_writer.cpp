// The buffered clause writer across buffer borders, and the block copy.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>

#include "EncodingTestUtil.h"
#include "encodings/ClauseWriter.h"

namespace {

// Literals of every width and sign, pre-rendered blocks smaller and larger
// than the buffer, and line ends, written well past several buffer fills:
// the file is exactly the concatenation.
TEST(ClauseWriter, ContentAcrossBufferBorders) {
  ScratchDir dir;
  std::string path = dir.file("w.cnf");
  ClauseWriter w;
  ASSERT_TRUE(w.open(path));
  std::string expected;
  std::string big(ClauseWriter::bufferSize + 12345, 'x');
  const int lits[] = {1, -1, 9, -10, 123456, -7654321, INT_MAX, -INT_MAX, INT_MIN};
  for (int round = 0; round < 20000; round++) {
    for (int l : lits) {
      w.lit(l);
      expected += std::to_string(l) + " ";
    }
    if (round % 10000 == 0) {
      w.text(big.data(), big.size());
      expected += big;
    } else {
      w.text("-3 4 ", 5);
      expected += "-3 4 ";
    }
    w.end();
    expected += "0\n";
  }
  ASSERT_TRUE(w.close());
  EXPECT_GT(expected.size(), 3 * ClauseWriter::bufferSize);
  EXPECT_TRUE(readFile(path) == expected);

  // The copy behind a header reproduces the file byte for byte.
  std::string copy = dir.file("c.cnf");
  ClauseWriter out;
  ASSERT_TRUE(out.open(copy));
  out.raw("p cnf 1 2\n");
  int in = open(path.c_str(), O_RDONLY);
  ASSERT_GE(in, 0);
  EXPECT_TRUE(out.copyFrom(in));
  close(in);
  ASSERT_TRUE(out.close());
  EXPECT_TRUE(readFile(copy) == "p cnf 1 2\n" + expected);
}

TEST(ClauseWriter, WriteErrorsAreReported) {
  ClauseWriter w;
  EXPECT_FALSE(w.open("/nonexistent-dir/x.cnf"));
  EXPECT_NE(w.error(), 0);
  // /dev/full accepts the open and refuses every write.
  ClauseWriter full;
  if (!full.open("/dev/full")) GTEST_SKIP() << "no /dev/full";
  full.lit(1);
  full.end();
  EXPECT_FALSE(full.close());
  EXPECT_EQ(full.error(), ENOSPC);
}

}  // namespace
