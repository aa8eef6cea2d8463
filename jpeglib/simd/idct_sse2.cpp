// SSE2 form of the SIMD classes' accurate inverse DCT: rows i and i+1
// interleaved meet the broadcast basis pair (basis[i][k], basis[i+1][k]) in
// one pairwise multiply-add, four of which give output row k.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include "jpeglib/simd/idct_lanes.h"
#include "jpeglib/simd/sse2_util.h"

namespace {

// Basis pairs (basis[2p][k], basis[2p + 1][k]) repeated over four lanes.
struct LaneWeights {
  __m128i pair[8][4];
};

const LaneWeights& laneWeights() {
  static const LaneWeights weights = [] {
    const JpegIdctLaneBasis& b = jpegIdctLaneBasis();
    LaneWeights w;
    for (int k = 0; k < 8; ++k) {
      for (int p = 0; p < 4; ++p) w.pair[k][p] = _mm_set1_epi32(static_cast<std::int32_t>(
          static_cast<std::uint16_t>(b.basis[2 * p][k]) |
          static_cast<std::uint32_t>(static_cast<std::uint16_t>(b.basis[2 * p + 1][k])) << 16));
    }
    return w;
  }();
  return weights;
}

void lanePass(const LaneWeights& w, __m128i rows[8], int shift, std::int32_t round) {
  __m128i low[4], high[4];
  for (int p = 0; p < 4; ++p) {
    low[p] = _mm_unpacklo_epi16(rows[2 * p], rows[2 * p + 1]);
    high[p] = _mm_unpackhi_epi16(rows[2 * p], rows[2 * p + 1]);
  }
  const __m128i rounding = _mm_set1_epi32(round);
  const __m128i shiftCount = _mm_cvtsi32_si128(shift);
  for (int k = 0; k < 8; ++k) {
    __m128i sumLow = rounding, sumHigh = rounding;
    for (int p = 0; p < 4; ++p) {
      sumLow = _mm_add_epi32(sumLow, _mm_madd_epi16(low[p], w.pair[k][p]));
      sumHigh = _mm_add_epi32(sumHigh, _mm_madd_epi16(high[p], w.pair[k][p]));
    }
    rows[k] = _mm_packs_epi32(_mm_sra_epi32(sumLow, shiftCount), _mm_sra_epi32(sumHigh, shiftCount));
  }
  Transpose8x8Words(rows);
}

}  // namespace

void idctBlockSse2(std::int16_t block[64]) {
  __m128i rows[8];
  for (int r = 0; r < 8; ++r) rows[r] = sse2_util::load(block + r * 8);
  const LaneWeights& weights = laneWeights();
  lanePass(weights, rows, kIdctLaneFirstShift, kIdctLaneFirstRound);
  lanePass(weights, rows, kIdctLaneSecondShift, kIdctLaneSecondRound);
  const __m128i zero = _mm_setzero_si128();
  for (int r = 0; r < 8; r += 2) {
    // Saturating to bytes and back clamps to 0..255.
    const __m128i bytes = _mm_packus_epi16(rows[r], rows[r + 1]);
    sse2_util::store(block + r * 8, _mm_unpacklo_epi8(bytes, zero));
    sse2_util::store(block + r * 8 + 8, _mm_unpackhi_epi8(bytes, zero));
  }
}

#else  // no SSE2: the portable form defines the results

void idctBlockSse2(std::int16_t block[64]) { simd_portable::idctBlockLanes(block); }

#endif
