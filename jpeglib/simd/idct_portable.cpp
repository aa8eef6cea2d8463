// Portable form of the SIMD classes' accurate inverse DCT.
#include <algorithm>
#include <cmath>

#include "jpeglib/simd/idct_lanes.h"
#include "jpeglib/simd/simd_kernels.h"

const JpegIdctLaneBasis& jpegIdctLaneBasis() {
  static const JpegIdctLaneBasis table = [] {
    JpegIdctLaneBasis t{};
    for (int u = 0; u < 8; ++u) {
      const double weight = (u == 0 ? M_SQRT1_2 : 1.0) / 2.0;
      for (int x = 0; x < 8; ++x) {
        t.basis[u][x] = static_cast<std::int16_t>(std::lround(weight * std::cos((2 * x + 1) * u * M_PI / 16.0) * 32768.0));
      }
    }
    return t;
  }();
  return table;
}

namespace simd_portable {

namespace {

// One pass into `out` transposed: out[j][k].
void lanePass(const std::int16_t in[64], std::int16_t out[64], int shift, std::int32_t round) {
  const JpegIdctLaneBasis& b = jpegIdctLaneBasis();
  for (int k = 0; k < 8; ++k) {
    for (int j = 0; j < 8; ++j) {
      std::uint32_t sum = 0;
      for (int i = 0; i < 8; ++i) sum += static_cast<std::uint32_t>(b.basis[i][k] * in[i * 8 + j]);
      const auto value = static_cast<std::int32_t>(sum + static_cast<std::uint32_t>(round)) >> shift;
      out[j * 8 + k] = static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
    }
  }
}

}  // namespace

void idctBlockLanes(std::int16_t block[64]) {
  std::int16_t columns[64];
  lanePass(block, columns, kIdctLaneFirstShift, kIdctLaneFirstRound);
  lanePass(columns, block, kIdctLaneSecondShift, kIdctLaneSecondRound);
  for (int i = 0; i < 64; ++i) block[i] = static_cast<std::int16_t>(std::clamp<int>(block[i], 0, 255));
}

void transformBlockLanes(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                         std::ptrdiff_t stride) {
  std::int16_t samples[64];
  for (int i = 0; i < 64; ++i) samples[i] = static_cast<std::int16_t>(block[i] * factors[i]);
  idctBlockLanes(samples);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) out[y * stride + x] = static_cast<std::uint8_t>(samples[y * 8 + x]);
  }
}

}  // namespace simd_portable
