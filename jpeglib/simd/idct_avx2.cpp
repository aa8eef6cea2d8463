// AVX2 form of class 6's block step, for processors that have it: the SSE2
// form's products and sums, with all eight lanes of a row pair in one
// register, so a pass takes half the multiply-adds. When the right four
// lanes are zero in every row, one register carries output rows k and
// k + 1 of the left four lanes instead.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include <immintrin.h>

#include "jpeglib/simd/idct_block_sse2.h"

#define AVX2_FUNCTION [[gnu::target("avx2")]]

namespace {

using namespace idct_block_sse2;

// Basis pairs (basis[i][k], basis[i + 2][k]) as 32-bit words, for the kinds
// i = 0 (rows 0, 2), 4 (rows 4, 6), 1 (rows 1, 3) and 5 (rows 5, 7).
struct WideWeights {
  alignas(32) std::int32_t whole[4][4][8];   // [k][kind]: eight lanes of row k
  alignas(32) std::int32_t paired[2][4][8];  // [k / 2][kind]: four lanes of row k, four of k + 1
};

constexpr int kKindRows[4] = {0, 4, 1, 5};

std::int32_t basisPair(const JpegIdctLaneBasis& b, int i, int k) {
  return static_cast<std::int32_t>(static_cast<std::uint16_t>(b.basis[i][k]) |
                                   static_cast<std::uint32_t>(static_cast<std::uint16_t>(b.basis[i + 2][k])) << 16);
}

const WideWeights& wideWeights() {
  static const WideWeights weights = [] {
    const JpegIdctLaneBasis& b = jpegIdctLaneBasis();
    WideWeights w{};
    for (int k = 0; k < 4; ++k) {
      for (int kind = 0; kind < 4; ++kind) {
        for (int lane = 0; lane < 8; ++lane) {
          w.whole[k][kind][lane] = basisPair(b, kKindRows[kind], k);
          w.paired[k / 2][kind][lane] = basisPair(b, kKindRows[kind], (k & ~1) + lane / 4);
        }
      }
    }
    return w;
  }();
  return weights;
}

AVX2_FUNCTION [[gnu::always_inline]] inline __m256i weightsOf(const std::int32_t lanes[8]) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(lanes));
}

// Rows r and r + 2 interleaved: the left four lanes' pairs in the low half,
// the right four's in the high half.
AVX2_FUNCTION [[gnu::always_inline]] inline __m256i rowPairs(__m128i r, __m128i r2) {
  return _mm256_set_m128i(_mm_unpackhi_epi16(r, r2), _mm_unpacklo_epi16(r, r2));
}

// One pass over rows 0 .. Used - 1 (the others are zero), then the
// transpose.
template <int Used>
AVX2_FUNCTION [[gnu::always_inline]] inline void widePass(const WideWeights& w, __m128i rows[8], int shift,
                                                          std::int32_t round) {
  constexpr int kPairs = Used == 8 ? 2 : 1;
  __m256i even[2], odd[2];
#pragma GCC unroll 8
  for (int p = 0; p < kPairs; ++p) {
    const __m128i r2 = Used > 2 ? rows[4 * p + 2] : _mm_setzero_si128();
    const __m128i r3 = Used > 2 ? rows[4 * p + 3] : _mm_setzero_si128();
    even[p] = rowPairs(rows[4 * p], r2);
    odd[p] = rowPairs(rows[4 * p + 1], r3);
  }
  const __m256i rounding = _mm256_set1_epi32(round);
  const __m128i shiftCount = _mm_cvtsi32_si128(shift);
#pragma GCC unroll 8
  for (int k = 0; k < 4; ++k) {
    __m256i e = _mm256_add_epi32(rounding, _mm256_madd_epi16(even[0], weightsOf(w.whole[k][0])));
    __m256i o = _mm256_madd_epi16(odd[0], weightsOf(w.whole[k][2]));
    if (kPairs == 2) {
      e = _mm256_add_epi32(e, _mm256_madd_epi16(even[1], weightsOf(w.whole[k][1])));
      o = _mm256_add_epi32(o, _mm256_madd_epi16(odd[1], weightsOf(w.whole[k][3])));
    }
    // Row k in the low half, row 7 - k in the high half.
    const __m256i both = _mm256_permute4x64_epi64(
        _mm256_packs_epi32(_mm256_sra_epi32(_mm256_add_epi32(e, o), shiftCount),
                           _mm256_sra_epi32(_mm256_sub_epi32(e, o), shiftCount)),
        0xD8);
    rows[k] = _mm256_castsi256_si128(both);
    rows[7 - k] = _mm256_extracti128_si256(both, 1);
  }
  Transpose8x8Words(rows);
}

// The same pass when lanes 4 to 7 are zero in every row: they come out as
// the rounding constant shifted.
template <int Used>
AVX2_FUNCTION [[gnu::always_inline]] inline void leftPass(const WideWeights& w, __m128i rows[8], int shift,
                                                          std::int32_t round) {
  constexpr int kPairs = Used == 8 ? 2 : 1;
  __m256i even[2], odd[2];
#pragma GCC unroll 8
  for (int p = 0; p < kPairs; ++p) {
    const __m128i r2 = Used > 2 ? rows[4 * p + 2] : _mm_setzero_si128();
    const __m128i r3 = Used > 2 ? rows[4 * p + 3] : _mm_setzero_si128();
    even[p] = _mm256_broadcastsi128_si256(_mm_unpacklo_epi16(rows[4 * p], r2));
    odd[p] = _mm256_broadcastsi128_si256(_mm_unpacklo_epi16(rows[4 * p + 1], r3));
  }
  const __m256i rounding = _mm256_set1_epi32(round);
  const __m128i shiftCount = _mm_cvtsi32_si128(shift);
  const __m256i right = _mm256_sra_epi32(rounding, shiftCount);
#pragma GCC unroll 8
  for (int k = 0; k < 4; k += 2) {
    __m256i e = _mm256_add_epi32(rounding, _mm256_madd_epi16(even[0], weightsOf(w.paired[k / 2][0])));
    __m256i o = _mm256_madd_epi16(odd[0], weightsOf(w.paired[k / 2][2]));
    if (kPairs == 2) {
      e = _mm256_add_epi32(e, _mm256_madd_epi16(even[1], weightsOf(w.paired[k / 2][1])));
      o = _mm256_add_epi32(o, _mm256_madd_epi16(odd[1], weightsOf(w.paired[k / 2][3])));
    }
    // Rows k and k + 1, then rows 7 - k and 6 - k, one a half.
    const __m256i sums = _mm256_packs_epi32(_mm256_sra_epi32(_mm256_add_epi32(e, o), shiftCount), right);
    const __m256i differences = _mm256_packs_epi32(_mm256_sra_epi32(_mm256_sub_epi32(e, o), shiftCount), right);
    rows[k] = _mm256_castsi256_si128(sums);
    rows[k + 1] = _mm256_extracti128_si256(sums, 1);
    rows[7 - k] = _mm256_castsi256_si128(differences);
    rows[6 - k] = _mm256_extracti128_si256(differences, 1);
  }
  Transpose8x8Words(rows);
}

AVX2_FUNCTION [[gnu::always_inline]] inline void pass(const WideWeights& w, __m128i rows[8], int shift,
                                                      std::int32_t round) {
  const int used = rowsUsed(rows);
  if (rightHalfZero(rows)) {
    if (used == 2) {
      leftPass<2>(w, rows, shift, round);
    } else if (used == 4) {
      leftPass<4>(w, rows, shift, round);
    } else {
      leftPass<8>(w, rows, shift, round);
    }
  } else if (used == 2) {
    widePass<2>(w, rows, shift, round);
  } else if (used == 4) {
    widePass<4>(w, rows, shift, round);
  } else {
    widePass<8>(w, rows, shift, round);
  }
}

}  // namespace

AVX2_FUNCTION void transformBlockAvx2(const std::int16_t block[64], const std::int16_t factors[64],
                                      std::uint8_t* out, std::ptrdiff_t stride) {
  __m128i rows[8];
  loadDequantised(block, factors, rows);
  if (!fillIfDcOnly(rows)) {
    const WideWeights& weights = wideWeights();
    pass(weights, rows, kIdctLaneFirstShift, kIdctLaneFirstRound);
    pass(weights, rows, kIdctLaneSecondShift, kIdctLaneSecondRound);
  }
  storeSampleBytes(rows, out, stride);
}

#else  // no SSE2: the portable form defines the results

void transformBlockAvx2(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                        std::ptrdiff_t stride) {
  simd_portable::transformBlockLanes(block, factors, out, stride);
}

#endif
