// The SSE2 kernels give the portable kernels' bytes on random and extreme
// inputs.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "converter/mpeg/mpeg_video_kernels.h"

namespace reelpack {
namespace {

class Sse2Kernels : public ::testing::Test {
 protected:
  void SetUp() override {
    if (sse2VideoKernels() == nullptr) GTEST_SKIP() << "no SSE2 here";
  }
  const MPEG_VIDEO_KERNELS& portable = portableVideoKernels();
  const MPEG_VIDEO_KERNELS& sse2 = *sse2VideoKernels();
  std::mt19937 random{3};
  std::vector<std::uint8_t> bytes(std::size_t n) {
    std::vector<std::uint8_t> v(n);
    for (auto& b : v) b = static_cast<std::uint8_t>(random());
    return v;
  }
};

TEST_F(Sse2Kernels, InverseDct) {
  for (int round = 0; round < 20000; ++round) {
    alignas(16) std::int16_t a[64], b[64];
    const int kind = round % 4;
    for (int i = 0; i < 64; ++i) {
      int v = static_cast<int>(random() % 4096) - 2048;  // the dequantiser's range
      if (kind == 1) v = (random() % 8 == 0) ? v : 0;       // sparse, as coded blocks are
      if (kind == 2) v = (random() & 1) ? 2047 : -2048;     // extremes that saturate
      if (kind == 3) v = static_cast<int>(random() % 601) - 300;
      a[i] = b[i] = static_cast<std::int16_t>(v);
    }
    portable.inverseDct(a);
    sse2.inverseDct(b);
    ASSERT_TRUE(std::equal(a, a + 64, b)) << "round " << round;
  }
}

TEST_F(Sse2Kernels, PredictionAndPlacement) {
  const int stride = 40;
  for (int k = 0; k < 16; ++k) {
    for (int round = 0; round < 50; ++round) {
      const std::vector<std::uint8_t> source = bytes(stride * 20);
      std::vector<std::uint8_t> a = bytes(stride * 17), b = a;
      const int rows = round % 2 ? 16 : 8;
      portable.prediction->predict[k](source.data() + 3, a.data() + 5, stride, stride, rows);
      sse2.prediction->predict[k](source.data() + 3, b.data() + 5, stride, stride, rows);
      ASSERT_EQ(a, b) << "kernel " << k;
    }
  }
  for (int round = 0; round < 500; ++round) {
    std::int16_t block[64];
    for (auto& v : block) v = static_cast<std::int16_t>((static_cast<int>(random() % 65536) - 32768) >> (round % 8));
    std::vector<std::uint8_t> a = bytes(stride * 8), b = a, c = a, d = a;
    portable.prediction->addBlock(block, a.data() + 1, stride);
    sse2.prediction->addBlock(block, b.data() + 1, stride);
    portable.prediction->storeBlock(block, c.data() + 1, stride);
    sse2.prediction->storeBlock(block, d.data() + 1, stride);
    ASSERT_EQ(a, b);
    ASSERT_EQ(c, d);
  }
}

TEST_F(Sse2Kernels, UpsamplingAndConversion) {
  for (const auto& [width, height, codedWidth] : {std::tuple{16, 16, 16}, {50, 30, 64}, {97, 65, 112}, {640, 48, 640}}) {
    const int codedHeight = (height + 15) / 16 * 16;
    const std::size_t plane = static_cast<std::size_t>(codedWidth) * codedHeight;
    std::vector<std::uint8_t> planes = bytes(plane * 3 + 16), other = planes;
    for (int p = 1; p < 3; ++p) {
      portable.upsampleChroma(planes.data() + p * plane, codedWidth, codedHeight);
      sse2.upsampleChroma(other.data() + p * plane, codedWidth, codedHeight);
    }
    ASSERT_EQ(planes, other) << width;
    MPEG_COLOUR_PARAMS params;
    colourParamsForPicture(width, height, codedWidth, params);
    params.outStride = 3 * width + 5;
    std::vector<std::uint8_t> a(static_cast<std::size_t>(params.outStride) * height, 0x77), b = a;
    portable.convert(planes.data(), planes.data() + plane, planes.data() + 2 * plane, a.data(), params);
    sse2.convert(planes.data(), planes.data() + plane, planes.data() + 2 * plane, b.data(), params);
    ASSERT_EQ(a, b) << width;
    for (int r = 0; r < height; ++r)
      for (int x = 3 * width; x < params.outStride; ++x) ASSERT_EQ(b[r * params.outStride + x], 0x77);
  }
}

}  // namespace
}  // namespace reelpack
