#include "network/predicates/Predicat.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <stdexcept>

bool Predicat::prob = false;
bool Predicat::powOverflow = false;

namespace {

// Deeper nesting would exhaust the stack in the recursive walks.
const int kMaxDepth = 1000;

int arityOf(Predicat::TOKEN_ID id) {
  switch (id) {
    case Predicat::INTEGER:
    case Predicat::IDENTIFIER:
    case Predicat::TRUE:
    case Predicat::FALSE:
      return 0;
    case Predicat::NEG:
    case Predicat::ABS:
    case Predicat::NOT:
      return 1;
    case Predicat::IF:
      return 3;
    default:
      return 2;
  }
}

Expression* makeNode(Predicat::TOKEN_ID id, Expression** a) {
  switch (id) {
    case Predicat::NEG: return new Neg(a[0]);
    case Predicat::ABS: return new Abs(a[0]);
    case Predicat::NOT: return new Not(a[0]);
    case Predicat::ADD: return new Add(a[0], a[1]);
    case Predicat::SUB: return new Sub(a[0], a[1]);
    case Predicat::MUL: return new Mul(a[0], a[1]);
    case Predicat::DIV: return new Div(a[0], a[1]);
    case Predicat::MOD: return new Mod(a[0], a[1]);
    case Predicat::POW: return new Pow(a[0], a[1]);
    case Predicat::MIN: return new Min(a[0], a[1]);
    case Predicat::MAX: return new Max(a[0], a[1]);
    case Predicat::AND: return new And(a[0], a[1]);
    case Predicat::OR: return new Or(a[0], a[1]);
    case Predicat::XOR: return new Xor(a[0], a[1]);
    case Predicat::IFF: return new Iff(a[0], a[1]);
    case Predicat::EQ: return new Eq(a[0], a[1]);
    case Predicat::NE: return new Ne(a[0], a[1]);
    case Predicat::GE: return new Ge(a[0], a[1]);
    case Predicat::GT: return new Gt(a[0], a[1]);
    case Predicat::LE: return new Le(a[0], a[1]);
    case Predicat::LT: return new Lt(a[0], a[1]);
    case Predicat::IF: return new If(a[0], a[1], a[2]);
    default: return nullptr;
  }
}

// Recursive-descent reading of the upper-cased prefix text: a token runs to
// the next "(", "," or ")"; a token followed by "(" is a call whose
// arguments are separated by commas at its own nesting depth.
class PrefixReader {
 public:
  // text is upper-cased; orig is the same text as written, for messages.
  PrefixReader(const std::string& text, const std::string& orig, int nbParams)
      : s(text), orig(orig), nbParams(nbParams) {}

  Expression* read() {
    if (s.empty()) fail("empty expression");
    Expression* e = term(0);
    if (pos != s.size()) {
      delete e;
      fail(s[pos] == ')' ? "unbalanced parentheses" : "unexpected text after the expression");
    }
    return e;
  }

 private:
  const std::string& s;
  const std::string& orig;
  int nbParams;
  size_t pos = 0;

  [[noreturn]] void fail(const std::string& why) const {
    throw std::runtime_error("malformed predicate expression \"" + orig + "\": " + why);
  }

  Expression* term(int depth) {
    if (depth > kMaxDepth) fail("expression nested too deeply");
    size_t start = pos;
    while (pos < s.size() && s[pos] != '(' && s[pos] != ',' && s[pos] != ')') ++pos;
    std::string tok = s.substr(start, pos - start);
    const std::string written = orig.substr(start, pos - start);
    if (tok.empty()) fail("missing argument");
    Predicat::TOKEN_ID id = Predicat::tokenToString(tok.c_str());
    int ar = arityOf(id);
    const bool call = pos < s.size() && s[pos] == '(';
    if (!call) {
      if (ar > 0) fail("missing arguments of " + written);
      return leaf(id, tok, written);
    }
    if (ar == 0) {
      if (id == Predicat::TRUE || id == Predicat::FALSE) fail(written + " takes no argument");
      fail("unknown function " + written);
    }
    ++pos;  // "("
    std::unique_ptr<Expression> args[3];
    for (int i = 0; i < ar; ++i) {
      if (i > 0) {
        if (pos >= s.size()) fail("unbalanced parentheses");
        if (s[pos] != ',') fail("too few arguments for " + written);
        ++pos;
      }
      args[i].reset(term(depth + 1));
    }
    if (pos >= s.size()) fail("unbalanced parentheses");
    if (s[pos] != ')') fail("too many arguments for " + written);
    ++pos;
    Expression* raw[3];
    for (int i = 0; i < 3; ++i) raw[i] = args[i].release();
    return makeNode(id, raw);
  }

  Expression* leaf(Predicat::TOKEN_ID id, const std::string& tok, const std::string& written) {
    switch (id) {
      case Predicat::TRUE: return new True();
      case Predicat::FALSE: return new False();
      case Predicat::INTEGER: {
        errno = 0;
        char* end = nullptr;
        long v = std::strtol(tok.c_str(), &end, 10);
        if (*end != '\0' || end == tok.c_str() || errno == ERANGE || v < INT_MIN || v > INT_MAX)
          fail("bad integer " + written);
        return new ValueInt(static_cast<int>(v));
      }
      default: {
        size_t d = tok.find('$');
        if (d == std::string::npos)
          fail("unknown identifier " + written + " (a parameter is written name/$position)");
        const char* p = tok.c_str() + d + 1;
        if (*p < '0' || *p > '9') fail("bad parameter position in " + written);
        errno = 0;
        char* end = nullptr;
        long v = std::strtol(p, &end, 10);
        if (*end != '\0' || errno == ERANGE) fail("bad parameter position in " + written);
        if (v >= nbParams)
          fail("parameter " + written + " beyond the " + std::to_string(nbParams) +
               " formal parameters");
        return new ValueIden(static_cast<int>(v));
      }
    }
  }
};

}  // namespace

Predicat::TOKEN_ID Predicat::tokenToString(const char* tok) {
  static const struct {
    const char* text;
    TOKEN_ID id;
  } keywords[] = {{"NEG", NEG}, {"ABS", ABS},     {"ADD", ADD},   {"SUB", SUB}, {"MUL", MUL},
                  {"DIV", DIV}, {"MOD", MOD},     {"POW", POW},   {"MIN", MIN}, {"MAX", MAX},
                  {"IF", IF},   {"FALSE", FALSE}, {"TRUE", TRUE}, {"NOT", NOT}, {"AND", AND},
                  {"OR", OR},   {"XOR", XOR},     {"IFF", IFF},   {"EQ", EQ},   {"NE", NE},
                  {"GE", GE},   {"GT", GT},       {"LE", LE},     {"LT", LT}};
  for (const auto& k : keywords)
    if (std::strcmp(tok, k.text) == 0) return k.id;
  if (tok[0] == '-' || (tok[0] >= '0' && tok[0] <= '9')) return INTEGER;
  return IDENTIFIER;
}

Expression* Predicat::createFormule(const std::string& expr, int nbParams) {
  // Names are matched in upper case (parameter names included).
  std::string up(expr);
  for (char& c : up)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return PrefixReader(up, expr, nbParams).read();
}

Predicat::Predicat(const std::string& expr, int nbA, std::string n, std::vector<std::string>& p)
    : formuleInit(nullptr),
      name(std::move(n)),
      params(p),
      nbParams(static_cast<int>(p.size()) > nbA ? static_cast<int>(p.size()) : nbA) {
  type = 3;
  initFormule(expr);
}

Predicat::~Predicat() {
  delete formuleInit;
  delete bound;
}

void Predicat::initFormule(const std::string& expr) {
  Expression* e = createFormule(expr, nbParams);
  delete formuleInit;
  delete bound;
  bound = nullptr;
  formuleInit = e;
}

void Predicat::buildBound() {
  const size_t n = static_cast<size_t>(nbParams);
  tupleVal.assign(n, 0);
  tupleOK.reset(new bool[n]());
  std::vector<int*> vals(n);
  std::vector<bool*> oks(n);
  for (size_t i = 0; i < n; ++i) {
    vals[i] = &tupleVal[i];
    oks[i] = &tupleOK[i];
  }
  bound = formuleInit->compile(vals.data(), oks.data());
}

bool Predicat::isTuple(int* t) {
  if (nbParams == 0) return formuleInit->eval() != 0;
  if (!bound) buildBound();
  for (size_t i = 0; i < tupleVal.size(); ++i) tupleVal[i] = t[i];
  return bound->eval() != 0;
}

void Predicat::aff() { formuleInit->aff(); }
