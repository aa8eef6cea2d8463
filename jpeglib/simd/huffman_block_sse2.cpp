// SSE2 forms of the block Huffman coders: the block is read once in zigzag
// order, categories and value bits are formed eight lanes at a time, and a
// 64-bit mask of the non-zero positions drives the coding, so zero runs cost
// nothing.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include <cstdlib>

#include "jpeglib/simd/huffman_bits.h"
#include "jpeglib/simd/sse2_util.h"

namespace {

using sse2_util::load;
using sse2_util::store;

struct ZigzagScan {
  alignas(16) std::int16_t valueBits[64];
  alignas(16) std::int16_t category[64];
  std::uint64_t nonZero;  // bit k: zigzag position k is not zero
};

// Category of each lane from the exponent of its magnitude as a float
// (exact up to 32768), 0 where the lane is zero.
inline __m128i laneCategories(__m128i values, __m128i zero) {
  const __m128i negated = _mm_sub_epi16(zero, values);
  const __m128i magnitude = _mm_max_epi16(values, negated);  // -32768 stays, read as unsigned below
  const __m128i bias = _mm_set1_epi32(126);
  auto half = [&](__m128i words) {
    const __m128i exponent = _mm_srli_epi32(_mm_castps_si128(_mm_cvtepi32_ps(words)), 23);
    const __m128i isZero = _mm_cmpeq_epi32(words, zero);
    return _mm_andnot_si128(isZero, _mm_sub_epi32(exponent, bias));
  };
  return _mm_packs_epi32(half(_mm_unpacklo_epi16(magnitude, zero)), half(_mm_unpackhi_epi16(magnitude, zero)));
}

void scanZigzag(const std::int16_t block[64], int dcDifference, ZigzagScan& scan) {
  alignas(16) std::int16_t zigzag[64];
  zigzag[0] = static_cast<std::int16_t>(dcDifference);
  for (int k = 1; k < 64; ++k) zigzag[k] = block[kZigzagToNatural[k]];
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t zeroMask = 0;
  for (int i = 0; i < 64; i += 16) {
    const __m128i first = load(zigzag + i), second = load(zigzag + i + 8);
    const __m128i isZero = _mm_packs_epi16(_mm_cmpeq_epi16(first, zero), _mm_cmpeq_epi16(second, zero));
    zeroMask |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(isZero))) << i;
    for (int h = 0; h < 2; ++h) {
      const __m128i values = h == 0 ? first : second;
      store(scan.category + i + 8 * h, laneCategories(values, zero));
      store(scan.valueBits + i + 8 * h, _mm_add_epi16(values, _mm_srai_epi16(values, 15)));
    }
  }
  scan.nonZero = ~zeroMask;
}

}  // namespace

void collectNonZeroMmx(const std::int16_t block[64], int dcDifference, JpegNonZeroList& list) {
  ZigzagScan scan;
  scanZigzag(block, dcDifference, scan);
  int count = 0, previous = -1;
  for (std::uint64_t mask = scan.nonZero; mask != 0; mask &= mask - 1) {
    const int k = __builtin_ctzll(mask);
    list.valueBits[count] = static_cast<std::uint16_t>(scan.valueBits[k]);
    list.category[count] = static_cast<std::uint16_t>(scan.category[k]);
    list.zerosBefore[count] = static_cast<std::uint32_t>(k - previous - 1);
    previous = k;
    ++count;
  }
  list.count = count;
  list.trailingZeros = 63 - previous;
}

JPEG_STATUS encodeBlockHuffmanMmx(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                                  std::int16_t& predictor, const std::int16_t block[64]) {
  const int diff = block[0] - predictor;
  predictor = block[0];
  JpegNonZeroList list;
  collectNonZeroMmx(block, diff, list);
  return codeNonZeroList(out, dc, ac, list);
}

namespace {

JPEG_STATUS walkMask(JpegHeldBits& held, JpegOutputStream& out, const JpegHuffmanCodes& dc,
                     const JpegHuffmanCodes& ac, const ZigzagScan& scan) {
  auto send = [&](const JpegHuffmanCodes& table, int symbol, int value, int size) -> JPEG_STATUS {
    std::uint32_t bits;
    int length;
    if (!huffman_bits::symbolBits(table, symbol, static_cast<std::uint16_t>(value), size, bits, length)) {
      return JPEG_BAD_HUFFMAN_TABLE;
    }
    return putBitsSse(held, bits, length, out);
  };
  if (JPEG_STATUS status = send(dc, scan.category[0], scan.valueBits[0], scan.category[0])) return status;
  int previous = 0;
  for (std::uint64_t mask = scan.nonZero & ~1ull; mask != 0; mask &= mask - 1) {
    const int k = __builtin_ctzll(mask);
    int run = k - previous - 1;
    for (; run > 15; run -= 16) {
      if (JPEG_STATUS status = send(ac, 0xF0, 0, 0)) return status;
    }
    const int size = scan.category[k];
    if (JPEG_STATUS status = send(ac, (run << 4) | size, scan.valueBits[k], size)) return status;
    previous = k;
  }
  return previous != 63 ? send(ac, 0x00, 0, 0) : JPEG_SUCCESS;
}

}  // namespace

JPEG_STATUS encodeBlockSse(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                           std::int16_t& predictor, const std::int16_t block[64]) {
  const int diff = block[0] - predictor;
  predictor = block[0];
  ZigzagScan scan;
  scanZigzag(block, diff, scan);
  JpegHeldBits held{out.accumulator, out.bitsHeld};
  const JPEG_STATUS status = walkMask(held, out, dc, ac, scan);
  out.accumulator = held.accumulator;
  out.bitsHeld = held.held;
  return status;
}

#else  // no SSE2: the portable forms define the results

void collectNonZeroMmx(const std::int16_t block[64], int dcDifference, JpegNonZeroList& list) {
  simd_portable::collectNonZeroMmx(block, dcDifference, list);
}
JPEG_STATUS encodeBlockHuffmanMmx(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                                  std::int16_t& predictor, const std::int16_t block[64]) {
  return simd_portable::encodeBlockHuffmanMmx(out, dc, ac, predictor, block);
}
JPEG_STATUS encodeBlockSse(JpegOutputStream& out, const JpegHuffmanCodes& dc, const JpegHuffmanCodes& ac,
                           std::int16_t& predictor, const std::int16_t block[64]) {
  return simd_portable::encodeBlockSse(out, dc, ac, predictor, block);
}

#endif
