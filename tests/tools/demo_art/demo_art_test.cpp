// The demo game's art program: every picture the engine or the scripts name
// is drawn in both picture sets, at least as large as the engine reads from
// it and listed for the picture maker; thumbnails name what the game shows;
// movie frames come at their size and count; two runs give the same bytes.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

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
    // Pictures the scripts choose: backgrounds and event pictures cover the
    // screen, the scrolled one is twice as wide.
    {"bg_room", 640, 480, 320, 240},
    {"bg_wide", 1280, 480, 640, 240},
    {"bg_observatory", 640, 480, 320, 240},
    {"EVC002b", 640, 480, 320, 240},
    {"EVY002-1", 640, 480, 320, 240},
    {"EVY002-2", 640, 480, 320, 240},
    {"EDY-1", 640, 480, 320, 240},
    {"EDR-1", 640, 480, 320, 240},
    {"CG160-1", 640, 480, 320, 240},
};

struct PictureSet {
  const char* folder;
  std::uint32_t width, height;
};
constexpr PictureSet kSets[] = {{"640x480", 640, 480}, {"320x240", 320, 240}};

// One line of a set's pictures.txt.
struct ListedPicture {
  std::string name;
  std::uint32_t kind = 0, designWidth = 0, designHeight = 0;
  std::string archive;
};

std::string TextOf(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class DemoArt : public ::testing::Test {
 protected:
  // Runs the art program into folder; its exit status (output in a log).
  int Draw(const std::string& folder) const {
    const std::string command = kPython + " " + kSourceDir + "/tools/demo_art/demo_art.py " + dir_.HostPath(folder) +
                                " > " + dir_.HostPath(folder + ".log") + " 2>&1";
    return std::system(command.c_str());
  }

  // Writes the frames of one movie into folder.
  int DrawMovie(const std::string& name, const std::string& folder) const {
    const std::string command = kPython + " " + kSourceDir + "/tools/demo_art/demo_art.py --movie " + name + " " +
                                dir_.HostPath(folder) + " > " + dir_.HostPath(folder + ".log") + " 2>&1";
    return std::system(command.c_str());
  }

  std::string LogOf(const std::string& folder) const { return TextOf(dir_.HostPath(folder + ".log")); }

  // The listing of one set; a malformed line fails the test.
  std::vector<ListedPicture> ReadListing(const std::string& folder) const {
    std::vector<ListedPicture> listing;
    std::istringstream lines(TextOf(dir_.HostPath(folder + "/pictures.txt")));
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream fields(line);
      ListedPicture picture;
      std::string extra;
      const bool parsed = static_cast<bool>(fields >> picture.name >> picture.kind >> picture.designWidth >>
                                            picture.designHeight >> picture.archive);
      EXPECT_TRUE(parsed && !(fields >> extra)) << folder << ": \"" << line << "\"";
      listing.push_back(picture);
    }
    return listing;
  }

  SourcePicture ReadPicture(const std::string& relative) const {
    SourcePicture picture;
    std::string error;
    EXPECT_TRUE(ReadPngPicture(dir_.HostPath(relative), picture, error)) << relative << ": " << error;
    return picture;
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
    for (const Set set :
         {Set{"640x480", minimum.width640, minimum.height640}, Set{"320x240", minimum.width320, minimum.height320}}) {
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
    {"640x480/WIN_PARTS", 151, 10, true},
    {"640x480/WIN_PARTS", 152, 10, false},
    {"640x480/WIN_PARTS", 153, 10, true},
    {"320x240/WIN_PARTS", 113, 5, true},
    {"320x240/WIN_PARTS", 114, 5, false},
    {"320x240/WIN_PARTS", 115, 5, true},
    // Page tabs and their highlights, 50 design units apart down the sheet.
    {"640x480/data_parts", 5, 184, true},
    {"640x480/data_parts", 5, 185, false},
    {"640x480/data_parts", 5, 186, true},
    {"320x240/data_parts", 5, 91, true},
    {"320x240/data_parts", 5, 92, false},
    {"320x240/data_parts", 5, 93, true},
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
  // 64 engine-named pictures, 74 extra pictures, 16 the scripts choose and
  // the list of them, in each of the two sets.
  EXPECT_EQ(files, 2u * (64u + 74u + 16u + 1u));
}

// The picture maker converts exactly what the listing says: every PNG has one
// line, at the size the engine cuts for its design size, and its kind matches
// whether the picture keeps alpha.
TEST_F(DemoArt, ListingDescribesEveryPictureDrawn) {
  ASSERT_EQ(Draw("art"), 0) << LogOf("art");
  for (const PictureSet& set : kSets) {
    const std::string folder = std::string("art/") + set.folder;
    const std::vector<ListedPicture> listing = ReadListing(folder);
    std::set<std::string> names;
    std::set<std::uint32_t> kinds;
    for (const ListedPicture& listed : listing) {
      SCOPED_TRACE(std::string(set.folder) + " " + listed.name);
      EXPECT_TRUE(names.insert(listed.name).second) << "listed twice";
      // The archive entry adds ".rbp" and holds 31 bytes.
      EXPECT_LE(listed.name.size(), 27u);
      EXPECT_TRUE(listed.archive == "pict" || listed.archive == "pict2");
      kinds.insert(listed.kind);
      const SourcePicture picture = ReadPicture(folder + "/" + listed.name + ".png");
      EXPECT_EQ(picture.width, listed.designWidth * set.width / 800);
      EXPECT_EQ(picture.height, listed.designHeight * set.height / 600);
      std::size_t seeThrough = 0;
      for (std::size_t i = 3; i < picture.rgba.size(); i += 4) seeThrough += picture.rgba[i] != 255;
      if (listed.kind == 1 || listed.kind == 32) {
        EXPECT_GT(seeThrough, 0u) << "kind with alpha but nothing shows through";
      } else {
        EXPECT_TRUE(listed.kind == 13 || listed.kind == 30) << listed.kind;
        EXPECT_EQ(seeThrough, 0u) << "opaque kind would lose the picture's alpha";
      }
    }
    std::size_t pngs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.HostPath(folder)))
      pngs += entry.path().extension() == ".png";
    EXPECT_EQ(pngs, listing.size()) << set.folder;
    // Every picture loader of the engine gets a picture to read.
    EXPECT_EQ(kinds, (std::set<std::uint32_t>{1, 13, 30, 32})) << set.folder;
  }
}

// Where the scripts' pictures go: characters into the second archive, the
// rest into the first (the engine looks there first for each).
TEST_F(DemoArt, ScenarioPicturesGoToTheirArchives) {
  ASSERT_EQ(Draw("art"), 0) << LogOf("art");
  const std::map<std::string, std::string> expected = {
      {"bg_room", "pict"},     {"bg_wide", "pict"},  {"bg_observatory", "pict"}, {"rule01", "pict"},
      {"EVC002b", "pict"},     {"EVY002-1", "pict"}, {"EVY002-2", "pict"},       {"EDY-1", "pict"},
      {"EDR-1", "pict"},       {"CG160-1", "pict"},  {"chr_a", "pict2"},         {"chr_b", "pict2"},
      {"chr_c", "pict2"},      {"chr_d", "pict2"},   {"chr_e", "pict2"},         {"chr_f", "pict2"},
      {"TITLE_PARTS", "pict"}, {"1-01", "pict"},
  };
  for (const PictureSet& set : kSets) {
    std::map<std::string, std::string> found;
    for (const ListedPicture& listed : ReadListing(std::string("art/") + set.folder))
      if (expected.count(listed.name)) found[listed.name] = listed.archive;
    EXPECT_EQ(found, expected) << set.folder;
  }
}

// The wipe's rule is read straight into a screen-sized order: exactly the
// screen, kind 30, and an order of many levels in the green channel, the
// centre (high green) turning before the corners.
TEST_F(DemoArt, RulePictureIsAScreenSizedGradedOrder) {
  ASSERT_EQ(Draw("art"), 0) << LogOf("art");
  for (const PictureSet& set : kSets) {
    SCOPED_TRACE(set.folder);
    const std::string folder = std::string("art/") + set.folder;
    bool listed = false;
    for (const ListedPicture& picture : ReadListing(folder)) {
      if (picture.name != "rule01") continue;
      listed = true;
      EXPECT_EQ(picture.kind, 30u);
    }
    EXPECT_TRUE(listed);
    const SourcePicture rule = ReadPicture(folder + "/rule01.png");
    ASSERT_EQ(rule.width, set.width);
    ASSERT_EQ(rule.height, set.height);
    auto green = [&](std::uint32_t x, std::uint32_t y) { return rule.rgba[4 * (std::size_t{y} * rule.width + x) + 1]; };
    EXPECT_GT(green(set.width / 2, set.height / 2), 240);
    EXPECT_LT(green(0, 0), 16);
    EXPECT_LT(green(set.width - 1, set.height - 1), 16);
    std::set<int> levels;
    for (std::size_t i = 1; i < rule.rgba.size(); i += 4) levels.insert(rule.rgba[i] >> 2);
    EXPECT_GE(levels.size(), 60u) << "the wipe needs most of the 64 green levels to run smoothly";
  }
}

// Each thumbnail cell names what the screen opens there: the CG identifier
// and its first picture, the extra picture, the recollection's scene, read
// from the game's own tables; cells without a record stay blank.
TEST_F(DemoArt, ThumbnailCellsNameWhatTheGameShowsThere) {
  struct Cell {
    const char* sheet;
    int cell;
    const char* label;  // lines joined by '|'
  };
  constexpr Cell kCells[] = {
      {"cg_sum1-1", 0, "0|EVC002b"},    {"cg_sum1-1", 2, "2|EVY002-1"},  {"cg_sum1-2", 3, "19|EDY-1"},
      {"cg_sum2-2", 1, "49|EDR-1"},     {"cg_sum6-1", 0, "160|CG160-1"}, {"cg_sum1-2", 15, ""},
      {"cg_sum6-4", 11, "219|CG219-1"}, {"cg_sum6-4", 12, ""},           {"extra_sum1-1", 3, "1-04-01"},
      {"extra_sum1-2", 7, "1-24"},      {"extra_sum1-2", 8, ""},         {"extra_sum2-2", 15, "2-32"},
      {"extra_sum3-1", 0, "3-01-01"},   {"extra_sum3-1", 6, ""},         {"scene_sum1-1", 14, "EDB002"},
      {"scene_sum2-1", 0, "EVR019"},    {"scene_sum6-1", 0, "EDB001"},   {"scene_sum1-1", 3, ""},
  };
  std::string script = "import sys\nsys.dont_write_bytecode = True\nsys.path.insert(0, '" + kSourceDir +
                       "/tools/demo_art')\nfrom table_labels import ThumbnailLabels\nlabels = ThumbnailLabels()\n";
  for (const Cell& cell : kCells)
    script += "print(labels.label('" + std::string(cell.sheet) + "', " + std::to_string(cell.cell) +
              ").replace('\\n', '|'))\n";
  dir_.WriteFile("labels.py", script);
  const std::string command =
      kPython + " " + dir_.HostPath("labels.py") + " > " + dir_.HostPath("labels.txt") + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << TextOf(dir_.HostPath("labels.txt"));
  std::istringstream printed(TextOf(dir_.HostPath("labels.txt")));
  for (const Cell& cell : kCells) {
    std::string label;
    ASSERT_TRUE(std::getline(printed, label)) << cell.sheet << " " << cell.cell;
    EXPECT_EQ(label, cell.label) << cell.sheet << " " << cell.cell;
  }
}

// Movie frames are numbered from 0001, as many as the movie's length at 30
// frames a second, at its size, moving, and the same on a second run.
TEST_F(DemoArt, MovieFramesComeAtTheirSizeAndCount) {
  struct Movie {
    const char* name;
    std::uint32_t frames, width, height;
  };
  for (const Movie movie : {Movie{"sorabel_OP", 120, 320, 240}, Movie{"star_movie", 60, 640, 480}}) {
    SCOPED_TRACE(movie.name);
    const std::string first = std::string(movie.name) + "-1";
    const std::string second = std::string(movie.name) + "-2";
    ASSERT_EQ(DrawMovie(movie.name, first), 0) << LogOf(first);
    ASSERT_EQ(DrawMovie(movie.name, second), 0) << LogOf(second);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.HostPath(first))) {
      (void)entry;
      ++files;
    }
    EXPECT_EQ(files, movie.frames);
    char last[16];
    std::snprintf(last, sizeof last, "/%04u.png", movie.frames);
    for (const std::string& frame : {std::string("/0001.png"), std::string(last)}) {
      const SourcePicture picture = ReadPicture(first + frame);
      EXPECT_EQ(picture.width, movie.width) << frame;
      EXPECT_EQ(picture.height, movie.height) << frame;
      EXPECT_EQ(ReadFileBytes(dir_.HostPath(first + frame)), ReadFileBytes(dir_.HostPath(second + frame))) << frame;
    }
    EXPECT_NE(ReadPicture(first + "/0001.png").rgba, ReadPicture(first + "/0002.png").rgba) << "no motion";
  }
}

}  // namespace
