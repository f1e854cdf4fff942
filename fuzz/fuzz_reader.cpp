// libFuzzer target: one document from memory through the whole reader
// (libxml2 push loop, tag machine, parameter notation, expression parser),
// with a callback that walks and prints every tree it is given.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <streambuf>

#include <libxml/xmlerror.h>

#include "xcsp/XMLParser_libxml2.h"

using namespace CSPXMLParser;

namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void silent(void*, const char*, ...) {}

// Uses everything the reader hands over, the way a network builder would.
class WalkingCallback : public CSPParserCallback {
 public:
  std::ostringstream sink;
  long sum = 0;
  void addRelationTuple(int arity, int* tuple) override {
    for (int k = 0; k < arity; ++k) sum += tuple[k];
  }
  void addRelationTuple(int arity, int* tuple, int cost) override {
    addRelationTuple(arity, tuple);
    sum += cost;
  }
  void predicateExpression(const std::string& expr) override { sink << expr; }
  void beginConstraint(const std::string&, int, int, const std::string&, CSPDefinitionType, int,
                       const ASTList& scope) override {
    scope.prefixExpression(sink);
  }
  void constraintParameters(const ASTList& args) override {
    args.prefixExpression(sink);
    args.infixExpression(sink);
    C_AST* flat = args.makeCTree();
    deleteCTree(flat);
    sink.str("");
  }
};

NullBuffer nullBuffer;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  xmlSetGenericErrorFunc(nullptr, silent);
  std::cout.rdbuf(&nullBuffer);
  std::cerr.rdbuf(&nullBuffer);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WalkingCallback cb;
  XMLParser_libxml2<CSPParserCallback, DefaultASTFactory> reader(cb);
  reader.setPreferredExpressionRepresentation(PREFIX);
  try {
    reader.parse(reinterpret_cast<const char*>(data), size);
  } catch (const std::runtime_error&) {
    // Rejected input: fine, as long as it is rejected cleanly.
  }
  return 0;
}
