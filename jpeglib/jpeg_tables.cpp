#include "jpeglib/jpeg_tables.h"

#include <algorithm>
#include <cstring>

const std::uint8_t kJpegZigzagToNatural[64 + 16] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
    63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63, 63,
};

// Tables K.1 and K.2 of ITU-T T.81, in zigzag order.
const std::uint16_t kJpegLuminanceQuant[64] = {
    16, 11, 12, 14, 12, 10, 16, 14, 13, 14, 18,  17,  16,  19,  24,  40,
    26, 24, 22, 22, 24, 49, 35, 37, 29, 40, 58,  51,  61,  60,  57,  51,
    56, 55, 64, 72, 92, 78, 64, 68, 87, 69, 55,  56,  80,  109, 81,  87,
    95, 98, 103, 104, 103, 62, 77, 113, 121, 112, 100, 120, 92, 101, 103, 99,
};
const std::uint16_t kJpegChrominanceQuant[64] = {
    17, 18, 18, 24, 21, 24, 47, 26, 26, 47, 99, 66, 56, 66, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

// Tables K.3 to K.6.
const std::uint8_t kJpegDcLuminanceCounts[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
const std::uint8_t kJpegDcLuminanceValues[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const std::uint8_t kJpegDcChrominanceCounts[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
const std::uint8_t kJpegDcChrominanceValues[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
const std::uint8_t kJpegAcLuminanceCounts[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
const std::uint8_t kJpegAcLuminanceValues[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};
const std::uint8_t kJpegAcChrominanceCounts[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
const std::uint8_t kJpegAcChrominanceValues[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};

namespace {

// Scale of the fast forward DCT folded into its quantiser: 4096 / (a_r x a_c)
// per zigzag position.
constexpr std::uint16_t kFastDctScale[64] = {
    4096,  2953,  2953,  3134,  2129,  3134,  3483,  2260,  2260,  3483,  4096,  2511,  2399,
    2511,  4096,  5213,  2953,  2666,  2666,  2953,  5213,  7568,  3758,  3134,  2962,  3134,
    3758,  7568,  14846, 5456,  3990,  3483,  3483,  3990,  5456,  14846, 10703, 5792,  4433,
    4096,  4433,  5792,  10703, 11362, 6436,  5213,  5213,  6436,  11362, 12625, 7568,  6635,
    7568,  12625, 14846, 9632,  9632,  14846, 18895, 13984, 18895, 27432, 27432, 53810,
};

}  // namespace

int jpegHuffmanValueCount(const std::uint8_t counts[16]) {
  int total = 0;
  for (int i = 0; i < 16; ++i) total += counts[i];
  return total;
}

void jpegScaleQuantTable(int quality, const std::uint16_t base[64], std::uint16_t out[64]) {
  int scale;
  if (quality <= 0) {
    scale = 5000;
  } else if (quality > 100) {
    scale = 0;
  } else if (quality < 50) {
    scale = 5000 / quality;
  } else {
    scale = 200 - 2 * quality;
  }
  for (int i = 0; i < 64; ++i) {
    const long value = (static_cast<long>(scale) * base[i] + 50) / 100;
    out[i] = static_cast<std::uint16_t>(std::clamp(value, 1L, 255L));
  }
}

JPEG_STATUS jpegBuildHuffmanCodes(const std::uint8_t counts[16], const std::uint8_t* values,
                                  JpegHuffmanCodes& codes) {
  if (jpegHuffmanValueCount(counts) > 256) return JPEG_BAD_HUFFMAN_TABLE;
  std::memset(&codes, 0, sizeof codes);
  std::uint32_t code = 0;
  int index = 0;
  for (int length = 1; length <= 16; ++length) {
    for (int n = 0; n < counts[length - 1]; ++n, ++index, ++code) {
      // Counts that over-fill a code length leave no room for the code.
      if (code >= (1u << length)) return JPEG_BAD_HUFFMAN_TABLE;
      const std::uint8_t symbol = values[index];
      if (codes.length[symbol] != 0) return JPEG_BAD_HUFFMAN_TABLE;
      codes.length[symbol] = static_cast<std::uint32_t>(length);
      codes.code[symbol] = static_cast<std::uint16_t>(code);
    }
    code <<= 1;
  }
  return JPEG_SUCCESS;
}

void prepareQuantAccurate(const std::uint16_t scaled[64], std::uint16_t multipliers[64]) {
  for (int i = 0; i < 64; ++i) {
    multipliers[kJpegZigzagToNatural[i]] = static_cast<std::uint16_t>(32768u / scaled[i]);
  }
}

void prepareQuantFast(const std::uint16_t scaled[64], std::uint16_t multipliers[64]) {
  for (int i = 0; i < 64; ++i) {
    // The last entry's multiplier would not fit 16 signed bits for q = 1.
    const unsigned q = (i == 63 && scaled[i] < 2) ? 2u : scaled[i];
    multipliers[kJpegZigzagToNatural[i]] = static_cast<std::uint16_t>((q / 2 + kFastDctScale[i]) / q);
  }
}
