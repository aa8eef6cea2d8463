#include "converter/jbp1/frame_rate_control.h"

#include <algorithm>
#include <cmath>

#include "common/rzm2_format.h"

namespace reelpack {

namespace {

// Qualities the bit-rate limit may lower a frame to; the read-ahead cap goes
// on to kLowestQuality.
constexpr int kLowestRateQuality = 10;
constexpr int kLowestQuality = 1;

// The JPEG library's table scale for a quality (percent of the base tables),
// at least 1 so that its logarithm exists.
double TableScale(int quality) {
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  return scale < 1 ? 1.0 : static_cast<double>(scale);
}

// Guesses the step of the rate walk whose record just meets the limit, from
// the sizes of the records coded so far: the log of a record's size falls
// about linearly with the log of the table scale.
class RateSearch {
 public:
  RateSearch(const FrameRateSettings& settings, std::uint32_t limit)
      : targetBytes_(static_cast<double>(limit) / (8.0 * settings.outputFps)) {}

  void Note(int quality, std::size_t bytes) {
    older_ = newer_;
    newer_ = Point{std::log(TableScale(quality)), std::log(static_cast<double>(bytes)), true};
  }

  // A step strictly between over and within: the first (highest quality)
  // whose record is expected within the limit, else the last one.
  template <typename QualityAt>
  int Guess(int over, int within, const QualityAt& qualityAt) const {
    if (newer_.known && std::isfinite(targetBytes_) && targetBytes_ > 0) {
      double slope = kTypicalSlope;
      if (older_.known && older_.logScale != newer_.logScale) {
        slope = std::clamp((newer_.logBytes - older_.logBytes) / (newer_.logScale - older_.logScale), kSteepestSlope,
                           kFlattestSlope);
      }
      const double logTarget = std::log(targetBytes_);
      for (int step = over + 1; step < within; ++step) {
        const double expected = newer_.logBytes + slope * (std::log(TableScale(qualityAt(step))) - newer_.logScale);
        if (expected <= logTarget) return step;
      }
    }
    return within - 1;
  }

 private:
  // A first guess, size ~ scale^-0.8; the second coding gives the frame its
  // own slope.
  static constexpr double kTypicalSlope = -0.8;
  static constexpr double kSteepestSlope = -4.0;
  static constexpr double kFlattestSlope = -0.1;

  struct Point {
    double logScale = 0;
    double logBytes = 0;
    bool known = false;
  };
  double targetBytes_;
  Point older_;
  Point newer_;
};

}  // namespace

std::uint32_t FrameBitRateLimit(std::uint32_t maxRateSetting) { return maxRateSetting * 1048576u / 10u; }

std::uint32_t FrameBitRate(std::size_t recordBytes, double outputFps) {
  const double product = std::trunc(static_cast<double>(static_cast<std::uint32_t>(recordBytes * 8)) * outputFps);
  if (!std::isfinite(product)) return 0;
  double low = std::fmod(product, 4294967296.0);
  if (low < 0) low += 4294967296.0;
  return static_cast<std::uint32_t>(low);
}

std::optional<FittedRecord> FitRecordToBitrate(const RecordCoder& code, const FrameRateSettings& settings,
                                               std::size_t recordCapBytes) {
  if (settings.baseQuality < 1 || settings.baseQuality > 100) return std::nullopt;
  const std::uint32_t limit = FrameBitRateLimit(settings.maxRateSetting);
  FittedRecord fitted;
  FrameCodeStatus status = FrameCodeStatus::kFailed;
  // The rate walk's qualities: the base, then lower by 2 while above 10.
  const int base = settings.baseQuality;
  const int steps = base > kLowestRateQuality ? (base - kLowestRateQuality + 1) / 2 + 1 : 1;
  const auto qualityAt = [base](int step) { return base - 2 * step; };

  // The walk stops at the first quality within the limit, or at its last.
  // Records shrink as the quality falls, so being within the limit holds
  // from that step on: the search brackets the step between the last one
  // known over (`over`) and the first one known within (`within`), guessing
  // from the sizes met so far, and codes only the steps it guesses.
  RateSearch search(settings, limit);
  std::vector<std::uint8_t> trial;
  int over = -1;
  int within = steps;
  while (within - over > 1) {
    const int step = over < 0 ? 0 : search.Guess(over, within, qualityAt);
    ++fitted.codings;
    const FrameCodeStatus trialStatus = code(qualityAt(step), trial);
    if (trialStatus == FrameCodeStatus::kFailed) return std::nullopt;
    // A refused JPEG has no bytes: it passes the rate test and fails the cap.
    const bool overRate = FrameBitRate(trial.size(), settings.outputFps) > limit;
    if (trialStatus == FrameCodeStatus::kCoded) search.Note(qualityAt(step), trial.size());
    if (overRate && step < steps - 1) {
      over = step;
      continue;
    }
    // Within the limit, or the last step: the best record so far.
    within = overRate ? steps : step;
    if (overRate) over = step;
    fitted.quality = qualityAt(step);
    status = trialStatus;
    fitted.bytes.swap(trial);
  }

  // Then lower the quality while the record is over the read-ahead cap: by
  // 2 above 10, by 1 below.
  const auto overCap = [&] { return status == FrameCodeStatus::kNoJpeg || fitted.bytes.size() > recordCapBytes; };
  while (overCap()) {
    if (fitted.quality <= kLowestQuality) return std::nullopt;
    fitted.quality -= fitted.quality > kLowestRateQuality ? 2 : 1;
    ++fitted.codings;
    status = code(fitted.quality, fitted.bytes);
    if (status == FrameCodeStatus::kFailed) return std::nullopt;
  }
  return fitted;
}

std::optional<FittedRecord> FitFrameToBitrate(CFrameCoder& coder, std::span<const std::uint8_t> image,
                                              const FrameRateSettings& settings) {
  const std::optional<BmpInfo> info = ReadBmpInfo(image);
  if (!info || info->bitsPerPixel != kBmpBitsPerPixel) return std::nullopt;
  const std::size_t cap =
      settings.recordCapBytes != 0 ? settings.recordCapBytes : MovieReadBufferBytes(info->width, info->height);
  if (coder.TakePicture(image) != FrameCodeStatus::kCoded) return std::nullopt;
  return FitRecordToBitrate(
      [&](int quality, std::vector<std::uint8_t>& record) { return coder.CodeTakenPicture(quality, record); },
      settings, cap);
}

}  // namespace reelpack
