// The "JBP1" picture record: the layout that the converter writes and the
// engine reads. A record holds the quantised DCT coefficients of a 4:2:0
// picture, re-coded with two Huffman codes built from symbol counts that the
// record carries:
//
//   0x00 header (JbpPictureHeader, 44 bytes)
//   0x2C 16 uint32 DC category counts
//   0x6C 256 uint32 AC symbol counts, packed byte-wise, padded to 4 bytes
//        luma and chroma quantisation tables, 64 bytes each, natural order
//        DC stream, then AC stream (32-bit little-endian words, bit 0 first)
//
// Numbers are little-endian. Macroblocks of 16 x 16 run in raster order, six
// blocks each: four luma quadrants, then Cb, then Cr.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/zigzag.h"

#include "common/byte_order.h"

inline constexpr std::size_t kJbpHeaderSize = 44;
inline constexpr std::size_t kJbpDcCountBytes = 16 * 4;
inline constexpr std::size_t kJbpAcCountBytes = 256 * 4;
// Every zero byte costs two bytes in the packed form: 1,024 zero-free bytes
// cost 1,024, alternating zero and non-zero bytes 1,536.
inline constexpr std::size_t kJbpMaxPackedAcCountBytes = 1536;
inline constexpr std::size_t kJbpQuantiserBytes = 64;

inline constexpr std::uint32_t kJbpFlagQuantisersPresent = 1u << 27;
inline constexpr std::uint32_t kJbpWriterFlags = kJbpFlagQuantisersPresent | 1u;
inline constexpr std::uint32_t kJbpSourceBitsPerPixel = 24;

inline constexpr int kJbpDcSymbols = 16;
inline constexpr int kJbpAcSymbols = 256;
inline constexpr int kJbpBlocksPerMacroblock = 6;
// Largest picture side either end accepts; keeps every size and count of a
// picture far inside 32 bits.
inline constexpr int kJbpMaxDimension = 4096;

struct JbpPictureHeader {
  std::uint32_t headerSize = kJbpHeaderSize;
  std::uint32_t flags = kJbpWriterFlags;
  std::uint32_t quality = 0;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint32_t bitsPerPixel = kJbpSourceBitsPerPixel;
  std::uint32_t dcStreamBytes = 0;
  std::uint32_t acStreamBytes = 0;
};

// Writes the 44 header bytes; the magic, the two reserved words and the last
// word are written as "JBP1", 0, 0 and 0.
void WriteJbpPictureHeader(const JbpPictureHeader& header, std::uint8_t* out);
// Reads the header of a record of the given length: false when the record is
// shorter than the header or does not start with "JBP1".
bool ReadJbpPictureHeader(const std::uint8_t* record, std::size_t length, JbpPictureHeader& header);


// Packs the 256 AC counts (as 1,024 little-endian bytes): a non-zero byte
// stands for itself, a zero byte is followed by n and stands for n + 1 zero
// bytes. out holds kJbpMaxPackedAcCountBytes; returns the packed length
// before padding.
std::size_t PackAcCounts(const std::uint32_t counts[256], std::uint8_t* out);
// Unpacks from at most `available` bytes; returns the bytes consumed (before
// padding), or 0 when the packed form runs past `available`. A zero run that
// would pass the 1,024th byte ends the table there.
std::size_t UnpackAcCounts(const std::uint8_t* packed, std::size_t available, std::uint32_t counts[256]);

inline constexpr std::size_t RoundUpToWord(std::size_t bytes) { return (bytes + 3) & ~std::size_t{3}; }
