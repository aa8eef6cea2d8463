#include "converter/mpeg/mpeg_block.h"

#include <algorithm>

#include "common/zigzag.h"

namespace reelpack {

int decodeCoefficient(MPEG_BIT_STREAM& stream, bool first, int* run, int* level) {
  const int value = coefficientTable(first).decode(stream);
  if (value == MpegVlcTable::kNoEntry) return -1;
  if (value == kCoefficientEndOfBlock) return 0;
  if (value == kCoefficientEscape) {
    *run = static_cast<int>(bitsGet(stream, 6));
    const int byte = static_cast<int>(bitsGet(stream, 8));
    if (byte == 0x00) {
      *level = static_cast<int>(bitsGet(stream, 8));
    } else if (byte == 0x80) {
      *level = static_cast<int>(bitsGet(stream, 8)) - 256;
    } else {
      *level = byte < 128 ? byte : byte - 256;
    }
    return 1;
  }
  *run = value >> 8;
  *level = bitsGet(stream, 1) ? -(value & 0xFF) : (value & 0xFF);
  return 1;
}

int decodeIntraBlock(MPEG_BIT_STREAM& stream, const MpegVlcTable& dcSizeTable, int* predictor,
                     const std::uint16_t* scaledIntra, std::int16_t* block) {
  const int size = dcSizeTable.decode(stream);
  if (size == MpegVlcTable::kNoEntry) return 0;
  if (size > 0) {
    const int v = static_cast<int>(bitsGet(stream, size));
    *predictor += v >= (1 << (size - 1)) ? v : v - (1 << size) + 1;
  }
  block[0] = static_cast<std::int16_t>(std::clamp(*predictor * 8, -2048, 2047));
  int run, level;
  for (int i = 1;; ++i) {
    if (decodeCoefficient(stream, false, &run, &level) <= 0) return 1;
    i += run;
    if (i > 63) return 0;
    const int k = kZigzagToNatural[i];
    block[k] = static_cast<std::int16_t>(dequantiseIntra(level, scaledIntra[k]));
  }
}

int decodeNonIntraBlock(MPEG_BIT_STREAM& stream, const std::uint16_t* scaledNonIntra, std::int16_t* block) {
  int run, level;
  for (int i = 0;; ++i) {
    if (decodeCoefficient(stream, i == 0, &run, &level) <= 0) return 1;
    i += run;
    if (i > 63) return 0;
    const int k = kZigzagToNatural[i];
    block[k] = static_cast<std::int16_t>(dequantiseNonIntra(level, scaledNonIntra[k]));
  }
}

}  // namespace reelpack
