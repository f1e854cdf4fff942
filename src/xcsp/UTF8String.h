#pragma once
// A range of UTF-8 bytes, either borrowed (pointing into memory owned by
// someone else, typically libxml2's buffers) or owning a buffer of its own.
// The reader works on these views to avoid copying text into std::string.

#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace CSPXMLParser {

class UTF8String {
 public:
  typedef unsigned char Byte;

  // Result of a failed search.
  static constexpr int npos = 2147483647;

  // ASCII white space: space, or a byte from 9 to 13.
  static bool isSpaceByte(Byte c) { return c == ' ' || (c >= 9 && c <= 13); }

  [[noreturn]] static void invalidCharacter() {
    throw std::runtime_error("invalid UTF8 character");
  }

  // One character position.  `lim` bounds every read so that a truncated
  // sequence at the end of a range is reported instead of read past.
  class iterator {
   public:
    iterator() : p(nullptr), lim(nullptr) {}
    iterator(const Byte* ptr, const Byte* limit) : p(ptr), lim(limit) {}

    // Byte length of a character from its first byte.
    static int codeLength(int firstByte) {
      if (firstByte < 0x80) return 1;
      if (firstByte < 0xC2) invalidCharacter();
      if (firstByte < 0xE0) return 2;
      if (firstByte < 0xF0) return 3;
      if (firstByte < 0xF5) return 4;
      invalidCharacter();
    }

    // Decodes the current character (RFC 3629 checks).
    int operator*() const {
      if (p >= lim) return 0;
      int c = *p;
      if (c < 0x80) return c;
      return decodeMulti();
    }

    // Advances by one character, looking only at the first byte.
    iterator& operator++() {
      if (p >= lim) return *this;
      int len = (*p < 0x80) ? 1 : codeLength(*p);
      p = (lim - p < len) ? lim : p + len;
      return *this;
    }

    bool operator==(const iterator& o) const { return p == o.p; }
    bool operator!=(const iterator& o) const { return p != o.p; }

    const Byte* getPointer() const { return p; }

   private:
    int decodeMulti() const;

    const Byte* p;
    const Byte* lim;
  };

  // Splits a text at ASCII white space; separator characters form tokens of
  // their own.
  class Tokenizer {
   public:
    explicit Tokenizer(const UTF8String& s);

    void addSeparator(int ch);
    bool hasMoreTokens() const { return it.getPointer() < end.getPointer() && *it.getPointer() != 0; }

    UTF8String nextToken() {
      if (!hasMoreTokens()) return UTF8String();
      const Byte* e = end.getPointer();
      const Byte* start = it.getPointer();
      const Byte* q = start;
      if (*q < 0x80) {
        // A separator, or an ASCII run up to a blank, a separator or a NUL.
        if (kind[*q] == SEPARATOR) {
          ++q;
        } else {
          ++q;
          while (q < e && *q < 0x80 && kind[*q] == OTHER) ++q;
          if (q < e && *q >= 0x80) q = wideToken(q, false);
        }
      } else {
        q = wideToken(q, true);
      }
      UTF8String token(start, q);
      while (q < e && isSpaceByte(*q)) ++q;
      it = iterator(q, e);
      return token;
    }

   private:
    enum ByteKind : unsigned char { OTHER = 0, STOP = 1, SEPARATOR = 2 };

    const Byte* wideToken(const Byte* q, bool atStart) const;
    bool isWideSeparator(const Byte* q) const;

    iterator it, end;
    std::vector<int> separators;
    // Class of each ASCII byte: white space and NUL end a token, ASCII
    // separators are tokens of their own.
    unsigned char kind[128];
    bool wideSep;
  };

  UTF8String() : _beg(nullptr), _end(nullptr), allocated(0) {}
  UTF8String(const Byte* b, const Byte* e) : _beg(b), _end(e), allocated(0) {}
  UTF8String(const Byte* s) : _beg(s), _end(nullptr), allocated(0) {}
  UTF8String(const char* s)
      : _beg(reinterpret_cast<const Byte*>(s)), _end(nullptr), allocated(0) {}

  // A copy is a view on the same bytes: it never owns them.
  UTF8String(const UTF8String& o) : _beg(o._beg), _end(o.knownEnd()), allocated(0) {}
  UTF8String& operator=(const UTF8String& o) {
    if (this != &o) {
      release();
      _beg = o._beg;
      _end = o.knownEnd();
    }
    return *this;
  }
  ~UTF8String() { release(); }

  bool isNull() const { return _beg == nullptr; }
  bool empty() const { return _beg == nullptr || _beg == endPtr() || *_beg == 0; }
  int byteLength() const { return _beg ? static_cast<int>(endPtr() - _beg) : 0; }

  // Empties the string, keeping an owned buffer.
  void clear() {
    _end = _beg;
  }

  iterator begin() const { return iterator(_beg, endPtr()); }
  iterator end() const { const Byte* e = endPtr(); return iterator(e, e); }

  // Raw byte range (the end stops at a NUL byte, if any, only through the
  // operations that look for it).
  const Byte* beginPtr() const { return _beg; }
  const Byte* endPtr() const {
    if (_end == nullptr && _beg != nullptr) _end = _beg + std::strlen(reinterpret_cast<const char*>(_beg));
    return _end;
  }

  // Appends one code point (encoded) into the owned buffer.
  void append(int ch);
  // Appends every character of another string, re-encoding (and so
  // checking) each.
  void append(const UTF8String& s);

  // True when every byte is ASCII white space (empty and null strings too).
  bool isWhiteSpace() const;

  // Position in characters of the first occurrence of sub, or npos.
  int find(const UTF8String& sub) const;
  // At most count characters from character position pos.
  UTF8String substr(int pos, int count = npos) const;

  bool operator==(const UTF8String& o) const { return compare(o) == 0; }
  bool operator!=(const UTF8String& o) const { return compare(o) != 0; }
  bool operator<(const UTF8String& o) const { return compare(o) < 0; }

  template <class T>
  bool to(T& out) const;

 private:
  friend class Tokenizer;

  const Byte* knownEnd() const { return _beg ? endPtr() : nullptr; }
  int compare(const UTF8String& o) const;
  void release() {
    if (allocated) delete[] const_cast<Byte*>(_beg);
    allocated = 0;
  }
  void reserveFor(int extra);

  const Byte* _beg;
  mutable const Byte* _end;
  int allocated;
};

// Conversion to std::string: fails on the null string; stops at a NUL.
template <>
bool UTF8String::to<std::string>(std::string& out) const;
// Integer conversion: blanks around an optional sign and decimal digits,
// accumulated in wrapping 32-bit arithmetic.  `out` holds the value read so
// far even when the text is not an integer.
template <>
inline bool UTF8String::to<int>(int& out) const {
  out = 0;
  if (_beg == nullptr) return false;
  const Byte* q = _beg;
  const Byte* e = endPtr();
  while (q < e && isSpaceByte(*q)) ++q;
  if (q == e || *q == 0) return false;
  bool neg = false;
  if (*q == '+' || *q == '-') {
    neg = (*q == '-');
    ++q;
  }
  unsigned v = 0;
  while (q < e && static_cast<unsigned>(*q - '0') < 10u) {
    v = v * 10u + static_cast<unsigned>(*q - '0');
    ++q;
  }
  out = static_cast<int>(neg ? 0u - v : v);
  if (q == e) return true;
  while (q < e && isSpaceByte(*q)) ++q;
  return q == e || *q == 0;
}

std::ostream& operator<<(std::ostream& os, const UTF8String& s);

}  // namespace CSPXMLParser
