// SSE2 forms of the 4:2:0 output kernels. Eight chroma pairs give their
// red, green and blue terms (simd/ycc_terms_sse2.h) once for the two luma
// rows that share them; each term is
// repeated over its two pixels, added to the luma and packed with
// saturation, then the three planes are interleaved in registers.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include "jpeglib/simd/sse2_util.h"
#include "jpeglib/simd/ycc_terms_sse2.h"

namespace {

// Pixels x0..x3 as (first, middle, last, 0) words of 4 bytes into 12 bytes
// (the top four zero).
[[gnu::always_inline]] inline __m128i packPixels(__m128i quads) {
  const __m128i firstPixel = _mm_set_epi32(0, -1, 0, -1);
  const __m128i secondPixel = _mm_set_epi32(0xFFFF, static_cast<int>(0xFF000000u), 0xFFFF, static_cast<int>(0xFF000000u));
  // Each 64-bit half: six bytes at its bottom.
  const __m128i halves = _mm_or_si128(_mm_and_si128(quads, firstPixel), _mm_and_si128(_mm_srli_epi64(quads, 8), secondPixel));
  const __m128i lowSix = _mm_set_epi32(0, 0, 0xFFFF, -1);
  const __m128i nextSix = _mm_set_epi32(0, -1, static_cast<int>(0xFFFF0000u), 0);
  return _mm_or_si128(_mm_and_si128(halves, lowSix), _mm_and_si128(_mm_srli_si128(halves, 2), nextSix));
}

// Sixteen pixels from three planes of bytes into 48 interleaved bytes.
[[gnu::always_inline]] inline void storeInterleaved(__m128i first, __m128i middle, __m128i last, std::uint8_t* out) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i pairsLow = _mm_unpacklo_epi8(first, middle);
  const __m128i pairsHigh = _mm_unpackhi_epi8(first, middle);
  const __m128i lastLow = _mm_unpacklo_epi8(last, zero);
  const __m128i lastHigh = _mm_unpackhi_epi8(last, zero);
  const __m128i p0 = packPixels(_mm_unpacklo_epi16(pairsLow, lastLow));
  const __m128i p1 = packPixels(_mm_unpackhi_epi16(pairsLow, lastLow));
  const __m128i p2 = packPixels(_mm_unpacklo_epi16(pairsHigh, lastHigh));
  const __m128i p3 = packPixels(_mm_unpackhi_epi16(pairsHigh, lastHigh));
  sse2_util::store(out, _mm_or_si128(p0, _mm_slli_si128(p1, 12)));
  sse2_util::store(out + 16, _mm_or_si128(_mm_srli_si128(p1, 4), _mm_slli_si128(p2, 8)));
  sse2_util::store(out + 32, _mm_or_si128(_mm_srli_si128(p2, 8), _mm_slli_si128(p3, 4)));
}

template <bool Bgr>
void write420(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
              std::uint8_t* out, std::ptrdiff_t stride) {
  const __m128i zero = _mm_setzero_si128();
  for (int chromaRow = 0; chromaRow < 8; ++chromaRow) {
    const ChromaTerms terms = chromaTermsOf(cb + chromaRow * planeStride, cr + chromaRow * planeStride);
    const __m128i redTerm = terms.red, greenTerm = terms.green, blueTerm = terms.blue;
    // Each term over its two pixels, for both luma rows of the chroma row.
    const __m128i redPixels[2] = {_mm_unpacklo_epi16(redTerm, redTerm), _mm_unpackhi_epi16(redTerm, redTerm)};
    const __m128i greenPixels[2] = {_mm_unpacklo_epi16(greenTerm, greenTerm), _mm_unpackhi_epi16(greenTerm, greenTerm)};
    const __m128i bluePixels[2] = {_mm_unpacklo_epi16(blueTerm, blueTerm), _mm_unpackhi_epi16(blueTerm, blueTerm)};
    for (int row = 2 * chromaRow; row < 2 * chromaRow + 2; ++row) {
      const __m128i luma = sse2_util::load(y + row * planeStride);
      const __m128i lumaLow = _mm_unpacklo_epi8(luma, zero);
      const __m128i lumaHigh = _mm_unpackhi_epi8(luma, zero);
      const auto channel = [&](const __m128i term[2], bool subtract) {
        const __m128i a = subtract ? _mm_sub_epi16(lumaLow, term[0]) : _mm_add_epi16(lumaLow, term[0]);
        const __m128i b = subtract ? _mm_sub_epi16(lumaHigh, term[1]) : _mm_add_epi16(lumaHigh, term[1]);
        return _mm_packus_epi16(a, b);
      };
      const __m128i red = channel(redPixels, false);
      const __m128i blue = channel(bluePixels, false);
      storeInterleaved(Bgr ? blue : red, channel(greenPixels, true), Bgr ? red : blue, out + row * stride);
    }
  }
}

}  // namespace

void writeBgr420Sse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  write420<true>(y, cb, cr, planeStride, out, stride);
}

void writeRgb420Sse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  write420<false>(y, cb, cr, planeStride, out, stride);
}

#else  // no SSE2: the portable forms define the results

void writeBgr420Sse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  simd_portable::writeBgr420Lanes(y, cb, cr, planeStride, out, stride);
}

void writeRgb420Sse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  simd_portable::writeRgb420Lanes(y, cb, cr, planeStride, out, stride);
}

#endif
