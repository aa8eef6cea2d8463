#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/display/display_api.h"
#include "host/fonts/font_catalogue.h"
#include "host/fonts/glyph_backend.h"
#include "host/gdi/gdi_api.h"

namespace {

struct TwoColourInfo {
  BITMAPINFOHEADER header;
  RGBQUAD colours[2];
};

// A memory context with a side x side one-bit bitmap selected (palette
// black then white unless inverted) and a font of the face at height.
class GlyphHost {
 public:
  GlyphHost(int side, const char16_t* face, LONG height, LONG weight = FW_NORMAL, bool inverted = false)
      : side_(side) {
    TwoColourInfo info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = side;
    info.header.biHeight = -side;
    info.header.biPlanes = 1;
    info.header.biBitCount = 1;
    info.colours[inverted ? 1 : 0] = RGBQUAD{0, 0, 0, 0};
    info.colours[inverted ? 0 : 1] = RGBQUAD{255, 255, 255, 0};
    void* pixels = nullptr;
    bitmap_ = CreateDIBSection(GetDC(nullptr), reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels,
                               nullptr, 0);
    bits_ = static_cast<std::uint8_t*>(pixels);
    dc_ = CreateCompatibleDC(GetDC(nullptr));
    LOGFONTW record{};
    record.lfHeight = height;
    record.lfWeight = weight;
    record.lfCharSet = SHIFTJIS_CHARSET;
    record.lfPitchAndFamily = FIXED_PITCH;
    std::copy(face, face + std::char_traits<char16_t>::length(face), record.lfFaceName);
    font_ = CreateFontIndirectW(&record);
    SelectObject(dc_, bitmap_);
    if (font_) SelectObject(dc_, font_);
    SetBkColor(dc_, RGB(0, 0, 0));
    SetTextColor(dc_, RGB(255, 255, 255));
  }
  ~GlyphHost() {
    DeleteDC(dc_);
    DeleteObject(bitmap_);
    if (font_) DeleteObject(font_);
  }

  bool Bit(int x, int y) const { return (bits_[y * RowBytes() + x / 8] >> (7 - x % 8)) & 1; }
  int RowBytes() const { return (side_ + 31) / 32 * 4; }
  int SetBits() const {
    int count = 0;
    for (int y = 0; y < side_; ++y) {
      for (int x = 0; x < side_; ++x) count += Bit(x, y);
    }
    return count;
  }
  void Draw(const std::u16string& text, int mode, int x = 0, int y = 0) {
    SetBkMode(dc_, mode);
    ExtTextOutW(dc_, x, y, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
  }

  int side_;
  HBITMAP bitmap_ = nullptr;
  HFONT font_ = nullptr;
  HDC dc_ = nullptr;
  std::uint8_t* bits_ = nullptr;
};

class FakeGlyphs : public ::testing::Test {
 protected:
  void SetUp() override { HostSetGlyphBackend(MakeFakeGlyphBackend()); }
  void TearDown() override { HostSetGlyphBackend(nullptr); }
};

TEST_F(FakeGlyphs, OpaqueTextFillsItsCellAndTransparentTextOnlySetsBits) {
  GlyphHost host(32, u"ＭＳ ゴシック", 12);
  ASSERT_NE(host.font_, nullptr);
  std::fill(host.bits_, host.bits_ + 32 * 4, 0xFF);
  host.Draw(u"A", OPAQUE);
  // 'A' (0x41) at 12: 6 x 12 cell, top row 0 1 0 0 0 0.
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool inCell = x < 6 && y < 12;
      const bool expected = inCell ? (y > 0 || x == 1) : true;
      ASSERT_EQ(host.Bit(x, y), expected) << x << "," << y;
    }
  }
  std::fill(host.bits_, host.bits_ + 32 * 4, 0x00);
  host.bits_[0] = 0x80;  // pixel (0, 0), clear in 'A'
  host.Draw(u"A", TRANSPARENT);
  EXPECT_TRUE(host.Bit(0, 0));
  EXPECT_TRUE(host.Bit(1, 0));
  EXPECT_EQ(host.SetBits(), 1 + 1 + 6 * 11);
}

TEST_F(FakeGlyphs, CharactersAdvanceAndEverythingIsClippedToTheBitmap) {
  GlyphHost host(32, u"ＭＳ ゴシック", 12);
  host.Draw(u"Aあ", TRANSPARENT, 26, 25);
  // 'A' covers x 26..31 (6 wide), "あ" starts at 32: outside.
  int set = 0;
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const bool expected = x >= 26 && y >= 25 && (y > 25 || x == 27);
      EXPECT_EQ(host.Bit(x, y), expected) << x << "," << y;
      set += host.Bit(x, y);
    }
  }
  EXPECT_EQ(set, 1 + 6 * 6);
  host.Draw(u"あ", TRANSPARENT, -5, -5);  // only its bottom-right part shows
  EXPECT_TRUE(host.Bit(0, 0));
}

TEST_F(FakeGlyphs, PaletteDecidesWhichBitTheColoursSet) {
  GlyphHost host(32, u"ＭＳ ゴシック", 12, FW_NORMAL, true);
  std::fill(host.bits_, host.bits_ + 32 * 4, 0xFF);
  host.Draw(u"A", TRANSPARENT);  // white is entry 0 here
  EXPECT_FALSE(host.Bit(2, 2));
  EXPECT_TRUE(host.Bit(0, 0));
}

TEST_F(FakeGlyphs, SelectionsReturnWhatTheyReplaceAndSurviveDeletion) {
  GlyphHost host(32, u"ＭＳ ゴシック", 12);
  LOGFONTW record{};
  record.lfHeight = 20;
  std::copy_n(u"ＭＳ 明朝", 5, record.lfFaceName);
  HFONT other = CreateFontIndirectW(&record);
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(SelectObject(host.dc_, other), host.font_);
  EXPECT_TRUE(DeleteObject(other));
  host.Draw(u"A", TRANSPARENT);  // the deleted font still draws where it is selected
  EXPECT_TRUE(host.Bit(5, 19));
  EXPECT_EQ(SelectObject(host.dc_, other), nullptr);  // its handle is gone
  EXPECT_EQ(SelectObject(host.dc_, host.font_), other);
  EXPECT_EQ(SetBkMode(host.dc_, OPAQUE), TRANSPARENT);
  EXPECT_EQ(SetTextColor(host.dc_, RGB(1, 2, 3)), RGB(255, 255, 255));
}

TEST_F(FakeGlyphs, UnknownFacesAndUnsupportedBitmapsFail) {
  LOGFONTW record{};
  record.lfHeight = 12;
  std::copy_n(u"Nothing", 7, record.lfFaceName);
  EXPECT_EQ(CreateFontIndirectW(&record), nullptr);
  // A face field without a NUL is read to its end.
  std::fill(std::begin(record.lfFaceName), std::end(record.lfFaceName), u'Ｘ');
  EXPECT_EQ(CreateFontIndirectW(&record), nullptr);
  TwoColourInfo info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = 8;
  info.header.biHeight = -8;
  info.header.biBitCount = 16;
  void* bits = reinterpret_cast<void*>(1);
  EXPECT_EQ(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0),
            nullptr);
  EXPECT_EQ(bits, nullptr);
}

// The installed Japanese font (fonts-ipafont-gothic).
class SystemGlyphs : public ::testing::Test {
 protected:
  void SetUp() override { HostSetGlyphBackend(MakeSystemGlyphBackend()); }
  void TearDown() override { HostSetGlyphBackend(nullptr); }
};

TEST_F(SystemGlyphs, TheSystemFaceIsTheInstalledGothic) {
  ASSERT_FALSE(FindFontFiles("ＭＳ ゴシック").empty()) << "install fonts-ipafont-gothic";
  EXPECT_TRUE(FindFontFiles("No Such Face 12345").empty());
  LOGFONTW record{};
  record.lfHeight = 24;
  std::copy_n(u"No Such Face", 12, record.lfFaceName);
  EXPECT_EQ(CreateFontIndirectW(&record), nullptr);
}

TEST_F(SystemGlyphs, HiraganaAFillsAPlausiblePartOfItsCell) {
  GlyphHost host(32, u"ＭＳ ゴシック", 24);
  ASSERT_NE(host.font_, nullptr);
  host.Draw(u"あ", TRANSPARENT);
  const int set = host.SetBits();
  EXPECT_GE(set, 24 * 24 * 15 / 100);
  EXPECT_LE(set, 24 * 24 * 60 / 100);
  // Within its cell: nothing at or below row 24 or right of column 23.
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      if (x >= 24 || y >= 24) {
        EXPECT_FALSE(host.Bit(x, y)) << x << "," << y;
      }
    }
  }
}

TEST_F(SystemGlyphs, BoldWeightsAreHeavierAndMissingCharactersDrawABox) {
  GlyphHost regular(32, u"ＭＳ ゴシック", 24, 400);
  GlyphHost bold(32, u"ＭＳ ゴシック", 24, 900);
  regular.Draw(u"漢", TRANSPARENT);
  bold.Draw(u"漢", TRANSPARENT);
  EXPECT_GT(bold.SetBits(), regular.SetBits() * 11 / 10);
  GlyphHost missing(32, u"ＭＳ ゴシック", 24);
  missing.Draw(u"\U0001F9FF", TRANSPARENT);  // a character the face lacks
  EXPECT_GT(missing.SetBits(), 0);
}

}  // namespace
