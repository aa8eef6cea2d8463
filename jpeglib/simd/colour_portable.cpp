// Portable forms of the SIMD colour kernels. Their lane arithmetic is exact
// for 8-bit pixels, so each equals the plain converter's formulas: luma per
// pixel, chroma from the sums of the pixels a sample covers.
#include "jpeglib/simd/colour_area_portable.h"
#include "jpeglib/simd/simd_kernels.h"

namespace simd_portable {

#include "jpeglib/simd/colour_kernel_names.inc"

void splitPackedYcc422Mmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* luma, std::int16_t* cb,
                          std::int16_t* cr) {
  for (int y = 0; y < 8; ++y) {
    const std::uint8_t* line = source + y * stride;
    for (int pair = 0; pair < 8; ++pair) {
      const std::uint8_t* bytes = line + pair * 4;
      const int at = (pair >> 2) * 64 + y * 8 + (pair & 3) * 2;
      luma[at] = static_cast<std::int16_t>(bytes[0] - 128);
      luma[at + 1] = static_cast<std::int16_t>(bytes[2] - 128);
      cb[y * 8 + pair] = static_cast<std::int16_t>(bytes[1] - 128);
      cr[y * 8 + pair] = static_cast<std::int16_t>(bytes[3] - 128);
    }
  }
}

void levelShiftGreyBlockMmx(const std::uint8_t* source, std::ptrdiff_t stride, std::int16_t* block) {
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) block[y * 8 + x] = static_cast<std::int16_t>(source[y * stride + x] - 128);
  }
}

}  // namespace simd_portable
