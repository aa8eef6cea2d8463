#include "converter/mpeg/mpeg_colour.h"

#include <algorithm>
#include <cstddef>

namespace reelpack {
namespace {

// 16-bit fractions to the converter's 13-bit ones.
constexpr int To13(int c) { return (c + 4) >> 3; }

inline std::uint8_t Saturate(int v) {
  v = std::clamp(v, -32768, 32767);  // the converter works in 16-bit lanes
  return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

void colourParamsForPicture(int width, int height, int codedWidth, MPEG_COLOUR_PARAMS& params) {
  params.width = width;
  params.height = height;
  params.lumaStride = codedWidth;
  params.chromaOffset = codedWidth / 2;
  params.lumaOffset = 16;
  params.lumaScale = 76309;
  params.crv = 104597;
  params.cgu = -25675;
  params.cgv = -53279;
  params.cbu = 132201;
}

void upsampleChromaFrame(std::uint8_t* plane, int codedWidth, int codedHeight) {
  const int half = codedWidth / 2;
  const int sourceRows = codedHeight / 2;
  auto source = [&](int k) { return plane + static_cast<std::ptrdiff_t>(k) * codedWidth; };
  auto output = [&](int row) { return plane + static_cast<std::ptrdiff_t>(row) * codedWidth + half; };
  std::copy_n(source(0), half, output(0));
  for (int k = 0; k + 1 < sourceRows; ++k) {
    const std::uint8_t* s0 = source(k);
    const std::uint8_t* s1 = source(k + 1);
    std::uint8_t* o1 = output(2 * k + 1);
    std::uint8_t* o2 = output(2 * k + 2);
    for (int x = 0; x < half; ++x) {
      o1[x] = static_cast<std::uint8_t>((3 * s0[x] + s1[x]) >> 2);
      o2[x] = static_cast<std::uint8_t>((s0[x] + 3 * s1[x]) >> 2);
    }
  }
  std::copy_n(source(sourceRows - 1), half, output(codedHeight - 1));
}

void convertToRgb24(const std::uint8_t* luma, const std::uint8_t* cb, const std::uint8_t* cr, std::uint8_t* buffer,
                    const MPEG_COLOUR_PARAMS& params) {
  const int scale = To13(params.lumaScale);
  const int cbu = To13(params.cbu), cgu = To13(params.cgu), cgv = To13(params.cgv), crv = To13(params.crv);
  for (int r = 0; r < params.height; ++r) {
    const std::ptrdiff_t rowStart = static_cast<std::ptrdiff_t>(r) * params.lumaStride;
    const std::uint8_t* y = luma + rowStart;
    const std::uint8_t* u = cb + rowStart + params.chromaOffset;
    const std::uint8_t* v = cr + rowStart + params.chromaOffset;
    std::uint8_t* out = buffer + static_cast<std::ptrdiff_t>(r) * params.outStride;
    for (int x = 0; x < params.width; ++x, out += 3) {
      const int l = (y[x] - params.lumaOffset) * scale + 4096;
      const int du = u[x >> 1] - 128, dv = v[x >> 1] - 128;
      out[0] = Saturate((l + du * cbu) >> 13);
      out[1] = Saturate((l + du * cgu + dv * cgv) >> 13);
      out[2] = Saturate((l + dv * crv) >> 13);
    }
  }
}

}  // namespace reelpack
