#include <gtest/gtest.h>

#include <algorithm>

#include "engine/shell/engine_main.h"
#include "fake_ports.h"
#include "host/text/code_page.h"
#include "host/files/file_api.h"
#include "host/window/host_input.h"
#include "host/display/gapi.h"
#include "host/memory/memory_api.h"
#include "host/module/module_api.h"
#include "host/time/time_api.h"
#include "shell_fixture.h"

namespace {

const std::vector<std::string> kSequenceCalls = {
    "FindWindowW", "SetForegroundWindow", "timeBeginPeriod", "LoadMp3Plugin", "LoadOggPlugin", "RegisterClassW",
    "CreateWindowExW", "SetWindowTextW", "SHFullScreen", "MessageBoxW", "GXOpenDisplay", "GXOpenInput",
    "ClearProfileCache", "ImmAssociateContext", "ShowWindow", "UpdateWindow", "LoadConfigAndBuildMenu",
    "Mixer.Close", "DestroyWindow", "WriteSystemData", "WriteProfileValue", "PostQuitMessage", "GXCloseInput",
    "GXCloseDisplay", "FlushProfile", "timeEndPeriod", "engine destroyed", "DeleteMessageFont", "FreeOggPlugin",
    "FreeMp3Plugin"};

class StartupTest : public ShellTest {
 protected:
  // Runs the engine; the scene closes the window at frame closeAtFrame
  // (or as frame says).
  int Run(std::function<void(CGameEngine&, int)> frame = nullptr) {
    return RunEngine(RecordingCe5Build(), services, ScriptedEngine(frame, &frames), nullptr, nullptr,
                     SW_SHOWNORMAL);
  }

  // The settings' writes at exit show as one entry.
  std::vector<std::string> Sequence() {
    std::vector<std::string> calls = Only(HostCallLogTake(), kSequenceCalls);
    calls.erase(std::unique(calls.begin(), calls.end(),
                            [](const std::string& a, const std::string& b) { return a == b && a == "WriteProfileValue"; }),
                calls.end());
    return calls;
  }

  RecordingServices services;
  int frames = 0;
};

TEST_F(StartupTest, NormalRunBringsUpRunsAndShutsDownInOrder) {
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(frames, 3);
  const std::vector<std::string> expected = {
      "FindWindowW", "timeBeginPeriod", "LoadMp3Plugin", "LoadOggPlugin", "RegisterClassW", "CreateWindowExW",
      "SetWindowTextW", "SHFullScreen", "GXOpenDisplay", "GXOpenInput", "ClearProfileCache",
      "ImmAssociateContext(off)", "SetForegroundWindow", "ShowWindow(1)", "UpdateWindow", "LoadConfigAndBuildMenu",
      // WM_CLOSE, then WM_DESTROY inside DestroyWindow
      "Mixer.Close", "DestroyWindow", "WriteSystemData", "WriteProfileValue", "PostQuitMessage",
      // the loop's foreground check before it takes WM_QUIT: the window is gone
      "ShowWindow(6)",
      // shutdown
      "GXCloseInput", "GXCloseDisplay", "FlushProfile", "ImmAssociateContext(restore)", "timeEndPeriod",
      "engine destroyed", "DeleteMessageFont", "FreeOggPlugin", "FreeMp3Plugin"};
  EXPECT_EQ(Sequence(), expected);
}

TEST_F(StartupTest, SecondInstanceBringsTheFirstForwardAndTouchesNothing) {
  HWND first = OpenFirstInstance();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(Sequence(), (std::vector<std::string>{"FindWindowW", "SetForegroundWindow", "engine destroyed"}));
  EXPECT_EQ(GetForegroundWindow(), first);
}

TEST_F(StartupTest, EarlyExitsShowTheirMessageAndUndoWhatWasSetUp) {
  const std::vector<std::string> unwindPlugins = {"timeEndPeriod", "engine destroyed", "DeleteMessageFont",
                                                  "FreeOggPlugin", "FreeMp3Plugin"};
  struct Case {
    const char* failing;
    std::string message;  // empty: none
    bool displayOpened;
  } cases[] = {
      {"RegisterClassW", "", false},
      {"SHFullScreen", "MessageBoxW(Error: ウィンドウのフルスクリーン化に失敗しました)", false},
      // The full-screen call comes first and fails on the missing window.
      {"CreateWindowExW", "MessageBoxW(Error: ウィンドウのフルスクリーン化に失敗しました)", false},
      {"GXOpenDisplay", "MessageBoxW(Error: GAPIライブラリのロードに失敗しました)", false},
      {"ExtEscape", "MessageBoxW(Error: GAPIライブラリのロードに失敗しました)", true},
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
    const std::vector<std::string> log = HostCallLogTake();
    const std::vector<std::string> messages = Only(log, {"MessageBoxW"});
    const std::vector<std::string> expectedMessages =
        test.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{test.message};
    EXPECT_EQ(messages, expectedMessages);
    // Nothing of the game ran or was saved; everything set up was undone.
    EXPECT_TRUE(Only(log, {"LoadConfigAndBuildMenu", "WriteSystemData", "WriteProfileValue"}).empty());
    std::vector<std::string> tail = Only(log, {"GXCloseInput", "GXCloseDisplay", "timeEndPeriod", "engine destroyed",
                                               "DeleteMessageFont", "FreeOggPlugin", "FreeMp3Plugin"});
    std::vector<std::string> expectedTail = unwindPlugins;
    if (test.displayOpened) {
      expectedTail.insert(expectedTail.begin(), {"GXCloseInput", "GXCloseDisplay"});
    }
    EXPECT_EQ(tail, expectedTail);
    EXPECT_EQ(HostMainWindow(), nullptr);
  }
}

TEST_F(StartupTest, FatalStatusEndsWithoutClosingTheSoundFirstButSavesAsUsual) {
  EXPECT_EQ(Run([](CGameEngine& engine, int n) {
              if (n == 1) engine.statusWord = STATUS_PICTURE_FAILED;
            }),
            0);
  EXPECT_EQ(frames, 2);
  const std::vector<std::string> log = Sequence();
  EXPECT_TRUE(Only(log, {"Mixer.Close"}).empty());
  EXPECT_EQ(Only(log, {"DestroyWindow", "WriteSystemData", "WriteProfileValue", "PostQuitMessage"}),
            (std::vector<std::string>{"DestroyWindow", "WriteSystemData", "WriteProfileValue", "PostQuitMessage"}));
}

TEST_F(StartupTest, FirstPaintShowsTheClearedBackBuffer) {
  std::fill(HostDisplayMemory(), HostDisplayMemory() + 480 * 640, std::uint16_t{0x1234});
  Run([](CGameEngine& engine, int) { PostMessageW(engine.GetWindow(), WM_CLOSE, 0, 0); });
  for (int i = 0; i < 480 * 640; i += 97) ASSERT_EQ(HostDisplayMemory()[i], 0) << i;
}

TEST_F(StartupTest, WindowGetsItsTitleAndRunsFramesAt16Milliseconds) {
  std::vector<std::uint32_t> frameTimes;
  Run([&](CGameEngine& engine, int n) {
    frameTimes.push_back(engine.frameTime);
    if (n == 0) {
      EXPECT_NE(FindWindowW(u"MYSYSTEM", u"ペルモちゃん"), nullptr);
    }
    if (n == 10) PostMessageW(engine.GetWindow(), WM_CLOSE, 0, 0);
  });
  ASSERT_EQ(frameTimes.size(), 11u);
  for (std::size_t i = 1; i < frameTimes.size(); ++i) EXPECT_EQ(frameTimes[i] - frameTimes[i - 1], 16u);
  EXPECT_EQ(FindWindowW(u"MYSYSTEM", u"ペルモちゃん"), nullptr);
}

class WindowProcedureTest : public ShellTest {};

TEST_F(WindowProcedureTest, RecordNamingAnotherWindowGetsZeroAndNoHandler) {
  CGameApp app;
  app.mixer = std::make_unique<RecordingMixer>();
  ASSERT_NE(app.RegisterWindowClass(nullptr, 0, CS_HREDRAW | CS_VREDRAW, "MYSYSTEM"), 0);
  HWND window = app.Create(nullptr, 0, 0, 480, 640, WS_VISIBLE, "MYSYSTEM", SW_SHOWNORMAL, WS_EX_TOPMOST);
  ASSERT_NE(window, nullptr);
  WNDCLASSW other{};
  other.lpfnWndProc = &CAppWindow::WindowProcTrampoline;
  other.lpszClassName = u"OTHER";
  RegisterClassW(&other);
  HWND stranger = CreateWindowExW(0, u"OTHER", u"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(stranger, nullptr);
  LocalFree(reinterpret_cast<HLOCAL>(SetWindowLongW(stranger, GWL_USERDATA, GetWindowLongW(window, GWL_USERDATA))));
  HostCallLogTake();
  EXPECT_EQ(SendMessageW(stranger, WM_CLOSE, 0, 0), 0);
  EXPECT_TRUE(Only(HostCallLogTake(), {"Mixer.Close", "DestroyWindow"}).empty());
  EXPECT_TRUE(IsWindow(window));
  app.DetachWindow();
  DestroyWindow(window);
}

TEST_F(WindowProcedureTest, ProgramFolderIsCutAfterTheLastRealBackslash) {
  struct Case {
    const char* linuxPath;
    const char* expectedUtf8;
  } cases[] = {
      // "ソ" and "表" end in the byte of a backslash in Shift-JIS.
      {"/games/ソ表/novel_ce5", "\\games\\ソ表\\"},
      {"/novel_ce5", "\\"},
      {"novel_ce5", "novel_ce5"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.linuxPath);
    HostSetModulePath(test.linuxPath);
    CEngineBase engine;
    std::u16string wide = HostWideFromUtf8(test.expectedUtf8);
    char expected[256] = {};
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, expected, sizeof expected, nullptr, nullptr);
    EXPECT_EQ(engine.GetProgramFolder(), std::string(expected));
  }
  HostSetModulePath("");
}

TEST_F(WindowProcedureTest, ConstructionDefaults) {
  CGameApp app;
  EXPECT_EQ(app.options[MESSAGE_SPEED], 2u);
  EXPECT_EQ(app.options[MUSIC_VOL], 60u);
  EXPECT_EQ(app.options[BACKLOG_SIZE_MODE], 96u);
  EXPECT_EQ(app.options[LOCK_SKIP], 0u);
  EXPECT_EQ(app.windowActive, 1u);
  EXPECT_EQ(app.screenEffectLevel, 256u);
  EXPECT_EQ(app.backgroundClear, 1u);
  EXPECT_EQ(app.sceneState, SCENE_TITLE);
  EXPECT_EQ(app.GetTitle(), kEngineBanner);
  EXPECT_EQ(app.defaultKeys.keys[0].vkCode, static_cast<std::int16_t>(VK_UP));
  EXPECT_EQ(app.backBuffer->GetWidth(), 640u);
  EXPECT_EQ(app.backBuffer->GetPixels()[0], 0);
}

}  // namespace
