// AVX2 forms of the 4:2:0 output kernels, for class 6 on processors that
// have it: the SSE2 forms' lane arithmetic, both luma rows of a chroma row
// in one register (a row a half), and the three planes interleaved by byte
// shuffles instead of masks and shifts.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include <immintrin.h>

#include <cstdint>

#include "jpeglib/simd/ycc_terms_sse2.h"

#define AVX2_FUNCTION [[gnu::target("avx2")]]

namespace {

// For each 16-byte third of a 48-byte run of 16 pixels and each plane: the
// plane byte each output byte takes (0x80 for a byte of another plane), the
// same in both halves.
struct InterleaveMasks {
  alignas(32) std::int8_t bytes[3][3][32];  // [third][plane]
};

const InterleaveMasks& interleaveMasks() {
  static const InterleaveMasks masks = [] {
    InterleaveMasks m;
    for (int third = 0; third < 3; ++third) {
      for (int plane = 0; plane < 3; ++plane) {
        for (int i = 0; i < 32; ++i) {
          const int at = 16 * third + i % 16;
          m.bytes[third][plane][i] = static_cast<std::int8_t>(at % 3 == plane ? at / 3 : 0x80);
        }
      }
    }
    return m;
  }();
  return masks;
}

// A chroma term over sixteen pixels, each repeated over its two.
AVX2_FUNCTION [[gnu::always_inline]] inline __m256i repeatedTerm(__m128i term) {
  return _mm256_set_m128i(_mm_unpackhi_epi16(term, term), _mm_unpacklo_epi16(term, term));
}

// One channel of both rows as bytes: row 0 in the low half, row 1 in the
// high half.
AVX2_FUNCTION [[gnu::always_inline]] inline __m256i channelBytes(__m256i luma0, __m256i luma1, __m256i term,
                                                                 bool subtract) {
  const __m256i a = subtract ? _mm256_sub_epi16(luma0, term) : _mm256_add_epi16(luma0, term);
  const __m256i b = subtract ? _mm256_sub_epi16(luma1, term) : _mm256_add_epi16(luma1, term);
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8);
}

AVX2_FUNCTION [[gnu::always_inline]] inline void storeInterleaved(const __m256i masks[3][3], __m256i first,
                                                                  __m256i middle, __m256i last, std::uint8_t* row0,
                                                                  std::uint8_t* row1) {
  __m256i thirds[3];
  for (int t = 0; t < 3; ++t) {
    thirds[t] = _mm256_or_si256(
        _mm256_or_si256(_mm256_shuffle_epi8(first, masks[t][0]), _mm256_shuffle_epi8(middle, masks[t][1])),
        _mm256_shuffle_epi8(last, masks[t][2]));
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(row0), _mm256_permute2x128_si256(thirds[0], thirds[1], 0x20));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row0 + 32), _mm256_castsi256_si128(thirds[2]));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(row1), _mm256_permute2x128_si256(thirds[0], thirds[1], 0x31));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(row1 + 32), _mm256_extracti128_si256(thirds[2], 1));
}

AVX2_FUNCTION [[gnu::always_inline]] inline __m256i lumaRow(const std::uint8_t* y) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(y)));
}

template <bool Bgr>
AVX2_FUNCTION void write420(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                            std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride) {
  const InterleaveMasks& bytes = interleaveMasks();
  __m256i masks[3][3];
  for (int t = 0; t < 3; ++t) {
    for (int p = 0; p < 3; ++p) masks[t][p] = _mm256_load_si256(reinterpret_cast<const __m256i*>(bytes.bytes[t][p]));
  }
#pragma GCC unroll 2
  for (int chromaRow = 0; chromaRow < 8; ++chromaRow) {
    const ChromaTerms terms = chromaTermsOf(cb + chromaRow * planeStride, cr + chromaRow * planeStride);
    const int row = 2 * chromaRow;
    const __m256i luma0 = lumaRow(y + row * planeStride);
    const __m256i luma1 = lumaRow(y + (row + 1) * planeStride);
    const __m256i red = channelBytes(luma0, luma1, repeatedTerm(terms.red), false);
    const __m256i green = channelBytes(luma0, luma1, repeatedTerm(terms.green), true);
    const __m256i blue = channelBytes(luma0, luma1, repeatedTerm(terms.blue), false);
    storeInterleaved(masks, Bgr ? blue : red, green, Bgr ? red : blue, out + row * stride, out + (row + 1) * stride);
  }
}

}  // namespace

void writeBgr420Avx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  write420<true>(y, cb, cr, planeStride, out, stride);
}

void writeRgb420Avx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  write420<false>(y, cb, cr, planeStride, out, stride);
}

#else  // no SSE2: the portable forms define the results

void writeBgr420Avx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  simd_portable::writeBgr420Lanes(y, cb, cr, planeStride, out, stride);
}

void writeRgb420Avx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride) {
  simd_portable::writeRgb420Lanes(y, cb, cr, planeStride, out, stride);
}

#endif
