#include "engine/pictures/picture_decoder_idct.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include "engine/pictures/picture_idct_transform.h"

namespace {

// Four 32-bit lanes that wrap like the portable form's int32 sums (which
// never overflow for 16-bit coefficients).
struct Lanes {
  __m128i v;
  friend Lanes operator+(Lanes a, Lanes b) { return {_mm_add_epi32(a.v, b.v)}; }
  friend Lanes operator-(Lanes a, Lanes b) { return {_mm_sub_epi32(a.v, b.v)}; }
  friend Lanes operator-(Lanes a) { return {_mm_sub_epi32(_mm_setzero_si128(), a.v)}; }
  friend Lanes operator>>(Lanes a, int shift) { return {_mm_srai_epi32(a.v, shift)}; }
};

struct LaneArithmetic {
  using Value = Lanes;
  // floor(x x constant / 65,536) from the unsigned 64-bit products SSE2 has:
  // bits 16 to 47 of the unsigned product, less what the signs add above
  // bit 32 of the full product (x's sign: the constant; the constant's sign: x).
  static Value Scale(Value x, std::int32_t constant) {
    const __m128i factor = _mm_set1_epi32(constant);
    const __m128i evenProducts = _mm_srli_epi64(_mm_mul_epu32(x.v, factor), 16);
    const __m128i oddProducts = _mm_srli_epi64(_mm_mul_epu32(_mm_srli_epi64(x.v, 32), factor), 16);
    const __m128i mixed = _mm_castps_si128(
        _mm_shuffle_ps(_mm_castsi128_ps(evenProducts), _mm_castsi128_ps(oddProducts), _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i unsignedPart = _mm_shuffle_epi32(mixed, _MM_SHUFFLE(3, 1, 2, 0));
    __m128i carry = _mm_and_si128(_mm_srai_epi32(x.v, 31), factor);
    if (constant < 0) carry = _mm_add_epi32(carry, x.v);
    return {_mm_sub_epi32(unsignedPart, _mm_slli_epi32(carry, 16))};
  }
};

// Narrows to 16 bits keeping the low bits, as the portable form's casts do.
__m128i WrapToInt16(Lanes low, Lanes high) {
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(low.v, 16), 16), _mm_srai_epi32(_mm_slli_epi32(high.v, 16), 16));
}

Lanes WidenLow(__m128i v) { return {_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16)}; }
Lanes WidenHigh(__m128i v) { return {_mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16)}; }

void Transpose8x8(__m128i r[8]) {
  const __m128i a0 = _mm_unpacklo_epi16(r[0], r[1]);
  const __m128i a1 = _mm_unpackhi_epi16(r[0], r[1]);
  const __m128i a2 = _mm_unpacklo_epi16(r[2], r[3]);
  const __m128i a3 = _mm_unpackhi_epi16(r[2], r[3]);
  const __m128i a4 = _mm_unpacklo_epi16(r[4], r[5]);
  const __m128i a5 = _mm_unpackhi_epi16(r[4], r[5]);
  const __m128i a6 = _mm_unpacklo_epi16(r[6], r[7]);
  const __m128i a7 = _mm_unpackhi_epi16(r[6], r[7]);
  const __m128i b0 = _mm_unpacklo_epi32(a0, a2);
  const __m128i b1 = _mm_unpackhi_epi32(a0, a2);
  const __m128i b2 = _mm_unpacklo_epi32(a1, a3);
  const __m128i b3 = _mm_unpackhi_epi32(a1, a3);
  const __m128i b4 = _mm_unpacklo_epi32(a4, a6);
  const __m128i b5 = _mm_unpackhi_epi32(a4, a6);
  const __m128i b6 = _mm_unpacklo_epi32(a5, a7);
  const __m128i b7 = _mm_unpackhi_epi32(a5, a7);
  r[0] = _mm_unpacklo_epi64(b0, b4);
  r[1] = _mm_unpackhi_epi64(b0, b4);
  r[2] = _mm_unpacklo_epi64(b1, b5);
  r[3] = _mm_unpackhi_epi64(b1, b5);
  r[4] = _mm_unpacklo_epi64(b2, b6);
  r[5] = _mm_unpackhi_epi64(b2, b6);
  r[6] = _mm_unpacklo_epi64(b3, b7);
  r[7] = _mm_unpackhi_epi64(b3, b7);
}

// One pass over eight 16-bit vectors (vector i holds frequency i of eight
// lines): vector i becomes sample i of each line, shifted right by shift.
template <typename Products>
void TransformLines(const Lanes low[8], const Lanes high[8], __m128i out[8], int shift) {
  Lanes lowSamples[8];
  Lanes highSamples[8];
  Transform8<Products>(low, lowSamples);
  Transform8<Products>(high, highSamples);
  for (int i = 0; i < 8; ++i) {
    out[i] = WrapToInt16(lowSamples[i] >> shift, highSamples[i] >> shift);
  }
}

// A block whose only nonzero value is its first comes out flat: every
// product of a zero is zero.
bool OnlyFirstValueSet(const __m128i rows[8]) {
  __m128i any = _mm_and_si128(rows[0], _mm_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1));
  for (int i = 1; i < 8; ++i) any = _mm_or_si128(any, rows[i]);
  return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
}

template <typename Products>
void InverseDct(std::int16_t block[64], const std::uint16_t* quantiser) {
  __m128i rows[8];
  for (int i = 0; i < 8; ++i) rows[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * i));
  const bool flat = OnlyFirstValueSet(rows);
  Lanes low[8];
  Lanes high[8];
  for (int i = 0; i < 8; ++i) {
    if (quantiser == nullptr) {
      low[i] = WidenLow(rows[i]);
      high[i] = WidenHigh(rows[i]);
      continue;
    }
    // Signed coefficient times unsigned quantiser, as full 32-bit products.
    const __m128i factor = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quantiser + 8 * i));
    const __m128i productLow = _mm_mullo_epi16(rows[i], factor);
    const __m128i productHigh =
        _mm_sub_epi16(_mm_mulhi_epu16(rows[i], factor), _mm_and_si128(_mm_srai_epi16(rows[i], 15), factor));
    low[i] = {_mm_unpacklo_epi16(productLow, productHigh)};
    high[i] = {_mm_unpackhi_epi16(productLow, productHigh)};
  }
  if (flat) {
    const __m128i dc = WrapToInt16(low[0], low[0]);
    const __m128i sample = _mm_shufflelo_epi16(_mm_srai_epi16(dc, 3), 0);
    const __m128i fill = _mm_unpacklo_epi64(sample, sample);
    for (int i = 0; i < 8; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * i), fill);
    return;
  }
  TransformLines<Products>(low, high, rows, 0);
  Transpose8x8(rows);
  for (int i = 0; i < 8; ++i) {
    low[i] = WidenLow(rows[i]);
    high[i] = WidenHigh(rows[i]);
  }
  TransformLines<Products>(low, high, rows, 3);
  Transpose8x8(rows);
  for (int i = 0; i < 8; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * i), rows[i]);
}

}  // namespace

void InverseDctStillSse2(std::int16_t block[64], const std::uint16_t quantiser[64]) {
  InverseDct<ExactProducts<LaneArithmetic>>(block, quantiser);
}

void InverseDctMovieSse2(std::int16_t block[64]) { InverseDct<ShiftProducts<Lanes>>(block, nullptr); }

#else

void InverseDctStillSse2(std::int16_t block[64], const std::uint16_t quantiser[64]) {
  InverseDctStillPortable(block, quantiser);
}

void InverseDctMovieSse2(std::int16_t block[64]) { InverseDctMoviePortable(block); }

#endif
