// The title screen of the VGA program on the virtual clock with scripted
// input, seen through headless screenshots: each title picture is one colour,
// so every stage shows by the colour at a known place.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "host/module/module_api.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/run_schedule.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/screenshot_pixel.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

constexpr std::uint16_t kLogoBlue = 0x001F;
constexpr std::uint16_t kBaseRed = 0xF800;
constexpr std::uint16_t kPartsGreen = 0x07E0;

int Red5(std::uint16_t p) { return p >> 11; }
int Green6(std::uint16_t p) { return (p >> 5) & 0x3F; }
int Blue5(std::uint16_t p) { return p & 0x1F; }

struct Shot {
  DWORD at;
  std::string name;
};

class TitleScreenshotsRunTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    // The logo blue, every menu background red, the parts sheet (its
    // highlight rows) green; screen-sized pictures are design 800 x 600.
    const std::vector<MlzEntrySource> pictures = {
        {"brand_BG.rbp", FlatRbp(640, 480, 0, 0, 0xF8), true},
        {"start_base_A.rbp", FlatRbp(640, 480, 0xF8, 0, 0), true},
        {"start_base_B.rbp", FlatRbp(640, 480, 0xF8, 0, 0), true},
        {"start_base_C.rbp", FlatRbp(640, 480, 0xF8, 0, 0), true},
        {"TITLE_PARTS.rbp", FlatRbp(1069, 577, 0, 0xFC, 0), true},
    };
    const std::vector<std::uint8_t> archive = BuildMlzArchive(pictures, '3');
    dir_.WriteFile("data/pict_v.mlz", std::string(archive.begin(), archive.end()));
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
  }
  void TearDown() override {
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  // Runs the program with the input script and takes the shots.
  void Run(const std::string& input, const std::vector<Shot>& shots) {
    std::vector<std::pair<int, std::string>> shotPaths;
    for (const Shot& shot : shots) shotPaths.emplace_back(static_cast<int>(shot.at), Path(shot));
    ASSERT_TRUE(UseHeadlessRun(input, shotPaths));
    ProcessServicesPort services;
    ASSERT_EQ(RunEngine(
                  Ce5Build(), services, [] { return MakeGameApp(); }, nullptr, nullptr, SW_SHOWNORMAL),
              0);
  }
  std::string Path(const Shot& shot) const { return dir_.HostPath(shot.name + ".png"); }
  std::uint16_t Centre(const Shot& shot) const { return ScreenshotCentrePixel(Path(shot)); }

  ScopedTempDir dir_{"title_shots_"};
};

// Untouched: the logo fades in from white over the first second and holds
// through the next; the menu comes out of a white fade over the third.
TEST_F(TitleScreenshotsRunTest, LogoFadesInHoldsAndTheMenuComesOutOfWhite) {
  const Shot fadeIn{500, "fade_in"}, hold{1500, "hold"}, whiteFade{2500, "white_fade"}, menu{3500, "menu"};
  Run("4000 close", {fadeIn, hold, whiteFade, menu});
  // About half the logo over white: full blue, red and green near half.
  const std::uint16_t half = Centre(fadeIn);
  EXPECT_EQ(Blue5(half), 31) << std::hex << half;
  EXPECT_GE(Red5(half), 12) << std::hex << half;
  EXPECT_LE(Red5(half), 19) << std::hex << half;
  EXPECT_EQ(Centre(hold), kLogoBlue);
  EXPECT_EQ(ScreenshotPixel(Path(hold), 0, 0), kLogoBlue);
  // About half white over the red background.
  const std::uint16_t white = Centre(whiteFade);
  EXPECT_EQ(Red5(white), 31) << std::hex << white;
  EXPECT_GE(Green6(white), 24) << std::hex << white;
  EXPECT_LE(Green6(white), 40) << std::hex << white;
  EXPECT_EQ(Centre(menu), kBaseRed);
  EXPECT_EQ(ScreenshotPixel(Path(menu), 639, 479), kBaseRed);
}

// A tap during the fade-in skips the logo: the menu is up a second after it,
// when the untouched title would still hold the logo. A tap on the "new
// game" row (design 100, 310; its highlight design 65..185 x 298..329) puts
// the row's highlight from the parts sheet over the background.
TEST_F(TitleScreenshotsRunTest, ATapSkipsTheLogoAndATapOnARowHighlightsIt) {
  const Shot skipped{1500, "skipped"}, highlighted{2500, "highlighted"};
  Run("300 tap 1 1; 1300 tap 1 1; 2000 tap 80 248; 3000 close", {skipped, highlighted});
  EXPECT_EQ(Centre(skipped), kBaseRed);
  EXPECT_EQ(ScreenshotPixel(Path(skipped), 80, 248), kBaseRed);
  // Screen = design x 0.8: the highlight covers x 52..148, y 238..263,
  // give or take the rounding of its edges.
  for (const auto& [x, y] : {std::pair{54, 241}, std::pair{80, 248}, std::pair{145, 260}})
    EXPECT_EQ(ScreenshotPixel(Path(highlighted), x, y), kPartsGreen) << x << "," << y;
  for (const auto& [x, y] : {std::pair{49, 248}, std::pair{80, 235}, std::pair{80, 266}, std::pair{320, 240}})
    EXPECT_EQ(ScreenshotPixel(Path(highlighted), x, y), kBaseRed) << x << "," << y;
}

}  // namespace
