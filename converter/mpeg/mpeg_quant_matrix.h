// The quantiser matrices the macroblock layer works with, in natural (row
// by row) order, derived from the sequence header and a picture's quant
// matrix extension.
#pragma once

#include <cstdint>

#include "common/zigzag.h"

#include "converter/mpeg/mpeg_headers.h"

namespace reelpack {

// The default intra matrix of ISO/IEC 11172-2, natural order.
extern const std::uint8_t kMpegDefaultIntraMatrix[64];

struct MPEG_QUANT_MATRICES {
  std::uint16_t intra[64];
  std::uint16_t nonIntra[64];
  std::uint16_t chromaIntra[64];
  std::uint16_t chromaNonIntra[64];
};

// The sequence's intra matrix (or the default) into both intra slots, its
// non-intra matrix (or 16 everywhere) into both non-intra slots.
void quantMatricesFromSequence(const MPEG_SEQUENCE_HEADER& sequence, MPEG_QUANT_MATRICES& matrices);
// A picture's quant matrix extension replaces the slots it loads; a chroma
// slot it does not load takes a copy of the luma slot.
void quantMatricesFromPicture(const MPEG_PICTURE_HEADER& picture, MPEG_QUANT_MATRICES& matrices);

}  // namespace reelpack
