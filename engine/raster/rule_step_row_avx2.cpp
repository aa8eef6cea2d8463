#include "engine/raster/rule_step_row.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#define AVX2_FUNCTION [[gnu::target("avx2")]]

#if defined(__SSE2__)
namespace {

// One 5- or 6-bit channel of sixteen pixels, weighted in 64ths, in place:
// (old * w + new * (64 - w)) >> 6 is new + ((old - new) * w >> 6), as
// 64 * new drops out of the floor whole; one multiply instead of two.
AVX2_FUNCTION inline __m256i WeighChannel(__m256i oldChannel, __m256i newChannel, __m256i weight) {
  return _mm256_add_epi16(newChannel,
                          _mm256_srai_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(oldChannel, newChannel), weight), 6));
}

}  // namespace
#endif

AVX2_FUNCTION void StepRuleRowAvx2(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow,
                                   std::uint16_t* newRow, std::int32_t count, std::int32_t threshold) {
  std::int32_t x = 0;
#if defined(__SSE2__)
  const __m256i zero = _mm256_setzero_si256();
  const __m256i limit = _mm256_set1_epi16(static_cast<short>(threshold));
  const __m256i whole = _mm256_set1_epi16(64);
  const __m256i five = _mm256_set1_epi16(31);
  const __m256i six = _mm256_set1_epi16(63);
  // Thresholds far outside the levels' range would overflow 16-bit lanes.
  const bool fitsLanes = threshold >= -32000 && threshold <= 32000;
  for (; fitsLanes && x + 16 <= count; x += 16) {
    const __m256i level = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + x)));
    const __m256i oldPixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(oldRow + x));
    const __m256i newPixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(newRow + x));
    __m256i result;
    if (kind == RuleStepKind::Hard) {
      // Lanes where the level is below the threshold keep the new pixel.
      result = _mm256_blendv_epi8(oldPixels, newPixels, _mm256_cmpgt_epi16(limit, level));
    } else {
      const __m256i weight = _mm256_min_epi16(
          _mm256_max_epi16(_mm256_sub_epi16(whole, _mm256_srai_epi16(_mm256_sub_epi16(limit, level), 2)), zero), whole);
      const __m256i red =
          WeighChannel(_mm256_srli_epi16(oldPixels, 11), _mm256_srli_epi16(newPixels, 11), weight);
      const __m256i green = WeighChannel(_mm256_and_si256(_mm256_srli_epi16(oldPixels, 5), six),
                                         _mm256_and_si256(_mm256_srli_epi16(newPixels, 5), six), weight);
      const __m256i blue =
          WeighChannel(_mm256_and_si256(oldPixels, five), _mm256_and_si256(newPixels, five), weight);
      result = _mm256_or_si256(_mm256_or_si256(_mm256_slli_epi16(red, 11), _mm256_slli_epi16(green, 5)), blue);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(newRow + x), result);
  }
#endif
  StepRuleRowSse2(kind, levels + x, oldRow + x, newRow + x, count - x, threshold);
}
