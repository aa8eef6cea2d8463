// SSE2 forms of the SIMD colour kernels. Eight pixels of a row are widened
// to 16-bit lanes two pixels a register (four lanes each: the pixel's bytes
// in memory order, the fourth lane ignored or the fourth channel), so one
// pairwise multiply-add with the coefficient row gives each pixel's sum in
// two 32-bit halves, and chroma cells are summed lane-wise before the
// multiply. Unaligned loads never read past the converted pixels.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include "jpeglib/jpeg_pixel_order.h"
#include "jpeglib/simd/sse2_util.h"

namespace {

using sse2_util::load;
using sse2_util::store;

// Coefficients of one output for the pixel bytes in memory order.
template <typename Order>
__m128i coefficients(int r, int g, int b) {
  std::int16_t lanes[4] = {0, 0, 0, 0};
  lanes[Order::r] = static_cast<std::int16_t>(r);
  lanes[Order::g] = static_cast<std::int16_t>(g);
  lanes[Order::b] = static_cast<std::int16_t>(b);
  return _mm_setr_epi16(lanes[0], lanes[1], lanes[2], lanes[3], lanes[0], lanes[1], lanes[2], lanes[3]);
}

template <typename Order>
struct Weights {
  __m128i y = coefficients<Order>(77, 150, 29);
  __m128i cb = coefficients<Order>(-43, -85, 128);
  __m128i cr = coefficients<Order>(128, -107, -21);
};

// Eight pixels as four registers of two pixels (colour bytes complemented
// for four-channel pictures).
template <typename Order>
[[gnu::always_inline]] inline void loadPixels(const std::uint8_t* p, __m128i q[4]) {
  const __m128i zero = _mm_setzero_si128();
  if constexpr (Order::bytes == 3) {
    const __m128i low = load(p), high = load(p + 8);  // bytes 0-15 and 8-23
    q[0] = _mm_unpacklo_epi8(_mm_unpacklo_epi32(low, _mm_srli_si128(low, 3)), zero);
    q[1] = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_srli_si128(low, 6), _mm_srli_si128(low, 9)), zero);
    q[2] = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_srli_si128(high, 4), _mm_srli_si128(high, 7)), zero);
    q[3] = _mm_unpacklo_epi8(_mm_unpacklo_epi32(_mm_srli_si128(high, 10), _mm_srli_si128(high, 13)), zero);
  } else {
    __m128i first = load(p), second = load(p + 16);
    if constexpr (Order::alpha) {
      const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
      first = _mm_xor_si128(first, colour);
      second = _mm_xor_si128(second, colour);
    }
    q[0] = _mm_unpacklo_epi8(first, zero);
    q[1] = _mm_unpackhi_epi8(first, zero);
    q[2] = _mm_unpacklo_epi8(second, zero);
    q[3] = _mm_unpackhi_epi8(second, zero);
  }
}

// (sum over lanes of weights x values + bias) >> shift for the four pixels
// (or cells) held two per register in a and b.
[[gnu::always_inline]] inline __m128i weigh4(__m128i a, __m128i b, __m128i weights, __m128i bias, int shift) {
  const __m128 ma = _mm_castsi128_ps(_mm_madd_epi16(a, weights));
  const __m128 mb = _mm_castsi128_ps(_mm_madd_epi16(b, weights));
  const __m128i first = _mm_castps_si128(_mm_shuffle_ps(ma, mb, _MM_SHUFFLE(2, 0, 2, 0)));
  const __m128i second = _mm_castps_si128(_mm_shuffle_ps(ma, mb, _MM_SHUFFLE(3, 1, 3, 1)));
  return _mm_sra_epi32(_mm_add_epi32(_mm_add_epi32(first, second), bias), _mm_cvtsi32_si128(shift));
}

[[gnu::always_inline]] inline __m128i weigh8(const __m128i q[4], __m128i weights, __m128i bias, int shift) {
  return _mm_packs_epi32(weigh4(q[0], q[1], weights, bias, shift), weigh4(q[2], q[3], weights, bias, shift));
}

// The fourth lane of each pixel, minus 128.
[[gnu::always_inline]] inline __m128i fourthLanes(const __m128i q[4]) {
  const __m128i low = _mm_packs_epi32(_mm_srli_epi64(q[0], 48), _mm_srli_epi64(q[1], 48));
  const __m128i high = _mm_packs_epi32(_mm_srli_epi64(q[2], 48), _mm_srli_epi64(q[3], 48));
  return _mm_sub_epi16(_mm_packs_epi32(low, high), _mm_set1_epi16(128));
}

template <typename Order, int Width, int HF, int VF>
void convertArea(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                 std::int16_t* cr, std::int16_t* fourth) {
  constexpr int cellLog2 = (HF == 2) + (VF == 2);
  const Weights<Order> weights;
  const __m128i lumaBias = _mm_set1_epi32(-32640);
  const __m128i chromaBias = _mm_set1_epi32(128 << cellLog2);
#pragma GCC unroll 8
  for (int y = 0; y < 8; y += VF) {
#pragma GCC unroll 2
    for (int chunk = 0; chunk < Width / 8; ++chunk) {
      __m128i cells[4];
#pragma GCC unroll 2
      for (int j = 0; j < VF; ++j) {
        __m128i q[4];
        loadPixels<Order>(source + (y + j) * stride + chunk * 8 * Order::bytes, q);
        const int at = chunk * 64 + (y + j) * 8;
        store(luma + at, weigh8(q, weights.y, lumaBias, 8));
        if constexpr (Order::alpha) store(fourth + at, fourthLanes(q));
        if constexpr (HF == 1) {
          store(cb + at, weigh8(q, weights.cb, chromaBias, 8));
          store(cr + at, weigh8(q, weights.cr, chromaBias, 8));
        } else {
          for (int i = 0; i < 4; ++i) cells[i] = j == 0 ? q[i] : _mm_add_epi16(cells[i], q[i]);
        }
      }
      if constexpr (HF == 2) {
        // Pixel pairs summed: two cells a register again.
        const __m128i c01 = _mm_add_epi16(_mm_unpacklo_epi64(cells[0], cells[1]), _mm_unpackhi_epi64(cells[0], cells[1]));
        const __m128i c23 = _mm_add_epi16(_mm_unpacklo_epi64(cells[2], cells[3]), _mm_unpackhi_epi64(cells[2], cells[3]));
        const int at = (y / VF) * 8 + chunk * 4;
        const __m128i cbValues = weigh4(c01, c23, weights.cb, chromaBias, 8 + cellLog2);
        const __m128i crValues = weigh4(c01, c23, weights.cr, chromaBias, 8 + cellLog2);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cb + at), _mm_packs_epi32(cbValues, cbValues));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(cr + at), _mm_packs_epi32(crValues, crValues));
      }
    }
  }
}

void splitPacked(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                 std::int16_t* cr) {
  const __m128i lowByte = _mm_set1_epi16(0x00FF), shift = _mm_set1_epi16(128);
  for (int y = 0; y < 8; ++y) {
    const __m128i first = load(source + y * stride), second = load(source + y * stride + 16);
    store(luma + y * 8, _mm_sub_epi16(_mm_and_si128(first, lowByte), shift));
    store(luma + 64 + y * 8, _mm_sub_epi16(_mm_and_si128(second, lowByte), shift));
    // Odd bytes: Cb, Cr alternating; Cb in the low and Cr in the high half
    // of each 32-bit lane.
    const __m128i chromaFirst = _mm_srli_epi16(first, 8), chromaSecond = _mm_srli_epi16(second, 8);
    const __m128i cbValues = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(chromaFirst, 16), 16),
                                             _mm_srai_epi32(_mm_slli_epi32(chromaSecond, 16), 16));
    const __m128i crValues = _mm_packs_epi32(_mm_srli_epi32(chromaFirst, 16), _mm_srli_epi32(chromaSecond, 16));
    store(cb + y * 8, _mm_sub_epi16(cbValues, shift));
    store(cr + y * 8, _mm_sub_epi16(crValues, shift));
  }
}

}  // namespace

#include "jpeglib/simd/colour_kernel_names.inc"

// The class forms differ only in how they separate the bytes.
void splitPackedYcc422Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                          std::int16_t* cr) {
  splitPacked(s, st, y, cb, cr);
}
void splitPackedYcc422Sse(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                          std::int16_t* cr) {
  splitPacked(s, st, y, cb, cr);
}

void levelShiftGreyBlockMmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* block) {
  const __m128i zero = _mm_setzero_si128(), shift = _mm_set1_epi16(128);
  for (int y = 0; y < 8; ++y) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(source + y * stride));
    store(block + y * 8, _mm_sub_epi16(_mm_unpacklo_epi8(bytes, zero), shift));
  }
}

#else  // no SSE2: the portable forms define the results

#include "jpeglib/simd/colour_area_portable.h"

using simd_portable::convertArea;
#include "jpeglib/simd/colour_kernel_names.inc"

void splitPackedYcc422Mmx(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                          std::int16_t* cr) {
  simd_portable::splitPackedYcc422Mmx(s, st, y, cb, cr);
}
void splitPackedYcc422Sse(const std::uint8_t* s, std::ptrdiff_t st, std::int16_t* y, std::int16_t* cb,
                          std::int16_t* cr) {
  simd_portable::splitPackedYcc422Mmx(s, st, y, cb, cr);
}
void levelShiftGreyBlockMmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* block) {
  simd_portable::levelShiftGreyBlockMmx(source, stride, block);
}

#endif
