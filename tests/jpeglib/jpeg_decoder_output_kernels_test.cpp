// The decoder's colour arithmetic and its 4:2:0 output kernels: the lane
// form against the plain one over every (Y, Cb, Cr), and every class's
// kernel against the per-pixel form it stands for, at odd addresses too.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "common/cpu_features.h"
#include "jpeglib/jpeg_processor.h"
#include "jpeglib/jpeg_ycc_colour.h"
#include "jpeglib/jpeg_ycc_mcu.h"
#include "jpeglib/simd/simd_kernels.h"

namespace {

TEST(JpegDecoderColour, FixedPointsOfThePlainForms) {
  const JpegRgb fast = yccToRgbFast(128, 128, 128);
  EXPECT_EQ(fast.r, 128);
  EXPECT_EQ(fast.g, 129);
  EXPECT_EQ(fast.b, 128);
  EXPECT_EQ(yccToRgbInPlace(128, 128, 128).g, 128);
  const JpegRgb low = yccToRgbFast(0, 0, 0);
  EXPECT_EQ(low.r, 0);
  EXPECT_EQ(low.b, 0);
  EXPECT_EQ(low.g, 136);
  const JpegRgb high = yccToRgbFast(255, 255, 255);
  EXPECT_EQ(high.r, 255);
  EXPECT_EQ(high.b, 255);
}

TEST(JpegDecoderColour, LaneFormsStayWithinOneBelowThePlainFormEverywhere) {
  int redBelow = 0, blueBelow = 0;
  for (int y = 0; y < 256; ++y) {
    for (int cb = 0; cb < 256; ++cb) {
      for (int cr = 0; cr < 256; ++cr) {
        const JpegRgb plain = yccToRgbFast(y, cb, cr);
        const JpegRgb lanes = yccToRgbLanes(y, cb, cr);
        const JpegRgb wrapped = yccToRgbLanesWrapped(y, cb, cr);
        const int redGap = plain.r - lanes.r, blueGap = plain.b - lanes.b;
        ASSERT_TRUE(redGap == 0 || redGap == 1) << y << " " << cb << " " << cr;
        ASSERT_TRUE(blueGap == 0 || blueGap == 1) << y << " " << cb << " " << cr;
        redBelow += redGap;
        blueBelow += blueGap;
        ASSERT_EQ(lanes.g, plain.g) << y << " " << cb << " " << cr;
        ASSERT_EQ(wrapped.r, lanes.r);
        ASSERT_EQ(wrapped.b, lanes.b);
        const int sum = 88 * cb + 183 * cr;
        if (sum >= 2038 && sum <= 67573) {
          ASSERT_EQ(wrapped.g, plain.g) << y << " " << cb << " " << cr;
        }
      }
    }
  }
  // The offsets after truncation do show.
  EXPECT_GT(redBelow, 0);
  EXPECT_GT(blueBelow, 0);
}

using Writer420 = void (*)(const std::uint8_t*, const std::uint8_t*, const std::uint8_t*, std::ptrdiff_t,
                           std::uint8_t*, std::ptrdiff_t);

// Planes holding every (Cb, Cr) pair over the runs, luma random, at an odd
// offset; the output at an odd offset with canaries around.
void ExpectKernelMatchesPixels(Writer420 kernel, JpegRgb (*colour)(int, int, int), bool bgr) {
  std::mt19937 random(29);
  constexpr std::ptrdiff_t kPlaneStride = 37;
  constexpr std::ptrdiff_t kStride = 16 * 3 + 5;
  std::vector<std::uint8_t> y(16 * kPlaneStride + 1), cb(8 * kPlaneStride + 1), cr(8 * kPlaneStride + 1);
  std::vector<std::uint8_t> out(16 * kStride + 2);
  for (int run = 0; run < 1024; ++run) {
    for (auto& v : y) v = static_cast<std::uint8_t>(random());
    for (int i = 0; i < 64; ++i) {
      const int pair = run * 64 + i;
      cb[1 + (i / 8) * kPlaneStride + i % 8] = static_cast<std::uint8_t>(pair & 255);
      cr[1 + (i / 8) * kPlaneStride + i % 8] = static_cast<std::uint8_t>(pair >> 8);
    }
    std::fill(out.begin(), out.end(), 0x5A);
    kernel(y.data() + 1, cb.data() + 1, cr.data() + 1, kPlaneStride, out.data() + 1, kStride);
    ASSERT_EQ(out.front(), 0x5A);
    ASSERT_EQ(out.back(), 0x5A);
    for (int row = 0; row < 16; ++row) {
      for (int x = 0; x < 16; ++x) {
        const JpegRgb rgb = colour(y[1 + row * kPlaneStride + x], cb[1 + (row / 2) * kPlaneStride + x / 2],
                                   cr[1 + (row / 2) * kPlaneStride + x / 2]);
        const std::uint8_t* pixel = out.data() + 1 + row * kStride + x * 3;
        ASSERT_EQ(pixel[0], bgr ? rgb.b : rgb.r) << run << " " << row << " " << x;
        ASSERT_EQ(pixel[1], rgb.g);
        ASSERT_EQ(pixel[2], bgr ? rgb.r : rgb.b);
      }
      ASSERT_EQ(out[1 + row * kStride + 48], 0x5A) << "past the row";
    }
  }
}

TEST(JpegDecoderColour, Whole420KernelsOfEveryClassMatchTheirPixelForm) {
  for (int cls = 0; cls <= 6; ++cls) {
    JPEG_PROCESSOR_TABLE table{};
    jpegFillProcessorTable(table, cls);
    JpegRgb (*colour)(int, int, int) = cls >= kJpegClassMmx ? yccToRgbLanes : yccToRgbFast;
    SCOPED_TRACE(cls);
    ExpectKernelMatchesPixels(table.writeBgr420, colour, true);
    ExpectKernelMatchesPixels(table.writeRgb420, colour, false);
  }
  ExpectKernelMatchesPixels(writeBgr420Sse2, yccToRgbLanes, true);
  ExpectKernelMatchesPixels(writeRgb420Sse2, yccToRgbLanes, false);
  if (ProcessorHasAvx2()) {
    ExpectKernelMatchesPixels(writeBgr420Avx2, yccToRgbLanes, true);
    ExpectKernelMatchesPixels(writeRgb420Avx2, yccToRgbLanes, false);
  }
}

}  // namespace
