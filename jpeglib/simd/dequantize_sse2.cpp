// SSE2 form of the accurate dequantiser: the low 16 bits of a product
// depend only on the low 16 bits of its factors, so the table entries are
// cut to 16 bits and multiplied eight at a time.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include "jpeglib/simd/sse2_util.h"

namespace {

// Four 32-bit entries as their low 16 bits, sign-extended for the pack.
__m128i lowWords(const std::int32_t* entries) {
  return _mm_srai_epi32(_mm_slli_epi32(sse2_util::load(entries), 16), 16);
}

}  // namespace

void dequantizeBlockSse2(std::int16_t block[64], const std::int32_t table[80]) {
  for (int i = 0; i < 64; i += 8) {
    const __m128i factors = _mm_packs_epi32(lowWords(table + i), lowWords(table + i + 4));
    sse2_util::store(block + i, _mm_mullo_epi16(sse2_util::load(block + i), factors));
  }
}

#else  // no SSE2: the plain form defines the results

void dequantizeBlockSse2(std::int16_t block[64], const std::int32_t table[80]) { dequantizeAccurate(block, table); }

#endif
