#include "common/format_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

template <typename... Args>
std::string Format(const char* format, const Args&... args) {
  char out[512];
  FormatText(out, format, args...);
  return out;
}

// Shift-JIS bytes of full-width text, spelled out so the table is checked
// against independent values.
const std::string kFullA1 = "\x82\x60\x82\x50";      // Ａ１
const std::string kFullAB = "\x82\x60\x82\x61";      // ＡＢ
const std::string kFull42 = "\x82\x53\x82\x51";      // ４２

TEST(FormatText, ConversionTable) {
  struct Case {
    std::string expected;
    std::string actual;
  };
  const Case cases[] = {
      {"save005.dat", Format("save%z3.dat", 5)},
      {"DATA01", Format("DATA%z2", 1)},
      {"23", Format("%z2", 123)},
      {"", Format("%z", 5)},
      {"7", Format("%d", -7)},
      {"-7", Format("%d+", -7)},
      {"+7", Format("%d+", 7)},
      {"7", Format("%d-", 7)},
      {" -7", Format("%d-3", -7)},
      {"12", Format("%d+2", -12)},
      {" -12", Format("%d+4", -12)},
      {"  0", Format("%d3", 0)},
      {"234", Format("%d3", 1234)},
      {"2147483648", Format("%d", INT32_MIN)},
      {"4294967295", Format("%u", 0xFFFFFFFFu)},
      {"  9", Format("%u+3", 9)},
      {"22.04", Format("%f2.2", 22.049999)},
      {"4.5", Format("%f1.1", 4.5)},
      {"  5.", Format("%f3", 5.9)},
      {".25", Format("%f.2", 3.25)},
      {"-0.5", Format("%f+2.1", -0.5)},
      {".5", Format("%f+.1", -0.5)},
      {"2345", Format("%x4", 0x12345)},
      {"00FF", Format("%x4", 255)},
      {"", Format("%x", 255)},
      {"010", Format("%o3", 8)},
      {"abc", Format("%s3", "abcdef")},
      {"ab   ", Format("%s5", "ab")},
      {"whole text", Format("%s", "whole text")},
      {kFullA1, Format("%S", "A1")},
      {kFullAB + "  ", Format("%S3", "AB")},
      {kFull42, Format("%D", 42)},
      {"-" + kFull42, Format("%D+", -42)},
      {"42", Format("%ld", 42)},
      {"x", Format("%lq", 1) + "x"},
      {"q", Format("%qq")},
      {"ab", Format("ab%")},
      {"d", Format("%5d", 7)},
      {"50%", Format("50%%")},
      {"A", Format("%c", 0x141)},
      {"", Format("%C", 'A')},
      {"12345678901234567890", Format("%t", 12345678901234567890ull)},
      {"  9", Format("%t3", 9ull)},
      {"901234567890", Format("%t12", 12345678901234567890ull)},
      {"[2026-12-10 09:05][3A]", Format("[%z4-%z2-%z2 %z2:%z2][%d%c]", 2026, 12, 10, 9, 5, 3, 'A')},
      {"[1.5]Mbps", Format("[%f1.1]Mbps", 1.5)},
      {"FPS(29.969)", Format("FPS(%f2.3)", 29.97)},  // truncated, not rounded
      {"0", Format("%d")},  // a missing argument reads as 0
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.actual);
}

TEST(FormatText, FullWidthFieldsAndTableDeviations) {
  // %F with a sign, %Z, %X: the whole field (sign and padding) goes full width.
  EXPECT_EQ(std::string("\x81\x40\x81\x51\x82\x4F\x81\x44\x82\x54"), Format("%F+3.1", -0.5));
  EXPECT_EQ(std::string("\x82\x4F\x82\x56"), Format("%Z2", 7));
  EXPECT_EQ(std::string("\x82\x65\x82\x65"), Format("%X2", 255));
  // The system's own choices: " -> ”, ' -> ’, - -> ＿, \ -> ￥, ~ -> ￣.
  EXPECT_EQ(std::string("\x81\x68\x81\x66\x81\x51\x81\x8F\x81\x50"), Format("%S", "\"'-\\~"));
  // Half-width katakana with a voiced mark: each becomes its own full-width form.
  EXPECT_EQ(std::string("\x83\x4A\x81\x4A"), Format("%S", "\xB6\xDE"));
  // Double-byte characters pass through; a lead byte before the end is dropped.
  EXPECT_EQ(std::string("\x95\x5C\x82\x60"), Format("%S", "\x95\x5C" "A"));
  EXPECT_EQ(std::string("\x82\x60"), Format("%S", "A\x95"));
}

TEST(FormatText, AppendKeepsExistingText) {
  char out[32] = "head";
  FormatText(out, "%r-%d", 5);
  EXPECT_STREQ("head-5", out);
}

TEST(FormatText, NeverWritesPastCapacity) {
  char out[16];
  std::memset(out, 'Z', sizeof out);
  const std::string longText(300, 'a');
  FormatText(out, 10, "%s|%S|%d", longText.c_str(), longText.c_str(), 12345);
  EXPECT_EQ(9u, std::strlen(out));
  for (std::size_t i = 10; i < sizeof out; ++i) EXPECT_EQ('Z', out[i]) << i;

  // A two-byte character that does not fit is left out, not split.
  char small[4];
  FormatText(small, "x%S", "AB");
  EXPECT_EQ(std::string("x\x82\x60"), small);

  // %r without a NUL in the buffer stops at the capacity.
  char full[4] = {'a', 'b', 'c', 'd'};
  FormatText(full, "%rxyz");
  EXPECT_STREQ("abc", full);

  // Long widths and precisions stay within the field.
  EXPECT_EQ(std::string(98, ' ') + "7", Format("%d99", 7));
  EXPECT_EQ(".12500000000000000000000", Format("%f.23", 3.125));
}

TEST(FormatHelpers, NumberFormatters) {
  char buffer[64];
  FormatFixedDecimal(buffer, 0, 3, 1);
  EXPECT_STREQ("000", buffer);
  FormatFixedDecimal(buffer, 0, 0, 0);
  EXPECT_STREQ("", buffer);
  FormatFixedDecimal64(buffer, 18446744073709551615ull, 25, 0);
  EXPECT_STREQ("     18446744073709551615", buffer);
  FormatDecimal(buffer, 1000000000u);
  EXPECT_STREQ("1000000000", buffer);
  FormatDecimal64(buffer, 0);
  EXPECT_STREQ("0", buffer);
  FormatHex(buffer, 0xABCDEF12u, 10);
  EXPECT_STREQ("00ABCDEF12", buffer);
  FormatOctal(buffer, 0777u, 2);
  EXPECT_STREQ("77", buffer);
  FormatFloat(buffer, 0.75, 2, 2);
  EXPECT_STREQ(" 0.75", buffer);

  const char* format = "123x";
  EXPECT_EQ(12, ReadWidthDigits(format));
  EXPECT_STREQ("3x", format);
  EXPECT_EQ(0, ReadWidthDigits(format = "x"));

  char wide[8];
  EXPECT_EQ(2, ToFullWidth(wide, sizeof wide, "A\x7F" "B"));
  EXPECT_EQ(std::string("\x82\x60\x7F\x82\x61"), wide);
}

}  // namespace
