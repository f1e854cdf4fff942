// libFuzzer target for the tag machine alone, fed without libxml2: the
// input becomes the text of one element of a fixed skeleton, handed over in
// pieces of a chosen size that may cut characters, with bytes libxml2 would
// never let through (NUL, malformed UTF-8).
//   byte 0: which element gets the text; byte 1: piece size; rest: text.
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <sstream>
#include <streambuf>

#include "xcsp/XMLParser_libxml2.h"

using namespace CSPXMLParser;

namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};
NullBuffer nullBuffer;

class PrintingCallback : public CSPParserCallback {
 public:
  std::ostringstream sink;
  void addRelationTuple(int arity, int* tuple) override {
    for (int k = 0; k < arity; ++k) sink << tuple[k];
  }
  void addRelationTuple(int arity, int* tuple, int cost) override {
    addRelationTuple(arity, tuple);
    sink << cost;
  }
  void predicateExpression(const std::string& expr) override { sink << expr; }
  void constraintParameters(const ASTList& args) override { args.prefixExpression(sink); }
};

typedef XMLParser<CSPParserCallback, DefaultASTFactory, UTF8String, AttributeList> TagMachine;

struct Element {
  const char* name;
  std::vector<const char*> atts;
};

void open(TagMachine& m, const Element& e) {
  std::vector<const xmlChar*> atts;
  for (const char* a : e.atts) atts.push_back(reinterpret_cast<const xmlChar*>(a));
  atts.push_back(nullptr);
  m.startElement(UTF8String(e.name), AttributeList(atts.data()));
}

// The elements around the text, outermost first.
std::vector<Element> skeleton(int which) {
  std::vector<Element> path = {{"instance", {}}};
  switch (which % 8) {
    case 0: path.push_back({"domains", {"nbDomains", "1"}});
            path.push_back({"domain", {"name", "E", "nbValues", "1"}}); break;
    case 1: path.push_back({"relations", {"nbRelations", "1"}});
            path.push_back({"relation", {"name", "R", "arity", "2", "nbTuples", "3", "semantics", "conflicts"}}); break;
    case 2: path.push_back({"relations", {"nbRelations", "1"}});
            path.push_back({"relation", {"name", "R", "arity", "3", "nbTuples", "2", "semantics", "soft", "defaultCost", "4"}}); break;
    case 3: path.push_back({"predicates", {"nbPredicates", "1"}});
            path.push_back({"predicate", {"name", "P"}});
            path.push_back({"parameters", {}}); break;
    case 4: path.push_back({"predicates", {"nbPredicates", "1"}});
            path.push_back({"predicate", {"name", "P"}});
            path.push_back({"expression", {}});
            path.push_back({"functional", {}}); break;
    case 5: path.push_back({"constraints", {"nbConstraints", "1"}});
            path.push_back({"constraint", {"name", "C", "arity", "2", "scope", "X Y", "reference", "global:weightedSum"}});
            path.push_back({"parameters", {}}); break;
    case 6: path.push_back({"constraints", {"nbConstraints", "1"}});
            path.push_back({"constraint", {"name", "C", "arity", "2", "scope", "X Y", "reference", "global:cumulative"}});
            path.push_back({"parameters", {}}); break;
    default: path.push_back({"presentation", {"name", "p"}}); break;
  }
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::cout.rdbuf(&nullBuffer);
  std::cerr.rdbuf(&nullBuffer);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  PrintingCallback cb;
  TagMachine m(cb);
  m.setPreferredExpressionRepresentation(PREFIX);
  std::vector<Element> path = skeleton(data[0]);
  size_t piece = data[1] % 16 + 1;
  try {
    m.startDocument();
    open(m, path[0]);
    // Two variables for the constraints to use.
    if (data[0] % 8 == 5 || data[0] % 8 == 6) {
      open(m, {"domains", {"nbDomains", "1"}});
      open(m, {"domain", {"name", "D", "nbValues", "2"}});
      m.characters(UTF8String("0 1"));
      m.endElement(UTF8String("domain"));
      m.endElement(UTF8String("domains"));
      open(m, {"variables", {"nbVariables", "2"}});
      open(m, {"variable", {"name", "X", "domain", "D"}});
      m.endElement(UTF8String("variable"));
      open(m, {"variable", {"name", "Y", "domain", "D"}});
      m.endElement(UTF8String("variable"));
      m.endElement(UTF8String("variables"));
    }
    for (size_t k = 1; k < path.size(); ++k) open(m, path[k]);
    for (size_t at = 2; at < size; at += piece) {
      size_t n = size - at < piece ? size - at : piece;
      m.characters(UTF8String(data + at, data + at + n));
    }
    for (size_t k = path.size(); k-- > 0;) m.endElement(UTF8String(path[k].name));
  } catch (const std::runtime_error&) {
  }
  return 0;
}
