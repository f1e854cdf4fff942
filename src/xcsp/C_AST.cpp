#include "xcsp/C_AST.h"

#include <cstdlib>

namespace CSPXMLParser {

void deleteCTree(C_AST* tree) {
  if (!tree) return;
  switch (tree->type) {
    case VAR:
      std::free(reinterpret_cast<C_AST_VarNode*>(tree)->varName);
      break;
    case LIST: {
      C_AST_ListNode* l = reinterpret_cast<C_AST_ListNode*>(tree);
      for (int i = 0; i < l->size; ++i) deleteCTree(l->items[i]);
      std::free(l->items);
      break;
    }
    case DICT: {
      C_AST_DictNode* d = reinterpret_cast<C_AST_DictNode*>(tree);
      for (int i = 0; i < d->size; ++i) {
        std::free(d->items[i].key);
        deleteCTree(d->items[i].value);
      }
      std::free(d->items);
      break;
    }
    default:
      if (tree->type >= F_NEG && tree->type <= F_IFF) {
        C_AST_FxNode* f = reinterpret_cast<C_AST_FxNode*>(tree);
        for (int i = 0; i < f->nbarg; ++i) deleteCTree(f->args[i]);
        std::free(f->args);
      }
      break;
  }
  std::free(tree);
}

}  // namespace CSPXMLParser
