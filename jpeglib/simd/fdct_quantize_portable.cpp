// Portable forms of the SIMD forward DCTs and quantisers: the lane
// arithmetic of each kernel, one lane at a time.
#include "jpeglib/simd/fdct_constants.h"
#include "jpeglib/simd/simd_kernels.h"
#include "jpeglib/simd/simd_lanes.h"

namespace simd_portable {

namespace {

using namespace simd_lanes;
using namespace fdct_constants;

// Kind-1 column pass over column c, in place.
template <bool SubtractFirst>
void tangentColumn(std::int16_t* block, int c) {
  std::int16_t x[8];
  for (int r = 0; r < 8; ++r) x[r] = block[r * 8 + c];
  // t_k for the sums (<< 3), the outer differences (<< 3) and the middle
  // differences (<< 4, one bit more for the cos(pi/4) products).
  auto sum = [&](int a, int b) { return SubtractFirst ? shl(adds(x[a], x[b]), 3) : adds(shl(x[a], 3), shl(x[b], 3)); };
  auto diff = [&](int a, int b, int bits) {
    return SubtractFirst ? shl(subs(x[a], x[b]), bits) : subs(shl(x[a], bits), shl(x[b], bits));
  };
  const std::int16_t t0 = sum(0, 7), t1 = sum(1, 6), t2 = sum(2, 5), t3 = sum(3, 4);
  const std::int16_t t7 = diff(0, 7, 3), t4 = diff(3, 4, 3), t6 = diff(1, 6, 4), t5 = diff(2, 5, 4);

  const std::int16_t e03p = adds(t0, t3), e12p = adds(t1, t2), e03m = subs(t0, t3), e12m = subs(t1, t2);
  std::int16_t y[8];
  y[0] = adds(e03p, e12p);
  y[4] = subs(e03p, e12p);
  y[2] = static_cast<std::int16_t>(adds(mulhi(kT2, e12m), e03m) | 1);
  y[6] = static_cast<std::int16_t>(subs(mulhi(kT2, e03m), e12m) | 1);

  const std::int16_t a = static_cast<std::int16_t>(mulhi(kC4, adds(t6, t5)) | 1);
  const std::int16_t b = mulhi(kC4, subs(t6, t5));
  const std::int16_t p = adds(t4, b), q = adds(t7, a), m = subs(t4, b), n = subs(t7, a);
  y[1] = static_cast<std::int16_t>(adds(mulhi(kT1, p), q) | 1);
  y[7] = subs(mulhi(kT1, q), p);
  y[3] = subs(n, adds(mulhi(kT3, m), m));
  y[5] = adds(adds(mulhi(kT3, n), n), m);
  for (int r = 0; r < 8; ++r) block[r * 8 + c] = y[r];
}

// Kind-1 row pass over row r, in place: 32-bit dot products (wrapping as
// pmaddwd/paddd do), rounded, shifted and saturated.
void weightedRow(std::int16_t* row, int r) {
  const RowWeights& weights = kRowWeights[kRowWeightSet[r]];
  std::int16_t s[4], d[4];
  for (int j = 0; j < 4; ++j) {
    s[j] = adds(row[j], row[7 - j]);
    d[j] = subs(row[j], row[7 - j]);
  }
  std::int16_t out[8];
  for (int k = 0; k < 8; ++k) {
    std::int16_t w[4];
    rowDotWeights(weights, k, w);
    const std::int16_t* v = (k & 1) ? d : s;
    std::int64_t sum = kRowRounding;
    for (int j = 0; j < 4; ++j) sum += static_cast<std::int32_t>(w[j]) * v[j];
    out[k] = saturate(wrap32(sum) >> kRowShift);
  }
  for (int k = 0; k < 8; ++k) row[k] = out[k];
}

template <bool SubtractFirst>
void tangentDct(std::int16_t* block) {
  for (int c = 0; c < 8; ++c) tangentColumn<SubtractFirst>(block, c);
  for (int r = 0; r < 8; ++r) weightedRow(block + r * 8, r);
}

// One AAN butterfly over eight values `step` apart, wrapping 16-bit lanes.
void aanPass(std::int16_t* x, int step) {
  auto at = [&](int k) -> std::int16_t& { return x[k * step]; };
  const std::int16_t tmp0 = wrap(at(0) + at(7)), tmp7 = wrap(at(0) - at(7));
  const std::int16_t tmp1 = wrap(at(1) + at(6)), tmp6 = wrap(at(1) - at(6));
  const std::int16_t tmp2 = wrap(at(2) + at(5)), tmp5 = wrap(at(2) - at(5));
  const std::int16_t tmp3 = wrap(at(3) + at(4)), tmp4 = wrap(at(3) - at(4));

  const std::int16_t e10 = wrap(tmp0 + tmp3), e13 = wrap(tmp0 - tmp3);
  const std::int16_t e11 = wrap(tmp1 + tmp2), e12 = wrap(tmp1 - tmp2);
  at(0) = wrap(e10 + e11);
  at(4) = wrap(e10 - e11);
  const std::int16_t z1 = mulhi(shl(wrap(e12 + e13), 1), kAan0707);
  at(2) = wrap(e13 + z1);
  at(6) = wrap(e13 - z1);

  const std::int16_t o10 = wrap(tmp4 + tmp5), o11 = wrap(tmp5 + tmp6), o12 = wrap(tmp6 + tmp7);
  const std::int16_t z5 = mulhi(wrap(o10 - o12), kAan0382);
  const std::int16_t z2 = wrap(mulhi(shl(o10, 1), kAan0541) + z5);
  const std::int16_t z4 = wrap(mulhi(shl(o12, 2), kAan1306) + z5);
  const std::int16_t z3 = mulhi(shl(o11, 1), kAan0707);
  const std::int16_t z11 = wrap(tmp7 + z3), z13 = wrap(tmp7 - z3);
  at(5) = wrap(z13 + z2);
  at(3) = wrap(z13 - z2);
  at(1) = wrap(z11 + z4);
  at(7) = wrap(z11 - z4);
}

}  // namespace

void fdctBlockMmx(std::int16_t block[64]) { tangentDct<false>(block); }
void fdctBlockSse2(std::int16_t block[64]) { tangentDct<true>(block); }

void fdctAanBlockMmx(std::int16_t block[64]) {
  for (int r = 0; r < 8; ++r) aanPass(block + r * 8, 1);
  for (int c = 0; c < 8; ++c) aanPass(block + c, 8);
}

void quantizeBlockMmx(std::int16_t block[64], const std::uint16_t reciprocals[64]) {
  for (int i = 0; i < 64; ++i) {
    const auto half = static_cast<std::int16_t>(reciprocals[i] >> 1);
    block[i] = static_cast<std::int16_t>(wrap(mulhi(shl(block[i], 3), half) + 1) >> 1);
  }
}

void quantizeBlockSimd(std::int16_t block[64], const std::uint16_t reciprocals[64]) {
  for (int i = 0; i < 64; ++i) {
    // Biased into unsigned lanes, saturated at both ends, biased back.
    const int biased = static_cast<std::uint16_t>(block[i] + 0x8000);
    const int high = std::min(biased + 24576, 65535);
    const int clamped = wrap(std::max(high - 49152, 0) - 8192);
    const auto reciprocal = static_cast<std::int16_t>(reciprocals[i]);
    block[i] = static_cast<std::int16_t>(wrap(mulhi(shl(static_cast<std::int16_t>(clamped), 2), reciprocal) + 1) >> 1);
  }
}

}  // namespace simd_portable
