// The per-frame rate control: the qualities it tries, the rate test's
// arithmetic, the read-ahead cap and the failure results, with a stub coder
// and with the real one.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "common/jbp1_format.h"
#include "common/rzm2_format.h"
#include "converter/jbp1/frame_rate_control.h"
#include "converter/jbp1/frame_scaler.h"
#include "converter/jbp1/frame_turn.h"
#include "frame_test_support.h"

namespace {

using reelpack::FitFrameToBitrate;
using reelpack::FitRecordToBitrate;
using reelpack::FrameBitRate;
using reelpack::FrameBitRateLimit;
using reelpack::FrameCodeStatus;
using reelpack::FrameRateSettings;

// A coder whose record has size(quality) bytes (0: the JPEG is refused) and
// that notes every quality asked for.
struct StubCoder {
  std::function<std::size_t(int)> size;
  std::vector<int> tried;

  reelpack::RecordCoder Coder() {
    return [this](int quality, std::vector<std::uint8_t>& record) {
      tried.push_back(quality);
      record.assign(size(quality), 0);
      return record.empty() ? FrameCodeStatus::kNoJpeg : FrameCodeStatus::kCoded;
    };
  }
};

std::vector<int> Range(int from, int to, int step) {
  std::vector<int> values;
  for (int q = from; step < 0 ? q >= to : q <= to; q += step) values.push_back(q);
  return values;
}

TEST(FrameRateControl, LimitPerSetting) {
  EXPECT_EQ(FrameBitRateLimit(20), 2097152u);
  EXPECT_EQ(FrameBitRateLimit(45), 4718592u);
  EXPECT_EQ(FrameBitRateLimit(70), 7340032u);
  // The product is taken modulo 2^32 before the division.
  EXPECT_EQ(FrameBitRateLimit(4096), 0u);
  EXPECT_EQ(FrameBitRateLimit(4097), 104857u);
}

TEST(FrameRateControl, RateIsTheLow32BitsOfTheTruncatedProduct) {
  EXPECT_EQ(FrameBitRate(1000, 15.0), 120000u);
  EXPECT_EQ(FrameBitRate(1000, 29.97), 239760u);
  EXPECT_EQ(FrameBitRate(3, 0.9), 21u);  // 21.6 truncated
  EXPECT_EQ(FrameBitRate(1024, 524288.0), 0u);  // exactly 2^32
  EXPECT_EQ(FrameBitRate(1024, 524288.5), 4096u);
  EXPECT_EQ(FrameBitRate(1024, 524287.0), 4294959104u);
  // The bit count itself is 32-bit: 2^29 bytes are 0 bits.
  EXPECT_EQ(FrameBitRate(std::size_t{1} << 29, 15.0), 0u);
}

TEST(FrameRateControl, UnreachableLimitLowersByTwoDownToTen) {
  struct Case {
    int base;
    std::vector<int> tried;
  };
  const Case cases[] = {
      {60, Range(60, 10, -2)},  // 26 codings
      {61, Range(61, 9, -2)},
      {95, Range(95, 9, -2)},
      {12, {12, 10}},
      {10, {10}},
      {5, {5}},
      {1, {1}},
  };
  for (const Case& c : cases) {
    StubCoder stub{[](int quality) { return std::size_t(1000 + 100 * quality); }, {}};
    FrameRateSettings settings{c.base, 20, 1e6};
    const auto fitted = FitRecordToBitrate(stub.Coder(), settings, 1 << 20);
    ASSERT_TRUE(fitted) << c.base;
    EXPECT_EQ(stub.tried, c.tried) << c.base;
    EXPECT_EQ(fitted->quality, c.tried.back());
    EXPECT_EQ(fitted->codings, static_cast<int>(c.tried.size()));
    EXPECT_EQ(fitted->bytes.size(), std::size_t(1000 + 100 * c.tried.back()));
  }
}

TEST(FrameRateControl, StopsAtTheFirstQualityWithinTheLimit) {
  // Setting 45 at 15 fps allows 4,718,592 / 15 = 314,572 bits, 39,321 bytes.
  StubCoder stub{[](int quality) { return std::size_t(1000 * quality); }, {}};
  const auto fitted = FitRecordToBitrate(stub.Coder(), {75, 45, 15.0}, 1 << 20);
  ASSERT_TRUE(fitted);
  EXPECT_EQ(stub.tried, Range(75, 39, -2));
  EXPECT_EQ(fitted->quality, 39);
  // Each frame starts again from the base quality.
  stub.tried.clear();
  ASSERT_TRUE(FitRecordToBitrate(stub.Coder(), {75, 45, 15.0}, 1 << 20));
  EXPECT_EQ(stub.tried.front(), 75);
}

TEST(FrameRateControl, RefusedJpegCountsAsOverTheLimit) {
  StubCoder stub{[](int quality) { return quality > 40 ? std::size_t{0} : std::size_t{100}; }, {}};
  const auto fitted = FitRecordToBitrate(stub.Coder(), {50, 45, 15.0}, 1 << 20);
  ASSERT_TRUE(fitted);
  EXPECT_EQ(stub.tried, (std::vector<int>{50, 48, 46, 44, 42, 40}));
  EXPECT_EQ(fitted->quality, 40);
}

TEST(FrameRateControl, RecordOverTheCapGoesOnDownByOneBelowTen) {
  const struct {
    int base;
    std::size_t fitsFrom;  // quality at and below which the record fits the cap
    std::vector<int> tried;
  } cases[] = {
      {75, 7, [] { auto q = Range(75, 9, -2); q.push_back(8); q.push_back(7); return q; }()},
      {80, 80, {80}},
      {12, 3, {12, 10, 9, 8, 7, 6, 5, 4, 3}},
      // Within the rate limit already at the base, over the cap above 50.
      {70, 50, Range(70, 50, -2)},
  };
  for (const auto& c : cases) {
    const std::size_t fitsFrom = c.fitsFrom;
    StubCoder stub{[fitsFrom](int quality) { return quality <= static_cast<int>(fitsFrom) ? std::size_t{500} : std::size_t{5000}; }, {}};
    // No rate limit in reach: a frame rate of 0.001.
    const auto fitted = FitRecordToBitrate(stub.Coder(), {c.base, 45, 0.001}, 1000);
    ASSERT_TRUE(fitted) << c.base;
    EXPECT_EQ(stub.tried, c.tried) << c.base;
    EXPECT_EQ(fitted->quality, c.tried.back());
    EXPECT_LE(fitted->bytes.size(), 1000u);
  }
}

TEST(FrameRateControl, FailsWhereNoQualityHelps) {
  StubCoder tooLarge{[](int) { return std::size_t{5000}; }, {}};
  EXPECT_FALSE(FitRecordToBitrate(tooLarge.Coder(), {60, 45, 15.0}, 1000));
  EXPECT_EQ(tooLarge.tried.back(), 1);
  StubCoder refused{[](int) { return std::size_t{0}; }, {}};
  EXPECT_FALSE(FitRecordToBitrate(refused.Coder(), {60, 45, 15.0}, 1000));
  EXPECT_EQ(refused.tried.back(), 1);
  int calls = 0;
  const reelpack::RecordCoder failing = [&](int, std::vector<std::uint8_t>&) {
    ++calls;
    return FrameCodeStatus::kFailed;
  };
  EXPECT_FALSE(FitRecordToBitrate(failing, {60, 45, 15.0}, 1000));
  EXPECT_EQ(calls, 1);
  StubCoder fine{[](int) { return std::size_t{10}; }, {}};
  EXPECT_FALSE(FitRecordToBitrate(fine.Coder(), {0, 45, 15.0}, 1000));
  EXPECT_FALSE(FitRecordToBitrate(fine.Coder(), {101, 45, 15.0}, 1000));
  EXPECT_TRUE(fine.tried.empty());
}

BmpImage StoredFrame(const BmpImage& source, int outWidth, int outHeight) {
  auto scaled = reelpack::ScaleFrame(source, outWidth, outHeight);
  return *reelpack::RotateBmpImage(std::move(*scaled));
}

TEST(FrameRateControl, RealFrameAtAnUnreachableLimitEndsAtTen) {
  const BmpImage image = StoredFrame(SourceFrame("testsrc2", 352, 240), 320, 218);
  reelpack::CFrameCoder coder;
  const auto fitted = FitFrameToBitrate(coder, image, {60, 20, 1e7});
  ASSERT_TRUE(fitted);
  EXPECT_EQ(fitted->quality, 10);
  EXPECT_EQ(fitted->codings, 26);
  EXPECT_EQ(ReadLe32(fitted->bytes.data() + 0x0C), 10u);
}

TEST(FrameRateControl, NoiseAtALowFrameRateStaysWithinTheReadAheadBuffer) {
  // At 2 fps the highest setting allows 458 KB a frame: only the cap holds
  // noise records back.
  struct Case {
    int width, height;
  };
  for (const Case c : {Case{320, 240}, Case{640, 480}}) {
    const BmpImage image = MakeNoiseImage(c.height, c.width, 17);
    const std::size_t cap = MovieReadBufferBytes(c.height, c.width);
    EXPECT_EQ(cap, c.width >= 640 ? 262144u : 65536u);
    reelpack::CFrameCoder coder;
    const auto fitted = FitFrameToBitrate(coder, image, {95, 70, 2.0});
    ASSERT_TRUE(fitted) << c.width;
    EXPECT_LE(fitted->bytes.size(), cap) << c.width;
    EXPECT_GT(fitted->codings, 1) << c.width;  // the base quality did not fit
    std::printf("noise %dx%d: quality %d, %zu bytes, %d codings\n", c.height, c.width, fitted->quality,
                fitted->bytes.size(), fitted->codings);
  }
}

TEST(FrameRateControl, FrameThatFitsNoCapIsAFailure) {
  const BmpImage image = StoredFrame(SourceFrame("smptebars", 352, 288), 320, 261);
  reelpack::CFrameCoder coder;
  FrameRateSettings settings{75, 45, 15.0};
  settings.recordCapBytes = 100;
  EXPECT_FALSE(FitFrameToBitrate(coder, image, settings));
  BmpImage broken = image;
  broken[0] = 'X';
  EXPECT_FALSE(FitFrameToBitrate(coder, broken, {75, 45, 15.0}));
}

}  // namespace
