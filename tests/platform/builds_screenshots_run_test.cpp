// The three programs side by side, headless on the virtual clock over the
// game test data: one scripted run per build and panel through the logo, the
// opening movie, the title, the pop-up menu opened and closed over it, a
// page of text and the backlog. The CE 4.2 build draws what the CE 5 build
// draws; the CE 3 build draws the same 320 x 240 screen into the corner of
// any panel, and its movie frame is the CE 5 build's at half the size.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "host/module/module_api.h"
#include "platform/ce3/ce3_build.h"
#include "platform/ce4/ce4_build.h"
#include "platform/ce5/ce5_build.h"
#include "engine/pictures/rbp_format.h"
#include "tests/engine/movie/movie_fixture.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/run_schedule.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/screenshot_pixel.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

const char kScript[] =
    "<WinType WINDOW>\r\n<WinFrameType 2>\r\n<WinFrame 1>\r\n"
    "Page one./Its second line.<KW>\r\n<WinClear>\r\n"
    "[last]The page that waits.<KW>\r\n<WinClear>\r\n<Jump last,main.txt>\r\n";

const char* const kShots[] = {"logo", "movie", "title", "menu", "closed", "text", "backlog"};

// The logo's colour at (x, y): every pixel differs from its neighbours, and
// each channel keeps to the steps RGB565 holds, so the screen shows it exactly.
std::uint16_t LogoPixel(std::uint32_t x, std::uint32_t y) {
  const std::uint32_t r = (x * 7 + y) % 32;
  const std::uint32_t g = (x + y * 3) % 64;
  const std::uint32_t b = (x ^ y) % 32;
  return static_cast<std::uint16_t>(r << 11 | g << 5 | b);
}

// The logo: an opaque picture the size of the screen, in a pattern.
std::vector<std::uint8_t> PatternedLogo(std::uint32_t width, std::uint32_t height) {
  SourcePicture picture;
  picture.width = width;
  picture.height = height;
  picture.rgba.resize(std::size_t{width} * height * 4);
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint16_t pixel = LogoPixel(x, y);
      std::uint8_t* rgba = &picture.rgba[(std::size_t{y} * width + x) * 4];
      rgba[0] = static_cast<std::uint8_t>((pixel >> 11) << 3);
      rgba[1] = static_cast<std::uint8_t>(((pixel >> 5) & 63) << 2);
      rgba[2] = static_cast<std::uint8_t>((pixel & 31) << 3);
      rgba[3] = 255;
    }
  }
  const auto design = DesignSizeFor(width, height, 640, 480);
  return BuildRbpFile(picture, {kRbpKindRgb565, design[0], design[1]});
}

struct RunSpec {
  const char* name;
  const BuildVariant& (*build)();
  HostPanel panel;
  int screenWidth;
  int screenHeight;
  // Where a screen point shows in the panel's landscape view.
  int viewDivisor;
  int viewOffsetX;
};

// The shots of one run, each as its pixels in the landscape view.
struct Shots {
  std::uint32_t width = 0;
  std::map<std::string, std::vector<std::uint16_t>> pixels;
};

class BuildsScreenshotsRunTest : public ShellTest {
 protected:
  Shots Run(const RunSpec& spec) {
    SCOPED_TRACE(spec.name);
    ScopedTempDir dir("builds_shots_");
    namespace fs = std::filesystem;
    fs::copy(NOVEL_TEST_DATA_DIR "/game", dir.HostPath("data"), fs::copy_options::recursive);
    const std::vector<std::uint8_t> archive =
        BuildMlzArchive({{"main.txt", {std::begin(kScript), std::end(kScript) - 1}, true}}, '2');
    dir.WriteFile("data/script.mlz", std::string(archive.begin(), archive.end()));
    // Movies pixel-doubled rather than smoothed, so that the two screen sizes
    // show the same frame.
    dir.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n[MOV_CONFIG]\r\nVGA_QUALITY=0\r\n");
    // The opening movie: 240 x 320, two frames at two a second, no sound.
    dir.WriteFile("data/sorabel_OP.rzm2",
                  MovieFileBytes(MovieHeader(true, 240, 320, 2, 1), BlockPictureRecords(2, 240, 320)));
    // The logo and the title's background: opaque pictures the size of the
    // screen, from the second picture archive.
    const std::uint32_t w = static_cast<std::uint32_t>(spec.screenWidth);
    const std::uint32_t h = static_cast<std::uint32_t>(spec.screenHeight);
    const std::vector<std::uint8_t> title = BuildMlzArchive({{"brand_BG.rbp", PatternedLogo(w, h), true},
                                                             {"start_base_A.rbp", FlatRbp(w, h, 0xC0, 0x40, 0x30), true},
                                                             {"start_base_B.rbp", FlatRbp(w, h, 0xC0, 0x40, 0x30), true},
                                                             {"start_base_C.rbp", FlatRbp(w, h, 0xC0, 0x40, 0x30), true}},
                                                            '3');
    dir.WriteFile(w >= 640 ? "data/pict2_v.mlz" : "data/pict2.mlz", std::string(title.begin(), title.end()));
    HostSetModulePath(dir.HostPath(spec.name).c_str());
    // Each run on a fresh host: no windows or classes, the Game API neither
    // open nor suspended (as the last run's shutdown left it), the clock at 0.
    HostWindowSystemReset();
    GXResume();
    HostClockSetVirtualNow(0);
    HostDisplaySetPanel(spec.panel);
    // The sizes before start-up; the CE 3 build keeps them.
    SetScreenWidth(320);
    SetScreenHeight(240);

    std::string input;
    auto tap = [&](int ms, int designX, int designY) {
      const int x = spec.viewOffsetX + designX * spec.screenWidth / 800 / spec.viewDivisor;
      const int y = designY * spec.screenHeight / 600 / spec.viewDivisor;
      input += std::to_string(ms) + " tap " + std::to_string(x) + " " + std::to_string(y) + "; ";
    };
    // The logo holds from 1 s; a tap skips it and starts the opening movie,
    // one stops the movie, one ends the white fade. The
    // pop-up menu opens and closes over the title; two taps run "new game",
    // whose first page is typed by 7 s; then the backlog from the window
    // bar's menu.
    tap(1600, 1, 1);
    tap(1800, 1, 1);
    tap(2000, 1, 1);
    input += "2400 press escape; 2800 press left; ";
    tap(3200, 100, 310);
    tap(3400, 100, 310);
    tap(7300, 348, 590);
    tap(7500, 348, 590);
    tap(7800, 726, 32 + 47 * 2 + 23);
    tap(8000, 726, 32 + 47 * 2 + 23);
    input += "8800 close";
    const int times[] = {1500, 1700, 2300, 2700, 3100, 7000, 8600};
    std::vector<std::pair<int, std::string>> shots;
    for (std::size_t i = 0; i < std::size(kShots); ++i) shots.emplace_back(times[i], dir.HostPath(kShots[i]) + ".png");
    Shots result;
    if (!UseHeadlessRun(input, shots)) return result;
    ProcessServicesPort services;
    EXPECT_EQ(RunEngine(spec.build(), services, [] { return MakeGameApp(); }, nullptr, nullptr, SW_SHOWNORMAL), 0);
    HostSetWindowBackend(nullptr);
    HostSetModulePath("");
    for (std::size_t i = 0; i < std::size(kShots); ++i) {
      result.pixels[kShots[i]] = ScreenshotPixels(shots[i].second, &result.width);
    }
    return result;
  }
};

// The pixels of a width x height corner at (left, 0) of a shot.
std::vector<std::uint16_t> Corner(const Shots& shots, const std::string& name, std::uint32_t left,
                                  std::uint32_t width, std::uint32_t height) {
  const std::vector<std::uint16_t>& all = shots.pixels.at(name);
  std::vector<std::uint16_t> corner;
  for (std::uint32_t y = 0; y < height; ++y) {
    const auto row = all.begin() + static_cast<std::ptrdiff_t>(y * shots.width + left);
    corner.insert(corner.end(), row, row + width);
  }
  return corner;
}

TEST_F(BuildsScreenshotsRunTest, EachBuildDrawsTheSameGameOnEveryPanel) {
  const RunSpec ce5Large{"novel_ce5", Ce5Build, {480, 640, 0}, 640, 480, 1, 0};
  const RunSpec ce4Large{"novel_ce4", Ce4Build, {480, 640, 0}, 640, 480, 1, 0};
  const RunSpec ce5Small{"novel_ce5", Ce5Build, {240, 320, 0}, 640, 480, 2, 0};
  const RunSpec ce4Small{"novel_ce4", Ce4Build, {240, 320, 0}, 640, 480, 2, 0};
  const RunSpec ce3Small{"novel_ce3", Ce3Build, {240, 320, 0}, 320, 240, 1, 0};
  // The CE 3 build's 240 x 320 portrait corner is the view's right half.
  const RunSpec ce3Large{"novel_ce3", Ce3Build, {480, 640, 0}, 320, 240, 1, 320};

  const Shots ce5 = Run(ce5Large);
  const Shots ce4 = Run(ce4Large);
  EXPECT_EQ(ce5.width, 640u);
  for (const char* shot : kShots) EXPECT_TRUE(ce4.pixels.at(shot) == ce5.pixels.at(shot)) << shot << " at 480 x 640";
  const Shots ce5OnSmall = Run(ce5Small);
  const Shots ce4OnSmall = Run(ce4Small);
  EXPECT_EQ(ce5OnSmall.width, 320u);
  for (const char* shot : kShots) {
    EXPECT_TRUE(ce4OnSmall.pixels.at(shot) == ce5OnSmall.pixels.at(shot)) << shot << " at 240 x 320";
  }

  const Shots ce3 = Run(ce3Small);
  const Shots ce3OnLarge = Run(ce3Large);
  ASSERT_EQ(ce3.width, 320u);
  ASSERT_EQ(ce3OnLarge.width, 640u);
  for (const char* shot : kShots) {
    SCOPED_TRACE(shot);
    EXPECT_TRUE(Corner(ce3OnLarge, shot, 320, 320, 240) == ce3.pixels.at(shot));
    // Nothing outside that corner is touched.
    const std::vector<std::uint16_t>& all = ce3OnLarge.pixels.at(shot);
    std::size_t lit = 0;
    for (std::size_t i = 0; i < all.size(); ++i) lit += (i % 640 < 320 || i / 640 >= 240) && all[i] != 0;
    EXPECT_EQ(lit, 0u);
  }

  // The movie's first frame, 240 x 320 in the panel's portrait rows: the
  // CE 3 build decodes it into its panel as it is, the CE 5 build shows it
  // with every pixel doubled (view point (x, y) is panel row 319 - x,
  // column y).
  const std::vector<std::uint16_t> frame = DecodeMovieRecord(BlockPictureRecord(240, 320, 0));
  const std::vector<std::uint16_t>& ce3Movie = ce3.pixels.at("movie");
  const std::vector<std::uint16_t>& ce5Movie = ce5.pixels.at("movie");
  ASSERT_EQ(ce3Movie.size(), 320u * 240u);
  ASSERT_EQ(ce5Movie.size(), 640u * 480u);
  std::size_t ce3Wrong = 0;
  std::size_t ce5Wrong = 0;
  for (std::uint32_t y = 0; y < 480; ++y) {
    for (std::uint32_t x = 0; x < 640; ++x) {
      const std::uint16_t ce3Pixel = ce3Movie[y / 2 * 320 + x / 2];
      ce5Wrong += ce5Movie[y * 640 + x] != ce3Pixel;
      if (x % 2 == 0 && y % 2 == 0) ce3Wrong += ce3Pixel != frame[(319 - x / 2) * 240 + y / 2];
    }
  }
  EXPECT_EQ(ce3Wrong, 0u);
  EXPECT_EQ(ce5Wrong, 0u);

  for (const Shots* shots : {&ce5, &ce3}) {
    // The logo is one opaque picture the size of the screen: the screen is
    // that picture, pixel for pixel, the right way up.
    const std::vector<std::uint16_t>& logo = shots->pixels.at("logo");
    std::size_t logoWrong = 0;
    for (std::size_t i = 0; i < logo.size(); ++i) {
      logoWrong += logo[i] != LogoPixel(static_cast<std::uint32_t>(i % shots->width),
                                        static_cast<std::uint32_t>(i / shots->width));
    }
    EXPECT_EQ(logoWrong, 0u);
    // The menu shows over the title, which stays in view beside it (its
    // panel keeps to the left half), and closing it restores the
    // display exactly.
    const std::uint32_t height = static_cast<std::uint32_t>(logo.size()) / shots->width;
    EXPECT_FALSE(shots->pixels.at("menu") == shots->pixels.at("title"));
    EXPECT_TRUE(Corner(*shots, "menu", shots->width / 2, shots->width / 2, height) ==
                Corner(*shots, "title", shots->width / 2, shots->width / 2, height));
    EXPECT_TRUE(shots->pixels.at("closed") == shots->pixels.at("title"));
    EXPECT_FALSE(shots->pixels.at("backlog") == shots->pixels.at("text"));
  }
}

}  // namespace
