// The per-frame rate control: the qualities it tries, the rate test's
// arithmetic, the read-ahead cap and the failure results, with a stub coder
// and with the real one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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

// The plain walk the search must agree with: code the base, lower by 2
// while over the limit and above 10, then lower (by 1 at 10 and below)
// while over the cap.
std::optional<reelpack::FittedRecord> WalkingFit(const reelpack::RecordCoder& code, const FrameRateSettings& settings,
                                                 std::size_t cap) {
  reelpack::FittedRecord fitted;
  FrameCodeStatus status = FrameCodeStatus::kFailed;
  const auto codeAt = [&](int quality) {
    fitted.quality = quality;
    ++fitted.codings;
    status = code(quality, fitted.bytes);
    return status != FrameCodeStatus::kFailed;
  };
  const std::uint32_t limit = FrameBitRateLimit(settings.maxRateSetting);
  const auto overRate = [&] { return FrameBitRate(fitted.bytes.size(), settings.outputFps) > limit; };
  const auto overCap = [&] { return status == FrameCodeStatus::kNoJpeg || fitted.bytes.size() > cap; };
  if (!codeAt(settings.baseQuality)) return std::nullopt;
  while (overRate() && fitted.quality > 10) {
    if (!codeAt(fitted.quality - 2)) return std::nullopt;
  }
  while (overCap()) {
    if (fitted.quality <= 1) return std::nullopt;
    if (!codeAt(fitted.quality - (fitted.quality > 10 ? 2 : 1))) return std::nullopt;
  }
  return fitted;
}

// Whether every quality tried lies on the walk from the base (the search
// skips qualities, it never codes one the walk could not reach).
bool OnTheWalk(const std::vector<int>& tried, int base) {
  for (const int q : tried) {
    if (q > base || (q > 10 && (base - q) % 2 != 0)) return false;
  }
  return true;
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
    // The walk's last quality, reached without coding every one between.
    EXPECT_EQ(fitted->quality, c.tried.back());
    EXPECT_EQ(stub.tried.front(), c.base);
    EXPECT_TRUE(OnTheWalk(stub.tried, c.base)) << c.base;
    EXPECT_LE(stub.tried.size(), c.tried.size()) << c.base;
    EXPECT_EQ(fitted->codings, static_cast<int>(stub.tried.size()));
    EXPECT_EQ(fitted->bytes.size(), std::size_t(1000 + 100 * c.tried.back()));
  }
}

TEST(FrameRateControl, StopsAtTheFirstQualityWithinTheLimit) {
  // Setting 45 at 15 fps allows 4,718,592 / 15 = 314,572 bits, 39,321 bytes.
  StubCoder stub{[](int quality) { return std::size_t(1000 * quality); }, {}};
  const auto fitted = FitRecordToBitrate(stub.Coder(), {75, 45, 15.0}, 1 << 20);
  ASSERT_TRUE(fitted);
  EXPECT_EQ(fitted->quality, 39);
  EXPECT_EQ(fitted->bytes.size(), 39000u);
  // Both sides of the boundary were coded; far fewer than the 19 of the walk.
  EXPECT_NE(std::find(stub.tried.begin(), stub.tried.end(), 41), stub.tried.end());
  EXPECT_NE(std::find(stub.tried.begin(), stub.tried.end(), 39), stub.tried.end());
  EXPECT_LE(stub.tried.size(), 6u);
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
  EXPECT_LT(fitted->codings, 26);  // the walk codes 60, 58, ..., 10
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

namespace {

// A coder that codes each quality of one frame once and replays it, so the
// walk and the search can be compared over many settings at little cost.
class MemoCoder {
 public:
  explicit MemoCoder(const BmpImage& image) : image_(image) {}
  reelpack::RecordCoder Coder(int& codings) {
    return [this, &codings](int quality, std::vector<std::uint8_t>& record) {
      ++codings;
      auto found = memo_.find(quality);
      if (found == memo_.end()) {
        std::vector<std::uint8_t> bytes;
        const FrameCodeStatus status = coder_.BuildPictureRecord(image_, quality, bytes);
        found = memo_.emplace(quality, std::make_pair(status, std::move(bytes))).first;
      }
      record = found->second.second;
      return found->second.first;
    };
  }

 private:
  const BmpImage& image_;
  reelpack::CFrameCoder coder_;
  std::map<int, std::pair<FrameCodeStatus, std::vector<std::uint8_t>>> memo_;
};

struct Agreement {
  int fits = 0;
  int walkCodings = 0;
  int searchCodings = 0;
};

// The search against the walk for one coder over every setting given.
void ExpectSameChoice(const std::function<reelpack::RecordCoder(int&)>& coderCounting, const std::string& name,
                      std::size_t cap, Agreement& agreement) {
  for (const int base : {100, 95, 85, 75, 61, 50, 33, 12, 10, 3}) {
    for (const std::uint32_t setting : {20u, 45u, 70u}) {
      for (const double fps : {0.5, 2.0, 5.0, 10.0, 14.985, 29.97, 60.0, 120.0, 400.0}) {
        const FrameRateSettings settings{base, setting, fps};
        int walkCodings = 0;
        int searchCodings = 0;
        const auto walked = WalkingFit(coderCounting(walkCodings), settings, cap);
        const auto searched = FitRecordToBitrate(coderCounting(searchCodings), settings, cap);
        const std::string where = name + " base " + std::to_string(base) + " setting " + std::to_string(setting) +
                                  " fps " + std::to_string(fps);
        ASSERT_EQ(walked.has_value(), searched.has_value()) << where;
        if (!walked) continue;
        ASSERT_EQ(searched->quality, walked->quality) << where;
        ASSERT_EQ(searched->bytes, walked->bytes) << where;
        EXPECT_EQ(searched->codings, searchCodings) << where;
        ++agreement.fits;
        agreement.walkCodings += walkCodings;
        agreement.searchCodings += searchCodings;
      }
    }
  }
}

TEST(FrameRateControl, SearchChoosesTheWalksQualityForShrinkingSizes) {
  // Sizes that fall with the quality in different shapes, with refusals at
  // the top and flat stretches.
  const std::pair<const char*, std::function<std::size_t(int)>> shapes[] = {
      {"linear", [](int q) { return std::size_t(400 * q + 500); }},
      {"steep", [](int q) { return static_cast<std::size_t>(300.0 * std::exp(q / 12.0)); }},
      {"flat", [](int q) { return std::size_t(20000 + 3 * q); }},
      {"stairs", [](int q) { return std::size_t(4000 * (q / 17) + 900); }},
      {"refused above 90", [](int q) { return q > 90 ? std::size_t{0} : std::size_t(700 * q); }},
      {"scale law", [](int q) { return static_cast<std::size_t>(2e6 * std::pow(q < 50 ? 5000.0 / q : 200.0 - 2 * q + 1, -0.9)); }},
  };
  Agreement agreement;
  for (const auto& [name, size] : shapes) {
    const auto coder = [&size](int& codings) -> reelpack::RecordCoder {
      return [&size, &codings](int quality, std::vector<std::uint8_t>& record) {
        ++codings;
        record.assign(size(quality), static_cast<std::uint8_t>(quality));
        return record.empty() ? FrameCodeStatus::kNoJpeg : FrameCodeStatus::kCoded;
      };
    };
    ExpectSameChoice(coder, name, 60000, agreement);
  }
  EXPECT_LT(agreement.searchCodings, agreement.walkCodings);
  std::printf("shapes: %d fits, walk %d codings, search %d\n", agreement.fits, agreement.walkCodings,
              agreement.searchCodings);
}

TEST(FrameRateControl, SearchChoosesTheWalksQualityOnRealFrames) {
  Agreement agreement;
  for (const char* source : kFrameSources) {
    for (const FrameSize size : kFrameSizes) {
      const BmpImage image = StoredFrame(SourceFrame(source, size.width, size.height), 320, 240);
      MemoCoder memo(image);
      const std::string name = std::string(source) + " " + std::to_string(size.width) + "x" + std::to_string(size.height);
      ExpectSameChoice([&memo](int& codings) { return memo.Coder(codings); }, name,
                       MovieReadBufferBytes(240, 320), agreement);
    }
  }
  EXPECT_LT(agreement.searchCodings * 2, agreement.walkCodings);
  std::printf("frames: %d fits, walk %d codings, search %d\n", agreement.fits, agreement.walkCodings,
              agreement.searchCodings);
}

}  // namespace
