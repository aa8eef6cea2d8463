#include "engine/movie/movie_read_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <string>

#include "common/byte_order.h"
#include "engine/runtime/thread_ctrl.h"
#include "tests/engine/movie/movie_fixture.h"
#include "tests/support/temp_dir_test.h"

namespace {

constexpr std::uint32_t kPlayerBufferBytes = 65536;

// The payload number of a delivered frame, or -1 when none was delivered.
std::int64_t FramePayload(CMovieReadAhead& reader, std::uint32_t frame) {
  std::uint32_t size = 0;
  const std::uint8_t* record = reader.GetFrame(frame, &size);
  if (!record || size < 4) return -1;
  return ReadLe32(record);
}

// Runs `body` and ends the test program when it does not finish in time, so a
// reader that spins fails instead of hanging the suite.
template <typename Body>
void WithinSeconds(int seconds, Body body) {
  auto done = std::async(std::launch::async, body);
  if (done.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) {
    ADD_FAILURE() << "the movie reader did not finish in time";
    std::_Exit(1);
  }
  done.get();
}

class MovieReadAheadTest : public TempDirTest {
 protected:
  std::u16string WriteMovie(const Rzm2Header& header, const std::vector<std::vector<std::uint8_t>>& records) {
    dir_.WriteFile("movie.rzm2", MovieFileBytes(header, records));
    return dir_.WidePath("movie.rzm2");
  }
};

struct ChunkCase {
  const char* what;
  std::uint32_t storedWidth, storedHeight, numerator, timeBase;
  std::uint32_t bufferBytes, framesPerRead;
};

TEST_F(MovieReadAheadTest, ChunkRulesFillBothBuffersWithRunsOfTheMovieSize) {
  const ChunkCase cases[] = {
      {"480 x 640", 480, 640, 30, 1, 262144, 8},
      {"240 x 320 at 24", 240, 320, 24, 1, 65536, 4},
      {"240 x 320 at 15", 240, 320, 15, 1, 65536, 2},
      {"240 x 320 at 30000/2002", 240, 320, 30000, 2002, 65536, 4},
  };
  for (const ChunkCase& c : cases) {
    SCOPED_TRACE(c.what);
    const auto path = WriteMovie(MovieHeader(true, c.storedWidth, c.storedHeight, c.numerator, c.timeBase),
                                 NumberedRecords(40, 1000));
    CMovieReadAhead reader;
    ASSERT_EQ(reader.Open(path.c_str(), kPlayerBufferBytes), 1);
    EXPECT_EQ(reader.BufferBytes(), c.bufferBytes);
    // Not started: exactly two runs are in the buffers.
    for (std::uint32_t frame = 0; frame < 2 * c.framesPerRead; ++frame) EXPECT_EQ(FramePayload(reader, frame), frame);
    EXPECT_EQ(FramePayload(reader, 2 * c.framesPerRead), -1);
  }
}

TEST_F(MovieReadAheadTest, RunsStopAtTheBufferSize) {
  // Three 30,000-byte records do not fit 65,536 bytes: two per run.
  const auto path = WriteMovie(MovieHeader(true, 240, 320, 30, 1), NumberedRecords(10, 30000));
  CMovieReadAhead reader;
  ASSERT_EQ(reader.Open(path.c_str(), kPlayerBufferBytes), 1);
  for (std::uint32_t frame = 0; frame < 4; ++frame) EXPECT_EQ(FramePayload(reader, frame), frame);
  EXPECT_EQ(FramePayload(reader, 4), -1);
}

TEST_F(MovieReadAheadTest, DeliversEveryFrameOfASequentialRunAndAJumpAhead) {
  const auto path = WriteMovie(MovieHeader(true, 240, 320, 15, 1), NumberedRecords(300, 700));
  WithinSeconds(30, [&] {
    CMovieReadAhead reader;
    ASSERT_EQ(reader.Open(path.c_str(), kPlayerBufferBytes), 1);
    reader.Start();
    for (std::uint32_t frame = 0; frame < 18; ++frame) ASSERT_EQ(FramePayload(reader, frame), frame);
    // Far beyond both buffers: the reader starts over from there.
    for (std::uint32_t frame = 100; frame < 300; ++frame) ASSERT_EQ(FramePayload(reader, frame), frame);
    EXPECT_EQ(FramePayload(reader, 300), -1);
    reader.Close();
  });
}

TEST_F(MovieReadAheadTest, SkipsARecordLargerThanABufferAndDeliversTheFramesAfterIt) {
  auto records = NumberedRecords(40, 900);
  records[5].resize(70000);
  records[22].resize(65537);
  const auto path = WriteMovie(MovieHeader(true, 240, 320, 24, 1), records);
  WithinSeconds(30, [&] {
    CMovieReadAhead reader;
    ASSERT_EQ(reader.Open(path.c_str(), kPlayerBufferBytes), 1);
    reader.Start();
    for (std::uint32_t frame = 0; frame < 40; ++frame) {
      EXPECT_EQ(FramePayload(reader, frame), frame == 5 || frame == 22 ? -1 : std::int64_t{frame}) << frame;
    }
  });
}

// Reports when its thread has ended.
class WatchedReadAhead : public CMovieReadAhead {
 public:
  void OnThreadEnd() override { ended = true; }
  std::atomic<bool> ended{false};
};

TEST_F(MovieReadAheadTest, AOneFrameMovieEndsItsThreadAtOnce) {
  const auto path = WriteMovie(MovieHeader(true, 240, 320, 15, 1), NumberedRecords(1, 100));
  WatchedReadAhead reader;
  ASSERT_EQ(reader.Open(path.c_str(), kPlayerBufferBytes), 1);
  reader.Start();
  EXPECT_EQ(CThreadCtrl(&reader).Wait(5000), 1);
  EXPECT_TRUE(reader.ended);
  EXPECT_EQ(FramePayload(reader, 0), 0);
}

TEST_F(MovieReadAheadTest, CloseMidRunReturnsAfterTheThreadEnded) {
  const auto path = WriteMovie(MovieHeader(true, 240, 320, 15, 1), NumberedRecords(500, 500));
  WatchedReadAhead reader;
  ASSERT_EQ(reader.Open(path.c_str(), kPlayerBufferBytes), 1);
  reader.Start();
  for (std::uint32_t frame = 0; frame < 6; ++frame) ASSERT_EQ(FramePayload(reader, frame), frame);
  reader.Close();
  EXPECT_TRUE(reader.ended);
  EXPECT_EQ(reader.ThreadHandle(), nullptr);
  EXPECT_EQ(FramePayload(reader, 6), -1);
}

TEST_F(MovieReadAheadTest, RefusesMissingAndBrokenFiles) {
  const auto good = MovieFileBytes(MovieHeader(true, 240, 320, 15, 1), NumberedRecords(8, 100));
  auto absurdCount = good;
  WriteLe32(absurdCount.data() + 8, 0xFFFFFFFFu);
  auto recordPastEnd = good;
  WriteLe32(recordPastEnd.data() + kRzm2HeaderBytes + 7 * kRzm2IndexEntryBytes + 4, 0x7FFFFFFFu);
  auto zeroTimeBase = good;
  WriteLe32(zeroTimeBase.data() + 16, 0);
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"truncated", std::vector<std::uint8_t>(good.begin(), good.end() - 1)},
      {"header only", std::vector<std::uint8_t>(good.begin(), good.begin() + 40)},
      {"absurd frame count", absurdCount},
      {"record past the end", recordPastEnd},
      {"time base 0", zeroTimeBase},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    dir_.WriteFile("broken.rzm2", c.bytes);
    CMovieReadAhead reader;
    EXPECT_EQ(reader.Open(dir_.WidePath("broken.rzm2").c_str(), kPlayerBufferBytes), 0);
    EXPECT_EQ(FramePayload(reader, 0), -1);
  }
  CMovieReadAhead reader;
  EXPECT_EQ(reader.Open(dir_.WidePath("none.rzm2").c_str(), kPlayerBufferBytes), 0);
}

}  // namespace
