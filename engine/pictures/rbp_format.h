// The ".rbp" picture file: a 36-byte header, then the data of one of six
// kinds. Numbers are little-endian.
//
//   0  3 bytes  type tag (free)        20  int16  design width
//   3  byte     variant                22  int16  design height
//   4  uint32   kind                   24  int16  value A (free)
//   8  uint32   width                  26  int16  value B (free)
//  12  uint32   height                 28  uint32 JBP1 record length (30/32)
//  16  uint32   data offset            32  uint32 packed alpha length (32)
//
// Kind 80 keeps its palette (256 entries: blue, green, red, unused) at 36 and
// its indexes at 1060, whatever the data offset says.
#pragma once

#include <cstddef>
#include <cstdint>

enum RbpKind : std::uint32_t {
  kRbpKindRgb565Alpha = 1,   // w x h records: RGB565 low byte, high byte, alpha
  kRbpKindRgb565 = 13,       // w x h RGB565 values
  kRbpKindJbp = 30,          // one JBP1 record
  kRbpKindJbpAlpha = 32,     // JBP1 record, then the LZSS-packed w x h alpha bytes
  kRbpKindPalette = 80,      // palette and indexes at fixed offsets
  kRbpKindGrey = 90,         // w x h grey bytes
};

inline constexpr std::size_t kRbpHeaderSize = 36;
inline constexpr std::size_t kRbpPaletteOffset = 36;
inline constexpr std::size_t kRbpPaletteSize = 1024;
inline constexpr std::size_t kRbpIndexOffset = kRbpPaletteOffset + kRbpPaletteSize;
// Kind-1 alpha bytes are kept as stored in a file of this variant; any other
// variant holds them at four times the engine's 0..63 scale.
inline constexpr std::uint8_t kRbpVariantPlainAlpha = '1';
// Largest picture side the loader accepts; keeps every size far inside 32 bits.
inline constexpr std::uint32_t kRbpMaxSide = 4096;

struct RbpHeader {
  char tag[3] = {'R', 'B', 'P'};
  std::uint8_t variant = kRbpVariantPlainAlpha;
  std::uint32_t kind = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t dataOffset = kRbpHeaderSize;
  std::int16_t designWidth = 0;
  std::int16_t designHeight = 0;
  // Two words the loader never reads itself; it hands them back to its caller.
  std::int16_t handedBackA = 0;
  std::int16_t handedBackB = 0;
  std::uint32_t recordLength = 0;
  std::uint32_t packedAlphaLength = 0;
};

// false when fewer than kRbpHeaderSize bytes are given.
bool ReadRbpHeader(const std::uint8_t* data, std::size_t size, RbpHeader& header);
// Writes kRbpHeaderSize bytes.
void WriteRbpHeader(const RbpHeader& header, std::uint8_t* out);
