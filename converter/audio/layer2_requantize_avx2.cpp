// AVX2 form of the requantisation: per part of the frame, the constants of
// each subband in lanes, and the two products of the definition kept within
// 32 bits:
//   (a * c) >> 15 = a + ((a * (c - 32768)) >> 15), as every c is at least
//   32768 and a * (c - 32768) stays below 2^31;
//   (y * S) >> 15 = (y >> 15) * S + (((y & 0x7FFF) * S) >> 15).
#include "converter/audio/layer2_requantize.h"

#if defined(__SSE2__)

#include <immintrin.h>

#include <bit>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

namespace {

// A channel's constants per subband, the scale factors per part; all 0 for a
// subband without bits, which makes its values 0.
struct ChannelConstants {
  alignas(32) std::int32_t h[32];
  alignas(32) std::int32_t shift[32];
  alignas(32) std::int32_t d[32];
  alignas(32) std::int32_t cAbove[32];
  alignas(32) std::int32_t scale[3][32];
};

void FillConstants(const FrameAllocation& alloc, int ch, ChannelConstants* k) {
  for (int band = 0; band < 32; ++band) {
    const int quantClass = alloc.quantClass[ch][band];
    const layer2::QuantClass& q = layer2::kQuantClasses[quantClass];
    const bool coded = quantClass != 0;
    k->h[band] = coded ? q.h : 0;
    k->shift[band] = coded ? 15 - std::countr_zero(static_cast<std::uint32_t>(q.h)) : 0;
    k->d[band] = coded ? q.d : 0;
    k->cAbove[band] = coded ? q.c - 32768 : 0;
    for (int part = 0; part < 3; ++part) {
      k->scale[part][band] = coded ? layer2::kScaleFactors[alloc.scaleIndex[ch][band][part]] : 0;
    }
  }
}

[[gnu::target("avx2")]] inline __m256i Load(const std::int32_t* p) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
}

}  // namespace

[[gnu::target("avx2")]] void RequantizeFrameAvx2(FrameSamples* frame, const FrameAllocation& alloc, int channels,
                                                  int sblimit) {
  const int groups = (sblimit + 7) / 8;
  for (int ch = 0; ch < channels; ++ch) {
    ChannelConstants k;
    FillConstants(alloc, ch, &k);
    for (int part = 0; part < 3; ++part) {
      for (int slot = 12 * part; slot < 12 * part + 12; ++slot) {
        std::int32_t* values = frame->s[ch][slot];
        for (int g = 0; g < groups; ++g) {
          auto* lanes = reinterpret_cast<__m256i*>(values + 8 * g);
          const __m256i v = _mm256_loadu_si256(lanes);
          const __m256i x = _mm256_sllv_epi32(_mm256_sub_epi32(v, Load(k.h + 8 * g)), Load(k.shift + 8 * g));
          const __m256i a = _mm256_add_epi32(x, Load(k.d + 8 * g));
          const __m256i y = _mm256_add_epi32(a, _mm256_srai_epi32(_mm256_mullo_epi32(a, Load(k.cAbove + 8 * g)), 15));
          const __m256i scale = Load(k.scale[part] + 8 * g);
          const __m256i low = _mm256_and_si256(y, _mm256_set1_epi32(0x7FFF));
          const __m256i sample = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srai_epi32(y, 15), scale),
                                                  _mm256_srai_epi32(_mm256_mullo_epi32(low, scale), 15));
          _mm256_storeu_si256(lanes, _mm256_min_epi32(sample, _mm256_set1_epi32(65536)));
        }
      }
    }
  }
}

}  // namespace reelpack

#endif
