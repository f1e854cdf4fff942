// The string layer under the reader: UTF-8 decoding and encoding, the
// integer conversion, the tokenizer, searches and attribute lookup.

#include <gtest/gtest.h>

#include <sstream>

#include "xcsp/AttributeList.h"
#include "xcsp/UTF8String.h"

using namespace CSPXMLParser;

namespace {

std::string str(const UTF8String& s) {
  std::ostringstream o;
  o << s;
  return o.str();
}

void expectInvalid(const std::function<void()>& f, const char* what) {
  try {
    f();
    ADD_FAILURE() << "accepted " << what;
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ("invalid UTF8 character", e.what()) << what;
  }
}

TEST(UTF8Decoding, DecodesAndAdvancesByWholeCharacters) {
  struct Case {
    const char* bytes;
    int codePoint;
    int length;
  } cases[] = {
      {"A", 'A', 1},
      {"\x7F", 0x7F, 1},
      {"\xC2\x80", 0x80, 2},
      {"\xD0\xB0", 0x430, 2},
      {"\xE0\xA0\x80", 0x800, 3},
      {"\xE2\x82\xAC", 0x20AC, 3},
      {"\xED\x9F\xBF", 0xD7FF, 3},
      {"\xEF\xBF\xBF", 0xFFFF, 3},
      {"\xF0\x90\x80\x80", 0x10000, 4},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
  };
  for (const Case& c : cases) {
    UTF8String s(c.bytes);
    UTF8String::iterator it = s.begin();
    EXPECT_EQ(c.codePoint, *it) << c.bytes;
    ++it;
    EXPECT_EQ(c.length, it.getPointer() - s.beginPtr()) << c.bytes;
    EXPECT_TRUE(it == s.end());
    EXPECT_EQ(c.length, UTF8String::iterator::codeLength(static_cast<unsigned char>(c.bytes[0])));
  }
}

TEST(UTF8Decoding, RejectsMalformedSequences) {
  const char* bad[] = {
      "\x80",              // continuation byte first
      "\xBF",
      "\xC0\x80",          // over-long two-byte forms
      "\xC1\xBF",
      "\xE0\x9F\xBF",      // over-long three-byte form
      "\xED\xA0\x80",      // surrogate
      "\xED\xBF\xBF",
      "\xF0\x8F\xBF\xBF",  // over-long four-byte form
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
      "\xF5\x80\x80\x80",
      "\xFF",
      "\xC3\x28",          // following byte not a continuation
      "\xE2\x82",          // cut short by the end of the string
      "\xF0\x9F\x98",
  };
  for (const char* b : bad) expectInvalid([b] { *UTF8String(b).begin(); }, b);
}

TEST(UTF8Decoding, TruncatedRangeIsNotReadPast) {
  // The range ends inside the character although more bytes follow.
  const unsigned char bytes[] = {0xE2, 0x82, 0xAC, 0};
  UTF8String s(bytes, bytes + 2);
  expectInvalid([&s] { *s.begin(); }, "cut range");
  UTF8String::iterator it = s.begin();
  ++it;
  EXPECT_TRUE(it == s.end());
}

TEST(UTF8Encoding, AppendEncodesAndGrows) {
  UTF8String s;
  const int points[] = {'a', 0x7F, 0x80, 0x7FF, 0x800, 0x20AC, 0xFFFF, 0x10000, 0x10FFFF};
  for (int p : points) s.append(p);
  EXPECT_EQ("a\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xE2\x82\xAC\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
            str(s));
  std::vector<int> decoded;
  for (UTF8String::iterator it = s.begin(); it != s.end(); ++it) decoded.push_back(*it);
  EXPECT_EQ(std::vector<int>(std::begin(points), std::end(points)), decoded);

  // Well past the first 64-byte buffer.
  UTF8String big;
  std::string expected;
  for (int k = 0; k < 1000; ++k) {
    big.append('0' + k % 10);
    big.append(0x20AC);
    expected += static_cast<char>('0' + k % 10);
    expected += "\xE2\x82\xAC";
  }
  EXPECT_EQ(expected, str(big));
  big.clear();
  EXPECT_TRUE(big.empty());
  EXPECT_FALSE(big.isNull());
  big.append(UTF8String("x"));
  EXPECT_EQ("x", str(big));

  for (int p : {0xD800, 0xDFFF, 0x110000, -1})
    expectInvalid([p] { UTF8String t; t.append(p); }, std::to_string(p).c_str());
}

TEST(UTF8Encoding, AppendingAStringChecksIt) {
  UTF8String s;
  s.append(UTF8String("ab\xD0\xB0"));
  EXPECT_EQ("ab\xD0\xB0", str(s));
  expectInvalid([&s] { s.append(UTF8String("\xED\xA0\x80")); }, "surrogate");
  // A copy is a view: it neither owns nor frees the buffer.
  UTF8String view(s);
  EXPECT_EQ(str(s), str(view));
}

TEST(UTF8String, IntegerConversion) {
  struct Case {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"42", true, 42},       {" \t42\n ", true, 42}, {"-7", true, -7},
      {"+5", true, 5},        {"+", true, 0},         {"- ", true, 0},
      {"0", true, 0},         {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"4294967297", true, 1},  // wraps in 32 bits
      {"", false, 0},         {"   ", false, 0},      {"x", false, 0},
      {"4 2", false, 4},      {"12x", false, 12},     {"-3y", false, -3},
      {"--1", false, 0},      {"1.5", false, 1},
  };
  for (const Case& c : cases) {
    int v = 999;
    EXPECT_EQ(c.ok, UTF8String(c.text).to(v)) << '"' << c.text << '"';
    EXPECT_EQ(c.value, v) << '"' << c.text << '"';
  }
  int v;
  EXPECT_FALSE(UTF8String().to(v));
  // A NUL ends the text.
  const unsigned char withNul[] = {'1', '2', 0, '3'};
  EXPECT_TRUE(UTF8String(withNul, withNul + 4).to(v));
  EXPECT_EQ(12, v);
}

TEST(UTF8String, StringConversion) {
  std::string s = "left";
  EXPECT_FALSE(UTF8String().to(s));
  EXPECT_EQ("", s);
  EXPECT_TRUE(UTF8String("").to(s));
  EXPECT_EQ("", s);
  EXPECT_TRUE(UTF8String(" a b ").to(s));
  EXPECT_EQ(" a b ", s);
}

TEST(UTF8String, WhiteSpaceEmptinessAndOrder) {
  EXPECT_TRUE(UTF8String().isWhiteSpace());
  EXPECT_TRUE(UTF8String("").isWhiteSpace());
  EXPECT_TRUE(UTF8String(" \t\n\v\f\r").isWhiteSpace());
  EXPECT_FALSE(UTF8String(" x ").isWhiteSpace());
  EXPECT_FALSE(UTF8String("\xC2\xA0").isWhiteSpace());  // no-break space is not ASCII blank

  EXPECT_TRUE(UTF8String().isNull());
  EXPECT_TRUE(UTF8String().empty());
  EXPECT_TRUE(UTF8String("").empty());
  EXPECT_FALSE(UTF8String("").isNull());
  EXPECT_EQ(3, UTF8String("abc").byteLength());

  EXPECT_TRUE(UTF8String("abc") == UTF8String("abc"));
  EXPECT_TRUE(UTF8String("abc") != UTF8String("abd"));
  EXPECT_TRUE(UTF8String("ab") < UTF8String("abc"));
  EXPECT_FALSE(UTF8String("abc") < UTF8String("ab"));
  EXPECT_TRUE(UTF8String("B") < UTF8String("a"));
  EXPECT_TRUE(UTF8String("z") < UTF8String("\xC3\xA9"));
}

TEST(UTF8String, FindAndSubstrCountCharacters) {
  UTF8String s("\xC3\xA9t\xC3\xA9..10");
  EXPECT_EQ(3, s.find(UTF8String("..")));
  EXPECT_EQ(UTF8String::npos, s.find(UTF8String("...")));
  EXPECT_EQ(UTF8String::npos, UTF8String("1.").find(UTF8String("..")));
  EXPECT_EQ(0, UTF8String("..5").find(UTF8String("..")));
  EXPECT_EQ("\xC3\xA9t\xC3\xA9", str(s.substr(0, 3)));
  EXPECT_EQ("10", str(s.substr(5)));
  EXPECT_EQ("", str(s.substr(9)));
  EXPECT_EQ("t", str(s.substr(1, 1)));
}

TEST(Tokenizer, SplitsAtBlanksAndSeparators) {
  struct Case {
    const char* text;
    const char* tokens;  // joined by commas
  } cases[] = {
      {"1 2|3:4", "1,2,|,3,:,4"},
      {"  10 20 | 30 \n", "10,20,|,30"},
      {"||", "|,|"},
      {"a|b", "a,|,b"},
      {"\xC3\xA9|\xE2\x82\xAC x", "\xC3\xA9,|,\xE2\x82\xAC,x"},
      {"", ""},
      {" \t ", ""},
  };
  for (const Case& c : cases) {
    UTF8String::Tokenizer tok{UTF8String(c.text)};
    tok.addSeparator('|');
    tok.addSeparator(':');
    std::string joined;
    while (tok.hasMoreTokens()) {
      if (!joined.empty()) joined += ",";
      joined += str(tok.nextToken());
    }
    EXPECT_EQ(c.tokens, joined) << '"' << c.text << '"';
    EXPECT_TRUE(tok.nextToken().isNull());
  }
}

TEST(Tokenizer, NonAsciiSeparatorAndBadBytes) {
  UTF8String::Tokenizer tok{UTF8String("a\xE2\x82\xAC" "b")};
  tok.addSeparator(0x20AC);
  EXPECT_EQ("a", str(tok.nextToken()));
  EXPECT_EQ("\xE2\x82\xAC", str(tok.nextToken()));
  EXPECT_EQ("b", str(tok.nextToken()));
  EXPECT_FALSE(tok.hasMoreTokens());

  UTF8String::Tokenizer bad{UTF8String("1 \x80 2")};
  EXPECT_EQ("1", str(bad.nextToken()));
  expectInvalid([&bad] { bad.nextToken(); }, "lone continuation byte");
}

TEST(AttributeList, LooksUpByExactName) {
  const xmlChar* atts[] = {BAD_CAST "name", BAD_CAST "X", BAD_CAST "empty", BAD_CAST "",
                           BAD_CAST "name", BAD_CAST "second", nullptr};
  AttributeList list(atts);
  EXPECT_EQ(3, list.size());
  EXPECT_EQ("X", str(list["name"]));
  EXPECT_TRUE(list["nam"].isNull());
  EXPECT_TRUE(list["Name"].isNull());
  std::string s = "?";
  EXPECT_TRUE(list["empty"].to(s));
  EXPECT_EQ("", s);
  EXPECT_EQ("empty", str(list.getName(1)));
  EXPECT_EQ("second", str(list.getValue(2)));

  AttributeList none(nullptr);
  EXPECT_EQ(0, none.size());
  EXPECT_TRUE(none["name"].isNull());
}

}  // namespace
