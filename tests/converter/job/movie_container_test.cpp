// The movie a job writes from the stub source: header, index, records, the
// frames kept, the padding of tall sources and the bit-rate figures.
#include <gtest/gtest.h>

#include "converter/jbp1/frame_rate_control.h"
#include "tests/converter/job/job_test_support.h"

using reelpack::JobPhase;
using reelpack::VideoPassStatus;

namespace job_test {
namespace {

using MovieContainer = JobTest;

TEST_F(MovieContainer, HeaderIndexAndRecordsOfA2997Source) {
  Stub().frameCount = 300;
  auto job = Job(dir_.HostPath("clip.mpg"));
  job->Run();
  ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;
  EXPECT_EQ(job->m_done, 1);
  EXPECT_EQ(job->m_phase, JobPhase::Finished);
  EXPECT_EQ(OutNames(), std::vector<std::string>{"clip.rzm2"});
  const std::vector<std::uint8_t> movie = OutBytes("clip.rzm2");
  constexpr std::uint32_t kFrames = 150;
  ASSERT_GT(movie.size(), 48 + 24 * kFrames);
  EXPECT_EQ(std::string(movie.begin(), movie.begin() + 4), "RZM2");
  const std::pair<std::size_t, std::uint32_t> words[] = {
      {0x04, 0},     {0x08, kFrames}, {0x0C, 30000}, {0x10, 2002},
      {0x14, ~240u}, {0x18, ~320u},   {0x1C, 24},    {0x20, static_cast<std::uint32_t>(movie.size())},
      {0x24, 0},     {0x28, 0},       {0x2C, (kFrames + 2) * 24}};
  for (const auto& [offset, value] : words) EXPECT_EQ(Word(movie, offset), value) << "word " << offset;
  std::uint32_t offset = 0;
  std::uint64_t bits = 0;
  for (std::uint32_t k = 0; k < kFrames; ++k) {
    SCOPED_TRACE(k);
    const std::size_t entry = 48 + 24 * k;
    EXPECT_EQ(Word(movie, entry), k);
    EXPECT_EQ(Word(movie, entry + 8), 320u * 240 * 3);
    EXPECT_EQ(Word(movie, entry + 12), 2u);
    EXPECT_EQ(Word(movie, entry + 16), offset);
    EXPECT_EQ(Word(movie, entry + 20), 0u);
    const std::vector<std::uint8_t> record = MovieRecord(movie, k);
    ASSERT_GE(record.size(), 4u);
    EXPECT_EQ(std::string(record.begin(), record.begin() + 4), "JBP1");
    offset += Word(movie, entry + 4);
    bits += Word(movie, entry + 4) * 8ull;
  }
  EXPECT_EQ(48 + 24 * kFrames + offset, movie.size());
  EXPECT_EQ(job->m_framesWritten, 150);
  EXPECT_EQ(job->m_framesTotal, 150);
  EXPECT_EQ(job->m_totalBits, bits);
  EXPECT_DOUBLE_EQ(job->m_sourceFps, 30000.0 / 1001);
  EXPECT_DOUBLE_EQ(job->m_outputFps, 15000.0 / 1001);
}

TEST_F(MovieContainer, KeepsTheLastFrameOfEachGroupAndFetchesOnlyIt) {
  struct Case {
    int mode;
    std::uint32_t numerator, denominator;
    std::int32_t frames;
    std::uint32_t step;
  } cases[] = {{1, 25, 1, 7, 1}, {0, 25, 1, 301, 2}, {2, 25, 1, 20, 3}, {0, 15, 1, 9, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.frames << " frames");
    Stub() = StubVideo{};
    Stub().frameCount = c.frames;
    Stub().rateNumerator = c.numerator;
    Stub().rateDenominator = c.denominator;
    auto job = Job(dir_.HostPath("clip.mpg"));
    job->m_frameRateMode = c.mode;
    job->Run();
    ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;
    const std::vector<std::uint8_t> movie = OutBytes("clip.rzm2");
    const std::uint32_t frames = static_cast<std::uint32_t>(c.frames) / c.step;
    ASSERT_EQ(Word(movie, 0x08), frames);
    EXPECT_EQ(Word(movie, 0x10), c.denominator * c.step);
    std::vector<int> kept;
    for (std::uint32_t i = 0; i < frames; ++i) kept.push_back(static_cast<int>(i * c.step + c.step - 1));
    EXPECT_EQ(Stub().fetched, kept);
    for (std::uint32_t i = 0; i < frames; ++i) {
      const DecodedFrame frame = DecodeRecord(MovieRecord(movie, i));
      ASSERT_EQ(frame.width, 240u);
      ASSERT_EQ(frame.height, 320u);
      EXPECT_EQ(StubFrameOfColour(frame.At(120, 160)), kept[i] % 256) << "frame " << i;
    }
  }
}

TEST_F(MovieContainer, AFrameCapEndsTheMovieEarlyAndFetchesNoMore) {
  struct Case {
    std::uint32_t cap;
    std::uint32_t frames;
  } cases[] = {{0, 150}, {4, 4}, {150, 150}, {500, 150}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "cap " << c.cap);
    Stub() = StubVideo{};
    Stub().frameCount = 300;
    auto job = Job(dir_.HostPath("clip.mpg"));
    job->m_frameCap = c.cap;
    job->Run();
    ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;
    const std::vector<std::uint8_t> movie = OutBytes("clip.rzm2");
    EXPECT_EQ(Word(movie, 0x08), c.frames);
    EXPECT_EQ(job->m_framesTotal, static_cast<std::int32_t>(c.frames));
    EXPECT_EQ(Stub().fetched.size(), c.frames);
    // The last record holds the last frame kept before the cap.
    const DecodedFrame last = DecodeRecord(MovieRecord(movie, c.frames - 1));
    ASSERT_FALSE(last.pixels.empty());
    EXPECT_EQ(StubFrameOfColour(last.At(last.width / 2, last.height / 2)), static_cast<int>(c.frames * 2 - 1) % 256);
  }
}

TEST_F(MovieContainer, StoredSizesOfWideAndTallSources) {
  struct Case {
    int index, width, height;
    std::uint32_t storedWidth, storedHeight;  // the turned frame's sides
    std::uint32_t blackRows;                  // rows of black at each end of the turned frame
  } cases[] = {{0, 640, 448, 224, 320, 0}, {1, 640, 448, 448, 640, 0}, {0, 352, 240, 218, 320, 0},
               {0, 352, 288, 240, 320, 13}, {1, 176, 144, 480, 640, 27}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.index << ": " << c.width << " x " << c.height);
    Stub() = StubVideo{};
    Stub().frameCount = 2;
    Stub().rateNumerator = 25;
    Stub().rateDenominator = 1;
    Stub().width = c.width;
    Stub().height = c.height;
    auto job = Job(dir_.HostPath("clip.mpg"));
    job->m_frameRateMode = 1;
    job->m_sizeIndex = c.index;
    job->Run();
    ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;
    const std::vector<std::uint8_t> movie = OutBytes("clip.rzm2");
    EXPECT_EQ(Word(movie, 0x14), ~c.storedWidth);
    EXPECT_EQ(Word(movie, 0x18), ~c.storedHeight);
    EXPECT_EQ(Word(movie, 48 + 8), c.storedWidth * c.storedHeight * 3);
    const DecodedFrame frame = DecodeRecord(MovieRecord(movie, 1));
    ASSERT_EQ(frame.width, c.storedWidth);
    ASSERT_EQ(frame.height, c.storedHeight);
    const std::uint32_t x = c.storedWidth / 2;
    EXPECT_EQ(StubFrameOfColour(frame.At(x, c.storedHeight / 2)), 1);
    if (c.blackRows != 0) {
      // Rows are picture columns: black bars left and right of the picture.
      EXPECT_LE(frame.At(x, 2), 0x0841u);
      EXPECT_LE(frame.At(x, c.storedHeight - 3), 0x0841u);
      EXPECT_EQ(StubFrameOfColour(frame.At(x, c.blackRows + 3)), 1);
      EXPECT_EQ(StubFrameOfColour(frame.At(x, c.storedHeight - c.blackRows - 4)), 1);
    }
  }
}

TEST_F(MovieContainer, FiguresFollowTheRecordsAndRestartForEachJob) {
  Stub().frameCount = 40;
  Stub().rateNumerator = 30;
  Stub().rateDenominator = 1;
  std::atomic<std::int32_t> average{12345};
  std::atomic<std::int32_t> maximum{999999};
  auto job = Job(dir_.HostPath("clip.mpg"));
  job->m_avgKbpsOut = &average;
  job->m_maxKbpsOut = &maximum;
  job->m_frameRateMode = 1;
  // The maximum as the dialog would poll it: it never falls.
  std::vector<std::int32_t> seen;
  Stub().onFetch = [&](int) { seen.push_back(maximum); };
  job->Run();
  ASSERT_EQ(job->m_video.status, VideoPassStatus::Written) << job->m_video.text;
  EXPECT_EQ(seen.front(), 0);
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
  const std::vector<std::uint8_t> movie = OutBytes("clip.rzm2");
  std::uint64_t bits = 0;
  std::uint32_t largest = 0;
  for (std::uint32_t k = 0; k < 40; ++k) {
    const std::uint32_t bytes = Word(movie, 48 + 24 * k + 4);
    bits += bytes * 8ull;
    largest = std::max(largest, reelpack::FrameBitRate(bytes, 30.0) >> 10);
  }
  EXPECT_EQ(average, static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<double>(bits) / 40 * 30.0) >> 10));
  EXPECT_EQ(maximum, static_cast<std::int32_t>(largest));
  EXPECT_GT(maximum, 0);

  // A refused job restarts them too.
  Stub().frameCount = 0;
  auto refused = Job(dir_.HostPath("clip.mpg"));
  refused->m_avgKbpsOut = &average;
  refused->m_maxKbpsOut = &maximum;
  refused->Run();
  EXPECT_EQ(refused->m_video.status, VideoPassStatus::Refused);
  EXPECT_EQ(average, 0);
  EXPECT_EQ(maximum, 0);
}

}  // namespace
}  // namespace job_test
