// The plain per-block kernels of the decoder: the entropy bit reader and
// Huffman decoding tables, baseline and progressive block decoding, the
// dequantisers and the inverse DCTs (full size and the 1/2, 1/4 and 1/8
// reduced forms) of both DCT methods.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/base/win_types.h"
#include "jpeglib/jpeg_api.h"

inline constexpr std::size_t kJpegInputStagingSize = 4096;

// The fast block decoders' look-ahead: per 9-bit prefix, the symbol (bits
// 8-15) and the length (bits 16-19, 0 when the code is longer) of the code
// it starts with; when that symbol's value bits (its low 4 bits) also fit,
// code and value bits together (bits 0-5, else 0; a shift by the entry
// takes them) and the extended value (bits 20-31, signed).
inline constexpr int kJpegFastLookBits = 9;

struct JpegHuffmanDecodeTable {
  std::uint8_t lookLength[256];  // 0: the code is longer than 8 bits
  std::uint8_t lookSymbol[256];
  std::uint32_t fastLook[1 << kJpegFastLookBits];
  std::int32_t maxCode[17];  // per length 1..16, -1 when none
  std::int32_t minCode[17];
  std::int32_t firstIndex[17];
  std::uint8_t values[256];
};

// -6 for more than 256 values or counts that over-fill a code length.
JPEG_STATUS jpegBuildDecodeTable(const std::uint8_t counts[16], const std::uint8_t* values,
                                 JpegHuffmanDecodeTable& table);

// Entropy-coded input from a memory buffer or a file.
struct JpegInputStream {
  std::uint64_t bits = 0;  // left-aligned
  int bitCount = 0;
  const std::uint8_t* position = nullptr;
  std::size_t bytesLeft = 0;
  std::size_t bytesConsumed = 0;
  int marker = 0;  // marker met in the data, 0 = none
  bool atEnd = false;  // the data have ended (memory used up or the file's end read)
  HANDLE file = nullptr;
  std::uint8_t staging[kJpegInputStagingSize];
};

void inputBeginBuffer(JpegInputStream& in, const std::uint8_t* data, std::size_t size);
void inputBeginFile(JpegInputStream& in, HANDLE file);
// Next input byte: 1 when there is one, 0 at the end of the data (the file's
// end included), -23 when a file read fails.
int inputNextByte(JpegInputStream& in, std::uint8_t& byte);

// Status of the bit reader when the data stop (a marker or the end of the
// input) before the bits asked for: the block ends without error.
inline constexpr JPEG_STATUS kJpegBitsExhausted = 100;

// Loads ordinary bytes from the window (up to 56 bits held), then past a
// 0xFF or the window's end until `n` bits are held: 0 when they are,
// kJpegBitsExhausted when a marker or the data's end came first, -21 when
// the data end right after a 0xFF byte, -23 when a file cannot be read.
JPEG_STATUS fillBits(JpegInputStream& in, int n);
// The next n (1..16) bits; fillBits has made them available.
std::uint32_t getBits(JpegInputStream& in, int n);
// Decodes one symbol (>= 0), or returns a negative status or
// -kJpegBitsExhausted when the data stop inside the code.
int decodeSymbol(JpegInputStream& in, const JpegHuffmanDecodeTable& table);

// Baseline block decoding (T.81 F.2.2). A marker or the end of the data ends
// the block without error, keeping what it has; runs past position 63 stay
// inside the block. decodeBlockDcOnly keeps the DC value only.
JPEG_STATUS decodeBlockHuffman(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                               const JpegHuffmanDecodeTable& ac, std::int16_t& predictor,
                               std::int16_t block[64]);
JPEG_STATUS decodeBlockDcOnly(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                              const JpegHuffmanDecodeTable& ac, std::int16_t& predictor,
                              std::int16_t block[64]);
// Goes on with a block whose coefficients before zigzag position `k` (0:
// none, the DC value included) are decoded, by the rules above.
JPEG_STATUS decodeBlockFrom(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                            const JpegHuffmanDecodeTable& ac, std::int16_t& predictor, std::int16_t block[64],
                            int k, bool keepAc);
// The value of `size` (1..16) received bits (T.81 F.2.2.1).
inline int jpegExtendReceived(int bits, int size) {
  return bits < (1 << (size - 1)) ? bits - (1 << size) + 1 : bits;
}

// Progressive decoding (T.81 G.2). `eobRun` counts the blocks still inside
// an end-of-band run.
JPEG_STATUS decodeDcFirst(JpegInputStream& in, const JpegHuffmanDecodeTable& dc, std::int16_t block[64],
                          std::int16_t& predictor, int al);
JPEG_STATUS decodeDcRefine(JpegInputStream& in, std::int16_t block[64], int al);
JPEG_STATUS decodeAcFirst(JpegInputStream& in, std::int16_t block[64], const JpegHuffmanDecodeTable& ac, int ss,
                          int se, int al, int& eobRun);
JPEG_STATUS decodeAcRefine(JpegInputStream& in, std::int16_t block[64], const JpegHuffmanDecodeTable& ac,
                           int ss, int se, int al, int& eobRun);

// Dequantiser tables from a DQT table in zigzag order: natural order
// followed by 16 cleared entries. Method 1 keeps the values; method 0 folds
// the fast inverse DCT's scale in.
void prepareDequantTablePlain(const std::uint16_t zigzag[64], std::int32_t table[80]);
void prepareDequantTableScaled(const std::uint16_t zigzag[64], std::int32_t table[80]);
// A method-1 table's entries cut to their low 16 bits: all a product's low
// 16 bits depend on, for kernels that multiply in 16-bit lanes.
void prepareDequantFactors(const std::int32_t table[80], std::int16_t factors[64]);
void dequantizeAccurate(std::int16_t block[64], const std::int32_t table[80]);
void dequantizeFast(std::int16_t block[64], const std::int32_t table[80]);

// Inverse DCTs in place: the first N x N values of the block receive the
// samples (level-shifted back and clamped to 0..255) in row order.
void idctFast(std::int16_t block[64]);
void idctFast4x4(std::int16_t block[64]);
void idctFast2x2(std::int16_t block[64]);
void idctFast1x1(std::int16_t block[64]);
void idctAccurate(std::int16_t block[64]);
void idctAccurate4x4(std::int16_t block[64]);
void idctAccurate2x2(std::int16_t block[64]);
void idctAccurate1x1(std::int16_t block[64]);
