// The inverse DCT in SSE2 registers: the same 16-bit arithmetic as the
// portable form, eight columns at a time.
#if defined(__SSE2__)

#include <emmintrin.h>

#include "converter/mpeg/mpeg_idct_tables.h"
#include "converter/mpeg/mpeg_video_kernels.h"

namespace reelpack {
namespace {

// The row tables with coefficients u and u + 1 interleaved per output, for
// multiply-add: [row table][u pair][output half] = x, x+1.. as (T[u][x], T[u+1][x]).
struct PairedTables {
  alignas(16) std::int16_t values[4][4][2][8];
};

const PairedTables& Paired() {
  static const PairedTables tables = [] {
    PairedTables t{};
    for (int table = 0; table < 4; ++table)
      for (int pair = 0; pair < 4; ++pair)
        for (int half = 0; half < 2; ++half)
          for (int i = 0; i < 4; ++i) {
            const int x = 4 * half + i;
            t.values[table][pair][half][2 * i] = static_cast<std::int16_t>(idctRowTable(table)[2 * pair][x]);
            t.values[table][pair][half][2 * i + 1] = static_cast<std::int16_t>(idctRowTable(table)[2 * pair + 1][x]);
          }
    return t;
  }();
  return tables;
}

inline __m128i Load(const std::int16_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); }

__m128i Row(const std::int16_t* row, int table) {
  const PairedTables& t = Paired();
  const __m128i coefficients = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
  __m128i low = _mm_set1_epi32(1024), high = low;
  // Coefficients 2 pair and 2 pair + 1 in every 32-bit lane.
  const __m128i pairs[4] = {_mm_shuffle_epi32(coefficients, 0x00), _mm_shuffle_epi32(coefficients, 0x55),
                            _mm_shuffle_epi32(coefficients, 0xAA), _mm_shuffle_epi32(coefficients, 0xFF)};
  for (int pair = 0; pair < 4; ++pair) {
    low = _mm_add_epi32(low, _mm_madd_epi16(pairs[pair], Load(t.values[table][pair][0])));
    high = _mm_add_epi32(high, _mm_madd_epi16(pairs[pair], Load(t.values[table][pair][1])));
  }
  return _mm_packs_epi32(_mm_srai_epi32(low, 11), _mm_srai_epi32(high, 11));
}

inline __m128i MulHigh(__m128i a, std::int16_t c) { return _mm_mulhi_epi16(a, _mm_set1_epi16(c)); }

}  // namespace

void inverseDctSse2(std::int16_t* block) {
  __m128i x[8];
  for (int r = 0; r < 8; ++r) x[r] = Row(block + 8 * r, kIdctRowTableOf[r]);

  const __m128i tp17 = _mm_adds_epi16(x[1], MulHigh(x[7], kIdctTan1));
  const __m128i tm17 = _mm_subs_epi16(MulHigh(x[1], kIdctTan1), x[7]);
  const __m128i tp35 = _mm_adds_epi16(x[3], _mm_adds_epi16(x[5], MulHigh(x[5], kIdctTan3m1)));
  const __m128i tm35 = _mm_subs_epi16(_mm_adds_epi16(x[3], MulHigh(x[3], kIdctTan3m1)), x[5]);
  const __m128i b0 = _mm_adds_epi16(tp17, tp35);
  const __m128i b3 = _mm_subs_epi16(tm17, tm35);
  const __m128i t = _mm_subs_epi16(tp17, tp35);
  const __m128i u = _mm_adds_epi16(tm17, tm35);
  const __m128i sum = _mm_adds_epi16(t, u);
  const __m128i diff = _mm_subs_epi16(t, u);
  const __m128i b1 = _mm_adds_epi16(sum, MulHigh(sum, kIdctCos4m1));
  const __m128i b2 = _mm_adds_epi16(diff, MulHigh(diff, kIdctCos4m1));

  const __m128i tp26 = _mm_adds_epi16(x[2], MulHigh(x[6], kIdctTan2));
  const __m128i tm26 = _mm_subs_epi16(MulHigh(x[2], kIdctTan2), x[6]);
  const __m128i tp04 = _mm_adds_epi16(x[0], x[4]);
  const __m128i tm04 = _mm_subs_epi16(x[0], x[4]);
  const __m128i a[4] = {_mm_adds_epi16(tp04, tp26), _mm_adds_epi16(tm04, tm26), _mm_subs_epi16(tm04, tm26),
                        _mm_subs_epi16(tp04, tp26)};
  const __m128i odd[4] = {b0, b1, b2, b3};
  const __m128i up = _mm_set1_epi16(32), down = _mm_set1_epi16(31);
  for (int i = 0; i < 4; ++i) {
    const __m128i top = _mm_srai_epi16(_mm_adds_epi16(_mm_adds_epi16(a[i], up), odd[i]), 6);
    const __m128i bottom = _mm_srai_epi16(_mm_subs_epi16(_mm_adds_epi16(a[i], down), odd[i]), 6);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * i), top);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(block + 8 * (7 - i)), bottom);
  }
}

}  // namespace reelpack

#endif
