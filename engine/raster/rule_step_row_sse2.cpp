#include "engine/raster/rule_step_row.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

void StepRuleRowSse2(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow, std::uint16_t* newRow,
                     std::int32_t count, std::int32_t threshold) {
  std::int32_t x = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i limit = _mm_set1_epi16(static_cast<short>(threshold));
  const __m128i whole = _mm_set1_epi16(64);
  // Thresholds far outside the levels' range would overflow 16-bit lanes.
  const bool fitsLanes = threshold >= -32000 && threshold <= 32000;
  for (; fitsLanes && x + 8 <= count; x += 8) {
    const __m128i level = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(levels + x)), zero);
    const __m128i oldPixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(oldRow + x));
    const __m128i newPixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(newRow + x));
    __m128i result;
    if (kind == RuleStepKind::Hard) {
      // Lanes where the level is below the threshold keep the new pixel.
      const __m128i keepNew = _mm_cmplt_epi16(level, limit);
      result = _mm_or_si128(_mm_and_si128(keepNew, newPixels), _mm_andnot_si128(keepNew, oldPixels));
    } else {
      const __m128i weight = _mm_min_epi16(
          _mm_max_epi16(_mm_sub_epi16(whole, _mm_srai_epi16(_mm_sub_epi16(limit, level), 2)), zero), whole);
      const __m128i rest = _mm_sub_epi16(whole, weight);
      const __m128i five = _mm_set1_epi16(31);
      const __m128i six = _mm_set1_epi16(63);
      const __m128i red = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(oldPixels, 11), weight),
                                                       _mm_mullo_epi16(_mm_srli_epi16(newPixels, 11), rest)),
                                         6);
      const __m128i green =
          _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(oldPixels, 5), six), weight),
                                       _mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(newPixels, 5), six), rest)),
                         6);
      const __m128i blue = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(oldPixels, five), weight),
                                                        _mm_mullo_epi16(_mm_and_si128(newPixels, five), rest)),
                                          6);
      result = _mm_or_si128(_mm_or_si128(_mm_slli_epi16(red, 11), _mm_slli_epi16(green, 5)), blue);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(newRow + x), result);
  }
#endif
  StepRuleRowPortable(kind, levels + x, oldRow + x, newRow + x, count - x, threshold);
}
