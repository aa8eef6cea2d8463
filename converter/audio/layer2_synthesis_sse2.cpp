// SSE2 form of the synthesis filter bank: four 32-bit lanes, each product
// made whole by pmaddwd from 16-bit pairs and shifted on its own.
#include "converter/audio/layer2_synthesis.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <bit>
#include <initializer_list>

#include "converter/audio/layer2_synthesis_pairs.h"

namespace reelpack {

namespace {

inline __m128i Load(const std::int32_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
inline void StoreUnaligned(std::int32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
// Each ring value u as the 16-bit pair (u & 0x7FFF, u >> 15).
inline __m128i Split(__m128i u) { return _mm_add_epi32(u, _mm_and_si128(u, _mm_set1_epi32(-32768))); }
inline __m128i Reversed(__m128i v) { return _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3)); }

// Matrixes one channel's slot into the ring at `ring` (and its copy 1,024
// further on).
void MatrixSlot(const SynthesisPairs& t, const std::int32_t* samples, int sblimit, std::int32_t* ring) {
  ColumnPlan plan;
  PlanColumns(samples, sblimit, &plan);
  // Rows 0 to 15 in acc[0..3], 33 to 48 in acc[4..7]; negatedBase as in
  // AddRareProducts.
  __m128i acc[8];
  __m128i negatedBase[4];
  if (plan.rare) {
    alignas(16) std::int32_t rows[32] = {};
    alignas(16) std::int32_t exact[16] = {};
    AddRareProducts(samples, sblimit, rows, exact);
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) acc[r] = Load(rows + 4 * r);
#pragma GCC unroll 4
    for (int r = 0; r < 4; ++r) negatedBase[r] = _mm_sub_epi32(Load(exact + 4 * r), _mm_set1_epi32(plan.used));
  } else {
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) acc[r] = _mm_setzero_si128();
#pragma GCC unroll 4
    for (int r = 0; r < 4; ++r) negatedBase[r] = _mm_set1_epi32(-plan.used);
  }
  for (std::uint32_t paired = plan.paired; paired != 0; paired &= paired - 1) {
    const int k = std::countr_zero(paired);
    const std::int32_t* pairs = t.matrix[k];
    const __m128i halves = _mm_set1_epi32(plan.halves[k]);
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) {
      acc[r] = _mm_add_epi32(acc[r], _mm_srai_epi32(_mm_madd_epi16(Load(pairs + 4 * r), halves), 15));
    }
  }
  __m128i rows[12];
#pragma GCC unroll 4
  for (int r = 0; r < 4; ++r) {
    rows[r] = Split(acc[r]);
    // Row 32 - i from row i.
    rows[4 + r] = Split(_mm_sub_epi32(negatedBase[r], acc[r]));
    rows[8 + r] = Split(acc[4 + r]);
  }
  for (std::int32_t* copy : {ring, ring + 1024}) {
#pragma GCC unroll 4
    for (int r = 0; r < 4; ++r) {
      StoreUnaligned(copy + 4 * r, rows[r]);
      // Rows 17 to 32 run backwards.
      StoreUnaligned(copy + 29 - 4 * r, Reversed(rows[4 + r]));
      StoreUnaligned(copy + 33 + 4 * r, rows[8 + r]);
      // Rows 48 to 63 are rows 48 down to 33.
      StoreUnaligned(copy + 60 - 4 * r, Reversed(rows[8 + r]));
    }
    copy[16] = 0;
  }
}

// u * d >> 15 for four ring values (split) against four window coefficients.
[[gnu::always_inline]] inline __m128i WindowProducts(__m128i split, const SynthesisPairs& t, int n, bool wide) {
  __m128i low = _mm_madd_epi16(split, Load(t.windowLow + n));
  __m128i high = _mm_madd_epi16(split, Load(t.windowHigh + n));
  if (wide) {
    low = _mm_add_epi32(low, _mm_madd_epi16(split, Load(t.windowLowSecond + n)));
    high = _mm_add_epi32(high, _mm_madd_epi16(split, Load(t.windowHighSecond + n)));
  }
  return _mm_add_epi32(_mm_srai_epi32(low, 15), high);
}

// Windows one channel's ring into 32 sums, clipped to 16 bits in 4 registers.
void WindowSlot(const SynthesisPairs& t, const std::int32_t* v, int offset, __m128i out[4]) {
  __m128i sum[8];
#pragma GCC unroll 8
  for (__m128i& s : sum) s = _mm_setzero_si128();
  for (int i = 0; i < 16; ++i) {
    const std::int32_t* u = v + offset + 64 * i + 32 * (i & 1);
    const bool wide = t.wideRow[i];
#pragma GCC unroll 8
    for (int g = 0; g < 8; ++g) {
      sum[g] = _mm_add_epi32(sum[g], WindowProducts(Load(u + 4 * g), t, 32 * i + 4 * g, wide));
    }
  }
  for (int g = 0; g < 4; ++g) out[g] = _mm_packs_epi32(sum[2 * g], sum[2 * g + 1]);
}

}  // namespace

void StoreSlotPairs(const __m128i left[4], const __m128i right[4], std::uint8_t* out) {
  auto* pairs = reinterpret_cast<__m128i*>(out);
  for (int g = 0; g < 4; ++g) {
    _mm_storeu_si128(pairs + 2 * g, _mm_unpacklo_epi16(left[g], right[g]));
    _mm_storeu_si128(pairs + 2 * g + 1, _mm_unpackhi_epi16(left[g], right[g]));
  }
}

void SynthesizeFrameSse2(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                         std::uint8_t* output) {
  const SynthesisPairs& t = SharedSynthesisPairs();
  for (int slot = 0; slot < kSlotsPerFrame; ++slot) {
    state->offset = (state->offset - 64) & 1023;
    __m128i pcm[2][4];
    for (int ch = 0; ch < channels; ++ch) {
      MatrixSlot(t, frame.s[ch][slot], sblimit, state->v[ch] + state->offset);
      WindowSlot(t, state->v[ch], state->offset, pcm[ch]);
    }
    StoreSlotPairs(pcm[0], pcm[channels - 1], output + slot * 32 * 4);
  }
}

}  // namespace reelpack

#endif
