// The conversion job's record and the converter's file functions.
#include <gtest/gtest.h>

#include <filesystem>

#include "converter/job/conversion_job_record.h"
#include "tests/support/temp_dir_test.h"

using reelpack::CMpegFileConv;
using reelpack::FileSize;
using reelpack::WriteBufferToFile;

namespace {

using JobRecordTest = TempDirTest;

TEST_F(JobRecordTest, ConstructorSetsTheAudioChoicesAndClearsProgress) {
  CMpegFileConv job(3, 1, 0);
  EXPECT_EQ(job.m_audioBitRateIndex, 3);
  EXPECT_EQ(job.m_sampleRateIndex, 1);
  EXPECT_EQ(job.m_stereo, 0);
  EXPECT_EQ(job.m_done, 0);
  EXPECT_EQ(job.m_framesWritten, 0);
  EXPECT_EQ(job.m_framesTotal, 0);
  EXPECT_STREQ(job.m_outputFolder, "");
  EXPECT_EQ(job.m_sourceFps, 0.0);
  EXPECT_EQ(job.State(), 0u);
  EXPECT_EQ(job.ThreadHandle(), nullptr);
}

TEST_F(JobRecordTest, FileSize) {
  dir_.WriteFile("empty.bin", "");
  dir_.WriteFile("seven.bin", "1234567");
  EXPECT_EQ(FileSize(dir_.HostPath("missing.bin").c_str()), -1);
  EXPECT_EQ(FileSize(dir_.HostPath("empty.bin").c_str()), 0);
  EXPECT_EQ(FileSize(dir_.HostPath("seven.bin").c_str()), 7);
  // Sizes past 2 GiB stay whole (a sparse file takes no room).
  dir_.WriteFile("large.bin", "");
  std::filesystem::resize_file(dir_.HostPath("large.bin"), 3ull << 30);
  EXPECT_EQ(FileSize(dir_.HostPath("large.bin").c_str()), 3ll << 30);
}

TEST_F(JobRecordTest, WriteBufferToFile) {
  struct Case {
    const char* what;
    const char* before;  // null: no file yet
    std::int32_t seekMode;
    std::int32_t offset;
    std::int32_t createMode;
    const char* after;
  };
  const Case cases[] = {
      {"create anew truncates", "old contents", 0, 0, 1, "abc"},
      {"create a missing file", nullptr, 0, 0, 0, "abc"},
      {"open keeps, start offset", "0123456789", 0, 2, 0, "01abc56789"},
      {"from the current position", "0123456789", 1, 4, 0, "0123abc789"},
      {"from the end extends", "0123456789", 2, 0, 0, "0123456789abc"},
      {"from the end, backwards", "0123456789", 2, -3, 0, "0123456abc"},
      {"other modes do not move", "0123456789", 5, 4, 0, "abc3456789"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(dir_.HostPath("out.bin"));
    if (c.before) dir_.WriteFile("out.bin", c.before);
    EXPECT_EQ(WriteBufferToFile(dir_.HostPath("out.bin").c_str(), "abc", c.seekMode, c.offset, 3, c.createMode), 3u);
    EXPECT_EQ(dir_.ReadFile("out.bin"), c.after);
  }
  EXPECT_EQ(WriteBufferToFile(dir_.HostPath("no/such/folder/out.bin").c_str(), "abc", 0, 0, 3, 1), 0u);
}

}  // namespace
