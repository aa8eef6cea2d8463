#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/run/call_log.h"
#include "host/window/host_input.h"
#include "host/time/time_api.h"
#include "host/window/window_api.h"
#include "host/window/window_backend.h"

namespace {

std::vector<std::string> gSeen;

LRESULT Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  gSeen.push_back(std::to_string(message));
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class WindowCoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostWindowSystemReset();
    HostSetWindowBackend(nullptr);
    HostClockSetMode(HostClockMode::Virtual);
    gSeen.clear();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Recorder;
    windowClass.lpszClassName = u"TEST";
    ASSERT_NE(RegisterClassW(&windowClass), 0);
  }
  void TearDown() override { HostWindowSystemReset(); }

  HWND Make(const char16_t* title = u"t") {
    return CreateWindowExW(0, u"TEST", title, WS_VISIBLE, 0, 0, 480, 640, nullptr, nullptr, nullptr, nullptr);
  }
  static std::string Id(UINT message) { return std::to_string(message); }
};

TEST_F(WindowCoreTest, CreationAndDestructionDeliverTheirMessagesAtOnce) {
  HWND window = Make();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(gSeen, (std::vector<std::string>{Id(WM_CREATE), Id(WM_SIZE)}));
  gSeen.clear();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(gSeen, std::vector<std::string>{Id(WM_DESTROY)});
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(WindowCoreTest, DuplicateClassAndUnknownClassFail) {
  WNDCLASSW again{};
  again.lpfnWndProc = Recorder;
  again.lpszClassName = u"TEST";
  EXPECT_EQ(RegisterClassW(&again), 0);
  EXPECT_EQ(CreateWindowExW(0, u"NONE", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowCoreTest, PaintComesWhenNothingElseWaitsAndUpdateSendsItAtOnce) {
  HWND window = Make();
  gSeen.clear();
  PostMessageW(window, WM_KEYDOWN, VK_UP, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_PAINT);
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_EQ(gSeen, (std::vector<std::string>{Id(WM_PAINT), Id(WM_ERASEBKGND)}));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  InvalidateRect(window, nullptr, FALSE);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  DispatchMessageW(&msg);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(WindowCoreTest, QuitEndsGetMessageWithItsCode) {
  HWND window = Make();
  UpdateWindow(window);
  PostMessageW(window, 0x0400, 0, 0);
  PostQuitMessage(3);
  MSG msg;
  EXPECT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, 0x0400);
  EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(WindowCoreTest, DeviceEventsBecomeMessagesForTheMainWindow) {
  HWND window = Make();
  UpdateWindow(window);
  HostInjectPointer(HostPointer::Down, 10, 600);
  HostInjectPointer(HostPointer::Move, -2, 601);
  HostInjectPointer(HostPointer::Up, 11, 602);
  HostInjectKey(VK_LEFT, true);
  HostInjectClose();
  std::vector<MSG> got;
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) got.push_back(msg);
  ASSERT_EQ(got.size(), 5u);
  EXPECT_EQ(got[0].message, WM_LBUTTONDOWN);
  EXPECT_EQ(got[0].lParam, (600 << 16) | 10);
  EXPECT_EQ(got[0].wParam, MK_LBUTTON);
  EXPECT_EQ(static_cast<std::int16_t>(got[1].lParam & 0xFFFF), -2);
  EXPECT_EQ(got[2].message, WM_LBUTTONUP);
  EXPECT_EQ(got[3].message, WM_KEYDOWN);
  EXPECT_EQ(got[3].wParam, VK_LEFT);
  EXPECT_EQ(got[4].message, WM_CLOSE);
  EXPECT_EQ(got[4].hwnd, window);
  // The default handling of the close box destroys the window.
  DispatchMessageW(&got[4]);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowCoreTest, ForegroundFollowsFocusAndMinimise) {
  HWND window = Make();
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  SetForegroundWindow(window);
  EXPECT_EQ(GetForegroundWindow(), window);
  HostInjectFocus(false);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  HostInjectFocus(true);
  EXPECT_EQ(GetForegroundWindow(), window);
  ShowWindow(window, SW_MINIMIZE);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  // The lowest bit names the same window.
  SetForegroundWindow(reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(window) | 1));
  EXPECT_EQ(GetForegroundWindow(), window);
}

TEST_F(WindowCoreTest, FindsByClassAndTitleAndFollowsRetitling) {
  HWND window = Make(u"first");
  EXPECT_EQ(FindWindowW(u"TEST", u"first"), window);
  EXPECT_EQ(FindWindowW(u"TEST", u"second"), nullptr);
  SetWindowTextW(window, u"second");
  EXPECT_EQ(FindWindowW(u"TEST", u"second"), window);
  EXPECT_EQ(FindWindowW(u"OTHER", u"second"), nullptr);
  EXPECT_EQ(SetWindowLongW(window, GWL_USERDATA, 42), 0);
  EXPECT_EQ(GetWindowLongW(window, GWL_USERDATA), 42);
}

TEST_F(WindowCoreTest, MessageBoxAndFailuresAreLogged) {
  HostCallLogEnable(true);
  MessageBoxW(nullptr, u"テキスト", u"Error", MB_OK);
  HostFailCall("CreateWindowExW");
  EXPECT_EQ(Make(), nullptr);
  HostClearFailures();
  EXPECT_EQ(HostCallLogTake(), (std::vector<std::string>{"MessageBoxW(Error: テキスト)", "CreateWindowExW"}));
  HostCallLogEnable(false);
}

}  // namespace
