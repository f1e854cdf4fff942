// Arc lists: membership flags, the three disciplines and wrap-around.
#include <gtest/gtest.h>

#include <memory>

#include "propagation/ListPropagate.h"
#include "unit/search/TestNetwork.h"

using namespace testnet;

namespace {

// Three binary constraints over three variables: arcs (c, pos).
struct ListFixture : ::testing::Test {
  Net net;
  void SetUp() override {
    Variable* a = net.addVarRange(0, 1);
    Variable* b = net.addVarRange(0, 1);
    Variable* c = net.addVarRange(0, 1);
    auto any = [](const int*) { return true; };
    net.add({a, b}, any);
    net.add({b, c}, any);
    net.add({a, c}, any);
  }
  Constraint* C(int i) { return net.cons[i]; }
  Variable* V(int c, int pos) { return net.cons[c]->scope[pos]; }
  // Capacity as the engine sizes it.
  int cap() { return Constraint::numero + 10; }
};

std::unique_ptr<ListPropagate> make(int kind, int sz) {
  if (kind == 1) return std::make_unique<ListPropagateStack>(sz);
  if (kind == 2) return std::make_unique<ListPropagateQueue>(sz);
  return std::make_unique<ListPropagateDoubleQueue>(sz);
}

}  // namespace

// The flag rules hold for every discipline.
TEST_F(ListFixture, FlagsKeepEachArcOnceForEveryDiscipline) {
  for (int kind = 1; kind <= 3; kind++) {
    SCOPED_TRACE(kind);
    auto l = make(kind, cap());
    EXPECT_TRUE(l->isEmpty());
    l->add(C(0), V(0, 1), 1);
    l->add(C(0), V(0, 1), 1);
    EXPECT_TRUE(l->contains(C(0), 1));
    EXPECT_FALSE(l->contains(C(0), 0));
    Couple& e = l->pop();
    EXPECT_EQ(e.c, C(0));
    EXPECT_EQ(e.v, V(0, 1));
    EXPECT_EQ(e.position, 1);
    EXPECT_TRUE(l->isEmpty()) << "the duplicate add stored a second copy";
    EXPECT_FALSE(l->contains(C(0), 1));

    // After the pop the arc can be stored again.
    l->add(C(0), V(0, 1), 1);
    EXPECT_FALSE(l->isEmpty());

    // clean empties the list but keeps the flags: add is refused ...
    l->clean();
    EXPECT_TRUE(l->isEmpty());
    l->add(C(0), V(0, 1), 1);
    EXPECT_TRUE(l->isEmpty());
    // ... reinit clears them.
    l->reinit();
    l->add(C(0), V(0, 1), 1);
    EXPECT_FALSE(l->isEmpty());

    // drain pops what is left, flags included.
    l->add(C(1), V(1, 0), 0);
    l->drain();
    EXPECT_TRUE(l->isEmpty());
    EXPECT_FALSE(l->contains(C(0), 1));
    EXPECT_FALSE(l->contains(C(1), 0));
    l->add(C(1), V(1, 0), 0);
    EXPECT_FALSE(l->isEmpty());
  }
}

TEST_F(ListFixture, StackIsLastInFirstOut) {
  ListPropagateStack l(cap());
  l.add(C(0), V(0, 0), 0);
  l.add(C(1), V(1, 1), 1);
  l.add(C(2), V(2, 0), 0);
  EXPECT_EQ(l.pop().c, C(2));
  EXPECT_EQ(l.pop().c, C(1));
  EXPECT_EQ(l.pop().c, C(0));
  EXPECT_TRUE(l.isEmpty());
}

// The queue keeps push order while head and tail pass its end many times.
TEST_F(ListFixture, QueueKeepsOrderAcrossWrapAround) {
  const int sz = cap();
  ListPropagateQueue l(sz);
  std::vector<std::pair<Constraint*, int>> arcs = {
      {C(0), 0}, {C(0), 1}, {C(1), 0}, {C(1), 1}, {C(2), 0}, {C(2), 1}};
  // Push three, pop two, repeatedly: head and tail pass the end several times.
  size_t next = 0, expect = 0;
  std::vector<std::pair<Constraint*, int>> pushed;
  for (int round = 0; round < 4 * sz; round++) {
    for (int k = 0; k < 3 - (round > 0); k++) {
      auto a = arcs[next++ % arcs.size()];
      if (l.contains(a.first, a.second)) continue;
      l.add(a.first, a.first->scope[a.second], a.second);
      pushed.push_back(a);
    }
    for (int k = 0; k < 2 && !l.isEmpty(); k++) {
      Couple& e = l.pop();
      ASSERT_LT(expect, pushed.size());
      EXPECT_EQ(e.c, pushed[expect].first);
      EXPECT_EQ(e.position, pushed[expect].second);
      expect++;
    }
  }
  while (!l.isEmpty()) {
    Couple& e = l.pop();
    EXPECT_EQ(e.c, pushed[expect].first);
    EXPECT_EQ(e.position, pushed[expect].second);
    expect++;
  }
  EXPECT_EQ(expect, pushed.size());
  EXPECT_GT(pushed.size(), 2u * sz) << "the tail did not pass the end twice";
}

TEST_F(ListFixture, DoubleQueueServesActiveConstraintsFirst) {
  ListPropagateDoubleQueue l(cap());
  C(0)->active = false;
  C(1)->active = true;
  C(2)->active = false;
  l.add(C(0), V(0, 0), 0);
  l.add(C(2), V(2, 1), 1);
  l.add(C(1), V(1, 0), 0);
  l.add(C(1), V(1, 1), 1);
  EXPECT_EQ(l.pop().c, C(1));
  Couple& e = l.pop();
  EXPECT_EQ(e.c, C(1));
  EXPECT_EQ(e.position, 1);
  EXPECT_EQ(l.pop().c, C(0));
  EXPECT_EQ(l.pop().c, C(2));
  EXPECT_TRUE(l.isEmpty());
}

TEST_F(ListFixture, ShowListPropagateFormats) {
  {
    ListPropagateStack l(cap());
    l.add(C(1), V(1, 1), 1);
    testing::internal::CaptureStdout();
    l.showListPropagate();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "heap: cont = C1 var = X2 pos = 1\n");
  }
  {
    ListPropagateQueue l(cap());
    l.add(C(0), V(0, 0), 0);
    testing::internal::CaptureStdout();
    l.showListPropagate();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("queued: cont = C0 var = X0 pos = 0/ We give some information", 0), 0u) << out;
  }
  {
    ListPropagateDoubleQueue l(cap());
    testing::internal::CaptureStdout();
    l.showListPropagate();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "TODO\n");
  }
}
