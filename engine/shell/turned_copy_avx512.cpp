#include <algorithm>
#include <cstdint>

#include "engine/shell/turned_copy.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#define AVX512_FUNCTION [[gnu::target("avx512f,avx512bw")]]

#if defined(__SSE2__)
namespace {

constexpr std::int32_t kTileColumns = 8;
constexpr std::int32_t kTileRows = 32;
constexpr std::uintptr_t kLine = 64;
constexpr std::ptrdiff_t kSetAliasingPitch = 1024;
constexpr std::int32_t kAliasedGroupColumns = 64;

// Dword and qword interleaves with every lane kept, spelt with a full mask: the
// compiler's unmasked forms warn about their unused pass-through operand.
AVX512_FUNCTION [[gnu::always_inline]] inline __m512i UnpackLow32(__m512i a, __m512i b) {
  return _mm512_maskz_unpacklo_epi32(0xFFFF, a, b);
}
AVX512_FUNCTION [[gnu::always_inline]] inline __m512i UnpackHigh32(__m512i a, __m512i b) {
  return _mm512_maskz_unpackhi_epi32(0xFFFF, a, b);
}
AVX512_FUNCTION [[gnu::always_inline]] inline __m512i UnpackLow64(__m512i a, __m512i b) {
  return _mm512_maskz_unpacklo_epi64(0xFF, a, b);
}
AVX512_FUNCTION [[gnu::always_inline]] inline __m512i UnpackHigh64(__m512i a, __m512i b) {
  return _mm512_maskz_unpackhi_epi64(0xFF, a, b);
}

// Four source rows k, k + 8, k + 16 and k + 24 of eight pixels in one
// register, a quarter each.
AVX512_FUNCTION [[gnu::always_inline]] inline __m512i FourRows(const std::uint16_t* in, std::ptrdiff_t inPitch) {
  const auto row = [=](std::ptrdiff_t k) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k * inPitch));
  };
  const __m512i low = _mm512_inserti32x4(_mm512_zextsi128_si512(row(0)), row(8), 1);
  return _mm512_inserti32x4(_mm512_inserti32x4(low, row(16), 2), row(24), 3);
}

// Thirty-two source rows of eight pixels in, eight target runs of 32 pixels
// (one cache line each) out: one in-lane 8 x 8 transpose turns all four
// quarters at once. Written out whole, so that every value stays in a
// register.
AVX512_FUNCTION [[gnu::always_inline]] inline void TurnTile(const std::uint16_t* in, std::ptrdiff_t inPitch,
                                                            std::uint8_t* to, std::ptrdiff_t stepAlongI) {
  const __m512i r0 = FourRows(in, inPitch), r1 = FourRows(in + inPitch, inPitch);
  const __m512i r2 = FourRows(in + 2 * inPitch, inPitch), r3 = FourRows(in + 3 * inPitch, inPitch);
  const __m512i r4 = FourRows(in + 4 * inPitch, inPitch), r5 = FourRows(in + 5 * inPitch, inPitch);
  const __m512i r6 = FourRows(in + 6 * inPitch, inPitch), r7 = FourRows(in + 7 * inPitch, inPitch);
  const __m512i a0 = _mm512_unpacklo_epi16(r0, r1), a1 = _mm512_unpackhi_epi16(r0, r1);
  const __m512i a2 = _mm512_unpacklo_epi16(r2, r3), a3 = _mm512_unpackhi_epi16(r2, r3);
  const __m512i a4 = _mm512_unpacklo_epi16(r4, r5), a5 = _mm512_unpackhi_epi16(r4, r5);
  const __m512i a6 = _mm512_unpacklo_epi16(r6, r7), a7 = _mm512_unpackhi_epi16(r6, r7);
  const __m512i b0 = UnpackLow32(a0, a2), b1 = UnpackHigh32(a0, a2);
  const __m512i b2 = UnpackLow32(a1, a3), b3 = UnpackHigh32(a1, a3);
  const __m512i b4 = UnpackLow32(a4, a6), b5 = UnpackHigh32(a4, a6);
  const __m512i b6 = UnpackLow32(a5, a7), b7 = UnpackHigh32(a5, a7);
  _mm512_storeu_si512(to, UnpackLow64(b0, b4));
  _mm512_storeu_si512(to + stepAlongI, UnpackHigh64(b0, b4));
  _mm512_storeu_si512(to + 2 * stepAlongI, UnpackLow64(b1, b5));
  _mm512_storeu_si512(to + 3 * stepAlongI, UnpackHigh64(b1, b5));
  _mm512_storeu_si512(to + 4 * stepAlongI, UnpackLow64(b2, b6));
  _mm512_storeu_si512(to + 5 * stepAlongI, UnpackHigh64(b2, b6));
  _mm512_storeu_si512(to + 6 * stepAlongI, UnpackLow64(b3, b7));
  _mm512_storeu_si512(to + 7 * stepAlongI, UnpackHigh64(b3, b7));
}

}  // namespace
#endif

AVX512_FUNCTION void CopyTurnedAvx512(const TurnedBlock& block) {
#if defined(__SSE2__)
  const bool turnedOntoJ = block.stepAlongJ == static_cast<std::ptrdiff_t>(sizeof(std::uint16_t)) &&
                           block.stepAlongI != static_cast<std::ptrdiff_t>(sizeof(std::uint16_t));
  if (turnedOntoJ && block.columns > 0 && block.rows > 0) {
    // Leading rows up to a cache-line boundary of the first target run, so
    // that, where target rows keep that alignment, every tile writes whole
    // lines.
    const auto offset = reinterpret_cast<std::uintptr_t>(block.to) % kLine;
    const std::int32_t leading =
        offset % sizeof(std::uint16_t) == 0
            ? std::min(block.rows, static_cast<std::int32_t>((kLine - offset) % kLine / sizeof(std::uint16_t)))
            : 0;
    const std::int32_t tiledColumns = block.columns / kTileColumns * kTileColumns;
    const std::int32_t tiledEnd = leading + (block.rows - leading) / kTileRows * kTileRows;
    // Target rows a multiple of 1 KiB apart fill only a few cache sets per
    // band of tiles; going down the whole block in groups of columns spreads
    // their lines over the sets instead.
    const std::int32_t groupColumns =
        block.stepAlongI % kSetAliasingPitch == 0 ? kAliasedGroupColumns : tiledColumns;
    for (std::int32_t group = 0; group < tiledColumns; group += groupColumns) {
      const std::int32_t groupEnd = std::min(group + groupColumns, tiledColumns);
      for (std::int32_t j = leading; j < tiledEnd; j += kTileRows) {
        for (std::int32_t i = group; i < groupEnd; i += kTileColumns)
          TurnTile(block.from + j * block.fromPitch + i, block.fromPitch,
                   block.to + i * block.stepAlongI + j * block.stepAlongJ, block.stepAlongI);
      }
    }
    CopyTurnedAvx2(PartOfTurnedBlock(block, 0, 0, tiledColumns, leading));
    CopyTurnedAvx2(PartOfTurnedBlock(block, 0, tiledEnd, tiledColumns, block.rows - tiledEnd));
    CopyTurnedAvx2(PartOfTurnedBlock(block, tiledColumns, 0, block.columns - tiledColumns, block.rows));
    return;
  }
#endif
  CopyTurnedAvx2(block);
}
