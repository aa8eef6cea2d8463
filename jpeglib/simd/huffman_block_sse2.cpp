// SSE2 forms of the block Huffman coders: the block is read once in zigzag
// order into registers, and a 64-bit mask of the non-zero positions drives
// the coding, so zero runs cost nothing.
#include "jpeglib/simd/simd_kernels.h"

#if defined(__SSE2__)

#include <cstdlib>
#include <utility>

#include "jpeglib/simd/huffman_bits.h"
#include "jpeglib/simd/sse2_util.h"

namespace {

using sse2_util::load;
using sse2_util::store;

struct ZigzagScan {
  alignas(16) std::int16_t values[64];
  std::uint64_t nonZero;  // bit k: zigzag position k is not zero
};

// Eight coefficients in zigzag order from position First, inserted lane by
// lane (the lane numbers must be constants).
template <int First, std::size_t... Lane>
[[gnu::always_inline]] inline __m128i gatherZigzag(const std::int16_t* block, std::index_sequence<Lane...>) {
  __m128i values = _mm_setzero_si128();
  ((values = _mm_insert_epi16(values, block[kZigzagToNatural[First + Lane]], Lane)), ...);
  return values;
}

template <std::size_t... Row>
[[gnu::always_inline]] inline void gatherBlock(const std::int16_t* block, __m128i rows[8], std::index_sequence<Row...>) {
  ((rows[Row] = gatherZigzag<Row * 8>(block, std::make_index_sequence<8>())), ...);
}

[[gnu::always_inline]] inline void scanZigzag(const std::int16_t block[64], int dcDifference, ZigzagScan& scan) {
  __m128i rows[8];
  gatherBlock(block, rows, std::make_index_sequence<8>());
  rows[0] = _mm_insert_epi16(rows[0], static_cast<std::int16_t>(dcDifference), 0);
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t zeroMask = 0;
  for (int r = 0; r < 8; r += 2) {
    const __m128i isZero = _mm_packs_epi16(_mm_cmpeq_epi16(rows[r], zero), _mm_cmpeq_epi16(rows[r + 1], zero));
    zeroMask |= static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(isZero))) << (r * 8);
    store(scan.values + r * 8, rows[r]);
    store(scan.values + r * 8 + 8, rows[r + 1]);
  }
  scan.nonZero = ~zeroMask;
}

// Category of a non-zero 16-bit value.
inline int categoryOf(std::int16_t value) {
  return huffman_bits::category(static_cast<std::uint16_t>(value < 0 ? -value : value));
}

}  // namespace

void collectNonZeroMmx(const std::int16_t block[64], int dcDifference, JpegNonZeroList& list) {
  ZigzagScan scan;
  scanZigzag(block, dcDifference, scan);
  int count = 0, previous = -1;
  for (std::uint64_t mask = scan.nonZero; mask != 0; mask &= mask - 1) {
    const int k = __builtin_ctzll(mask);
    const std::int16_t value = scan.values[k];
    list.valueBits[count] = huffman_bits::valueBits(value);
    list.category[count] = static_cast<std::uint16_t>(categoryOf(value));
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
  auto send = [&](const JpegHuffmanCodes& table, int symbol, int value, int size)
                  __attribute__((always_inline)) -> JPEG_STATUS {
    std::uint32_t bits;
    int length;
    if (!huffman_bits::symbolBits(table, symbol, static_cast<std::uint16_t>(value), size, bits, length)) {
      return JPEG_BAD_HUFFMAN_TABLE;
    }
    return putBitsSse(held, bits, length, out);
  };
  const int dcSize = scan.values[0] == 0 ? 0 : categoryOf(scan.values[0]);
  if (JPEG_STATUS status = send(dc, dcSize, huffman_bits::valueBits(scan.values[0]), dcSize)) return status;
  int previous = 0;
  for (std::uint64_t mask = scan.nonZero & ~1ull; mask != 0; mask &= mask - 1) {
    const int k = __builtin_ctzll(mask);
    int run = k - previous - 1;
    for (; run > 15; run -= 16) {
      if (JPEG_STATUS status = send(ac, 0xF0, 0, 0)) return status;
    }
    const int size = categoryOf(scan.values[k]);
    if (JPEG_STATUS status = send(ac, (run << 4) | size, huffman_bits::valueBits(scan.values[k]), size)) return status;
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
