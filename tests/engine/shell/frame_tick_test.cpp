// The frame tick's branches and the foreground check, with fakes around the
// engine object.
#include <gtest/gtest.h>

#include "engine/shell/game_app.h"
#include "fake_ports.h"
#include "host/window/host_input.h"
#include "host/device/power_api.h"
#include "shell_fixture.h"

namespace {

struct FakeMenu : SystemMenuPort {
  std::uint32_t open = 0;
  std::uint32_t IsOpen() const override { return open; }
  void HandleInput(HWND, InputState&) override { HostCallLogRecord("Menu.HandleInput"); }
  int Open(HWND) override {
    HostCallLogRecord("Menu.Open");
    open = 1;
    return 1;
  }
};

struct FakeMovie : CMoviePlayer {
  int pollsUntilEnd = 1000;
  ~FakeMovie() override { HostCallLogRecord("Movie.Freed"); }
  int Advance() override {
    HostCallLogRecord("Movie.Poll");
    return --pollsUntilEnd > 0 ? 1 : 0;
  }
};

struct RecordingCompositor : CompositorPort {
  void ComposeRect(const LayerNode*, const RECT& rect) override {
    HostCallLogRecord("Compose " + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," +
                      std::to_string(rect.right) + "," + std::to_string(rect.bottom));
  }
};

class FrameTickTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    app = std::make_unique<CGameApp>();
    app->RegisterWindowClass(nullptr, 0, CS_HREDRAW | CS_VREDRAW, "MYSYSTEM");
    window = app->Create(nullptr, 0, 0, 480, 640, WS_VISIBLE, "MYSYSTEM", SW_SHOWNORMAL, WS_EX_TOPMOST);
    SetForegroundWindow(window);
    RawGetDisplayProperties(&app->backBuffer->properties);
    GXOpenDisplay(window, GX_FULLSCREEN);
    app->mixer = std::make_unique<RecordingMixer>();
    auto menuFake = std::make_unique<FakeMenu>();
    menu = menuFake.get();
    app->systemMenu = std::move(menuFake);
    app->compositor = std::make_unique<RecordingCompositor>();
    auto gameFake = std::make_unique<ScriptedGame>();
    game = gameFake.get();
    app->game = std::move(gameFake);
    app->dirtyList->SetSize(640, 480);
    app->SetFramePeriod(16);
    HostClockSetVirtualNow(16);  // the first frame is due
    HostCallLogTake();
  }
  void TearDown() override {
    GXCloseDisplay();
    app->DetachWindow();
    app.reset();
    ShellTest::TearDown();
  }

  FakeMovie* StartMovie() {
    auto movie = std::make_unique<FakeMovie>();
    FakeMovie* raw = movie.get();
    app->backBuffer->AttachMovie(std::move(movie));
    return raw;
  }

  std::unique_ptr<CGameApp> app;
  HWND window = nullptr;
  FakeMenu* menu = nullptr;
  ScriptedGame* game = nullptr;
};

TEST_F(FrameTickTest, OpenMenuTakesThePassWithoutSceneOrCompose) {
  menu->open = 1;
  const DWORD before = timeGetTime();
  EXPECT_EQ(app->OnIdle(), 0);
  EXPECT_EQ(HostCallLogTake(), std::vector<std::string>{"Menu.HandleInput"});
  EXPECT_EQ(timeGetTime() - before, 1u);  // Sleep(1)
}

TEST_F(FrameTickTest, MoviePlaysUntilAnAdvanceInputSkipsIt) {
  StartMovie();
  EXPECT_EQ(app->OnIdle(), 1);
  EXPECT_EQ(HostCallLogTake(), std::vector<std::string>{"Movie.Poll"});
  // A tap: inputs consumed, movie stopped, whole screen marked.
  app->input[INPUT_STYLUS_DOWN_EVENT] = 1;
  app->input[INPUT_C] = 1;
  EXPECT_EQ(app->OnIdle(), 1);
  EXPECT_EQ(HostCallLogTake(), std::vector<std::string>{"Movie.Freed"});
  EXPECT_EQ(app->input[INPUT_TAP], 0u);
  EXPECT_EQ(app->input[INPUT_C], 0u);
  EXPECT_FALSE(app->backBuffer->IsMoviePlaying());
  RECT whole;
  ASSERT_EQ(app->dirtyList->Count(), 1u);
  app->dirtyList->GetAt(0, &whole);
  EXPECT_EQ(whole.right, 640);
  EXPECT_EQ(whole.bottom, 480);
}

TEST_F(FrameTickTest, MovieThatEndsOnItsOwnLeavesTheScreenToBeRedrawn) {
  StartMovie()->pollsUntilEnd = 1;
  app->OnIdle();
  EXPECT_FALSE(app->backBuffer->IsMoviePlaying());
  EXPECT_EQ(app->dirtyList->Count(), 1u);
}

TEST_F(FrameTickTest, NoFrameDueSleeps) {
  HostClockSetVirtualNow(10);
  app->SetFramePeriod(16);
  EXPECT_EQ(app->OnIdle(), 1);
  EXPECT_TRUE(Only(HostCallLogTake(), {"RunSceneFrame"}).empty());
  EXPECT_EQ(timeGetTime(), 11u);
}

TEST_F(FrameTickTest, SceneThatStartsAMovieReturnsBeforeComposing) {
  game->frame = [this](CGameEngine&, int) { StartMovie(); };
  EXPECT_EQ(app->OnIdle(), 1);
  EXPECT_EQ(HostCallLogTake(), std::vector<std::string>{"RunSceneFrame"});
  EXPECT_EQ(app->dirtyList->Count(), 1u);
}

TEST_F(FrameTickTest, FatalStatusDestroysTheWindowBeforeAnyPresent) {
  RECT rect{0, 0, 10, 10};
  app->dirtyList->Add(&rect, 1);
  std::fill(HostDisplayMemory(), HostDisplayMemory() + 480 * 640, std::uint16_t{0x5555});
  app->backBuffer->GetPixels()[0] = 0xFFFF;
  game->frame = [](CGameEngine& engine, int) { engine.statusWord = STATUS_BLANK_HIGH_SLOT; };
  EXPECT_EQ(app->OnIdle(), 1);
  EXPECT_EQ(Only(HostCallLogTake(), {"RunSceneFrame", "DestroyWindow", "Compose", "WriteSystemData"}),
            (std::vector<std::string>{"RunSceneFrame", "DestroyWindow", "WriteSystemData"}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(app->dirtyList->Count(), 0u);
  EXPECT_EQ(HostDisplayPixel(0, 639), 0x5555);
}

TEST_F(FrameTickTest, SceneFrameComposesDirtyRectanglesAndPresents) {
  const unsigned resets = HostIdleTimerResets();
  app->backgroundColor = 0x0000FC00;  // full green, 0x07E0 on screen
  game->frame = [](CGameEngine& engine, int) {
    RECT rect{10, 20, 30, 40};
    engine.dirtyList->Add(&rect, 1);
  };
  EXPECT_EQ(app->OnIdle(), 1);
  EXPECT_EQ(HostIdleTimerResets(), resets + 1);
  EXPECT_EQ(Only(HostCallLogTake(), {"RunSceneFrame", "Compose"}),
            (std::vector<std::string>{"RunSceneFrame", "Compose 10,20,30,40"}));
  EXPECT_EQ(HostDisplayPixel(20, 639 - 10), 0x07E0);
  EXPECT_EQ(HostDisplayPixel(19, 639 - 10), 0);
  EXPECT_EQ(app->dirtyList->Count(), 0u);
}

TEST_F(FrameTickTest, BackgroundIsClearedOutsideTheGameAndInItOnlyWithoutSlot28) {
  struct Case {
    std::uint32_t scene;
    bool slotEmpty;
    std::uint32_t clear;
  } cases[] = {{SCENE_TITLE, false, 1}, {SCENE_GAME, true, 1}, {SCENE_GAME, false, 0}};
  std::uint32_t now = 16;
  for (const Case& test : cases) {
    app->sceneState = test.scene;
    if (test.slotEmpty)
      app->pictureSlots.FreePictureSlot(28);
    else
      app->pictureSlots.CreateBlankPictureSlot(28, 800, 600);
    HostClockSetVirtualNow(now += 16);
    app->OnIdle();
    EXPECT_EQ(app->backgroundClear, test.clear);
  }
}

TEST_F(FrameTickTest, ShakenFramePresentsTheWholeScreenMoved) {
  std::fill(app->backBuffer->GetPixels(), app->backBuffer->GetPixels() + 640 * 480, std::uint16_t{0xF800});
  // A shake of 24 design px moves the 640-wide screen by 19 px.
  app->shakeX = 24;
  app->OnIdle();
  EXPECT_EQ(HostDisplayPixel(0, 639 - 18), 0);
  EXPECT_EQ(HostDisplayPixel(0, 639 - 19), 0xF800);
  EXPECT_EQ(HostDisplayPixel(479, 0), 0xF800);
}

TEST_F(FrameTickTest, ForegroundLossAndRegain) {
  StartMovie();
  HostInjectFocus(false);
  app->CheckForeground();
  EXPECT_EQ(app->windowActive, 0u);
  EXPECT_FALSE(app->backBuffer->IsMoviePlaying());
  EXPECT_EQ(Only(HostCallLogTake(), {"Movie.Freed", "Mixer.Suspend", "GXSuspend", "ShowWindow"}),
            (std::vector<std::string>{"Movie.Freed", "Mixer.Suspend", "GXSuspend", "ShowWindow(6)"}));
  // Inactive: frames poll input but run no scene.
  EXPECT_EQ(app->OnIdle(), 1);
  EXPECT_TRUE(Only(HostCallLogTake(), {"RunSceneFrame"}).empty());
  app->CheckForeground();
  EXPECT_TRUE(HostCallLogTake().empty());

  HostInjectFocus(true);
  app->CheckForeground();
  EXPECT_EQ(app->windowActive, 1u);
  EXPECT_EQ(Only(HostCallLogTake(), {"GXResume", "Mixer.Resume", "ShowWindow"}),
            (std::vector<std::string>{"GXResume", "Mixer.Resume", "ShowWindow(5)"}));
  RECT whole;
  ASSERT_EQ(app->dirtyList->Count(), 1u);
  EXPECT_EQ(app->dirtyList->GetAt(0, &whole), 1u);
  EXPECT_EQ(whole.right, 640);
  EXPECT_EQ(whole.bottom, 480);
}

TEST_F(FrameTickTest, MessagesReachTheEngineThroughTheWindow) {
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, (20 << 16) | 10);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_EQ(app->input[INPUT_STYLUS_DOWN_EVENT], 1u);
  EXPECT_EQ(app->input[INPUT_STYLUS_X], 639u - 20u);
  EXPECT_EQ(app->input[INPUT_STYLUS_Y], 10u);
}

}  // namespace
