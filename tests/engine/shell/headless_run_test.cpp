// Unattended runs: the virtual clock, scripted input and screenshots of
// display memory make a run repeatable to the byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/shell/engine_main.h"
#include "fake_ports.h"
#include "host/run/input_schedule.h"
#include "shell_fixture.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

// A scene that paints a band that grows each frame and a square where the
// stylus last pressed.
void PaintingScene(CGameEngine& engine, int frame) {
  std::uint16_t* pixels = engine.backBuffer->GetPixels();
  const int width = static_cast<int>(engine.backBuffer->GetWidth());
  const int band = frame % 480;
  for (int x = 0; x < width; ++x) pixels[band * width + x] = static_cast<std::uint16_t>(0x001F + frame * 64);
  RECT row{0, band, width, band + 1};
  engine.dirtyList->Add(&row, 0);
  if (engine.input[INPUT_TAP]) {
    const int sx = static_cast<int>(engine.input[INPUT_STYLUS_X]);
    const int sy = static_cast<int>(engine.input[INPUT_STYLUS_Y]);
    for (int y = sy; y < sy + 8 && y < 480; ++y) {
      for (int x = sx; x < sx + 8 && x < width; ++x) pixels[y * width + x] = 0xF800;
    }
    RECT square{sx, sy, sx + 8, sy + 8};
    engine.dirtyList->Add(&square, 0);
  }
}

class HeadlessRunTest : public ShellTest {
 protected:
  std::string RunOnce(const std::string& name) {
    HostWindowSystemReset();
    HostDisplaySetPanel(HostPanel{480, 640, 0});
    HostClockSetVirtualNow(0);
    const std::string shot = dir_.HostPath(name + ".png");
    std::vector<ScheduledAction> actions;
    std::string error;
    EXPECT_TRUE(ParseInputScript("300 tap 100 300; 700 tap 600 400; 2000 close", &actions, &error)) << error;
    ScheduledAction screenshot;
    EXPECT_TRUE(ParseScreenshotRequest("1500:" + shot, &screenshot));
    actions.push_back(screenshot);
    HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
    RecordingServices services;
    const int result = RunEngine(RecordingCe5Build(), services,
                                 [] {
                                   auto app = std::make_unique<CGameApp>();
                                   auto game = std::make_unique<ScriptedGame>();
                                   game->frame = PaintingScene;
                                   app->game = std::move(game);
                                   return app;
                                 },
                                 nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(result, 0);
    EXPECT_GE(timeGetTime(), 2000u);
    HostSetWindowBackend(nullptr);
    return dir_.ReadFile(name + ".png").value_or("");
  }

  ScopedTempDir dir_{"headless_run_"};
};

TEST_F(HeadlessRunTest, SameScriptedRunGivesTheSameScreenshot) {
  const std::string first = RunOnce("first");
  const std::string second = RunOnce("second");
  ASSERT_GT(first.size(), 100u);
  EXPECT_EQ(first, second);
  // The taps left their squares: the picture is not just the cleared screen.
  EXPECT_EQ(HostDisplayPixel(300, 639 - 100), 0xF800);
  EXPECT_EQ(HostDisplayPixel(400, 639 - 600), 0xF800);
}

TEST_F(HeadlessRunTest, ProgramRunsHeadlessAndWritesItsScreenshot) {
  const std::string program = std::string(NOVEL_BINARY_DIR) + "/bin/novel_ce5";
  const std::string shot = dir_.HostPath("program.png");
  const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + program +
                              " --quit-after=5000 --input='500 tap 10 10' --screenshot=1000:" + shot +
                              " >/dev/null 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0);
  const std::string bytes = dir_.ReadFile("program.png").value_or("");
  EXPECT_EQ(bytes.substr(1, 3), "PNG");
  EXPECT_NE(std::system((program + " --panel=huge >/dev/null 2>&1").c_str()), 0);
}

}  // namespace
