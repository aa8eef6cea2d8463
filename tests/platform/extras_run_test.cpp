// The extras of each program run headless from the title with scripted taps
// and keys on the virtual clock, seen through screenshots and the files the
// run leaves. Every picture is flat in one colour (the parts sheet's
// selected tabs in another), so each screen shows by colours at known places:
//   backgrounds blue, "OMAKE_PARTS" green with the selected tabs magenta,
//   thumbnail sheets red, portraits grey, "parts_music" cyan with the
//   now-playing labels yellow, the 1,600 x 600 picture "1-01" white on its
//   left half and yellow on its right, the replayed scene's picture orange.
#include <gtest/gtest.h>

#include <dirent.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/pictures/rbp_format.h"
#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/script/script_interpreter.h"
#include "host/module/module_api.h"
#include "platform/ce3/ce3_build.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/hand_made_system_data.h"
#include "tests/support/run_schedule.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/screenshot_pixel.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

constexpr std::uint16_t kBlue = 0x001F;
constexpr std::uint16_t kGreen = 0x07E0;
constexpr std::uint16_t kMagenta = 0xF81F;
constexpr std::uint16_t kRed = 0xF800;
constexpr std::uint16_t kGrey = 0x8410;
constexpr std::uint16_t kYellow = 0xFFE0;
constexpr std::uint16_t kWhite = 0xFFFF;
constexpr std::uint16_t kOrange = 0xFC00;

struct Rgb {
  std::uint8_t r, g, b;
};
Rgb FromRgb565(std::uint16_t c) {
  return {static_cast<std::uint8_t>((c >> 11) << 3), static_cast<std::uint8_t>(((c >> 5) & 0x3F) << 2),
          static_cast<std::uint8_t>((c & 0x1F) << 3)};
}

struct Program {
  const char* name;
  const BuildVariant& (*build)();
  HostPanel panel;
  std::uint32_t screenWidth;
  const char* pictureArchive;
};

void PrintTo(const Program& program, std::ostream* out) { *out << program.name; }

// Reads the game's state at shutdown, while the engine object still exists.
struct ObservingServices : ProcessServicesPort {
  CGame* game = nullptr;
  std::uint32_t sceneState = 0;
  std::uint32_t recollectionTab = 99;
  std::size_t locals = 99;
  std::vector<ScriptVariable> globals;
  void FlushProfile() override {
    sceneState = game->Engine().sceneState;
    recollectionTab = game->extras.recollectionTab;
    locals = game->Interpreter().Variables().Locals().size();
    globals = game->Interpreter().Variables().Globals();
  }
};

const std::vector<HandMadeGlobal> kGlobals = {
    {"g_clear_flg", 1}, {"g_EDY", 1},    {"g_EDR", 1},    {"g_EDM", 1},
    {"g_EDSH", 1},      {"g_EDSS", 1},   {"g_EVY020", 1}, {"g_EVR019", 1}, {"g_EVR020", 1},
};
const std::vector<std::string> kSeenPictures = {"EVC002b.bmp", "CG219-2.bmp"};
const std::vector<std::string> kSeenScripts = {"main.txt"};
// The scene of tab 1's first entry (Shift-JIS, CR LF); the second has none.
const std::string kReplay = std::string("<Mov ") + kRecollectionVariable +
                            ",1>\r\n<BgSet EVR019bg.bmp>\r\n<UpDate Normal>\r\n<WinType WINDOW>\r\n<WinFrame 1>\r\n"
                            "\x82\xA0<KW>\r\n<Return>\r\n";

class ExtrasRunTest : public ShellTest, public ::testing::WithParamInterface<Program> {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    SetScreenWidth(320);
    SetScreenHeight(240);
    HostDisplaySetPanel(GetParam().panel);
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    WritePictures();
    const std::vector<MlzEntrySource> scripts = {{"EVR019.txt", {kReplay.begin(), kReplay.end()}, true}};
    dir_.WriteFile("data/script.mlz", BuildMlzArchive(scripts, '2'));
    handMade_ = HandMadeSystemData(kGlobals, kSeenPictures, kSeenScripts);
    dir_.WriteFile("data/save/system.dat", handMade_);
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
  }
  void TearDown() override {
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  // A flat picture of a design size at this program's screen scale, its
  // colour by design point.
  std::vector<std::uint8_t> Picture(int designW, int designH, const std::function<std::uint16_t(int, int)>& colour) {
    const std::uint32_t scale = GetParam().screenWidth;
    SourcePicture picture;
    picture.width = static_cast<std::uint32_t>(designW) * scale / 800;
    picture.height = static_cast<std::uint32_t>(designH) * scale / 800;
    picture.rgba.resize(std::size_t{picture.width} * picture.height * 4);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
      for (std::uint32_t x = 0; x < picture.width; ++x) {
        const Rgb c = FromRgb565(colour(static_cast<int>(x * 800 / scale), static_cast<int>(y * 800 / scale)));
        std::uint8_t* p = &picture.rgba[(std::size_t{y} * picture.width + x) * 4];
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
        p[3] = 0xFF;
      }
    }
    return BuildRbpFile(picture, {kRbpKindRgb565, static_cast<std::int16_t>(designW), static_cast<std::int16_t>(designH)});
  }
  void WritePictures() {
    std::vector<MlzEntrySource> pictures;
    auto flat = [&](const std::string& name, int w, int h, std::uint16_t c) {
      pictures.push_back({name + ".rbp", Picture(w, h, [c](int, int) { return c; }), true});
    };
    for (const char* base : {"brand_BG", "start_base_A", "start_base_B", "start_base_C"}) flat(base, 800, 600, kRed);
    flat("TITLE_PARTS", 1336, 721, kGreen);
    for (const char* base : {"base_ex_ED", "base_ex_LA", "base_ex_Etc", "base_pic", "base_music", "base_mem"}) {
      flat(base, 800, 600, kBlue);
    }
    pictures.push_back({"OMAKE_PARTS.rbp", Picture(710, 444, [](int x, int y) {
                          return x < 432 && y >= 85 && y < 170 ? kMagenta : kGreen;
                        }),
                        true});
    pictures.push_back(
        {"parts_music.rbp", Picture(672, 999, [](int x, int) { return x >= 448 ? kYellow : 0x07FF; }), true});
    pictures.push_back({"1-01.rbp", Picture(1600, 600, [](int x, int) { return x < 800 ? kWhite : kYellow; }), true});
    for (int tab = 1; tab <= 6; ++tab) {
      const std::string n = std::to_string(tab);
      flat("chara_change_pic_chara0" + n, 440, 544, kGrey);
      flat("chara_change_mem_chara0" + n, 440, 544, kGrey);
      flat("scene_sum" + n + "-1", 480, 360, kRed);
    }
    for (const char* sheet : {"extra_sum1-1", "cg_sum1-1", "cg_sum6-4"}) flat(sheet, 480, 360, kRed);
    // The scene's BgSet loads its name with ".rbp" appended.
    flat("EVR019bg.bmp", 800, 600, kOrange);
    dir_.WriteFile(std::string("data/") + GetParam().pictureArchive, BuildMlzArchive(pictures, '3'));
  }

  // A design point as this program's screen point, "x y".
  std::string At(int designX, int designY) const {
    const int scale = static_cast<int>(GetParam().screenWidth);
    return std::to_string(designX * scale / 800) + " " + std::to_string(designY * scale / 800);
  }
  // Two taps at a design point, 200 ms apart from time ms: a highlight, then
  // the activation.
  std::string TwoTaps(int ms, int designX, int designY) const {
    return std::to_string(ms) + " tap " + At(designX, designY) + "; " + std::to_string(ms + 200) + " tap " +
           At(designX, designY) + "; ";
  }
  static std::string Title() { return "100 tap 1 1; 300 tap 1 1; "; }
  static int RowY(int item) { return 300 + 31 * item + 15; }
  static int CellX(int k) { return 20 + 131 * (k % 4) + 60; }
  static int CellY(int k) { return 67 + 97 * (k / 4) + 45; }
  static int ButtonX(int b) { return 384 + 104 * b + 52; }
  static int TabX(int i) { return 26 + 72 * i + 36; }

  void Run(const std::string& input, const std::vector<std::pair<DWORD, std::string>>& shots) {
    std::vector<std::pair<int, std::string>> shotPaths;
    for (const auto& [at, name] : shots) shotPaths.emplace_back(static_cast<int>(at), Shot(name));
    ASSERT_TRUE(UseHeadlessRun(input, shotPaths));
    ASSERT_EQ(RunEngine(
                  GetParam().build(), services_,
                  [this] {
                    std::unique_ptr<CGameApp> app = MakeGameApp();
                    services_.game = dynamic_cast<CGame*>(app->game.get());
                    return app;
                  },
                  nullptr, nullptr, SW_SHOWNORMAL),
              0);
  }
  std::string Shot(const std::string& name) const {
    return dir_.HostPath(std::string(GetParam().name) + "_" + name + ".png");
  }
  // The pixel under a design point.
  std::uint16_t Pixel(const std::string& shot, int designX, int designY) const {
    const std::uint32_t scale = GetParam().screenWidth;
    return ScreenshotPixel(Shot(shot), static_cast<std::uint32_t>(designX) * scale / 800,
                           static_cast<std::uint32_t>(designY) * scale / 800);
  }
  std::string SystemData() const { return dir_.ReadFile("data/save/system.dat").value_or(""); }
  std::vector<std::string> SaveFolder() const {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir_.HostPath("data/save").c_str())) {
      while (const dirent* e = readdir(d)) {
        if (e->d_name[0] != '.') names.emplace_back(e->d_name);
      }
      closedir(d);
    }
    return names;
  }

  ScopedTempDir dir_{"extras_run_"};
  ObservingServices services_;
  std::vector<std::uint8_t> handMade_;
};

// Title, extra pictures and the viewer scrolled by the held right key, the
// gallery's first tab and tab 5's fourth page, the music room with a track
// playing, the recollection screen, and back to the title.
TEST_P(ExtrasRunTest, TheTitleLeadsToEveryScreenAndBack) {
  std::string input = Title();
  input += TwoTaps(500, 100, RowY(6));  // extra pictures
  input += TwoTaps(1500, CellX(0), CellY(0));
  input += "1900 keydown right; 3000 keyup right; 3300 tap " + At(400, 300) + "; ";
  input += TwoTaps(3600, ButtonX(3), 572);  // back to the title
  input += TwoTaps(5000, 100, RowY(4));     // CG gallery
  input += TwoTaps(6200, TabX(5), 500);
  input += TwoTaps(6700, 10 + 40 * 3 + 20, 575);  // page 4
  input += TwoTaps(7200, ButtonX(1), 572);        // music room
  input += TwoTaps(8200, 40 + 240 + 112, 118 + 37 + 18);  // track 12
  input += TwoTaps(8700, ButtonX(2), 572);                // recollection
  input += TwoTaps(9700, ButtonX(3), 572);                // title
  input += "11500 close";
  Run(input, {{1400, "extra_pictures"}, {1800, "viewer"}, {3100, "viewer_scrolled"}, {3500, "extra_pictures_back"},
              {6100, "gallery"}, {7100, "gallery_tab5_page4"}, {8600, "music_room"}, {9600, "recollection"},
              {11400, "title_again"}});
  // All the category's pictures are open: thumbnails at cells 0 and 15.
  EXPECT_EQ(Pixel("extra_pictures", CellX(0), CellY(0)), kRed);
  EXPECT_EQ(Pixel("extra_pictures", CellX(15), CellY(15)), kRed);
  EXPECT_EQ(Pixel("extra_pictures", 700, 30), kBlue);
  EXPECT_EQ(Pixel("viewer", 400, 300), kWhite);
  EXPECT_EQ(Pixel("viewer_scrolled", 400, 300), kYellow);
  EXPECT_EQ(Pixel("viewer_scrolled", 10, 10), kYellow);
  // The cursor stays on the cell the viewer opened: its highlight.
  EXPECT_EQ(Pixel("extra_pictures_back", CellX(0), CellY(0)), kGreen);
  EXPECT_EQ(Pixel("extra_pictures_back", CellX(1), CellY(1)), kRed);
  // Seen "EVC002b" opens cell 0; cell 1 is an empty frame; the first tab is
  // selected; the portrait on the right.
  EXPECT_EQ(Pixel("gallery", CellX(0), CellY(0)), kRed);
  EXPECT_EQ(Pixel("gallery", CellX(1), CellY(1)), kGreen);
  EXPECT_EQ(Pixel("gallery", TabX(0), 500), kMagenta);
  EXPECT_EQ(Pixel("gallery", TabX(1), 500), kGreen);
  EXPECT_EQ(Pixel("gallery", 780, 100), kGrey);
  // Tab 5, page 4: twelve cells, the last ("CG219-2") open, none after it.
  EXPECT_EQ(Pixel("gallery_tab5_page4", CellX(11), CellY(11)), kRed);
  EXPECT_EQ(Pixel("gallery_tab5_page4", CellX(10), CellY(10)), kGreen);
  EXPECT_EQ(Pixel("gallery_tab5_page4", CellX(12), CellY(12)), kBlue);
  EXPECT_EQ(Pixel("gallery_tab5_page4", TabX(5), 500), kMagenta);
  // Track 12's now-playing label; track 11's label is not marked.
  EXPECT_EQ(Pixel("music_room", 40 + 240 + 112, 118 + 37 + 18), kYellow);
  EXPECT_EQ(Pixel("music_room", 40 + 112, 118 + 37 + 18), kBlue);
  // Tab 0 of the recollection: the first scene open, the second locked,
  // nothing at the table's missing positions.
  EXPECT_EQ(Pixel("recollection", CellX(0), CellY(0)), kRed);
  EXPECT_EQ(Pixel("recollection", CellX(1), CellY(1)), kGreen);
  EXPECT_EQ(Pixel("recollection", CellX(4), CellY(4)), kBlue);
  EXPECT_EQ(Pixel("title_again", 400, 100), kRed);
  EXPECT_EQ(services_.sceneState, static_cast<std::uint32_t>(SCENE_TITLE));
  EXPECT_TRUE(SaveFolder() == std::vector<std::string>{"system.dat"});
}

// The recollection's round trip: tab 1, its first scene tapped twice, the
// fade, the scene's page, its Return, and the screen back on tab 1.
TEST_P(ExtrasRunTest, AReplayedSceneComesBackToItsTabAndOnlyAddsWhatItShowed) {
  std::string input = Title();
  input += TwoTaps(500, 100, RowY(4));       // CG gallery
  input += TwoTaps(1500, ButtonX(2), 572);   // recollection
  input += TwoTaps(2500, TabX(1), 500);
  input += TwoTaps(2900, CellX(0), CellY(0));
  input += "5200 tap " + At(400, 300) + "; ";  // the page
  input += "6500 close";
  Run(input, {{2800, "recollection_tab1"}, {3600, "recollection_fade"}, {5000, "scene"}, {6400, "back"}});
  EXPECT_EQ(Pixel("recollection_tab1", TabX(1), 500), kMagenta);
  // Half way: the blue background under a half-black cover.
  const std::uint16_t half = Pixel("recollection_fade", 780, 590);
  EXPECT_EQ(half >> 5, 0) << std::hex << half;
  EXPECT_GE(half & 0x1F, 8) << std::hex << half;
  EXPECT_LE(half & 0x1F, 20) << std::hex << half;
  EXPECT_EQ(Pixel("scene", 400, 100), kOrange);
  EXPECT_EQ(Pixel("back", TabX(1), 500), kMagenta);
  EXPECT_EQ(Pixel("back", CellX(0), CellY(0)), kRed);
  EXPECT_EQ(services_.sceneState, static_cast<std::uint32_t>(SCENE_RECOLLECTION));
  EXPECT_EQ(services_.recollectionTab, 1u);
  EXPECT_EQ(services_.locals, 0u);
  ASSERT_EQ(services_.globals.size(), kGlobals.size());
  for (std::size_t i = 0; i < kGlobals.size(); ++i) {
    EXPECT_EQ(services_.globals[i].name, kGlobals[i].name);
    EXPECT_EQ(services_.globals[i].value, kGlobals[i].value);
  }
  EXPECT_TRUE(SaveFolder() == std::vector<std::string>{"system.dat"});
  // The scene's picture, its script and its one read page are all it adds.
  const std::vector<std::uint8_t> expected =
      HandMadeSystemData(kGlobals, {"EVC002b.bmp", "CG219-2.bmp", "EVR019bg.bmp"}, {"main.txt", "EVR019.txt"},
                         {{"EVR019.txt", {static_cast<std::uint32_t>(kReplay.find("<KW>"))}}});
  const std::string first = SystemData();
  EXPECT_EQ(first, std::string(expected.begin(), expected.end()));
  // Again from what the first run left: byte for byte the same file.
  Run(input, {});
  EXPECT_EQ(SystemData(), first);
}

// The second scene of tab 1 has no script: the start comes back to the
// screen on the same tab instead of a game with nothing to run.
TEST_P(ExtrasRunTest, ASceneWithoutItsScriptComesBackToTheScreen) {
  std::string input = Title();
  input += TwoTaps(500, 100, RowY(4));
  input += TwoTaps(1500, ButtonX(2), 572);
  input += TwoTaps(2500, TabX(1), 500);
  input += TwoTaps(2900, CellX(1), CellY(1));
  input += "5500 close";
  Run(input, {{5400, "back_without_scene"}});
  EXPECT_EQ(services_.sceneState, static_cast<std::uint32_t>(SCENE_RECOLLECTION));
  EXPECT_EQ(services_.recollectionTab, 1u);
  EXPECT_EQ(Pixel("back_without_scene", TabX(1), 500), kMagenta);
  EXPECT_EQ(SystemData(), std::string(handMade_.begin(), handMade_.end()));
}

INSTANTIATE_TEST_SUITE_P(Programs, ExtrasRunTest,
                         ::testing::Values(Program{"novel_ce5", Ce5Build, HostPanel{480, 640, 0}, 640, "pict_v.mlz"},
                                           Program{"novel_ce3", Ce3Build, HostPanel{240, 320, 0},
                                                   320, "pict.mlz"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
