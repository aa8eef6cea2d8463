#include "converter/jbp1/jbp1_symbols.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/jbp1_format.h"

namespace reelpack {

namespace {

// For each row of a block and each set of its non-zero columns (bit c for
// column c), those coefficients as bits of their zigzag positions.
struct ZigzagRowMasks {
  std::uint64_t bits[8][256] = {};

  ZigzagRowMasks() {
    for (int k = 0; k < 64; ++k) {
      const int row = kZigzagToNatural[k] / 8;
      const int column = kZigzagToNatural[k] % 8;
      for (int columns = 0; columns < 256; ++columns) {
        if ((columns >> column & 1) != 0) bits[row][columns] |= std::uint64_t{1} << k;
      }
    }
  }
};

const ZigzagRowMasks kZigzagRowMasks;

// The non-zero coefficients of a block as bits of their zigzag positions.
std::uint64_t NonZeroZigzag(const std::int16_t block[64]) {
  std::uint64_t nonZero = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (int row = 0; row < 8; row += 2) {
    const __m128i upper = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * row));
    const __m128i lower = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 8 * row + 8));
    const __m128i zeros = _mm_packs_epi16(_mm_cmpeq_epi16(upper, zero), _mm_cmpeq_epi16(lower, zero));
    const unsigned columns = ~static_cast<unsigned>(_mm_movemask_epi8(zeros));
    nonZero |= kZigzagRowMasks.bits[row][columns & 0xFF] | kZigzagRowMasks.bits[row + 1][columns >> 8 & 0xFF];
  }
#else
  for (int row = 0; row < 8; ++row) {
    unsigned columns = 0;
    for (int column = 0; column < 8; ++column) columns |= unsigned{block[8 * row + column] != 0} << column;
    nonZero |= kZigzagRowMasks.bits[row][columns];
  }
#endif
  return nonZero;
}

}  // namespace

std::size_t CollectAcRuns(const std::int16_t block[64], JbpAcEntry* out) {
  // Walks the non-zero coefficients only, from the lowest position: most
  // blocks have few.
  std::uint64_t nonZero = NonZeroZigzag(block) & ~std::uint64_t{1};
  std::size_t written = 0;
  int next = 1;  // first position after the previous coefficient
  while (nonZero != 0) {
    const int k = std::countr_zero(nonZero);
    nonZero &= nonZero - 1;
    if (k > next) out[written++] = {kJbpRunEntry, k - next};
    const JbpCodedValue coded = SplitCoefficient(block[kZigzagToNatural[k]]);
    out[written++] = {coded.category, static_cast<std::int32_t>(coded.bits)};
    next = k + 1;
  }
  if (next < 64) out[written++] = {kJbpEndEntry, 0};
  return written;
}

}  // namespace reelpack
