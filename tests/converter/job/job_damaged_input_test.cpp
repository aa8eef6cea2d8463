// Cut and byte-flipped sources end with a clear result and leave either a
// complete movie or nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "common/rzm2_format.h"
#include "tests/converter/job/job_test_support.h"
#include "tests/support/file_bytes.h"

using reelpack::VideoPassStatus;

namespace job_test {
namespace {

using JobDamagedInput = JobTest;

TEST_F(JobDamagedInput, CutAndFlippedStreamsGiveAMovieOrNothing) {
  const std::string input = FixturePath("ntsc320");
  ASSERT_FALSE(input.empty());
  const std::vector<std::uint8_t> whole = ReadFileBytes(input);
  std::mt19937 random(36);
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> damaged;
  for (const std::size_t keep : {std::size_t{100}, std::size_t{2048}, whole.size() / 3, whole.size() - 777}) {
    damaged.emplace_back("cut to " + std::to_string(keep), std::vector<std::uint8_t>(whole.begin(), whole.begin() + keep));
  }
  for (const int flips : {10, 200, 3000}) {
    std::vector<std::uint8_t> bytes = whole;
    for (int i = 0; i < flips; ++i) bytes[random() % bytes.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
    damaged.emplace_back(std::to_string(flips) + " bytes flipped", bytes);
  }
  for (const auto& [what, bytes] : damaged) {
    SCOPED_TRACE(what);
    const std::string path = dir_.WriteFile("clip.mpg", bytes);
    for (const std::string& name : OutNames()) std::filesystem::remove(Out(name));
    auto job = Job(path, true);
    job->m_threads = 2;
    job->Run();
    EXPECT_EQ(job->m_done, 1);
    EXPECT_FALSE(job->m_video.text.empty());
    const std::vector<std::string> names = OutNames();
    for (const std::string& name : names) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    if (job->m_video.status != VideoPassStatus::Written) {
      EXPECT_TRUE(names.empty());
      continue;
    }
    const std::vector<std::uint8_t> movie = OutBytes("clip.rzm2");
    const Rzm2Header header = ReadRzm2Header(movie.data());
    ASSERT_GE(movie.size(), Rzm2IndexBlockBytes(header.frameCount));
    EXPECT_TRUE(ValidateRzm2Index(movie.data(), Rzm2IndexBlockBytes(header.frameCount), movie.size()));
    for (std::uint32_t i = 0; i < header.frameCount; ++i) {
      EXPECT_EQ(DecodeRecord(MovieRecord(movie, i)).width, header.storedWidth) << i;
    }
  }
}

// The last GOP's time code gives the frame count; a damaged one may claim
// more frames than the file holds, each fetched in vain.
TEST_F(JobDamagedInput, TimeCodeClaimingMoreFramesThanTheFileHoldsIsRefusedAtOnce) {
  std::vector<std::uint8_t> bytes = ReadFileBytes(NOVEL_TEST_DATA_DIR "/../../fuzz/corpus/conversion_job/ffmux_24_6s.mpg");
  ASSERT_FALSE(bytes.empty());
  {
    // As made, the movie is written.
    auto job = Job(dir_.WriteFile("intact.mpg", bytes), true);
    job->Run();
    ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;
  }
  for (const std::string& name : OutNames()) std::filesystem::remove(Out(name));
  std::size_t lastGop = 0;
  for (std::size_t i = 0; i + 8 <= bytes.size(); ++i) {
    if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1 && bytes[i + 3] == 0xB8) lastGop = i;
  }
  ASSERT_GT(lastGop, 0u);
  // One bit of its minutes: hundreds of frames more than 8 KiB can hold.
  bytes[lastGop + 5] ^= 0x10;
  auto job = Job(dir_.WriteFile("damaged.mpg", bytes), true);
  job->Run();
  EXPECT_EQ(job->m_video.status, VideoPassStatus::Refused) << job->m_video.text;
  EXPECT_EQ(job->m_video.text, "the video's frames cannot be counted: the stream is damaged");
  EXPECT_EQ(job->m_failedFetches, 0);
  EXPECT_TRUE(OutNames().empty());
}

}  // namespace
}  // namespace job_test
