#include "converter/jbp1/frame_scaler.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace reelpack {

namespace {

constexpr std::uint32_t kUnit = 1024;

// The source pixels one output pixel takes along a direction, with weights.
struct Footprint {
  int first = 0;
  int count = 0;
  std::uint32_t weightSum = 0;
};

// Footprints of every output position: position i starts at i x step (1/1024
// units), takes ceil(step / 1024) source positions from there, each weighted by
// how much of it lies in the step, skipping positions at or beyond `extent`.
// The weights go to taps, ceil(step / 1024) per output position.
std::vector<Footprint> Footprints(int outputs, int extent, std::uint32_t step, std::vector<std::uint32_t>& taps) {
  const std::uint32_t tapCount = (step + kUnit - 1) / kUnit;
  std::vector<Footprint> footprints(static_cast<std::size_t>(outputs));
  taps.assign(static_cast<std::size_t>(outputs) * tapCount, 0);
  std::uint32_t start = 0;
  for (int i = 0; i < outputs; ++i, start += step) {
    Footprint& footprint = footprints[static_cast<std::size_t>(i)];
    footprint.first = static_cast<int>(start / kUnit);
    std::uint32_t fraction = start % kUnit;
    std::uint32_t budget = step;
    for (std::uint32_t t = 0; t < tapCount; ++t) {
      if (footprint.first + static_cast<int>(t) >= extent) break;
      const std::uint32_t weight = std::min(kUnit - fraction, budget);
      fraction = 0;
      budget -= weight;
      taps[static_cast<std::size_t>(i) * tapCount + t] = weight;
      footprint.weightSum += weight;
      ++footprint.count;
    }
  }
  return footprints;
}

// The weighted sum of the footprint's values, `stride` apart from first.
template <typename Value>
std::uint64_t WeightedSum(const Value* first, std::ptrdiff_t stride, const std::uint32_t* weights,
                          const Footprint& footprint) {
  std::uint64_t sum = 0;
  for (int t = 0; t < footprint.count; ++t) sum += std::uint64_t{weights[t]} * first[t * stride];
  return sum;
}

void ReverseRows(std::span<const std::uint8_t> source, const BmpInfo& info, BmpImage& result) {
  result.assign(kBmpHeaderBytes + info.rowBytes * static_cast<std::size_t>(info.height), 0);
  std::memcpy(result.data(), source.data(), kBmpHeaderBytes);
  for (int row = 0; row < info.height; ++row) {
    std::memcpy(BmpRow(result, row, info.rowBytes), BmpRow(source, info.height - 1 - row, info.rowBytes),
                3 * static_cast<std::size_t>(info.width));
  }
}

}  // namespace

std::optional<BmpImage> ScaleFrame(std::span<const std::uint8_t> source, int outWidth, int outHeight) {
  BmpImage result;
  FrameScaleWorkspace work;
  if (!ScaleFrameInto(source, outWidth, outHeight, result, work)) return std::nullopt;
  return result;
}

bool ScaleFrameInto(std::span<const std::uint8_t> source, int outWidth, int outHeight, BmpImage& result,
                    FrameScaleWorkspace& work) {
  const std::optional<BmpInfo> info = ReadBmpInfo(source);
  if (!info || info->bitsPerPixel != kBmpBitsPerPixel || outWidth < 1 || outHeight < 1 || outWidth > kBmpMaxSide ||
      outHeight > kBmpMaxSide) {
    return false;
  }
  if (info->width == outWidth && info->height == outHeight) {
    ReverseRows(source, *info, result);
    return true;
  }

  const std::uint32_t stepX = static_cast<std::uint32_t>(info->width) * kUnit / static_cast<std::uint32_t>(outWidth);
  const std::uint32_t stepY = static_cast<std::uint32_t>(info->height) * kUnit / static_cast<std::uint32_t>(outHeight);
  std::vector<std::uint32_t> tapsX;
  std::vector<std::uint32_t> tapsY;
  const std::vector<Footprint> columns = Footprints(outWidth, info->width, stepX, tapsX);
  const std::vector<Footprint> rows = Footprints(outHeight, info->height, stepY, tapsY);
  const std::size_t tapsPerColumn = (stepX + kUnit - 1) / kUnit;
  const std::size_t tapsPerRow = (stepY + kUnit - 1) / kUnit;

  // Horizontal pass: weighted sums (not yet divided, so integer ratios give
  // exact box means), stored rows where they are. A sum is at most
  // step x 255, inside 32 bits for every allowed size.
  const std::size_t sumsPerRow = 3 * static_cast<std::size_t>(outWidth);
  std::vector<std::uint32_t>& sums = work.sums;
  sums.resize(sumsPerRow * static_cast<std::size_t>(info->height));
  for (int row = 0; row < info->height; ++row) {
    const std::uint8_t* in = BmpRow(source, row, info->rowBytes);
    std::uint32_t* out = sums.data() + static_cast<std::size_t>(row) * sumsPerRow;
    for (int x = 0; x < outWidth; ++x) {
      const Footprint& footprint = columns[static_cast<std::size_t>(x)];
      const std::uint8_t* first = in + 3 * static_cast<std::size_t>(footprint.first);
      for (int c = 0; c < 3; ++c) {
        out[3 * x + c] = static_cast<std::uint32_t>(WeightedSum(first + c, 3, tapsX.data() + x * tapsPerColumn, footprint));
      }
    }
  }

  // Vertical pass down the picture (up the stored rows) into top-first rows.
  ResetBmpImage(result, outWidth, outHeight);
  const std::size_t outRowBytes = BmpRowBytes(outWidth);
  for (int y = 0; y < outHeight; ++y) {
    const Footprint& footprint = rows[static_cast<std::size_t>(y)];
    const std::uint32_t* top = sums.data() + static_cast<std::size_t>(info->height - 1 - footprint.first) * sumsPerRow;
    std::uint8_t* out = BmpRow(result, y, outRowBytes);
    for (int x = 0; x < outWidth; ++x) {
      const std::uint64_t weight = std::uint64_t{columns[static_cast<std::size_t>(x)].weightSum} * footprint.weightSum;
      if (weight == 0) continue;  // black
      for (int c = 0; c < 3; ++c) {
        // Picture rows below the first are stored one row earlier each.
        const std::uint64_t sum = WeightedSum(top + 3 * x + c, -static_cast<std::ptrdiff_t>(sumsPerRow),
                                              tapsY.data() + y * tapsPerRow, footprint);
        out[3 * x + c] = static_cast<std::uint8_t>(sum / weight);
      }
    }
  }
  return true;
}

}  // namespace reelpack
