#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "engine/runtime/runtime_globals.h"
#include "engine/shell/raw_display_access.h"
#include "engine/text/text_canvas.h"
#include "text_fixture.h"

namespace {

constexpr int kScreenWidth = 32;
constexpr int kScreenHeight = 16;
constexpr std::uint16_t kCanary = 0x1234;
// "あ" (U+3042) in Shift-JIS.
constexpr char kHiraganaA[] = "\x82\xA0";

// A turned screen-sized buffer with a canary border of kBorder pixels on
// both sides.
struct TurnedBuffer {
  static constexpr int kBorder = 64;
  std::vector<std::uint16_t> memory = std::vector<std::uint16_t>(kScreenWidth * kScreenHeight + 2 * kBorder, kCanary);
  std::uint16_t* Pixels() { return memory.data() + kBorder; }
  std::uint16_t At(int px, int py) { return Pixels()[(kScreenWidth - 1 - px) * kScreenHeight + py]; }
  bool BorderIntact() const {
    for (int i = 0; i < kBorder; ++i) {
      if (memory[i] != kCanary || memory[memory.size() - 1 - i] != kCanary) return false;
    }
    return true;
  }
};

// Display memory of the screen's portrait geometry with chosen pitches,
// inside a block of canaries, reached through the engine's display access.
struct FakeDisplay {
  static inline FakeDisplay* current = nullptr;
  std::vector<std::uint8_t> memory;
  std::uint8_t* frame;
  GXDisplayProperties properties;

  FakeDisplay(int xPitch, int yPitch) : memory(8192) {
    for (std::size_t i = 0; i < memory.size(); i += 2) std::memcpy(&memory[i], &kCanary, 2);
    properties = GXDisplayProperties{kScreenHeight, kScreenWidth, xPitch, yPitch, 16, 0};
    frame = memory.data() + memory.size() / 2;
    current = this;
    SetDisplayAccess(DisplayAccess{[](GXDisplayProperties* out) { *out = current->properties; },
                                   [] { return static_cast<void*>(current->frame); }, [] { return 1; },
                                   RawDisplayAccess().detectScreenMode});
  }
  ~FakeDisplay() {
    SetDisplayAccess(RawDisplayAccess());
    current = nullptr;
  }
  FakeDisplay(const FakeDisplay&) = delete;
  FakeDisplay& operator=(const FakeDisplay&) = delete;
  std::uint16_t At(int px, int py) const {
    std::uint16_t pixel;
    std::memcpy(&pixel,
                frame + static_cast<std::ptrdiff_t>(kScreenWidth - 1 - px) * properties.cbyPitch +
                    static_cast<std::ptrdiff_t>(py) * properties.cbxPitch,
                2);
    return pixel;
  }
  // Canaries outside the portrait area the pitches address.
  int ChangedOutside() const {
    std::set<std::ptrdiff_t> inside;
    for (int row = 0; row < kScreenWidth; ++row) {
      for (int column = 0; column < kScreenHeight; ++column) {
        const std::ptrdiff_t at =
            frame - memory.data() + static_cast<std::ptrdiff_t>(row) * properties.cbyPitch + column * properties.cbxPitch;
        inside.insert(at);
        inside.insert(at + 1);
      }
    }
    int changed = 0;
    for (std::size_t i = 0; i < memory.size(); ++i) {
      const auto canaryByte = reinterpret_cast<const std::uint8_t*>(&kCanary)[i & 1];
      if (!inside.count(static_cast<std::ptrdiff_t>(i)) && memory[i] != canaryByte) ++changed;
    }
    return changed;
  }
};

class TextCanvasTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    SetScreenWidth(kScreenWidth);
    SetScreenHeight(kScreenHeight);
  }
};

TEST_F(TextCanvasTest, GreyLevelBecomesTheRgb565OfEverySetBit) {
  const struct {
    int grey;
    std::uint16_t pixel;
  } cases[] = {{255, 0xFFFF}, {128, 0x8410}, {0, 0x0000}, {8, 0x0841}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.grey);
    TurnedBuffer buffer;
    CTextCanvas canvas;
    canvas.DrawText(buffer.Pixels(), "A", 0, 0, c.grey, 12);
    EXPECT_EQ(buffer.At(1, 0), c.pixel);  // the notch bit of 'A' (0x41) at column 1
    EXPECT_EQ(buffer.At(0, 0), kCanary);  // clear bits leave the target alone
    EXPECT_EQ(buffer.At(5, 11), c.pixel);
  }
}

TEST_F(TextCanvasTest, HalfWidthAdvancesHalfTheSizeAndFullWidthTheSize) {
  TurnedBuffer buffer;
  CTextCanvas canvas;
  const std::string text = std::string("A") + kHiraganaA + "A";
  canvas.DrawText(buffer.Pixels(), text.c_str(), 0, 2, 255, 12);
  // Top rows spell the low bytes: 'A' 0x41 at 0, "あ" 0x42 at 6, 'A' at 18.
  std::set<int> setColumns;
  for (int px = 0; px < kScreenWidth; ++px) {
    if (buffer.At(px, 2) != kCanary) setColumns.insert(px);
  }
  EXPECT_EQ(setColumns, (std::set<int>{1, 7, 12, 14, 15, 16, 17, 19}));
  // Row 3 is solid: 6 + 12 + 6 columns.
  int solid = 0;
  for (int px = 0; px < kScreenWidth; ++px) solid += buffer.At(px, 3) != kCanary;
  EXPECT_EQ(solid, 24);
}

TEST_F(TextCanvasTest, SizeZeroKeepsTheSizeAndLargeSizesDrawAt32) {
  CTextCanvas canvas;
  TurnedBuffer buffer;
  canvas.DrawText(buffer.Pixels(), "A", 0, 0, 255, 8);
  EXPECT_EQ(canvas.fontSize, 8);
  canvas.DrawText(buffer.Pixels(), "A", 0, 0, 255, 0);
  EXPECT_EQ(canvas.fontSize, 8);
  canvas.DrawText(buffer.Pixels(), "A", 0, 0, 255, 40);
  EXPECT_EQ(canvas.fontSize, 32);
  EXPECT_TRUE(buffer.BorderIntact());
}

TEST_F(TextCanvasTest, DisplayMemoryGetsTheSamePixelsThroughAnyPitches) {
  TurnedBuffer reference;
  {
    CTextCanvas canvas;
    canvas.DrawText(reference.Pixels(), "Ab", 3, 2, 200, 10);
  }
  const struct {
    const char* name;
    int xPitch;
    int yPitch;
  } geometries[] = {
      {"packed", 2, 2 * kScreenHeight},
      {"padded rows", 2, 2 * kScreenHeight + 6},
      {"negative x pitch", -2, 2 * kScreenHeight},
      {"negative y pitch", 2, -2 * kScreenHeight - 4},
      {"x along rows", 2 * kScreenWidth, 2},
  };
  for (const auto& geometry : geometries) {
    SCOPED_TRACE(geometry.name);
    FakeDisplay display(geometry.xPitch, geometry.yPitch);
    CTextCanvas canvas;
    canvas.DrawText(nullptr, "Ab", 3, 2, 200, 10);
    for (int py = 0; py < kScreenHeight; ++py) {
      for (int px = 0; px < kScreenWidth; ++px) ASSERT_EQ(display.At(px, py), reference.At(px, py)) << px << "," << py;
    }
    EXPECT_EQ(display.ChangedOutside(), 0);
  }
}

TEST_F(TextCanvasTest, TextAtTheEdgesWritesNothingOutsideTheScreen) {
  const struct {
    const char* name;
    int x;
    int y;
  } places[] = {{"right edge", kScreenWidth - 3, 0},
                {"bottom edge", 0, kScreenHeight - 4},
                {"bottom right", kScreenWidth - 5, kScreenHeight - 2},
                {"left and above", -7, -5}};
  const std::string text = std::string(kHiraganaA) + "AB";
  for (const auto& place : places) {
    SCOPED_TRACE(place.name);
    TurnedBuffer buffer;
    CTextCanvas canvas;
    canvas.DrawText(buffer.Pixels(), text.c_str(), place.x, place.y, 255, 12);
    EXPECT_TRUE(buffer.BorderIntact());
    FakeDisplay display(2, -2 * kScreenHeight - 2);
    CTextCanvas direct;
    direct.DrawText(nullptr, text.c_str(), place.x, place.y, 255, 12);
    EXPECT_EQ(display.ChangedOutside(), 0);
    // The part inside the screen is drawn: the pixel of the first glyph's
    // second row nearest the screen's corner.
    const int px = std::max(place.x, 0);
    const int py = std::max(place.y + 1, 0);
    EXPECT_EQ(buffer.At(px, py), 0xFFFF);
  }
}

}  // namespace
