#include <cstdint>

#include "jpeglib/jpeg_block_kernels.h"

namespace {

// One 8-point pass of the accurate DCT over in[0], in[step], ... The even
// DC and Nyquist terms are (sum + dcRound) >> dcShift after scaling by
// dcScale; rotations use (p + rotRound) >> rotShift.
template <typename In, typename Out>
void accuratePass(const In* in, Out* out, int step, std::int64_t dcScale, int dcShift,
                  int rotShift) {
  const std::int64_t x0 = in[0], x1 = in[step], x2 = in[2 * step], x3 = in[3 * step];
  const std::int64_t x4 = in[4 * step], x5 = in[5 * step], x6 = in[6 * step], x7 = in[7 * step];
  const std::int64_t dcRound = dcShift > 0 ? (std::int64_t{1} << (dcShift - 1)) : 0;
  const std::int64_t rotRound = std::int64_t{1} << (rotShift - 1);

  const std::int64_t s07 = x0 + x7, s34 = x3 + x4, s16 = x1 + x6, s25 = x2 + x5;
  out[0] = static_cast<Out>(((s07 + s34 + s16 + s25) * dcScale + dcRound) >> dcShift);
  out[4 * step] = static_cast<Out>(((s07 + s34 - s16 - s25) * dcScale + dcRound) >> dcShift);
  const std::int64_t e = s07 - s34, f = s16 - s25;
  out[2 * step] = static_cast<Out>((e * 42813 + f * 17734 + rotRound) >> rotShift);
  out[6 * step] = static_cast<Out>((e * 17734 - f * 42813 + rotRound) >> rotShift);

  const std::int64_t t = ((x0 - x7) * 46341 + 2048) >> 12;
  const std::int64_t u = ((x3 - x4) * 46341 + 2048) >> 12;
  const std::int64_t v = ((x1 + x2) - (x5 + x6)) * 8;
  const std::int64_t a = ((x1 + x5) - (x2 + x6)) * 8;
  const std::int64_t w = v + t, b = a + u;
  out[1 * step] = static_cast<Out>((w * 4017 + b * 799 + rotRound) >> rotShift);
  out[7 * step] = static_cast<Out>((w * 799 - b * 4017 + rotRound) >> rotShift);
  const std::int64_t tp = t - v, up = u - a;
  out[5 * step] = static_cast<Out>((tp * 2276 + up * 3406 + rotRound) >> rotShift);
  out[3 * step] = static_cast<Out>((tp * 3406 - up * 2276 + rotRound) >> rotShift);
}

// Product with a constant over 32768, rounded.
inline std::int32_t scaled(std::int64_t value, int constant) {
  return static_cast<std::int32_t>((value * constant + 16384) >> 15);
}

template <typename In, typename Out>
void fastPass(const In* in, Out* out, int step) {
  const std::int32_t d0 = in[0], d1 = in[step], d2 = in[2 * step], d3 = in[3 * step];
  const std::int32_t d4 = in[4 * step], d5 = in[5 * step], d6 = in[6 * step], d7 = in[7 * step];
  const std::int32_t tmp0 = d0 + d7, tmp7 = d0 - d7, tmp1 = d1 + d6, tmp6 = d1 - d6;
  const std::int32_t tmp2 = d2 + d5, tmp5 = d2 - d5, tmp3 = d3 + d4, tmp4 = d3 - d4;

  // Even part.
  std::int32_t tmp10 = tmp0 + tmp3, tmp13 = tmp0 - tmp3;
  std::int32_t tmp11 = tmp1 + tmp2, tmp12 = tmp1 - tmp2;
  out[0] = static_cast<Out>(tmp10 + tmp11);
  out[4 * step] = static_cast<Out>(tmp10 - tmp11);
  const std::int32_t z1 = scaled(tmp12 + tmp13, 23170);
  out[2 * step] = static_cast<Out>(tmp13 + z1);
  out[6 * step] = static_cast<Out>(tmp13 - z1);

  // Odd part.
  tmp10 = tmp4 + tmp5;
  tmp11 = tmp5 + tmp6;
  tmp12 = tmp6 + tmp7;
  const std::int32_t z5 = scaled(tmp10 - tmp12, 12540);
  const std::int32_t z2 = scaled(tmp10, 17734) + z5;
  const std::int32_t z4 = scaled(tmp12, 42813) + z5;
  const std::int32_t z3 = scaled(tmp11, 23170);
  const std::int32_t z11 = tmp7 + z3, z13 = tmp7 - z3;
  out[5 * step] = static_cast<Out>(z13 + z2);
  out[3 * step] = static_cast<Out>(z13 - z2);
  out[1 * step] = static_cast<Out>(z11 + z4);
  out[7 * step] = static_cast<Out>(z11 - z4);
}

}  // namespace

void fdctAccurate(std::int16_t block[64]) {
  // Rows: even terms x 8, rotations (p + 2048) >> 12, kept as 16-bit.
  for (int row = 0; row < 8; ++row) accuratePass(block + row * 8, block + row * 8, 1, 8, 0, 12);
  // Columns: even terms (sum + 32) >> 6, rotations (p + 2^20) >> 21.
  for (int column = 0; column < 8; ++column) accuratePass(block + column, block + column, 8, 1, 6, 21);
}

void fdctFast(std::int16_t block[64]) {
  std::int32_t rows[64];
  for (int row = 0; row < 8; ++row) fastPass(block + row * 8, rows + row * 8, 1);
  for (int column = 0; column < 8; ++column) fastPass(rows + column, block + column, 8);
}
