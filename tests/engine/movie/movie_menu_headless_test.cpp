// The pop-up menu opened while a movie plays, on the virtual clock: the panel
// lies over the frozen frame, the movie's sound goes on unbroken, and once the
// menu is closed the movie shows the frame its sound position makes due and
// ends when it would have ended without the menu.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/movie/movie_clock.h"
#include "engine/shell/engine_main.h"
#include "engine/shell/fake_ports.h"
#include "engine/shell/shell_fixture.h"
#include "game/menu/system_menu.h"
#include "host/audio/audio_backend.h"
#include "host/module/module_api.h"
#include "host/run/input_schedule.h"
#include "tests/engine/movie/movie_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/position_log_mixer.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/screenshot_pixel.h"

namespace {

constexpr std::uint32_t kFramesPerSecond = 4;
constexpr std::uint32_t kFrames = 12;  // 3 s, longer than the 1.07 s track
constexpr std::uint16_t kPanel = 0xD699;
constexpr int kMenuShot = 800;
constexpr int kAfterShot = 1150;

struct MovieRun {
  std::vector<std::pair<DWORD, std::int32_t>> positions;
  std::vector<std::uint8_t> sound;
  // When the track's end was first seen.
  DWORD EndTime() const {
    for (const auto& [time, position] : positions) {
      if (position < 0) return time;
    }
    return 0;
  }
  // The frame the last position read before time makes due.
  std::int64_t FrameBefore(DWORD time) const {
    std::int32_t position = -1;
    for (const auto& [at, value] : positions) {
      if (at < time) position = value;
    }
    return MovieFrameAt(kFramesPerSecond, 1, position);
  }
};

class MovieMenuHeadlessTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    for (std::uint32_t frame = 0; frame < kFrames; ++frame) {
      records_.push_back(FlatPictureRecord(240, 320, frame + 1));
      colours_.push_back(DecodeMovieRecord(records_.back())[0]);
    }
    dir_.WriteFile("data/clip.rzm2", MovieFileBytes(MovieHeader(true, 240, 320, kFramesPerSecond, 1), records_));
    dir_.WriteFile("data/clip.ogg", ReadFileBytes(NOVEL_TEST_DATA_DIR "/sound/sine22_stereo.ogg"));
    std::filesystem::copy_file(std::string(NOVEL_BINARY_DIR) + "/bin/Tamberwick.ovl", dir_.HostPath("Tamberwick.ovl"));
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
    HostAudioSetDevice(HostAudioDevice::Manual);
  }
  void TearDown() override {
    HostAudioSetCapture("");
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  MovieRun Run(const std::string& name, const std::string& keys) {
    MovieRun run;
    HostWindowSystemReset();
    HostClockSetVirtualNow(0);
    HostAudioSetCapture(dir_.HostPath(name + ".wav"));
    std::vector<ScheduledAction> actions;
    std::string error;
    EXPECT_TRUE(ParseInputScript(keys + "3000 close", &actions, &error)) << error;
    for (const int at : {kMenuShot, kAfterShot}) {
      ScheduledAction shot;
      EXPECT_TRUE(ParseScreenshotRequest(std::to_string(at) + ":" + Shot(name, at), &shot));
      actions.push_back(shot);
    }
    HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
    ProcessServicesPort services;
    const int result = RunEngine(
        RecordingCe5Build(), services,
        [&] {
          auto app = std::make_unique<CGameApp>();
          auto mixer = std::make_unique<PositionLog>();
          mixer->log = &run.positions;
          app->mixer = std::move(mixer);
          app->systemMenu = std::make_unique<CSystemMenu>();
          auto game = std::make_unique<ScriptedGame>();
          game->frame = [&](CGameEngine& engine, int frame) {
            if (frame != 0) return;
            engine.SetDataFolder(dir_.EnginePath("data/"));
            engine.options[MASTER_VOL] = 100;
            engine.options[MOV_VOL] = 100;
            EXPECT_EQ(engine.StartMovie("clip"), 0);
          };
          app->game = std::move(game);
          return app;
        },
        nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(result, 0);
    HostAudioSetCapture("");
    run.sound = ReadFileBytes(dir_.HostPath(name + ".wav"));
    return run;
  }
  std::string Shot(const std::string& name, int at) const { return dir_.HostPath(name + std::to_string(at) + ".png"); }

  ScopedTempDir dir_{"movie_menu_"};
  std::vector<std::vector<std::uint8_t>> records_;
  std::vector<std::uint16_t> colours_;
};

TEST_F(MovieMenuHeadlessTest, TheMovieWaitsUnderTheMenuWhileItsSoundGoesOn) {
  const MovieRun plain = Run("plain", "");
  // Escape opens the menu at 600 ms, Left at its root closes it at 1000 ms.
  const MovieRun menu = Run("menu", "600 press escape; 1000 press left; ");

  EXPECT_NE(ScreenshotPixel(Shot("plain", kMenuShot), 150, 60), kPanel);
  EXPECT_EQ(ScreenshotPixel(Shot("menu", kMenuShot), 150, 60), kPanel);
  EXPECT_EQ(ScreenshotPixel(Shot("menu", kMenuShot), 200, 45), kPanel);
  // Beside the panel the frame shown when the menu opened stays.
  EXPECT_EQ(ScreenshotCentrePixel(Shot("menu", kMenuShot)), colours_[menu.FrameBefore(600)]);
  EXPECT_LT(menu.FrameBefore(600), menu.FrameBefore(kAfterShot)) << "the sound moved on under the menu";

  // Closed: the frame of the sound position, the same as without the menu.
  const std::int64_t after = menu.FrameBefore(kAfterShot);
  EXPECT_EQ(ScreenshotCentrePixel(Shot("menu", kAfterShot)), colours_[after]);
  EXPECT_EQ(after, plain.FrameBefore(kAfterShot));
  EXPECT_EQ(ScreenshotPixel(Shot("menu", kAfterShot), 150, 60), colours_[after]) << "the panel is gone";

  // The same sound, sample for sample, and the same end.
  ASSERT_GT(plain.sound.size(), 44u + 4 * 22050);
  EXPECT_TRUE(menu.sound == plain.sound);
  ASSERT_NE(plain.EndTime(), 0u);
  EXPECT_EQ(menu.EndTime(), plain.EndTime());
}

}  // namespace
