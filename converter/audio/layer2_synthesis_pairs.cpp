#include "converter/audio/layer2_synthesis_pairs.h"

#if defined(__SSE2__)

#include <algorithm>
#include <bit>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

namespace {

SynthesisPairs BuildPairs() {
  SynthesisPairs t{};
  const layer2::SynthesisMatrix& m = layer2::Matrix();
  for (int k = 0; k < 32; ++k) {
    for (int i = 0; i < 16; ++i) {
      t.matrix[k][i] = PairOf(m[i][k], m[i][k]);
      t.matrix[k][16 + i] = PairOf(m[33 + i][k], m[33 + i][k]);
    }
  }
  for (int n = 0; n < 512; ++n) {
    const std::int32_t d = layer2::kWindow[n];
    const bool wide = d < -32768 || d > 32767;
    const std::int32_t first = wide ? d / 2 : d;
    const std::int32_t second = d - first;
    t.windowLow[n] = PairOf(first, 0);
    t.windowHigh[n] = PairOf(0, first);
    t.windowLowSecond[n] = PairOf(second, 0);
    t.windowHighSecond[n] = PairOf(0, second);
    t.wideRow[n / 32] = t.wideRow[n / 32] || wide;
  }
  for (int k = 0; k < 32; ++k) {
    int mostZeros = 0;
    for (int i = 0; i < 16; ++i) mostZeros = std::max(mostZeros, std::countr_zero(static_cast<std::uint32_t>(m[i][k])));
    t.exactMasks[k] = (1 << (15 - mostZeros)) - 1;
  }
  return t;
}

}  // namespace

const SynthesisPairs& SharedSynthesisPairs() {
  static const SynthesisPairs pairs = BuildPairs();
  return pairs;
}

void AddRareProducts(const std::int32_t* samples, int sblimit, std::int32_t rows[32], std::int32_t exact[16]) {
  const layer2::SynthesisMatrix& m = layer2::Matrix();
  for (int k = 0; k < sblimit; ++k) {
    const std::int32_t s = samples[k];
    if (s == 0) continue;
    if (s < -65535 || s > 65534) {
      for (int i = 0; i < 16; ++i) {
        rows[i] += static_cast<std::int32_t>((std::int64_t{m[i][k]} * s) >> 15);
        rows[16 + i] += static_cast<std::int32_t>((std::int64_t{m[33 + i][k]} * s) >> 15);
      }
    }
    for (int i = 0; i < 16; ++i) exact[i] += ((std::int64_t{m[i][k]} * s) & 0x7FFF) == 0;
  }
}

void PlanColumns(const std::int32_t* samples, int sblimit, ColumnPlan* plan) {
  const SynthesisPairs& t = SharedSynthesisPairs();
  const __m128i zero = _mm_setzero_si128();
  __m128i zeros = zero;  // -1 per zero sample
  __m128i rare = zero;
  std::uint32_t paired = 0;
  for (int g = 0; g < 8; ++g) {
    // Subbands at and above sblimit count as zero.
    const __m128i below = _mm_cmpgt_epi32(_mm_set1_epi32(sblimit), _mm_setr_epi32(4 * g, 4 * g + 1, 4 * g + 2, 4 * g + 3));
    const __m128i s = _mm_and_si128(below, _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + 4 * g)));
    const __m128i isZero = _mm_cmpeq_epi32(s, zero);
    zeros = _mm_add_epi32(zeros, isZero);
    // Both halves fit 16 bits, and the pmaddwd sum 32 bits (-32768 only
    // meets -32768 below -65535).
    const __m128i outside =
        _mm_or_si128(_mm_cmpgt_epi32(s, _mm_set1_epi32(65534)), _mm_cmpgt_epi32(_mm_set1_epi32(-65535), s));
    const __m128i mayBeExact = _mm_andnot_si128(
        isZero, _mm_cmpeq_epi32(_mm_and_si128(s, _mm_load_si128(reinterpret_cast<const __m128i*>(t.exactMasks + 4 * g))), zero));
    rare = _mm_or_si128(rare, _mm_or_si128(outside, mayBeExact));
    const __m128i first = _mm_srai_epi32(s, 1);
    const __m128i second = _mm_sub_epi32(s, first);
    const __m128i halves = _mm_or_si128(_mm_and_si128(first, _mm_set1_epi32(0xFFFF)), _mm_slli_epi32(second, 16));
    _mm_store_si128(reinterpret_cast<__m128i*>(plan->halves + 4 * g), halves);
    const int lanes = _mm_movemask_ps(_mm_castsi128_ps(_mm_or_si128(isZero, outside)));
    paired |= static_cast<std::uint32_t>(~lanes & 15) << (4 * g);
  }
  plan->paired = paired;
  alignas(16) std::int32_t zeroCounts[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(zeroCounts), zeros);
  plan->used = 32 + zeroCounts[0] + zeroCounts[1] + zeroCounts[2] + zeroCounts[3];
  plan->rare = _mm_movemask_epi8(rare) != 0;
}

}  // namespace reelpack

#endif
