// The sound pass's form for the job: the track stays under its temporary
// name and nothing under the final names changes until the job commits.
#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace job_test
