// Effective constraint parameters: values written as elements or in the
// abridged text form build the same trees; dictionaries in keyed and
// conventional form.

#include <gtest/gtest.h>

#include "unit/xcsp/ReaderHarness.h"

using namespace vantor_test;

namespace {

// Variables X (id 0), Y (1), Z (2), W (3) over D; a relation R.
std::string constraintWith(const std::string& reference, const std::string& parameters) {
  return "<instance><domains nbDomains='1'><domain name='D' nbValues='3'>0..2</domain></domains>"
         "<variables nbVariables='4'><variable name='X' domain='D'/><variable name='Y' domain='D'/>"
         "<variable name='Z' domain='D'/><variable name='W' domain='D'/></variables>"
         "<relations nbRelations='1'><relation name='R' arity='1' nbTuples='0' semantics='supports'/>"
         "</relations><constraints nbConstraints='1'>"
         "<constraint name='C' arity='2' scope='X Y' reference='" + reference + "'>"
         "<parameters>" + parameters + "</parameters></constraint></constraints></instance>";
}

// The constraintParameters line of the run, without its name.
std::string parametersOf(const ReadResult& r) {
  const std::string key = "constraintParameters ";
  size_t at = r.calls.find(key);
  if (at == std::string::npos) return "(none)";
  at += key.size();
  return r.calls.substr(at, r.calls.find('\n', at) - at);
}

struct Case {
  const char* reference;
  const char* parameters;
  const char* expected;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.parameters; }

const Case cases[] = {
    // Plain values.
    {"R", "X 3 Y", "[ X/$0 3 Y/$1 ]"},
    {"R", "  -4 +5 - 0 ", "[ -4 5 0 0 ]"},
    {"R", "W", "[ W/$3 ]"},  // any variable of the instance, not only the scope
    {"R", "12X", "[ 12 X/$0 ]"},
    {"R", "X_ Y", "(undefined X_)"},
    {"R", "", "[ ]"},
    // Lists.
    {"R", "[1 [2 3] X]", "[ [ 1 [ 2 3 ] X/$0 ] ]"},
    {"R", " [ 1[2 3]X ] ", "[ [ 1 [ 2 3 ] X/$0 ] ]"},
    {"R", "<list><i>1</i><list>2 3</list><var name='X'/></list>", "[ [ 1 [ 2 3 ] X/$0 ] ]"},
    {"R", "<list>1 <list><i>2</i> 3</list>X</list>", "[ [ 1 [ 2 3 ] X/$0 ] ]"},
    {"R", "[[[]]]", "[ [ [ [ ] ] ] ]"},
    {"R", "[1 2} 3", "[ [ 1 2 ] 3 ]"},  // a closing brace ends the innermost list
    {"R", "<i>1 2</i>", "[ 1 2 ]"},
    {"R", "<i></i>", "[ ]"},
    // Relational symbols and nil.
    {"R", "<eq/><ne/><ge/><gt/><le/><lt/><nil/>", "[ == != >= > <= < nil ]"},
    {"R", "X<eq></eq>1", "[ X/$0 == 1 ]"},
    // Keyed dictionaries, abridged and as elements.
    {"R", "{/coef 3 /var X}", "[ { /coef 3 /var X/$0 } ]"},
    {"R", "<dict>/coef 3 /var X</dict>", "[ { /coef 3 /var X/$0 } ]"},
    {"R", "<dict><entry key='var'>X</entry><entry key='coef'><i>3</i></entry></dict>",
     "[ { /coef 3 /var X/$0 } ]"},
    {"R", "{/a [1 2] /b {/c Z}}", "[ { /a [ 1 2 ] /b { /c Z/$2 } } ]"},
    {"R", "{/a <nil/>}", "[ { /a nil } ]"},
    {"R", "{/ 5}", "[ { / 5 } ]"},  // the empty key
    {"R", "{/coef 3 X}", "(missing key in dictionary)"},
    {"R", "{/coef 3 /coef 4}", "(multiple assignments to the same key in dictionary)"},
    // Conventional dictionaries follow the order of the global constraint.
    {"global:weightedSum", "{3 X}", "[ { /coef 3 /var X/$0 } ]"},
    {"global:weightedSum", "{3 X 99}", "[ { /coef 3 /var X/$0 } ]"},
    {"global:weightedSum", "{3}", "(not enough values in dictionary defined with conventional order)"},
    {"global:weightedSum", "{}", "(not enough values in dictionary defined with conventional order)"},
    {"global:cumulative", "{5 2 7 3}", "[ { /duration 2 /end 7 /height 3 /origin 5 } ]"},
    {"global:cumulative", "{5 <nil/> 7 3}", "[ { /end 7 /height 3 /origin 5 } ]"},
    {"global:cumulative", "{<nil/> <nil/> <nil/> <nil/>}", "[ { } ]"},
    {"global:element", "{1 2}", "(no conventional key order defined for this dictionary)"},
    {"R", "{1 2}", "(no conventional key order defined for this dictionary)"},
    // The order belongs to the constraint it is written in.
    {"global:weightedSum", "[{1 X}{2 Y}] <eq/> 10",
     "[ [ { /coef 1 /var X/$0 } { /coef 2 /var Y/$1 } ] == 10 ]"},
};

class Parameters : public testing::TestWithParam<Case> {};

TEST_P(Parameters, BuildTheExpectedValues) {
  const Case& c = GetParam();
  ReadResult r = readDocument(constraintWith(c.reference, c.parameters));
  std::string got = r.failed ? "(" + r.error + ")" : parametersOf(r);
  if (got == "(symbol X_ is undefined)") got = "(undefined X_)";
  EXPECT_EQ(c.expected, got) << r.transcript();
}

INSTANTIATE_TEST_SUITE_P(Cases, Parameters, testing::ValuesIn(cases));

TEST(Parameters, ConventionalOrderEndsWithItsConstraint) {
  // The second constraint references a relation: its dictionary has no
  // conventional order any more.
  std::string doc = constraintWith("global:weightedSum", "{3 X}");
  doc.insert(doc.find("</constraints>"),
             "<constraint name='C2' arity='1' scope='X' reference='R'><parameters>{3 X}"
             "</parameters></constraint>");
  ReadResult r = readDocument(doc);
  EXPECT_EQ("no conventional key order defined for this dictionary", r.error);
  EXPECT_NE(std::string::npos, r.calls.find("constraintParameters [ { /coef 3 /var X/$0 } ]"));
}

TEST(Parameters, ElementAfterAbridgedTextKeepsOrder) {
  // Text before an element inside the same parameters is read first.
  ReadResult r = readDocument(constraintWith("R", "1 [X <i>2</i> Y] 3 <var name='Z'/> 4"));
  EXPECT_EQ("[ 1 [ X/$0 2 Y/$1 ] 3 Z/$2 4 ]", parametersOf(r)) << r.transcript();
}

}  // namespace
