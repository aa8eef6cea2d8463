#include "common/sjis_string.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SjisString, LeadBytes) {
  for (int b = 0; b < 256; ++b) {
    bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    EXPECT_EQ(lead ? 1 : 0, IsSjisLeadByte(static_cast<unsigned char>(b))) << b;
  }
}

TEST(SjisString, FindLastSkipsTrailBytesEqualToSeparator) {
  // "表示\ソ\x" : 表 = 95 5C, ソ = 83 5C; only the two real '\' count.
  const char path[] = "\x95\x5C\x8E\xA6\\\x83\x5C\\x";
  const char* found = StrFindLast(path, '\\');
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(7, found - path);
  EXPECT_EQ(nullptr, StrFindLast("\x95\x5C\x83\x5C", '\\'));
  EXPECT_EQ(nullptr, StrFindLast("", '\\'));
  // A lead byte right before the NUL ends the string there.
  const char truncated[] = "a\\b\x95";
  EXPECT_EQ(truncated + 1, StrFindLast(truncated, '\\'));
}

TEST(SjisString, EqualNoCase) {
  struct Case {
    const char* a;
    const char* b;
    int equal;
  };
  const Case cases[] = {
      {"BgSet", "BGSET", 1},
      {"bgset", "BgSet", 1},
      {"BgSet", "BgSe", 0},
      {"BgSe", "BgSet", 0},
      {"", "", 1},
      {"\x82\x60", "\x82\x60", 1},   // Ａ == Ａ
      {"\x82\x60", "\x82\x81", 0},   // Ａ != ａ: full-width letters keep their case
      {"x\x95\x5C", "X\x95\x5C", 1},
      {"g_a", "G_A", 1},
      {"a\x95", "a\x95", 1},         // lead byte before the NUL
      {"a\x95", "a\x95X", 0},
      {"@[", "`{", 0},               // only a-z fold
  };
  for (const Case& c : cases) EXPECT_EQ(c.equal, StrEqualNoCase(c.a, c.b)) << c.a << " / " << c.b;
}

TEST(SjisString, CopyToken) {
  struct Case {
    const char* src;
    const char* delimiters;
    int skipBlanks;
    const char* token;
    std::size_t stop;
  };
  const Case cases[] = {
      {"\"a, b\",c", ",>", 1, "a, b", 6},
      {"BgSet bg01,1>", ",>", 1, "BgSetbg01", 10},
      {"BgSet bg01,1>", ",>", 0, "BgSet bg01", 10},
      {"a\r\nb,c", ",", 1, "ab", 4},
      {"a\rb", ",", 1, "a\rb", 3},
      {"\"open, to end", ",", 1, "open, to end", 13},
      {"\"\",x", ",", 1, "", 2},
      {",x", ",", 1, "", 0},
      {"\x95\x5C\x83,", ",", 0, "\x95\x5C\x83", 3},  // delimiters are single bytes
  };
  for (const Case& c : cases) {
    char token[64];
    const char* stop = StrCopyToken(c.src, token, sizeof token, c.delimiters, c.skipBlanks);
    EXPECT_STREQ(c.token, token) << c.src;
    EXPECT_EQ(c.stop, static_cast<std::size_t>(stop - c.src)) << c.src;
  }
}

TEST(SjisString, CopyTokenCutsToCapacityButStopsAtTheDelimiter) {
  char token[4];
  const char src[] = "abcdefgh,rest";
  const char* stop = StrCopyToken(src, token, sizeof token, ",", 0);
  EXPECT_STREQ("abc", token);
  EXPECT_EQ(',', *stop);
}

TEST(SjisString, ParseInt) {
  struct Case {
    const char* text;
    int value;
    int sign;
  };
  const Case cases[] = {
      {"12", 12, -1},      {"-12", -12, 1},    {"+7", 7, 0},       {"0x1F", 31, -1},
      {"0xff", 255, -1},   {"0x", 0, -1},      {"0X10", 10, -1},   {"1a2", 102, -1},
      {"", 0, -1},         {"12 ", 120, -1},   {"-+3", -3, 1},     {"+-3", -3, 0},
      {"2147483647", 2147483647, -1},
  };
  for (const Case& c : cases) {
    int value = 99;
    EXPECT_EQ(c.sign, ParseInt(c.text, &value)) << c.text;
    EXPECT_EQ(c.value, value) << c.text;
  }
}

TEST(SjisString, CopyAndAppendRespectCapacity) {
  char buffer[6];
  StrCopy(buffer, "abc");
  EXPECT_STREQ("abc", buffer);
  char* end = StrAppend(buffer, "de");
  EXPECT_STREQ("abcde", buffer);
  EXPECT_EQ(buffer + 5, end);
  StrAppend(buffer, "fgh");
  EXPECT_STREQ("abcde", buffer);
  // A cut never splits a double-byte character.
  StrCopy(buffer, "abcd\x95\x5C");
  EXPECT_STREQ("abcd", buffer);
  EXPECT_EQ(5u, StrLength("ab\x95\x5C" "c"));
}

}  // namespace
