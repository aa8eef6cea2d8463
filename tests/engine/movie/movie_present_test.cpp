#include "engine/movie/movie_present.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/engine/movie/fake_display.h"
#include "tests/engine/movie/present_reference.h"

namespace {

// A frame whose every pixel differs from its neighbours in all channels, in
// a buffer with a padded row pitch (as the decoder leaves it) whose padding
// must never show.
struct PatternFrame {
  ReferenceFrame reference;
  std::vector<std::uint16_t> buffer;
  std::size_t pitch = 0;

  PatternFrame(std::uint32_t width, std::uint32_t height) : pitch((width + 15) / 16 * 16) {
    reference = {width, height, std::vector<std::uint16_t>(std::size_t{width} * height)};
    buffer.assign(pitch * height, 0xFFFF);
    for (std::uint32_t y = 0; y < height; ++y) {
      for (std::uint32_t x = 0; x < width; ++x) {
        const auto value = static_cast<std::uint16_t>((x * 2654435761u ^ y * 40503u) >> 7);
        reference.pixels[y * width + x] = value;
        buffer[y * pitch + x] = value;
      }
    }
  }
  MovieFrame View() const { return {buffer.data(), pitch, reference.width, reference.height}; }
};

struct PresentCase {
  const char* what;
  bool landscape;
  std::uint32_t width, height;  // the frame
  DisplayGeometry display;      // rows = screen width, columns = screen height
  bool smooth;
};

constexpr DisplayGeometry kVga{480, 640, 2, 960};
constexpr DisplayGeometry kQvga{240, 320, 2, 480};
constexpr DisplayGeometry kPaddedVga{480, 640, 2, 1024};
// A landscape panel seen as portrait: columns run backwards through memory rows.
constexpr DisplayGeometry kLandscapeVga{480, 640, -1280, 2};
constexpr DisplayGeometry kWideScreen{480, 800, 2, 960};

const PresentCase kCases[] = {
    {"240 x 320 doubled, copies", false, 240, 320, kVga, false},
    {"240 x 320 doubled, smoothed", false, 240, 320, kVga, true},
    {"240 x 320 doubled, smoothed, padded panel", false, 240, 320, kPaddedVga, true},
    {"240 x 320 doubled, smoothed, landscape panel", false, 240, 320, kLandscapeVga, true},
    {"240 x 320 on the small screen", false, 240, 320, kQvga, true},
    {"480 x 640 copied", false, 480, 640, kVga, false},
    {"480 x 640 on the small screen: not shown", false, 480, 640, kQvga, false},
    {"480 x 640 on an 800-wide screen: not shown", false, 480, 640, kWideScreen, false},
    {"218 x 320 centred", false, 218, 320, kVga, true},
    {"261 x 320 centred and cropped", false, 261, 320, kVga, true},
    {"261 x 320 cropped on the landscape panel", false, 261, 320, kLandscapeVga, true},
    {"224 x 320 centred", false, 224, 320, kVga, false},
    {"448 x 640 centred 1:1", false, 448, 640, kVga, false},
    {"261 x 320 1:1 on the small screen, cropped", false, 261, 320, kQvga, false},
    {"landscape 160 x 120 doubled and centred", true, 160, 120, kVga, true},
    {"landscape 160 x 120 1:1 and centred", true, 160, 120, kQvga, false},
    {"landscape 320 x 240 doubled", true, 320, 240, kVga, true},
    {"landscape 320 x 240 on the padded panel", true, 320, 240, kPaddedVga, false},
    {"landscape 320 x 240 on the landscape panel", true, 320, 240, kLandscapeVga, true},
    {"landscape 640 x 480 1:1", true, 640, 480, kVga, false},
    {"landscape 640 x 480 on the small screen: not shown", true, 640, 480, kQvga, false},
    {"landscape 400 x 300 doubled past every edge", true, 400, 300, kVga, true},
};

TEST(MoviePresentTest, FramesLandWhereTheReferencePutsThemAndNowhereElse) {
  for (const PresentCase& c : kCases) {
    SCOPED_TRACE(c.what);
    const PatternFrame frame(c.width, c.height);
    FakeDisplay display(c.display);
    if (c.landscape) {
      PresentLandscapeFrame(frame.View(), display.Screen(), c.smooth);
    } else {
      PresentTurnedFrame(frame.View(), display.Screen(), c.smooth);
    }
    const std::vector<std::uint16_t> expected = ExpectedDisplay(frame.reference, c.landscape, c.smooth, c.display.rows,
                                                                c.display.columns, FakeDisplay::kBlank);
    std::size_t wrong = 0;
    std::string first;
    for (std::uint32_t row = 0; row < c.display.rows; ++row) {
      for (std::uint32_t column = 0; column < c.display.columns; ++column) {
        if (display.At(row, column) == expected[row * c.display.columns + column]) continue;
        if (wrong++ == 0) first = std::to_string(row) + "," + std::to_string(column);
      }
    }
    EXPECT_EQ(wrong, 0u) << "first wrong pixel at row,column " << first;
    EXPECT_EQ(display.CanaryDamage(), 0u);
  }
}

TEST(MoviePresentTest, AveragesFollowTheChannelMasks) {
  // The low bits all inputs share are set into the result; odd sums round down.
  EXPECT_EQ(Average2(0x0821, 0x0821), 0x0821);
  EXPECT_EQ(Average2(0x0001, 0x0000), 0x0000);
  EXPECT_EQ(Average2(0xFFFF, 0x0000), 0x7BEF);
  EXPECT_EQ(Average4(0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF), 0xFFFF);
  EXPECT_EQ(Average4(0x0003, 0x0003, 0x0003, 0x0000), 0x0000);
  EXPECT_EQ(Average4(0x0003, 0x0003, 0x0003, 0x0001), 0x0001);
  // Set, not added: red 13 and 27 give 19, not 20.
  EXPECT_EQ(Average2(13 << 11, 27 << 11) >> 11, 19);
}

TEST(MoviePresentTest, ClearingBlackensTheScreenAreaOnly) {
  for (const DisplayGeometry& geometry : {kVga, kPaddedVga, kLandscapeVga}) {
    FakeDisplay display(geometry);
    ClearMovieScreen(display.Screen());
    std::size_t notBlack = 0;
    for (std::uint32_t row = 0; row < geometry.rows; ++row) {
      for (std::uint32_t column = 0; column < geometry.columns; ++column) notBlack += display.At(row, column) != 0;
    }
    EXPECT_EQ(notBlack, 0u);
    EXPECT_EQ(display.CanaryDamage(), 0u);
  }
}

}  // namespace
