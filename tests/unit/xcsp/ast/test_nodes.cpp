// Node interface of the syntax trees: children, dictionaries, kind tests,
// failures and flat copies.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "ast_test_util.h"

using namespace asttest;

namespace {

TEST(Nodes, FailuresOfTheNodeInterface) {
  ASTVar var("X", 0);
  ASTInteger i(3);
  ASTBoolean b(true);
  ASTSymb symb(SYMB_GE);
  ASTList list;
  ASTDict dict;
  dict.setArg("coef", new ASTInteger(1));
  ASTDictKey key("coef");
  FunctionAdd add;
  struct {
    const char* what;
    std::function<void()> f;
    const char* message;
  } cases[] = {
      {"var child", [&] { var.getArg(0); }, "request for an non existing child of an AST node"},
      {"var setArg", [&] { var.setArg(0, nullptr); }, "a variable cannot have any argument"},
      {"int setArg", [&] { i.setArg(0, nullptr); }, "a constant cannot have any argument"},
      {"bool setArg", [&] { b.setArg(0, nullptr); }, "a constant cannot have any argument"},
      {"symb getArg", [&] { symb.getArg(0); }, "abstract method called"},
      {"symb setArg", [&] { symb.setArg(0, nullptr); }, "abstract method called"},
      {"list setArg", [&] { list.setArg(0, nullptr); }, "abstract method called"},
      {"list child", [&] { list.getArg(0); }, "request for an non existing child of an AST node"},
      {"dict index", [&] { dict.getArg(0); }, "dictionaries can't be accessed by index"},
      {"dict set index", [&] { dict.setArg(0, nullptr); }, "dictionaries can't be accessed by index"},
      {"dict key", [&] { dict.getArg(std::string("var")); }, "couldn't find key in dictionary"},
      {"dict []", [&] { dict["var"]; }, "couldn't find key in dictionary"},
      {"dict key twice", [&] { dict.setArg("coef", nullptr); },
       "multiple assignments to the same key in dictionary"},
      {"key setArg", [&] { key.setArg(0, nullptr); }, "abstract method called"},
      {"key makeCTree", [&] { key.makeCTree(); }, "abstract method called"},
      {"function arg -1", [&] { add.setArg(-1, nullptr); }, "incorrect argument number"},
      {"function arg 2", [&] { add.setArg(2, nullptr); }, "incorrect argument number"},
      {"function unset child", [&] { add.getArg(1); }, "missing argument for a function"},
      {"var as int", [&] { var.getInteger(); }, "node is not an integer"},
      {"int as var", [&] { i.getVarId(); }, "node is not a variable"},
      {"int as bool", [&] { i.getBoolean(); }, "node is not a Boolean"},
      {"var as list", [&] { var.list(); }, "node is not a list"},
      {"list as dict", [&] { list.dict(); }, "node is not a dictionary"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(errorOf(c.f), c.message);
  }
  // The failed assignment left the first value in place.
  EXPECT_EQ(dict["coef"].getInteger(), 1);
}

TEST(Nodes, KindTests) {
  ASTVar var("X", 0);
  ASTInteger i(3);
  ASTBoolean b(false);
  ASTSymb nil(SYMB_NIL), lt(SYMB_LT);
  ASTList list;
  ASTDict dict;
  FunctionIff iff;
  ASTDictKey key("k");
  const AST* nodes[] = {&var, &i, &b, &nil, &lt, &list, &dict, &iff, &key};
  // var, int, bool, symbol, operator, list, dict
  const char* expected[] = {"1000000", "0100000", "0010000", "0001000", "0001000",
                            "0000010", "0000001", "0000100", "0000000"};
  for (size_t k = 0; k < sizeof nodes / sizeof *nodes; ++k) {
    const AST* n = nodes[k];
    std::string got;
    for (bool t : {n->isVar(), n->isInteger(), n->isBoolean(), n->isSymbol(), n->isOperator(),
                   n->isList(), n->isDict()})
      got += t ? '1' : '0';
    EXPECT_EQ(got, expected[k]) << "node " << k;
  }
  EXPECT_EQ(nil.getType(), SYMB_NIL);
  EXPECT_EQ(key.getType(), _DICTKEY);
  EXPECT_EQ(key.getKey(), "k");
  EXPECT_FALSE(var.hasKey("k"));
}

TEST(Nodes, ListsAndDictionaries) {
  ASTList l;
  l.push_back(new ASTInteger(2));
  l.push_front(new ASTInteger(1));
  l.push_back(new ASTVar("X", 4));
  ASSERT_EQ(l.size(), 3);
  EXPECT_EQ(l[0].getInteger(), 1);
  EXPECT_EQ(l[2].getVarId(), 4);
  EXPECT_EQ(errorOf([&] { l.getArg(3); }), "request for an non existing child of an AST node");
  l.clear();
  EXPECT_EQ(l.nbArg(), 0);

  // Keys are kept in order, whatever the order of assignment.
  ASTList holder;
  holder.push_back(new ASTDict());
  ASTDict& d = holder.list[0]->dict();
  d.setArg("var", new ASTVar("X", 0));
  d.setArg("coef", new ASTInteger(3));
  EXPECT_EQ(form(holder, PREFIX), "[ { /coef 3 /var X/$0 } ]");
  EXPECT_EQ(d.nbArg(), 2);
  EXPECT_TRUE(holder[0].hasKey("coef"));
  EXPECT_FALSE(holder[0].hasKey("origin"));
  EXPECT_EQ(holder[0]["var"].getVarName(), "X");
  EXPECT_EQ(holder[0].dict().getArg(std::string("coef")).getInteger(), 3);
}

TEST(Nodes, SetArgReplacesAndOwns) {
  FunctionSub sub;
  sub.setArg(0, new ASTInteger(1));
  sub.setArg(0, new ASTInteger(9));  // the first child is freed
  ASTInteger* keep = new ASTInteger(4);
  sub.setArg(1, keep);
  sub.setArg(1, keep);  // the same child again stays alive
  MapValuation v;
  EXPECT_EQ(sub.value(v), 5);
  EXPECT_EQ(sub[1].getInteger(), 4);
}

TEST(Nodes, FlatCopy) {
  ASTList top;
  FunctionAdd* add = new FunctionAdd();
  add->setArg(0, new ASTVar("X", 2));
  top.push_back(add);  // second argument missing
  top.push_back(new ASTBoolean(true));
  top.push_back(new ASTSymb(SYMB_NE));
  ASTDict* d = new ASTDict();
  d->setArg("var", new ASTInteger(-5));
  d->setArg("coef", new ASTList());
  top.push_back(d);

  C_AST* c = top.makeCTree();
  ASSERT_EQ(c->type, LIST);
  C_AST_ListNode* l = reinterpret_cast<C_AST_ListNode*>(c);
  ASSERT_EQ(l->size, 4);

  ASSERT_EQ(l->items[0]->type, F_ADD);
  C_AST_FxNode* f = reinterpret_cast<C_AST_FxNode*>(l->items[0]);
  ASSERT_EQ(f->nbarg, 2);
  ASSERT_EQ(f->args[0]->type, VAR);
  C_AST_VarNode* x = reinterpret_cast<C_AST_VarNode*>(f->args[0]);
  EXPECT_STREQ(x->varName, "X");
  EXPECT_EQ(x->idVar, 2);
  EXPECT_EQ(f->args[1], nullptr);

  ASSERT_EQ(l->items[1]->type, CST_BOOL);
  EXPECT_EQ(reinterpret_cast<C_AST_CstNode*>(l->items[1])->val, 1);
  EXPECT_EQ(l->items[2]->type, SYMB_NE);

  ASSERT_EQ(l->items[3]->type, DICT);
  C_AST_DictNode* cd = reinterpret_cast<C_AST_DictNode*>(l->items[3]);
  ASSERT_EQ(cd->size, 2);
  EXPECT_STREQ(cd->items[0].key, "coef");
  EXPECT_EQ(cd->items[0].value->type, LIST);
  EXPECT_EQ(reinterpret_cast<C_AST_ListNode*>(cd->items[0].value)->size, 0);
  EXPECT_STREQ(cd->items[1].key, "var");
  ASSERT_EQ(cd->items[1].value->type, CST_INT);
  EXPECT_EQ(reinterpret_cast<C_AST_CstNode*>(cd->items[1].value)->val, -5);

  // The copy does not share the names with the tree.
  EXPECT_NE(x->varName, add->getArg(0).getVarName().c_str());
  deleteCTree(c);
  deleteCTree(nullptr);
}

TEST(Nodes, FactoryMakesEveryKind) {
  std::unique_ptr<AST> nodes[] = {
      std::unique_ptr<AST>(DefaultASTFactory::mkVar("V", 9)),
      std::unique_ptr<AST>(DefaultASTFactory::mkInteger(-4)),
      std::unique_ptr<AST>(DefaultASTFactory::mkInteger(std::string("17"))),
      std::unique_ptr<AST>(DefaultASTFactory::mkBoolean(false)),
      std::unique_ptr<AST>(DefaultASTFactory::mkSymb(SYMB_GT)),
      std::unique_ptr<AST>(DefaultASTFactory::mkList()),
      std::unique_ptr<AST>(DefaultASTFactory::mkDict()),
  };
  const char* prefix[] = {"V/$9", "-4", "17", "false", ">", "[ ]", "{ }"};
  for (int k = 0; k < 7; ++k) EXPECT_EQ(form(*nodes[k], PREFIX), prefix[k]);
  EXPECT_EQ(errorOf([] { DefaultASTFactory::mkInteger(std::string("4294967296")); }),
            "integer constant out of range in expression");
}

}  // namespace
