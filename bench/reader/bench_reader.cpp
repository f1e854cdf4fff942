// Times the reader alone: the whole document from a file (or standard
// input) through libxml2 and the tag machine into callbacks that do nothing.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "xcsp/XMLParser_libxml2.h"

using namespace CSPXMLParser;

int main(int argc, char** argv) {
  CSPParserCallback nothing;
  XMLParser_libxml2<CSPParserCallback, DefaultASTFactory> reader(nothing);
  reader.setPreferredExpressionRepresentation(PREFIX);
  std::ifstream in(argc > 1 ? argv[1] : "/dev/stdin", std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", argc > 1 ? argv[1] : "/dev/stdin");
    return 1;
  }
  auto t0 = std::chrono::steady_clock::now();
  try {
    reader.parse(in);
  } catch (const std::exception& e) {
    return reportUnexpectedException(e);
  }
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::printf("%.3f\n", s);
  return 0;
}
