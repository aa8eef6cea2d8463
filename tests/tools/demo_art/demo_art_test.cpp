// The demo game's art program: every picture the engine names is drawn in
// both picture sets, at least as large as the engine reads from it, and two
// runs give the same bytes.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "support/file_bytes.h"
#include "support/scoped_temp_dir.h"
#include "tools/rbp_make/png_picture.h"

namespace {

const std::string kSourceDir = std::string(NOVEL_TEST_DATA_DIR) + "/../..";
// The distribution's interpreter, the one its cairo package serves.
const std::string kPython = "/usr/bin/python3";

// Smallest device sizes the engine cuts from each picture: the whole picture
// or the far edges of its source rectangles, converted for each screen.
struct MinimumSize {
  const char* name;
  std::uint32_t width640, height640;
  std::uint32_t width320, height320;
};
constexpr MinimumSize kMinimums[] = {
    {"brand_BG", 640, 480, 320, 240},
    {"start_base_A", 640, 480, 320, 240},
    {"start_base_B", 640, 480, 320, 240},
    {"start_base_C", 640, 480, 320, 240},
    {"TITLE_PARTS", 1068, 576, 534, 288},
    {"M_frame_NVL", 640, 480, 320, 240},
    {"M_frame_A", 640, 136, 320, 68},
    {"M_frame_B", 640, 136, 320, 68},
    {"M_frame_C", 640, 136, 320, 68},
    {"M_frame_name", 294, 39, 147, 19},
    {"WIN_PARTS", 723, 338, 361, 169},
    {"SELECT_BASE", 640, 216, 320, 108},
    {"data_base_save", 640, 480, 320, 240},
    {"data_base_load", 640, 480, 320, 240},
    {"data_parts", 448, 333, 224, 166},
    {"LOG_BASE", 640, 480, 320, 240},
    {"LOG_PARTS", 32, 250, 16, 125},
    {"sys_base", 640, 480, 320, 240},
    {"sys_parts", 153, 293, 76, 146},
    {"OMAKE_PARTS", 567, 355, 283, 177},
    {"base_ex_ED", 640, 480, 320, 240},
    {"base_ex_LA", 640, 480, 320, 240},
    {"base_ex_Etc", 640, 480, 320, 240},
    {"extra_sum1-1", 384, 288, 192, 144},
    {"extra_sum1-2", 384, 288, 192, 144},
    {"extra_sum2-1", 384, 288, 192, 144},
    {"extra_sum2-2", 384, 288, 192, 144},
    {"extra_sum3-1", 384, 288, 192, 144},
    {"base_pic", 640, 480, 320, 240},
    {"chara_change_pic_chara01", 352, 435, 176, 217},
    {"chara_change_pic_chara06", 352, 435, 176, 217},
    {"cg_sum1-1", 384, 288, 192, 144},
    {"cg_sum5-2", 384, 288, 192, 144},
    {"cg_sum6-4", 384, 288, 192, 144},
    {"base_music", 640, 480, 320, 240},
    {"parts_music", 537, 798, 268, 399},
    {"base_mem", 640, 480, 320, 240},
    {"chara_change_mem_chara01", 352, 435, 176, 217},
    {"chara_change_mem_chara06", 352, 435, 176, 217},
    {"scene_sum1-1", 384, 288, 192, 144},
    {"scene_sum6-1", 384, 288, 192, 144},
};

class DemoArt : public ::testing::Test {
 protected:
  // Runs the art program into folder; its exit status (output in a log).
  int Draw(const std::string& folder) const {
    const std::string command = kPython + " " + kSourceDir + "/tools/demo_art/demo_art.py " + dir_.HostPath(folder) +
                                " > " + dir_.HostPath(folder + ".log") + " 2>&1";
    return std::system(command.c_str());
  }

  std::string LogOf(const std::string& folder) const {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(dir_.HostPath(folder + ".log"));
    return std::string(bytes.begin(), bytes.end());
  }

  ScopedTempDir dir_{"novel_demo_art_"};
};

TEST_F(DemoArt, DrawsEveryEngineNamedPictureAtLeastItsMinimumInBothSets) {
  ASSERT_EQ(Draw("art"), 0) << LogOf("art");
  for (const MinimumSize& minimum : kMinimums) {
    struct Set {
      const char* folder;
      std::uint32_t width, height;
    };
    for (const Set set : {Set{"640x480", minimum.width640, minimum.height640},
                          Set{"320x240", minimum.width320, minimum.height320}}) {
      SourcePicture picture;
      std::string error;
      const std::string path = dir_.HostPath(std::string("art/") + set.folder + "/" + minimum.name + ".png");
      ASSERT_TRUE(ReadPngPicture(path, picture, error)) << path << ": " << error;
      EXPECT_GE(picture.width, set.width) << set.folder << " " << minimum.name;
      EXPECT_GE(picture.height, set.height) << set.folder << " " << minimum.name;
    }
  }
}

// Pixels at the edges of pieces on sheets with alpha: a position and a size
// truncate each on its own, so neighbouring pieces may leave a one-pixel gap
// that rounding, or converting the far edge, would fill.
struct EdgeProbe {
  const char* picture;  // under the drawing folder
  std::uint32_t x, y;
  bool covered;
};
constexpr EdgeProbe kEdgeProbes[] = {
    // Bar highlights 96 design units apart: at 640, cell 1 ends at 151 and
    // cell 2 starts at 153; at 320, cell 2 ends at 113 and cell 3 starts at 115.
    {"640x480/WIN_PARTS", 151, 10, true},  {"640x480/WIN_PARTS", 152, 10, false},
    {"640x480/WIN_PARTS", 153, 10, true},  {"320x240/WIN_PARTS", 113, 5, true},
    {"320x240/WIN_PARTS", 114, 5, false},  {"320x240/WIN_PARTS", 115, 5, true},
    // Page tabs and their highlights, 50 design units apart down the sheet.
    {"640x480/data_parts", 5, 184, true},  {"640x480/data_parts", 5, 185, false},
    {"640x480/data_parts", 5, 186, true},  {"320x240/data_parts", 5, 91, true},
    {"320x240/data_parts", 5, 92, false},  {"320x240/data_parts", 5, 93, true},
};

TEST_F(DemoArt, PiecesLieAtTheRectanglesTheEngineCuts) {
  ASSERT_EQ(Draw("art"), 0) << LogOf("art");
  for (const EdgeProbe& probe : kEdgeProbes) {
    SourcePicture picture;
    std::string error;
    ASSERT_TRUE(ReadPngPicture(dir_.HostPath(std::string("art/") + probe.picture + ".png"), picture, error)) << error;
    const std::uint8_t alpha = picture.rgba[4 * (std::size_t{probe.y} * picture.width + probe.x) + 3];
    EXPECT_EQ(alpha != 0, probe.covered) << probe.picture << " " << probe.x << "," << probe.y;
  }
}

TEST_F(DemoArt, TwoRunsGiveTheSameBytes) {
  ASSERT_EQ(Draw("first"), 0) << LogOf("first");
  ASSERT_EQ(Draw("second"), 0) << LogOf("second");
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.HostPath("first"))) {
    if (!entry.is_regular_file()) continue;
    const std::filesystem::path relative = std::filesystem::relative(entry.path(), dir_.HostPath("first"));
    const std::string twin = (std::filesystem::path(dir_.HostPath("second")) / relative).string();
    ASSERT_TRUE(std::filesystem::exists(twin)) << relative;
    EXPECT_EQ(ReadFileBytes(entry.path().string()), ReadFileBytes(twin)) << relative;
    ++files;
  }
  // 64 engine-named pictures, 74 extra pictures and the list of them, in
  // each of the two sets.
  EXPECT_EQ(files, 2u * (64u + 74u + 1u));
}

}  // namespace
