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

}  // namespace
}  // namespace job_test
