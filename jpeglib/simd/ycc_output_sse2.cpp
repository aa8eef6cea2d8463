// SSE2 forms of the 4:2:0 output kernels. Eight chroma pairs give their
// red, green and blue terms in 16-bit lanes (red and blue by high-half
// multiplies of the 16-times samples, green exactly by one pairwise
// multiply-add); each term is repeated over its two pixels, added to the
// luma and packed with saturation, then the three planes are interleaved.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include "jpeglib/simd/sse2_util.h"

namespace {

template <bool Bgr>
void write420(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
              std::uint8_t* out, std::ptrdiff_t stride) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i redScale = _mm_set1_epi16(5744);
  const __m128i blueScale = _mm_set1_epi16(7264);
  const __m128i redOffset = _mm_set1_epi16(179);
  const __m128i blueOffset = _mm_set1_epi16(227);
  const __m128i greenPairs = _mm_setr_epi16(183, 88, 183, 88, 183, 88, 183, 88);
  const __m128i greenOffset = _mm_set1_epi32(556896);
  alignas(16) std::uint8_t planes[3][16];
  for (int row = 0; row < 16; ++row) {
    const std::uint8_t* chromaRow = cb + (row >> 1) * planeStride;
    const std::uint8_t* redRow = cr + (row >> 1) * planeStride;
    const __m128i blue16 = _mm_slli_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(chromaRow)), zero), 4);
    const __m128i red16 = _mm_slli_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(redRow)), zero), 4);
    const __m128i redTerm = _mm_sub_epi16(_mm_mulhi_epi16(red16, redScale), redOffset);
    const __m128i blueTerm = _mm_sub_epi16(_mm_mulhi_epi16(blue16, blueScale), blueOffset);
    const __m128i greenLow =
        _mm_srai_epi32(_mm_sub_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(red16, blue16), greenPairs), greenOffset), 12);
    const __m128i greenHigh =
        _mm_srai_epi32(_mm_sub_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(red16, blue16), greenPairs), greenOffset), 12);
    const __m128i greenTerm = _mm_packs_epi32(greenLow, greenHigh);

    const __m128i luma = sse2_util::load(y + row * planeStride);
    const __m128i lumaLow = _mm_unpacklo_epi8(luma, zero);
    const __m128i lumaHigh = _mm_unpackhi_epi8(luma, zero);
    const auto channel = [&](__m128i term, bool subtract) {
      const __m128i low = _mm_unpacklo_epi16(term, term);
      const __m128i high = _mm_unpackhi_epi16(term, term);
      const __m128i a = subtract ? _mm_sub_epi16(lumaLow, low) : _mm_add_epi16(lumaLow, low);
      const __m128i b = subtract ? _mm_sub_epi16(lumaHigh, high) : _mm_add_epi16(lumaHigh, high);
      return _mm_packus_epi16(a, b);
    };
    _mm_store_si128(reinterpret_cast<__m128i*>(planes[0]), channel(redTerm, false));
    _mm_store_si128(reinterpret_cast<__m128i*>(planes[1]), channel(greenTerm, true));
    _mm_store_si128(reinterpret_cast<__m128i*>(planes[2]), channel(blueTerm, false));
    std::uint8_t* pixel = out + row * stride;
    for (int x = 0; x < 16; ++x, pixel += 3) {
      pixel[0] = planes[Bgr ? 2 : 0][x];
      pixel[1] = planes[1][x];
      pixel[2] = planes[Bgr ? 0 : 2][x];
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
