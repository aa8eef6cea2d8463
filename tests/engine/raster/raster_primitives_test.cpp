#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/raster/raster_pixel.h"
#include "engine/raster/raster_primitives.h"

namespace {

constexpr std::uint16_t kWhite = 0xFFFF;
constexpr std::uint16_t kBlack = 0x0000;
constexpr std::uint16_t kGrey = 0x8410;  // every channel 128 as 8 bits

// A palette whose entry 1 is 0xFF8040 (stored blue, green, red, unused).
std::array<std::uint8_t, 1024> TestPalette() {
  std::array<std::uint8_t, 1024> palette{};
  palette[4] = 0x40;
  palette[5] = 0x80;
  palette[6] = 0xFF;
  return palette;
}

struct PixelCase {
  std::string name;
  std::uint16_t dst;
  std::uint16_t src;
  std::uint8_t alpha;
  std::uint8_t mask;
  // Draws one pixel: destination, RGB565 source, alpha, mask, palette index 1.
  std::function<void(std::uint16_t*, const std::uint16_t*, const std::uint8_t*, const std::uint8_t*,
                     const std::uint8_t*, const std::uint8_t*)>
      draw;
  std::uint16_t expected;
};

TEST(RasterPixels, EveryRectangleMemberGivesItsEdgeValues) {
  using D = std::uint16_t*;
  using S = const std::uint16_t*;
  using B = const std::uint8_t*;
  const std::vector<PixelCase> cases = {
      {"copy", kBlack, 0x1234, 0, 0, [](D d, S s, B, B, B, B) { BlitCopy(d, 1, s, 1, 1, 1); }, 0x1234},
      {"blend 255 uses 63 of 64", kBlack, kWhite, 0, 0, [](D d, S s, B, B, B, B) { BlitBlend(d, 1, s, 1, 1, 1, 255); },
       0xF7DE},
      {"blend 256 is the source", kBlack, kWhite, 0, 0, [](D d, S s, B, B, B, B) { BlitBlend(d, 1, s, 1, 1, 1, 256); },
       kWhite},
      {"blend 128 halves", kBlack, kWhite, 0, 0, [](D d, S s, B, B, B, B) { BlitBlend(d, 1, s, 1, 1, 1, 128); },
       0x7BEF},
      {"add white saturates", 0x1234, kWhite, 0, 0, [](D d, S s, B, B, B, B) { BlitAdd(d, 1, s, 1, 1, 1); }, kWhite},
      {"add black keeps", 0x1234, kBlack, 0, 0, [](D d, S s, B, B, B, B) { BlitAdd(d, 1, s, 1, 1, 1); }, 0x1234},
      {"add weighted 128", kBlack, kWhite, 0, 0,
       [](D d, S s, B, B, B, B) { BlitAddWeighted(d, 1, s, 1, 1, 1, 128); }, 0x7BEF},
      {"add weighted saturates", kGrey, kWhite, 0, 0,
       [](D d, S s, B, B, B, B) { BlitAddWeighted(d, 1, s, 1, 1, 1, 128); }, kWhite},
      {"alpha 0 keeps", 0x1234, kWhite, 0, 0, [](D d, S s, B a, B, B, B) { BlitAlpha(d, 1, s, 1, a, 1, 1, 1); },
       0x1234},
      {"alpha 63 copies", 0x1234, 0xABCD, 63, 0, [](D d, S s, B a, B, B, B) { BlitAlpha(d, 1, s, 1, a, 1, 1, 1); },
       0xABCD},
      {"alpha 32 averages", kBlack, kWhite, 32, 0, [](D d, S s, B a, B, B, B) { BlitAlpha(d, 1, s, 1, a, 1, 1, 1); },
       0x7BEF},
      {"alpha above 63 counts as opaque", 0x1234, 0xABCD, 200, 0,
       [](D d, S s, B a, B, B, B) { BlitAlpha(d, 1, s, 1, a, 1, 1, 1); }, 0xABCD},
      {"alpha opacity, alpha 63", kBlack, kWhite, 63, 0,
       [](D d, S s, B a, B, B, B) { BlitAlphaOpacity(d, 1, s, 1, a, 1, 1, 1, 128); }, 0x7BEF},
      {"alpha opacity, alpha 32", kBlack, kWhite, 32, 0,
       [](D d, S s, B a, B, B, B) { BlitAlphaOpacity(d, 1, s, 1, a, 1, 1, 1, 128); }, 0x39E7},
      {"alpha opacity, alpha 0", 0x1234, kWhite, 0, 0,
       [](D d, S s, B a, B, B, B) { BlitAlphaOpacity(d, 1, s, 1, a, 1, 1, 1, 128); }, 0x1234},
      {"alpha opacity, alpha 255 as 63", kBlack, kWhite, 255, 0,
       [](D d, S s, B a, B, B, B) { BlitAlphaOpacity(d, 1, s, 1, a, 1, 1, 1, 128); }, 0x7BEF},
      {"add alpha 255 is full strength", kBlack, kWhite, 255, 0,
       [](D d, S s, B a, B, B, B) { BlitAddAlpha(d, 1, s, 1, a, 1, 1, 1); }, kWhite},
      {"add alpha 63 adds 63/256", kBlack, kWhite, 63, 0,
       [](D d, S s, B a, B, B, B) { BlitAddAlpha(d, 1, s, 1, a, 1, 1, 1); }, 0x39E7},
      {"add alpha 0 keeps", 0x1234, kWhite, 0, 0, [](D d, S s, B a, B, B, B) { BlitAddAlpha(d, 1, s, 1, a, 1, 1, 1); },
       0x1234},
      {"add alpha weighted, alpha 255", kBlack, kWhite, 255, 0,
       [](D d, S s, B a, B, B, B) { BlitAddAlphaWeighted(d, 1, s, 1, a, 1, 1, 1, 128); }, 0x7BEF},
      {"add alpha weighted, alpha 128", kBlack, kWhite, 128, 0,
       [](D d, S s, B a, B, B, B) { BlitAddAlphaWeighted(d, 1, s, 1, a, 1, 1, 1, 128); }, 0x39E7},
      {"mask alpha", kBlack, kWhite, 63, 255,
       [](D d, S s, B a, B m, B, B) { BlitMaskAlpha(d, 1, s, 1, a, 1, m, 1, 1, 1); }, 0x39E7},
      {"mask 0 keeps", 0x1234, kWhite, 63, 0,
       [](D d, S s, B a, B m, B, B) { BlitMaskAlpha(d, 1, s, 1, a, 1, m, 1, 1, 1); }, 0x1234},
      {"mask weight rounding to 0 keeps", 0x1234, kWhite, 63, 2,
       [](D d, S s, B a, B m, B, B) { BlitMaskAlpha(d, 1, s, 1, a, 1, m, 1, 1, 1); }, 0x1234},
      {"mask alpha opacity", kBlack, kWhite, 63, 255,
       [](D d, S s, B a, B m, B, B) { BlitMaskAlphaOpacity(d, 1, s, 1, a, 1, m, 1, 1, 1, 128); }, 0x18E3},
      {"fill", 0x1234, 0, 0, 0, [](D d, S, B, B, B, B) { FillColor(d, 1, 1, 1, 0xFF8040); }, 0xFC08},
      {"fill blend 255", kBlack, 0, 0, 0, [](D d, S, B, B, B, B) { FillColorBlend(d, 1, 1, 1, 0xFFFFFF, 255); },
       0xF7DE},
      {"fill add", kBlack, 0, 0, 0, [](D d, S, B, B, B, B) { FillColorAdd(d, 1, 1, 1, 0x102030); }, 0x1106},
      {"fill add saturates", kGrey, 0, 0, 0, [](D d, S, B, B, B, B) { FillColorAdd(d, 1, 1, 1, 0xFFFFFF); }, kWhite},
      // The colour's 8-bit channels are scaled, not its RGB565 form: 255 x 33
      // gives 32, where 248 x 33 would give 31.
      {"fill add weighted uses 8-bit channels", kBlack, 0, 0, 0,
       [](D d, S, B, B, B, B) { FillColorAddWeighted(d, 1, 1, 1, 0xFF0000, 33); }, 0x2000},
      {"palette copy", kBlack, 0, 0, 0, [](D d, S, B, B, B i, B p) { BlitPalette(d, 1, i, 1, p, 1, 1); }, 0xFC08},
      {"palette blend", kBlack, 0, 0, 0,
       [](D d, S, B, B, B i, B p) { BlitPaletteBlend(d, 1, i, 1, p, 1, 1, 128); }, 0x7A04},
      {"palette add", kGrey, 0, 0, 0, [](D d, S, B, B, B i, B p) { BlitPaletteAdd(d, 1, i, 1, p, 1, 1); }, 0xFFF8},
      {"palette add weighted", kBlack, 0, 0, 0,
       [](D d, S, B, B, B i, B p) { BlitPaletteAddWeighted(d, 1, i, 1, p, 1, 1, 128); }, 0x7A04},
  };
  const auto palette = TestPalette();
  const std::uint8_t index = 1;
  for (const PixelCase& c : cases) {
    std::uint16_t dst = c.dst;
    c.draw(&dst, &c.src, &c.alpha, &c.mask, &index, palette.data());
    EXPECT_EQ(dst, c.expected) << c.name;
  }
}

// Every rectangle and span member draws a 3 x 2 area at (2, 2) of an 8 x 6 buffer from
// a 5-wide picture; nothing outside the area may change.
TEST(RasterPixels, RectangleMembersStayInsideTheirArea) {
  constexpr int kDstW = 8, kDstH = 6, kSrcW = 5, kSrcH = 4;
  constexpr std::uint16_t kCanary = 0xDEAD;
  const std::vector<std::uint16_t> src(kSrcW * kSrcH, 0x4321);
  const std::vector<std::uint8_t> alpha(kSrcW * kSrcH, 255);
  const std::vector<std::uint8_t> indexes(kSrcW * kSrcH, 1);
  const std::vector<std::uint8_t> mask(kDstW * kDstH, 255);
  const auto palette = TestPalette();

  using Draw = std::function<void(std::uint16_t*)>;
  const int w = 3, h = 2;
  const auto* s = src.data();
  const auto* a = alpha.data();
  // Span members walk the picture at unit scale over the same area.
  TransformSpan span;
  span.boxRight = span.width = w;
  span.boxBottom = span.height = h;
  span.dudx = span.dvdy = 1024;
  span.srcRight = kSrcW;
  span.srcBottom = kSrcH;
  const std::vector<std::pair<std::string, Draw>> members = {
      {"BlitCopy", [&](std::uint16_t* d) { BlitCopy(d, kDstW, s, kSrcW, w, h); }},
      {"BlitBlend", [&](std::uint16_t* d) { BlitBlend(d, kDstW, s, kSrcW, w, h, 128); }},
      {"BlitAdd", [&](std::uint16_t* d) { BlitAdd(d, kDstW, s, kSrcW, w, h); }},
      {"BlitAddWeighted", [&](std::uint16_t* d) { BlitAddWeighted(d, kDstW, s, kSrcW, w, h, 128); }},
      {"BlitAlpha", [&](std::uint16_t* d) { BlitAlpha(d, kDstW, s, kSrcW, a, kSrcW, w, h); }},
      {"BlitAlphaOpacity", [&](std::uint16_t* d) { BlitAlphaOpacity(d, kDstW, s, kSrcW, a, kSrcW, w, h, 128); }},
      {"BlitAddAlpha", [&](std::uint16_t* d) { BlitAddAlpha(d, kDstW, s, kSrcW, a, kSrcW, w, h); }},
      {"BlitAddAlphaWeighted",
       [&](std::uint16_t* d) { BlitAddAlphaWeighted(d, kDstW, s, kSrcW, a, kSrcW, w, h, 128); }},
      {"BlitMaskAlpha",
       [&](std::uint16_t* d) { BlitMaskAlpha(d, kDstW, s, kSrcW, a, kSrcW, mask.data(), kDstW, w, h); }},
      {"BlitMaskAlphaOpacity",
       [&](std::uint16_t* d) { BlitMaskAlphaOpacity(d, kDstW, s, kSrcW, a, kSrcW, mask.data(), kDstW, w, h, 200); }},
      {"BlitPalette", [&](std::uint16_t* d) { BlitPalette(d, kDstW, indexes.data(), kSrcW, palette.data(), w, h); }},
      {"BlitPaletteBlend",
       [&](std::uint16_t* d) { BlitPaletteBlend(d, kDstW, indexes.data(), kSrcW, palette.data(), w, h, 128); }},
      {"BlitPaletteAdd",
       [&](std::uint16_t* d) { BlitPaletteAdd(d, kDstW, indexes.data(), kSrcW, palette.data(), w, h); }},
      {"BlitPaletteAddWeighted",
       [&](std::uint16_t* d) { BlitPaletteAddWeighted(d, kDstW, indexes.data(), kSrcW, palette.data(), w, h, 64); }},
      {"FillColor", [&](std::uint16_t* d) { FillColor(d, kDstW, w, h, 0x123456); }},
      {"FillColorBlend", [&](std::uint16_t* d) { FillColorBlend(d, kDstW, w, h, 0x123456, 128); }},
      {"FillColorAdd", [&](std::uint16_t* d) { FillColorAdd(d, kDstW, w, h, 0x123456); }},
      {"FillColorAddWeighted", [&](std::uint16_t* d) { FillColorAddWeighted(d, kDstW, w, h, 0x123456, 128); }},
      {"SpanNearest", [&](std::uint16_t* d) { SpanNearest(d, kDstW, s, kSrcW, kSrcH, span); }},
      {"SpanNearestBlend", [&](std::uint16_t* d) { SpanNearestBlend(d, kDstW, s, kSrcW, kSrcH, span, 128); }},
      {"SpanBilinear", [&](std::uint16_t* d) { SpanBilinear(d, kDstW, s, kSrcW, kSrcH, span); }},
      {"SpanBilinearBlend", [&](std::uint16_t* d) { SpanBilinearBlend(d, kDstW, s, kSrcW, kSrcH, span, 128); }},
      {"SpanNearestAlpha", [&](std::uint16_t* d) { SpanNearestAlpha(d, kDstW, s, a, kSrcW, kSrcH, span); }},
      {"SpanBilinearAlpha", [&](std::uint16_t* d) { SpanBilinearAlpha(d, kDstW, s, a, kSrcW, kSrcH, span); }},
  };
  for (const auto& [name, draw] : members) {
    std::vector<std::uint16_t> dst(kDstW * kDstH, kCanary);
    draw(dst.data() + 2 * kDstW + 2);
    for (int y = 0; y < kDstH; ++y) {
      for (int x = 0; x < kDstW; ++x) {
        const bool inside = x >= 2 && x < 2 + w && y >= 2 && y < 2 + h;
        if (inside)
          EXPECT_NE(dst[y * kDstW + x], kCanary) << name << " at " << x << "," << y;
        else
          EXPECT_EQ(dst[y * kDstW + x], kCanary) << name << " at " << x << "," << y;
      }
    }
  }

  std::vector<std::uint16_t> dst(kDstW * kDstH, kCanary);
  FillRectColor(dst.data(), kDstW, 2, 2, 5, 4, 0x0001);
  for (int y = 0; y < kDstH; ++y)
    for (int x = 0; x < kDstW; ++x)
      EXPECT_EQ(dst[y * kDstW + x], (x >= 2 && x < 5 && y >= 2 && y < 4) ? 0x0001 : kCanary) << x << "," << y;
}

// The channel-by-channel blend gives the packed blend's result everywhere.
TEST(RasterPixels, LaneBlendEqualsPackedBlend) {
  for (std::uint32_t s = 0; s < 0x10000; s += 251) {
    for (std::uint32_t d = 0; d < 0x10000; d += 241) {
      for (std::uint16_t w = 0; w <= 64; ++w) {
        ASSERT_EQ(Blend64Lanes(static_cast<std::uint16_t>(s), static_cast<std::uint16_t>(d), w), Blend64(s, d, w))
            << s << " " << d << " " << w;
      }
    }
  }
  EXPECT_EQ(Blend64Lanes(0xFFFF, 0x0000, 63), 0xF7DE);
}

// Wide alpha rows: runs that are wholly transparent, wholly opaque or mixed,
// and a ragged end, each pixel as the alpha rule says.
TEST(RasterPixels, AlphaRowsOfEveryRunKind) {
  constexpr int kW = 56, kH = 3, kStride = 60;
  std::vector<std::uint16_t> src(kW * kH), dst(kStride * kH), want(kStride * kH);
  std::vector<std::uint8_t> alpha(kW * kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int i = y * kW + x;
      src[i] = static_cast<std::uint16_t>(i * 2654435761u >> 9);
      dst[y * kStride + x] = static_cast<std::uint16_t>(i * 40503u + 777u);
      alpha[i] = x < 16 ? 0 : x < 32 ? 63 : static_cast<std::uint8_t>((x * 37 + y * 11) % 70 + (x == 40 ? 150 : 0));
    }
  }
  want = dst;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const std::uint32_t a = alpha[y * kW + x], s = src[y * kW + x], d = dst[y * kStride + x];
      if (a == 0) continue;
      want[y * kStride + x] = a >= 63 ? s
                                      : static_cast<std::uint16_t>(
                                            ((((s & 0xF81F) * a + (d & 0xF81F) * (64 - a)) >> 6) & 0xF81F) |
                                            ((((s & 0x07E0) * a + (d & 0x07E0) * (64 - a)) >> 6) & 0x07E0));
    }
  }
  BlitAlpha(dst.data(), kStride, src.data(), kW, alpha.data(), kW, kW, kH);
  EXPECT_EQ(dst, want);
}

TEST(RasterPixels, ZeroSizedRectanglesDrawNothing) {
  std::uint16_t dst = 0x1234;
  const std::uint16_t src = kWhite;
  BlitCopy(&dst, 1, &src, 1, 0, 1);
  BlitBlend(&dst, 1, &src, 1, 1, 0, 128);
  FillColor(&dst, 1, 0, 1, 0xFFFFFF);
  FillRectColor(&dst, 1, 0, 0, 0, 1, 0);
  EXPECT_EQ(dst, 0x1234);
}

// A 4 x 4 picture whose pixels all differ: (x, y) holds 0x0100 * (4y + x + 1).
class SpanTest : public ::testing::Test {
 protected:
  static constexpr int kSize = 4;

  SpanTest() {
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) picture[y * kSize + x] = static_cast<std::uint16_t>(0x0100 * (4 * y + x + 1));
  }

  static TransformSpan Identity(int width, int height) {
    TransformSpan span;
    span.boxRight = span.width = width;
    span.boxBottom = span.height = height;
    span.dudx = span.dvdy = 1024;
    span.srcRight = span.srcBottom = kSize;
    return span;
  }

  std::array<std::uint16_t, kSize * kSize> picture{};
};

TEST_F(SpanTest, HalfScaleTakesEverySecondPixel) {
  TransformSpan span = Identity(2, 2);
  span.dudx = span.dvdy = 2048;
  std::array<std::uint16_t, 4> dst{};
  SpanNearest(dst.data(), 2, picture.data(), kSize, kSize, span);
  EXPECT_EQ(dst[0], picture[0]);
  EXPECT_EQ(dst[1], picture[2]);
  EXPECT_EQ(dst[2], picture[2 * kSize]);
  EXPECT_EQ(dst[3], picture[2 * kSize + 2]);
}

TEST_F(SpanTest, NearestAtUnitScaleReachesTheLastRowAndColumn) {
  std::array<std::uint16_t, kSize * kSize> dst{};
  SpanNearest(dst.data(), kSize, picture.data(), kSize, kSize, Identity(kSize, kSize));
  EXPECT_EQ(dst, picture);
  // One step further right or down is outside the source and left alone.
  TransformSpan span = Identity(kSize + 1, kSize + 1);
  std::array<std::uint16_t, (kSize + 1) * (kSize + 1)> wide{};
  SpanNearest(wide.data(), kSize + 1, picture.data(), kSize, kSize, span);
  EXPECT_EQ(wide[3 * (kSize + 1) + 3], picture[15]);
  EXPECT_EQ(wide[3 * (kSize + 1) + 4], 0);
  EXPECT_EQ(wide[4 * (kSize + 1) + 3], 0);
}

TEST_F(SpanTest, SkippedColumnsAndRowsContinueTheWalk) {
  // The box's first column and row were clipped away: the walk starts at the
  // source position of box pixel (1, 1).
  TransformSpan span = Identity(2, 1);
  span.skipX = span.skipY = 1;
  span.boxLeft = 3;
  span.boxTop = 1;
  std::array<std::uint16_t, 5 * 2> dst{};
  SpanNearest(dst.data(), 5, picture.data(), kSize, kSize, span);
  EXPECT_EQ(dst[5 + 3], picture[1 * kSize + 1]);
  EXPECT_EQ(dst[5 + 4], picture[1 * kSize + 2]);
  EXPECT_EQ(dst[0], 0);
}

TEST_F(SpanTest, SamplesOutsideTheSourceRectangleLeaveTheDestination) {
  TransformSpan span = Identity(4, 1);
  span.srcLeft = 1;
  span.srcRight = 3;
  span.startU = -1024;  // first sample one column left of the rectangle
  std::array<std::uint16_t, 4> dst{7, 7, 7, 7};
  SpanNearest(dst.data(), 4, picture.data(), kSize, kSize, span);
  EXPECT_EQ(dst[0], 7);
  EXPECT_EQ(dst[1], picture[1]);
  EXPECT_EQ(dst[2], picture[2]);
  EXPECT_EQ(dst[3], 7);
}

TEST_F(SpanTest, BilinearReusesTheLastColumnAndRow) {
  // Half a pixel right and down of the picture's last pixel: every neighbour
  // is that pixel itself.
  TransformSpan span = Identity(1, 1);
  span.startU = span.startV = 3 * 1024 + 512;
  std::uint16_t dst = 0;
  SpanBilinear(&dst, 1, picture.data(), kSize, kSize, span);
  EXPECT_EQ(dst, picture[15]);

  // Inside the picture the same offset mixes four pixels per channel.
  const std::array<std::uint16_t, 4> quad = {0x0000, 0x07E0, 0xF800, 0x001F};
  span.srcRight = span.srcBottom = 2;
  span.startU = span.startV = 512;
  SpanBilinear(&dst, 1, quad.data(), 2, 2, span);
  EXPECT_EQ(dst, 0x39E7);  // a quarter of red, of green and of blue
}

TEST_F(SpanTest, BlendsAndAlphaSpans) {
  const std::array<std::uint16_t, 4> white = {kWhite, kWhite, kWhite, kWhite};
  TransformSpan span = Identity(1, 1);
  span.srcRight = span.srcBottom = 2;

  std::uint16_t dst = kBlack;
  SpanNearestBlend(&dst, 1, white.data(), 2, 2, span, 255);
  EXPECT_EQ(dst, 0xF7DE);
  dst = kBlack;
  SpanBilinearBlend(&dst, 1, white.data(), 2, 2, span, 128);
  EXPECT_EQ(dst, 0x7BEF);

  std::array<std::uint8_t, 4> alpha = {0, 63, 0, 63};
  dst = 0x1234;
  SpanNearestAlpha(&dst, 1, white.data(), alpha.data(), 2, 2, span);
  EXPECT_EQ(dst, 0x1234);  // alpha 0 leaves it
  span.startU = 1024;
  SpanNearestAlpha(&dst, 1, white.data(), alpha.data(), 2, 2, span);
  EXPECT_EQ(dst, kWhite);  // alpha 63 copies

  // Halfway between alpha 0 and 63 the alpha interpolates to 31.
  span.startU = 512;
  dst = kBlack;
  SpanBilinearAlpha(&dst, 1, white.data(), alpha.data(), 2, 2, span);
  EXPECT_EQ(dst, 0x7BCF);

  // Alpha bytes kept at 0..255 count as opaque, never as a larger weight.
  alpha = {200, 200, 200, 200};
  dst = kBlack;
  SpanBilinearAlpha(&dst, 1, white.data(), alpha.data(), 2, 2, span);
  EXPECT_EQ(dst, kWhite);
}

}  // namespace
