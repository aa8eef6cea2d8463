// A converted movie played by the engine in a headless run on the virtual
// clock: with its sound track the screen shows the frame the track's play
// position makes due, without one the frame the engine clock makes due, and
// either way movie frame i is source frame i x step + step - 1.
#include <gtest/gtest.h>

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
#include "tests/converter/job/job_test_support.h"
#include "tests/support/position_log_mixer.h"
#include "tests/support/screenshot_pixel.h"

namespace job_test {
namespace {

constexpr std::uint32_t kStep = 2;  // 30000/1001 frames a second at the standard rate
constexpr int kSourceFrames = 60;

// The host as an engine run needs it, brought up once the conversion is done.
struct EngineHost : ShellTest {
  void TestBody() override {}
  using ShellTest::SetUp;
  using ShellTest::TearDown;
};

struct PlayedMovie {
  int started = -1;
  DWORD startedAt = 0;                                // virtual time of the start request
  std::vector<std::pair<DWORD, std::int32_t>> reads;  // play positions read
  std::vector<int> shotTimes;
  std::vector<std::string> converted;  // what the job wrote
};

class JobMoviePlayback : public JobTest {
 protected:
  void TearDown() override {
    HostAudioSetCapture("");
    HostSetWindowBackend(nullptr);
    host_.TearDown();
    JobTest::TearDown();
  }

  // Converts input with the stub painting the frames, then plays
  // "out/clip.rzm2" (and its track, if any) with shots at shotTimes.
  PlayedMovie ConvertAndPlay(const std::string& input, std::vector<int> shotTimes) {
    PlayedMovie played;
    Stub().frameCount = kSourceFrames;
    Stub().width = 320;
    Stub().height = 240;
    auto job = Job(input);
    job->Run();
    EXPECT_EQ(job->m_video.status, reelpack::VideoPassStatus::Written) << job->m_video.text;
    played.converted = OutNames();

    host_.SetUp();
    HostSetModulePath(NOVEL_BINARY_DIR "/bin/novel_ce5");
    HostAudioSetDevice(HostAudioDevice::Manual);
    HostAudioSetCapture(dir_.HostPath("sound.wav"));
    std::vector<ScheduledAction> actions;
    std::string error;
    EXPECT_TRUE(ParseInputScript("5000 close", &actions, &error)) << error;
    for (const int at : shotTimes) {
      ScheduledAction shot;
      EXPECT_TRUE(ParseScreenshotRequest(std::to_string(at) + ":" + ShotPath(at), &shot));
      actions.push_back(shot);
    }
    played.shotTimes = std::move(shotTimes);
    HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
    ProcessServicesPort services;
    const int result = RunEngine(
        RecordingCe5Build(), services,
        [&] {
          auto app = std::make_unique<CGameApp>();
          auto mixer = std::make_unique<PositionLog>();
          mixer->log = &played.reads;
          app->mixer = std::move(mixer);
          auto game = std::make_unique<ScriptedGame>();
          game->frame = [&](CGameEngine& engine, int frame) {
            if (frame != 0) return;
            engine.mixer->Open(22050, 0);
            engine.SetDataFolder(dir_.EnginePath("out/"));
            engine.options[MASTER_VOL] = 100;
            engine.options[MOV_VOL] = 100;
            played.startedAt = timeGetTime();
            played.started = engine.StartMovie("clip");
          };
          app->game = std::move(game);
          return app;
        },
        nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_EQ(result, 0);
    return played;
  }

  std::string ShotPath(int at) const { return dir_.HostPath("shot" + std::to_string(at) + ".png"); }
  // The source frame a shot shows.
  int ShownSourceFrame(int at) const { return StubFrameOfColour(ScreenshotCentrePixel(ShotPath(at))); }

  EngineHost host_;
};

TEST_F(JobMoviePlayback, WithItsTrackTheFrameShownFollowsThePlayPosition) {
  const std::string input = SoundStream("clip.mpg");
  ASSERT_FALSE(input.empty());
  std::vector<int> shotTimes;
  for (int at = 450; at <= 2050; at += 80) shotTimes.push_back(at);
  const PlayedMovie played = ConvertAndPlay(input, shotTimes);
  ASSERT_EQ(played.started, 0);
  ASSERT_EQ(played.converted, (std::vector<std::string>{"clip.mp3", "clip.rzm2"}));

  std::set<std::int64_t> framesSeen;
  for (const int at : played.shotTimes) {
    SCOPED_TRACE(at);
    std::int32_t position = -2;
    for (const auto& [time, value] : played.reads) {
      if (time < static_cast<DWORD>(at)) position = value;
    }
    if (position <= 0) continue;  // before the track started, or after it
    const std::int64_t frame = MovieFrameAt(30000, 1001 * kStep, position);
    if (frame >= kSourceFrames / kStep) continue;
    framesSeen.insert(frame);
    EXPECT_EQ(ShownSourceFrame(at), frame * kStep + kStep - 1) << "position " << position << " ms";
  }
  // The track moved the movie through most of its 30 frames.
  EXPECT_GE(framesSeen.size(), 12u);
}

TEST_F(JobMoviePlayback, WithoutSoundTheFrameShownFollowsTheEngineClock) {
  const std::string input = MakeStream(dir_.HostPath("clip.mpg"), "testsrc2=size=320x240:rate=30000/1001", "",
                                       "-t 2 -c:v mpeg1video -f mpeg");
  ASSERT_FALSE(input.empty());
  // Shots in the middle of movie frames, counted from the start request.
  constexpr double kFrameMs = 1000.0 * 1001 * kStep / 30000;
  std::vector<int> shotTimes;
  for (int frame = 1; frame < kSourceFrames / static_cast<int>(kStep); frame += 3) {
    shotTimes.push_back(static_cast<int>(16 + (frame + 0.5) * kFrameMs));
  }
  const PlayedMovie played = ConvertAndPlay(input, shotTimes);
  ASSERT_EQ(played.started, 0);
  ASSERT_EQ(played.converted, (std::vector<std::string>{"clip.rzm2"}));
  EXPECT_TRUE(played.reads.empty());
  for (const int at : played.shotTimes) {
    SCOPED_TRACE(at);
    const std::int64_t frame = MovieFrameAt(30000, 1001 * kStep, at - static_cast<std::int64_t>(played.startedAt));
    EXPECT_EQ(ShownSourceFrame(at), frame * kStep + kStep - 1);
  }
}

}  // namespace
}  // namespace job_test
