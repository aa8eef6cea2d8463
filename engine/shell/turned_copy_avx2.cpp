#include <algorithm>

#include "engine/shell/turned_copy.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#define AVX2_FUNCTION [[gnu::target("avx2")]]

#if defined(__SSE2__)
namespace {

constexpr std::int32_t kTileColumns = 8;
constexpr std::int32_t kTileRows = 16;
constexpr std::int32_t kBandRows = 32;

// Source rows k and k + 8 of eight pixels in one register, a half each.
AVX2_FUNCTION [[gnu::always_inline]] inline __m256i TwoRows(const std::uint16_t* in, std::ptrdiff_t inPitch) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8 * inPitch)), 1);
}

// Sixteen source rows of eight pixels in, eight target runs of sixteen out:
// one in-lane 8 x 8 transpose turns both halves, and each register comes
// out as one whole target run. Written out whole, so that every value stays
// in a register.
AVX2_FUNCTION [[gnu::always_inline]] inline void TurnTile(const std::uint16_t* in, std::ptrdiff_t inPitch,
                                                          std::uint8_t* to, std::ptrdiff_t stepAlongI) {
  const __m256i r0 = TwoRows(in, inPitch), r1 = TwoRows(in + inPitch, inPitch);
  const __m256i r2 = TwoRows(in + 2 * inPitch, inPitch), r3 = TwoRows(in + 3 * inPitch, inPitch);
  const __m256i r4 = TwoRows(in + 4 * inPitch, inPitch), r5 = TwoRows(in + 5 * inPitch, inPitch);
  const __m256i r6 = TwoRows(in + 6 * inPitch, inPitch), r7 = TwoRows(in + 7 * inPitch, inPitch);
  const __m256i a0 = _mm256_unpacklo_epi16(r0, r1), a1 = _mm256_unpackhi_epi16(r0, r1);
  const __m256i a2 = _mm256_unpacklo_epi16(r2, r3), a3 = _mm256_unpackhi_epi16(r2, r3);
  const __m256i a4 = _mm256_unpacklo_epi16(r4, r5), a5 = _mm256_unpackhi_epi16(r4, r5);
  const __m256i a6 = _mm256_unpacklo_epi16(r6, r7), a7 = _mm256_unpackhi_epi16(r6, r7);
  const __m256i b0 = _mm256_unpacklo_epi32(a0, a2), b1 = _mm256_unpackhi_epi32(a0, a2);
  const __m256i b2 = _mm256_unpacklo_epi32(a1, a3), b3 = _mm256_unpackhi_epi32(a1, a3);
  const __m256i b4 = _mm256_unpacklo_epi32(a4, a6), b5 = _mm256_unpackhi_epi32(a4, a6);
  const __m256i b6 = _mm256_unpacklo_epi32(a5, a7), b7 = _mm256_unpackhi_epi32(a5, a7);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to), _mm256_unpacklo_epi64(b0, b4));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + stepAlongI), _mm256_unpackhi_epi64(b0, b4));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 2 * stepAlongI), _mm256_unpacklo_epi64(b1, b5));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 3 * stepAlongI), _mm256_unpackhi_epi64(b1, b5));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 4 * stepAlongI), _mm256_unpacklo_epi64(b2, b6));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 5 * stepAlongI), _mm256_unpackhi_epi64(b2, b6));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 6 * stepAlongI), _mm256_unpacklo_epi64(b3, b7));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + 7 * stepAlongI), _mm256_unpackhi_epi64(b3, b7));
}

}  // namespace
#endif

AVX2_FUNCTION void CopyTurnedAvx2(const TurnedBlock& block) {
#if defined(__SSE2__)
  const bool turnedOntoJ = block.stepAlongJ == static_cast<std::ptrdiff_t>(sizeof(std::uint16_t)) &&
                           block.stepAlongI != static_cast<std::ptrdiff_t>(sizeof(std::uint16_t));
  if (turnedOntoJ && block.columns > 0 && block.rows > 0) {
    const std::int32_t tiledColumns = block.columns / kTileColumns * kTileColumns;
    const std::int32_t tiledRows = block.rows / kTileRows * kTileRows;
    // Bands a cache line high on the target side, as in the SSE2 form.
    for (std::int32_t band = 0; band < tiledRows; band += kBandRows) {
      const std::int32_t bandEnd = std::min(band + kBandRows, tiledRows);
      for (std::int32_t i = 0; i < tiledColumns; i += kTileColumns) {
        for (std::int32_t j = band; j < bandEnd; j += kTileRows)
          TurnTile(block.from + j * block.fromPitch + i, block.fromPitch,
                   block.to + i * block.stepAlongI + j * block.stepAlongJ, block.stepAlongI);
      }
    }
    CopyTurnedSse2(PartOfTurnedBlock(block, tiledColumns, 0, block.columns - tiledColumns, block.rows));
    CopyTurnedSse2(PartOfTurnedBlock(block, 0, tiledRows, tiledColumns, block.rows - tiledRows));
    return;
  }
#endif
  CopyTurnedSse2(block);
}
