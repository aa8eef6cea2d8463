#include "converter/jbp1/frame_rate_control.h"

#include <cmath>

#include "common/rzm2_format.h"

namespace reelpack {

namespace {

// Qualities the bit-rate limit may lower a frame to; the read-ahead cap goes
// on to kLowestQuality.
constexpr int kLowestRateQuality = 10;
constexpr int kLowestQuality = 1;

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
  FittedRecord fitted;
  FrameCodeStatus status = FrameCodeStatus::kFailed;
  const auto codeAt = [&](int quality) {
    fitted.quality = quality;
    ++fitted.codings;
    status = code(quality, fitted.bytes);
    return status != FrameCodeStatus::kFailed;
  };
  const std::uint32_t limit = FrameBitRateLimit(settings.maxRateSetting);
  // A refused JPEG has no bytes: it passes the rate test and fails the cap.
  const auto overRate = [&] { return FrameBitRate(fitted.bytes.size(), settings.outputFps) > limit; };
  const auto overCap = [&] { return status == FrameCodeStatus::kNoJpeg || fitted.bytes.size() > recordCapBytes; };

  if (!codeAt(settings.baseQuality)) return std::nullopt;
  while (overRate() && fitted.quality > kLowestRateQuality) {
    if (!codeAt(fitted.quality - 2)) return std::nullopt;
  }
  while (overCap()) {
    if (fitted.quality <= kLowestQuality) return std::nullopt;
    if (!codeAt(fitted.quality - (fitted.quality > kLowestRateQuality ? 2 : 1))) return std::nullopt;
  }
  return fitted;
}

std::optional<FittedRecord> FitFrameToBitrate(CFrameCoder& coder, std::span<const std::uint8_t> image,
                                              const FrameRateSettings& settings) {
  const std::optional<BmpInfo> info = ReadBmpInfo(image);
  if (!info || info->bitsPerPixel != kBmpBitsPerPixel) return std::nullopt;
  const std::size_t cap =
      settings.recordCapBytes != 0 ? settings.recordCapBytes : MovieReadBufferBytes(info->width, info->height);
  return FitRecordToBitrate(
      [&](int quality, std::vector<std::uint8_t>& record) { return coder.BuildPictureRecord(image, quality, record); },
      settings, cap);
}

}  // namespace reelpack
