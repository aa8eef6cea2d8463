#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/run/call_log.h"
#include "host/display/display_api.h"
#include "host/display/gapi.h"
#include "host/device/input_method_api.h"
#include "host/display/landscape_view.h"
#include "host/run/screenshot.h"
#include "host/device/shell_api.h"
#include "host/window/window_backend.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostWindowSystemReset();
    HostDisplaySetPanel(HostPanel{480, 640, 0});
  }
  void TearDown() override {
    HostDisplaySetPanel(HostPanel{});
    HostWindowSystemReset();
  }
};

TEST_F(DisplayTest, PanelTextsAndTheEscape) {
  HostPanel panel;
  EXPECT_TRUE(HostParsePanel("240x320", &panel));
  EXPECT_EQ(panel.width, 240);
  EXPECT_TRUE(HostParsePanel("480x640+64", &panel));
  EXPECT_EQ(panel.rowPaddingBytes, 64);
  for (const char* bad : {"", "480", "0x640", "480x640+3", "-4x5", "480x640+8z"}) {
    EXPECT_FALSE(HostParsePanel(bad, &panel)) << bad;
  }
  HostDisplaySetPanel(HostPanel{640, 480, 32});
  RawFrameBufferInfo info{};
  EXPECT_EQ(ExtEscape(GetDC(nullptr), GETRAWFRAMEBUFFER, 0, nullptr, sizeof info, reinterpret_cast<LPSTR>(&info)), 1);
  EXPECT_EQ(info.pFramePointer, HostDisplayMemory());
  EXPECT_EQ(info.cxPixels, 640);
  EXPECT_EQ(info.cyPixels, 480);
  EXPECT_EQ(info.cxStride, 2);
  EXPECT_EQ(info.cyStride, 640 * 2 + 32);
  EXPECT_EQ(info.wBPP, 16);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 480);
  EXPECT_EQ(ExtEscape(GetDC(nullptr), 0x1234, 0, nullptr, sizeof info, reinterpret_cast<LPSTR>(&info)), 0);
}

TEST_F(DisplayTest, GameApiViewMatchesTheRawViewAndBrackets) {
  HostDisplaySetPanel(HostPanel{640, 480, 0});
  const GXDisplayProperties properties = GXGetDisplayProperties();
  EXPECT_EQ(properties.cxWidth, 480u);
  EXPECT_EQ(properties.cyHeight, 640u);
  EXPECT_EQ(properties.cbxPitch, 1280);
  EXPECT_EQ(properties.cbyPitch, -2);
  EXPECT_EQ(GXBeginDraw(), nullptr);  // display not open
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.lpszClassName = u"G";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, u"G", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(GXOpenDisplay(nullptr, GX_FULLSCREEN), 0);
  ASSERT_EQ(GXOpenDisplay(window, GX_FULLSCREEN), 1);
  EXPECT_EQ(GXBeginDraw(), HostDisplayMemory() + 639);
  GXSuspend();
  EXPECT_EQ(GXBeginDraw(), nullptr);
  GXResume();
  EXPECT_EQ(GXEndDraw(), 1);
  const GXKeyList keys = GXGetDefaultKeys(GX_LANDSCAPEKEYS);
  EXPECT_EQ(keys.keys[0].vkCode, static_cast<std::int16_t>(VK_UP));
  EXPECT_EQ(keys.keys[6].vkCode, static_cast<std::int16_t>(VK_RETURN));
  EXPECT_EQ(GXCloseDisplay(), 1);
  EXPECT_EQ(SHFullScreen(window, SHFS_HIDETASKBAR), TRUE);
  EXPECT_EQ(SHFullScreen(nullptr, SHFS_HIDETASKBAR), FALSE);
  HIMC original = ImmAssociateContext(window, nullptr);
  EXPECT_NE(original, nullptr);
  EXPECT_EQ(ImmAssociateContext(window, original), nullptr);
}

TEST_F(DisplayTest, LandscapeViewUndoesThePortraitTurn) {
  // Landscape pixel (x, y) is stored at portrait (y, 639 - x).
  HostDisplayMemory()[(639 - 5) * 480 + 7] = 0xF800;
  const LandscapeView view = TakeLandscapeView();
  ASSERT_EQ(view.width, 640);
  ASSERT_EQ(view.height, 480);
  EXPECT_EQ(view.pixels[7 * 640 + 5], 0xF800);
  int panelX = 0;
  int panelY = 0;
  LandscapeToPanel(5, 7, &panelX, &panelY);
  EXPECT_EQ(panelX, 7);
  EXPECT_EQ(panelY, 634);
}

TEST_F(DisplayTest, ScreenshotIsAPngOfTheLandscapeView) {
  HostDisplayMemory()[0] = 0xFFFF;
  const ScopedTempDir scratch("host_window_shot_");
  ASSERT_TRUE(HostWriteScreenshot(scratch.HostPath("shot.png")));
  const std::string bytes = scratch.ReadFile("shot.png").value_or("");
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  // IHDR width and height, big-endian.
  EXPECT_EQ(static_cast<unsigned char>(bytes[18]) * 256 + static_cast<unsigned char>(bytes[19]), 640);
  EXPECT_EQ(static_cast<unsigned char>(bytes[22]) * 256 + static_cast<unsigned char>(bytes[23]), 480);
  EXPECT_FALSE(HostWriteScreenshot("/nonexistent-folder/shot.png"));
}

}  // namespace
