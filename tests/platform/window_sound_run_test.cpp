// A headless run of the game test data: the script sets the window, plays
// music, an effect and a voice and asks for a movie; the screenshot shows the
// window frame and the WAV capture the sounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "host/audio/audio_backend.h"
#include "host/module/module_api.h"
#include "host/run/input_schedule.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

constexpr std::size_t kWaveHeader = 44;

// The game's state at shutdown, while the engine object still exists.
struct ObservingServices : ProcessServicesPort {
  CGame* game = nullptr;
  std::string music;
  std::string seenScript;
  std::string voice;
  std::uint32_t windowShown = 0;
  std::int32_t frameType = -1;
  void FlushProfile() override {
    music = game->sound.music.name;
    voice = game->sound.voice.name;
    const char* script = game->seen.SeenName(kSeenScripts, 0);
    seenScript = script != nullptr ? script : "";
    windowShown = game->frames.shown;
    frameType = game->frames.frameType;
  }
};

// RGB565 of the colour the test data gives the frame pictures' blocks.
std::uint16_t BlockColour(int number) {
  const int r = (number * 53 + 40) % 256, g = (number * 97 + 80) % 256, b = (number * 151 + 120) % 256;
  return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

double Rms(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to && i < samples.size(); ++i) sum += double(samples[i]) * samples[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0;
}

class WindowSoundRunTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    namespace fs = std::filesystem;
    fs::copy(NOVEL_TEST_DATA_DIR "/game", dir_.HostPath("data"), fs::copy_options::recursive);
    for (const char* plugin : {"Kestrine.ovl", "Tamberwick.ovl"}) {
      fs::copy_file(std::string(NOVEL_BINARY_DIR) + "/bin/" + plugin, dir_.HostPath(plugin));
    }
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
    HostAudioSetDevice(HostAudioDevice::Manual);
    HostAudioSetCapture(dir_.HostPath("capture.wav"));
  }
  void TearDown() override {
    HostAudioSetCapture("");
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  ScopedTempDir dir_{"window_sound_run_"};
  ObservingServices services_;
};

TEST_F(WindowSoundRunTest, TheScriptsWindowAndSoundsShowInScreenshotAndCapture) {
  std::vector<ScheduledAction> actions;
  std::string error;
  // The title runs its logo and white fade (3 s), then "new game" (design
  // 100, 310) is tapped: the first tap highlights, the next runs it, later
  // ones fall into the 1 s fade to the game.
  ASSERT_TRUE(ParseInputScript("4000 tap 80 248; 4200 tap 80 248; 4400 tap 80 248; 4600 tap 80 248; 9000 close",
                               &actions, &error))
      << error;
  ScheduledAction screenshot;
  ASSERT_TRUE(ParseScreenshotRequest("8500:" + dir_.HostPath("shot.png"), &screenshot));
  actions.push_back(screenshot);
  HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
  const int result = RunEngine(
      Ce5Build(), services_,
      [this] {
        std::unique_ptr<CGameApp> app = MakeGameApp();
        services_.game = dynamic_cast<CGame*>(app->game.get());
        return app;
      },
      nullptr, nullptr, SW_SHOWNORMAL);
  ASSERT_EQ(result, 0);

  EXPECT_EQ(services_.seenScript, "main.txt");
  EXPECT_EQ(services_.windowShown, 1u);
  EXPECT_EQ(services_.frameType, 2);
  // No movie player yet: the movie does not start, so the music stays.
  EXPECT_EQ(services_.music, "01");
  EXPECT_EQ(services_.voice, "v001");

  // Frame C over the bottom strip (screen y 343 and below), nothing above it;
  // the portrait panel holds screen (x, y) at (y, 639 - x).
  EXPECT_EQ(HostDisplayPixel(400, 639 - 320), BlockColour(4));
  EXPECT_EQ(HostDisplayPixel(470, 639 - 20), BlockColour(4));
  EXPECT_NE(HostDisplayPixel(200, 639 - 320), BlockColour(4));
  EXPECT_EQ(dir_.ReadFile("shot.png").value_or("").substr(1, 3), "PNG");

  const std::vector<std::uint8_t> wav = ReadFileBytes(dir_.HostPath("capture.wav"));
  ASSERT_GT(wav.size(), kWaveHeader);
  std::vector<std::int16_t> samples((wav.size() - kWaveHeader) / 2);
  std::memcpy(samples.data(), wav.data() + kWaveHeader, samples.size() * 2);
  // 22,050 Hz stereo: music, effect and voice sound in the last 1.5 s, all
  // of it in the game (the close comes over 3 s after the game starts).
  constexpr std::size_t kLastPart = 44100 * 3 / 2;
  ASSERT_GT(samples.size(), kLastPart);
  EXPECT_GT(Rms(samples, samples.size() - kLastPart, samples.size()), 3000.0);
}

}  // namespace
