// The prediction and block placement kernels in SSE2 registers, byte for
// byte the portable ones: a byte average rounds up as (a + b + 1) >> 1, and
// the four-pixel case runs in 16-bit lanes.
#if defined(__SSE2__)

#include <emmintrin.h>

#include "converter/mpeg/mpeg_video_kernels.h"

namespace reelpack {
namespace {

template <int Width>
inline __m128i LoadPixels(const std::uint8_t* p) {
  if constexpr (Width == 16) return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

template <int Width>
inline void StorePixels(std::uint8_t* p, __m128i v) {
  if constexpr (Width == 16) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
  } else {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  }
}

// (a + b + c + d + 2) >> 2 of 16 pixels.
inline __m128i AverageFour(__m128i a, __m128i b, __m128i c, __m128i d) {
  const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi16(2);
  auto half = [&](auto unpack) {
    const __m128i sum = _mm_add_epi16(_mm_add_epi16(unpack(a, zero), unpack(b, zero)),
                                      _mm_add_epi16(unpack(c, zero), unpack(d, zero)));
    return _mm_srli_epi16(_mm_add_epi16(sum, two), 2);
  };
  return _mm_packus_epi16(half([](__m128i x, __m128i z) { return _mm_unpacklo_epi8(x, z); }),
                          half([](__m128i x, __m128i z) { return _mm_unpackhi_epi8(x, z); }));
}

template <int Width, int Hx, int Hy, int Put>
void Predict(const std::uint8_t* source, std::uint8_t* destination, int sourceStride, int destinationStride,
             int rows) {
  for (int r = 0; r < rows; ++r, source += sourceStride, destination += destinationStride) {
    const __m128i a = LoadPixels<Width>(source);
    __m128i v;
    if constexpr (Hx && Hy) {
      v = AverageFour(a, LoadPixels<Width>(source + 1), LoadPixels<Width>(source + sourceStride),
                      LoadPixels<Width>(source + sourceStride + 1));
    } else if constexpr (Hx) {
      v = _mm_avg_epu8(a, LoadPixels<Width>(source + 1));
    } else if constexpr (Hy) {
      v = _mm_avg_epu8(a, LoadPixels<Width>(source + sourceStride));
    } else {
      v = a;
    }
    if constexpr (!Put) v = _mm_avg_epu8(LoadPixels<Width>(destination), v);
    StorePixels<Width>(destination, v);
  }
}

void AddBlock(const std::int16_t* block, std::uint8_t* destination, int stride) {
  const __m128i zero = _mm_setzero_si128();
  for (int r = 0; r < 8; ++r, destination += stride, block += 8) {
    const __m128i pixels = _mm_unpacklo_epi8(LoadPixels<8>(destination), zero);
    const __m128i sum = _mm_adds_epi16(pixels, _mm_loadu_si128(reinterpret_cast<const __m128i*>(block)));
    StorePixels<8>(destination, _mm_packus_epi16(sum, sum));
  }
}

void StoreBlock(const std::int16_t* block, std::uint8_t* destination, int stride) {
  for (int r = 0; r < 8; ++r, destination += stride, block += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    StorePixels<8>(destination, _mm_packus_epi16(v, v));
  }
}

struct Family {
  static constexpr MpegBlockKernel AddBlock = &reelpack::AddBlock;
  static constexpr MpegBlockKernel StoreBlock = &reelpack::StoreBlock;
  template <int Width, int Hx, int Hy, int Put>
  static constexpr MpegPredictionKernel Predict = &reelpack::Predict<Width, Hx, Hy, Put>;
};

constexpr MPEG_PREDICTION_KERNELS kSse2 = MakePredictionKernels<Family>();

}  // namespace

const MPEG_PREDICTION_KERNELS& sse2PredictionKernels() { return kSse2; }

}  // namespace reelpack

#endif
