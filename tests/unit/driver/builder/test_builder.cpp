// The network builder fed by the reader from in-memory documents.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "driver/MyCallback.h"
#include "driver/RunProtocol.h"
#include "network/Domain.h"
#include "network/Variable.h"
#include "network/constraints/Constraint.h"
#include "network/constraints/ConstraintExtBin.h"
#include "network/constraints/ConstraintExtN.h"
#include "network/constraints/ConstraintInt.h"
#include "network/relations/RelationExtBin.h"
#include "network/relations/RelationExtN.h"
#include "xcsp/XMLParser_libxml2.h"

namespace {

struct Built {
  MyCallback cb;
  std::vector<Constraint*> cons;
  std::vector<Variable*> vars;
};

// Reads doc into a fresh builder and hands the network over.
void build(Built& b, const std::string& doc, bool decBin = false, bool mergeInt = true) {
  MyCallback::decBin = decBin;
  MyCallback::mergeInt = mergeInt;
  CSPXMLParser::XMLParser_libxml2<CSPXMLParser::CSPParserCallback, CSPXMLParser::DefaultASTFactory>
      reader(b.cb);
  reader.setPreferredExpressionRepresentation(CSPXMLParser::PREFIX);
  reader.parse(doc.data(), doc.size());
  b.cb.handOver();
  b.cons = b.cb.getConstraints();
  b.vars = b.cb.getVariables();
}

std::string instance(const std::string& domains, const std::string& vars, const std::string& rest) {
  return "<instance><presentation name=\"t\"/>" + domains + vars + rest + "</instance>";
}

const std::string D3 =
    "<domains nbDomains=\"2\"><domain name=\"D\" nbValues=\"3\">0..2</domain>"
    "<domain name=\"BIG\" nbValues=\"7\">10..16</domain></domains>";
const std::string XYZ =
    "<variables nbVariables=\"3\"><variable name=\"X\" domain=\"D\"/>"
    "<variable name=\"Y\" domain=\"D\"/><variable name=\"Z\" domain=\"D\"/></variables>";

bool accepts(Constraint* c, std::vector<int> t) { return c->tupleExist(t.data()); }

}  // namespace

TEST(Prescan, SwitchesAndModePosition) {
  struct Case {
    std::vector<const char*> args;
    bool proceed, decBin, mergeInt;
    const char* mode;  // argv[1] after the scan, or null
  } cases[] = {
      {{"vantor"}, false, false, true, nullptr},
      {{"vantor", "-h", "-complete"}, false, false, true, nullptr},
      {{"vantor", "-complete", "-h"}, true, false, true, "-complete"},
      {{"vantor", "-decExtN", "-complete"}, true, true, true, "-complete"},
      {{"vantor", "-complete", "-decExtN"}, true, false, true, "-complete"},
      {{"vantor", "-decExtN", "-muc"}, true, true, false, "-muc"},
      {{"vantor", "-vHyper", "x", "-interpretationToFalsifiedConstraints"}, true, false, false, "-vHyper"},
      {{"vantor", "-vHyper", "-mucs"}, true, false, true, "-vHyper"},
      {{"vantor", "-coMSSApp"}, true, false, false, "-coMSSApp"},
  };
  for (auto& c : cases) {
    std::vector<char*> argv;
    for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
    argv.push_back(nullptr);
    int argc = (int)c.args.size();
    char** av = argv.data();
    MyCallback::decBin = !c.decBin;
    MyCallback::mergeInt = !c.mergeInt;
    bool proceed = prescanArguments(argc, av);
    SCOPED_TRACE(c.args.size() > 1 ? c.args[1] : "(none)");
    EXPECT_EQ(proceed, c.proceed);
    if (!proceed) continue;
    EXPECT_EQ(MyCallback::decBin, c.decBin);
    EXPECT_EQ(MyCallback::mergeInt, c.mergeInt);
    EXPECT_STREQ(av[1], c.mode);
    EXPECT_EQ(argc, (int)c.args.size() - (c.decBin ? 1 : 0));
  }
}

TEST(Interrupt, BeforeTheSolverExistsEndsQuietly) {
  s = nullptr;
  EXPECT_EXIT(handle_interrupt(SIGALRM), testing::ExitedWithCode(0), "interrupted before the solver");
}

TEST(Builder, BinaryRelationPaths) {
  // Non-negative values: a bit matrix; a negative value: the n-ary form with
  // arity 2; large values: no matrix indexed from 0 up to them.
  std::string rels =
      "<relations nbRelations=\"4\">"
      "<relation name=\"POS\" arity=\"2\" nbTuples=\"2\" semantics=\"conflicts\">0 1|2 2</relation>"
      "<relation name=\"NEG\" arity=\"2\" nbTuples=\"1\" semantics=\"supports\">-1 0</relation>"
      "<relation name=\"HUGE\" arity=\"2\" nbTuples=\"2\" semantics=\"conflicts\">1000000000 999999999|999999999 999999999</relation>"
      "<relation name=\"SPREAD\" arity=\"2\" nbTuples=\"2\" semantics=\"supports\">0 2000000000|2000000000 0</relation>"
      "</relations><constraints nbConstraints=\"4\">"
      "<constraint name=\"C0\" arity=\"2\" scope=\"X Y\" reference=\"POS\"/>"
      "<constraint name=\"C1\" arity=\"2\" scope=\"X Y\" reference=\"NEG\"/>"
      "<constraint name=\"C2\" arity=\"2\" scope=\"X Y\" reference=\"HUGE\"/>"
      "<constraint name=\"C3\" arity=\"2\" scope=\"X Y\" reference=\"SPREAD\"/>"
      "</constraints>";
  Built b;
  build(b, instance(D3, XYZ, rels));
  ASSERT_EQ(b.cons.size(), 4u);

  ASSERT_NE(dynamic_cast<ConstraintExtBin*>(b.cons[0]), nullptr);
  auto* pos = dynamic_cast<RelationExtBin*>(b.cons[0]->getRelation());
  ASSERT_NE(pos, nullptr);
  EXPECT_EQ(pos->nbLigne, 3);
  EXPECT_EQ(pos->nbColonne, 3);
  EXPECT_FALSE(accepts(b.cons[0], {0, 1}));
  EXPECT_TRUE(accepts(b.cons[0], {1, 0}));

  ASSERT_NE(dynamic_cast<ConstraintExtN*>(b.cons[1]), nullptr);
  EXPECT_EQ(b.cons[1]->getArity(), 2);
  EXPECT_TRUE(accepts(b.cons[1], {-1, 0}));
  EXPECT_FALSE(accepts(b.cons[1], {0, 0}));

  // Whatever the representation, the answers are the relation's and the
  // storage is not a 10^18-bit matrix.
  const long long maxBits = RelationExtBin::maxMatrixBits;
  if (auto* huge = dynamic_cast<RelationExtBin*>(b.cons[2]->getRelation())) {
    EXPECT_LE((long long)huge->getMatrice()->nbLigne * huge->getMatrice()->nbColonne, maxBits);
  }
  EXPECT_FALSE(accepts(b.cons[2], {1000000000, 999999999}));
  EXPECT_FALSE(accepts(b.cons[2], {999999999, 999999999}));
  EXPECT_TRUE(accepts(b.cons[2], {999999999, 1000000000}));
  EXPECT_TRUE(accepts(b.cons[2], {0, 0}));

  EXPECT_EQ(dynamic_cast<RelationExtBin*>(b.cons[3]->getRelation()), nullptr);
  EXPECT_TRUE(accepts(b.cons[3], {0, 2000000000}));
  EXPECT_FALSE(accepts(b.cons[3], {0, 0}));
}

TEST(Builder, DecompositionWithHiddenVariables) {
  std::string rels =
      "<relations nbRelations=\"2\">"
      "<relation name=\"S\" arity=\"3\" nbTuples=\"2\" semantics=\"supports\">0 1 2|2 2 0</relation>"
      "<relation name=\"K\" arity=\"3\" nbTuples=\"1\" semantics=\"conflicts\">0 0 0</relation>"
      "</relations><constraints nbConstraints=\"2\">"
      "<constraint name=\"C\" arity=\"3\" scope=\"X Y Z\" reference=\"S\"/>"
      "<constraint name=\"F\" arity=\"3\" scope=\"X Y Z\" reference=\"K\"/>"
      "</constraints>";
  Built b;
  build(b, instance(D3, XYZ, rels), /*decBin=*/true);
  // C: a hidden variable C over the tuple indices 0..1, and three binary
  // constraints named C over (X, C), (Y, C), (Z, C).  F (conflicts) stays whole.
  ASSERT_EQ(b.vars.size(), 4u);
  Variable* h = b.vars[3];
  EXPECT_EQ(h->getName(), "C");
  EXPECT_EQ(h->getId(), 3);
  EXPECT_EQ(h->getDomain()->getVector(), (std::vector<int>{0, 1}));
  ASSERT_EQ(b.cons.size(), 4u);
  for (int j = 0; j < 3; j++) {
    SCOPED_TRACE(j);
    EXPECT_EQ(b.cons[j]->getName(), "C");
    EXPECT_EQ(b.cons[j]->getArity(), 2);
    EXPECT_EQ(b.cons[j]->getScope()[0], b.vars[j]);
    EXPECT_EQ(b.cons[j]->getScope()[1], h);
    EXPECT_EQ(b.cons[j]->getId(), j);
  }
  // Tuple 1 is (2, 2, 0): position 2 must be 0 when the index is 1.
  EXPECT_TRUE(accepts(b.cons[2], {0, 1}));
  EXPECT_FALSE(accepts(b.cons[2], {2, 1}));
  EXPECT_EQ(b.cons[3]->getName(), "F");
  EXPECT_EQ(b.cons[3]->getArity(), 3);
  EXPECT_EQ(b.cb.getMaxDomain(), 7);
}

TEST(Builder, IntensionMergeAndGlobals) {
  std::string body =
      "<predicates nbPredicates=\"2\">"
      "<predicate name=\"NE\"><parameters>int A int B</parameters>"
      "<expression><functional>ne(A,B)</functional></expression></predicate>"
      "<predicate name=\"LE\"><parameters>int A int B int K</parameters>"
      "<expression><functional>le(add(A,K),B)</functional></expression></predicate>"
      "</predicates><constraints nbConstraints=\"6\">"
      "<constraint name=\"I1\" arity=\"2\" scope=\"X Y\" reference=\"NE\"/>"
      "<constraint name=\"I2\" arity=\"2\" scope=\"X Y\" reference=\"LE\"><parameters>X Y 1</parameters></constraint>"
      "<constraint name=\"I3\" arity=\"2\" scope=\"Y X\" reference=\"NE\"/>"
      "<constraint name=\"W\" arity=\"3\" scope=\"X Y Z\" reference=\"global:weightedSum\">"
      "<parameters>[ { 1 X } { 2 Y } ] <eq/> Z</parameters></constraint>"
      "<constraint name=\"E\" arity=\"2\" scope=\"X Z\" reference=\"global:element\">"
      "<parameters>X [ 2 Z 0 ] 2</parameters></constraint>"
      "<constraint name=\"U\" arity=\"2\" scope=\"X Y\" reference=\"global:cumulative\">"
      "<parameters>[ { 1 2 3 4 } ] 5</parameters></constraint>"
      "</constraints>";
  for (bool merge : {true, false}) {
    SCOPED_TRACE(merge);
    Built b;
    build(b, instance(D3, XYZ, body), false, merge);
    // cumulative is not part of the network.
    ASSERT_EQ(b.cons.size(), merge ? 4u : 5u);
    Constraint* c = b.cons[0];
    EXPECT_EQ(c->getName(), "I1");
    // Merged: X != Y and X + 1 <= Y; apart: only X != Y.
    EXPECT_TRUE(accepts(c, {0, 1}));
    EXPECT_EQ(accepts(c, {2, 1}), !merge);
    EXPECT_EQ(b.cons[merge ? 1 : 2]->getName(), "I3");
    Constraint* w = b.cons[merge ? 2 : 3];
    EXPECT_TRUE(accepts(w, {0, 1, 2}));
    EXPECT_FALSE(accepts(w, {1, 1, 2}));
    Constraint* e = b.cons[merge ? 3 : 4];
    EXPECT_TRUE(accepts(e, {1, 0}));   // entry 1 is the constant 2
    EXPECT_TRUE(accepts(e, {2, 2}));   // entry 2 is Z
    EXPECT_FALSE(accepts(e, {2, 1}));
    EXPECT_FALSE(accepts(e, {0, 0}));  // no entry 0
    for (size_t i = 0; i < b.cons.size(); i++) EXPECT_EQ(b.cons[i]->getId(), (int)i);
  }
}

TEST(Builder, HandOverOrder) {
  // Variables by id, domains by name; the largest domain counts even unused.
  std::string doms =
      "<domains nbDomains=\"3\"><domain name=\"Z\" nbValues=\"1\">0</domain>"
      "<domain name=\"A\" nbValues=\"2\">0 1</domain>"
      "<domain name=\"M\" nbValues=\"9\">1..9</domain></domains>";
  std::string vars =
      "<variables nbVariables=\"3\"><variable name=\"Q\" domain=\"Z\"/>"
      "<variable name=\"B\" domain=\"A\"/><variable name=\"K\" domain=\"A\"/></variables>";
  Built b;
  build(b, instance(doms, vars, ""));
  ASSERT_EQ(b.vars.size(), 3u);
  EXPECT_EQ(b.vars[0]->getName(), "Q");
  EXPECT_EQ(b.vars[1]->getName(), "B");
  EXPECT_EQ(b.vars[2]->getName(), "K");
  ASSERT_EQ(b.cb.getDomains().size(), 3u);
  EXPECT_EQ(b.cb.getDomains()[0]->getName(), "A");
  EXPECT_EQ(b.cb.getDomains()[2]->getName(), "Z");
  EXPECT_EQ(b.cb.getMaxDomain(), 9);
}
