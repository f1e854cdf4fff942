#include "xcsp/ExpressionParser.h"

namespace CSPXMLParser {

std::string removeWhiteSpace(const std::string& s) {
  std::string r;
  r.reserve(s.size());
  for (char c : s)
    if (!std::isspace(static_cast<unsigned char>(c))) r.push_back(c);
  return r;
}

template class ExpressionParser<DefaultASTFactory>;

}  // namespace CSPXMLParser
