// SSE2 form of the synthesis filter bank. Each product is made whole in a
// 32-bit lane by pmaddwd from two 16-bit halves, then shifted on its own:
// - matrixing: a sample s is split into s1 + s2 (both 16-bit) against the
//   coefficient pair (m, m), so one pmaddwd gives m * s;
// - windowing: a ring value u is held as the pair (u & 0x7FFF, u >> 15),
//   whose pmaddwd against (d, 0) and (0, d) gives the two products of the
//   definition's split.
// The rows of the negated half come from the plain ones: (-p) >> 15 is
// -(p >> 15) - 1 unless p is a multiple of 32768.
#include "converter/audio/layer2_synthesis.h"

#if defined(__SSE2__)

#include <emmintrin.h>

#include <algorithm>
#include <bit>

#include "converter/audio/layer2_tables.h"

namespace reelpack {

namespace {

std::int32_t PairOf(std::int32_t low, std::int32_t high) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(low) & 0xFFFF) | (static_cast<std::uint32_t>(high) << 16));
}

struct Tables {
  // Per subband: the pairs (m, m) of rows 0 to 15, then of rows 33 to 48.
  alignas(16) std::int32_t matrix[32][32];
  // Per subband: the fewest trailing zero bits a sample needs before one of
  // its products with rows 0 to 15 can be a multiple of 32768.
  int exactBits[32];
  // Window coefficients d = first + second, each 16-bit, as the pairs
  // (first, 0), (0, first), (second, 0), (0, second); second is 0 but in
  // the rows whose coefficients reach beyond 16 bits.
  alignas(16) std::int32_t windowLow[512];
  alignas(16) std::int32_t windowHigh[512];
  alignas(16) std::int32_t windowLowSecond[512];
  alignas(16) std::int32_t windowHighSecond[512];
  bool wideRow[16];
};

Tables BuildTables() {
  Tables t{};
  const layer2::SynthesisMatrix& m = layer2::Matrix();
  for (int k = 0; k < 32; ++k) {
    int mostZeros = 0;
    for (int i = 0; i < 16; ++i) {
      t.matrix[k][i] = PairOf(m[i][k], m[i][k]);
      t.matrix[k][16 + i] = PairOf(m[33 + i][k], m[33 + i][k]);
      // No coefficient of rows 0 to 15 is zero.
      mostZeros = std::max(mostZeros, std::countr_zero(static_cast<std::uint32_t>(m[i][k])));
    }
    t.exactBits[k] = 15 - mostZeros;
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
  return t;
}

const Tables& SharedTables() {
  static const Tables tables = BuildTables();
  return tables;
}

inline __m128i Load(const std::int32_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }
inline __m128i LoadUnaligned(const std::int32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void StoreUnaligned(std::int32_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
inline __m128i Reversed(__m128i v) { return _mm_shuffle_epi32(v, _MM_SHUFFLE(0, 1, 2, 3)); }

// Adds one subband's products to rows 0 to 15 (acc[0..3]) and 33 to 48
// (acc[4..7]), s in [-65535, 65534].
[[gnu::always_inline]] inline void AddColumn(__m128i acc[8], const std::int32_t* pairs, std::int32_t s) {
  const std::int32_t s1 = s >> 1;
  const __m128i halves = _mm_set1_epi32(PairOf(s1, s - s1));
  for (int r = 0; r < 8; ++r) {
    const __m128i products = _mm_madd_epi16(Load(pairs + 4 * r), halves);
    acc[r] = _mm_add_epi32(acc[r], _mm_srai_epi32(products, 15));
  }
}

// The same for a sample outside that range (only 65536 is reachable), one
// 64-bit product at a time.
void AddColumnWide(__m128i acc[8], int k, std::int32_t s) {
  const layer2::SynthesisMatrix& m = layer2::Matrix();
  alignas(16) std::int32_t rows[32];
  for (int r = 0; r < 8; ++r) _mm_store_si128(reinterpret_cast<__m128i*>(rows + 4 * r), acc[r]);
  for (int i = 0; i < 16; ++i) {
    rows[i] += static_cast<std::int32_t>((std::int64_t{m[i][k]} * s) >> 15);
    rows[16 + i] += static_cast<std::int32_t>((std::int64_t{m[33 + i][k]} * s) >> 15);
  }
  for (int r = 0; r < 8; ++r) acc[r] = Load(rows + 4 * r);
}

// Matrixes one channel's slot into the ring at `ring` (and its copy 1,024
// further on).
void MatrixSlot(const Tables& t, const std::int32_t* samples, int sblimit, std::int32_t* ring) {
  __m128i acc[8];
  for (__m128i& a : acc) a = _mm_setzero_si128();
  // Products of rows 0 to 15 that are multiples of 32768, per row.
  alignas(16) std::int32_t exact[16] = {};
  std::int32_t used = 0;
  for (int k = 0; k < sblimit; ++k) {
    const std::int32_t s = samples[k];
    if (s == 0) continue;
    ++used;
    if (s >= -65535 && s <= 65534) {
      AddColumn(acc, t.matrix[k], s);
    } else {
      AddColumnWide(acc, k, s);
    }
    if (std::countr_zero(static_cast<std::uint32_t>(s)) >= t.exactBits[k]) {
      const layer2::SynthesisMatrix& m = layer2::Matrix();
      for (int i = 0; i < 16; ++i) exact[i] += ((std::int64_t{m[i][k]} * s) & 0x7FFF) == 0;
    }
  }
  const __m128i usedLanes = _mm_set1_epi32(used);
  for (std::int32_t* copy : {ring, ring + 1024}) {
    for (int r = 0; r < 4; ++r) {
      // Row 32 - i from row i; rows 17 to 32 run backwards.
      const __m128i negated = _mm_sub_epi32(_mm_sub_epi32(Load(exact + 4 * r), usedLanes), acc[r]);
      StoreUnaligned(copy + 4 * r, acc[r]);
      StoreUnaligned(copy + 29 - 4 * r, Reversed(negated));
      StoreUnaligned(copy + 33 + 4 * r, acc[4 + r]);
      // Rows 48 to 63 are rows 48 down to 33.
      StoreUnaligned(copy + 60 - 4 * r, Reversed(acc[4 + r]));
    }
    copy[16] = 0;
  }
}

// u * d >> 15 for four ring values against four window coefficients.
[[gnu::always_inline]] inline __m128i WindowProducts(__m128i u, const Tables& t, int n, bool wide) {
  // (low 15 bits, the rest) as a 16-bit pair in each lane.
  const __m128i split = _mm_add_epi32(u, _mm_and_si128(u, _mm_set1_epi32(-32768)));
  __m128i low = _mm_madd_epi16(split, Load(t.windowLow + n));
  __m128i high = _mm_madd_epi16(split, Load(t.windowHigh + n));
  if (wide) {
    low = _mm_add_epi32(low, _mm_madd_epi16(split, Load(t.windowLowSecond + n)));
    high = _mm_add_epi32(high, _mm_madd_epi16(split, Load(t.windowHighSecond + n)));
  }
  return _mm_add_epi32(_mm_srai_epi32(low, 15), high);
}

// Windows one channel's ring into 32 sums, clipped to 16 bits in 4 registers.
void WindowSlot(const Tables& t, const std::int32_t* v, int offset, __m128i out[4]) {
  __m128i sum[8];
  for (__m128i& s : sum) s = _mm_setzero_si128();
  for (int i = 0; i < 16; ++i) {
    const std::int32_t* u = v + offset + 64 * i + 32 * (i & 1);
    const bool wide = t.wideRow[i];
    for (int g = 0; g < 8; ++g) {
      sum[g] = _mm_add_epi32(sum[g], WindowProducts(Load(u + 4 * g), t, 32 * i + 4 * g, wide));
    }
  }
  for (int g = 0; g < 4; ++g) out[g] = _mm_packs_epi32(sum[2 * g], sum[2 * g + 1]);
}

}  // namespace

void SynthesizeFrameSse2(SynthesisState* state, const FrameSamples& frame, int channels, int sblimit,
                         std::uint8_t* output) {
  const Tables& t = SharedTables();
  for (int slot = 0; slot < kSlotsPerFrame; ++slot) {
    state->offset = (state->offset - 64) & 1023;
    __m128i pcm[2][4];
    for (int ch = 0; ch < channels; ++ch) {
      MatrixSlot(t, frame.s[ch][slot], sblimit, state->v[ch] + state->offset);
      WindowSlot(t, state->v[ch], state->offset, pcm[ch]);
    }
    const __m128i(&right)[4] = pcm[channels - 1];
    auto* out = reinterpret_cast<__m128i*>(output + slot * 32 * 4);
    for (int g = 0; g < 4; ++g) {
      _mm_storeu_si128(out + 2 * g, _mm_unpacklo_epi16(pcm[0][g], right[g]));
      _mm_storeu_si128(out + 2 * g + 1, _mm_unpackhi_epi16(pcm[0][g], right[g]));
    }
  }
}

}  // namespace reelpack

#endif
