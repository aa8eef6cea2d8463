// The parts of class 6's block step that its SSE2 and AVX2 forms share: the
// dequantising load, the shape tests that let a pass skip zero rows and
// lanes, the DC-only block and the store of samples as bytes.
#pragma once

#if defined(__SSE2__)

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "jpeglib/simd/idct_lanes.h"
#include "jpeglib/simd/sse2_util.h"

namespace idct_block_sse2 {

[[gnu::always_inline]] inline bool allZero(__m128i v) {
  return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())) == 0xFFFF;
}

// How many leading rows a pass needs: 2, 4 or 8.
[[gnu::always_inline]] inline int rowsUsed(const __m128i rows[8]) {
  if (!allZero(_mm_or_si128(_mm_or_si128(rows[4], rows[5]), _mm_or_si128(rows[6], rows[7])))) return 8;
  return allZero(_mm_or_si128(rows[2], rows[3])) ? 2 : 4;
}

[[gnu::always_inline]] inline bool rightHalfZero(const __m128i rows[8]) {
  __m128i any = rows[0];
#pragma GCC unroll 8
  for (int r = 1; r < 8; ++r) any = _mm_or_si128(any, rows[r]);
  return allZero(_mm_unpackhi_epi64(any, any));
}

// Both passes of a block whose only non-zero value is its DC term.
inline std::int16_t dcOnlySample(std::int16_t dc) {
  const std::int16_t basis = jpegIdctLaneBasis().basis[0][0];
  const auto first = static_cast<std::int32_t>(static_cast<std::uint32_t>(basis * dc) + kIdctLaneFirstRound) >>
                     kIdctLaneFirstShift;
  const auto between = static_cast<std::int16_t>(std::clamp(first, -32768, 32767));
  const auto second = static_cast<std::int32_t>(static_cast<std::uint32_t>(basis * between) +
                                                static_cast<std::uint32_t>(kIdctLaneSecondRound)) >>
                      kIdctLaneSecondShift;
  return static_cast<std::int16_t>(std::clamp(second, 0, 255));
}

// A block holding only its DC value becomes that value's sample in every
// row; true then.
[[gnu::always_inline]] inline bool fillIfDcOnly(__m128i rows[8]) {
  const __m128i acMask = _mm_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1);
  __m128i any = _mm_and_si128(rows[0], acMask);
#pragma GCC unroll 8
  for (int r = 1; r < 8; ++r) any = _mm_or_si128(any, rows[r]);
  if (!allZero(any)) return false;
  const __m128i sample = _mm_set1_epi16(dcOnlySample(static_cast<std::int16_t>(_mm_cvtsi128_si32(rows[0]))));
#pragma GCC unroll 8
  for (int r = 0; r < 8; ++r) rows[r] = sample;
  return true;
}

// The block times its 16-bit factors (the low 16 bits of each product).
[[gnu::always_inline]] inline void loadDequantised(const std::int16_t block[64], const std::int16_t factors[64],
                                                   __m128i rows[8]) {
#pragma GCC unroll 8
  for (int r = 0; r < 8; ++r) {
    rows[r] = _mm_mullo_epi16(sse2_util::load(block + r * 8), sse2_util::load(factors + r * 8));
  }
}

// Rows of samples, clamped to 0..255 by saturation, as bytes.
[[gnu::always_inline]] inline void storeSampleBytes(const __m128i rows[8], std::uint8_t* out, std::ptrdiff_t stride) {
#pragma GCC unroll 8
  for (int r = 0; r < 8; r += 2) {
    const __m128i bytes = _mm_packus_epi16(rows[r], rows[r + 1]);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + r * stride), bytes);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + (r + 1) * stride), _mm_unpackhi_epi64(bytes, bytes));
  }
}

}  // namespace idct_block_sse2

#endif
