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
// Written out whole, so that every value stays in a register.
[[gnu::always_inline]] inline void TurnTile(const std::uint16_t* in, std::ptrdiff_t inPitch, std::uint8_t* to,
                                            std::ptrdiff_t stepAlongI) {
  const auto row = [=](std::ptrdiff_t k) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k * inPitch));
  };
  const __m128i r0 = row(0), r1 = row(1), r2 = row(2), r3 = row(3), r4 = row(4), r5 = row(5), r6 = row(6), r7 = row(7);
  const __m128i t0 = _mm_unpacklo_epi16(r0, r1), t1 = _mm_unpackhi_epi16(r0, r1);
  const __m128i t2 = _mm_unpacklo_epi16(r2, r3), t3 = _mm_unpackhi_epi16(r2, r3);
  const __m128i t4 = _mm_unpacklo_epi16(r4, r5), t5 = _mm_unpackhi_epi16(r4, r5);
  const __m128i t6 = _mm_unpacklo_epi16(r6, r7), t7 = _mm_unpackhi_epi16(r6, r7);
  const __m128i u0 = _mm_unpacklo_epi32(t0, t2), u1 = _mm_unpackhi_epi32(t0, t2);
  const __m128i u2 = _mm_unpacklo_epi32(t1, t3), u3 = _mm_unpackhi_epi32(t1, t3);
  const __m128i u4 = _mm_unpacklo_epi32(t4, t6), u5 = _mm_unpackhi_epi32(t4, t6);
  const __m128i u6 = _mm_unpacklo_epi32(t5, t7), u7 = _mm_unpackhi_epi32(t5, t7);
  const auto store = [=](std::ptrdiff_t k, __m128i run) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k * stepAlongI), run);
  };
  store(0, _mm_unpacklo_epi64(u0, u4));
  store(1, _mm_unpackhi_epi64(u0, u4));
  store(2, _mm_unpacklo_epi64(u1, u5));
  store(3, _mm_unpackhi_epi64(u1, u5));
  store(4, _mm_unpacklo_epi64(u2, u6));
  store(5, _mm_unpackhi_epi64(u2, u6));
  store(6, _mm_unpacklo_epi64(u3, u7));
  store(7, _mm_unpackhi_epi64(u3, u7));
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
