// AVX2 form of the synthesis filter bank: the SSE2 form's arithmetic on
// eight 32-bit lanes, for processors that have them.
#include "converter/audio/layer2_synthesis.h"

#if defined(__SSE2__)

#include <immintrin.h>

#include <bit>
#include <initializer_list>

#include "converter/audio/layer2_synthesis_pairs.h"

#define AVX2_FUNCTION [[gnu::target("avx2")]]

namespace reelpack {

namespace {

AVX2_FUNCTION inline __m256i Load(const std::int32_t* p) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
}
AVX2_FUNCTION inline __m256i LoadUnaligned(const std::int32_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
AVX2_FUNCTION inline void StoreUnaligned(std::int32_t* p, __m256i v) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
// Each ring value u as the 16-bit pair (u & 0x7FFF, u >> 15).
AVX2_FUNCTION inline __m256i Split(__m256i u) { return _mm256_add_epi32(u, _mm256_and_si256(u, _mm256_set1_epi32(-32768))); }
AVX2_FUNCTION inline __m256i Reversed(__m256i v) {
  return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
}

}  // namespace

AVX2_FUNCTION void PlanColumnsAvx2(const std::int32_t* samples, int sblimit, ColumnPlan* plan) {
  const SynthesisPairs& t = SharedSynthesisPairs();
  const __m256i zero = _mm256_setzero_si256();
  __m256i rare = zero;
  std::uint32_t zeros = 0;
  std::uint32_t outsides = 0;
#pragma GCC unroll 4
  for (int g = 0; g < 4; ++g) {
    // Subbands at and above sblimit count as zero.
    const __m256i below =
        _mm256_cmpgt_epi32(_mm256_set1_epi32(sblimit), _mm256_add_epi32(_mm256_set1_epi32(8 * g), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
    const __m256i s = _mm256_and_si256(below, LoadUnaligned(samples + 8 * g));
    const __m256i isZero = _mm256_cmpeq_epi32(s, zero);
    // Both halves fit 16 bits, and the pmaddwd sum 32 bits (-32768 only
    // meets -32768 below -65535).
    const __m256i outside =
        _mm256_or_si256(_mm256_cmpgt_epi32(s, _mm256_set1_epi32(65534)), _mm256_cmpgt_epi32(_mm256_set1_epi32(-65535), s));
    const __m256i mayBeExact =
        _mm256_andnot_si256(isZero, _mm256_cmpeq_epi32(_mm256_and_si256(s, Load(t.exactMasks + 8 * g)), zero));
    rare = _mm256_or_si256(rare, _mm256_or_si256(outside, mayBeExact));
    const __m256i first = _mm256_srai_epi32(s, 1);
    const __m256i second = _mm256_sub_epi32(s, first);
    _mm256_store_si256(reinterpret_cast<__m256i*>(plan->halves + 8 * g),
                       _mm256_blend_epi16(first, _mm256_slli_epi32(second, 16), 0xAA));
    zeros |= static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(isZero))) << (8 * g);
    outsides |= static_cast<std::uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(outside))) << (8 * g);
  }
  plan->paired = ~(zeros | outsides);
  plan->used = 32 - std::popcount(zeros);
  plan->rare = !_mm256_testz_si256(rare, rare);
}

namespace {

// Matrixes one channel's slot into the ring at `ring` (and its copy 1,024
// further on).
AVX2_FUNCTION void MatrixSlot(const SynthesisPairs& t, const std::int32_t* samples, int sblimit, std::int32_t* ring) {
  ColumnPlan plan;
  PlanColumnsAvx2(samples, sblimit, &plan);
  // Rows 0 to 15 in acc[0..1], 33 to 48 in acc[2..3]; negatedBase as in
  // AddRareProducts.
  __m256i acc[4];
  __m256i negatedBase[2];
  if (plan.rare) {
    alignas(32) std::int32_t rows[32] = {};
    alignas(32) std::int32_t exact[16] = {};
    AddRareProducts(samples, sblimit, rows, exact);
#pragma GCC unroll 4
    for (int r = 0; r < 4; ++r) acc[r] = Load(rows + 8 * r);
#pragma GCC unroll 2
    for (int r = 0; r < 2; ++r) negatedBase[r] = _mm256_sub_epi32(Load(exact + 8 * r), _mm256_set1_epi32(plan.used));
  } else {
#pragma GCC unroll 4
    for (int r = 0; r < 4; ++r) acc[r] = _mm256_setzero_si256();
#pragma GCC unroll 2
    for (int r = 0; r < 2; ++r) negatedBase[r] = _mm256_set1_epi32(-plan.used);
  }
  for (std::uint32_t paired = plan.paired; paired != 0; paired &= paired - 1) {
    const int k = std::countr_zero(paired);
    const std::int32_t* pairs = t.matrix[k];
    const __m256i halves = _mm256_set1_epi32(plan.halves[k]);
#pragma GCC unroll 4
    for (int r = 0; r < 4; ++r) {
      acc[r] = _mm256_add_epi32(acc[r], _mm256_srai_epi32(_mm256_madd_epi16(Load(pairs + 8 * r), halves), 15));
    }
  }
  __m256i rows[6];
#pragma GCC unroll 2
  for (int r = 0; r < 2; ++r) {
    rows[r] = Split(acc[r]);
    // Row 32 - i from row i.
    rows[2 + r] = Split(_mm256_sub_epi32(negatedBase[r], acc[r]));
    rows[4 + r] = Split(acc[2 + r]);
  }
  for (std::int32_t* copy : {ring, ring + 1024}) {
#pragma GCC unroll 2
    for (int r = 0; r < 2; ++r) {
      StoreUnaligned(copy + 8 * r, rows[r]);
      // Rows 17 to 32 run backwards.
      StoreUnaligned(copy + 25 - 8 * r, Reversed(rows[2 + r]));
      StoreUnaligned(copy + 33 + 8 * r, rows[4 + r]);
      // Rows 48 to 63 are rows 48 down to 33.
      StoreUnaligned(copy + 56 - 8 * r, Reversed(rows[4 + r]));
    }
    copy[16] = 0;
  }
}

// u * d >> 15 for eight ring values (split) against eight window coefficients.
AVX2_FUNCTION [[gnu::always_inline]] inline __m256i WindowProducts(__m256i split, const SynthesisPairs& t, int n,
                                                                   bool wide) {
  __m256i low = _mm256_madd_epi16(split, Load(t.windowLow + n));
  __m256i high = _mm256_madd_epi16(split, Load(t.windowHigh + n));
  if (wide) {
    low = _mm256_add_epi32(low, _mm256_madd_epi16(split, Load(t.windowLowSecond + n)));
    high = _mm256_add_epi32(high, _mm256_madd_epi16(split, Load(t.windowHighSecond + n)));
  }
  return _mm256_add_epi32(_mm256_srai_epi32(low, 15), high);
}

// Adds window row i of the ring from `u` to the 32 sums.
template <bool kWide>
AVX2_FUNCTION [[gnu::always_inline]] inline void AddWindowRow(const SynthesisPairs& t, const std::int32_t* u, int i,
                                                              __m256i sum[4]) {
  const std::int32_t* row = u + 64 * i + 32 * (i & 1);
#pragma GCC unroll 4
  for (int g = 0; g < 4; ++g) {
    sum[g] = _mm256_add_epi32(sum[g], WindowProducts(LoadUnaligned(row + 8 * g), t, 32 * i + 8 * g, kWide));
  }
}

// Windows one channel's ring into 32 sums, clipped to 16 bits in 4 registers.
AVX2_FUNCTION void WindowSlot(const SynthesisPairs& t, const std::int32_t* v, int offset, __m128i out[4]) {
  __m256i sum[4];
#pragma GCC unroll 8
  for (__m256i& s : sum) s = _mm256_setzero_si256();
  // One branch per row on its width, not one per group.
  for (int i = 0; i < 16; ++i) {
    if (t.wideRow[i]) {
      AddWindowRow<true>(t, v + offset, i, sum);
    } else {
      AddWindowRow<false>(t, v + offset, i, sum);
    }
  }
  for (int g = 0; g < 4; ++g) {
    out[g] = _mm_packs_epi32(_mm256_castsi256_si128(sum[g]), _mm256_extracti128_si256(sum[g], 1));
  }
}

}  // namespace

AVX2_FUNCTION void SynthesizeFrameAvx2(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
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
