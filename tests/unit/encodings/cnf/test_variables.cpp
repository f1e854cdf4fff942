// Per-variable encodings: log codes and excluded codes, order propositions.

#include <gtest/gtest.h>

#include "EncodingTestUtil.h"
#include "encodings/VariableLogEncoding.h"
#include "encodings/VariableOrderEncoding.h"

namespace {

using Lits = std::vector<int>;
using Clauses = std::vector<Lits>;

// The encoding numbers from base 5 so that a stale counter shows.
struct LogCase {
  std::vector<int> values;
  int bits;
  std::vector<Lits> codes;  // literal list of each value, domain order
  Clauses prohibited;
};

const LogCase logCases[] = {
    {{42}, 1, {{-5}}, {{-5}}},
    {{3, 8}, 2, {{-5, -6}, {5, -6}}, {{5, -6}, {-5, -6}}},
    {{1, 2, 3}, 2, {{-5, -6}, {5, -6}, {-5, 6}}, {{-5, -6}}},
    {{0, 1, 2, 3}, 3,
     {{-5, -6, -7}, {5, -6, -7}, {-5, 6, -7}, {5, 6, -7}},
     {{5, 6, -7}, {-5, 6, -7}, {5, -6, -7}, {-5, -6, -7}}},
    {{9, 7, 5, 3, 1}, 3,
     {{-5, -6, -7}, {5, -6, -7}, {-5, 6, -7}, {5, 6, -7}, {-5, -6, 7}},
     {{-5, 6, -7}, {5, -6, -7}, {-5, -6, -7}}},
};

TEST(VariableLogEncoding, CodesAndProhibitedValues) {
  for (const LogCase& lc : logCases) {
    SCOPED_TRACE(lc.values.size());
    Net net;
    Variable* x = net.var("x", lc.values);
    VariableEncoding::setCurrentProp(5);
    VariableLogEncoding e(x);
    EXPECT_EQ(e.getNbVarProp(), lc.bits);
    EXPECT_EQ(VariableEncoding::getCurrentProp(), 5 + lc.bits);
    for (size_t j = 0; j < lc.values.size(); j++) EXPECT_EQ(e.getVarProp(lc.values[j]), lc.codes[j]);
    EXPECT_EQ(e.getProhibitedValues(), lc.prohibited);
    // A value outside the domain has no literal.
    EXPECT_TRUE(e.getVarProp(1000).empty());
  }
}

TEST(VariableOrderEncoding, PropositionsAndLiterals) {
  struct Case {
    std::vector<int> values;
    std::vector<Lits> lits;
  } cases[] = {
      {{4}, {{6}}},
      {{4, 2, 9}, {{6}, {-6, 7}, {-7, 8}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.values.size());
    Net net;
    Variable* x = net.var("x", c.values);
    VariableEncoding::setCurrentProp(5);
    VariableOrderEncoding e(x);
    int n = (int)c.values.size();
    EXPECT_EQ(e.getNbVarProp(), n + 1);
    Lits props;
    for (int k = 0; k <= n; k++) props.push_back(5 + k);
    EXPECT_EQ(e.getVarProps(), props);
    EXPECT_TRUE(e.getProhibitedValues().empty());
    for (int i = 0; i < n; i++) EXPECT_EQ(e.getVarProp(c.values[i]), c.lits[i]);
  }
}

TEST(VariableDirectEncoding, ConsecutiveNumbersAcrossVariables) {
  Net net;
  Variable* x = net.var("x", {7, 3});
  Variable* y = net.var("y", {1, 2, 3});
  VariableDirectEncoding ex(x), ey(y);
  EXPECT_EQ(ex.getVarProp(7), Lits{1});
  EXPECT_EQ(ex.getVarProp(3), Lits{2});
  EXPECT_EQ(ey.getVarProp(1), Lits{3});
  EXPECT_EQ(ey.getVarProp(3), Lits{5});
  EXPECT_EQ(ey.getNbVarProp(), 3);
  EXPECT_EQ(VariableEncoding::getCurrentProp(), 6);
}

}  // namespace
