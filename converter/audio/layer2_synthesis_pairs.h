// What the vector forms of the synthesis filter bank share: the matrix and
// window as 16-bit pairs for pmaddwd, and the scalar steps for the rare
// values the pairs do not cover.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace reelpack {

// Two 16-bit halves of one 32-bit lane, low first.
inline std::int32_t PairOf(std::int32_t low, std::int32_t high) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                                   (static_cast<std::uint32_t>(high) << 16));
}

struct SynthesisPairs {
  // Per subband: the pairs (m, m) of matrix rows 0 to 15, then of rows 33
  // to 48; against a sample split as (s >> 1, s - (s >> 1)) one pmaddwd
  // gives m * s.
  alignas(64) std::int32_t matrix[32][32];
  // Window coefficients d = first + second, each 16-bit, as the pairs
  // (first, 0), (0, first), (second, 0), (0, second); second is 0 but in
  // the rows whose coefficients reach beyond 16 bits. Against a ring value
  // held as the pair (u & 0x7FFF, u >> 15) they give the two products of
  // u * d >> 15 = (u >> 15) * d + ((u & 0x7FFF) * d >> 15).
  alignas(64) std::int32_t windowLow[512];
  alignas(64) std::int32_t windowHigh[512];
  alignas(64) std::int32_t windowLowSecond[512];
  alignas(64) std::int32_t windowHighSecond[512];
  bool wideRow[16];
  // Per subband: the low bits that must all be zero in a sample before one
  // of its products with rows 0 to 15 can be a multiple of 32768 (no
  // coefficient of those rows is zero).
  alignas(64) std::int32_t exactMasks[32];
};

const SynthesisPairs& SharedSynthesisPairs();

// One channel's time slot made ready for the vector matrixing: the subbands
// (bits of `paired`) whose non-zero samples pmaddwd takes, each sample split
// into `halves`, and the count of non-zero samples. `rare` marks a slot with
// samples pmaddwd does not take or whose products may be multiples of 32768;
// AddRareProducts then adds what they need.
struct ColumnPlan {
  std::uint32_t paired;
  std::int32_t used;
  bool rare;
  alignas(64) std::int32_t halves[32];
};
void PlanColumns(const std::int32_t* samples, int sblimit, ColumnPlan* plan);
// The same, eight subbands at a time; only where the processor has AVX2.
void PlanColumnsAvx2(const std::int32_t* samples, int sblimit, ColumnPlan* plan);

// Rows 0 to 15 and 33 to 48 (rows[0..15], rows[16..31]) are sums of the
// products of every subband, and the rows of the negated half follow from
// rows 0 to 15 as exact[i] - used - row[i]: (-p) >> 15 is -(p >> 15) - 1
// unless p is a multiple of 32768. This adds to `rows` the products of the
// samples pmaddwd does not take, one by one, and counts in `exact` the
// products of rows 0 to 15 that are multiples of 32768.
void AddRareProducts(const std::int32_t* samples, int sblimit, std::int32_t rows[32], std::int32_t exact[16]);

#if defined(__SSE2__)
// One time slot's 32 clipped samples per side, 8 per register, stored as
// interleaved little-endian pairs.
void StoreSlotPairs(const __m128i left[4], const __m128i right[4], std::uint8_t* out);
#endif

}  // namespace reelpack
