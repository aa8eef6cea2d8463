// The pop-up menu of both screen sizes in headless screenshots, worked by
// keys over the title: the root, the settings submenu and the load list with
// a save's thumbnail in the top-right corner.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/pictures/picture_thumbnail.h"
#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/saves/save_file.h"
#include "host/memory/memory_api.h"
#include "host/module/module_api.h"
#include "platform/ce3/ce3_build.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/run_schedule.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/screenshot_pixel.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

constexpr std::uint16_t kPanel = 0xD699;
constexpr std::uint16_t kThumbnail = 0x07FF;

struct Program {
  const char* name;
  const BuildVariant& (*build)();
  HostPanel panel;
  int width;
  int height;
  const char* archive;
};

class MenuScreenshotsRunTest : public ShellTest, public ::testing::WithParamInterface<Program> {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    const Program& program = GetParam();
    SetScreenWidth(program.width);
    SetScreenHeight(program.height);
    HostDisplaySetPanel(program.panel);
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    const std::vector<std::uint8_t> archive =
        BuildMlzArchive({{"brand_BG.rbp", FlatRbp(program.width, program.height, 0, 0, 0x80), true}}, '3');
    dir_.WriteFile(std::string("data/") + program.archive, std::string(archive.begin(), archive.end()));
    // A save in slot 1 whose thumbnail is one flat colour.
    const int w = program.width / 8;
    const int h = program.height / 8;
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(w * h), kThumbnail);
    std::uint32_t size = 0;
    std::uint8_t* bitmap = BuildThumbnailBitmap(pixels.data(), w, h, w, h, &size);
    SaveFile save;
    std::strcpy(save.header.timeStamp, "2026-12-11 08:00:00");
    std::strcpy(save.header.scriptName, "main.txt");
    save.thumbnail.assign(bitmap, bitmap + size);
    LocalFree(bitmap);
    dir_.WriteFile("data/save/" + SaveFileName(0), EncodeSaveFile(save));
    HostSetModulePath(dir_.HostPath(program.name).c_str());
  }
  void TearDown() override {
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  std::string Shot(const char* name) const { return dir_.HostPath(std::string(name) + ".png"); }
  // How many points of a 16-pixel grid over the rectangle show colour.
  int Count(const char* shot, int left, int top, int right, int bottom, std::uint16_t colour) const {
    int count = 0;
    for (int y = top; y < bottom; y += 16) {
      for (int x = left; x < right; x += 16) count += ScreenshotPixel(Shot(shot), x, y) == colour;
    }
    return count;
  }

  ScopedTempDir dir_{"menu_shots_"};
};

TEST_P(MenuScreenshotsRunTest, RootSettingsAndASlotWithItsThumbnail) {
  const Program& program = GetParam();
  // Root; down to the settings (Save and the previous choice are grey at
  // the title) and in; back, up to the load list, in, onto the first slot.
  const std::string input =
      "300 press escape; 600 press down; 700 press down; 800 press down; 900 press down; 1000 press right; "
      "1300 press left; 1400 press up; 1500 press up; 1600 press up; 1700 press right; 1800 press down; "
      "2100 press left; 2200 press left; 2500 close";
  ASSERT_TRUE(UseHeadlessRun(
      input, {{500, Shot("root")}, {1200, Shot("settings")}, {2000, Shot("slot")}, {2400, Shot("closed")}}));
  ProcessServicesPort services;
  ASSERT_EQ(RunEngine(
                program.build(), services, [] { return MakeGameApp(); }, nullptr, nullptr, SW_SHOWNORMAL),
            0);

  const int w = program.width;
  const int h = program.height;
  EXPECT_GT(Count("root", 0, 0, w / 4, h / 2, kPanel), 4);
  EXPECT_EQ(Count("closed", 0, 0, w, h, kPanel), 0);
  // The settings panel is as tall as its twelve items, the root's thirteen
  // rows reach lower (the rows are 13 px at both sizes).
  EXPECT_GT(Count("settings", 0, 0, w / 4, h / 2, kPanel), 4);
  // The slot's thumbnail in the top-right corner, only while highlighted.
  const int iconX = w - 1 - w / 16;
  const int iconY = 1 + h / 16;
  EXPECT_EQ(ScreenshotPixel(Shot("slot"), iconX, iconY), kThumbnail);
  EXPECT_NE(ScreenshotPixel(Shot("root"), iconX, iconY), kThumbnail);
  EXPECT_NE(ScreenshotPixel(Shot("closed"), iconX, iconY), kThumbnail);
}

INSTANTIATE_TEST_SUITE_P(Programs, MenuScreenshotsRunTest,
                         ::testing::Values(Program{"novel_ce5", Ce5Build, HostPanel{480, 640, 0}, 640, 480, "pict_v.mlz"},
                                           Program{"novel_ce3", Ce3Build, HostPanel{240, 320, 0},
                                                   320, 240, "pict.mlz"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
