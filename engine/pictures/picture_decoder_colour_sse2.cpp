#include "engine/pictures/picture_decoder_colour.h"

#if defined(__SSE2__)
#include <emmintrin.h>

namespace {

// Each channel of eight pixels: luma plus its chroma term, level shift
// undone and clamped to 0..255. Saturating adds keep any 16-bit inputs on
// the side they clamp to.
__m128i Channel(__m128i luma, __m128i term, bool subtract) {
  const __m128i sum = subtract ? _mm_subs_epi16(luma, term) : _mm_adds_epi16(luma, term);
  const __m128i sample = _mm_adds_epi16(sum, _mm_set1_epi16(128));
  return _mm_min_epi16(_mm_max_epi16(sample, _mm_setzero_si128()), _mm_set1_epi16(255));
}

__m128i PackRgb565(__m128i red, __m128i green, __m128i blue) {
  const __m128i r = _mm_slli_epi16(_mm_and_si128(red, _mm_set1_epi16(0xF8)), 8);
  const __m128i g = _mm_slli_epi16(_mm_and_si128(green, _mm_set1_epi16(0xFC)), 3);
  return _mm_or_si128(_mm_or_si128(r, g), _mm_srli_epi16(blue, 3));
}

struct ChromaTerms {
  __m128i red;
  __m128i green;
  __m128i blue;
};

// The portable form's (c x K) >> 16 products, each constant split into a
// multiple of 65,536 (exact in 16 bits) and a part that fits a signed
// 16-bit multiplier, so the high halves of 16-bit products give them
// exactly: 91,881 = 65,536 + 26,345; 116,129 = 2 x 65,536 - 14,943;
// 22,553 c1 + 46,801 c2 = 65,536 c2 + (22,553 c1 - 18,735 c2).
[[gnu::always_inline]] inline ChromaTerms TermsOfRow(const std::int16_t* cbRow, const std::int16_t* crRow) {
  const __m128i low = _mm_set1_epi16(-1024);
  const __m128i high = _mm_set1_epi16(1023);
  const __m128i c1 = _mm_min_epi16(_mm_max_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(cbRow)), low), high);
  const __m128i c2 = _mm_min_epi16(_mm_max_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(crRow)), low), high);
  ChromaTerms terms;
  terms.red = _mm_add_epi16(c2, _mm_mulhi_epi16(c2, _mm_set1_epi16(26345)));
  terms.blue = _mm_add_epi16(_mm_add_epi16(c1, c1), _mm_mulhi_epi16(c1, _mm_set1_epi16(-14943)));
  const __m128i greenFactors = _mm_setr_epi16(22553, -18735, 22553, -18735, 22553, -18735, 22553, -18735);
  const __m128i greenLow = _mm_srai_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(c1, c2), greenFactors), 16);
  const __m128i greenHigh = _mm_srai_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(c1, c2), greenFactors), 16);
  terms.green = _mm_add_epi16(c2, _mm_packs_epi32(greenLow, greenHigh));
  return terms;
}

// Eight pixels of one luma row whose chroma terms are already doubled.
[[gnu::always_inline]] inline void StoreEight(const std::int16_t* lumaRow, const ChromaTerms& terms, std::uint16_t* out) {
  const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lumaRow));
  const __m128i pixels =
      PackRgb565(Channel(y, terms.red, false), Channel(y, terms.green, true), Channel(y, terms.blue, false));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), pixels);
}

ChromaTerms Doubled(const ChromaTerms& terms, bool rightHalf) {
  const auto twice = [rightHalf](__m128i t) { return rightHalf ? _mm_unpackhi_epi16(t, t) : _mm_unpacklo_epi16(t, t); };
  return {twice(terms.red), twice(terms.green), twice(terms.blue)};
}

}  // namespace

void ConvertMacroblockSse2(const std::int16_t blocks[6][64], const PictureClampTables& tables, std::uint16_t* out,
                           std::size_t stride) {
  if (!tables.ClampsWholeRange()) {
    ConvertMacroblockPortable(blocks, tables, out, stride);
    return;
  }
  for (int v = 0; v < 8; ++v) {
    const ChromaTerms terms = TermsOfRow(blocks[4] + 8 * v, blocks[5] + 8 * v);
    const ChromaTerms left = Doubled(terms, false);
    const ChromaTerms right = Doubled(terms, true);
    const std::int16_t* leftBlock = blocks[v >= 4 ? 2 : 0];
    const std::int16_t* rightBlock = blocks[v >= 4 ? 3 : 1];
    for (int dy = 0; dy < 2; ++dy) {
      const int lumaRow = 8 * (2 * (v & 3) + dy);
      std::uint16_t* line = out + (2 * v + dy) * stride;
      StoreEight(leftBlock + lumaRow, left, line);
      StoreEight(rightBlock + lumaRow, right, line + 8);
    }
  }
}

#else

void ConvertMacroblockSse2(const std::int16_t blocks[6][64], const PictureClampTables& tables, std::uint16_t* out,
                           std::size_t stride) {
  ConvertMacroblockPortable(blocks, tables, out, stride);
}

#endif
