#include "engine/text/glyph_sampler.h"

#include <algorithm>
#include <cstring>

#include "host/text/code_page.h"

int FitSupersampling(int side, int requested, int bitmapSide) {
  int factor = std::max(requested, 1);
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
  for (int y = 0; y < square; ++y) {
    std::uint8_t* countRow = counts.data() + static_cast<std::size_t>(y / s) * side;
    const std::uint8_t* bits = bitmap.bits + y * bitmap.rowBytes;
    for (int x = 0; x < square; x += 8) {
      const std::uint8_t byte = bits[x >> 3];
      if (byte == 0) continue;
      for (int k = 0; k < 8 && x + k < square; ++k) {
        if ((byte >> (7 - k)) & 1) ++countRow[(x + k) / s];
      }
    }
  }
  return true;
}
