// Compiled graph: model counts (exact, memoised per pass at decision
// nodes), text form, and the rejected son forms.
#include <gtest/gtest.h>

#include <string>

#include "compilation/Tree.h"

namespace {

TreeTrue* leaf(std::initializer_list<int> sizes) {
  std::vector<LittleVariable*> vars;
  int id = 0;
  for (int s : sizes) {
    std::vector<int> dom;
    for (int v = 0; v < s; v++) dom.push_back(v);
    vars.push_back(new LittleVariable("x" + std::to_string(id), id, dom));
    id++;
  }
  return new TreeTrue(vars);
}

// Counts how often it is asked for its count.
class CountingLeaf : public TreeTrue {
 public:
  explicit CountingLeaf(int size) : TreeTrue({new LittleVariable("c", 0, std::vector<int>(size))}) {}
  mpz_class computeNbModels() override {
    calls++;
    return TreeTrue::computeNbModels();
  }
  int calls = 0;
};

mpz_class count(Tree* t) {
  Tree::globalStamp++;
  return t->computeNbModels();
}

TEST(TreeCount, Leaves) {
  TreeFalse f;
  EXPECT_EQ(count(&f), 0);
  EXPECT_EQ(count(leaf({2, 3})), 6);
  EXPECT_EQ(count(leaf({})), 1);
  TreeAnd empty;
  EXPECT_EQ(count(&empty), 1);
}

TEST(TreeCount, DecisionSumsAndConjunctionMultiplies) {
  // (x: 0 -> {{ T(2,3) & T(4) }}, 1 -> F, 2 -> T(5)) = 24 + 0 + 5
  TreeAnd* a = new TreeAnd();
  a->addSon(leaf({2, 3}));
  a->addSon(leaf({4}));
  TreeOr o("x");
  o.addSon(a, 0);
  o.addSon(new TreeFalse(), 1);
  o.addSon(leaf({5}), 2);
  EXPECT_EQ(count(&o), 29);
  // A conjunction with a false son has no model.
  TreeAnd z;
  z.addSon(leaf({7}));
  z.addSon(new TreeFalse());
  EXPECT_EQ(count(&z), 0);
}

TEST(TreeCount, SharedDecisionNodeSummedOncePerPass) {
  CountingLeaf* c = new CountingLeaf(3);
  TreeOr* shared = new TreeOr("y");
  shared->addSon(c, 0);
  shared->addSon(leaf({2}), 1);  // shared counts 5
  TreeOr left("a"), right("b");
  left.addSon(shared, 0);
  left.addSon(shared, 1);
  right.addSon(&left, 0);
  right.addSon(shared, 1);
  EXPECT_EQ(count(&right), 15);
  EXPECT_EQ(c->calls, 1);
  // A new pass recomputes once more; the same pass reuses the memo.
  EXPECT_EQ(count(&right), 15);
  EXPECT_EQ(c->calls, 2);
  EXPECT_EQ(right.computeNbModels(), 15);
  EXPECT_EQ(c->calls, 2);
}

TEST(TreeCount, ExactBeyondSixtyFourBits) {
  std::vector<LittleVariable*> vars;
  for (int i = 0; i < 70; i++) vars.push_back(new LittleVariable("v", i, {0, 1}));
  TreeTrue t(vars);
  EXPECT_EQ(count(&t).get_str(), "1180591620717411303424");  // 2^70
  TreeAnd a;
  a.addSon(&t);
  a.addSon(leaf({3}));
  EXPECT_EQ(count(&a).get_str(), "3541774862152233910272");
  a.sons.clear();
}

std::string text(Tree* t) {
  testing::internal::CaptureStdout();
  t->showTree();
  return testing::internal::GetCapturedStdout();
}

TEST(TreeText, Forms) {
  TreeOr o("x");
  o.addSon(leaf({1}), 0);
  o.addSon(new TreeFalse(), 1);
  EXPECT_EQ(text(&o), "(x 2-2, <0> T v <1> F v )");
  TreeAnd a;
  EXPECT_EQ(text(&a), "{{  }}");
  a.addSon(&o);
  a.addSon(leaf({2}));
  EXPECT_EQ(text(&a), "{{ (x 2-2, <0> T v <1> F v ) & T }}");
  a.sons.clear();
}

TEST(TreeSons, WrongFormIsRejected) {
  TreeAnd a;
  TreeOr o("x");
  TreeFalse f;
  testing::internal::CaptureStdout();
  a.addSon(&f, 3);
  o.addSon(&f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ABSTRAITE\nABSTRAITE\n");
  EXPECT_TRUE(a.sons.empty());
  EXPECT_TRUE(o.sons.empty());
  EXPECT_TRUE(o.dom.empty());
  // Leaves ignore sons silently.
  TreeTrue t({});
  t.addSon(&f, 1);
  f.addSon(&a, 1);
  EXPECT_TRUE(t.sons.empty());
  EXPECT_TRUE(f.sons.empty());
}

}  // namespace
