#pragma once
// The XCSP 2.1 tag machine: turns SAX events (start and end of elements,
// character data) into calls of the reader callback interface.  One handler
// object (TagAction) per element name; the handlers share three stacks held
// by the parser: open handlers, per-element states and operands (the values
// of a constraint's parameters under construction).
//
// Every error throws std::runtime_error with a fixed message; nothing is
// caught here.

#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <iostream>

#include "xcsp/AST.h"
#include "xcsp/CSPParserCallback.h"
#include "xcsp/ExpressionParser.h"

namespace CSPXMLParser {

template <class CSPParserCallback, class DefaultASTFactory, class UTF8String, class AttributeList>
class XMLParser {
 public:
  typedef UTF8String XMLString;
  typedef typename UTF8String::Byte Byte;

  // Deepest nesting of lists and dictionaries accepted in parameters; bounds
  // the recursion of every operation on the trees built from them.
  static const int maxValueNesting = 1000;

  // What an open element may contain.
  struct State {
    bool abridgedListAllowed;
    bool abridgedDictAllowed;
    bool abridgedVariableAllowed;
    bool abridgedIntegerAllowed;
    bool subtagAllowed;
    // The element is a list or dictionary opened by "[" or "{" in text; only
    // the matching closing bracket may end it.
    bool openedByBracket;

    State()
        : abridgedListAllowed(false), abridgedDictAllowed(false), abridgedVariableAllowed(false),
          abridgedIntegerAllowed(false), subtagAllowed(true), openedByBracket(false) {}

    void allFalse() {
      abridgedListAllowed = abridgedDictAllowed = false;
      abridgedVariableAllowed = abridgedIntegerAllowed = false;
      subtagAllowed = false;
    }
    void allAbridged() {
      abridgedListAllowed = abridgedDictAllowed = true;
      abridgedVariableAllowed = abridgedIntegerAllowed = true;
    }
    bool anyAbridged() const {
      return abridgedListAllowed || abridgedDictAllowed || abridgedVariableAllowed ||
             abridgedIntegerAllowed;
    }
  };

  struct SymbolInfo {
    CSPDefinitionType type;
    int id;
    const std::vector<std::string>* convOrder;

    SymbolInfo() : type(UndefinedType), id(-1), convOrder(nullptr) {}
    SymbolInfo(CSPDefinitionType t, int i, const std::vector<std::string>* o)
        : type(t), id(i), convOrder(o) {}
  };

  typedef std::map<std::string, SymbolInfo> SymbolDictionnary;

  // Handler of one element name.
  class TagAction {
   public:
    explicit TagAction(XMLParser* p) : parser(p) {}
    virtual ~TagAction() {}

    virtual const char* getTagName() = 0;
    virtual void beginTag(const AttributeList& attributes) = 0;
    // A piece of the element's text; a token is never cut between two calls.
    virtual void text(XMLString txt, bool last) = 0;
    virtual void endTag() = 0;

    // The parent (n = 1) must be parentTag, or there must be none when
    // parentTag is null.
    void checkParentTag(const char* parentTag, int n) {
      TagAction* parent = parser->getParentTagAction(n);
      if (parent) {
        if (parentTag == nullptr) throw std::runtime_error("tag should have no parent");
        if (std::strcmp(parent->getTagName(), parentTag) != 0)
          throw std::runtime_error("wrong parent for tag");
      } else if (parentTag) {
        throw std::runtime_error("tag has no parent but it should have one");
      }
    }

   protected:
    XMLParser* parser;

    CSPParserCallback& cb() { return *parser->cb; }
    State& state() { return parser->stateStack.front(); }

    static void noMeaningfulText(const XMLString& txt, const char* message) {
      if (!txt.isWhiteSpace()) throw std::runtime_error(message);
    }

    static std::string stringAttribute(const AttributeList& attributes, const char* name,
                                       const char* message) {
      std::string s;
      if (!attributes[name].template to<std::string>(s)) throw std::runtime_error(message);
      return s;
    }

    static int intAttribute(const AttributeList& attributes, const char* name,
                            const char* message) {
      int v;
      if (!attributes[name].template to<int>(v)) throw std::runtime_error(message);
      return v;
    }

    static std::string toString(const XMLString& s) {
      std::string out;
      s.template to<std::string>(out);
      return out;
    }
  };

  typedef std::map<UTF8String, TagAction*> TagActionList;

  // ---------------------------------------------------------------- handlers

  class InstanceTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "instance"; }
    void beginTag(const AttributeList&) override {}
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<instance> tag should not have meaningful text");
    }
    void endTag() override { this->cb().endInstance(); }
  };

  class PresentationTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "presentation"; }
    void beginTag(const AttributeList& attributes) override {
      this->checkParentTag("instance", 1);
      this->state().allFalse();
      std::string name;
      if (!attributes["name"].template to<std::string>(name)) name = "?";
      this->cb().beginInstance(name);
    }
    void text(XMLString, bool) override {}
    void endTag() override {}
  };

  // domains, variables, relations, predicates, constraints: a section with
  // a count attribute, directly inside instance, holding no text.
  class SectionTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    void beginTag(const AttributeList& attributes) override {
      this->checkParentTag("instance", 1);
      begin(this->intAttribute(attributes, countAttribute(), missingCountMessage()));
    }
    void text(XMLString txt, bool) override { this->noMeaningfulText(txt, textMessage()); }

   protected:
    virtual const char* countAttribute() = 0;
    virtual const char* missingCountMessage() = 0;
    virtual const char* textMessage() = 0;
    virtual void begin(int count) = 0;
  };

  class DomainsTagAction : public SectionTagAction {
   public:
    using SectionTagAction::SectionTagAction;
    const char* getTagName() override { return "domains"; }
    void endTag() override { this->cb().endDomainsSection(); }

   protected:
    const char* countAttribute() override { return "nbDomains"; }
    const char* missingCountMessage() override {
      return "expected attribute nbDomains for tag <domains>";
    }
    const char* textMessage() override { return "<domains> tag should not have meaningful text"; }
    void begin(int count) override { this->cb().beginDomainsSection(count); }
  };

  class DomainTagAction : public TagAction {
   public:
    XMLString dotdot;

    explicit DomainTagAction(XMLParser* p) : TagAction(p), dotdot("..") {}
    const char* getTagName() override { return "domain"; }
    void beginTag(const AttributeList& attributes) override {
      this->checkParentTag("domains", 1);
      std::string name =
          this->stringAttribute(attributes, "name", "expected attribute name for tag <domain>");
      int nbValues =
          this->intAttribute(attributes, "nbValues", "expected attribute nbValue for tag <domain>");
      int id = this->parser->defineSymbol(name, DomainType);
      this->cb().beginDomain(name, id, nbValues);
    }
    // Values and intervals first..last; a bad integer passes what the
    // conversion read, but an interval needs both bounds.
    void text(XMLString txt, bool) override {
      typename UTF8String::Tokenizer tok(txt);
      while (tok.hasMoreTokens()) {
        XMLString token = tok.nextToken();
        int pos = token.find(dotdot);
        if (pos == UTF8String::npos) {
          int v;
          token.template to<int>(v);
          this->cb().addDomainValue(v);
        } else {
          XMLString firstText = token.substr(0, pos);
          XMLString lastText = token.substr(pos + 2);
          if (firstText.empty() || lastText.empty())
            throw std::runtime_error("missing bound in domain interval " + this->toString(token));
          int first, last;
          firstText.template to<int>(first);
          lastText.template to<int>(last);
          this->cb().addDomainValue(first, last);
        }
      }
    }
    void endTag() override { this->cb().endDomain(); }
  };

  class VariablesTagAction : public SectionTagAction {
   public:
    using SectionTagAction::SectionTagAction;
    const char* getTagName() override { return "variables"; }
    void endTag() override { this->cb().endVariablesSection(); }

   protected:
    const char* countAttribute() override { return "nbVariables"; }
    const char* missingCountMessage() override {
      return "expected attribute nbVariables for tag <variables>";
    }
    const char* textMessage() override {
      return "<variables> tag should not have meaningful text";
    }
    void begin(int count) override { this->cb().beginVariablesSection(count); }
  };

  class VariableTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "variable"; }
    void beginTag(const AttributeList& attributes) override {
      this->state().allFalse();
      this->checkParentTag("variables", 1);
      std::string name =
          this->stringAttribute(attributes, "name", "expected attribute name for tag <variable>");
      std::string domain = this->stringAttribute(attributes, "domain",
                                                 "expected attribute domain for tag <variable>");
      int id = this->parser->defineSymbol(name, VariableType);
      int idDomain = this->parser->getSymbolId(domain, DomainType);
      this->cb().addVariable(name, id, domain, idDomain);
    }
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<variable> tag should not have meaningful text");
    }
    void endTag() override {}
  };

  class RelationsTagAction : public SectionTagAction {
   public:
    using SectionTagAction::SectionTagAction;
    const char* getTagName() override { return "relations"; }
    void endTag() override { this->cb().endRelationsSection(); }

   protected:
    const char* countAttribute() override { return "nbRelations"; }
    const char* missingCountMessage() override {
      return "expected attribute nbRelation for tag <relations>";
    }
    const char* textMessage() override {
      return "<relations> tag should not have meaningful text";
    }
    void begin(int count) override { this->cb().beginRelationsSection(count); }
  };

  class RelationTagAction : public TagAction {
   public:
    int arity = 0, nbTuples = 0;
    // The current tuple; grown on demand up to arity values, so that a huge
    // announced arity costs nothing until values arrive.
    int* tuple = nullptr;
    int capacity = 0;
    int i = 0;
    int nb = 0;
    bool isSoft = false;
    int currentCost = 0, defaultCost = 0;

    using TagAction::TagAction;
    ~RelationTagAction() override { delete[] tuple; }
    const char* getTagName() override { return "relation"; }

    void beginTag(const AttributeList& attributes) override {
      this->state().allFalse();
      this->checkParentTag("relations", 1);
      arity = this->intAttribute(attributes, "arity", "expected attribute arity for tag <relation>");
      if (arity < 1) throw std::runtime_error("arity must be >0");
      nbTuples = this->intAttribute(attributes, "nbTuples",
                                    "expected attribute nbTuples for tag <relation>");
      std::string name =
          this->stringAttribute(attributes, "name", "expected attribute name for tag <relation>");
      std::string semantics = this->stringAttribute(
          attributes, "semantics", "expected attribute semantics for tag <relation>");
      RelType relType;
      isSoft = false;
      if (semantics == "supports") {
        relType = REL_SUPPORT;
      } else if (semantics == "conflicts") {
        relType = REL_CONFLICT;
      } else if (semantics == "soft") {
        relType = REL_SOFT;
        isSoft = true;
      } else {
        throw std::runtime_error("unknown semantics for tag <relation>");
      }
      defaultCost = 1;
      if (isSoft)
        defaultCost = this->intAttribute(attributes, "defaultCost",
                                         "expected attribute defaultCost for tag <relation>");
      int id = this->parser->defineSymbol(name, RelationType);
      this->cb().beginRelation(name, id, arity, nbTuples, relType);
      delete[] tuple;
      capacity = arity < 64 ? arity : 64;
      tuple = new int[capacity];
      i = 0;
      nb = 0;
      currentCost = defaultCost;
    }

    // Tuples separated by "|"; in a soft relation "cost:" before a tuple sets
    // the cost of the tuples that follow.  The text is split as the
    // Tokenizer with the separators "|" and ":" splits it, in one pass that
    // reads the integers as it goes: this is the reader's hottest loop.
    void text(XMLString txt, bool) override {
      const Byte* p = txt.beginPtr();
      const Byte* e = txt.endPtr();
      for (;;) {
        while (p < e && UTF8String::isSpaceByte(*p)) ++p;
        if (p == e || *p == 0) return;
        const Byte c = *p;
        if (c == '|') {
          if (i != arity) throw std::runtime_error("unexpected pipe ('|') in relation");
          deliver();
          ++p;
          continue;
        }
        if (c == ':') {
          if (!isSoft || i != 1) throw std::runtime_error("unexpected colon (':') in relation");
          currentCost = tuple[0];
          i = 0;
          ++p;
          continue;
        }
        // A token: optional sign, digits, up to a blank, a separator, a NUL
        // or the end.
        const Byte* token = p;
        bool neg = false;
        if (c == '+' || c == '-') {
          neg = (c == '-');
          ++p;
        }
        unsigned v = 0;
        while (p < e && static_cast<unsigned>(*p - '0') < 10u) {
          v = v * 10u + static_cast<unsigned>(*p - '0');
          ++p;
        }
        if (p < e && !UTF8String::isSpaceByte(*p) && *p != 0 && *p != '|' && *p != ':') {
          // Not an integer; the tokenizer checks the token's characters first.
          typename UTF8String::Tokenizer tok(XMLString(token, e));
          tok.addSeparator('|');
          tok.addSeparator(':');
          tok.nextToken();
          throw std::runtime_error("failed to read integer");
        }
        if (i == arity) throw std::runtime_error("tuple has more values than the relation's arity");
        if (i == capacity) grow();
        tuple[i++] = static_cast<int>(neg ? 0u - v : v);
      }
    }

    void endTag() override {
      if (i == arity)
        deliver();
      else if (i != 0)
        throw std::runtime_error("last tuple is incomplete !");
      if (nb != nbTuples)
        throw std::runtime_error("effective number of tuples doesn't match the announced number");
      this->cb().endRelation();
    }

   private:
    void deliver() {
      if (isSoft)
        this->cb().addRelationTuple(arity, tuple, currentCost);
      else
        this->cb().addRelationTuple(arity, tuple);
      ++nb;
      i = 0;
    }
    void grow() {
      int size = capacity > arity / 2 ? arity : 2 * capacity;
      int* t = new int[size];
      std::memcpy(t, tuple, sizeof(int) * capacity);
      delete[] tuple;
      tuple = t;
      capacity = size;
    }
  };

  class PredicatesTagAction : public SectionTagAction {
   public:
    using SectionTagAction::SectionTagAction;
    const char* getTagName() override { return "predicates"; }
    void endTag() override { this->cb().endPredicatesSection(); }

   protected:
    const char* countAttribute() override { return "nbPredicates"; }
    const char* missingCountMessage() override {
      return "expected attribute nbPredicate for tag <predicates>";
    }
    const char* textMessage() override {
      return "<predicates> tag should not have meaningful text";
    }
    void begin(int count) override { this->cb().beginPredicatesSection(count); }
  };

  class PredicateTagAction : public TagAction {
   public:
    // Formal parameter name -> position; kept from one predicate to the next.
    VariableInfo parametersInfo;

    using TagAction::TagAction;
    const char* getTagName() override { return "predicate"; }
    void beginTag(const AttributeList& attributes) override {
      this->checkParentTag("predicates", 1);
      std::string name =
          this->stringAttribute(attributes, "name", "expected attribute name for tag <predicate>");
      int id = this->parser->defineSymbol(name, PredicateType);
      this->cb().beginPredicate(name, id);
    }
    void text(XMLString, bool) override {}
    void endTag() override { this->cb().endPredicate(); }
  };

  class ParametersTagAction : public TagAction {
   public:
    bool formalParameters = false;
    int pos = 0;
    UTF8String formalparms;

    using TagAction::TagAction;
    const char* getTagName() override { return "parameters"; }
    void beginTag(const AttributeList&) override {
      TagAction* parent = this->parser->getParentTagAction(1);
      if (parent == this->parser->predicateTagAction) {
        formalParameters = true;
        pos = 0;
        formalparms.clear();
        this->state().subtagAllowed = false;
      } else if (parent != nullptr && parent == this->parser->constraintTagAction) {
        formalParameters = false;
        this->parser->operandStack.push_back(nullptr);
        this->state().allAbridged();
      } else {
        throw std::runtime_error("unexpected <parameters> tag");
      }
    }
    void text(XMLString txt, bool) override {
      if (formalParameters)
        formalparms.append(txt);
      else
        this->noMeaningfulText(txt, "<parameters> tag should not have meaningful text");
    }
    void endTag() override {
      if (formalParameters)
        readFormalParameters();
      else
        this->parser->popListToMark();
    }

   private:
    // Pairs "type name" separated by white space.
    void readFormalParameters() {
      TagAction* parent = this->parser->getParentTagAction(1);
      PredicateTagAction* pred =
          parent == this->parser->predicateTagAction ? this->parser->predicateTagAction : nullptr;
      if (!pred)
        throw std::runtime_error("internal error: couldn't get my parent or wasn't a <predicate>");
      typename UTF8String::Tokenizer tok(formalparms);
      while (tok.hasMoreTokens()) {
        std::string type = this->toString(tok.nextToken());
        if (!tok.hasMoreTokens())
          throw std::runtime_error("missing formal parameter name after type");
        std::string name = this->toString(tok.nextToken());
        pred->parametersInfo[name].id = pos;
        this->cb().addFormalParameter(pos, name, type);
        ++pos;
      }
    }
  };

  class ExpressionTagAction : public TagAction {
   public:
    bool inPredicateDefinition = false;

    using TagAction::TagAction;
    const char* getTagName() override { return "expression"; }
    void beginTag(const AttributeList&) override {
      TagAction* parent = this->parser->getParentTagAction(1);
      if (parent != nullptr && parent == this->parser->predicateTagAction)
        inPredicateDefinition = true;
      else if (parent != nullptr && parent == this->parser->constraintTagAction)
        inPredicateDefinition = false;
      else
        throw std::runtime_error("unexpected <expression> tag");
    }
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<expression> tag should not have meaningful text");
    }
    void endTag() override {}
  };

  // functional, infix, postfix: collect the expression text byte for byte.
  class ExpressionTextTagAction : public TagAction {
   public:
    std::string expr;

    using TagAction::TagAction;
    void beginTag(const AttributeList&) override {
      this->checkParentTag("expression", 1);
      expr.clear();
    }
    void text(XMLString txt, bool) override {
      expr.append(reinterpret_cast<const char*>(txt.beginPtr()), txt.byteLength());
    }
  };

  class FunctionalTagAction : public ExpressionTextTagAction {
   public:
    using ExpressionTextTagAction::ExpressionTextTagAction;
    const char* getTagName() override { return "functional"; }
    void endTag() override {
      XMLParser* p = this->parser;
      if (p->getParentTagAction(1) != p->expressionTagAction)
        throw std::runtime_error("internal error: couldn't get my parent or wasn't an <expression>");
      if (!p->expressionTagAction->inPredicateDefinition)
        throw std::runtime_error("expressions not yet suported as effective parameters");
      if (p->getParentTagAction(2) != p->predicateTagAction)
        throw std::runtime_error("internal error: couldn't get my parent or wasn't a <predicate>");
      AST* tree;
      p->exprParser.setVarInfo(&p->predicateTagAction->parametersInfo);
      try {
        tree = p->exprParser.prefixParser(this->expr);
      } catch (...) {
        p->exprParser.unsetVarInfo();
        throw;
      }
      p->exprParser.unsetVarInfo();
      p->xmitExpressionToSolver(tree);
    }
  };

  class InfixTagAction : public ExpressionTextTagAction {
   public:
    using ExpressionTextTagAction::ExpressionTextTagAction;
    const char* getTagName() override { return "infix"; }
    void endTag() override {
      std::cout << "WARNING: ignoring infix expression: " << this->expr << std::endl;
    }
  };

  class PostfixTagAction : public ExpressionTextTagAction {
   public:
    using ExpressionTextTagAction::ExpressionTextTagAction;
    const char* getTagName() override { return "postfix"; }
    void endTag() override {
      std::cout << "WARNING: ignoring postfix expression: " << this->expr << std::endl;
    }
  };

  class ConstraintsTagAction : public SectionTagAction {
   public:
    using SectionTagAction::SectionTagAction;
    const char* getTagName() override { return "constraints"; }
    void endTag() override { this->cb().endConstraintsSection(); }

   protected:
    const char* countAttribute() override { return "nbConstraints"; }
    const char* missingCountMessage() override {
      return "expected attribute nbConstraints for tag <constraints>";
    }
    const char* textMessage() override {
      return "<constraints> tag should not have meaningful text";
    }
    void begin(int count) override { this->cb().beginConstraintsSection(count); }
  };

  class ConstraintTagAction : public TagAction {
   public:
    ASTList scopeList;
    int initialOperandStackSize = 0;

    using TagAction::TagAction;
    const char* getTagName() override { return "constraint"; }
    void beginTag(const AttributeList& attributes) override {
      XMLParser* p = this->parser;
      initialOperandStackSize = static_cast<int>(p->operandStack.size());
      this->checkParentTag("constraints", 1);
      int arity =
          this->intAttribute(attributes, "arity", "expected attribute arity for tag <constraint>");
      std::string name = this->stringAttribute(attributes, "name",
                                               "expected attribute name for tag <constraint>");
      std::string reference = this->stringAttribute(
          attributes, "reference", "expected attribute reference for tag <constraint>");
      if (reference.size() > 7 && reference.compare(0, 7, "global:") == 0)
        for (char& c : reference)
          if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
      SymbolInfo info = p->getSymbolInfo(reference);
      if (info.convOrder) p->dictTagAction->conventionalKeyOrder = info.convOrder;
      UTF8String scope = attributes["scope"];
      if (scope.isNull()) throw std::runtime_error("expected attribute scope for tag <constraint>");
      scopeList.clear();
      typename UTF8String::Tokenizer tok(scope);
      while (tok.hasMoreTokens()) {
        std::string var = this->toString(tok.nextToken());
        int id = p->getSymbolId(var, VariableType);
        scopeList.push_back(DefaultASTFactory::mkVar(var, id));
      }
      int id = p->defineSymbol(name, ConstraintType);
      this->cb().beginConstraint(name, id, arity, reference, info.type, info.id, scopeList);
    }
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<constraint> tag should not have meaningful text");
    }
    void endTag() override {
      XMLParser* p = this->parser;
      int size = static_cast<int>(p->operandStack.size());
      if (size == initialOperandStackSize + 1) {
        std::unique_ptr<AST> args(p->operandStack.back());
        p->operandStack.pop_back();
        if (!args || args->getType() != LIST)
          throw std::runtime_error("constraint parameters doesn't appear to be a list");
        this->cb().constraintParameters(static_cast<const ASTList&>(*args));
      } else if (size == initialOperandStackSize) {
        this->cb().constraintParameters(scopeList);
      } else {
        throw std::runtime_error("internal error while handling constraint parameters");
      }
      this->cb().endConstraint();
      p->dictTagAction->conventionalKeyOrder = nullptr;
    }
  };

  // extension: no action of its own; its text is ignored.
  class ExtensionTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "extension"; }
    void beginTag(const AttributeList&) override {}
    void text(XMLString, bool) override {}
    void endTag() override {}
  };

  class UnknownTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return ""; }
    void beginTag(const AttributeList&) override {}
    void text(XMLString, bool) override {}
    void endTag() override {}
  };

  class ListTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "list"; }
    void beginTag(const AttributeList&) override {
      this->state().allAbridged();
      this->parser->openValue();
    }
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<list> tag should not have meaningful text");
    }
    void endTag() override {
      this->parser->closeValue();
      this->parser->popListToMark();
    }
  };

  class DictTagAction : public TagAction {
   public:
    const std::vector<std::string>* conventionalKeyOrder = nullptr;

    using TagAction::TagAction;
    const char* getTagName() override { return "dict"; }
    void beginTag(const AttributeList&) override {
      this->state().allAbridged();
      this->parser->openValue();
    }
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<dict> tag should not have meaningful text");
    }
    void endTag() override {
      this->parser->closeValue();
      std::deque<AST*>& stack = this->parser->operandStack;
      // Entries above the topmost mark, and how many of them are keys.
      int nbKeys = 0;
      typename std::deque<AST*>::reverse_iterator it = stack.rbegin();
      for (; it != stack.rend() && *it != nullptr; ++it)
        if ((*it)->getType() == _DICTKEY) ++nbKeys;
      if (it == stack.rend()) throw std::runtime_error("internal error: lost dict mark");

      std::unique_ptr<ASTDict> dict(DefaultASTFactory::mkDict());
      if (nbKeys > 0) {
        // Keyed form: every value is preceded by its key.
        for (;;) {
          std::unique_ptr<AST> value(stack.back());
          stack.pop_back();
          if (!value) break;
          if (value->getType() == _DICTKEY)
            throw std::runtime_error("dictionary key without a value");
          if (stack.empty()) throw std::runtime_error("internal error");
          std::unique_ptr<AST> key(stack.back());
          if (!key || key->getType() != _DICTKEY) {
            key.release();
            throw std::runtime_error("missing key in dictionary");
          }
          stack.pop_back();
          dict->setArg(static_cast<ASTDictKey*>(key.get())->getKey(), value.get());
          value.release();
        }
      } else {
        // Conventional form: the values go to the keys of the conventional
        // order in turn; nil leaves its key out.
        if (!conventionalKeyOrder)
          throw std::runtime_error("no conventional key order defined for this dictionary");
        size_t first = static_cast<size_t>(stack.rend() - it);  // just above the mark
        size_t nbValues = stack.size() - first;
        const std::vector<std::string>& keys = *conventionalKeyOrder;
        if (nbValues < keys.size())
          throw std::runtime_error("not enough values in dictionary defined with conventional order");
        for (size_t k = 0; k < keys.size(); ++k) {
          AST*& value = stack[first + k];
          if (value->getType() == SYMB_NIL) continue;
          dict->setArg(keys[k], value);
          value = nullptr;
        }
        while (stack.size() > first) {
          delete stack.back();
          stack.pop_back();
        }
        stack.pop_back();  // the mark
      }
      stack.push_back(dict.release());
    }
  };

  class DictEntryTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "entry"; }
    void beginTag(const AttributeList& attributes) override {
      this->state().allAbridged();
      std::string key =
          this->stringAttribute(attributes, "key", "expected attribute key for tag <entry>");
      this->parser->operandStack.push_back(new ASTDictKey(key));
    }
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<entry> tag should not have meaningful text");
    }
    void endTag() override {}
  };

  class VarTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "var"; }
    void beginTag(const AttributeList& attributes) override {
      this->state().allFalse();
      std::string name =
          this->stringAttribute(attributes, "name", "expected attribute name for tag <var>");
      int id = this->parser->getSymbolId(name, VariableType);
      this->parser->operandStack.push_back(DefaultASTFactory::mkVar(name, id));
    }
    void text(XMLString txt, bool) override {
      this->noMeaningfulText(txt, "<var> tag should not have meaningful text");
    }
    void endTag() override {}
  };

  class IntegerConstantTagAction : public TagAction {
   public:
    using TagAction::TagAction;
    const char* getTagName() override { return "i"; }
    void beginTag(const AttributeList&) override { this->state().allFalse(); }
    void text(XMLString txt, bool) override {
      int v;
      if (!txt.template to<int>(v)) throw std::runtime_error("invalid integer in <i> element");
      this->parser->operandStack.push_back(DefaultASTFactory::mkInteger(v));
    }
    void endTag() override {}
  };

  class SymbTagAction : public TagAction {
   public:
    const char* tag;
    NodeType symb;

    SymbTagAction(XMLParser* p, const char* tag, NodeType symb)
        : TagAction(p), tag(tag), symb(symb) {}
    const char* getTagName() override { return tag; }
    void beginTag(const AttributeList&) override {
      this->state().allFalse();
      this->parser->operandStack.push_back(DefaultASTFactory::mkSymb(symb));
    }
    void text(XMLString, bool) override {
      throw std::runtime_error(std::string("<") + tag + "/> tag must not have any text");
    }
    void endTag() override {}
  };

  // ------------------------------------------------------------------ parser

  explicit XMLParser(CSPParserCallback& callback) : cb(&callback), preferredSyntax(TREE) {
    for (int k = 0; k < 6; ++k) nextId[k] = 0;
    registerTagAction(new InstanceTagAction(this));
    registerTagAction(new PresentationTagAction(this));
    registerTagAction(new DomainsTagAction(this));
    registerTagAction(new DomainTagAction(this));
    registerTagAction(new VariablesTagAction(this));
    registerTagAction(new VariableTagAction(this));
    registerTagAction(new RelationsTagAction(this));
    registerTagAction(new RelationTagAction(this));
    registerTagAction(new PredicatesTagAction(this));
    registerTagAction(predicateTagAction = new PredicateTagAction(this));
    registerTagAction(new ParametersTagAction(this));
    registerTagAction(expressionTagAction = new ExpressionTagAction(this));
    registerTagAction(new FunctionalTagAction(this));
    registerTagAction(new InfixTagAction(this));
    registerTagAction(new PostfixTagAction(this));
    registerTagAction(new ConstraintsTagAction(this));
    registerTagAction(constraintTagAction = new ConstraintTagAction(this));
    registerTagAction(new ExtensionTagAction(this));
    registerTagAction(listTagAction = new ListTagAction(this));
    registerTagAction(dictTagAction = new DictTagAction(this));
    registerTagAction(new DictEntryTagAction(this));
    registerTagAction(varTagAction = new VarTagAction(this));
    registerTagAction(integerTagAction = new IntegerConstantTagAction(this));
    registerTagAction(new SymbTagAction(this, "nil", SYMB_NIL));
    registerTagAction(new SymbTagAction(this, "eq", SYMB_EQ));
    registerTagAction(new SymbTagAction(this, "ne", SYMB_NE));
    registerTagAction(new SymbTagAction(this, "ge", SYMB_GE));
    registerTagAction(new SymbTagAction(this, "gt", SYMB_GT));
    registerTagAction(new SymbTagAction(this, "le", SYMB_LE));
    registerTagAction(new SymbTagAction(this, "lt", SYMB_LT));
    unknownTagHandler = new UnknownTagAction(this);

    cumulative_dictOrder = {"origin", "duration", "end", "height"};
    weightedSum_dictOrder = {"coef", "var"};
  }

  ~XMLParser() {
    clearOperands();
    for (typename TagActionList::iterator it = tagList.begin(); it != tagList.end(); ++it)
      delete it->second;
    delete unknownTagHandler;
  }

  XMLParser(const XMLParser&) = delete;
  XMLParser& operator=(const XMLParser&) = delete;

  void setPreferredExpressionRepresentation(Syntax syntax) { preferredSyntax = syntax; }
  CSPParserCallback* getCallback() { return cb; }

  // ------------------------------------------------------------ SAX events

  void startDocument() {
    clearOperands();
    stateStack.clear();
    actionStack.clear();
    textLeft.clear();
    valueDepth = 0;
    dictTagAction->conventionalKeyOrder = nullptr;
    symbolDict.clear();
    symbolDict["global:alldifferent"] = SymbolInfo(GlobalConstraintType, 0, nullptr);
    symbolDict["global:cumulative"] = SymbolInfo(GlobalConstraintType, 4, &cumulative_dictOrder);
    symbolDict["global:weightedsum"] = SymbolInfo(GlobalConstraintType, 5, &weightedSum_dictOrder);
    symbolDict["global:element"] = SymbolInfo(GlobalConstraintType, 6, nullptr);
    for (int k = 0; k < 6; ++k) nextId[k] = 0;
  }

  void endDocument() {}

  void startElement(XMLString name, const AttributeList& attributes) {
    flushTextLeft();
    if (!stateStack.empty() && !stateStack.front().subtagAllowed)
      throw std::runtime_error("this element must not contain any element");
    TagAction* action;
    typename TagActionList::iterator it = tagList.find(name);
    if (it == tagList.end()) {
      action = unknownTagHandler;
      std::cerr << "WARNING: unknown tag <" << name << "> will be ignored" << std::endl;
    } else {
      action = it->second;
    }
    stateStack.push_front(State());
    actionStack.push_front(action);
    action->beginTag(attributes);
  }

  void endElement(XMLString name) {
    flushTextLeft();
    if (actionStack.empty()) throw std::runtime_error("internal error: end of an element never opened");
    if (stateStack.front().openedByBracket)
      throw std::runtime_error("missing ']' or '}' in parameters");
    typename TagActionList::iterator it = tagList.find(name);
    if (it != tagList.end()) it->second->endTag();
    actionStack.pop_front();
    stateStack.pop_front();
  }

  // Text arrives in pieces that may cut a token anywhere; it is handed on
  // only in pieces that end at white space, the unfinished last token being
  // held back in textLeft until the next piece or element boundary.
  void characters(XMLString text) {
    const Byte* p = text.beginPtr();
    const Byte* e = text.endPtr();
    if (p == nullptr || p == e) return;
    if (actionStack.empty()) {
      if (!text.isWhiteSpace()) throw std::runtime_error("Text found outside any tag");
      return;
    }
    if (!textLeft.empty()) {
      const Byte* q = p;
      while (q < e && !UTF8String::isSpaceByte(*q)) ++q;
      bool foundSpace = q < e;
      while (q < e && UTF8String::isSpaceByte(*q)) ++q;
      textLeft.append(XMLString(p, q));
      if (!foundSpace) return;
      handleAbridgedNotation(textLeft, false);
      textLeft.clear();
      p = q;
      if (p == e) return;
    }
    // Last white space of the rest, stepping back over whole characters.
    const Byte* q = e;
    while (q > p) {
      Byte c = q[-1];
      if (c < 0x80) {
        if (UTF8String::isSpaceByte(c)) break;
        --q;
        continue;
      }
      const Byte* r = q - 1;
      while (r > p && *r >= 0x80 && *r <= 0xBF && q - r < 4) --r;
      if (*r < 0xC2 || *r > 0xF4 || UTF8String::iterator::codeLength(*r) != q - r)
        throw std::runtime_error("invalid UTF8 sequence");
      q = r;
    }
    if (q < e) textLeft.append(XMLString(q, e));
    if (q > p) handleAbridgedNotation(XMLString(p, q), false);
  }

  // ------------------------------------------------------------ symbols

  int defineSymbol(const std::string& name, CSPDefinitionType type) {
    SymbolInfo& info = symbolDict[name];
    if (info.type != UndefinedType) throw std::runtime_error("symbol " + name + " is defined twice");
    info = SymbolInfo(type, nextId[type]++, nullptr);
    return info.id;
  }

  int getSymbolId(const std::string& name, CSPDefinitionType type) {
    SymbolInfo& info = symbolDict[name];
    if (info.type == UndefinedType) throw std::runtime_error("symbol " + name + " is undefined");
    if (info.type != type)
      throw std::runtime_error("symbol " + name + " doesn't have the expected type");
    return info.id;
  }

  SymbolInfo getSymbolInfo(const std::string& name) {
    typename SymbolDictionnary::iterator it = symbolDict.find(name);
    if (it == symbolDict.end() || it->second.type == UndefinedType)
      throw std::runtime_error("symbol " + name + " is undefined");
    return it->second;
  }

  TagAction* getParentTagAction(int n) {
    if (n < 0 || static_cast<size_t>(n) >= actionStack.size()) return nullptr;
    return actionStack[n];
  }

  // Hands a predicate expression over in the preferred representation.
  void xmitExpressionToSolver(AST* tree) {
    if (preferredSyntax == TREE) {
      cb->predicateExpression(tree);
      return;
    }
    std::unique_ptr<AST> owned(tree);
    std::ostringstream s;
    switch (preferredSyntax) {
      case PREFIX: tree->prefixExpression(s); break;
      case INFIX_C: tree->infixExpression(s); break;
      case POSTFIX: tree->postfixExpression(s); break;
      case MATHML:
        s << "<math>" << std::endl;
        tree->mathmlExpressionRec(s);
        s << "</math>" << std::endl;
        break;
      default: throw std::runtime_error("undefined syntax for an expressioin");
    }
    cb->predicateExpression(s.str());
  }

  // ------------------------------------------------------------ abridged notation

  // Reads one piece of element text: abridged values allowed by the current
  // element's state become operands, the rest goes to the handler's text.
  void handleAbridgedNotation(XMLString text, bool last) {
    const Byte* p = text.beginPtr();
    const Byte* e = text.endPtr();
    if (!stateStack.front().anyAbridged()) {
      // Plain text only: check the first bytes and hand it all over.
      // ASCII without NUL goes eight bytes at a time.
      for (const Byte* q = p; q < e;) {
        if (e - q >= 8) {
          uint64_t w;
          std::memcpy(&w, q, 8);
          if (((w | ((w & 0x7F7F7F7F7F7F7F7FULL) + 0x7F7F7F7F7F7F7F7FULL)) & 0x8080808080808080ULL) ==
              0x8080808080808080ULL && (w & 0x8080808080808080ULL) == 0) {
            q += 8;
            continue;
          }
        }
        if (*q == 0) break;
        if (*q < 0x80) {
          ++q;
        } else {
          int len = UTF8String::iterator::codeLength(*q);
          q = (e - q < len) ? e : q + len;
        }
      }
      if (p < e) actionStack.front()->text(text, last);
      return;
    }
    const Byte* pending = p;
    for (;;) {
      while (p < e && UTF8String::isSpaceByte(*p)) ++p;
      if (p >= e || *p == 0) break;
      const State& st = stateStack.front();
      Byte c = *p;
      bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      if (c == '/' && st.abridgedDictAllowed) {
        flushPending(pending, p);
        const Byte* k = ++p;
        while (p < e && ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z'))) ++p;
        operandStack.push_back(new ASTDictKey(std::string(reinterpret_cast<const char*>(k), p - k)));
        pending = p;
      } else if ((c == '[' && st.abridgedListAllowed) || (c == '{' && st.abridgedDictAllowed)) {
        flushPending(pending, p);
        TagAction* action = (c == '[') ? static_cast<TagAction*>(listTagAction)
                                       : static_cast<TagAction*>(dictTagAction);
        stateStack.push_front(State());
        stateStack.front().openedByBracket = true;
        actionStack.push_front(action);
        action->beginTag(AttributeList());
        pending = ++p;
      } else if ((c == ']' && st.abridgedListAllowed) || (c == '}' && st.abridgedDictAllowed)) {
        flushPending(pending, p);
        if (!st.openedByBracket) throw std::runtime_error("unmatched ']' or '}' in parameters");
        actionStack.front()->endTag();
        actionStack.pop_front();
        stateStack.pop_front();
        pending = ++p;
      } else if ((letter || c == '_') && st.abridgedVariableAllowed) {
        flushPending(pending, p);
        const Byte* b = p;
        while (p < e && ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') ||
                         (*p >= '0' && *p <= '9') || *p == '_'))
          ++p;
        std::string name(reinterpret_cast<const char*>(b), p - b);
        int id = getSymbolId(name, VariableType);
        operandStack.push_back(DefaultASTFactory::mkVar(name, id));
        pending = p;
      } else if ((c == '+' || c == '-' || (c >= '0' && c <= '9')) && st.abridgedIntegerAllowed) {
        flushPending(pending, p);
        const Byte* b = p++;
        while (p < e && *p >= '0' && *p <= '9') ++p;
        stateStack.push_front(State());
        actionStack.push_front(integerTagAction);
        integerTagAction->beginTag(AttributeList());
        integerTagAction->text(XMLString(b, p), true);
        integerTagAction->endTag();
        actionStack.pop_front();
        stateStack.pop_front();
        pending = p;
      } else {
        // Plain text: up to the next white space.
        while (p < e && *p != 0 && !UTF8String::isSpaceByte(*p)) {
          if (*p < 0x80) {
            ++p;
          } else {
            int len = UTF8String::iterator::codeLength(*p);
            p = (e - p < len) ? e : p + len;
          }
        }
      }
    }
    if (pending < e) actionStack.front()->text(XMLString(pending, e), last);
  }

 private:
  friend class TagAction;

  void registerTagAction(TagAction* action) { tagList[UTF8String(action->getTagName())] = action; }

  void flushTextLeft() {
    if (!textLeft.empty()) {
      handleAbridgedNotation(textLeft, true);
      textLeft.clear();
    }
  }

  void flushPending(const Byte* pending, const Byte* p) {
    if (pending < p) actionStack.front()->text(XMLString(pending, p), true);
  }

  // A list or dictionary opens: push its mark.
  void openValue() {
    if (valueDepth >= maxValueNesting)
      throw std::runtime_error("lists and dictionaries nested too deeply in parameters");
    ++valueDepth;
    operandStack.push_back(nullptr);
  }
  void closeValue() { --valueDepth; }

  // Everything above the topmost mark, in document order, becomes one list
  // replacing the mark.
  void popListToMark() {
    typename std::deque<AST*>::reverse_iterator it = operandStack.rbegin();
    while (it != operandStack.rend() && *it != nullptr) ++it;
    if (it == operandStack.rend()) throw std::runtime_error("internal error: lost list mark");
    size_t first = static_cast<size_t>(operandStack.rend() - it);
    std::unique_ptr<ASTList> list(DefaultASTFactory::mkList());
    for (size_t k = first; k < operandStack.size(); ++k) {
      // A key stands only inside a dictionary.
      if (operandStack[k]->getType() == _DICTKEY)
        throw std::runtime_error("dictionary key outside a dictionary");
      list->push_back(operandStack[k]);
      operandStack[k] = nullptr;
    }
    operandStack.resize(first - 1);
    operandStack.push_back(list.release());
  }

  void clearOperands() {
    for (AST* a : operandStack) delete a;
    operandStack.clear();
  }

 public:
  CSPParserCallback* cb;
  Syntax preferredSyntax;
  ExpressionParser<DefaultASTFactory> exprParser;
  SymbolDictionnary symbolDict;
  int nextId[6];
  TagActionList tagList;
  std::deque<TagAction*> actionStack;
  std::deque<State> stateStack;
  UTF8String textLeft;
  VarTagAction* varTagAction = nullptr;
  DictTagAction* dictTagAction = nullptr;
  TagAction* unknownTagHandler = nullptr;
  std::deque<AST*> operandStack;
  std::vector<std::string> cumulative_dictOrder;
  std::vector<std::string> weightedSum_dictOrder;

  // Handlers the others refer to directly.
  PredicateTagAction* predicateTagAction = nullptr;
  ExpressionTagAction* expressionTagAction = nullptr;
  ConstraintTagAction* constraintTagAction = nullptr;
  ListTagAction* listTagAction = nullptr;
  IntegerConstantTagAction* integerTagAction = nullptr;
  // Lists and dictionaries currently open.
  int valueDepth = 0;
};

}  // namespace CSPXMLParser
