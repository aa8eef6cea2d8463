#include <gtest/gtest.h>

#include "engine/shell/raw_display_access.h"
#include "engine/shell/screen_mode.h"
#include "host/display/display_api.h"
#include "shell_fixture.h"

namespace {

class DisplayAccessTest : public ShellTest {};

TEST_F(DisplayAccessTest, PortraitViewOfEveryPanel) {
  struct Case {
    HostPanel panel;
    GXDisplayProperties expected;
    std::ptrdiff_t frameOffsetBytes;
  } cases[] = {
      {{480, 640, 0}, {480, 640, 2, 960, 16, FORMAT_565}, 0},
      {{240, 320, 0}, {240, 320, 2, 480, 16, FORMAT_565}, 0},
      {{480, 640, 64}, {480, 640, 2, 1024, 16, FORMAT_565}, 0},
      // Landscape: sizes swapped, y pitch minus the x stride, frame at the
      // last pixel of the first raw row.
      {{640, 480, 0}, {480, 640, 1280, -2, 16, FORMAT_565}, 639 * 2},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message() << test.panel.width << "x" << test.panel.height << "+" << test.panel.rowPaddingBytes);
    HostDisplaySetPanel(test.panel);
    for (int call = 0; call < 2; ++call) {  // never accumulates
      GXDisplayProperties properties{};
      RawGetDisplayProperties(&properties);
      EXPECT_EQ(properties.cxWidth, test.expected.cxWidth);
      EXPECT_EQ(properties.cyHeight, test.expected.cyHeight);
      EXPECT_EQ(properties.cbxPitch, test.expected.cbxPitch);
      EXPECT_EQ(properties.cbyPitch, test.expected.cbyPitch);
      EXPECT_EQ(properties.cBPP, 16);
      EXPECT_EQ(RawBeginDraw(), reinterpret_cast<std::uint8_t*>(HostDisplayMemory()) + test.frameOffsetBytes);
      EXPECT_EQ(RawEndDraw(), 1);
    }
  }
}

TEST_F(DisplayAccessTest, FailingEscapeLeavesAnUnusableGeometry) {
  gRawFrameBuffer = RawFrameBuffer{};
  HostFailCall("ExtEscape");
  GXDisplayProperties properties{};
  RawGetDisplayProperties(&properties);
  EXPECT_EQ(RawBeginDraw(), nullptr);
  EXPECT_FALSE(IsUsableDisplay(properties, RawBeginDraw()));
}

TEST_F(DisplayAccessTest, UsableDisplayNeedsPointerSizeAnd16Bits) {
  int memory = 0;
  EXPECT_TRUE(IsUsableDisplay({480, 640, 2, 960, 16, 0}, &memory));
  EXPECT_FALSE(IsUsableDisplay({480, 640, 2, 960, 16, 0}, nullptr));
  EXPECT_FALSE(IsUsableDisplay({0, 640, 2, 960, 16, 0}, &memory));
  EXPECT_FALSE(IsUsableDisplay({480, 640, 2, 960, 24, 0}, &memory));
}

TEST_F(DisplayAccessTest, ScreenModeFlags) {
  struct Case {
    HostPanel panel;
    int screenWidth;
    CScreenMode expected;
  };
  const auto mode = [](std::uint32_t vga, std::uint32_t high, std::uint32_t landscape) {
    HostDisplaySetPanel(HostPanel{480, 640, 0});
    CScreenMode made;
    made.vga = vga;
    made.highResolution = high;
    made.landscape = landscape;
    return made;
  };
  const Case cases[] = {
      {{480, 640, 0}, 640, mode(1, 1, 0)},
      {{240, 320, 0}, 640, mode(1, 0, 0)},
      {{640, 480, 0}, 640, mode(1, 1, 1)},
      {{320, 240, 0}, 320, mode(0, 0, 1)},
  };
  for (const Case& test : cases) {
    HostDisplaySetPanel(test.panel);
    SetScreenWidth(test.screenWidth);
    CScreenMode detected;
    EXPECT_EQ(detected.vga, test.expected.vga);
    EXPECT_EQ(detected.highResolution, test.expected.highResolution);
    EXPECT_EQ(detected.landscape, test.expected.landscape);
  }
}

TEST_F(DisplayAccessTest, StylusMapping) {
  struct Case {
    const char* name;
    HostPanel panel;
    std::uint32_t vga;
    POINT in;
    POINT out;
  } cases[] = {
      {"VGA portrait 480x640", {480, 640, 0}, 1, {0, 0}, {639, 0}},
      {"VGA portrait 480x640 far corner", {480, 640, 0}, 1, {479, 639}, {0, 479}},
      {"VGA on a 240x320 panel, doubled", {240, 320, 0}, 1, {0, 0}, {639, 0}},
      {"VGA on a 240x320 panel, doubled inside", {240, 320, 0}, 1, {10, 20}, {599, 20}},
      {"VGA landscape 640x480", {640, 480, 0}, 1, {100, 200}, {100, 200}},
      {"VGA landscape 320x240, doubled", {320, 240, 0}, 1, {100, 50}, {200, 100}},
      {"320-wide portrait", {240, 320, 0}, 0, {10, 20}, {299, 10}},
      {"320-wide landscape", {320, 240, 0}, 0, {10, 20}, {10, 20}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    HostDisplaySetPanel(test.panel);
    SetScreenWidth(test.vga ? 640 : 320);
    CScreenMode mode;
    ASSERT_EQ(mode.vga, test.vga);
    std::int32_t x = test.in.x;
    std::int32_t y = test.in.y;
    mode.MapStylusPoint(&x, &y);
    EXPECT_EQ(x, test.out.x);
    EXPECT_EQ(y, test.out.y);
  }
}

}  // namespace
