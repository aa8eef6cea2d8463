// Chroma up-sampling and the BGR24 conversion in SSE2 registers, byte for
// byte the portable forms: 16-bit lanes for the up-sampler, 32-bit
// multiply-adds for the 13-bit colour formula.
#if defined(__SSE2__)

#include <emmintrin.h>

#include <cstddef>
#include <cstring>

#include "converter/mpeg/mpeg_video_kernels.h"

namespace reelpack {
namespace {

constexpr int To13(int c) { return (c + 4) >> 3; }

// (3 a + b) >> 2 of 8 samples.
inline __m128i Blend(__m128i a, __m128i b) {
  return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(a, _mm_add_epi16(a, a)), b), 2);
}

// A channel of 8 pixels: (luma term + (c1 x u + c2 x v)) >> 13, as 16-bit
// lanes saturated like the portable form.
inline __m128i Channel(__m128i lumaLow, __m128i lumaHigh, __m128i uvLow, __m128i uvHigh, __m128i coefficients) {
  const __m128i low = _mm_srai_epi32(_mm_add_epi32(lumaLow, _mm_madd_epi16(uvLow, coefficients)), 13);
  const __m128i high = _mm_srai_epi32(_mm_add_epi32(lumaHigh, _mm_madd_epi16(uvHigh, coefficients)), 13);
  return _mm_packs_epi32(low, high);
}

// Four pixels of 32-bit B, G, R, 0 packed into 12 bytes (the top 4 bytes
// of the result are not part of them).
inline __m128i PackPixels(__m128i pixels) {
  const __m128i low24 = _mm_set1_epi64x(0xFFFFFF);
  // In each 64-bit half: pixel 0 in bytes 0..2, pixel 1 in bytes 3..5.
  const __m128i pairs = _mm_or_si128(_mm_and_si128(pixels, low24), _mm_andnot_si128(low24, _mm_srli_epi64(pixels, 8)));
  const __m128i firstSix = _mm_set_epi32(0, 0, 0x0000FFFF, -1);
  return _mm_or_si128(_mm_and_si128(pairs, firstSix), _mm_andnot_si128(firstSix, _mm_srli_si128(pairs, 2)));
}

}  // namespace

void upsampleChromaFrameSse2(std::uint8_t* plane, int codedWidth, int codedHeight) {
  const int half = codedWidth / 2;
  const int sourceRows = codedHeight / 2;
  auto source = [&](int k) { return plane + static_cast<std::ptrdiff_t>(k) * codedWidth; };
  auto output = [&](int row) { return plane + static_cast<std::ptrdiff_t>(row) * codedWidth + half; };
  std::memcpy(output(0), source(0), half);
  const __m128i zero = _mm_setzero_si128();
  for (int k = 0; k + 1 < sourceRows; ++k) {
    const std::uint8_t* s0 = source(k);
    const std::uint8_t* s1 = source(k + 1);
    std::uint8_t* o1 = output(2 * k + 1);
    std::uint8_t* o2 = output(2 * k + 2);
    // half is a multiple of 8: the coded width is a multiple of 16.
    for (int x = 0; x < half; x += 8) {
      const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s0 + x)), zero);
      const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s1 + x)), zero);
      const __m128i first = Blend(a, b), second = Blend(b, a);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(o1 + x), _mm_packus_epi16(first, first));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(o2 + x), _mm_packus_epi16(second, second));
    }
  }
  std::memcpy(output(codedHeight - 1), source(sourceRows - 1), half);
}

void convertToRgb24Sse2(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr,
                        std::uint8_t* buffer, const MPEG_COLOUR_PARAMS& params) {
  const int scale = To13(params.lumaScale);
  // Each 32-bit lane holds the Cb and the Cr coefficient of a channel.
  auto pair = [](int forCb, int forCr) {
    return _mm_set1_epi32(static_cast<int>((static_cast<std::uint32_t>(forCb) & 0xFFFF) |
                                           (static_cast<std::uint32_t>(forCr) << 16)));
  };
  const __m128i blue = pair(To13(params.cbu), 0);
  const __m128i green = pair(To13(params.cgu), To13(params.cgv));
  const __m128i red = pair(0, To13(params.crv));
  const __m128i zero = _mm_setzero_si128();
  const __m128i lumaOffset = _mm_set1_epi16(static_cast<std::int16_t>(params.lumaOffset));
  const __m128i chromaOffset = _mm_set1_epi16(128);
  const __m128i lumaScale = pair(scale, 0);
  const __m128i rounding = _mm_set1_epi32(4096);
  for (int r = 0; r < params.height; ++r) {
    const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(r) * params.lumaStride;
    const std::uint8_t* y = luma + rowStart;
    const std::uint8_t* u = cb + rowStart + params.chromaOffset;
    const std::uint8_t* v = cr + rowStart + params.chromaOffset;
    std::uint8_t* out = buffer + static_cast<std::ptrdiff_t>(r) * params.outStride;
    for (int x = 0; x < params.width; x += 8) {
      // Luma is read 8 at a time inside the coded row; chroma 4 samples, each
      // for a pixel pair.
      const __m128i yy = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(y + x)), zero),
                                       lumaOffset);
      std::int32_t u4, v4;
      std::memcpy(&u4, u + x / 2, 4);
      std::memcpy(&v4, v + x / 2, 4);
      __m128i uu = _mm_unpacklo_epi8(_mm_cvtsi32_si128(u4), _mm_cvtsi32_si128(u4));
      __m128i vv = _mm_unpacklo_epi8(_mm_cvtsi32_si128(v4), _mm_cvtsi32_si128(v4));
      uu = _mm_sub_epi16(_mm_unpacklo_epi8(uu, zero), chromaOffset);
      vv = _mm_sub_epi16(_mm_unpacklo_epi8(vv, zero), chromaOffset);
      const __m128i lumaLow = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(yy, zero), lumaScale), rounding);
      const __m128i lumaHigh = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(yy, zero), lumaScale), rounding);
      const __m128i uvLow = _mm_unpacklo_epi16(uu, vv), uvHigh = _mm_unpackhi_epi16(uu, vv);
      const __m128i b = Channel(lumaLow, lumaHigh, uvLow, uvHigh, blue);
      const __m128i g = Channel(lumaLow, lumaHigh, uvLow, uvHigh, green);
      const __m128i rr = Channel(lumaLow, lumaHigh, uvLow, uvHigh, red);
      const __m128i blueGreen = _mm_unpacklo_epi8(_mm_packus_epi16(b, b), _mm_packus_epi16(g, g));
      const __m128i redZero = _mm_unpacklo_epi8(_mm_packus_epi16(rr, rr), zero);
      const __m128i first = PackPixels(_mm_unpacklo_epi16(blueGreen, redZero));
      const __m128i second = PackPixels(_mm_unpackhi_epi16(blueGreen, redZero));
      if (x + 16 <= params.width) {
        // 16-byte stores: the 4 bytes past the 24 of these pixels belong to
        // the next ones, written after.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 12), second);
        out += 24;
        continue;
      }
      alignas(16) std::uint8_t packed[32];
      _mm_store_si128(reinterpret_cast<__m128i*>(packed), first);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(packed + 12), second);
      const int bytes = 3 * (params.width - x < 8 ? params.width - x : 8);
      std::memcpy(out, packed, bytes);
      out += bytes;
    }
  }
}

}  // namespace reelpack

#endif
