// A whole engine run on the virtual clock that plays a movie with its sound
// track: the screenshots show the frames the sound position makes due, the
// sound capture holds the track, and the screen is redrawn after the end.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/movie/movie_clock.h"
#include "engine/shell/engine_main.h"
#include "engine/shell/fake_ports.h"
#include "engine/shell/shell_fixture.h"
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
constexpr std::size_t kWaveHeader = 44;

class MovieHeadlessTest : public ShellTest {
 protected:
  void TearDown() override {
    HostAudioSetCapture("");
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }
  ScopedTempDir dir_{"movie_headless_"};
};

TEST_F(MovieHeadlessTest, MovieFollowsItsSoundTrackAndTheScreenComesBackAfterIt) {
  std::vector<std::vector<std::uint8_t>> records;
  std::vector<std::uint16_t> colours;
  for (std::uint32_t frame = 0; frame < kFrames; ++frame) {
    records.push_back(FlatPictureRecord(240, 320, frame + 1));
    colours.push_back(DecodeMovieRecord(records.back())[0]);
  }
  for (std::uint32_t frame = 1; frame < kFrames; ++frame) ASSERT_NE(colours[frame], colours[frame - 1]);
  dir_.WriteFile("data/clip.rzm2", MovieFileBytes(MovieHeader(true, 240, 320, kFramesPerSecond, 1), records));
  dir_.WriteFile("data/clip.mp3", ReadFileBytes(NOVEL_TEST_DATA_DIR "/sound/sine22_stereo.mp3"));

  HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
  HostAudioSetDevice(HostAudioDevice::Manual);
  HostAudioSetCapture(dir_.HostPath("sound.wav"));
  // The movie starts with the first frame (t = 16 ms); its sound position
  // starts growing some 350 ms later, and from then on the frames change
  // every 250 ms of sound. Shots in the middle of frames 0 to 3.
  const int shotTimes[] = {490, 740, 990, 1240};
  std::vector<ScheduledAction> actions;
  std::string error;
  ASSERT_TRUE(ParseInputScript("4000 close", &actions, &error)) << error;
  for (const int at : shotTimes) {
    ScheduledAction shot;
    ASSERT_TRUE(ParseScreenshotRequest(std::to_string(at) + ":" + dir_.HostPath(std::to_string(at) + ".png"), &shot));
    actions.push_back(shot);
  }
  HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
  int started = -1;
  // The scene runs again only once the movie is over; by its second frame
  // the whole screen has been drawn again from the (black) back buffer.
  int sceneFramesAfter = 0;
  std::uint16_t centreAfter = 0xFFFF;
  std::vector<std::pair<DWORD, std::int32_t>> positions;
  ProcessServicesPort services;
  const int result = RunEngine(
      RecordingCe5Build(), services,
      [&] {
        auto app = std::make_unique<CGameApp>();
        auto mixer = std::make_unique<PositionLog>();
        mixer->log = &positions;
        app->mixer = std::move(mixer);
        auto game = std::make_unique<ScriptedGame>();
        game->frame = [&](CGameEngine& engine, int frame) {
          if (frame != 0) {
            if (++sceneFramesAfter == 2) centreAfter = HostDisplayPixel(240, 320);
            return;
          }
          engine.mixer->Open(22050, 0);
          engine.SetDataFolder(dir_.EnginePath("data/"));
          engine.options[MASTER_VOL] = 100;
          engine.options[MOV_VOL] = 100;
          started = engine.StartMovie("clip");
        };
        app->game = std::move(game);
        return app;
      },
      nullptr, nullptr, SW_SHOWNORMAL);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(started, 0);

  // Each shot shows the frame of the last play position read before it.
  std::set<std::int64_t> framesSeen;
  for (const int at : shotTimes) {
    std::int32_t position = -2;
    for (const auto& [time, value] : positions) {
      if (time < static_cast<DWORD>(at)) position = value;
    }
    ASSERT_GE(position, 0) << "no position before " << at;
    const std::int64_t frame = MovieFrameAt(kFramesPerSecond, 1, position);
    framesSeen.insert(frame);
    EXPECT_EQ(ScreenshotCentrePixel(dir_.HostPath(std::to_string(at) + ".png")), colours[frame]) << "shot at " << at;
  }
  EXPECT_EQ(framesSeen, (std::set<std::int64_t>{0, 1, 2, 3}));
  // The track ended the movie long before its last frame, and the screen
  // came back.
  ASSERT_FALSE(positions.empty());
  EXPECT_EQ(positions.back().second, -1);
  EXPECT_GE(sceneFramesAfter, 2);
  EXPECT_EQ(centreAfter, 0);

  const std::vector<std::uint8_t> wave = ReadFileBytes(dir_.HostPath("sound.wav"));
  ASSERT_GT(wave.size(), kWaveHeader);
  std::vector<std::int16_t> samples((wave.size() - kWaveHeader) / 2);
  std::memcpy(samples.data(), wave.data() + kWaveHeader, samples.size() * 2);
  // A second of the 22,050 Hz stereo track, and it is not silence.
  EXPECT_GE(samples.size(), 2u * 22050) << wave.size();
  long long energy = 0;
  for (std::size_t i = 0; i < 2u * 22050 && i < samples.size(); ++i) energy += std::abs(samples[i]);
  EXPECT_GT(energy / (2 * 22050), 100);
}

}  // namespace
