// The archive's LZSS unpacker.
//
// The stream is groups of eight items under one flag byte (bit 0 first): a set
// bit is one literal byte, a clear bit a two-byte match b0 b1 naming ring
// position b0 | (b1 & 0xF0) << 4 and length (b1 & 0x0F) + 2. The ring always
// holds the last 2,048 bytes written (zeros before the first), so instead of
// keeping a ring we turn the ring position into a distance back into the
// output; positions before the start of the output read as zero.
#include <algorithm>
#include <cstring>

#include "engine/archive/archive_reader.h"

namespace {

constexpr std::uint32_t kFastCopyBytes = 16;

}  // namespace

std::uint32_t CArchiveReader::UnpackLzss(void* out, const void* in, std::uint32_t unpackedSize,
                                         std::uint32_t packedSize, bool* overrun) {
  auto* output = static_cast<std::uint8_t*>(out);
  const auto* input = static_cast<const std::uint8_t*>(in);
  const std::uint8_t* inputEnd = input + packedSize;
  std::uint32_t written = 0;
  std::uint32_t flags = 0;

  while (written < unpackedSize) {
    flags >>= 1;
    if ((flags & 0x100) == 0) {
      if (input == inputEnd) break;
      flags = *input++ | 0xFF00u;
    }
    if (flags & 1) {
      if (input == inputEnd) break;
      output[written++] = *input++;
      continue;
    }
    if (inputEnd - input < 2) break;
    const std::uint32_t b0 = input[0];
    const std::uint32_t b1 = input[1];
    input += 2;
    const std::uint32_t ringPosition = b0 | ((b1 & 0xF0) << 4);
    const std::uint32_t writePosition = (kLzssStartPosition + written) & (kLzssRingSize - 1);
    // A match starting at the write position itself reads the oldest byte.
    std::uint32_t distance = (writePosition - ringPosition) & (kLzssRingSize - 1);
    if (distance == 0) distance = kLzssRingSize;
    std::uint32_t length = (b1 & 0x0F) + kLzssMinMatch;
    if (length > unpackedSize - written) {
      length = unpackedSize - written;
      if (overrun != nullptr) *overrun = true;
    }

    std::uint8_t* target = output + written;
    if (distance >= kFastCopyBytes && distance <= written && unpackedSize - written >= kFastCopyBytes) {
      // One fixed-size copy covers most matches; bytes past the match are
      // rewritten by the items that follow before anything reads them.
      const std::uint8_t* source = target - distance;
      std::memcpy(target, source, kFastCopyBytes);
      if (length > kFastCopyBytes) target[kFastCopyBytes] = source[kFastCopyBytes];
      written += length;
      continue;
    }
    std::uint32_t k = 0;
    if (distance > written) {
      // The bytes before the start of the output: the ring's initial zeros.
      const std::uint32_t zeros = std::min(length, distance - written);
      std::memset(target, 0, zeros);
      k = zeros;
    }
    // Byte by byte: a match may copy what it has just written.
    for (; k < length; ++k) target[k] = output[written + k - distance];
    written += length;
  }
  if (overrun != nullptr && input != inputEnd) *overrun = true;
  return written;
}
