#pragma once
// Runs the whole reader (libxml2 push loop and tag machine) over a document
// with a RecordingCallback, and collects everything observable: the calls,
// the error message, and what was written to standard output and error.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "unit/xcsp/RecordingCallback.h"
#include "xcsp/XMLParser_libxml2.h"

namespace vantor_test {

struct ReadResult {
  std::string calls;
  bool failed = false;
  std::string error;  // message of the runtime_error, when failed
  std::string out;    // standard output
  std::string err;    // standard error

  // Calls, then what went to each stream: the form of the .calls files.
  std::string transcript() const {
    std::string t = calls;
    if (!out.empty()) t += "--- stdout\n" + out;
    if (!err.empty()) t += "--- stderr\n" + err;
    if (failed) t += "--- error\n" + error + "\n";
    return t;
  }
};

typedef XMLParser_libxml2<CSPParserCallback, DefaultASTFactory> Reader;

inline ReadResult readDocument(const std::string& xml, Syntax syntax = PREFIX,
                               bool readWeightedSumKeys = false) {
  ReadResult r;
  RecordingCallback cb;
  cb.readWeightedSumKeys = readWeightedSumKeys;
  Reader reader(cb);
  reader.setPreferredExpressionRepresentation(syntax);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  try {
    reader.parse(xml.data(), xml.size());
  } catch (const std::runtime_error& e) {
    r.failed = true;
    r.error = e.what();
  }
  r.out = testing::internal::GetCapturedStdout();
  r.err = testing::internal::GetCapturedStderr();
  r.calls = cb.text();
  return r;
}

inline std::string fileContents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open fixture " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::string fixture(const std::string& relative) {
  return std::string(VANTOR_FIXTURES) + "/" + relative;
}

}  // namespace vantor_test
