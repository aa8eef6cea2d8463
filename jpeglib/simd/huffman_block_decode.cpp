// The SIMD classes' Huffman block decoders: the plain rules with the bit
// buffer held in registers, refilled several bytes at a time, and a 9-bit
// look-ahead that yields most AC coefficients (code and value bits) in one
// step. Bytes are taken early only where taking them cannot fail: ordinary
// bytes and 0xFF 0x00 pairs inside the window. When fewer bits than one
// coefficient may need are held after that, the plain decoder goes on with
// the block, so a marker, the data's end or a file read are met exactly as
// there.
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/zigzag.h"
#include "jpeglib/jpeg_decode_kernels.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

// Bits one coefficient can take: a 16-bit code and 16 value bits.
constexpr int kCoefficientBits = 32;

// The stream's bit reader in locals: few enough to stay in registers
// through a block. Bytes may be taken up to `limit`, the window's end, or
// where the reader stands when a marker is pending (none may be taken).
struct HeldBits {
  std::uint64_t bits;
  int count;
  const std::uint8_t* position;
  const std::uint8_t* limit;

  explicit HeldBits(const JpegInputStream& in)
      : bits(in.bits),
        count(in.bitCount),
        position(in.position),
        limit(in.marker != 0 ? in.position : in.position + in.bytesLeft) {}

  void storeTo(JpegInputStream& in) const {
    const auto taken = static_cast<std::size_t>(position - in.position);
    in.bits = bits;
    in.bitCount = count;
    in.position = position;
    in.bytesLeft -= taken;
    in.bytesConsumed += taken;
  }

  void take(int n) {
    bits <<= n;
    count -= n;
  }

  std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(bits >> (64 - n)); }

  // Appends data bytes while at most 56 bits are held and the next bytes
  // are safe to take.
  void refill() {
    while (count <= 56) {
      const std::ptrdiff_t left = limit - position;
      if (left >= 8) {
        std::uint64_t word;
        std::memcpy(&word, position, 8);
        // No 0xFF byte among the eight: take all that fit.
        const std::uint64_t ones = ~word;
        if (((ones - 0x0101010101010101ull) & ~ones & 0x8080808080808080ull) == 0) {
          const int bytes = (63 - count) >> 3;
          const int after = count + 8 * bytes;
          bits |= (__builtin_bswap64(word) >> count) & ~(~0ull >> after);
          count = after;
          position += bytes;
          return;
        }
      }
      if (left == 0) return;
      std::ptrdiff_t length = 1;
      if (position[0] == 0xFF) {
        if (left < 2 || position[1] != 0x00) return;
        length = 2;  // a stuffed 0xFF
      }
      bits |= static_cast<std::uint64_t>(position[0]) << (56 - count);
      count += 8;
      position += length;
    }
  }
};

// Zeroes the block by vector stores; a string store's start-up would cost
// more than the whole block.
[[gnu::always_inline]] inline void clearBlock(std::int16_t block[64]) {
#if defined(__SSE2__)
#pragma GCC unroll 8
  for (int i = 0; i < 64; i += 8) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + i), _mm_setzero_si128());
#else
  std::memset(block, 0, 64 * sizeof block[0]);
#endif
}

// A symbol by the 9-bit look-ahead, else the plain search from 9 bits (a
// code over 16 bits is symbol 0); at least 16 bits are held.
[[gnu::always_inline]] inline int symbolOf(HeldBits& held, const JpegHuffmanDecodeTable& table, std::uint32_t entry) {
  const int length = (entry >> 16) & 15;
  if (length != 0) {
    held.take(length);
    return static_cast<int>((entry >> 8) & 0xFF);
  }
  for (int n = kJpegFastLookBits; n <= 16; ++n) {
    const auto code = static_cast<std::int32_t>(held.peek(n));
    if (code <= table.maxCode[n]) {
      held.take(n);
      return table.values[table.firstIndex[n] + code - table.minCode[n]];
    }
  }
  held.take(16);
  return 0;
}

[[gnu::always_inline]] inline int receive(HeldBits& held, int size) {
  if (size == 0) return 0;
  const int value = jpegExtendReceived(static_cast<int>(held.peek(size)), size);
  held.take(size);
  return value;
}

template <bool KeepAc>
JPEG_STATUS decodeBlockFast(JpegInputStream& in, const JpegHuffmanDecodeTable& dc, const JpegHuffmanDecodeTable& ac,
                            std::int16_t& predictor, std::int16_t block[64]) {
  clearBlock(block);
  HeldBits held(in);
  held.refill();
  if (held.count < kCoefficientBits) {
    held.storeTo(in);
    return decodeBlockFrom(in, dc, ac, predictor, block, 0, KeepAc);
  }
  const int dcSize = symbolOf(held, dc, dc.fastLook[held.peek(kJpegFastLookBits)]);
  if (dcSize > 16) {
    held.storeTo(in);
    return JPEG_DATA_ERROR;
  }
  predictor = static_cast<std::int16_t>(predictor + receive(held, dcSize));
  block[0] = predictor;
  for (int k = 1; k < 64; ++k) {
    if (held.count < kCoefficientBits) {
      held.refill();
      if (held.count < kCoefficientBits) {
        held.storeTo(in);
        return decodeBlockFrom(in, dc, ac, predictor, block, k, KeepAc);
      }
    }
    const std::uint32_t entry = ac.fastLook[held.peek(kJpegFastLookBits)];
    if ((entry & 63) != 0) {
      // Code and value bits in the look-ahead.
      held.bits <<= entry & 63;
      held.count -= static_cast<int>(entry & 63);
      k += (entry >> 12) & 15;
      if (KeepAc) block[kZigzagToNatural[k]] = static_cast<std::int16_t>(static_cast<std::int32_t>(entry) >> 20);
      continue;
    }
    const int symbol = symbolOf(held, ac, entry);
    const int run = symbol >> 4, size = symbol & 15;
    if (size == 0) {
      if (run != 15) break;
      k += 15;
      continue;
    }
    k += run;  // at most 78: the zigzag table's padding keeps it in the block
    const int value = receive(held, size);
    if (KeepAc) block[kZigzagToNatural[k]] = static_cast<std::int16_t>(value);
  }
  held.storeTo(in);
  return JPEG_SUCCESS;
}

}  // namespace

JPEG_STATUS decodeBlockMmxCmov(JpegInputStream& in, const JpegHuffmanDecodeTable& dc,
                               const JpegHuffmanDecodeTable& ac, std::int16_t& predictor, std::int16_t block[64]) {
  return decodeBlockFast<true>(in, dc, ac, predictor, block);
}

JPEG_STATUS skipBlockMmx(JpegInputStream& in, const JpegHuffmanDecodeTable& dc, const JpegHuffmanDecodeTable& ac,
                         std::int16_t& predictor, std::int16_t block[64]) {
  return decodeBlockFast<false>(in, dc, ac, predictor, block);
}
