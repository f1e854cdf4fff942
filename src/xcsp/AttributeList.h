#pragma once
// The attributes of one element as libxml2's SAX version-1 interface hands
// them over: name, value, name, value, ..., terminated by a null pointer.

#include <libxml/xmlstring.h>

#include "xcsp/UTF8String.h"

namespace CSPXMLParser {

class AttributeList {
 public:
  // `atts` may be null for an element without attributes.
  explicit AttributeList(const xmlChar** atts = nullptr) : n(0), list(atts) {
    if (list)
      while (list[2 * n] != nullptr) ++n;
  }

  int size() const { return n; }

  // Value of the first attribute of that name, or the null string.
  UTF8String operator[](const char* name) const {
    const xmlChar* key = reinterpret_cast<const xmlChar*>(name);
    for (int i = 0; i < n; ++i)
      if (xmlStrEqual(list[2 * i], key)) return UTF8String(valueBytes(i));
    return UTF8String();
  }

  UTF8String getName(int i) const { return UTF8String(static_cast<const UTF8String::Byte*>(list[2 * i])); }
  UTF8String getValue(int i) const { return UTF8String(valueBytes(i)); }

 private:
  // libxml2 may give a null value; it reads as an empty attribute.
  const UTF8String::Byte* valueBytes(int i) const {
    const xmlChar* v = list[2 * i + 1];
    return v ? v : reinterpret_cast<const xmlChar*>("");
  }

  int n;
  const xmlChar** list;
};

}  // namespace CSPXMLParser
