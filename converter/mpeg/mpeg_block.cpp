#include "converter/mpeg/mpeg_block.h"

#include <algorithm>

#include "common/zigzag.h"

namespace reelpack {

int decodeCoefficient(MPEG_BIT_STREAM& stream, const MpegVlcTable& table, int* run, int* level) {
  // The code and the sign bit after it in one peek.
  const int bits = table.maxLength();
  const std::uint32_t peek = bitsPeek(stream, bits + 1);
  int length;
  const int value = table.lookup(peek >> 1, &length);
  if (value == MpegVlcTable::kNoEntry) return -1;
  if (value == kCoefficientEndOfBlock) {
    bitsSkip(stream, length);
    return 0;
  }
  if (value == kCoefficientEscape) {
    bitsSkip(stream, length);
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
  bitsSkip(stream, length + 1);
  *run = value >> 8;
  *level = (peek >> (bits - length)) & 1 ? -(value & 0xFF) : (value & 0xFF);
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
  const MpegVlcTable& next = coefficientTable(false);
  int run, level;
  for (int i = 1;; ++i) {
    if (decodeCoefficient(stream, next, &run, &level) <= 0) return 1;
    i += run;
    if (i > 63) return 0;
    const int k = kZigzagToNatural[i];
    block[k] = static_cast<std::int16_t>(dequantiseIntra(level, scaledIntra[k]));
  }
}

int decodeNonIntraBlock(MPEG_BIT_STREAM& stream, const std::uint16_t* scaledNonIntra, std::int16_t* block) {
  const MpegVlcTable& first = coefficientTable(true);
  const MpegVlcTable& next = coefficientTable(false);
  int run, level;
  for (int i = 0;; ++i) {
    if (decodeCoefficient(stream, i == 0 ? first : next, &run, &level) <= 0) return 1;
    i += run;
    if (i > 63) return 0;
    const int k = kZigzagToNatural[i];
    block[k] = static_cast<std::int16_t>(dequantiseNonIntra(level, scaledNonIntra[k]));
  }
}

}  // namespace reelpack
