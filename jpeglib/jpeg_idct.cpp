// Inverse DCTs. Method 0 takes coefficients carrying the fast transform's
// scale (dequantizeFast) and runs the Arai-Agui-Nakajima inverse at full
// size; method 1 takes plain coefficients. The reduced sizes sample the
// cosine basis at the centres of 2 x 2, 4 x 4 and 8 x 8 pixel groups, so a
// flat block keeps its level at every size.
#include <algorithm>
#include <cmath>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_fixed_point.h"

namespace {

inline std::int16_t toSample(std::int64_t value) {
  return static_cast<std::int16_t>(std::clamp<std::int64_t>(value + 128, 0, 255));
}

// Basis tables of an N-point inverse: rows at 2^15 (row pass keeps 3 more
// bits than it is given), columns at 2^18. `fastScale` divides out the
// fast method's per-frequency scale.
struct Basis {
  std::int32_t row[8][8];     // [u][x]
  std::int32_t column[8][8];  // [v][y]
};

Basis makeBasis(int n, bool fastScale) {
  Basis basis{};
  for (int u = 0; u < n; ++u) {
    const double weight = (u == 0 ? M_SQRT1_2 : 1.0) / 2.0 /
                          (fastScale && u != 0 ? std::sqrt(2.0) * std::cos(u * M_PI / 16.0) : 1.0);
    for (int x = 0; x < n; ++x) {
      const double value = weight * std::cos((2 * x + 1) * u * M_PI / (2.0 * n));
      basis.row[u][x] = static_cast<std::int32_t>(std::lround(value * 32768.0));
      basis.column[u][x] = static_cast<std::int32_t>(std::lround(value * 262144.0));
    }
  }
  return basis;
}

const Basis& basisFor(int n, bool fastScale) {
  static const Basis tables[2][3] = {{makeBasis(8, false), makeBasis(4, false), makeBasis(2, false)},
                                     {makeBasis(8, true), makeBasis(4, true), makeBasis(2, true)}};
  return tables[fastScale ? 1 : 0][n == 8 ? 0 : n == 4 ? 1 : 2];
}

// Separable N-point inverse of the low N x N coefficients: rows rounded
// (p + 2048) >> 12, columns (p + 2^(shift-1)) >> shift.
void matrixIdct(std::int16_t block[64], int n, const Basis& basis, int columnShift) {
  std::int64_t rows[8][8];
  for (int v = 0; v < n; ++v) {
    for (int x = 0; x < n; ++x) {
      std::int64_t sum = 0;
      for (int u = 0; u < n; ++u) sum += static_cast<std::int64_t>(block[v * 8 + u]) * basis.row[u][x];
      rows[v][x] = (sum + 2048) >> 12;
    }
  }
  const std::int64_t round = std::int64_t{1} << (columnShift - 1);
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      std::int64_t sum = 0;
      for (int v = 0; v < n; ++v) sum += rows[v][x] * basis.column[v][y];
      block[y * n + x] = toSample((sum + round) >> columnShift);
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
void idctFast4x4(std::int16_t block[64]) { matrixIdct(block, 4, basisFor(4, true), 22); }
void idctFast2x2(std::int16_t block[64]) { matrixIdct(block, 2, basisFor(2, true), 22); }
void idctFast1x1(std::int16_t block[64]) { block[0] = toSample((block[0] + 8) >> 4); }

void idctAccurate(std::int16_t block[64]) { matrixIdct(block, 8, basisFor(8, false), 21); }
void idctAccurate4x4(std::int16_t block[64]) { matrixIdct(block, 4, basisFor(4, false), 21); }
void idctAccurate2x2(std::int16_t block[64]) { matrixIdct(block, 2, basisFor(2, false), 21); }
void idctAccurate1x1(std::int16_t block[64]) { block[0] = toSample((block[0] + 4) >> 3); }
