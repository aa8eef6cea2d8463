#include "engine/raster/rule_step_row.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#define AVX2_FUNCTION [[gnu::target("avx2")]]

#if defined(__SSE2__)
namespace {

// As the AVX-512 form: each channel's change new + floor((old - new) * w /
// 64) made in its own place in the pixel and added to the new pixel, where
// no carry or borrow crosses into the next field.
AVX2_FUNCTION inline __m256i BlendSoft(__m256i oldPixels, __m256i newPixels, __m256i weight) {
  const __m256i weightBy32 = _mm256_slli_epi16(weight, 5);
  const __m256i redDifference =
      _mm256_sub_epi16(_mm256_srli_epi16(oldPixels, 11), _mm256_srli_epi16(newPixels, 11));
  const __m256i red = _mm256_and_si256(_mm256_mullo_epi16(redDifference, weightBy32),
                                       _mm256_set1_epi16(static_cast<short>(0xF800)));
  const __m256i sixBits = _mm256_set1_epi16(0x07E0);
  const __m256i greenDifference =
      _mm256_sub_epi16(_mm256_and_si256(oldPixels, sixBits), _mm256_and_si256(newPixels, sixBits));
  const __m256i green = _mm256_slli_epi16(_mm256_mulhi_epi16(greenDifference, weightBy32), 5);
  const __m256i fiveBits = _mm256_set1_epi16(0x001F);
  const __m256i blueDifference =
      _mm256_sub_epi16(_mm256_and_si256(oldPixels, fiveBits), _mm256_and_si256(newPixels, fiveBits));
  const __m256i blue = _mm256_srai_epi16(_mm256_mullo_epi16(blueDifference, weight), 6);
  return _mm256_add_epi16(_mm256_add_epi16(newPixels, red), _mm256_add_epi16(green, blue));
}

}  // namespace
#endif

AVX2_FUNCTION void StepRuleRowAvx2(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow,
                                   std::uint16_t* newRow, std::int32_t count, std::int32_t threshold) {
  std::int32_t x = 0;
#if defined(__SSE2__)
  const __m256i limit = _mm256_set1_epi16(static_cast<short>(threshold));
  const __m256i whole = _mm256_set1_epi16(64);
  // The weight's saturating steps take the threshold as an unsigned lane.
  const bool fitsLanes = threshold >= 0 && threshold <= 32000;
  for (; fitsLanes && x + 16 <= count; x += 16) {
    const __m256i level = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(levels + x)));
    const __m256i oldPixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(oldRow + x));
    const __m256i newPixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(newRow + x));
    __m256i result;
    if (kind == RuleStepKind::Hard) {
      // Lanes where the level is below the threshold keep the new pixel.
      result = _mm256_blendv_epi8(oldPixels, newPixels, _mm256_cmpgt_epi16(limit, level));
    } else {
      // 64 - min((threshold - level) / 4, 64), with levels above the
      // threshold counting as no distance at all.
      const __m256i weight = _mm256_subs_epu16(whole, _mm256_srli_epi16(_mm256_subs_epu16(limit, level), 2));
      result = BlendSoft(oldPixels, newPixels, weight);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(newRow + x), result);
  }
#endif
  StepRuleRowSse2(kind, levels + x, oldRow + x, newRow + x, count - x, threshold);
}
