// The plain per-block kernels of the encoder: forward DCTs, quantisers and
// the baseline Huffman block coder. Blocks are 64 signed 16-bit values in row
// order, transformed in place.
#pragma once

#include <cstdint>

#include "jpeglib/jpeg_output.h"
#include "jpeglib/jpeg_tables.h"

// Method 1: exact-integer separable DCT at the normalised scale of T.81 A.3.3.
void fdctAccurate(std::int16_t block[64]);
// Method 0: scaled Arai-Agui-Nakajima DCT; the scale is folded into the
// multipliers of prepareQuantFast.
void fdctFast(std::int16_t block[64]);

// c -> (c x m + 16384) >> 15 with the prepared multipliers (natural order).
void quantizeAccurate(std::int16_t block[64], const std::uint16_t multipliers[64]);
void quantizeFast(std::int16_t block[64], const std::uint16_t multipliers[64]);

// Codes one quantised block (T.81 F.1.2) through the byte-wise writer; the
// predictor takes the block's DC.
JPEG_STATUS encodeBlockHuffman(JpegOutputStream& out, const JpegHuffmanCodes& dc,
                               const JpegHuffmanCodes& ac, std::int16_t& predictor,
                               const std::int16_t block[64]);
// The bits encodeBlockHuffman would write for the block, added to `bits`
// (before byte stuffing); its status for a value the tables cannot code.
JPEG_STATUS countBlockHuffmanBits(const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac, std::int16_t& predictor,
                                  const std::int16_t block[64], std::uint64_t& bits);
