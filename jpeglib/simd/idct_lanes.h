// The SIMD classes' accurate inverse DCT, defined by its 16-bit lane
// arithmetic. Two identical passes, each followed by a transpose:
//   out[k][j] = sat16((sum over i of basis[i][k] * in[i][j] + round) >> shift)
// with 16 x 16-bit products summed in wrapping 32-bit lanes. The first pass
// (over the block's rows) keeps 3 fraction bits; the second lands on the
// sample, its rounding constant carrying the +128 level shift; samples are
// then clamped to 0..255.
#pragma once

#include <cstdint>

struct JpegIdctLaneBasis {
  std::int16_t basis[8][8];  // [frequency][position] at 2^15
};

// cos((2 position + 1) frequency pi / 16) weighted by 1/2 (frequency 0: 1/(2 sqrt 2)).
const JpegIdctLaneBasis& jpegIdctLaneBasis();

inline constexpr int kIdctLaneFirstShift = 12;
inline constexpr std::int32_t kIdctLaneFirstRound = 1 << 11;
inline constexpr int kIdctLaneSecondShift = 18;
inline constexpr std::int32_t kIdctLaneSecondRound = (1 << 17) + (128 << 18);
