// SSE2 form of the SIMD classes' accurate inverse DCT. The basis is even in
// the position for even frequencies and odd for odd ones, so one pass forms
// the even sum E and the odd sum O of output rows k and 7 - k once and gives
// E + O and E - O: the same products summed in the same wrapping lanes. Rows
// i and i + 2 interleaved meet the broadcast basis pair in one pairwise
// multiply-add. Input rows that are all zero (most of a picture's high
// frequencies) add nothing and are left out, and so are the right four
// lanes when they are zero in every row; a block holding only its DC value
// is one constant. The class's dequantiser lives here too: the whole
// block step (dequantise, transform, store bytes) runs in registers.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include "jpeglib/simd/idct_block_sse2.h"

namespace {

using namespace idct_block_sse2;

// For output rows k = 0..3: the pairs (basis[i][k], basis[i + 2][k]) for
// i = 0 (rows 0, 2), 4 (rows 4, 6), 1 (rows 1, 3) and 5 (rows 5, 7),
// repeated over four lanes.
struct LaneWeights {
  __m128i even[4][2];
  __m128i odd[4][2];
};

__m128i basisPair(const JpegIdctLaneBasis& b, int i, int k) {
  return _mm_set1_epi32(static_cast<std::int32_t>(static_cast<std::uint16_t>(b.basis[i][k]) |
                                                  static_cast<std::uint32_t>(static_cast<std::uint16_t>(b.basis[i + 2][k]))
                                                      << 16));
}

const LaneWeights& laneWeights() {
  static const LaneWeights weights = [] {
    const JpegIdctLaneBasis& b = jpegIdctLaneBasis();
    LaneWeights w;
#pragma GCC unroll 8
    for (int k = 0; k < 4; ++k) {
      w.even[k][0] = basisPair(b, 0, k);
      w.even[k][1] = basisPair(b, 4, k);
      w.odd[k][0] = basisPair(b, 1, k);
      w.odd[k][1] = basisPair(b, 5, k);
    }
    return w;
  }();
  return weights;
}

// One pass over rows 0 .. Used - 1 (the others are zero), then the
// transpose. With LeftOnly, lanes 4 to 7 are zero in every row and come out
// as the rounding constant shifted.
template <int Used, bool LeftOnly>
[[gnu::always_inline]] inline void lanePass(const LaneWeights& w, __m128i rows[8], int shift, std::int32_t round) {
  constexpr int kPairs = Used == 8 ? 2 : 1;
  __m128i evenLow[2], evenHigh[2], oddLow[2], oddHigh[2];
#pragma GCC unroll 8
  for (int p = 0; p < kPairs; ++p) {
    const __m128i r0 = rows[4 * p], r2 = Used > 2 ? rows[4 * p + 2] : _mm_setzero_si128();
    const __m128i r1 = rows[4 * p + 1], r3 = Used > 2 ? rows[4 * p + 3] : _mm_setzero_si128();
    evenLow[p] = _mm_unpacklo_epi16(r0, r2);
    evenHigh[p] = _mm_unpackhi_epi16(r0, r2);
    oddLow[p] = _mm_unpacklo_epi16(r1, r3);
    oddHigh[p] = _mm_unpackhi_epi16(r1, r3);
  }
  const __m128i rounding = _mm_set1_epi32(round);
  const __m128i shiftCount = _mm_cvtsi32_si128(shift);
  if (LeftOnly) {
    const __m128i right = _mm_sra_epi32(rounding, shiftCount);
#pragma GCC unroll 8
    for (int k = 0; k < 4; ++k) {
      __m128i e = _mm_add_epi32(rounding, _mm_madd_epi16(evenLow[0], w.even[k][0]));
      __m128i o = _mm_madd_epi16(oddLow[0], w.odd[k][0]);
      if (kPairs == 2) {
        e = _mm_add_epi32(e, _mm_madd_epi16(evenLow[1], w.even[k][1]));
        o = _mm_add_epi32(o, _mm_madd_epi16(oddLow[1], w.odd[k][1]));
      }
      rows[k] = _mm_packs_epi32(_mm_sra_epi32(_mm_add_epi32(e, o), shiftCount), right);
      rows[7 - k] = _mm_packs_epi32(_mm_sra_epi32(_mm_sub_epi32(e, o), shiftCount), right);
    }
    Transpose8x8Words(rows);
    return;
  }
#pragma GCC unroll 8
  for (int k = 0; k < 4; ++k) {
    __m128i eLow = _mm_add_epi32(rounding, _mm_madd_epi16(evenLow[0], w.even[k][0]));
    __m128i eHigh = _mm_add_epi32(rounding, _mm_madd_epi16(evenHigh[0], w.even[k][0]));
    __m128i oLow = _mm_madd_epi16(oddLow[0], w.odd[k][0]);
    __m128i oHigh = _mm_madd_epi16(oddHigh[0], w.odd[k][0]);
    if (kPairs == 2) {
      eLow = _mm_add_epi32(eLow, _mm_madd_epi16(evenLow[1], w.even[k][1]));
      eHigh = _mm_add_epi32(eHigh, _mm_madd_epi16(evenHigh[1], w.even[k][1]));
      oLow = _mm_add_epi32(oLow, _mm_madd_epi16(oddLow[1], w.odd[k][1]));
      oHigh = _mm_add_epi32(oHigh, _mm_madd_epi16(oddHigh[1], w.odd[k][1]));
    }
    rows[k] = _mm_packs_epi32(_mm_sra_epi32(_mm_add_epi32(eLow, oLow), shiftCount),
                              _mm_sra_epi32(_mm_add_epi32(eHigh, oHigh), shiftCount));
    rows[7 - k] = _mm_packs_epi32(_mm_sra_epi32(_mm_sub_epi32(eLow, oLow), shiftCount),
                                  _mm_sra_epi32(_mm_sub_epi32(eHigh, oHigh), shiftCount));
  }
  Transpose8x8Words(rows);
}

template <bool LeftOnly>
[[gnu::always_inline]] inline void passOver(const LaneWeights& w, __m128i rows[8], int shift, std::int32_t round) {
  switch (rowsUsed(rows)) {
    case 2:
      lanePass<2, LeftOnly>(w, rows, shift, round);
      break;
    case 4:
      lanePass<4, LeftOnly>(w, rows, shift, round);
      break;
    default:
      lanePass<8, LeftOnly>(w, rows, shift, round);
      break;
  }
}

[[gnu::always_inline]] inline void pass(const LaneWeights& w, __m128i rows[8], int shift, std::int32_t round) {
  if (rightHalfZero(rows)) {
    passOver<true>(w, rows, shift, round);
  } else {
    passOver<false>(w, rows, shift, round);
  }
}

// Both passes over the block's rows, which end as rows of samples (still
// to be clamped).
[[gnu::always_inline]] inline void inverseRows(__m128i rows[8]) {
  if (fillIfDcOnly(rows)) return;
  const LaneWeights& weights = laneWeights();
  pass(weights, rows, kIdctLaneFirstShift, kIdctLaneFirstRound);
  pass(weights, rows, kIdctLaneSecondShift, kIdctLaneSecondRound);
}

// Four 32-bit dequantiser entries as their low 16 bits, sign-extended for
// the pack: the low 16 bits of a product need no more.
__m128i lowWords(const std::int32_t* entries) {
  return _mm_srai_epi32(_mm_slli_epi32(sse2_util::load(entries), 16), 16);
}

}  // namespace

void dequantizeBlockSse2(std::int16_t block[64], const std::int32_t table[80]) {
  for (int i = 0; i < 64; i += 8) {
    const __m128i factors = _mm_packs_epi32(lowWords(table + i), lowWords(table + i + 4));
    sse2_util::store(block + i, _mm_mullo_epi16(sse2_util::load(block + i), factors));
  }
}

void idctBlockSse2(std::int16_t block[64]) {
  __m128i rows[8];
#pragma GCC unroll 8
  for (int r = 0; r < 8; ++r) rows[r] = sse2_util::load(block + r * 8);
  inverseRows(rows);
  const __m128i zero = _mm_setzero_si128();
#pragma GCC unroll 8
  for (int r = 0; r < 8; r += 2) {
    // Saturating to bytes and back clamps to 0..255.
    const __m128i bytes = _mm_packus_epi16(rows[r], rows[r + 1]);
    sse2_util::store(block + r * 8, _mm_unpacklo_epi8(bytes, zero));
    sse2_util::store(block + r * 8 + 8, _mm_unpackhi_epi8(bytes, zero));
  }
}

void transformBlockSse2(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                        std::ptrdiff_t stride) {
  __m128i rows[8];
  loadDequantised(block, factors, rows);
  inverseRows(rows);
  storeSampleBytes(rows, out, stride);
}

#else  // no SSE2: the portable forms define the results

void dequantizeBlockSse2(std::int16_t block[64], const std::int32_t table[80]) { dequantizeAccurate(block, table); }
void idctBlockSse2(std::int16_t block[64]) { simd_portable::idctBlockLanes(block); }
void transformBlockSse2(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                        std::ptrdiff_t stride) {
  simd_portable::transformBlockLanes(block, factors, out, stride);
}

#endif
