#include "engine/text/glyph_sampler.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "host/text/code_page.h"

int FitSupersampling(int side, int requested, int bitmapSide) {
  int factor = std::clamp(requested, 1, kMaxSupersampling);
  while (factor > 1 && side * factor > bitmapSide) --factor;
  return factor;
}

bool SampleGlyph(OneBitBitmap& bitmap, std::uint16_t code, int side, int s, std::vector<std::uint8_t>& counts) {
  counts.assign(static_cast<std::size_t>(std::max(side, 0)) * std::max(side, 0), 0);
  if (side <= 0 || !bitmap.bits) return false;
  const int square = std::min(side * s, bitmap.side);
  for (int row = 0; row < square; ++row) std::memset(bitmap.bits + row * bitmap.rowBytes, 0, (square + 7) / 8);
  const char bytes[2] = {static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)};
  WCHAR wide[2];
  const int units = MultiByteToWideChar(CP_ACP, 0, bytes, bytes[1] ? 2 : 1, wide, 2);
  if (units == 0) return false;
  ExtTextOutW(bitmap.dc, 0, 0, 0, nullptr, wide, static_cast<UINT>(units), nullptr);
  // s adjacent bits of a row at a time: a 16-bit window always holds them.
  const unsigned mask = (1u << s) - 1;
  const int columns = square / s;
  for (int y = 0; y < square; ++y) {
    std::uint8_t* countRow = counts.data() + static_cast<std::size_t>(y / s) * side;
    const std::uint8_t* bits = bitmap.bits + y * bitmap.rowBytes;
    for (int i = 0; i < columns; ++i) {
      const int x = i * s;
      const int byte = x >> 3;
      const unsigned window = bits[byte] << 8 | (byte + 1 < bitmap.rowBytes ? bits[byte + 1] : 0);
      countRow[i] = static_cast<std::uint8_t>(countRow[i] + std::popcount((window >> (16 - (x & 7) - s)) & mask));
    }
  }
  return true;
}
