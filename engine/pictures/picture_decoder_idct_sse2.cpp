#include "engine/pictures/picture_decoder_idct.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <algorithm>

#include "common/sse2_transpose.h"
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

// Eight 16-bit lanes: exact while no sum leaves 16 bits, which the
// transform's inputs being at most its fitting bound in size ensures.
struct NarrowLanes {
  __m128i v;
  friend NarrowLanes operator+(NarrowLanes a, NarrowLanes b) { return {_mm_add_epi16(a.v, b.v)}; }
  friend NarrowLanes operator-(NarrowLanes a, NarrowLanes b) { return {_mm_sub_epi16(a.v, b.v)}; }
  friend NarrowLanes operator-(NarrowLanes a) { return {_mm_sub_epi16(_mm_setzero_si128(), a.v)}; }
  friend NarrowLanes operator>>(NarrowLanes a, int shift) { return {_mm_srai_epi16(a.v, shift)}; }
};

struct NarrowArithmetic {
  using Value = NarrowLanes;
  // constant = 65,536 whole + part with part a signed 16-bit number, so
  // floor(x x constant / 65,536) = whole x x + the high half of x x part.
  static Value Scale(Value x, std::int32_t constant) {
    const int whole = (constant + 32768) >> 16;
    const __m128i part = _mm_mulhi_epi16(x.v, _mm_set1_epi16(static_cast<short>(constant - whole * 65536)));
    if (whole == 0) return {part};
    if (whole == 1) return {_mm_add_epi16(x.v, part)};
    return {_mm_add_epi16(_mm_mullo_epi16(x.v, _mm_set1_epi16(static_cast<short>(whole))), part)};
  }
};

// The largest input size for which no sum of one 8-point pass leaves 16
// bits, found by interval arithmetic over every step of the transform.
template <typename Products>
inline constexpr int kNarrowInputBound = 0;
template <>
inline constexpr int kNarrowInputBound<ExactProducts<NarrowArithmetic>> = 1270;
template <>
inline constexpr int kNarrowInputBound<ShiftProducts<NarrowLanes>> = 1508;

// True when every 16-bit value of v lies within -bound..bound.
[[gnu::always_inline]] inline bool WithinBound(const __m128i v[8], int bound) {
  const __m128i high = _mm_set1_epi16(static_cast<short>(bound));
  const __m128i low = _mm_set1_epi16(static_cast<short>(-bound));
  __m128i outside = _mm_setzero_si128();
  for (int i = 0; i < 8; ++i) outside = _mm_or_si128(outside, _mm_or_si128(_mm_cmpgt_epi16(v[i], high), _mm_cmplt_epi16(v[i], low)));
  return _mm_movemask_epi8(outside) == 0;
}

// Narrows to 16 bits keeping the low bits, as the portable form's casts do.
__m128i WrapToInt16(Lanes low, Lanes high) {
  return _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(low.v, 16), 16), _mm_srai_epi32(_mm_slli_epi32(high.v, 16), 16));
}

Lanes WidenLow(__m128i v) { return {_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16)}; }
Lanes WidenHigh(__m128i v) { return {_mm_srai_epi32(_mm_unpackhi_epi16(v, v), 16)}; }

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

// The same pass in 16-bit lanes, for inputs within the narrow bound.
template <typename Products>
[[gnu::always_inline]] inline void TransformLinesNarrow(__m128i lines[8], int shift) {
  NarrowLanes in[8];
  NarrowLanes samples[8];
  for (int i = 0; i < 8; ++i) in[i] = {lines[i]};
  Transform8<Products>(in, samples);
  for (int i = 0; i < 8; ++i) lines[i] = (samples[i] >> shift).v;
}

// A block whose only nonzero value is its first comes out flat: every
// product of a zero is zero.
[[gnu::always_inline]] inline bool OnlyFirstValueSet(const __m128i rows[8]) {
  __m128i any = _mm_and_si128(rows[0], _mm_setr_epi16(0, -1, -1, -1, -1, -1, -1, -1));
  for (int i = 1; i < 8; ++i) any = _mm_or_si128(any, rows[i]);
  return _mm_movemask_epi8(_mm_cmpeq_epi8(any, _mm_setzero_si128())) == 0xFFFF;
}

// Signed coefficients times unsigned quantisers, as full 32-bit products.
[[gnu::always_inline]] inline void Dequantise(const __m128i coefficients[8], const std::uint16_t* quantiser, Lanes low[8], Lanes high[8]) {
  for (int i = 0; i < 8; ++i) {
    const __m128i factor = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quantiser + 8 * i));
    const __m128i productLow = _mm_mullo_epi16(coefficients[i], factor);
    const __m128i productHigh = _mm_sub_epi16(_mm_mulhi_epu16(coefficients[i], factor),
                                              _mm_and_si128(_mm_srai_epi16(coefficients[i], 15), factor));
    low[i] = {_mm_unpacklo_epi16(productLow, productHigh)};
    high[i] = {_mm_unpackhi_epi16(productLow, productHigh)};
  }
}

void Widen(const __m128i lines[8], Lanes low[8], Lanes high[8]) {
  for (int i = 0; i < 8; ++i) {
    low[i] = WidenLow(lines[i]);
    high[i] = WidenHigh(lines[i]);
  }
}

// Both passes run in 16-bit lanes where their inputs allow, else in 32-bit
// lanes; either way the results are the portable form's.
template <typename Products, typename NarrowProducts>
void InverseDct(std::int16_t block[64], const std::uint16_t* quantiser) {
  constexpr int kBound = kNarrowInputBound<NarrowProducts>;
  __m128i coefficients[8];
  for (int i = 0; i < 8; ++i) coefficients[i] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * i));
  Lanes low[8];
  Lanes high[8];
  __m128i rows[8];
  if (quantiser == nullptr) {
    std::copy_n(coefficients, 8, rows);
  } else {
    // Saturated to 16 bits, a product outside the narrow bound stays outside.
    Dequantise(coefficients, quantiser, low, high);
    for (int i = 0; i < 8; ++i) rows[i] = _mm_packs_epi32(low[i].v, high[i].v);
  }
  if (OnlyFirstValueSet(coefficients)) {
    const __m128i dc = quantiser == nullptr ? coefficients[0] : WrapToInt16(low[0], low[0]);
    const __m128i sample = _mm_shufflelo_epi16(_mm_srai_epi16(dc, 3), 0);
    const __m128i fill = _mm_unpacklo_epi64(sample, sample);
    for (int i = 0; i < 8; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * i), fill);
    return;
  }
  if (WithinBound(rows, kBound)) {
    TransformLinesNarrow<NarrowProducts>(rows, 0);
  } else {
    if (quantiser == nullptr) Widen(coefficients, low, high);
    TransformLines<Products>(low, high, rows, 0);
  }
  Transpose8x8Words(rows);
  if (WithinBound(rows, kBound)) {
    TransformLinesNarrow<NarrowProducts>(rows, 3);
  } else {
    Widen(rows, low, high);
    TransformLines<Products>(low, high, rows, 3);
  }
  Transpose8x8Words(rows);
  for (int i = 0; i < 8; ++i) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * i), rows[i]);
}

}  // namespace

void InverseDctStillSse2(std::int16_t block[64], const std::uint16_t quantiser[64]) {
  InverseDct<ExactProducts<LaneArithmetic>, ExactProducts<NarrowArithmetic>>(block, quantiser);
}

void InverseDctMovieSse2(std::int16_t block[64]) { InverseDct<ShiftProducts<Lanes>, ShiftProducts<NarrowLanes>>(block, nullptr);
}

#else

void InverseDctStillSse2(std::int16_t block[64], const std::uint16_t quantiser[64]) {
  InverseDctStillPortable(block, quantiser);
}

void InverseDctMovieSse2(std::int16_t block[64]) { InverseDctMoviePortable(block); }

#endif
