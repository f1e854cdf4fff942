// How a reading run starts, fails and ends: line reports, exceptions from
// callbacks, documents libxml2 rejects, expression forms, reuse of a reader,
// and the tag machine fed directly with text libxml2 would never send.

#include <gtest/gtest.h>

#include "unit/xcsp/ReaderHarness.h"

using namespace vantor_test;

namespace {

const std::string onePredicate =
    "<instance><predicates nbPredicates='1'><predicate name='P'>"
    "<parameters>int X int Y</parameters>"
    "<expression><functional>eq(X,add(Y,1))</functional></expression>"
    "</predicate></predicates></instance>";

TEST(ReaderRun, ExpressionReachesCallbackInPreferredForm) {
  struct Case {
    Syntax syntax;
    const char* line;
  } cases[] = {
      {TREE, "predicateTree eq(X/$0,add(Y/$1,1))"},
      {PREFIX, "predicateExpression eq(X/$0,add(Y/$1,1))"},
      {INFIX_C, "predicateExpression (parm[0]==(parm[1]+1))"},
      {POSTFIX, "predicateExpression X/$0 Y/$1 1 add eq"},
      {MATHML, "predicateExpression <math>\n"},
  };
  for (const Case& c : cases) {
    ReadResult r = readDocument(onePredicate, c.syntax);
    ASSERT_FALSE(r.failed) << r.error;
    EXPECT_NE(std::string::npos, r.calls.find(c.line)) << c.syntax << "\n" << r.calls;
  }
  ReadResult mathml = readDocument(onePredicate, MATHML);
  EXPECT_NE(std::string::npos, mathml.calls.find("</math>\n\nendPredicate")) << mathml.calls;

  ReadResult bad = readDocument(onePredicate, static_cast<Syntax>(5));
  EXPECT_EQ("undefined syntax for an expressioin", bad.error);
}

TEST(ReaderRun, ReportsTheLineOfTheFault) {
  // Faults at the start of an element, in text and at an end tag.
  struct Case {
    std::string xml;
    const char* line;
  } cases[] = {
      {"<instance>\n<domains nbDomains='1'>\n\n<domain nbValues='1'>0</domain>\n</domains>\n</instance>",
       "Exception at line 4\n"},
      {"<instance>\n<variables nbVariables='0'>\n\n  oops\n</variables>\n</instance>",
       "Exception at line 5\n"},
      {"<instance>\n<domains nbDomains='1'>\n<domain name='D' nbValues='1'>0</domain>\n</domains>\n"
       "<variables nbVariables='1'>\n<variable name='X' domain='D'/>\n</variables>\n"
       "<relations nbRelations='1'>\n<relation name='R' arity='1' nbTuples='2' semantics='supports'>\n"
       "0\n</relation>\n</relations>\n</instance>",
       "Exception at line 11\n"},
  };
  for (const Case& c : cases) {
    ReadResult r = readDocument(c.xml);
    ASSERT_TRUE(r.failed);
    EXPECT_EQ(c.line, r.out) << r.error;
  }
}

// A builder that gives up on the second variable.
class FailingCallback : public RecordingCallback {
 public:
  bool logicError = false;
  void addVariable(const std::string& name, int id, const std::string& d, int idd) override {
    RecordingCallback::addVariable(name, id, d, idd);
    if (id == 1) {
      if (logicError) throw std::logic_error("builder bug");
      throw std::runtime_error("cannot build " + name);
    }
  }
};

const std::string threeVariables =
    "<instance>\n<domains nbDomains='1'><domain name='D' nbValues='1'>0</domain></domains>\n"
    "<variables nbVariables='3'>\n<variable name='X' domain='D'/>\n<variable name='Y' domain='D'/>\n"
    "<variable name='Z' domain='D'/>\n</variables>\n</instance>\n";

TEST(ReaderRun, CallbackErrorStopsReadingAndIsReportedWithItsLine) {
  FailingCallback cb;
  Reader reader(cb);
  testing::internal::CaptureStdout();
  try {
    reader.parse(threeVariables.data(), threeVariables.size());
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ("cannot build Y", e.what());
  }
  EXPECT_EQ("Exception at line 5\n", testing::internal::GetCapturedStdout());
  // Nothing after the failing call: no third variable, no end of section.
  EXPECT_EQ(std::string::npos, cb.text().find("addVariable Z"));
  EXPECT_EQ(std::string::npos, cb.text().find("endVariablesSection"));
}

TEST(ReaderRun, OtherExceptionsPassUnchanged) {
  FailingCallback cb;
  cb.logicError = true;
  Reader reader(cb);
  testing::internal::CaptureStdout();
  EXPECT_THROW(reader.parse(threeVariables.data(), threeVariables.size()), std::logic_error);
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

TEST(ReaderRun, DocumentLibxmlRejectsFailsAfterWhatWasRead) {
  // libxml2 writes its report to standard error; the reader fails with a
  // message that quotes its first line.
  struct Case {
    const char* what;
    std::string xml;
    const char* libxml;
  } cases[] = {
      {"mismatched end tag",
       "<instance><domains nbDomains='1'><domain name='D' nbValues='1'>0</domain></instance>",
       "Opening and ending tag mismatch: domains"},
      {"truncated in text", "<instance>\n<domains nbDomains='1'><domain name='D' nbValues='1'>0 1 2",
       "Extra content at the end of the document"},
      {"truncated in element", threeVariables.substr(0, threeVariables.find("</variables>")),
       "Extra content at the end of the document"},
      {"undeclared entity", "<instance>&nothing;</instance>", "Entity 'nothing' not defined"},
      {"bad byte", "<instance>\xC3(</instance>", "Input is not proper UTF-8, indicate encoding !"},
      {"two roots", "<instance/><instance/>", "Extra content at the end of the document"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReadResult r = readDocument(c.xml);
    ASSERT_TRUE(r.failed);
    EXPECT_EQ(0u, r.error.find(std::string("the document is not well-formed XML (libxml2: ") + c.libxml))
        << r.error;
    EXPECT_NE(std::string::npos, r.err.find(c.libxml)) << r.err;
    EXPECT_EQ(0u, r.out.find("Exception at line ")) << r.out;
  }
  ReadResult truncated = readDocument(threeVariables.substr(0, threeVariables.find("</variables>")));
  EXPECT_NE(std::string::npos, truncated.calls.find("addVariable Z 2 D 0")) << truncated.calls;
  EXPECT_EQ(std::string::npos, truncated.calls.find("endVariablesSection")) << truncated.calls;
}

TEST(ReaderRun, EntitiesAreSubstituted) {
  ReadResult r = readDocument(
      "<!DOCTYPE instance [<!ENTITY two '2'>]><instance><domains nbDomains='&two;'>"
      "<domain name='D' nbValues='1'>1 &two; &#51;</domain></domains></instance>");
  ASSERT_FALSE(r.failed) << r.error;
  EXPECT_EQ("beginDomainsSection 2\nbeginDomain D 0 1\naddDomainValue 1\naddDomainValue 2\n"
            "addDomainValue 3\nendDomain\nendDomainsSection\nendInstance\n",
            r.calls);
}

TEST(ReaderRun, MarkupAroundTheDataReadsAsPlainText) {
  // CDATA sections are text; processing instructions, comments and a DTD
  // that declares attributes leave no trace.
  ReadResult r = readDocument(
      "<?xml version='1.0'?><!DOCTYPE instance [<!ATTLIST domain note CDATA #IMPLIED>"
      "<?pi in the subset?>]><?pi before?><instance><!-- c --><domains nbDomains='1'>"
      "<domain name='D' nbValues='3'>1<![CDATA[2 3]]>4 <?pi inside?>5<!-- 6 -->7</domain>"
      "</domains></instance>");
  ASSERT_FALSE(r.failed) << r.error;
  EXPECT_EQ("beginDomainsSection 1\nbeginDomain D 0 3\naddDomainValue 12\naddDomainValue 34\n"
            "addDomainValue 57\nendDomain\nendDomainsSection\nendInstance\n",
            r.calls);
}

TEST(ReaderRun, ExternalEntitiesAreRefused) {
  const char* docs[] = {
      "<!DOCTYPE instance [<!ENTITY e SYSTEM '/etc/hostname'>]><instance>&e;</instance>",
      "<!DOCTYPE instance [<!ENTITY % p SYSTEM 'http://localhost/x.dtd'> %p;]><instance/>",
  };
  for (const char* doc : docs) {
    ReadResult r = readDocument(doc);
    EXPECT_EQ("external entities are not supported", r.error) << doc;
    EXPECT_EQ("", r.calls) << doc;
  }
}

TEST(ReaderRun, EmptyInputReadsNothing) {
  ReadResult r = readDocument("");
  EXPECT_FALSE(r.failed);
  EXPECT_EQ("", r.calls);
  EXPECT_EQ("", r.out);
}

TEST(ReaderRun, OneReaderReadsDocumentsInTurn) {
  RecordingCallback cb;
  Reader reader(cb);
  const std::string doc =
      "<instance><domains nbDomains='1'><domain name='D' nbValues='1'>0</domain></domains>"
      "<variables nbVariables='1'><variable name='X' domain='D'/></variables></instance>";
  // A failure in the middle leaves nothing behind for the next document.
  const std::string broken =
      "<instance><domains nbDomains='1'><domain name='D' nbValues='1'>0</domain></domains>"
      "<constraints nbConstraints='1'><constraint name='C' arity='1' scope='D' reference='D'>"
      "<parameters>[ [ 1</parameters></constraint></constraints></instance>";
  testing::internal::CaptureStdout();
  EXPECT_THROW(reader.parse(broken.data(), broken.size()), std::runtime_error);
  testing::internal::GetCapturedStdout();
  cb.out.str("");
  reader.parse(doc.data(), doc.size());
  reader.parse(doc.data(), doc.size());
  const std::string once =
      "beginDomainsSection 1\nbeginDomain D 0 1\naddDomainValue 0\nendDomain\nendDomainsSection\n"
      "beginVariablesSection 1\naddVariable X 0 D 0\nendVariablesSection\nendInstance\n";
  EXPECT_EQ(once + once, cb.text());
}

// The tag machine fed directly, with text libxml2 never delivers.
typedef Reader::Parser TagMachine;

TEST(TagMachine, RejectsTextOutsideAnyElement) {
  RecordingCallback cb;
  TagMachine m(cb);
  m.startDocument();
  m.characters(UTF8String(" \n\t"));
  try {
    m.characters(UTF8String(" x "));
    ADD_FAILURE();
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ("Text found outside any tag", e.what());
  }
}

TEST(TagMachine, RejectsMalformedUTF8InText) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"1 2 \xC3", "invalid UTF8 sequence"},          // cut after a first byte
      {"1 2 \xE2\x82", "invalid UTF8 sequence"},      // three-byte character cut short
      {"1 2 \x82\xAC", "invalid UTF8 sequence"},      // no first byte at all
      {"1 2 \xC3\xA9\xA9", "invalid UTF8 sequence"},  // one continuation byte too many
      {"\x80 1", "invalid UTF8 character"},           // bad first byte inside the text
      {"\xF8\x88\x80\x80\x80 1", "invalid UTF8 character"},
  };
  for (const Case& c : cases) {
    RecordingCallback cb;
    TagMachine m(cb);
    m.startDocument();
    m.startElement(UTF8String("instance"), AttributeList());
    m.startElement(UTF8String("presentation"), AttributeList());
    try {
      m.characters(UTF8String(c.text));
      m.endElement(UTF8String("presentation"));
      ADD_FAILURE() << c.text;
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(c.message, e.what()) << c.text;
    }
  }
}

TEST(TagMachine, TokenHeldBackUntilElementEnds) {
  RecordingCallback cb;
  TagMachine m(cb);
  m.startDocument();
  const xmlChar* atts[] = {BAD_CAST "name", BAD_CAST "D", BAD_CAST "nbValues", BAD_CAST "2",
                           nullptr};
  const xmlChar* count[] = {BAD_CAST "nbDomains", BAD_CAST "1", nullptr};
  m.startElement(UTF8String("instance"), AttributeList());
  m.startElement(UTF8String("domains"), AttributeList(count));
  cb.out.str("");
  m.startElement(UTF8String("domain"), AttributeList(atts));
  m.characters(UTF8String("1"));
  m.characters(UTF8String("2"));
  m.characters(UTF8String(".."));
  m.characters(UTF8String("3"));
  EXPECT_EQ("beginDomain D 0 2\n", cb.text());
  m.characters(UTF8String("4 -"));
  EXPECT_EQ("beginDomain D 0 2\naddDomainValue 12..34\n", cb.text());
  m.characters(UTF8String("5"));
  m.endElement(UTF8String("domain"));
  EXPECT_EQ("beginDomain D 0 2\naddDomainValue 12..34\naddDomainValue -5\nendDomain\n", cb.text());
}

TEST(TagMachine, TupleTextWithOtherCharacters) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"1 2\xC3\xA9|3 4", "failed to read integer"},
      {"1 \xE2\x82\xAC|3 4", "failed to read integer"},
      {"1 +|3 4", nullptr},  // a lone sign reads as 0
      {"1 2\xC0\x80 3", "invalid UTF8 character"},
      {"1 2|3 4\xF5", "invalid UTF8 sequence"},
  };
  for (const Case& c : cases) {
    RecordingCallback cb;
    TagMachine m(cb);
    const xmlChar* count[] = {BAD_CAST "nbRelations", BAD_CAST "1", nullptr};
    const xmlChar* atts[] = {BAD_CAST "name", BAD_CAST "R", BAD_CAST "arity", BAD_CAST "2",
                             BAD_CAST "nbTuples", BAD_CAST "2", BAD_CAST "semantics",
                             BAD_CAST "supports", nullptr};
    m.startDocument();
    m.startElement(UTF8String("instance"), AttributeList());
    m.startElement(UTF8String("relations"), AttributeList(count));
    m.startElement(UTF8String("relation"), AttributeList(atts));
    try {
      m.characters(UTF8String(c.text));
      m.endElement(UTF8String("relation"));
      EXPECT_EQ(nullptr, c.message) << c.text;
      EXPECT_NE(std::string::npos, cb.text().find("tuple 1 0\ntuple 3 4\nendRelation")) << cb.text();
    } catch (const std::runtime_error& e) {
      ASSERT_NE(nullptr, c.message) << e.what();
      EXPECT_STREQ(c.message, e.what()) << c.text;
    }
  }
}

}  // namespace
