// The job's bytes and figures do not depend on how many threads code them.
#include <gtest/gtest.h>

#include "tests/converter/job/job_test_support.h"

using reelpack::VideoPassStatus;

namespace job_test {
namespace {

using JobThreads = JobTest;

TEST_F(JobThreads, OneTwoAndAllThreadsWriteTheSameBytes) {
  for (const SourceFixture& fixture : SourceFixtures()) {
    SCOPED_TRACE(fixture.name);
    const std::string input = FixturePath(fixture.name);
    ASSERT_FALSE(input.empty());
    std::vector<std::uint8_t> firstMovie;
    std::vector<std::uint8_t> firstTrack;
    std::uint64_t firstBits = 0;
    for (const int threads : {1, 2, 0}) {
      SCOPED_TRACE(threads);
      auto job = Job(input, true);
      job->m_threads = threads;
      job->Run();
      ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;
      EXPECT_GE(job->m_threadCount, threads == 0 ? 1 : threads);
      const std::string base = std::string(fixture.name);
      const std::vector<std::uint8_t> movie = OutBytes(base + ".rzm2");
      const std::vector<std::uint8_t> track = fixture.sound ? OutBytes(base + ".mp3") : std::vector<std::uint8_t>{};
      EXPECT_EQ(job->m_audioExport.status,
                fixture.sound ? reelpack::AudioExportStatus::Written : reelpack::AudioExportStatus::NoSound);
      if (firstMovie.empty()) {
        firstMovie = movie;
        firstTrack = track;
        firstBits = job->m_totalBits;
        continue;
      }
      EXPECT_TRUE(movie == firstMovie);
      EXPECT_TRUE(track == firstTrack);
      EXPECT_EQ(job->m_totalBits, firstBits);
    }
  }
}

}  // namespace
}  // namespace job_test
