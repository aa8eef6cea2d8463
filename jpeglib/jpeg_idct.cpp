// Inverse DCTs. Method 0 takes coefficients carrying the fast transform's
// scale (dequantizeFast) and runs the Arai-Agui-Nakajima inverse at full
// size; method 1 takes plain coefficients. Method 1's reduced sizes give
// each 2 x 2, 4 x 4 or 8 x 8 pixel group the mean of the full inverse over
// it, from all the coefficients that do not cancel in that mean; method 0's
// reduced sizes sample the low-frequency basis at the group centres. A flat
// block keeps its level at every size.
#include <algorithm>
#include <cmath>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_fixed_point.h"

namespace {

inline std::int16_t toSample(std::int64_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(value + 128, 0, 255));
}

// Basis tables of an N-point inverse at 2^20. `fastScale` divides out the
// fast method's per-frequency scale.
struct Basis {
  std::int32_t value[8][8];  // [frequency][position]
};
constexpr int kBasisBits = 20;

Basis makeBasis(int n, bool fastScale) {
  Basis basis{};
  for (int u = 0; u < n; ++u) {
    const double weight =
        (u == 0 ? M_SQRT1_2 : 1.0) / 2.0 / (fastScale && u != 0 ? std::sqrt(2.0) * std::cos(u * M_PI / 16.0) : 1.0);
    for (int x = 0; x < n; ++x) {
      basis.value[u][x] = static_cast<std::int32_t>(
          std::lround(weight * std::cos((2 * x + 1) * u * M_PI / (2.0 * n)) * (1 << kBasisBits)));
    }
  }
  return basis;
}

const Basis& accurateBasis() {
  static const Basis table = makeBasis(8, false);
  return table;
}

const Basis& fastReducedBasis(int n) {
  static const Basis tables[2] = {makeBasis(4, true), makeBasis(2, true)};
  return tables[n == 4 ? 0 : 1];
}

// Separable N-point inverse of the low N x N coefficients, rounded once at
// the end: the row sums are kept whole, so the result is the exact inverse
// up to the basis' own rounding. `extraBits` descales coefficients that
// carry more than the plain scale.
void matrixIdct(std::int16_t block[64], int n, const Basis& basis, int extraBits) {
  std::int64_t rows[8][8];
  for (int v = 0; v < n; ++v) {
    for (int x = 0; x < n; ++x) {
      std::int64_t sum = 0;
      for (int u = 0; u < n; ++u) sum += static_cast<std::int64_t>(block[v * 8 + u]) * basis.value[u][x];
      rows[v][x] = sum;
    }
  }
  const int shift = 2 * kBasisBits + extraBits;
  const std::int64_t round = std::int64_t{1} << (shift - 1);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      std::int64_t sum = 0;
      for (int v = 0; v < n; ++v) sum += rows[v][x] * basis.value[v][y];
      block[y * n + x] = toSample((sum + round) >> shift);
    }
  }
}

// One 8-point pass of the fast inverse (constants over 32768: sqrt 2,
// 0.765367, 1.082392, 2.613126).
template <typename In, typename Out>
void fastInversePass(const In* in, Out* out, int step) {
  const std::int32_t i0 = in[0], i1 = in[step], i2 = in[2 * step], i3 = in[3 * step];
  const std::int32_t i4 = in[4 * step], i5 = in[5 * step], i6 = in[6 * step], i7 = in[7 * step];
  const std::int32_t tmp10 = i0 + i4, tmp11 = i0 - i4;
  const std::int32_t tmp13 = i2 + i6, tmp12 = jpegMulQ15(i2 - i6, 46341) - tmp13;
  const std::int32_t e0 = tmp10 + tmp13, e3 = tmp10 - tmp13, e1 = tmp11 + tmp12, e2 = tmp11 - tmp12;

  const std::int32_t z13 = i5 + i3, z10 = i5 - i3, z11 = i1 + i7, z12 = i1 - i7;
  const std::int32_t o7 = z11 + z13;
  const std::int32_t o11 = jpegMulQ15(z11 - z13, 46341);
  const std::int32_t z5 = jpegMulQ15(z10 + z12, 25080);
  const std::int32_t o10 = -jpegMulQ15(z10, 35468) - z5;
  const std::int32_t o12 = jpegMulQ15(z12, 85627) - z5;
  const std::int32_t t6 = o12 - o7, t5 = o11 - t6, t4 = o10 + t5;
  out[0] = static_cast<Out>(e0 + o7);
  out[7 * step] = static_cast<Out>(e0 - o7);
  out[1 * step] = static_cast<Out>(e1 + t6);
  out[6 * step] = static_cast<Out>(e1 - t6);
  out[2 * step] = static_cast<Out>(e2 + t5);
  out[5 * step] = static_cast<Out>(e2 - t5);
  out[4 * step] = static_cast<Out>(e3 + t4);
  out[3 * step] = static_cast<Out>(e3 - t4);
}

}  // namespace

void idctFast(std::int16_t block[64]) {
  std::int32_t columns[64];
  for (int c = 0; c < 8; ++c) fastInversePass(block + c, columns + c, 8);
  std::int32_t row[8];
  for (int r = 0; r < 8; ++r) {
    fastInversePass(columns + r * 8, row, 1);
    for (int x = 0; x < 8; ++x) block[r * 8 + x] = toSample((row[x] + 8) >> 4);
  }
}

// The fast method's coefficients are twice the plain ones, hence one more bit.
void idctFast4x4(std::int16_t block[64]) { matrixIdct(block, 4, fastReducedBasis(4), 1); }
void idctFast2x2(std::int16_t block[64]) { matrixIdct(block, 2, fastReducedBasis(2), 1); }
void idctFast1x1(std::int16_t block[64]) { block[0] = toSample((block[0] + 8) >> 4); }

void idctAccurate(std::int16_t block[64]) { matrixIdct(block, 8, accurateBasis(), 0); }
namespace {

std::int32_t descale(std::int64_t value, int bits) {
  return static_cast<std::int32_t>((value + (std::int64_t{1} << (bits - 1))) >> bits);
}

// Four outputs from the coefficients at 0, 1, 2, 3, 5, 6, 7 (4 cancels),
// constants over 8192, into out[0..3] descaled by `bits`.
void reducedPass4(const std::int32_t in[8], std::int32_t out[4], int bits) {
  const std::int64_t even0 = std::int64_t{in[0]} << 14;
  const std::int64_t even2 = std::int64_t{in[2]} * 15137 - std::int64_t{in[6]} * 6270;
  const std::int64_t sum = even0 + even2, difference = even0 - even2;
  const std::int64_t odd1 = -std::int64_t{in[7]} * 1730 + std::int64_t{in[5]} * 11893 - std::int64_t{in[3]} * 17799 +
                            std::int64_t{in[1]} * 8697;
  const std::int64_t odd0 = -std::int64_t{in[7]} * 4176 - std::int64_t{in[5]} * 4926 + std::int64_t{in[3]} * 7373 +
                            std::int64_t{in[1]} * 20995;
  out[0] = descale(sum + odd0, bits);
  out[3] = descale(sum - odd0, bits);
  out[1] = descale(difference + odd1, bits);
  out[2] = descale(difference - odd1, bits);
}

// Two outputs from the coefficients at 0, 1, 3, 5, 7 (the even ones cancel).
void reducedPass2(const std::int32_t in[8], std::int32_t out[2], int bits) {
  const std::int64_t even = std::int64_t{in[0]} << 15;
  const std::int64_t odd = -std::int64_t{in[7]} * 5906 + std::int64_t{in[5]} * 6967 - std::int64_t{in[3]} * 10426 +
                           std::int64_t{in[1]} * 29692;
  out[0] = descale(even + odd, bits);
  out[1] = descale(even - odd, bits);
}

bool onlyFirstUsed(const std::int32_t in[8], int n) {
  for (int i = 1; i < 8; ++i) {
    if (in[i] != 0 && (n == 4 ? i != 4 : (i & 1) != 0)) return false;
  }
  return true;
}

// Columns first (two more bits kept), then rows; `n` is 4 or 2.
void reducedAccurate(std::int16_t block[64], int n) {
  const int columnBits = n == 4 ? 12 : 13;
  const int rowBits = n == 4 ? 19 : 20;
  std::int32_t work[4][8] = {};
  for (int c = 0; c < 8; ++c) {
    std::int32_t column[8];
    for (int r = 0; r < 8; ++r) column[r] = block[r * 8 + c];
    std::int32_t out[4];
    if (onlyFirstUsed(column, n)) {
      std::fill_n(out, n, column[0] * 4);
    } else if (n == 4) {
      reducedPass4(column, out, columnBits);
    } else {
      reducedPass2(column, out, columnBits);
    }
    for (int r = 0; r < n; ++r) work[r][c] = out[r];
  }
  for (int r = 0; r < n; ++r) {
    std::int32_t out[4];
    if (onlyFirstUsed(work[r], n)) {
      std::fill_n(out, n, (work[r][0] + 16) >> 5);
    } else if (n == 4) {
      reducedPass4(work[r], out, rowBits);
    } else {
      reducedPass2(work[r], out, rowBits);
    }
    for (int x = 0; x < n; ++x) block[r * n + x] = toSample(out[x]);
  }
}

}  // namespace

void idctAccurate4x4(std::int16_t block[64]) { reducedAccurate(block, 4); }
void idctAccurate2x2(std::int16_t block[64]) { reducedAccurate(block, 2); }
void idctAccurate1x1(std::int16_t block[64]) { block[0] = toSample((block[0] + 4) >> 3); }
