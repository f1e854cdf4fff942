#include "xcsp/UTF8String.h"

namespace CSPXMLParser {

int UTF8String::iterator::decodeMulti() const {
  int c = *p;
  int len = codeLength(c);
  if (lim - p < len) invalidCharacter();
  int cp = c & (len == 2 ? 0x1F : len == 3 ? 0x0F : 0x07);
  for (int k = 1; k < len; ++k) {
    int b = p[k];
    if (b < 0x80 || b > 0xBF) invalidCharacter();
    cp = (cp << 6) | (b & 0x3F);
  }
  int b1 = p[1];
  if ((c == 0xE0 && b1 < 0xA0) ||   // over-long three-byte form
      (c == 0xED && b1 >= 0xA0) ||  // surrogates
      (c == 0xF0 && b1 < 0x90) ||   // over-long four-byte form
      (c == 0xF4 && b1 >= 0x90))    // beyond U+10FFFF
    invalidCharacter();
  return cp;
}

UTF8String::Tokenizer::Tokenizer(const UTF8String& s)
    : it(s.begin()), end(s.end()), wideSep(false) {
  for (int c = 0; c < 128; ++c) kind[c] = (c == 0 || isSpaceByte(static_cast<Byte>(c))) ? STOP : OTHER;
  const Byte* q = it.getPointer();
  const Byte* e = end.getPointer();
  while (q < e && isSpaceByte(*q)) ++q;
  it = iterator(q, e);
}

void UTF8String::Tokenizer::addSeparator(int ch) {
  separators.push_back(ch);
  if (ch >= 0 && ch < 128) kind[ch] = SEPARATOR;
  else wideSep = true;
}

bool UTF8String::Tokenizer::isWideSeparator(const Byte* q) const {
  if (!wideSep) return false;
  int cp = *iterator(q, end.getPointer());
  for (int s : separators)
    if (s == cp) return true;
  return false;
}

// Continues a token at q, a non-ASCII character; atStart when q begins it
// (a separator there is the whole token).
const UTF8String::Byte* UTF8String::Tokenizer::wideToken(const Byte* q, bool atStart) const {
  const Byte* e = end.getPointer();
  while (q < e) {
    Byte c = *q;
    if (c < 0x80) {
      if (kind[c] != OTHER) return q;
      ++q;
      continue;
    }
    int len = iterator::codeLength(c);
    const Byte* next = (e - q < len) ? e : q + len;
    if (isWideSeparator(q)) return atStart ? next : q;
    q = next;
    atStart = false;
  }
  return q;
}

void UTF8String::reserveFor(int extra) {
  int used = allocated ? static_cast<int>(_end - _beg) : byteLength();
  if (allocated && allocated - used >= extra) return;
  int size = allocated ? allocated : 64;
  while (size - used < extra) size *= 2;
  if (size == allocated) return;
  Byte* buf = new Byte[size];
  if (used) std::memcpy(buf, _beg, used);
  release();
  _beg = buf;
  _end = buf + used;
  allocated = size;
}

void UTF8String::append(int ch) {
  // Grow by doubling whenever fewer than 4 bytes are free.
  reserveFor(4);
  Byte* q = const_cast<Byte*>(_end);
  if (ch < 0) invalidCharacter();
  if (ch < 0x80) {
    *q++ = static_cast<Byte>(ch);
  } else if (ch < 0x800) {
    *q++ = static_cast<Byte>(0xC0 | (ch >> 6));
    *q++ = static_cast<Byte>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    if (ch >= 0xD800 && ch <= 0xDFFF) invalidCharacter();
    *q++ = static_cast<Byte>(0xE0 | (ch >> 12));
    *q++ = static_cast<Byte>(0x80 | ((ch >> 6) & 0x3F));
    *q++ = static_cast<Byte>(0x80 | (ch & 0x3F));
  } else if (ch <= 0x10FFFF) {
    *q++ = static_cast<Byte>(0xF0 | (ch >> 18));
    *q++ = static_cast<Byte>(0x80 | ((ch >> 12) & 0x3F));
    *q++ = static_cast<Byte>(0x80 | ((ch >> 6) & 0x3F));
    *q++ = static_cast<Byte>(0x80 | (ch & 0x3F));
  } else {
    invalidCharacter();
  }
  _end = q;
}

void UTF8String::append(const UTF8String& s) {
  if (s.isNull()) return;
  const Byte* q = s._beg;
  const Byte* e = s.endPtr();
  while (q < e && *q != 0) {
    // ASCII runs are copied as they are; other characters are decoded and
    // re-encoded, which checks them.
    const Byte* r = q;
    while (r < e && *r != 0 && *r < 0x80) ++r;
    if (r > q) {
      int n = static_cast<int>(r - q);
      reserveFor(n + 4);
      std::memcpy(const_cast<Byte*>(_end), q, n);
      _end += n;
      q = r;
      continue;
    }
    if (*q == 0) break;
    iterator i(q, e);
    append(*i);
    ++i;
    q = i.getPointer();
  }
}

bool UTF8String::isWhiteSpace() const {
  if (_beg == nullptr) return true;
  const Byte* e = endPtr();
  for (const Byte* q = _beg; q < e && *q != 0; ++q)
    if (!isSpaceByte(*q)) return false;
  return true;
}

int UTF8String::find(const UTF8String& sub) const {
  if (_beg == nullptr) return npos;
  const Byte* e = endPtr();
  const Byte* sb = sub._beg;
  const Byte* se = sub.knownEnd();
  if (sb == nullptr || sb == se || *sb == 0) return 0;
  int pos = 0;
  for (iterator i(_beg, e); i.getPointer() < e && *i.getPointer() != 0; ++i, ++pos) {
    if (*i.getPointer() != *sb) continue;
    const Byte* a = i.getPointer();
    const Byte* b = sb;
    while (b < se && *b != 0 && a < e && *a == *b) {
      ++a;
      ++b;
    }
    if (b == se || *b == 0) return pos;
    if (a == e) return npos;
  }
  return npos;
}

UTF8String UTF8String::substr(int pos, int count) const {
  if (_beg == nullptr) return UTF8String();
  const Byte* e = endPtr();
  iterator i(_beg, e);
  for (int k = 0; k < pos && i.getPointer() < e; ++k) ++i;
  const Byte* start = i.getPointer();
  for (int k = 0; k < count && i.getPointer() < e; ++k) ++i;
  return UTF8String(start, i.getPointer());
}

int UTF8String::compare(const UTF8String& o) const {
  const Byte* a = _beg;
  const Byte* ae = knownEnd();
  const Byte* b = o._beg;
  const Byte* be = o.knownEnd();
  size_t la = a ? static_cast<size_t>(ae - a) : 0;
  size_t lb = b ? static_cast<size_t>(be - b) : 0;
  size_t n = la < lb ? la : lb;
  int r = n ? std::memcmp(a, b, n) : 0;
  if (r != 0) return r;
  return la < lb ? -1 : (la > lb ? 1 : 0);
}

template <>
bool UTF8String::to<std::string>(std::string& out) const {
  out.clear();
  if (_beg == nullptr) return false;
  const Byte* e = endPtr();
  const Byte* q = _beg;
  while (q < e && *q != 0) ++q;
  out.assign(reinterpret_cast<const char*>(_beg), q - _beg);
  return true;
}

std::ostream& operator<<(std::ostream& os, const UTF8String& s) {
  if (!s.isNull())
    os.write(reinterpret_cast<const char*>(s.beginPtr()), s.endPtr() - s.beginPtr());
  return os;
}

}  // namespace CSPXMLParser
