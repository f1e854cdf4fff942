// Every malformed input of fixtures/bad/ stops the reader with exactly the
// message of fixtures/bad/MANIFEST.tsv.  A message in parentheses,
// "(libxml2: TEXT)", is libxml2's own verdict: libxml2 writes TEXT to
// standard error and the reader fails with a message naming it.

#include <gtest/gtest.h>

#include <fstream>

#include "unit/xcsp/ReaderHarness.h"

using namespace vantor_test;

namespace {

struct BadInput {
  std::string file, message, what;
};

std::vector<BadInput> manifest() {
  std::vector<BadInput> rows;
  std::ifstream in(fixture("bad/MANIFEST.tsv"));
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    size_t a = line.find('\t'), b = line.find('\t', a + 1);
    if (a == std::string::npos) continue;
    rows.push_back({line.substr(0, a), line.substr(a + 1, b - a - 1),
                    b == std::string::npos ? "" : line.substr(b + 1)});
  }
  return rows;
}

void PrintTo(const BadInput& b, std::ostream* os) { *os << b.file; }

class BadInputTest : public testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, StopsWithManifestMessage) {
  const BadInput& bad = GetParam();
  SCOPED_TRACE(bad.what);
  ReadResult r = readDocument(fileContents(fixture("bad/" + bad.file)), PREFIX, true);
  ASSERT_TRUE(r.failed) << r.transcript();
  const std::string prefix = "(libxml2: ";
  if (bad.message.compare(0, prefix.size(), prefix) == 0) {
    std::string text = bad.message.substr(prefix.size(), bad.message.size() - prefix.size() - 1);
    EXPECT_EQ("the document is not well-formed XML (libxml2: " + text + ")", r.error);
    EXPECT_NE(std::string::npos, r.err.find(text)) << r.err;
  } else {
    EXPECT_EQ(bad.message, r.error);
  }
  // The line report comes first on standard output.
  EXPECT_EQ(0u, r.out.find("Exception at line ")) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Manifest, BadInputTest, testing::ValuesIn(manifest()),
                         [](const testing::TestParamInfo<BadInput>& info) {
                           std::string n = info.param.file.substr(0, info.param.file.find('.'));
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST(BadInputs, ManifestCoversEveryFixture) { EXPECT_EQ(51u, manifest().size()); }

}  // namespace
