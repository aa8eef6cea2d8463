#include <cstdint>
#include <utility>

#include "jpeglib/jpeg_block_kernels.h"
#include "jpeglib/jpeg_fixed_point.h"

namespace {

// Rotation sum a*ca + b*cb rounded and shifted. The sum is formed with
// unsigned (wrapping) arithmetic so no input can make it undefined; for the
// level-shifted 8-bit samples the encoder feeds it, it never wraps.
template <int Shift>
inline std::int32_t rotate(std::int32_t a, std::int32_t ca, std::int32_t b, std::int32_t cb) {
  const std::uint32_t sum = static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(ca) +
                            static_cast<std::uint32_t>(b) * static_cast<std::uint32_t>(cb) + (1u << (Shift - 1));
  return static_cast<std::int32_t>(sum) >> Shift;
}

// One 8-point pass of the accurate DCT over the eight columns of `data` at
// once (x_k of column c is data[k * 8 + c]), so the loop runs across lanes.
// Even DC and Nyquist terms: row pass x 8, column pass (sum + 32) >> 6;
// rotations: row pass (p + 2048) >> 12, column pass (p + 2^20) >> 21.
template <bool ColumnPass>
void accuratePass(std::int16_t* data) {
  constexpr int kShift = ColumnPass ? 21 : 12;
  for (int c = 0; c < 8; ++c) {
    const std::int32_t x0 = data[c], x1 = data[8 + c], x2 = data[16 + c], x3 = data[24 + c];
    const std::int32_t x4 = data[32 + c], x5 = data[40 + c], x6 = data[48 + c], x7 = data[56 + c];
    const std::int32_t s07 = x0 + x7, s34 = x3 + x4, s16 = x1 + x6, s25 = x2 + x5;
    const std::int32_t even = s07 + s34 + s16 + s25, nyquist = s07 + s34 - s16 - s25;
    data[c] = static_cast<std::int16_t>(ColumnPass ? (even + 32) >> 6 : even * 8);
    data[32 + c] = static_cast<std::int16_t>(ColumnPass ? (nyquist + 32) >> 6 : nyquist * 8);
    const std::int32_t e = s07 - s34, f = s16 - s25;
    data[16 + c] = static_cast<std::int16_t>(rotate<kShift>(e, 42813, f, 17734));
    data[48 + c] = static_cast<std::int16_t>(rotate<kShift>(e, 17734, f, -42813));

    const std::int32_t t = ((x0 - x7) * 46341 + 2048) >> 12;
    const std::int32_t u = ((x3 - x4) * 46341 + 2048) >> 12;
    const std::int32_t v = ((x1 + x2) - (x5 + x6)) * 8;
    const std::int32_t a = ((x1 + x5) - (x2 + x6)) * 8;
    const std::int32_t w = v + t, b = a + u;
    data[8 + c] = static_cast<std::int16_t>(rotate<kShift>(w, 4017, b, 799));
    data[56 + c] = static_cast<std::int16_t>(rotate<kShift>(w, 799, b, -4017));
    const std::int32_t tp = t - v, up = u - a;
    data[40 + c] = static_cast<std::int16_t>(rotate<kShift>(tp, 2276, up, 3406));
    data[24 + c] = static_cast<std::int16_t>(rotate<kShift>(tp, 3406, up, -2276));
  }
}

void transpose(std::int16_t* block) {
  for (int y = 0; y < 8; ++y) {
    for (int x = y + 1; x < 8; ++x) std::swap(block[y * 8 + x], block[x * 8 + y]);
  }
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
  const std::int32_t z1 = jpegMulQ15(tmp12 + tmp13, 23170);
  out[2 * step] = static_cast<Out>(tmp13 + z1);
  out[6 * step] = static_cast<Out>(tmp13 - z1);

  // Odd part.
  tmp10 = tmp4 + tmp5;
  tmp11 = tmp5 + tmp6;
  tmp12 = tmp6 + tmp7;
  const std::int32_t z5 = jpegMulQ15(tmp10 - tmp12, 12540);
  const std::int32_t z2 = jpegMulQ15(tmp10, 17734) + z5;
  const std::int32_t z4 = jpegMulQ15(tmp12, 42813) + z5;
  const std::int32_t z3 = jpegMulQ15(tmp11, 23170);
  const std::int32_t z11 = tmp7 + z3, z13 = tmp7 - z3;
  out[5 * step] = static_cast<Out>(z13 + z2);
  out[3 * step] = static_cast<Out>(z13 - z2);
  out[1 * step] = static_cast<Out>(z11 + z4);
  out[7 * step] = static_cast<Out>(z11 - z4);
}

}  // namespace

void fdctAccurate(std::int16_t block[64]) {
  transpose(block);
  accuratePass<false>(block);  // rows, kept as 16-bit
  transpose(block);
  accuratePass<true>(block);
}

void fdctFast(std::int16_t block[64]) {
  std::int32_t rows[64];
  for (int row = 0; row < 8; ++row) fastPass(block + row * 8, rows + row * 8, 1);
  for (int column = 0; column < 8; ++column) fastPass(rows + column, block + column, 8);
}
