// SSE2 forms of the SIMD forward DCTs and quantisers: the rows of a block in
// eight registers, so a lane-wise butterfly over the registers transforms
// all eight columns at once. Unaligned loads make every block address give
// the same result.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include <array>

#include "jpeglib/simd/fdct_constants.h"
#include "jpeglib/simd/sse2_util.h"

namespace {

using namespace fdct_constants;
using sse2_util::load;
using sse2_util::store;

inline __m128i splat(std::int16_t value) { return _mm_set1_epi16(value); }
inline __m128i orOne(__m128i v) { return _mm_or_si128(v, _mm_set1_epi16(1)); }

template <bool SubtractFirst>
[[gnu::always_inline]] inline void tangentColumns(__m128i x[8]) {
  auto sum = [&](int a, int b) {
    return SubtractFirst ? _mm_slli_epi16(_mm_adds_epi16(x[a], x[b]), 3)
                         : _mm_adds_epi16(_mm_slli_epi16(x[a], 3), _mm_slli_epi16(x[b], 3));
  };
  auto diff = [&](int a, int b, int bits) {
    const __m128i count = _mm_cvtsi32_si128(bits);
    return SubtractFirst ? _mm_sll_epi16(_mm_subs_epi16(x[a], x[b]), count)
                         : _mm_subs_epi16(_mm_sll_epi16(x[a], count), _mm_sll_epi16(x[b], count));
  };
  const __m128i t0 = sum(0, 7), t1 = sum(1, 6), t2 = sum(2, 5), t3 = sum(3, 4);
  const __m128i t7 = diff(0, 7, 3), t4 = diff(3, 4, 3), t6 = diff(1, 6, 4), t5 = diff(2, 5, 4);

  const __m128i e03p = _mm_adds_epi16(t0, t3), e12p = _mm_adds_epi16(t1, t2);
  const __m128i e03m = _mm_subs_epi16(t0, t3), e12m = _mm_subs_epi16(t1, t2);
  x[0] = _mm_adds_epi16(e03p, e12p);
  x[4] = _mm_subs_epi16(e03p, e12p);
  x[2] = orOne(_mm_adds_epi16(_mm_mulhi_epi16(splat(kT2), e12m), e03m));
  x[6] = orOne(_mm_subs_epi16(_mm_mulhi_epi16(splat(kT2), e03m), e12m));

  const __m128i a = orOne(_mm_mulhi_epi16(splat(kC4), _mm_adds_epi16(t6, t5)));
  const __m128i b = _mm_mulhi_epi16(splat(kC4), _mm_subs_epi16(t6, t5));
  const __m128i p = _mm_adds_epi16(t4, b), q = _mm_adds_epi16(t7, a);
  const __m128i m = _mm_subs_epi16(t4, b), n = _mm_subs_epi16(t7, a);
  x[1] = orOne(_mm_adds_epi16(_mm_mulhi_epi16(splat(kT1), p), q));
  x[7] = _mm_subs_epi16(_mm_mulhi_epi16(splat(kT1), q), p);
  x[3] = _mm_subs_epi16(n, _mm_adds_epi16(_mm_mulhi_epi16(splat(kT3), m), m));
  x[5] = _mm_adds_epi16(_mm_adds_epi16(_mm_mulhi_epi16(splat(kT3), n), n), m);
}

// Row-pass weights laid out for pmaddwd on interleaved (v0, v1) and (v2, v3)
// pairs of eight rows: [output][pair][rows 0-3 / rows 4-7][8 lanes].
struct RowWeightTable {
  alignas(16) std::int16_t lanes[8][2][2][8];
};

constexpr RowWeightTable makeRowWeightTable() {
  RowWeightTable table{};
  for (int k = 0; k < 8; ++k) {
    for (int row = 0; row < 8; ++row) {
      std::int16_t w[4] = {};
      rowDotWeights(kRowWeights[kRowWeightSet[row]], k, w);
      for (int pair = 0; pair < 2; ++pair) {
        table.lanes[k][pair][row / 4][(row % 4) * 2] = w[pair * 2];
        table.lanes[k][pair][row / 4][(row % 4) * 2 + 1] = w[pair * 2 + 1];
      }
    }
  }
  return table;
}

constexpr RowWeightTable kRowTable = makeRowWeightTable();

// x[j] holds value j of all eight rows (the block transposed); leaves output
// k of all eight rows in x[k].
[[gnu::always_inline]] inline void weightedRows(__m128i x[8]) {
  __m128i pairs[2][2][2];  // [sums / differences][pair][rows 0-3 / 4-7]
  for (int odd = 0; odd < 2; ++odd) {
    __m128i v[4];
    for (int j = 0; j < 4; ++j) v[j] = odd ? _mm_subs_epi16(x[j], x[7 - j]) : _mm_adds_epi16(x[j], x[7 - j]);
    pairs[odd][0][0] = _mm_unpacklo_epi16(v[0], v[1]);
    pairs[odd][0][1] = _mm_unpackhi_epi16(v[0], v[1]);
    pairs[odd][1][0] = _mm_unpacklo_epi16(v[2], v[3]);
    pairs[odd][1][1] = _mm_unpackhi_epi16(v[2], v[3]);
  }
  const __m128i rounding = _mm_set1_epi32(kRowRounding);
  for (int k = 0; k < 8; ++k) {
    __m128i half[2];
    for (int h = 0; h < 2; ++h) {
      const __m128i first = _mm_madd_epi16(pairs[k & 1][0][h], load(kRowTable.lanes[k][0][h]));
      const __m128i second = _mm_madd_epi16(pairs[k & 1][1][h], load(kRowTable.lanes[k][1][h]));
      half[h] = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(first, second), rounding), kRowShift);
    }
    x[k] = _mm_packs_epi32(half[0], half[1]);
  }
}

template <bool SubtractFirst>
void tangentDct(std::int16_t* block) {
  __m128i x[8];
  for (int r = 0; r < 8; ++r) x[r] = load(block + r * 8);
  tangentColumns<SubtractFirst>(x);
  Transpose8x8Words(x);
  weightedRows(x);
  Transpose8x8Words(x);
  for (int r = 0; r < 8; ++r) store(block + r * 8, x[r]);
}

[[gnu::always_inline]] inline void aanButterflies(__m128i x[8]) {
  const __m128i tmp0 = _mm_add_epi16(x[0], x[7]), tmp7 = _mm_sub_epi16(x[0], x[7]);
  const __m128i tmp1 = _mm_add_epi16(x[1], x[6]), tmp6 = _mm_sub_epi16(x[1], x[6]);
  const __m128i tmp2 = _mm_add_epi16(x[2], x[5]), tmp5 = _mm_sub_epi16(x[2], x[5]);
  const __m128i tmp3 = _mm_add_epi16(x[3], x[4]), tmp4 = _mm_sub_epi16(x[3], x[4]);

  const __m128i e10 = _mm_add_epi16(tmp0, tmp3), e13 = _mm_sub_epi16(tmp0, tmp3);
  const __m128i e11 = _mm_add_epi16(tmp1, tmp2), e12 = _mm_sub_epi16(tmp1, tmp2);
  x[0] = _mm_add_epi16(e10, e11);
  x[4] = _mm_sub_epi16(e10, e11);
  const __m128i z1 = _mm_mulhi_epi16(_mm_slli_epi16(_mm_add_epi16(e12, e13), 1), splat(kAan0707));
  x[2] = _mm_add_epi16(e13, z1);
  x[6] = _mm_sub_epi16(e13, z1);

  const __m128i o10 = _mm_add_epi16(tmp4, tmp5), o11 = _mm_add_epi16(tmp5, tmp6), o12 = _mm_add_epi16(tmp6, tmp7);
  const __m128i z5 = _mm_mulhi_epi16(_mm_sub_epi16(o10, o12), splat(kAan0382));
  const __m128i z2 = _mm_add_epi16(_mm_mulhi_epi16(_mm_slli_epi16(o10, 1), splat(kAan0541)), z5);
  const __m128i z4 = _mm_add_epi16(_mm_mulhi_epi16(_mm_slli_epi16(o12, 2), splat(kAan1306)), z5);
  const __m128i z3 = _mm_mulhi_epi16(_mm_slli_epi16(o11, 1), splat(kAan0707));
  const __m128i z11 = _mm_add_epi16(tmp7, z3), z13 = _mm_sub_epi16(tmp7, z3);
  x[5] = _mm_add_epi16(z13, z2);
  x[3] = _mm_sub_epi16(z13, z2);
  x[1] = _mm_add_epi16(z11, z4);
  x[7] = _mm_sub_epi16(z11, z4);
}

void quantizeTangent(std::int16_t* block, const std::uint16_t* reciprocals) {
  const __m128i one = _mm_set1_epi16(1);
  for (int i = 0; i < 64; i += 8) {
    const __m128i half = _mm_srli_epi16(load(reciprocals + i), 1);
    const __m128i product = _mm_mulhi_epi16(_mm_slli_epi16(load(block + i), 3), half);
    store(block + i, _mm_srai_epi16(_mm_add_epi16(product, one), 1));
  }
}

}  // namespace

void fdctBlockMmx(std::int16_t block[64]) { tangentDct<false>(block); }
// The SSE member differs from the MMX one only in how it reverses half-rows.
void fdctBlockSse(std::int16_t block[64]) { tangentDct<false>(block); }
void fdctBlockSse2(std::int16_t block[64]) { tangentDct<true>(block); }

void fdctAanBlockMmx(std::int16_t block[64]) {
  __m128i x[8];
  for (int r = 0; r < 8; ++r) x[r] = load(block + r * 8);
  Transpose8x8Words(x);
  aanButterflies(x);  // along the rows
  Transpose8x8Words(x);
  aanButterflies(x);  // along the columns
  for (int r = 0; r < 8; ++r) store(block + r * 8, x[r]);
}

void quantizeBlockMmx(std::int16_t block[64], const std::uint16_t reciprocals[64]) {
  quantizeTangent(block, reciprocals);
}
void quantizeBlockSse(std::int16_t block[64], const std::uint16_t reciprocals[64]) {
  quantizeTangent(block, reciprocals);
}
void quantizeBlockSse2(std::int16_t block[64], const std::uint16_t reciprocals[64]) {
  quantizeTangent(block, reciprocals);
}

void quantizeBlockSimd(std::int16_t block[64], const std::uint16_t reciprocals[64]) {
  const __m128i bias = _mm_set1_epi16(static_cast<std::int16_t>(0x8000));
  const __m128i up = _mm_set1_epi16(24576), down = _mm_set1_epi16(static_cast<std::int16_t>(49152));
  const __m128i back = _mm_set1_epi16(-8192), one = _mm_set1_epi16(1);
  for (int i = 0; i < 64; i += 8) {
    const __m128i biased = _mm_add_epi16(load(block + i), bias);
    const __m128i clamped = _mm_add_epi16(_mm_subs_epu16(_mm_adds_epu16(biased, up), down), back);
    const __m128i product = _mm_mulhi_epi16(_mm_slli_epi16(clamped, 2), load(reciprocals + i));
    store(block + i, _mm_srai_epi16(_mm_add_epi16(product, one), 1));
  }
}

#else  // no SSE2: the portable forms define the results

void fdctBlockMmx(std::int16_t block[64]) { simd_portable::fdctBlockMmx(block); }
void fdctBlockSse(std::int16_t block[64]) { simd_portable::fdctBlockMmx(block); }
void fdctBlockSse2(std::int16_t block[64]) { simd_portable::fdctBlockSse2(block); }
void fdctAanBlockMmx(std::int16_t block[64]) { simd_portable::fdctAanBlockMmx(block); }
void quantizeBlockMmx(std::int16_t b[64], const std::uint16_t r[64]) { simd_portable::quantizeBlockMmx(b, r); }
void quantizeBlockSse(std::int16_t b[64], const std::uint16_t r[64]) { simd_portable::quantizeBlockMmx(b, r); }
void quantizeBlockSse2(std::int16_t b[64], const std::uint16_t r[64]) { simd_portable::quantizeBlockMmx(b, r); }
void quantizeBlockSimd(std::int16_t b[64], const std::uint16_t r[64]) { simd_portable::quantizeBlockSimd(b, r); }

#endif
