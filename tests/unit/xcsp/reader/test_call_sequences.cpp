// Whole call sequences of the reader over small documents: each
// fixtures/xcsp/calls/NAME.xml is read with predicate expressions as prefix
// text and must give exactly the transcript in NAME.calls (calls, then the
// warnings written to standard output and error).
// With VANTOR_UPDATE_CALLS=1 the transcripts are rewritten instead.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "unit/xcsp/ReaderHarness.h"

namespace fs = std::filesystem;
using namespace vantor_test;

namespace {

std::vector<std::string> callFixtures() {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(fixture("xcsp/calls")))
    if (e.path().extension() == ".xml") names.push_back(e.path().stem().string());
  std::sort(names.begin(), names.end());
  return names;
}

class CallSequence : public testing::TestWithParam<std::string> {};

TEST_P(CallSequence, MatchesTranscript) {
  std::string base = fixture("xcsp/calls/" + GetParam());
  ReadResult r = readDocument(fileContents(base + ".xml"));
  if (std::getenv("VANTOR_UPDATE_CALLS")) {
    std::ofstream(base + ".calls") << r.transcript();
    return;
  }
  EXPECT_EQ(fileContents(base + ".calls"), r.transcript());
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CallSequence, testing::ValuesIn(callFixtures()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param;
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

}  // namespace
