// Encoder and decoder-output kernels of the SIMD processor classes (3 MMX, 4 MMX-2, 5 SSE,
// 6 SSE2). Each kernel is defined by its 16-bit lane arithmetic: the forms in
// namespace simd_portable compute it in plain C++ on any host, the kernels
// outside it run the same lanes in SSE2 registers where the host has them and
// give the same results bit for bit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/jpeg_output.h"
#include "jpeglib/jpeg_tables.h"

// ---- forward DCT and quantisation --------------------------------------
// Kind 1: columns then rows, 16-bit saturating column pass with tangent
// constants, 32-bit row dot products with per-row weight sets. The MMX and
// SSE members shift the samples before the first butterfly, the SSE2 member
// after it (different only where a sum saturates).
void fdctBlockMmx(std::int16_t block[64]);
void fdctBlockSse(std::int16_t block[64]);
void fdctBlockSse2(std::int16_t block[64]);
// Kind 0: scaled AAN transform in wrapping 16-bit lanes, rows then columns.
void fdctAanBlockMmx(std::int16_t block[64]);
// Kind 1: ((mulhi(c << 3, r >> 1)) + 1) >> 1 with the unsigned reciprocals.
void quantizeBlockMmx(std::int16_t block[64], const std::uint16_t reciprocals[64]);
void quantizeBlockSse(std::int16_t block[64], const std::uint16_t reciprocals[64]);
void quantizeBlockSse2(std::int16_t block[64], const std::uint16_t reciprocals[64]);
// Kind 0: clamp to -8192..8191, then ((mulhi(c << 2, r)) + 1) >> 1 with the
// signed reciprocals.
void quantizeBlockSimd(std::int16_t block[64], const std::uint16_t reciprocals[64]);

// ---- Huffman block coders -----------------------------------------------
// Non-zero coefficients of a block in zigzag order (DC position holding the
// DC difference): value bits (v, or v - 1 when negative), zeros before each
// entry, category; then the count and the zeros after the last entry.
struct JpegNonZeroList {
  std::uint16_t valueBits[64];
  std::uint32_t zerosBefore[64];
  std::uint16_t category[64];
  int count;
  int trailingZeros;
};
void collectNonZeroMmx(const std::int16_t block[64], int dcDifference, JpegNonZeroList& list);
// Classes 3, 4 and 6: codes the list through the accumulator writer.
JPEG_STATUS encodeBlockHuffmanMmx(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                                  std::int16_t& predictor, const std::int16_t block[64]);
// Class 5: walks the block with its own writer, whose accumulator stays in a
// register across the block and is stored back at every exit.
JPEG_STATUS encodeBlockSse(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                           std::int16_t& predictor, const std::int16_t block[64]);

// ---- colour conversion and down-sampling --------------------------------
// Level-shifted samples from whole MCUs; blocks of 64 samples, 8 per row.
#include "jpeglib/simd/colour_kernel_declarations.inc"
// Packed Y0 Cb Y1 Cr, 16 x 8 pixels: every byte - 128 into two luma blocks,
// Cb and Cr. The two class forms give identical samples.
void splitPackedYcc422Mmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                          std::int16_t* cr);
void splitPackedYcc422Sse(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                          std::int16_t* cr);
// One byte per pixel, 8 x 8: byte - 128.
void levelShiftGreyBlockMmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* block);

// Full-MCU table entries of the SIMD classes (pixels, stride, the MCU's
// blocks in order), each handing the MCU to the kernels above.
void convertRgbBlockSimd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertBgrBlockSimd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbBlock422Simd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertBgrBlock422Simd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbBlock411Simd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertBgrBlock411Simd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbaBlockSimd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbaBlock422Simd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void convertRgbaBlock411Simd(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void unpackBlock422Mmx(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);
void unpackBlock422Sse(const std::uint8_t* pixels, std::ptrdiff_t stride, std::int16_t* blocks);

// ---- decoder Huffman blocks ----------------------------------------------
// The plain block decoders' results (decodeBlockHuffman, decodeBlockDcOnly),
// coefficients, predictor, status and the bits taken, computed faster.
JPEG_STATUS decodeBlockMmxCmov(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                               const JpegHuffmanDecodeTable& ac, std::int16_t& predictor, std::int16_t block[64]);
JPEG_STATUS skipBlockMmx(JpegInputStream& in, const JpegHuffmanDecodeTable& dc, const JpegHuffmanDecodeTable& ac,
                         std::int16_t& predictor, std::int16_t block[64]);

// ---- decoder dequantisation and inverse DCT ------------------------------
// The plain accurate dequantiser's results (the low 16 bits of each product).
void dequantizeBlockSse2(std::int16_t block[64], const std::int32_t table[80]);
// Kind 1 at full size in 16-bit lanes (simd/idct_lanes.h); class 6 in SSE2
// registers, classes 3 to 5 by the portable form.
void idctBlockSse2(std::int16_t block[64]);
// The whole kind-1 block step of class 6: dequantise by the table's 16-bit
// factors (prepareDequantFactors; the block is left as it was), transform
// and store the 8 x 8 samples as bytes, rows `stride` apart.
void transformBlockSse2(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                        std::ptrdiff_t stride);
// The same step by AVX2, for class 6 where the processor has it.
void transformBlockAvx2(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                        std::ptrdiff_t stride);

// ---- decoder output ------------------------------------------------------
// Whole 4:2:0 MCUs into three-byte pixels by the lane colour arithmetic
// (jpeg_ycc_colour.h); class 6 runs it in SSE2 registers.
void writeBgr420Sse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride);
void writeRgb420Sse2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride);
// The same pixels by AVX2, for class 6 where the processor has it.
void writeBgr420Avx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride);
void writeRgb420Avx2(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr, std::ptrdiff_t planeStride,
                     std::uint8_t* out, std::ptrdiff_t stride);

namespace simd_portable {

void fdctBlockMmx(std::int16_t block[64]);   // also the arithmetic of fdctBlockSse
void fdctBlockSse2(std::int16_t block[64]);
void fdctAanBlockMmx(std::int16_t block[64]);
void quantizeBlockMmx(std::int16_t block[64], const std::uint16_t reciprocals[64]);  // all kind-1 members
void quantizeBlockSimd(std::int16_t block[64], const std::uint16_t reciprocals[64]);

void collectNonZeroMmx(const std::int16_t block[64], int dcDifference, JpegNonZeroList& list);
JPEG_STATUS encodeBlockHuffmanMmx(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                                  std::int16_t& predictor, const std::int16_t block[64]);
JPEG_STATUS encodeBlockSse(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                           std::int16_t& predictor, const std::int16_t block[64]);

#include "jpeglib/simd/colour_kernel_declarations.inc"
void splitPackedYcc422Mmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                          std::int16_t* cr);  // also the samples of splitPackedYcc422Sse
void levelShiftGreyBlockMmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* block);

void idctBlockLanes(std::int16_t block[64]);
void transformBlockLanes(const std::int16_t block[64], const std::int16_t factors[64], std::uint8_t* out,
                         std::ptrdiff_t stride);
void writeBgr420Lanes(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride);
void writeRgb420Lanes(const std::uint8_t* y, const std::uint8_t* cb, const std::uint8_t* cr,
                      std::ptrdiff_t planeStride, std::uint8_t* out, std::ptrdiff_t stride);

}  // namespace simd_portable
