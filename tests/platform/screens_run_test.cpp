// The game's screens in both programs, headless over the game test data:
// the in-game menu from the window's bar, the save/load screen (saving,
// paging, load mode), the backlog, the system screen, the title and a load
// back into the game. Every screen picture of the test data is a flat
// numbered block (tools/make_game_test_data.py), so each part shows as its
// block's colour at the place its screen puts it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "engine/pictures/picture_thumbnail.h"
#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/saves/save_file.h"
#include "host/memory/memory_api.h"
#include "host/module/module_api.h"
#include "platform/ce3/ce3_build.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/run_schedule.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/screenshot_pixel.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

// RGB565 of the test data's colour for block number.
std::uint16_t BlockColour(int number) {
  const int r = (number * 53 + 40) % 256, g = (number * 97 + 80) % 256, b = (number * 151 + 120) % 256;
  return static_cast<std::uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}
// The test data's block numbers.
constexpr int kSaveBase = 8, kLoadBase = 9, kLogBase = 11, kSysBase = 13;
constexpr int kMenuPanel = 40, kFirstMenuButtonLit = 30;
constexpr int kRowLit = 100, kFirstPageTab = 101, kFirstTabLit = 111, kFirstModeButtonLit = 121, kNewestMarker = 124;
constexpr int kFirstScrollLit = 140, kLogKnob = 144, kVoiceButton = 145;
constexpr int kFirstSysMarker = 160, kFirstSysButtonLit = 171, kSysKnob = 174;

// The game's state at shutdown, while the engine object still exists.
struct ObservingServices : ProcessServicesPort {
  CGame* game = nullptr;
  std::uint32_t sceneState = 0;
  std::int32_t local = -1;
  std::int32_t global = -1;
  std::uint32_t musicVolume = 0;
  void FlushProfile() override {
    sceneState = game->Engine().sceneState;
    local = game->Interpreter().GetVariable("flowLocal");
    global = game->Interpreter().GetVariable("g_flow");
    musicVolume = game->Engine().options[MUSIC_VOL];
  }
};

struct Program {
  const char* name;
  const BuildVariant& (*build)();
  HostPanel panel;
  std::uint32_t width;
  std::uint32_t height;
};

void PrintTo(const Program& program, std::ostream* out) { *out << program.name; }

// Four pages passed with a tap each (two of them voiced), then a page that
// waits for good. The local and the global variable come back with a load.
const char kScript[] =
    "<WinType WINDOW>\r\n<WinFrameType 2>\r\n<WinFrame 1>\r\n<Mov g_flow,5>\r\n<Mov flowLocal,9>\r\n"
    "<SndPlay voice01,v001>Page one./Its second line.<KW>\r\n<WinClear>\r\n"
    "Page two.<KW>\r\n<WinClear>\r\n"
    "<SndPlay voice01,v002>Page three.<KW>\r\n<WinClear>\r\n"
    "Page four.<KW>\r\n<WinClear>\r\n"
    "[last]The page the game is saved on.<KW>\r\n<WinClear>\r\n<Jump last,main.txt>\r\n";

class ScreensRunTest : public ShellTest, public ::testing::WithParamInterface<Program> {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    SetScreenWidth(320);
    SetScreenHeight(240);
    HostDisplaySetPanel(GetParam().panel);
    namespace fs = std::filesystem;
    fs::copy(NOVEL_TEST_DATA_DIR "/game", dir_.HostPath("data"), fs::copy_options::recursive);
    UseScripts({{"main.txt", kScript}});
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
  }
  void TearDown() override {
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  // The game's script archive: file name and text.
  void UseScripts(const std::vector<std::pair<std::string, std::string>>& scripts) {
    std::vector<MlzEntrySource> entries;
    for (const auto& [name, text] : scripts) entries.push_back({name, {text.begin(), text.end()}, true});
    const std::vector<std::uint8_t> archive = BuildMlzArchive(entries, '2');
    dir_.WriteFile("data/script.mlz", std::string(archive.begin(), archive.end()));
  }
  // A screen point of the design point (800 x 600).
  std::uint32_t X(std::int32_t designX) const { return static_cast<std::uint32_t>(designX) * GetParam().width / 800; }
  std::uint32_t Y(std::int32_t designY) const { return static_cast<std::uint32_t>(designY) * GetParam().height / 600; }
  // Input entries: a tap at a design point, a screenshot.
  void TapAt(int ms, std::int32_t designX, std::int32_t designY) {
    input_ += std::to_string(ms) + " tap " + std::to_string(X(designX)) + " " + std::to_string(Y(designY)) + "; ";
  }
  void TwoTaps(int ms, std::int32_t designX, std::int32_t designY) {
    TapAt(ms, designX, designY);
    TapAt(ms + 200, designX, designY);
  }
  void Shot(int ms, const std::string& name) { shots_.emplace_back(ms, name); }

  void Run(int closeMs) {
    std::vector<std::pair<int, std::string>> shotPaths;
    for (const auto& [at, name] : shots_) shotPaths.emplace_back(static_cast<int>(at), Path(name));
    ASSERT_TRUE(UseHeadlessRun(input_ + std::to_string(closeMs) + " close", shotPaths));
    testing::internal::CaptureStderr();
    const int result = RunEngine(
        GetParam().build(), services_,
        [this] {
          std::unique_ptr<CGameApp> app = MakeGameApp();
          services_.game = dynamic_cast<CGame*>(app->game.get());
          return app;
        },
        nullptr, nullptr, SW_SHOWNORMAL);
    errors_ = testing::internal::GetCapturedStderr();
    ASSERT_EQ(result, 0);
  }
  std::string Path(const std::string& name) const { return dir_.HostPath(name + ".png"); }
  // The shot's pixel at a design point.
  std::uint16_t At(const std::string& name, std::int32_t designX, std::int32_t designY) const {
    return ScreenshotPixel(Path(name), X(designX), Y(designY));
  }
  // How many pixels of the design rectangle differ from the block's colour.
  std::size_t OffBlock(const std::string& shot, std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                       int block) const {
    std::uint32_t width = 0;
    const std::vector<std::uint16_t> pixels = ScreenshotPixels(Path(shot), &width);
    std::size_t off = 0;
    for (std::uint32_t py = Y(y); py < Y(y + h); ++py) {
      for (std::uint32_t px = X(x); px < X(x + w); ++px) off += pixels[std::size_t{py} * width + px] != BlockColour(block);
    }
    return off;
  }
  void ExpectBlock(const std::string& shot, std::int32_t designX, std::int32_t designY, int block) const {
    EXPECT_EQ(At(shot, designX, designY), BlockColour(block))
        << shot << " at design " << designX << ", " << designY << ": block " << block;
  }

  ScopedTempDir dir_{"screens_run_"};
  ObservingServices services_;
  std::string input_;
  std::vector<std::pair<int, std::string>> shots_;
  std::string errors_;
};

// Title to game: a tap skips the logo, one ends the white fade, two run "new
// game" (design 100, 310); the game runs from about 1.8 s.
TEST_P(ScreensRunTest, TheWholeFlowThroughEveryScreenAndBack) {
  TapAt(100, 1, 1);
  TapAt(300, 1, 1);
  TwoTaps(500, 100, 310);
  // Four pages passed with a tap on the message, the fifth waits.
  for (int page = 0; page < 4; ++page) TapAt(2600 + 600 * page, 400, 300);
  Shot(5000, "game");
  // The bar's button 2 (hit 308..388 x 580..600): lit, then the menu.
  TwoTaps(5200, 348, 590);
  Shot(5400, "bar_lit");
  Shot(5500, "menu");
  // Menu button 0 (save): lit, then the save screen.
  TwoTaps(5600, 726, 57);
  Shot(5700, "menu_save_lit");
  Shot(5900, "save_screen");
  // Row 3: lit, then saved there (slot 3, "save004.dat").
  TwoTaps(6000, 400, 394);
  Shot(6100, "save_row_lit");
  Shot(6300, "saved");
  // Tab 4: lit, then page 4; the switch to load; tab 0 again.
  TwoTaps(6400, 190, 578);
  Shot(6500, "tab_lit");
  Shot(6700, "page4");
  TwoTaps(6800, 644, 574);
  Shot(6900, "to_load_lit");
  Shot(7100, "load_mode");
  TwoTaps(7200, 30, 578);
  Shot(7500, "load_page0");
  // Back to the game, its window shown again.
  TwoTaps(7600, 748, 574);
  Shot(8300, "back_in_game");
  // The backlog from the menu's button 2; its newest-page scroll button
  // (design 750, 570) lit, then leaving back to the game.
  TwoTaps(8400, 348, 590);
  TwoTaps(8700, 726, 32 + 47 * 2 + 23);
  Shot(9000, "backlog");
  TwoTaps(9100, 760, 580);
  Shot(9200, "backlog_lit");
  // The system screen from the menu's button 3: the fifth music cell twice.
  TwoTaps(9500, 348, 590);
  TwoTaps(9800, 726, 32 + 47 * 3 + 23);
  Shot(10100, "system");
  TwoTaps(10200, 692, 170);
  Shot(10500, "system_music50");
  // Its title button, then the title's "load" row (design 100, 346).
  TwoTaps(10600, 604, 574);
  Shot(10700, "system_title_lit");
  TwoTaps(12000, 100, 346);
  Shot(12300, "title_load");
  // Row 3 loaded: the game's page is typed again.
  TwoTaps(12400, 400, 394);
  Shot(14000, "loaded");
  Run(14500);

  EXPECT_EQ(errors_.find("no screen for scene state"), std::string::npos) << errors_;
  EXPECT_EQ(services_.sceneState, SCENE_GAME);
  EXPECT_EQ(services_.local, 9);
  EXPECT_EQ(services_.global, 5);
  EXPECT_EQ(services_.musicVolume, 50u);

  // The menu: its panel (block 40) on the right over the game.
  ExpectBlock("menu", 700, 300, kMenuPanel);
  ExpectBlock("menu_save_lit", 726, 57, kFirstMenuButtonLit);
  // The save screen: its base, page 0's tab, no marker yet (nothing saved).
  ExpectBlock("save_screen", 50, 300, kSaveBase);
  ExpectBlock("save_screen", 30, 578, kFirstPageTab);
  ExpectBlock("save_screen", 510, 80 + 95 * 3, kSaveBase);
  ExpectBlock("save_row_lit", 600, 64 + 95 * 3 + 45, kRowLit);
  // Saved: the marker at row 3, the row's thumbnail (the game, not this
  // screen: not the base's colour).
  ExpectBlock("saved", 510, 80 + 95 * 3, kNewestMarker);
  EXPECT_NE(At("saved", 180, 72 + 95 * 3 + 37), BlockColour(kSaveBase));
  ExpectBlock("tab_lit", 190, 578, kFirstTabLit + 4);
  ExpectBlock("page4", 190, 578, kFirstPageTab + 4);
  ExpectBlock("page4", 510, 80 + 95 * 3, kSaveBase);
  ExpectBlock("to_load_lit", 644, 574, kFirstModeButtonLit + 1);
  ExpectBlock("load_mode", 50, 300, kLoadBase);
  ExpectBlock("load_page0", 510, 80 + 95 * 3, kNewestMarker);
  // The backlog: base, knob, the newest page's scroll button lit.
  ExpectBlock("backlog", 30, 300, kLogBase);
  ExpectBlock("backlog_lit", 760, 580, kFirstScrollLit + 3);
  // The system screen: base, the music knob at 100 (x 746), then at 50.
  ExpectBlock("system", 30, 300, kSysBase);
  ExpectBlock("system", 752, 168, kSysKnob);
  ExpectBlock("system_music50", 692, 168, kSysKnob);
  ExpectBlock("system_music50", 752, 168, kSysBase);
  ExpectBlock("system_title_lit", 508 + 64 + 32, 574, kFirstSysButtonLit + 1);
  ExpectBlock("title_load", 50, 300, kLoadBase);
  ExpectBlock("title_load", 510, 80 + 95 * 3, kNewestMarker);

  // The loaded game looks as it did before saving, pixel for pixel.
  std::uint32_t width = 0, loadedWidth = 0;
  const std::vector<std::uint16_t> before = ScreenshotPixels(Path("game"), &width);
  const std::vector<std::uint16_t> after = ScreenshotPixels(Path("loaded"), &loadedWidth);
  ASSERT_EQ(before.size(), after.size());
  std::size_t differing = 0;
  for (std::size_t i = 0; i < before.size(); ++i) differing += before[i] != after[i];
  EXPECT_EQ(differing, 0u);

  // save004.dat's thumbnail is the game as the menu opened (the bar's
  // button lit), box-filtered.
  const std::optional<std::string> save = dir_.ReadFile("data/save/save004.dat");
  ASSERT_TRUE(save.has_value());
  {
    std::uint32_t shotWidth = 0;
    const std::vector<std::uint16_t> pixels = ScreenshotPixels(Path("bar_lit"), &shotWidth);
    const auto shotHeight = static_cast<std::uint32_t>(pixels.size() / shotWidth);
    std::uint32_t size = 0;
    std::uint8_t* expected =
        BuildThumbnailBitmap(pixels.data(), shotWidth, shotHeight, 100 * shotWidth / 800, 75 * shotHeight / 600, &size);
    ASSERT_NE(expected, nullptr);
    ASSERT_GE(save->size(), 1656u + size);
    std::size_t different = 0;
    for (std::uint32_t i = 0; i < size; ++i) different += static_cast<std::uint8_t>((*save)[1656 + i]) != expected[i];
    LocalFree(expected);
    EXPECT_EQ(different, 0u);
  }
}

// A whole save whose thumbnail was made at the other screen size (its left
// half red, its right half blue), a damaged file, a folder in a save's place
// and an empty slot, on the load screen opened from the title.
TEST_P(ScreensRunTest, DamagedRowsAndAThumbnailOfTheOtherSize) {
  const std::uint32_t otherWidth = GetParam().width == 640 ? 40 : 80, otherHeight = otherWidth * 3 / 4;
  std::vector<std::uint16_t> halves(std::size_t{otherWidth} * otherHeight);
  for (std::size_t i = 0; i < halves.size(); ++i) halves[i] = i % otherWidth < otherWidth / 2 ? 0xF800 : 0x001F;
  std::uint32_t size = 0;
  std::uint8_t* bitmap = BuildThumbnailBitmap(halves.data(), otherWidth, otherHeight, otherWidth, otherHeight, &size);
  ASSERT_NE(bitmap, nullptr);
  SaveFile save;
  std::strcpy(save.header.timeStamp, "2026-12-11 12:34:56");
  std::strcpy(save.header.scriptName, "main.txt");
  std::strcpy(save.header.messageText, "Saved at the other size./Second line.");
  save.thumbnail.assign(bitmap, bitmap + size);
  LocalFree(bitmap);
  const std::vector<std::uint8_t> bytes = EncodeSaveFile(save);
  dir_.WriteFile("data/save/save001.dat", bytes);
  dir_.WriteFile("data/save/save002.dat", std::string(bytes.begin(), bytes.end() - 1));
  std::filesystem::create_directories(dir_.HostPath("data/save/save003.dat"));

  TapAt(100, 1, 1);
  TapAt(300, 1, 1);
  TwoTaps(500, 100, 346);
  Shot(1000, "load_rows");
  // The damaged row 1 is no target in load mode.
  TwoTaps(1100, 400, 64 + 95 + 45);
  Shot(1400, "damaged_tapped");
  // In save mode it is, but with no game running the save is refused and
  // the screen stays.
  TwoTaps(1500, 540, 574);
  Shot(1800, "save_mode");
  TwoTaps(1900, 400, 64 + 95 + 45);
  Shot(2200, "refused");
  Run(2400);

  // Row 0: the thumbnail fills the 100 x 75 box (design 130, 72), halves
  // and all; its text and date are drawn.
  EXPECT_EQ(At("load_rows", 135, 110), 0xF800);
  EXPECT_EQ(At("load_rows", 175, 140), 0xF800);
  EXPECT_EQ(At("load_rows", 185, 80), 0x001F);
  EXPECT_EQ(At("load_rows", 225, 140), 0x001F);
  EXPECT_GT(OffBlock("load_rows", 262, 98, 200, 16, kLoadBase), 0u);
  // Rows 1 and 2: no thumbnail, the damaged mark at the text place; row 3
  // (no file) and row 4 show nothing.
  for (int row : {1, 2}) {
    EXPECT_EQ(OffBlock("load_rows", 130, 72 + 95 * row, 100, 75, kLoadBase), 0u) << row;
    EXPECT_GT(OffBlock("load_rows", 262, 98 + 95 * row, 120, 16, kLoadBase), 0u) << row;
    EXPECT_EQ(OffBlock("load_rows", 282, 74 + 95 * row, 160, 16, kLoadBase), 0u) << "no date on row " << row;
  }
  for (int row : {3, 4}) EXPECT_EQ(OffBlock("load_rows", 120, 64 + 95 * row, 560, 91, kLoadBase), 0u) << row;
  ExpectBlock("damaged_tapped", 600, 64 + 95 + 45, kLoadBase);
  ExpectBlock("save_mode", 50, 300, kSaveBase);
  ExpectBlock("refused", 50, 300, kSaveBase);
  EXPECT_NE(errors_.find("no game state to save in slot 1"), std::string::npos) << errors_;
  EXPECT_EQ(dir_.ReadFile("data/save/save002.dat")->size(), bytes.size() - 1);
}

// The system screen from the title: each toggle flipped by a tap on the row
// its marker does not show (read skip on and off again, scene skip on), then
// the first character's voice knob to level 0 and the last one's to 3.
TEST_P(ScreensRunTest, SystemTogglesFlipAndVoiceKnobsMove) {
  TapAt(100, 1, 1);
  TapAt(300, 1, 1);
  TwoTaps(500, 100, 408);
  Shot(1000, "system_open");
  TwoTaps(1100, 150, 346);
  Shot(1400, "read_skip_on");
  TwoTaps(1500, 380, 242);
  Shot(1800, "scene_skip_on");
  TwoTaps(1900, 150, 367);
  Shot(2200, "read_skip_off");
  TwoTaps(2300, 632, 252);
  TwoTaps(2600, 668, 468);
  Shot(2900, "voices_moved");
  Run(3100);

  // Read skip off: its marker (row 1 of the sheet) on the lower row; scene
  // skip unset: its marker (row 6) on the lower row; voice knobs at 10.
  ExpectBlock("system_open", 30, 300, kSysBase);
  ExpectBlock("system_open", 150, 367, kFirstSysMarker + 1);
  ExpectBlock("system_open", 150, 346, kSysBase);
  ExpectBlock("system_open", 380, 263, kFirstSysMarker + 6);
  ExpectBlock("system_open", 380, 242, kSysBase);
  for (int k : {0, 8}) {
    ExpectBlock("system_open", 754, 252 + 27 * k, kSysKnob);
    ExpectBlock("system_open", 634, 252 + 27 * k, kSysBase);
  }
  ExpectBlock("read_skip_on", 150, 346, kFirstSysMarker);
  ExpectBlock("read_skip_on", 150, 367, kSysBase);
  ExpectBlock("scene_skip_on", 380, 242, kFirstSysMarker + 5);
  ExpectBlock("scene_skip_on", 380, 263, kSysBase);
  ExpectBlock("scene_skip_on", 150, 346, kFirstSysMarker);
  ExpectBlock("read_skip_off", 150, 367, kFirstSysMarker + 1);
  ExpectBlock("read_skip_off", 150, 346, kSysBase);
  ExpectBlock("read_skip_off", 380, 242, kFirstSysMarker + 5);
  // Knob j sits at x 626 + 12 j; the untouched characters keep theirs.
  ExpectBlock("voices_moved", 634, 252, kSysKnob);
  ExpectBlock("voices_moved", 758, 252, kSysBase);
  ExpectBlock("voices_moved", 670, 252 + 27 * 8, kSysKnob);
  ExpectBlock("voices_moved", 758, 252 + 27 * 8, kSysBase);
  ExpectBlock("voices_moved", 754, 252 + 27, kSysKnob);
  EXPECT_EQ(errors_.find("no screen for scene state"), std::string::npos) << errors_;
}

// The test data's forty pages of one to four lines, the odd ones voiced,
// passed with a tap each; the backlog keeps the newest 32 and opens on the newest page. The
// first scroll button, tapped once to light and then once per entry, walks
// to the oldest page.
TEST_P(ScreensRunTest, BacklogPagesOfAFortyPageGame) {
  constexpr int kPages = 40, kPageMs = 600, kStartMs = 2600;
  std::filesystem::copy_file(NOVEL_TEST_DATA_DIR "/game/script.mlz", dir_.HostPath("test_data_scripts.mlz"));
  CArchiveReader archive;
  std::uint32_t size = 0;
  void* pages = archive.ReadEntry(dir_.EnginePath("test_data_scripts.mlz").c_str(), "pages.txt", &size);
  ASSERT_NE(pages, nullptr);
  const std::string script(static_cast<const char*>(pages), size);
  LocalFree(pages);
  UseScripts({{"main.txt", "<Jump pages,pages.txt>\r\n"}, {"pages.txt", script}});

  TapAt(100, 1, 1);
  TapAt(300, 1, 1);
  TwoTaps(500, 100, 310);
  for (int page = 0; page < kPages; ++page) TapAt(kStartMs + kPageMs * page, 400, 300);
  const int open = kStartMs + kPageMs * kPages + 400;
  TwoTaps(open, 348, 590);
  TwoTaps(open + 300, 726, 32 + 47 * 2 + 23);
  Shot(open + 600, "backlog_newest");
  for (int tap = 0; tap < 2; ++tap) TapAt(open + 700 + 100 * tap, 762, 15);
  Shot(open + 900, "backlog_older");
  for (int tap = 0; tap < 30; ++tap) TapAt(open + 1000 + 100 * tap, 762, 15);
  Shot(open + 4100, "backlog_oldest");
  Run(open + 4300);

  // Row r of a page shows entry first + 4 - r counted back from the
  // newest; entry n is page 40 - n. Voiced pages have the voice button at
  // (92, 52 + 110 r), the others none; every row shows its first line.
  const auto expectPage = [this](const std::string& shot, int newestPage, int knobY) {
    ExpectBlock(shot, 30, 300, kLogBase);
    ExpectBlock(shot, 762, knobY, kLogKnob);
    for (int r = 0; r < 5; ++r) {
      const int page = newestPage - (4 - r);
      SCOPED_TRACE(shot + " page " + std::to_string(page));
      ExpectBlock(shot, 112, 66 + 110 * r, page % 2 == 1 ? kVoiceButton : kLogBase);
      EXPECT_GT(OffBlock(shot, 168, 48 + 110 * r, 200, 22, kLogBase), 0u);
    }
  };
  expectPage("backlog_newest", 40, 62 + 378 + 49);
  expectPage("backlog_older", 39, 62 + 378 - 378 / 27 + 49);
  expectPage("backlog_oldest", 13, 62 + 49);
  // Page 11 has four lines: three shown, the fourth cut (the space below
  // its row's third line up to the next row's first is empty).
  EXPECT_GT(OffBlock("backlog_oldest", 168, 110 * 2 + 48 + 52, 200, 22, kLogBase), 0u);
  EXPECT_EQ(OffBlock("backlog_oldest", 168, 110 * 2 + 48 + 78, 560, 30, kLogBase), 0u);
  EXPECT_EQ(errors_.find("no screen for scene state"), std::string::npos) << errors_;
}

INSTANTIATE_TEST_SUITE_P(Programs, ScreensRunTest,
                         ::testing::Values(Program{"novel_ce5", Ce5Build, HostPanel{480, 640, 0}, 640, 480},
                                           Program{"novel_ce3", Ce3Build, HostPanel{240, 320, 0},
                                                   320, 240}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
