// Coefficient blocks of MPEG-1 video: the run/level codes, dequantisation
// with matrices already multiplied by the quantiser scale, oddification and
// the clamp to the transform's range.
#pragma once

#include <cstdint>

#include "converter/mpeg/mpeg_bit_reader.h"
#include "converter/mpeg/mpeg_vlc.h"

namespace reelpack {

// One run/level pair from the table (coefficientTable(first)): 1 with *run
// and the signed *level; 0 at end of block; -1 for bits that start no code
// (the block ends the same way).
int decodeCoefficient(MPEG_BIT_STREAM& stream, const MpegVlcTable& table, int* run, int* level);

// A dequantised value made odd (an even, non-zero value moves one step
// toward zero) and clamped to -2048..2047.
inline int oddifyAndClamp(int v) {
  if ((v & 1) == 0 && v != 0) v += v > 0 ? -1 : 1;
  return v < -2048 ? -2048 : v > 2047 ? 2047 : v;
}

// Intra reconstruction: scaled is the intra matrix times the quantiser scale.
inline int dequantiseIntra(int level, int scaled) { return oddifyAndClamp(scaled * level / 16); }
// Non-intra reconstruction; the division truncates toward zero.
inline int dequantiseNonIntra(int level, int scaled) {
  return oddifyAndClamp((2 * level + (level > 0 ? 1 : -1)) * scaled / 32);
}

// The blocks below are cleared by the caller and filled in natural order.
// Each returns 1 when the block is to be transformed and placed, 0 when it
// is dropped (a run past the last coefficient or a DC size with no code).

// predictor: the DC predictor of the block's component, updated.
int decodeIntraBlock(MPEG_BIT_STREAM& stream, const MpegVlcTable& dcSizeTable, int* predictor,
                     const std::uint16_t* scaledIntra, std::int16_t* block);
int decodeNonIntraBlock(MPEG_BIT_STREAM& stream, const std::uint16_t* scaledNonIntra, std::int16_t* block);

}  // namespace reelpack
