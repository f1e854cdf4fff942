// Replays every input kept in fuzz/regressions/: each once crashed the
// reader; it must now be read or rejected with a runtime_error.

#include <gtest/gtest.h>

#include <filesystem>

#include "unit/xcsp/ReaderHarness.h"

namespace fs = std::filesystem;
using namespace vantor_test;

namespace {

TEST(ReaderRegressions, KeptInputsAreHandledCleanly) {
  fs::path dir = fs::path(VANTOR_FIXTURES) / ".." / ".." / "fuzz" / "regressions";
  int replayed = 0;
  for (const fs::directory_entry& e : fs::directory_iterator(dir)) {
    if (e.path().filename() == "README.md") continue;
    SCOPED_TRACE(e.path().filename().string());
    ReadResult r = readDocument(fileContents(e.path().string()), TREE, true);
    if (r.failed) {
      EXPECT_FALSE(r.error.empty());
    }
    ++replayed;
  }
  EXPECT_GT(replayed, 0);
}

}  // namespace
