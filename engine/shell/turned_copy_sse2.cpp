#include "engine/shell/turned_copy.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::int32_t kTile = 8;
constexpr std::int32_t kBandRows = 32;

#if defined(__SSE2__)
// Eight source rows of eight pixels in, eight target runs of eight out.
inline void TurnTile(const std::uint16_t* in, std::ptrdiff_t inPitch, std::uint8_t* to, std::ptrdiff_t stepAlongI) {
  __m128i r[8];
  for (int k = 0; k < 8; ++k) r[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k * inPitch));
  const __m128i t0 = _mm_unpacklo_epi16(r[0], r[1]);
  const __m128i t1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i t2 = _mm_unpacklo_epi16(r[2], r[3]);
  const __m128i t3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i t4 = _mm_unpacklo_epi16(r[4], r[5]);
  const __m128i t5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i t6 = _mm_unpacklo_epi16(r[6], r[7]);
  const __m128i t7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i u0 = _mm_unpacklo_epi32(t0, t2);
  const __m128i u1 = _mm_unpackhi_epi32(t0, t2);
  const __m128i u2 = _mm_unpacklo_epi32(t1, t3);
  const __m128i u3 = _mm_unpackhi_epi32(t1, t3);
  const __m128i u4 = _mm_unpacklo_epi32(t4, t6);
  const __m128i u5 = _mm_unpackhi_epi32(t4, t6);
  const __m128i u6 = _mm_unpacklo_epi32(t5, t7);
  const __m128i u7 = _mm_unpackhi_epi32(t5, t7);
  const __m128i out[8] = {
      _mm_unpacklo_epi64(u0, u4), _mm_unpackhi_epi64(u0, u4), _mm_unpacklo_epi64(u1, u5), _mm_unpackhi_epi64(u1, u5),
      _mm_unpacklo_epi64(u2, u6), _mm_unpackhi_epi64(u2, u6), _mm_unpacklo_epi64(u3, u7), _mm_unpackhi_epi64(u3, u7),
  };
  for (int k = 0; k < 8; ++k) _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k * stepAlongI), out[k]);
}
#endif

}  // namespace

void CopyTurnedSse2(const TurnedBlock& block) {
  if (block.columns <= 0 || block.rows <= 0) return;
  if (block.stepAlongI == static_cast<std::ptrdiff_t>(sizeof(std::uint16_t))) {
    // Not turned after all: source rows are target runs.
    for (std::int32_t j = 0; j < block.rows; ++j)
      std::memcpy(block.to + j * block.stepAlongJ, block.from + j * block.fromPitch,
                  static_cast<std::size_t>(block.columns) * sizeof(std::uint16_t));
    return;
  }
#if defined(__SSE2__)
  if (block.stepAlongJ == static_cast<std::ptrdiff_t>(sizeof(std::uint16_t))) {
    const std::int32_t tiledColumns = block.columns / kTile * kTile;
    const std::int32_t tiledRows = block.rows / kTile * kTile;
    // Bands of tiles a cache line high on the target side: each target
    // line is filled whole before the copy moves along.
    for (std::int32_t band = 0; band < tiledRows; band += kBandRows) {
      const std::int32_t bandEnd = std::min(band + kBandRows, tiledRows);
      for (std::int32_t i = 0; i < tiledColumns; i += kTile) {
        for (std::int32_t j = band; j < bandEnd; j += kTile)
          TurnTile(block.from + j * block.fromPitch + i, block.fromPitch,
                   block.to + i * block.stepAlongI + j * block.stepAlongJ, block.stepAlongI);
      }
    }
    CopyTurnedPortable(PartOfTurnedBlock(block, tiledColumns, 0, block.columns - tiledColumns, block.rows));
    CopyTurnedPortable(PartOfTurnedBlock(block, 0, tiledRows, tiledColumns, block.rows - tiledRows));
    return;
  }
#endif
  CopyTurnedPortable(block);
}
