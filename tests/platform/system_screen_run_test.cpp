// The system screen of the VGA program, opened from the title menu, seen
// through headless screenshots: "sys_base" is blue and "sys_parts" green, so
// each part shows as a green block at its place.
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

constexpr std::uint16_t kBaseBlue = 0x001F;
constexpr std::uint16_t kPartsGreen = 0x07E0;

class SystemScreenRunTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    const std::vector<MlzEntrySource> pictures = {
        {"brand_BG.rbp", FlatRbp(640, 480, 0xF8, 0, 0), true},
        {"start_base_A.rbp", FlatRbp(640, 480, 0xF8, 0, 0), true},
        {"TITLE_PARTS.rbp", FlatRbp(1069, 577, 0xF8, 0xFC, 0), true},
        {"sys_base.rbp", FlatRbp(640, 480, 0, 0, 0xF8), true},
        {"sys_parts.rbp", FlatRbp(154, 294, 0, 0xFC, 0), true},
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

  void Run(const std::string& input, const std::vector<std::pair<DWORD, std::string>>& shots) {
    std::vector<std::pair<int, std::string>> shotPaths;
    for (const auto& [at, name] : shots) shotPaths.emplace_back(static_cast<int>(at), Path(name));
    ASSERT_TRUE(UseHeadlessRun(input, shotPaths));
    ProcessServicesPort services;
    ASSERT_EQ(RunEngine(
                  Ce5Build(), services, [] { return MakeGameApp(); }, nullptr, nullptr, SW_SHOWNORMAL),
              0);
  }
  std::string Path(const std::string& name) const { return dir_.HostPath(name + ".png"); }
  std::uint16_t Pixel(const std::string& name, std::uint32_t x, std::uint32_t y) const {
    return ScreenshotPixel(Path(name), x, y);
  }

  ScopedTempDir dir_{"system_shots_"};
};

// The title's "system" row (design y 408) tapped twice opens the screen; the
// fifth music cell (design 686..698 x 158..182) tapped twice moves the music
// knob from 100 (design x 746) to 50 (design x 686). Screen = design x 0.8.
TEST_F(SystemScreenRunTest, OpensFromTheTitleAndTheMusicKnobFollowsTheCell) {
  Run("300 tap 1 1; 1300 tap 1 1; 2000 tap 80 326; 2200 tap 80 326; 2800 tap 553 136; 3000 tap 553 136; 3800 close",
      {{2600, "system"}, {3400, "music50"}});
  EXPECT_EQ(Pixel("system", 320, 240), kBaseBlue);
  EXPECT_EQ(Pixel("system", 120, 344), kPartsGreen);  // decoration 420
  EXPECT_EQ(Pixel("system", 603, 136), kPartsGreen);  // music knob at 100
  EXPECT_EQ(Pixel("system", 555, 136), kBaseBlue);
  EXPECT_EQ(Pixel("music50", 603, 136), kBaseBlue);
  EXPECT_EQ(Pixel("music50", 555, 136), kPartsGreen);
  EXPECT_EQ(Pixel("music50", 320, 240), kBaseBlue);
}

}  // namespace
