// The sound pass's form for the job: the track stays under its temporary
// name and nothing under the final names changes until the job commits.
#include <gtest/gtest.h>

#include <filesystem>

#include "host/run/call_log.h"
#include "tests/converter/job/job_test_support.h"

using reelpack::AudioExportStatus;
using reelpack::TrackCommit;

namespace job_test {
namespace {

using AudioTrackCommit = JobTest;

TEST_F(AudioTrackCommit, TheTrackWaitsUnderItsTemporaryName) {
  const std::string input = SoundStream("clip.mpg", 1.0);
  ASSERT_FALSE(input.empty());
  dir_.WriteFile("out/clip.mp3", "an earlier MP3 track");
  dir_.WriteFile("out/clip.ogg", "an earlier Ogg track");
  auto job = Job(input, true);
  const reelpack::AudioExportResult result = job->ExportAudioTrack({}, TrackCommit::LeaveTemporary);
  ASSERT_EQ(result.status, AudioExportStatus::Written) << result.text;
  EXPECT_EQ(result.trackPath, Out("clip.mp3"));
  EXPECT_EQ(result.temporaryPath, Out("clip.mp3.tmp"));
  EXPECT_FALSE(result.otherTrackKept);
  EXPECT_GT(std::filesystem::file_size(result.temporaryPath), 1000u);
  EXPECT_TRUE(dir_.ReadFile("out/clip.mp3") == "an earlier MP3 track");
  EXPECT_TRUE(dir_.ReadFile("out/clip.ogg") == "an earlier Ogg track");

  // Without sound nothing is removed either: the job decides.
  Stub().frameCount = 4;
  auto silent = Job(dir_.HostPath("none.mpg"));
  EXPECT_EQ(silent->ExportAudioTrack({}, TrackCommit::LeaveTemporary).status, AudioExportStatus::NoSound);
  EXPECT_TRUE(dir_.ReadFile("out/clip.mp3") == "an earlier MP3 track");
}

TEST_F(AudioTrackCommit, TheJobReplacesTheTrackAndRemovesTheOtherKind) {
  const std::string input = SoundStream("clip.mpg", 1.0);
  ASSERT_FALSE(input.empty());
  dir_.WriteFile("out/clip.mp3", "an earlier MP3 track");
  dir_.WriteFile("out/clip.ogg", "an earlier Ogg track");
  auto job = Job(input, true);
  job->Run();
  ASSERT_EQ(job->m_video.status, reelpack::VideoPassStatus::Written) << job->m_video.text;
  EXPECT_EQ(OutNames(), (std::vector<std::string>{"clip.mp3", "clip.rzm2"}));
  EXPECT_FALSE(dir_.ReadFile("out/clip.mp3") == "an earlier MP3 track");
  EXPECT_TRUE(job->m_audioExport.temporaryPath.empty());
}

TEST_F(AudioTrackCommit, AnyRenameThatFailsKeepsTheEarlierFilesOrCommitsWhole) {
  const std::string input = SoundStream("clip.mpg", 1.0);
  ASSERT_FALSE(input.empty());
  const std::vector<std::string> earlierNames{"clip.mp3", "clip.ogg", "clip.rzm2"};
  // Each rename of the commit in turn fails once, the movie's among them;
  // the one past the last fails none.
  bool movieRenameFailed = false;
  for (std::uint32_t nth = 1; nth <= 8; ++nth) {
    for (const std::string& name : earlierNames) dir_.WriteFile("out/" + name, "an earlier " + name);
    HostClearFailures();
    HostFailCallAt("MoveFileW", nth);
    auto job = Job(input, true);
    job->Run();
    HostClearFailures();
    const std::string where = "rename " + std::to_string(nth) + " failing: " + job->m_video.text;
    if (job->m_video.status == reelpack::VideoPassStatus::Written) {
      // Committed: the new movie, its new track or none, nothing earlier.
      const bool track = job->m_audioExport.status == AudioExportStatus::Written;
      const std::vector<std::string> committed =
          track ? std::vector<std::string>{"clip.mp3", "clip.rzm2"} : std::vector<std::string>{"clip.rzm2"};
      EXPECT_EQ(OutNames(), committed) << where;
      EXPECT_FALSE(dir_.ReadFile("out/clip.rzm2") == "an earlier clip.rzm2") << where;
      if (track) {
        EXPECT_FALSE(dir_.ReadFile("out/clip.mp3") == "an earlier clip.mp3") << where;
      }
    } else {
      movieRenameFailed = true;
      EXPECT_EQ(job->m_video.status, reelpack::VideoPassStatus::WriteFailed) << where;
      EXPECT_EQ(OutNames(), earlierNames) << where;
      for (const std::string& name : earlierNames) {
        EXPECT_TRUE(dir_.ReadFile("out/" + name) == "an earlier " + name) << where << ": " << name;
      }
    }
  }
  EXPECT_TRUE(movieRenameFailed);
}

}  // namespace
}  // namespace job_test
