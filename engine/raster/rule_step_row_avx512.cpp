#include "engine/raster/rule_step_row.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#define AVX512_FUNCTION [[gnu::target("avx512f,avx512bw")]]

#if defined(__SSE2__)
namespace {

// The blend (old * w + new * (64 - w)) >> 6 of each channel is
// new + floor((old - new) * w / 64). Each channel's change is made in its
// own place in the pixel and the three are added to the new pixel: a
// channel's result stays inside its field, so no carry or borrow crosses
// into the next one.
AVX512_FUNCTION inline __m512i BlendSoft(__m512i oldPixels, __m512i newPixels, __m512i weight) {
  // Red: the difference times w * 32 leaves the floored 64ths in bits
  // 11-15 and the dropped remainder below them.
  const __m512i redDifference =
      _mm512_sub_epi16(_mm512_srli_epi16(oldPixels, 11), _mm512_srli_epi16(newPixels, 11));
  const __m512i weightBy32 = _mm512_slli_epi16(weight, 5);
  const __m512i red =
      _mm512_and_si512(_mm512_mullo_epi16(redDifference, weightBy32), _mm512_set1_epi16(static_cast<short>(0xF800)));
  // Green, in place 32 times its value: the high half of the product with
  // w * 32 is the floored 64ths.
  const __m512i sixBits = _mm512_set1_epi16(0x07E0);
  const __m512i greenDifference =
      _mm512_sub_epi16(_mm512_and_si512(oldPixels, sixBits), _mm512_and_si512(newPixels, sixBits));
  const __m512i green = _mm512_slli_epi16(_mm512_mulhi_epi16(greenDifference, weightBy32), 5);
  const __m512i fiveBits = _mm512_set1_epi16(0x001F);
  const __m512i blueDifference =
      _mm512_sub_epi16(_mm512_and_si512(oldPixels, fiveBits), _mm512_and_si512(newPixels, fiveBits));
  const __m512i blue = _mm512_srai_epi16(_mm512_mullo_epi16(blueDifference, weight), 6);
  return _mm512_add_epi16(_mm512_add_epi16(newPixels, red), _mm512_add_epi16(green, blue));
}

}  // namespace
#endif

AVX512_FUNCTION void StepRuleRowAvx512(RuleStepKind kind, const std::uint8_t* levels, const std::uint16_t* oldRow,
                                       std::uint16_t* newRow, std::int32_t count, std::int32_t threshold) {
  std::int32_t x = 0;
#if defined(__SSE2__)
  const __m512i limit = _mm512_set1_epi16(static_cast<short>(threshold));
  const __m512i whole = _mm512_set1_epi16(64);
  // The weight's saturating steps take the threshold as an unsigned lane.
  const bool fitsLanes = threshold >= 0 && threshold <= 32000;
  for (; fitsLanes && x + 32 <= count; x += 32) {
    const __m512i level = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(levels + x)));
    const __m512i oldPixels = _mm512_loadu_si512(oldRow + x);
    const __m512i newPixels = _mm512_loadu_si512(newRow + x);
    __m512i result;
    if (kind == RuleStepKind::Hard) {
      // Lanes where the level is below the threshold keep the new pixel.
      result = _mm512_mask_blend_epi16(_mm512_cmplt_epu16_mask(level, limit), oldPixels, newPixels);
    } else {
      // 64 - min((threshold - level) / 4, 64), with levels above the
      // threshold counting as no distance at all.
      const __m512i weight = _mm512_subs_epu16(whole, _mm512_srli_epi16(_mm512_subs_epu16(limit, level), 2));
      result = BlendSoft(oldPixels, newPixels, weight);
    }
    _mm512_storeu_si512(newRow + x, result);
  }
#endif
  StepRuleRowAvx2(kind, levels + x, oldRow + x, newRow + x, count - x, threshold);
}
