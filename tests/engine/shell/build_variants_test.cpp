// The three builds' own start-up, clock and screen mode, run through the
// shared start-up with the real build variants.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/runtime/engine_clock.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/app_window.h"
#include "engine/shell/screen_mode.h"
#include "fake_ports.h"
#include "host/window/host_input.h"
#include "platform/ce3/ce3_build.h"
#include "platform/ce4/ce4_build.h"
#include "platform/ce5/ce5_build.h"
#include "shell_fixture.h"

namespace {

struct Build {
  const char* name;
  const BuildVariant& (*variant)();
  HostPanel panel;
  std::uint32_t screenWidth;  // as the build leaves it
  // What start-up calls between the steps every build shares.
  std::vector<std::string> timerStart;
  std::string displayRecord;
  std::vector<std::string> timerEnd;
};

const Build kBuilds[] = {
    {"novel_ce5", Ce5Build, {480, 640, 0}, 640, {"timeGetDevCaps", "timeBeginPeriod(1)"}, "ExtEscape",
     {"timeEndPeriod(1)"}},
    {"novel_ce4", Ce4Build, {480, 640, 0}, 640, {}, "ExtEscape", {}},
    {"novel_ce3", Ce3Build, {240, 320, 0}, 320, {}, "GXGetDisplayProperties", {}},
};

void PrintTo(const Build& build, std::ostream* out) { *out << build.name; }

const std::vector<std::string> kRecorded = {
    "FindWindowW", "SetForegroundWindow", "time", "LoadMp3Plugin", "LoadOggPlugin", "RegisterClassW",
    "CreateWindowExW", "SetWindowTextW", "SHFullScreen", "MessageBoxW", "GXOpenDisplay", "GXOpenInput", "ExtEscape",
    "GXGetDisplayProperties", "GXBeginDraw", "GXEndDraw", "ClearProfileCache", "ImmAssociateContext", "ShowWindow",
    "UpdateWindow", "LoadConfigAndBuildMenu", "GXCloseInput", "GXCloseDisplay", "FlushProfile", "engine destroyed",
    "DeleteMessageFont", "FreeOggPlugin", "FreeMp3Plugin"};

class BuildVariantTest : public ShellTest, public ::testing::WithParamInterface<Build> {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    // The sizes before start-up: a build that sets none keeps these.
    SetScreenWidth(320);
    SetScreenHeight(240);
    HostDisplaySetPanel(GetParam().panel);
  }

  int Run(std::function<void(CGameEngine&, int)> frame = nullptr) {
    return RunEngine(GetParam().variant(), services, ScriptedEngine(frame, &frames), nullptr, nullptr,
                     SW_SHOWNORMAL);
  }

  // The recorded calls from the single-instance check on (the engine object's
  // own construction comes before it).
  static std::vector<std::string> FromFindWindow(const std::vector<std::string>& log) {
    std::vector<std::string> calls = Only(log, kRecorded);
    auto first = std::find(calls.begin(), calls.end(), "FindWindowW");
    return std::vector<std::string>(first, calls.end());
  }

  static std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }

  RecordingServices services;
  int frames = 0;
};

TEST_P(BuildVariantTest, StartUpAndShutDownCallTheBuildsOwnPieces) {
  const Build& build = GetParam();
  HostCallLogTake();
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frames, 3);
  std::vector<std::string> calls = FromFindWindow(HostCallLogTake());
  // Start-up checks the record without drawing: the first bracket is the
  // first paint's, inside UpdateWindow. The brackets are the drawing code's.
  const auto firstDraw = std::find(calls.begin(), calls.end(), "GXBeginDraw");
  EXPECT_TRUE(firstDraw == calls.end() || std::find(calls.begin(), firstDraw, "UpdateWindow") != firstDraw);
  calls.erase(std::remove_if(calls.begin(), calls.end(),
                             [](const std::string& call) { return call == "GXBeginDraw" || call == "GXEndDraw"; }),
              calls.end());
  const auto startUpEnd = std::find(calls.begin(), calls.end(), "LoadConfigAndBuildMenu");
  ASSERT_NE(startUpEnd, calls.end());
  const std::vector<std::string> shutDown(startUpEnd + 1, calls.end());
  calls.erase(startUpEnd + 1, calls.end());
  EXPECT_EQ(calls, Joined({{"FindWindowW"}, build.timerStart,
                           {"LoadMp3Plugin", "LoadOggPlugin", "RegisterClassW", "CreateWindowExW", "SetWindowTextW",
                            "SHFullScreen", "GXOpenDisplay", "GXOpenInput", build.displayRecord, "ClearProfileCache",
                            "ImmAssociateContext(off)", "SetForegroundWindow", "ShowWindow(1)", "UpdateWindow",
                            "LoadConfigAndBuildMenu"}}));
  EXPECT_EQ(shutDown, Joined({{"ShowWindow(6)", "GXCloseInput", "GXCloseDisplay", "FlushProfile",
                               "ImmAssociateContext(restore)"},
                              build.timerEnd,
                              {"engine destroyed", "DeleteMessageFont", "FreeOggPlugin", "FreeMp3Plugin"}}));
  EXPECT_EQ(GetScreenWidth(), build.screenWidth);
  EXPECT_EQ(GetDesignWidth(), 800u);
  EXPECT_EQ(GetDesignHeight(), 600u);
}

TEST_P(BuildVariantTest, EarlyExitsShowTheSystemsTextAndUndoWhatWasSetUp) {
  const Build& build = GetParam();
  struct Case {
    const char* failing;
    const char* text;  // the message box as recorded; null: none
    bool displayOpened;
  } cases[] = {
      {"RegisterClassW", nullptr, false},
      {"SHFullScreen", "MessageBoxW(Error: ウィンドウのフルスクリーン化に失敗しました)", false},
      // Without a window the full-screen call fails first.
      {"CreateWindowExW", "MessageBoxW(Error: ウィンドウのフルスクリーン化に失敗しました)", false},
      {"GXOpenDisplay", "MessageBoxW(Error: GAPIライブラリのロードに失敗しました)", false},
      // An empty display record.
      {build.displayRecord.c_str(), "MessageBoxW(Error: GAPIライブラリのロードに失敗しました)", true},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.failing);
    HostWindowSystemReset();
    gRawFrameBuffer = RawFrameBuffer{};
    HostClearFailures();
    HostFailCall(test.failing);
    HostCallLogTake();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(frames, 0);
    const std::vector<std::string> calls = FromFindWindow(HostCallLogTake());
    std::vector<std::string> expectedMessages;
    if (test.text) expectedMessages.push_back(test.text);
    EXPECT_EQ(Only(calls, {"MessageBoxW"}), expectedMessages);
    // The record is checked without drawing.
    EXPECT_TRUE(Only(calls, {"GXBeginDraw", "GXEndDraw"}).empty());
    std::vector<std::string> expectedTail = build.timerEnd;
    if (test.displayOpened) expectedTail.insert(expectedTail.begin(), {"GXCloseInput", "GXCloseDisplay"});
    expectedTail.insert(expectedTail.end(), {"engine destroyed", "DeleteMessageFont", "FreeOggPlugin", "FreeMp3Plugin"});
    EXPECT_EQ(Only(calls, {"GXClose", "timeEndPeriod", "engine destroyed", "DeleteMessageFont", "Free"}), expectedTail);
    EXPECT_TRUE(Only(calls, {"LoadConfigAndBuildMenu", "ClearProfileCache", "FlushProfile"}).empty());
    EXPECT_EQ(HostMainWindow(), nullptr);
  }
}

TEST_P(BuildVariantTest, SecondStartBringsTheFirstForwardBeforeAnythingElse) {
  HWND first = OpenFirstInstance();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(FromFindWindow(HostCallLogTake()),
            (std::vector<std::string>{"FindWindowW", "SetForegroundWindow", "engine destroyed"}));
  EXPECT_EQ(GetForegroundWindow(), first);
}

TEST_P(BuildVariantTest, ClockFreezesResumesAndComesBackRawAfterTheWrap) {
  SetClockSource(GetParam().variant().clock);
  HostClockSetVirtualNow(5000);
  EXPECT_EQ(GetClockMs(), 5000u);
  FreezeClock(1);
  HostClockAdvance(300);
  EXPECT_EQ(GetClockMs(), 5000u);
  EXPECT_EQ(GetClockMs(), 5000u);
  FreezeClock(0);
  EXPECT_EQ(GetClockMs(), GetTickCount());
  EXPECT_EQ(GetClockMs(), 5300u);

  // Frames stay paced across the 32-bit wrap, and the clock gives the raw count.
  HostClockSetVirtualNow(0xFFFFFF00u);
  CAppWindow window;
  window.SetFramePeriod(16);
  int due = 0;
  for (std::uint32_t step = 1; step <= 32; ++step) {
    HostClockAdvance(16);
    if (window.IsFrameDue()) ++due;
  }
  EXPECT_EQ(due, 32);
  EXPECT_EQ(GetClockMs(), 0x100u);
}

INSTANTIATE_TEST_SUITE_P(Builds, BuildVariantTest, ::testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.name); });

// Stylus points map back to the back buffer by each build's screen mode.
class StylusMappingTest : public ShellTest {};

TEST_F(StylusMappingTest, EachBuildMapsByItsOwnScreenMode) {
  struct Case {
    const char* build;
    const BuildVariant& (*variant)();
    HostPanel panel;
    std::uint32_t screenWidth;
    POINT expected;  // for the tap at panel point (10, 20)
  } cases[] = {
      {"ce5 portrait VGA", Ce5Build, {480, 640, 0}, 640, {619, 10}},
      {"ce4 portrait VGA", Ce4Build, {480, 640, 0}, 640, {619, 10}},
      {"ce4 landscape", Ce4Build, {640, 480, 0}, 640, {10, 20}},
      // Only the VGA flag, never set at 320 wide: the portrait 320 rule on
      // any panel, the landscape one included.
      {"ce3", Ce3Build, {240, 320, 0}, 320, {299, 10}},
      {"ce3 on a large panel", Ce3Build, {480, 640, 0}, 320, {299, 10}},
      {"ce3 on a landscape panel", Ce3Build, {640, 480, 0}, 320, {299, 10}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.build);
    HostDisplaySetPanel(test.panel);
    SetScreenWidth(test.screenWidth);
    SetDisplayAccess(test.variant().display);
    CScreenMode mode;
    std::int32_t x = 10;
    std::int32_t y = 20;
    mode.MapStylusPoint(&x, &y);
    EXPECT_EQ(x, test.expected.x);
    EXPECT_EQ(y, test.expected.y);
  }
}

TEST_F(StylusMappingTest, GameApiScreenModeConsultsNeitherEscapeNorMetrics) {
  SetScreenWidth(320);
  SetDisplayAccess(Ce3Build().display);
  HostCallLogTake();
  CScreenMode mode;
  EXPECT_EQ(mode.vga, 0u);
  EXPECT_EQ(mode.highResolution, 0u);
  EXPECT_EQ(mode.landscape, 0u);
  EXPECT_TRUE(Only(HostCallLogTake(), {"ExtEscape", "GXGetDisplayProperties"}).empty());
  SetScreenWidth(640);
  mode.Detect();
  EXPECT_EQ(mode.vga, 1u);
}

}  // namespace
