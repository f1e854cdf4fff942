// Every benchmark instance kept in the fixtures is read without error or
// warning, and delivers as many domains, variables, relations, predicates
// and constraints as its sections announce.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "unit/xcsp/ReaderHarness.h"

namespace fs = std::filesystem;
using namespace vantor_test;

namespace {

std::vector<std::string> instances() {
  std::vector<std::string> files;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(fixture("instances")))
    if (e.is_regular_file() && (e.path().extension() == ".xml" || e.path().extension() == ".xcsp"))
      files.push_back(fs::relative(e.path(), fixture("instances")).string());
  std::sort(files.begin(), files.end());
  return files;
}

// Announced count minus delivered items, per section.
std::map<std::string, int> sectionBalance(const std::string& calls) {
  static const std::map<std::string, std::string> itemOf = {
      {"beginDomainsSection", "beginDomain"},         {"beginVariablesSection", "addVariable"},
      {"beginRelationsSection", "beginRelation"},     {"beginPredicatesSection", "beginPredicate"},
      {"beginConstraintsSection", "beginConstraint"}};
  std::map<std::string, int> balance;
  std::istringstream in(calls);
  std::string word, rest, section;
  while (in >> word) {
    std::getline(in, rest);
    if (itemOf.count(word)) {
      section = word;
      balance[section] += std::stoi(rest);
    } else if (!section.empty() && itemOf.at(section) == word) {
      --balance[section];
    }
  }
  return balance;
}

class Instance : public testing::TestWithParam<std::string> {};

TEST_P(Instance, ReadsCompletely) {
  ReadResult r = readDocument(fileContents(fixture("instances/" + GetParam())));
  ASSERT_FALSE(r.failed) << r.error;
  EXPECT_EQ("", r.out);
  EXPECT_EQ("", r.err);
  ASSERT_GE(r.calls.size(), 12u);
  EXPECT_EQ("endInstance\n", r.calls.substr(r.calls.size() - 12));
  for (const auto& b : sectionBalance(r.calls)) EXPECT_EQ(0, b.second) << b.first;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Instance, testing::ValuesIn(instances()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param;
                           for (char& c : n)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
