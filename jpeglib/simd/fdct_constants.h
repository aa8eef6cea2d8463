// Constants of the SIMD forward DCTs, shared by their portable and SSE2 forms.
#pragma once

#include <cstdint>

namespace fdct_constants {

// Kind 1, column pass: tan(pi/16), tan(2pi/16) and tan(3pi/16) - 1 at 2^16,
// cos(pi/4) at 2^15.
inline constexpr std::int16_t kT1 = 13036;
inline constexpr std::int16_t kT2 = 27146;
inline constexpr std::int16_t kT3 = -21746;
inline constexpr std::int16_t kC4 = 23170;

// Kind 1, row pass: weight sets (w4, w1, w2, w3, w5, w6, w7) for rows 0/4,
// 1/7, 2/6 and 3/5, which also undo the column pass's per-row scale.
struct RowWeights {
  std::int16_t w4, w1, w2, w3, w5, w6, w7;
};
inline constexpr RowWeights kRowWeights[4] = {
    {16384, 22725, 21407, 19266, 12873, 8867, 4520},
    {22725, 31521, 29692, 26722, 17855, 12299, 6270},
    {21407, 29692, 27969, 25172, 16819, 11585, 5906},
    {19266, 26722, 25172, 22654, 15137, 10426, 5315},
};
inline constexpr int kRowWeightSet[8] = {0, 1, 2, 3, 0, 3, 2, 1};

// Output k of a row is the dot product of these four weights with the sums
// s0..s3 (even k) or the differences d0..d3 (odd k), sums s_j = x_j + x_(7-j).
inline constexpr void rowDotWeights(const RowWeights& w, int k, std::int16_t out[4]) {
  const std::int16_t table[8][4] = {
      {w.w4, w.w4, w.w4, w.w4},
      {w.w1, w.w3, w.w5, w.w7},
      {w.w2, w.w6, static_cast<std::int16_t>(-w.w6), static_cast<std::int16_t>(-w.w2)},
      {w.w3, static_cast<std::int16_t>(-w.w7), static_cast<std::int16_t>(-w.w1), static_cast<std::int16_t>(-w.w5)},
      {w.w4, static_cast<std::int16_t>(-w.w4), static_cast<std::int16_t>(-w.w4), w.w4},
      {w.w5, static_cast<std::int16_t>(-w.w1), w.w7, w.w3},
      {w.w6, static_cast<std::int16_t>(-w.w2), w.w2, static_cast<std::int16_t>(-w.w6)},
      {w.w7, static_cast<std::int16_t>(-w.w5), w.w3, static_cast<std::int16_t>(-w.w1)},
  };
  for (int j = 0; j < 4; ++j) out[j] = table[k][j];
}

inline constexpr std::int32_t kRowRounding = 1 << 19;
inline constexpr int kRowShift = 20;

// Kind 0 (AAN): 0.707107, 0.382683, 0.541196 and 1.306563 at 8-bit precision
// as high-half multipliers, used with pre-shifts of 1, 0, 1 and 2.
inline constexpr std::int16_t kAan0707 = 23168;
inline constexpr std::int16_t kAan0382 = 25088;
inline constexpr std::int16_t kAan0541 = 17792;
inline constexpr std::int16_t kAan1306 = 21376;

}  // namespace fdct_constants
