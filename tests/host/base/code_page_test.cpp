#include <gtest/gtest.h>

#include <string>

#include "host/text/code_page.h"

namespace {

std::u16string ToWide(UINT codePage, const std::string& bytes) {
  int units = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(units), u'\0');
  EXPECT_EQ(MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), units),
            units);
  return wide;
}

std::string ToBytes(UINT codePage, const std::u16string& wide, BOOL* usedDefault = nullptr,
                    const char* defaultChar = nullptr) {
  int bytes = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                  defaultChar, usedDefault);
  std::string text(static_cast<size_t>(bytes), '\0');
  EXPECT_EQ(WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), bytes,
                                defaultChar, usedDefault),
            bytes);
  return text;
}

struct RoundTrip {
  const char* what;
  std::string shiftJis;
  std::u16string wide;
};

TEST(CodePage, ShiftJisRoundTrips) {
  const RoundTrip cases[] = {
      {"ascii keeps backslash and tilde", "a\\b~", u"a\\b~"},
      {"full-width katakana", "\x83\x41\x83\x5C", u"\u30A2\u30BD"},
      {"half-width katakana", "\xB1\xDD", u"\uFF71\uFF9D"},
      {"kanji with trail byte 0x5C", "\x95\x5C", u"\u8868"},
      {"kanji", "\x8A\xBF\x8E\x9A", u"\u6F22\u5B57"},
      {"path with 0x5C trail bytes", "data\\\x95\x5C\\\x83\x5C.txt", u"data\\\u8868\\\u30BD.txt"},
      {"circled digit", "\x87\x40", u"\u2460"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ToWide(CP_SHIFT_JIS, c.shiftJis), c.wide);
    EXPECT_EQ(ToWide(CP_ACP, c.shiftJis), c.wide);
    BOOL usedDefault = TRUE;
    EXPECT_EQ(ToBytes(CP_ACP, c.wide, &usedDefault), c.shiftJis);
    EXPECT_FALSE(usedDefault);
  }
}

TEST(CodePage, LengthMinusOneCountsTheNulAndSizeQueriesMatch) {
  const char* text = "\x95\x5C" "a";
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0), 3);
  WCHAR wide[3] = {1, 1, 1};
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 3), 3);
  EXPECT_EQ(wide[0], u'\u8868');
  EXPECT_EQ(wide[1], u'a');
  EXPECT_EQ(wide[2], 0);

  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr), 4);
  char back[4] = {1, 1, 1, 1};
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide, -1, back, 4, nullptr, nullptr), 4);
  EXPECT_STREQ(back, text);
}

TEST(CodePage, FailuresReportZeroAndTheReason) {
  struct Failure {
    const char* what;
    std::string bytes;
  };
  const Failure invalid[] = {
      {"lead byte then space", "\x81\x20"},
      {"lead byte cut off at the end", "ab\x81"},
      {"unassigned single byte", "\xA0"},
      {"unassigned double byte", "\x85\x40"},
  };
  for (const auto& c : invalid) {
    SCOPED_TRACE(c.what);
    WCHAR out[8];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, c.bytes.data(), static_cast<int>(c.bytes.size()), out, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
  }

  WCHAR small[2];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, small, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  char narrow[1];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u8868", 1, narrow, 1, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 0, nullptr, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(CodePage, CharactersOutsideShiftJisBecomeTheDefault) {
  BOOL usedDefault = FALSE;
  // A Thai letter and an emoji (a surrogate pair counts as one character).
  EXPECT_EQ(ToBytes(CP_ACP, u"a\u0E01b\U0001F600c", &usedDefault), "a?b?c");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(ToBytes(CP_ACP, u"\u0E01", &usedDefault, "*"), "*");
  EXPECT_TRUE(usedDefault);
}

TEST(CodePage, Utf8ServesTheHostHelpers) {
  EXPECT_EQ(ToWide(CP_UTF8, "\xE8\xA1\xA8 \xF0\x9F\x98\x80"), u"\u8868 \U0001F600");
  EXPECT_EQ(ToBytes(CP_UTF8, u"\u8868 \U0001F600"), "\xE8\xA1\xA8 \xF0\x9F\x98\x80");
  WCHAR out[4];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xE8\xA1", 2, out, 4), 0);
}

}  // namespace
