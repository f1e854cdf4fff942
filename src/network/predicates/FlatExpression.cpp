#include "network/predicates/FlatExpression.h"

#include "network/predicates/Predicat.h"

namespace {

// Program operations.  The value on top of the stack is kept in a local
// (acc); a load pushes the previous top.  Each binary operation exists in
// three forms: both operands on the stack, right operand a constant (arg),
// right operand a parameter slot (ptr).
enum Op {
  END,
  LOADC,
  LOADV,
  CALL,
  NEG,
  ABS,
  NOT,
  TRUTH,
  DIVCHK,  // divisor in acc: zero gives 0, raises prob and jumps past
  DIVR,    // dividend in acc, divisor below
  MODR,
  DIVC,    // constant non-zero divisor
  MODC,
  JZ_AND,  // acc = 0: result 0, jump; otherwise drop it
  JNZ_OR,  // acc != 0: result 1, jump; otherwise drop it
  JZ_IF,   // pop the condition; jump to the else part when it is 0
  JMP,
  BIN  // BIN + 3 * k + form, k the index in kBinary
};

enum BinIndex { B_ADD, B_SUB, B_MUL, B_POW, B_MIN, B_MAX, B_EQ, B_NE, B_GE, B_GT, B_LE, B_LT,
                B_XOR, B_IFF, B_COUNT };

int binaryIndex(Expression* e) {
  if (dynamic_cast<Add*>(e)) return B_ADD;
  if (dynamic_cast<Sub*>(e)) return B_SUB;
  if (dynamic_cast<Mul*>(e)) return B_MUL;
  if (dynamic_cast<Pow*>(e)) return B_POW;
  if (dynamic_cast<Min*>(e)) return B_MIN;
  if (dynamic_cast<Max*>(e)) return B_MAX;
  if (dynamic_cast<Eq*>(e)) return B_EQ;
  if (dynamic_cast<Ne*>(e)) return B_NE;
  if (dynamic_cast<Ge*>(e)) return B_GE;
  if (dynamic_cast<Gt*>(e)) return B_GT;
  if (dynamic_cast<Le*>(e)) return B_LE;
  if (dynamic_cast<Lt*>(e)) return B_LT;
  if (dynamic_cast<Xor*>(e)) return B_XOR;
  if (dynamic_cast<Iff*>(e)) return B_IFF;
  return -1;
}

}  // namespace

Expression* FlatExpression::wrap(Expression* t) {
  if (dynamic_cast<ValueInt*>(t) || dynamic_cast<ValueIden*>(t)) return t;
  return new FlatExpression(t);
}

FlatExpression::FlatExpression(Expression* t) : tree(t) {
  emit(tree, 0);
  push(END, 0);
  stack.assign(static_cast<size_t>(maxDepth) + 2, 0);
}

FlatExpression::~FlatExpression() { delete tree; }

void FlatExpression::push(int op, int depth, int arg, int* ptr, Expression* node) {
  if (depth > maxDepth) maxDepth = depth;
  code.push_back(Instr{op, arg, ptr, node});
}

// Appends the code of e; depth is the number of values alive before it.
void FlatExpression::emit(Expression* e, int depth) {
  const int here = depth + 1;
  if (auto* c = dynamic_cast<ValueInt*>(e)) return push(LOADC, here, c->val);
  if (auto* v = dynamic_cast<ValueIden*>(e)) return push(LOADV, here, 0, v->adrv);
  if (dynamic_cast<True*>(e)) return push(LOADC, here, 1);
  if (dynamic_cast<False*>(e)) return push(LOADC, here, 0);
  if (auto* f = dynamic_cast<FlatExpression*>(e)) return emit(f->tree, depth);
  if (auto* n = dynamic_cast<Neg*>(e)) {
    emit(n->expr, depth);
    return push(NEG, here);
  }
  if (auto* n = dynamic_cast<Abs*>(e)) {
    emit(n->expr, depth);
    return push(ABS, here);
  }
  if (auto* n = dynamic_cast<Not*>(e)) {
    emit(n->expr1, depth);
    return push(NOT, here);
  }
  const bool isDiv = dynamic_cast<Div*>(e) != nullptr;
  if (isDiv || dynamic_cast<Mod*>(e)) {
    auto* b = static_cast<BinaryExpression*>(e);
    auto* k = dynamic_cast<ValueInt*>(b->expr2);
    if (k && k->val != 0) {
      emit(b->expr1, depth);
      return push(isDiv ? DIVC : MODC, here, k->val);
    }
    emit(b->expr2, depth);
    size_t chk = code.size();
    push(DIVCHK, here);
    emit(b->expr1, here);
    push(isDiv ? DIVR : MODR, here);
    code[chk].arg = static_cast<int>(code.size());
    return;
  }
  const bool isAnd = dynamic_cast<And*>(e) != nullptr;
  if (isAnd || dynamic_cast<Or*>(e)) {
    auto* b = static_cast<BinaryExpression*>(e);
    emit(b->expr1, depth);
    size_t j = code.size();
    push(isAnd ? JZ_AND : JNZ_OR, here);
    emit(b->expr2, depth);
    if (!b->expr2->isBoolean()) push(TRUTH, here);
    code[j].arg = static_cast<int>(code.size());
    return;
  }
  if (auto* i = dynamic_cast<If*>(e)) {
    emit(i->expr1, depth);
    size_t j1 = code.size();
    push(JZ_IF, here);
    emit(i->expr2, depth);
    size_t j2 = code.size();
    push(JMP, here);
    code[j1].arg = static_cast<int>(code.size());
    emit(i->expr3, depth);
    code[j2].arg = static_cast<int>(code.size());
    return;
  }
  int k = binaryIndex(e);
  if (k >= 0) {
    auto* b = static_cast<BinaryExpression*>(e);
    emit(b->expr1, depth);
    if (auto* c = dynamic_cast<ValueInt*>(b->expr2)) return push(BIN + 3 * k + 1, here, c->val);
    if (auto* v = dynamic_cast<ValueIden*>(b->expr2))
      return push(BIN + 3 * k + 2, here, 0, v->adrv);
    emit(b->expr2, here);
    return push(BIN + 3 * k, here);
  }
  // A node of another kind: evaluated through its own eval().
  push(CALL, here, 0, nullptr, e);
}

int FlatExpression::eval() {
  const Instr* const base = code.data();
  int* st = stack.data();
  int sp = 0;
  int acc = 0;
  for (const Instr* ip = base;; ++ip) {
    switch (ip->op) {
      case END:
        return acc;
      case LOADC:
        st[sp++] = acc;
        acc = ip->arg;
        break;
      case LOADV:
        st[sp++] = acc;
        acc = *ip->ptr;
        break;
      case CALL:
        st[sp++] = acc;
        acc = ip->node->eval();
        break;
      case NEG:
        acc = ExprArith::neg(acc);
        break;
      case ABS:
        acc = ExprArith::abs(acc);
        break;
      case NOT:
        acc = acc == 0;
        break;
      case TRUTH:
        acc = acc != 0;
        break;
      case DIVCHK:
        if (acc == 0) {
          Predicat::prob = true;
          ip = base + ip->arg - 1;
        }
        break;
      case DIVR:
        acc = ExprArith::div(acc, st[--sp]);
        break;
      case MODR:
        acc = ExprArith::mod(acc, st[--sp]);
        break;
      case DIVC:
        acc = ExprArith::div(acc, ip->arg);
        break;
      case MODC:
        acc = ExprArith::mod(acc, ip->arg);
        break;
      case JZ_AND:
        if (acc == 0)
          ip = base + ip->arg - 1;
        else
          acc = st[--sp];
        break;
      case JNZ_OR:
        if (acc != 0) {
          acc = 1;
          ip = base + ip->arg - 1;
        } else {
          acc = st[--sp];
        }
        break;
      case JZ_IF: {
        int c = acc;
        acc = st[--sp];
        if (c == 0) ip = base + ip->arg - 1;
        break;
      }
      case JMP:
        ip = base + ip->arg - 1;
        break;
#define VANTOR_FLAT_BIN(K, EXPR)          \
  case BIN + 3 * K: {                     \
    int b = acc;                          \
    int a = st[--sp];                     \
    acc = (EXPR);                         \
    break;                                \
  }                                       \
  case BIN + 3 * K + 1: {                 \
    int a = acc;                          \
    int b = ip->arg;                      \
    acc = (EXPR);                         \
    break;                                \
  }                                       \
  case BIN + 3 * K + 2: {                 \
    int a = acc;                          \
    int b = *ip->ptr;                     \
    acc = (EXPR);                         \
    break;                                \
  }
        VANTOR_FLAT_BIN(B_ADD, ExprArith::add(a, b))
        VANTOR_FLAT_BIN(B_SUB, ExprArith::sub(a, b))
        VANTOR_FLAT_BIN(B_MUL, ExprArith::mul(a, b))
        VANTOR_FLAT_BIN(B_POW, ExprArith::pow(a, b))
        VANTOR_FLAT_BIN(B_MIN, ExprArith::min(a, b))
        VANTOR_FLAT_BIN(B_MAX, ExprArith::max(a, b))
        VANTOR_FLAT_BIN(B_EQ, a == b)
        VANTOR_FLAT_BIN(B_NE, a != b)
        VANTOR_FLAT_BIN(B_GE, a >= b)
        VANTOR_FLAT_BIN(B_GT, a > b)
        VANTOR_FLAT_BIN(B_LE, a <= b)
        VANTOR_FLAT_BIN(B_LT, a < b)
        VANTOR_FLAT_BIN(B_XOR, (a != 0) != (b != 0))
        VANTOR_FLAT_BIN(B_IFF, (a != 0) == (b != 0))
#undef VANTOR_FLAT_BIN
      default:
        return acc;
    }
  }
}
