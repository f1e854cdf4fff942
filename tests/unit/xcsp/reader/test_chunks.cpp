// Text cut anywhere must read as if it came in one piece: across the
// 4096-byte chunks pushed into libxml2, and across the character runs that
// libxml2 hands to the tag machine.

#include <gtest/gtest.h>

#include <sstream>

#include "unit/xcsp/ReaderHarness.h"

using namespace vantor_test;

namespace {

// A document of several chunks whose text is dense with short tokens, and
// the transcript it must give, built side by side.
struct Generated {
  std::string body;      // from the root element on
  std::string expected;  // the calls
};

Generated generate() {
  std::ostringstream doc, calls;
  unsigned seed = 12345;
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % n);
  };
  const int nbVars = 60, nbTuples = 1500, arity = 3;
  doc << "<instance>\n<presentation name=\"chunks\"/>\n<domains nbDomains=\"1\">\n"
      << "<domain name=\"D\" nbValues=\"300\">";
  calls << "beginInstance chunks\nbeginDomainsSection 1\nbeginDomain D 0 300\n";
  for (int v = 0; v < 300; v += 2) {
    if (v % 10 == 0) {
      doc << v << ".." << v + 1 << " ";
      calls << "addDomainValue " << v << ".." << v + 1 << "\n";
    } else {
      doc << -v << " ";
      calls << "addDomainValue " << -v << "\n";
    }
  }
  doc << "</domain>\n</domains>\n<variables nbVariables=\"" << nbVars << "\">\n";
  calls << "endDomain\nendDomainsSection\nbeginVariablesSection " << nbVars << "\n";
  for (int v = 0; v < nbVars; ++v) {
    doc << "<variable name=\"V" << v << "\" domain=\"D\"/>";
    calls << "addVariable V" << v << " " << v << " D 0\n";
  }
  doc << "\n</variables>\n<relations nbRelations=\"1\">\n<relation name=\"R\" arity=\"" << arity
      << "\" nbTuples=\"" << nbTuples << "\" semantics=\"conflicts\">";
  calls << "endVariablesSection\nbeginRelationsSection 1\nbeginRelation R 0 " << arity << " "
        << nbTuples << " conflicts\n";
  for (int t = 0; t < nbTuples; ++t) {
    if (t) doc << (t % 7 ? "|" : " | ");
    calls << "tuple";
    for (int k = 0; k < arity; ++k) {
      int v = next(300) - 100;
      doc << (k ? " " : "") << v;
      calls << " " << v;
    }
    calls << "\n";
  }
  doc << "</relation>\n</relations>\n<constraints nbConstraints=\"1\">\n"
      << "<constraint name=\"S\" arity=\"" << nbVars << "\" scope=\"";
  calls << "endRelation\nendRelationsSection\nbeginConstraintsSection 1\nbeginConstraint S 0 "
        << nbVars << " global:weightedsum global 5 [";
  for (int v = 0; v < nbVars; ++v) {
    doc << (v ? " " : "") << "V" << v;
    calls << " V" << v << "/$" << v;
  }
  doc << "\" reference=\"global:weightedSum\">\n<parameters>[";
  calls << " ]\nconstraintParameters [ [";
  for (int v = 0; v < nbVars; ++v) {
    int c = next(2000) - 1000;
    doc << "{" << c << " V" << v << "}";
    calls << " { /coef " << c << " /var V" << v << "/$" << v << " }";
  }
  doc << "] <le/> 123456789</parameters>\n</constraint>\n</constraints>\n</instance>\n";
  calls << " ] <= 123456789 ]\nendConstraint\nendConstraintsSection\nendInstance\n";
  return {doc.str(), calls.str()};
}

TEST(Chunks, TokensAcrossChunkBordersAreKept) {
  Generated g = generate();
  ASSERT_GT(g.body.size(), 3u * 4096u);
  // A leading comment of growing length moves every chunk border over the
  // following text, byte by byte.
  for (int pad = 0; pad < 24; ++pad) {
    SCOPED_TRACE("pad " + std::to_string(pad));
    std::string doc = "<!--" + std::string(pad, 'x') + "-->\n" + g.body;
    ReadResult r = readDocument(doc);
    ASSERT_FALSE(r.failed) << r.error;
    ASSERT_EQ(g.expected, r.calls);
  }
}

TEST(Chunks, ReadsFromAStreamLikeFromMemory) {
  Generated g = generate();
  RecordingCallback cb;
  Reader reader(cb);
  std::istringstream in(g.body);
  reader.parse(in);
  EXPECT_EQ(g.expected, cb.text());
}

// Hands libxml2's character runs to the tag machine in pieces of a fixed
// number of characters (never inside a character).
int pieceChars = 1;
void splittingCharacters(void* ctx, const xmlChar* ch, int len) {
  int start = 0;
  while (start < len) {
    int end = start, n = 0;
    while (end < len && n < pieceChars) {
      end += UTF8String::iterator::codeLength(ch[end]);
      ++n;
    }
    if (end > len) end = len;
    Reader::characters(ctx, ch + start, end - start);
    start = end;
  }
}

std::string readSplit(const std::string& doc, int chars) {
  RecordingCallback cb;
  Reader reader(cb);
  reader.setPreferredExpressionRepresentation(PREFIX);
  xmlSAXHandler handler;
  Reader::fillSAXHandler(handler);
  handler.characters = splittingCharacters;
  pieceChars = chars;
  XMLPushReader().read(doc.data(), doc.size(), &handler, &reader);
  return cb.text();
}

TEST(Chunks, TextCutAtAnyCharacterReadsTheSame) {
  // Text with multi-byte characters in the places that take any text, and
  // abridged values packed without blanks.
  const std::string doc =
      "<instance><presentation name=\"d\xC3\xA9j\xC3\xA0\">\xE2\x82\xAC \xF0\x9F\x98\x80 x</presentation>"
      "<domains nbDomains='1'><domain name='D' nbValues='3'> -10..-1 0 12 345 </domain></domains>"
      "<variables nbVariables='2'><variable name='X_1' domain='D'/><variable name='Y' domain='D'/>"
      "</variables>"
      "<relations nbRelations='1'><relation name='R' arity='2' nbTuples='3' semantics='soft' "
      "defaultCost='7'>10 20|300:-4 5| 6 7 </relation></relations>"
      "<predicates nbPredicates='1'><predicate name='P'><parameters> int X\xC3\xA9 int Y"
      "</parameters><expression><functional>eq(X\xC3\xA9,add(Y,100))</functional></expression>"
      "</predicate></predicates>"
      "<constraints nbConstraints='2'><constraint name='C' arity='2' scope='X_1 Y' reference='P'>"
      "<parameters>X_1 -42 Y</parameters></constraint>"
      "<constraint name='W' arity='2' scope='X_1 Y' reference='global:weightedSum'>"
      "<parameters>[{12 X_1}{/var Y /coef -3}]<ge/>1000</parameters></constraint>"
      "</constraints></instance>";
  ReadResult whole = readDocument(doc);
  ASSERT_FALSE(whole.failed) << whole.error;
  ASSERT_NE(std::string::npos, whole.calls.find("tuple -4 5 :300")) << whole.calls;
  for (int chars = 1; chars <= 9; ++chars) {
    SCOPED_TRACE("pieces of " + std::to_string(chars) + " characters");
    EXPECT_EQ(whole.calls, readSplit(doc, chars));
  }
}

}  // namespace
