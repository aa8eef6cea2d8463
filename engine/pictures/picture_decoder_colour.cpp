#include "engine/pictures/picture_decoder_colour.h"

#include <algorithm>
#include <cstring>

void PictureClampTables::Build(int size, int firstSample) {
  size_ = std::clamp(size, 1, kMaxSize);
  firstSample_ = firstSample;
  for (int i = 0; i < size_; ++i) {
    const int sample = std::clamp(i - firstSample, 0, 255);
    red_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>((sample & 0xF8) << 8);
    green_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>((sample & 0xFC) << 3);
    blue_[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(sample >> 3);
  }
}

namespace {

// Chroma far outside the 8-bit range saturates anyway; bounding it keeps the
// products inside 32 bits for any coefficients a record may hold.
int BoundChroma(int value) { return std::clamp(value, -1024, 1023); }

}  // namespace

void ConvertMacroblockPortable(const std::int16_t blocks[6][64], const PictureClampTables& tables, std::uint16_t* out,
                               std::size_t stride) {
  const std::int16_t* cb = blocks[4];
  const std::int16_t* cr = blocks[5];
  for (int v = 0; v < 8; ++v) {
    for (int u = 0; u < 8; ++u) {
      const int c1 = BoundChroma(cb[8 * v + u]);
      const int c2 = BoundChroma(cr[8 * v + u]);
      const int redTerm = (c2 * 91881) >> 16;
      const int blueTerm = (c1 * 116129) >> 16;
      const int greenTerm = (c1 * 22553 + c2 * 46801) >> 16;
      // The 2 x 2 luma pixels of this chroma sample lie in one luma block.
      const std::int16_t* luma = blocks[(v >= 4 ? 2 : 0) + (u >= 4 ? 1 : 0)] + 16 * (v & 3) + 2 * (u & 3);
      for (int dy = 0; dy < 2; ++dy) {
        std::uint32_t pair = 0;
        for (int dx = 0; dx < 2; ++dx) {
          const int y = luma[8 * dy + dx];
          const std::uint32_t pixel = tables.Red(y + redTerm) | tables.Green(y - greenTerm) | tables.Blue(y + blueTerm);
          pair |= pixel << (16 * dx);
        }
        // Left pixel in the low half: one 32-bit store per pixel pair.
        std::memcpy(out + (2 * v + dy) * stride + 2 * u, &pair, sizeof pair);
      }
    }
  }
}

void ConvertMacroblock(const std::int16_t blocks[6][64], const PictureClampTables& tables, std::uint16_t* out,
                       std::size_t stride) {
#if defined(__SSE2__)
  ConvertMacroblockSse2(blocks, tables, out, stride);
#else
  ConvertMacroblockPortable(blocks, tables, out, stride);
#endif
}
