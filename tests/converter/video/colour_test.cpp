#include "converter/mpeg/mpeg_colour.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace reelpack {
namespace {

struct Planes {
  int w, h;
  std::vector<std::uint8_t> y, cb, cr;
  Planes(int width, int height) : w(width), h(height), y(width * height), cb(width * height), cr(width * height) {}
};

std::vector<std::uint8_t> Convert(const Planes& p, int width, int height, int stride) {
  MPEG_COLOUR_PARAMS params;
  colourParamsForPicture(width, height, p.w, params);
  params.outStride = stride;
  std::vector<std::uint8_t> out(stride * height, 0xEE);
  convertToRgb24(p.y.data(), p.cb.data(), p.cr.data(), out.data(), params);
  return out;
}

TEST(Rgb24, NeutralLevelsAndSaturation) {
  struct Case {
    int y, cb, cr, b, g, r;
  } cases[] = {
      {126, 128, 128, 128, 128, 128}, {16, 128, 128, 0, 0, 0}, {235, 128, 128, 255, 255, 255},
      {0, 128, 128, 0, 0, 0},         {255, 255, 255, 255, 125, 255}, {128, 255, 128, 255, 81, 130},
  };
  for (const Case& c : cases) {
    Planes p(16, 2);
    std::fill(p.y.begin(), p.y.end(), c.y);
    std::fill(p.cb.begin(), p.cb.end(), c.cb);
    std::fill(p.cr.begin(), p.cr.end(), c.cr);
    const auto out = Convert(p, 16, 2, 48);
    EXPECT_EQ(out[0], c.b) << c.y << " " << c.cb << " " << c.cr;
    EXPECT_EQ(out[1], c.g) << c.y << " " << c.cb << " " << c.cr;
    EXPECT_EQ(out[2], c.r) << c.y << " " << c.cb << " " << c.cr;
  }
}

// The 13-bit formula written out plainly, against the converter on every
// luma level and a spread of chroma; pixel pairs share their chroma, read
// from the up-sampled half of the row; padding stays untouched.
TEST(Rgb24, MatchesAStraightforwardFormula) {
  Planes p(16, 16);
  for (int r = 0; r < 16; ++r)
    for (int x = 0; x < 16; ++x) {
      p.y[r * 16 + x] = static_cast<std::uint8_t>(r * 16 + x);
      p.cb[r * 16 + x] = static_cast<std::uint8_t>(x < 8 ? 0 : (x * 37 + r * 11) & 255);
      p.cr[r * 16 + x] = static_cast<std::uint8_t>(x < 8 ? 0 : (x * 53 + r * 29) & 255);
    }
  const int stride = 14 * 3 + 5;
  const auto out = Convert(p, 14, 16, stride);
  auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
  for (int r = 0; r < 16; ++r) {
    for (int x = 0; x < 14; ++x) {
      const int l = (p.y[r * 16 + x] - 16) * 9539 + 4096;
      const int u = p.cb[r * 16 + 8 + x / 2] - 128, v = p.cr[r * 16 + 8 + x / 2] - 128;
      const std::uint8_t* px = &out[r * stride + 3 * x];
      EXPECT_EQ(px[0], clamp((l + u * 16525) >> 13));
      EXPECT_EQ(px[1], clamp((l + u * -3209 + v * -6660) >> 13));
      EXPECT_EQ(px[2], clamp((l + v * 13075) >> 13));
    }
    for (int b = 42; b < stride; ++b) EXPECT_EQ(out[r * stride + b], 0xEE);
  }
}

TEST(ChromaUpsampling, InterpolatesAndRepeatsTheEdgeRows) {
  constexpr int kW = 4, kH = 8;
  std::uint8_t plane[kW * kH] = {};
  const std::uint8_t column[4] = {0, 100, 40, 255};
  for (int k = 0; k < 4; ++k) plane[k * kW] = plane[k * kW + 1] = column[k];
  const std::vector<std::uint8_t> left = {plane[0], plane[4], plane[8], plane[12]};
  upsampleChromaFrame(plane, kW, kH);
  const int want[8] = {0, 25, 75, 85, 55, 93, 201, 255};
  for (int r = 0; r < kH; ++r) {
    EXPECT_EQ(plane[r * kW + 2], want[r]) << "row " << r;
    EXPECT_EQ(plane[r * kW + 3], want[r]) << "row " << r;
  }
  for (int k = 0; k < 4; ++k) EXPECT_EQ(plane[k * kW], left[k]) << "the reference half changed";
}

}  // namespace
}  // namespace reelpack
