// The chroma terms of the lane colour arithmetic for eight chroma pairs in
// 16-bit lanes, shared by the SSE2 and AVX2 4:2:0 kernels: red and blue by
// high-half multiplies of the 16-times samples, green exactly by one
// pairwise multiply-add. Each pixel is luma + red, luma - green, luma + blue.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstdint>

struct ChromaTerms {
  __m128i red;
  __m128i green;
  __m128i blue;
};

[[gnu::always_inline]] inline ChromaTerms chromaTermsOf(const std::uint8_t* cb, const std::uint8_t* cr) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i blue16 =
      _mm_slli_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cb)), zero), 4);
  const __m128i red16 =
      _mm_slli_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(cr)), zero), 4);
  const __m128i greenPairs = _mm_setr_epi16(183, 88, 183, 88, 183, 88, 183, 88);
  const __m128i greenOffset = _mm_set1_epi32(556896);
  const __m128i greenLow =
      _mm_srai_epi32(_mm_sub_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(red16, blue16), greenPairs), greenOffset), 12);
  const __m128i greenHigh =
      _mm_srai_epi32(_mm_sub_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(red16, blue16), greenPairs), greenOffset), 12);
  return {_mm_sub_epi16(_mm_mulhi_epi16(red16, _mm_set1_epi16(5744)), _mm_set1_epi16(179)),
          _mm_packs_epi32(greenLow, greenHigh),
          _mm_sub_epi16(_mm_mulhi_epi16(blue16, _mm_set1_epi16(7264)), _mm_set1_epi16(227))};
}

#endif
