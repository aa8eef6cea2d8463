// Present: the landscape back buffer into portrait display memory.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/shell/back_buffer.h"
#include "engine/shell/display_access.h"
#include "engine/shell/engine_base.h"
#include "engine/shell/game_api_display.h"
#include "shell_fixture.h"

namespace {

// Every back-buffer pixel holds a value made from its position.
std::uint16_t Code(int x, int y) { return static_cast<std::uint16_t>((x * 7 + y * 131) & 0xFFFF) | 1; }

void FillCoded(CBackBuffer& buffer) {
  for (std::uint32_t y = 0; y < buffer.GetHeight(); ++y) {
    for (std::uint32_t x = 0; x < buffer.GetWidth(); ++x) {
      buffer.GetPixels()[y * buffer.GetWidth() + x] = Code(static_cast<int>(x), static_cast<int>(y));
    }
  }
}

// A display in plain memory with the given portrait geometry.
struct FakeDisplay {
  std::vector<std::uint8_t> memory;
  std::uint8_t* frame;
  GXDisplayProperties properties;

  FakeDisplay(int width, int height, int xPitch, int yPitch) : memory(0x200000, 0) {
    properties = GXDisplayProperties{static_cast<DWORD>(width), static_cast<DWORD>(height), xPitch, yPitch, 16, 0};
    // Place the origin so every pitch sign stays inside the block.
    frame = memory.data() + memory.size() / 2;
  }
  std::uint16_t At(int x, int y) const {
    std::uint16_t pixel;
    std::memcpy(&pixel, frame + static_cast<std::ptrdiff_t>(y) * properties.cbyPitch + x * properties.cbxPitch, 2);
    return pixel;
  }
};

class PresentTest : public ShellTest {};

TEST_F(PresentTest, EveryPixelLandsAtItsAddressOnEveryGeometry) {
  struct Geometry {
    const char* name;
    int xPitch;
    int yPitch;
  } geometries[] = {
      {"packed portrait (fast path)", 2, 960},
      {"padded rows", 2, 1024},
      {"landscape panel seen as portrait", 1280, -2},
  };
  for (const Geometry& geometry : geometries) {
    SCOPED_TRACE(geometry.name);
    CBackBuffer buffer;
    FillCoded(buffer);
    FakeDisplay display(480, 640, geometry.xPitch, geometry.yPitch);
    buffer.properties = display.properties;
    buffer.Present(nullptr, display.frame, nullptr, nullptr);
    int wrong = 0;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        // Back-buffer x runs backwards along the portrait rows.
        if (display.At(y, 639 - x) != Code(x, y)) ++wrong;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

TEST_F(PresentTest, RectangleFromASourcePointOnFastAndGeneralPaths) {
  for (int yPitch : {960, 1024}) {
    SCOPED_TRACE(yPitch);
    CBackBuffer buffer;
    FillCoded(buffer);
    FakeDisplay display(480, 640, 2, yPitch);
    buffer.properties = display.properties;
    const RECT dst{100, 50, 110, 53};
    const POINT src{20, 30};
    buffer.Present(nullptr, display.frame, &dst, &src);
    int copied = 0;
    for (int y = 0; y < 480; ++y) {
      for (int x = 0; x < 640; ++x) {
        const bool inside = x >= 100 && x < 110 && y >= 50 && y < 53;
        const std::uint16_t expected = inside ? Code(x - 100 + 20, y - 50 + 30) : 0;
        if (display.At(y, 639 - x) == expected && inside) ++copied;
        if (display.At(y, 639 - x) != expected) ADD_FAILURE() << x << "," << y;
      }
    }
    EXPECT_EQ(copied, 30);
  }
}

TEST_F(PresentTest, NothingForEmptyOrInvertedRectangles) {
  CBackBuffer buffer;
  FillCoded(buffer);
  FakeDisplay display(480, 640, 2, 960);
  buffer.properties = display.properties;
  const POINT src{0, 0};
  for (RECT dst : {RECT{10, 10, 20, 10}, RECT{10, 10, 20, 5}, RECT{20, 10, 10, 20}}) {
    buffer.Present(nullptr, display.frame, &dst, &src);
  }
  EXPECT_TRUE(std::all_of(display.memory.begin(), display.memory.end(), [](std::uint8_t b) { return b == 0; }));
}

TEST_F(PresentTest, ClippedToASmallerDisplay) {
  // A 640 x 480 back buffer on a 240 x 320 panel: only what the panel holds
  // is written, and nothing outside its memory.
  CBackBuffer buffer;
  FillCoded(buffer);
  std::vector<std::uint16_t> panel(240 * 320 + 64, 0xDEAD);
  GXDisplayProperties properties{240, 320, 2, 480, 16, 0};
  buffer.properties = properties;
  buffer.Present(nullptr, panel.data(), nullptr, nullptr);
  for (int y = 0; y < 240; ++y) {
    for (int x = 320; x < 640; ++x) {
      ASSERT_EQ(panel[static_cast<std::size_t>((639 - x) * 240 + y)], Code(x, y)) << x << "," << y;
    }
  }
  for (std::size_t i = 240 * 320; i < panel.size(); ++i) EXPECT_EQ(panel[i], 0xDEAD);
}

TEST_F(PresentTest, ShakeMovesThePictureAndLeavesTheStrip) {
  struct Shake {
    POINT offset;
  } shakes[] = {{{4, 0}}, {{-3, 0}}, {{0, 5}}, {{0, -2}}};
  for (const Shake& shake : shakes) {
    SCOPED_TRACE(testing::Message() << shake.offset.x << "," << shake.offset.y);
    HostDisplaySetPanel(HostPanel{480, 640, 0});
    CEngineBase engine;
    GetDisplayAccess().readProperties(&engine.backBuffer->properties);
    FillCoded(*engine.backBuffer);
    engine.PresentDirtyRects(1, &shake.offset);
    const int dx = shake.offset.x;
    const int dy = shake.offset.y;
    for (int y = 0; y < 480; y += 7) {
      for (int x = 0; x < 640; x += 5) {
        const int sx = x - dx;
        const int sy = y - dy;
        const bool covered = sx >= 0 && sx < 640 && sy >= 0 && sy < 480;
        ASSERT_EQ(HostDisplayPixel(y, 639 - x), covered ? Code(sx, sy) : 0) << x << "," << y;
      }
    }
  }
}

TEST_F(PresentTest, DirtyListPresentsOnlyItsRectangles) {
  CEngineBase engine;
  GetDisplayAccess().readProperties(&engine.backBuffer->properties);
  FillCoded(*engine.backBuffer);
  engine.dirtyList->SetSize(640, 480);
  RECT rect{10, 20, 30, 40};
  engine.dirtyList->Add(&rect, 0);
  engine.PresentDirtyRects(0, nullptr);
  EXPECT_EQ(HostDisplayPixel(20, 639 - 10), Code(10, 20));
  EXPECT_EQ(HostDisplayPixel(39, 639 - 29), Code(29, 39));
  EXPECT_EQ(HostDisplayPixel(40, 639 - 29), 0);
  EXPECT_EQ(HostDisplayPixel(20, 639 - 30), 0);
}

}  // namespace

namespace {

// A build that reaches the display only between the Game API's begin and end
// calls plugs in through the display access alone.
TEST_F(PresentTest, GameApiDisplayAccessBracketsOnlyRealPresents) {
  SetDisplayAccess(GameApiDisplayAccess());
  SetScreenWidth(320);
  SetScreenHeight(240);
  HostDisplaySetPanel(HostPanel{240, 320, 0});
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"GX";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"GX", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_EQ(GXOpenDisplay(window, GX_FULLSCREEN), 1);
  CEngineBase engine;
  EXPECT_EQ(engine.backBuffer->screenMode.vga, 0u);
  GetDisplayAccess().readProperties(&engine.backBuffer->properties);
  EXPECT_EQ(engine.backBuffer->properties.cbyPitch, 480);
  FillCoded(*engine.backBuffer);
  engine.dirtyList->SetSize(320, 240);
  HostCallLogTake();
  engine.PresentDirtyRects(0, nullptr);
  EXPECT_TRUE(Only(HostCallLogTake(), {"GXBeginDraw", "GXEndDraw"}).empty());
  RECT rect{0, 0, 320, 240};
  engine.dirtyList->Add(&rect, 1);
  engine.PresentDirtyRects(0, nullptr);
  EXPECT_EQ(Only(HostCallLogTake(), {"GXBeginDraw", "GXEndDraw"}),
            (std::vector<std::string>{"GXBeginDraw", "GXEndDraw"}));
  EXPECT_EQ(HostDisplayPixel(10, 319 - 20), Code(20, 10));
  // Suspended: begin gives nothing, so nothing is drawn and end is not called.
  GXSuspend();
  engine.PresentDirtyRects(1, nullptr);
  EXPECT_EQ(Only(HostCallLogTake(), {"GXBeginDraw", "GXEndDraw"}), std::vector<std::string>{"GXBeginDraw"});
  GXResume();
  GXCloseDisplay();
}

}  // namespace
