// Default quantisation and Huffman tables, quality scaling, canonical
// Huffman code building and the quantiser multiplier tables.
#pragma once

#include <cstdint>

#include "common/zigzag.h"

#include "jpeglib/jpeg_api.h"


extern const std::uint16_t kJpegLuminanceQuant[64];    // zigzag order
extern const std::uint16_t kJpegChrominanceQuant[64];  // zigzag order
extern const std::uint8_t kJpegDcLuminanceCounts[16];
extern const std::uint8_t kJpegDcLuminanceValues[12];
extern const std::uint8_t kJpegDcChrominanceCounts[16];
extern const std::uint8_t kJpegDcChrominanceValues[12];
extern const std::uint8_t kJpegAcLuminanceCounts[16];
extern const std::uint8_t kJpegAcLuminanceValues[162];
extern const std::uint8_t kJpegAcChrominanceCounts[16];
extern const std::uint8_t kJpegAcChrominanceValues[162];

// Per symbol its code length (0: symbol not in the table) and code.
struct JpegHuffmanCodes {
  std::uint32_t length[256];
  std::uint16_t code[256];
};

// Sum of the 16 code-length counts.
int jpegHuffmanValueCount(const std::uint8_t counts[16]);

// Scales a base table for `quality` into out (both zigzag), values 1..255.
void jpegScaleQuantTable(int quality, const std::uint16_t base[64], std::uint16_t out[64]);

// Canonical codes from the counts and values. -6 for more than 256 values,
// a count that over-fills its code length, or a value listed twice.
JPEG_STATUS jpegBuildHuffmanCodes(const std::uint8_t counts[16], const std::uint8_t* values,
                                  JpegHuffmanCodes& codes);

// Quantiser multipliers in natural order from a scaled table in zigzag order.
void prepareQuantAccurate(const std::uint16_t scaled[64], std::uint16_t multipliers[64]);
void prepareQuantFast(const std::uint16_t scaled[64], std::uint16_t multipliers[64]);
