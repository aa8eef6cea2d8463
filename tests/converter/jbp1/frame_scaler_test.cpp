// Scaling and turning frames: exact box means for integer ratios, the
// footprint weights of uneven ratios, and the bound against an exact area
// average on smooth pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "common/byte_order.h"
#include "converter/jbp1/frame_scaler.h"
#include "converter/jbp1/frame_turn.h"
#include "frame_test_support.h"

namespace {

using reelpack::BmpRowBytes;
using reelpack::RotateBmpImage;
using reelpack::ScaleFrame;

// Picture row y of a bottom-up source is stored row height - 1 - y.
int PictureAt(const BmpImage& image, int height, int x, int y, int c) { return PixelAt(image, x, height - 1 - y, c); }

TEST(ScaleFrame, HalvingGivesTruncatedMeansOfTwoByTwoBlocks) {
  for (const char* source : kFrameSources) {
    const BmpImage& frame = SourceFrame(source, 640, 480);
    ASSERT_FALSE(frame.empty()) << source;
    const auto scaled = ScaleFrame(frame, 320, 240);
    ASSERT_TRUE(scaled);
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) {
        for (int c = 0; c < 3; ++c) {
          const int sum = PictureAt(frame, 480, 2 * x, 2 * y, c) + PictureAt(frame, 480, 2 * x + 1, 2 * y, c) +
                          PictureAt(frame, 480, 2 * x, 2 * y + 1, c) + PictureAt(frame, 480, 2 * x + 1, 2 * y + 1, c);
          ASSERT_EQ(PixelAt(*scaled, x, y, c), sum / 4) << source << " " << x << "," << y;
        }
      }
    }
  }
}

TEST(ScaleFrame, IntegerRatiosGiveExactTruncatedBoxMeans) {
  struct Case {
    int width, height, outWidth, outHeight;
  };
  const Case cases[] = {{640, 480, 160, 120}, {352, 288, 176, 96}, {100, 100, 20, 50}, {640, 448, 320, 224}};
  for (const Case& c : cases) {
    const BmpImage& frame = SourceFrame("mandelbrot", c.width, c.height);
    const auto scaled = ScaleFrame(frame, c.outWidth, c.outHeight);
    ASSERT_TRUE(scaled);
    const int kx = c.width / c.outWidth, ky = c.height / c.outHeight;
    for (int y = 0; y < c.outHeight; ++y) {
      for (int x = 0; x < c.outWidth; ++x) {
        for (int channel = 0; channel < 3; ++channel) {
          int sum = 0;
          for (int j = 0; j < ky; ++j) {
            for (int i = 0; i < kx; ++i) sum += PictureAt(frame, c.height, kx * x + i, ky * y + j, channel);
          }
          ASSERT_EQ(PixelAt(*scaled, x, y, channel), sum / (kx * ky)) << c.width << "x" << c.height << " " << x << "," << y;
        }
      }
    }
  }
}

// Every row the same: output columns show the horizontal weights alone.
BmpImage ColumnPattern(int width, int height) {
  return MakeImage(width, height, [](int x, int) { return std::tuple{(x * 37) % 256, (x * 91 + 5) % 256, 255 - x % 256}; });
}

TEST(ScaleFrame, UnevenStepWeighsEachColumnByItsCover) {
  // 352 to 320: a step of 1126/1024; output column 1 starts 102/1024 into
  // source column 1, so takes 922 of it and 204 of column 2.
  const BmpImage source = ColumnPattern(352, 240);
  const auto scaled = ScaleFrame(source, 320, 218);
  ASSERT_TRUE(scaled);
  for (int c = 0; c < 3; ++c) {
    const int expected = (922 * PixelAt(source, 1, 0, c) + 204 * PixelAt(source, 2, 0, c)) / 1126;
    EXPECT_EQ(PixelAt(*scaled, 1, 0, c), expected) << c;
  }
  // Vertically the step is 1127: output row 1 takes 921 of picture row 1 and
  // 206 of row 2.
  const BmpImage rows = MakeImage(352, 240, [](int, int y) { return std::tuple{y, 2 * y % 256, 239 - y}; });
  const auto tall = ScaleFrame(rows, 320, 218);
  ASSERT_TRUE(tall);
  for (int c = 0; c < 3; ++c) {
    const int expected = (921 * PictureAt(rows, 240, 0, 1, c) + 206 * PictureAt(rows, 240, 0, 2, c)) / 1127;
    EXPECT_EQ(PixelAt(*tall, 0, 1, c), expected) << c;
  }
}

TEST(ScaleFrame, FootprintOverThreeColumnsCountsTwo) {
  // 7 to 4: a step of 1792; output column 1 starts 768/1024 into column 1,
  // covers 256 of it, all of column 2 and 512 of column 3, but counts only
  // two columns and divides by their weight.
  const BmpImage source = ColumnPattern(7, 2);
  const auto scaled = ScaleFrame(source, 4, 2);
  ASSERT_TRUE(scaled);
  for (int c = 0; c < 3; ++c) {
    const int expected = (256 * PixelAt(source, 1, 0, c) + 1024 * PixelAt(source, 2, 0, c)) / 1280;
    EXPECT_EQ(PixelAt(*scaled, 1, 0, c), expected) << c;
  }
}

TEST(ScaleFrame, EnlargingPicksThePixelUnderTheStart) {
  const BmpImage& frame = SourceFrame("testsrc2", 100, 100);
  const auto scaled = ScaleFrame(frame, 320, 240);
  ASSERT_TRUE(scaled);
  const int stepX = 100 * 1024 / 320, stepY = 100 * 1024 / 240;
  for (int y = 0; y < 240; y += 7) {
    for (int x = 0; x < 320; x += 3) {
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ(PixelAt(*scaled, x, y, c), PictureAt(frame, 100, x * stepX / 1024, y * stepY / 1024, c));
      }
    }
  }
}

TEST(ScaleFrame, SameSizeReversesTheRowsAndKeepsTheHeaders) {
  BmpImage source = ColumnPattern(10, 6);
  for (int y = 0; y < 6; ++y) reelpack::BmpRow(source, y, BmpRowBytes(10))[0] = static_cast<std::uint8_t>(y);
  WriteLe32(source.data() + 38, 2835);  // a resolution the copy must keep
  const auto scaled = ScaleFrame(source, 10, 6);
  ASSERT_TRUE(scaled);
  ASSERT_EQ(scaled->size(), source.size());
  EXPECT_TRUE(std::equal(source.begin(), source.begin() + 54, scaled->begin()));
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 10; ++x) {
      for (int c = 0; c < 3; ++c) EXPECT_EQ(PixelAt(*scaled, x, y, c), PixelAt(source, x, 5 - y, c));
    }
  }
}

TEST(ScaleFrame, ResultHasFreshHeaders) {
  const auto scaled = ScaleFrame(SourceFrame("smptebars", 352, 288), 320, 261);
  ASSERT_TRUE(scaled);
  const std::size_t rowBytes = BmpRowBytes(320);
  ASSERT_EQ(scaled->size(), 54 + rowBytes * 261);
  const std::uint8_t* header = scaled->data();
  EXPECT_EQ(ReadLe16(header), 0x4D42);
  EXPECT_EQ(ReadLe32(header + 2), scaled->size());
  EXPECT_EQ(ReadLe32(header + 10), 54u);
  EXPECT_EQ(ReadLe32(header + 14), 40u);
  EXPECT_EQ(ReadLe32(header + 18), 320u);
  EXPECT_EQ(ReadLe32(header + 22), 261u);
  EXPECT_EQ(ReadLe16(header + 26), 1);
  EXPECT_EQ(ReadLe16(header + 28), 24);
  EXPECT_EQ(ReadLe32(header + 34), rowBytes * 261);
}

TEST(ScaleFrame, RefusesUnsoundSourcesAndEmptyOutputs) {
  const BmpImage good = ColumnPattern(8, 8);
  const auto withField = [&](std::size_t offset, std::uint32_t value, bool wide) {
    BmpImage image = good;
    if (wide) {
      WriteLe32(image.data() + offset, value);
    } else {
      WriteLe16(image.data() + offset, static_cast<std::uint16_t>(value));
    }
    return image;
  };
  BmpImage cut = good;
  cut.resize(cut.size() - 1);
  const struct {
    const char* name;
    BmpImage image;
    int outWidth, outHeight;
  } cases[] = {
      {"8 bits", withField(28, 8, false), 4, 4},
      {"32 bits", withField(28, 32, false), 4, 4},
      {"negative height", withField(22, static_cast<std::uint32_t>(-8), true), 4, 4},
      {"zero height", withField(22, 0, true), 4, 4},
      {"zero width", withField(18, 0, true), 4, 4},
      {"not BM", withField(0, 0x4142, false), 4, 4},
      {"rows cut short", cut, 4, 4},
      {"no headers", BmpImage(20, 0), 4, 4},
      {"output width 0", good, 0, 4},
      {"output height 0", good, 4, 0},
      {"output height negative", good, 4, -4},
  };
  for (const auto& c : cases) EXPECT_FALSE(ScaleFrame(c.image, c.outWidth, c.outHeight)) << c.name;
  EXPECT_TRUE(ScaleFrame(good, 4, 4));
}

// Gradients that rise at most one level per source pixel.
BmpImage SmoothPicture(int width, int height) {
  const double sx = std::min(1.0, 190.0 / width), sy = std::min(1.0, 190.0 / height);
  return MakeImage(width, height, [=](int x, int storedY) {
    const int y = height - 1 - storedY;
    return std::tuple{static_cast<int>(std::lround(30 + x * sx)), static_cast<int>(std::lround(30 + y * sy)),
                      static_cast<int>(std::lround(30 + (x * sx + y * sy) / 2))};
  });
}

// The source pixels each output pixel's interval overlaps, with the share
// of the interval each covers.
struct AreaTap {
  int source;
  double weight;
};
std::vector<std::vector<AreaTap>> AreaWeights(int source, int output) {
  std::vector<std::vector<AreaTap>> taps(static_cast<std::size_t>(output));
  const double step = static_cast<double>(source) / output;
  for (int o = 0; o < output; ++o) {
    const double from = o * step, to = (o + 1) * step;
    for (int s = static_cast<int>(from); s < source && s < to; ++s) {
      taps[o].push_back({s, (std::min<double>(s + 1, to) - std::max<double>(s, from)) / step});
    }
  }
  return taps;
}

TEST(ScaleFrame, SmoothPicturesStayWithinTwoLevelsOfTheAreaAverage) {
  const FrameSize outputs[] = {{320, 240}, {320, 218}, {320, 261}, {320, 224}, {640, 480}, {640, 448}, {240, 320}};
  for (const FrameSize& in : kFrameSizes) {
    const BmpImage source = SmoothPicture(in.width, in.height);
    for (const FrameSize& out : outputs) {
      const auto scaled = ScaleFrame(source, out.width, out.height);
      ASSERT_TRUE(scaled);
      const auto wx = AreaWeights(in.width, out.width);
      const auto wy = AreaWeights(in.height, out.height);
      double worst = 0;
      for (int c = 0; c < 3; ++c) {
        // Horizontal area means per picture row, then vertical.
        std::vector<double> rows(static_cast<std::size_t>(in.height) * out.width);
        for (int y = 0; y < in.height; ++y) {
          for (int x = 0; x < out.width; ++x) {
            double sum = 0;
            for (const AreaTap& tap : wx[x]) sum += tap.weight * PictureAt(source, in.height, tap.source, y, c);
            rows[static_cast<std::size_t>(y) * out.width + x] = sum;
          }
        }
        for (int y = 0; y < out.height; ++y) {
          for (int x = 0; x < out.width; ++x) {
            double exact = 0;
            for (const AreaTap& tap : wy[y]) exact += tap.weight * rows[static_cast<std::size_t>(tap.source) * out.width + x];
            worst = std::max(worst, std::abs(PixelAt(*scaled, x, y, c) - exact));
          }
        }
      }
      EXPECT_LE(worst, 2.0) << in.width << "x" << in.height << " to " << out.width << "x" << out.height;
      RecordProperty(std::to_string(in.width) + "x" + std::to_string(in.height) + "_to_" + std::to_string(out.width) +
                         "x" + std::to_string(out.height),
                     std::to_string(worst));
    }
  }
}

TEST(RotateBmpImage, StoredRowsArePictureColumnsFromTheRight) {
  // 3 x 2 with one byte of row padding: every pixel distinct.
  BmpImage source = MakeImage(3, 2, [](int x, int y) { return std::tuple{10 * y + x, 100 + 10 * y + x, 200 + x}; });
  const auto turned = RotateBmpImage(std::move(source));
  ASSERT_TRUE(turned);
  const auto info = reelpack::ReadBmpInfo(*turned);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->width, 2);
  EXPECT_EQ(info->height, 3);
  EXPECT_EQ(turned->size(), 54u + 8 * 3);  // rows of 6 bytes filled to 8
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 2; ++j) {
      EXPECT_EQ(PixelAt(*turned, j, i, 0), 10 * j + (2 - i));
      EXPECT_EQ(PixelAt(*turned, j, i, 1), 100 + 10 * j + (2 - i));
      EXPECT_EQ(PixelAt(*turned, j, i, 2), 200 + (2 - i));
    }
  }
}

TEST(RotateBmpImage, EveryPixelLandsForWidthsAroundItsBands) {
  for (const int width : {1, 7, 8, 9, 13, 16, 17}) {
    for (const int height : {1, 5}) {
      const BmpImage source =
          MakeImage(width, height, [](int x, int y) { return std::tuple{x, y, (7 * x + 3 * y) % 256}; });
      const auto turned = RotateBmpImage(BmpImage(source));
      ASSERT_TRUE(turned);
      for (int i = 0; i < width; ++i) {
        for (int j = 0; j < height; ++j) {
          for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(PixelAt(*turned, j, i, c), PixelAt(source, width - 1 - i, j, c))
                << width << "x" << height << " at " << i << "," << j;
          }
        }
      }
    }
  }
}

TEST(RotateBmpImage, ReusedImageKeepsNothingOfItsPast) {
  // Turned rows of 5 pixels carry a byte of padding; the reused image held
  // other bytes everywhere, and a larger picture before.
  const BmpImage source = MakeNoiseImage(9, 5, 4);
  const auto fresh = RotateBmpImage(BmpImage(source));
  ASSERT_TRUE(fresh);
  BmpImage reused(4096, 0xAB);
  ASSERT_TRUE(reelpack::RotateBmpImageInto(source, reused));
  EXPECT_EQ(reused, *fresh);
}

TEST(RotateBmpImage, ScaledFrameTurnsToPortrait) {
  auto scaled = ScaleFrame(SourceFrame("testsrc2", 640, 480), 320, 240);
  ASSERT_TRUE(scaled);
  const BmpImage copy = *scaled;
  const auto turned = RotateBmpImage(std::move(*scaled));
  ASSERT_TRUE(turned);
  EXPECT_EQ(ReadLe32(turned->data() + 18), 240u);
  EXPECT_EQ(ReadLe32(turned->data() + 22), 320u);
  EXPECT_EQ(ReadLe32(turned->data() + 34), 230400u);
  EXPECT_EQ(BmpRowBytes(240), 720u);
  ASSERT_EQ(turned->size(), 54u + 230400);
  // Stored row i is picture column 319 - i from the top down.
  for (int i = 0; i < 320; i += 13) {
    for (int j = 0; j < 240; j += 11) EXPECT_EQ(PixelAt(*turned, j, i, 1), PixelAt(copy, 319 - i, j, 1));
  }
}

TEST(RotateBmpImage, RefusesOtherDepths) {
  BmpImage image = ColumnPattern(4, 4);
  WriteLe16(image.data() + 28, 16);
  EXPECT_FALSE(RotateBmpImage(std::move(image)));
}

}  // namespace
