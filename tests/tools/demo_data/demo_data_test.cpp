// The demo game's data folder as the build writes it beside the programs:
// every archive and entry the engine asks for by name is there, raw pictures
// and scripts are LZSS-packed while already-compressed entries are stored,
// and the movies keep to the frame sizes and record limits the player reads.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/rzm2_format.h"
#include "engine/archive/archive_reader.h"
#include "engine/pictures/rbp_format.h"
#include "game/extras/extra_picture_table.h"
#include "game/extras/recollection_table.h"
#include "host/memory/memory_api.h"
#include "support/file_bytes.h"

namespace {

const std::string kData = std::string(NOVEL_BINARY_DIR) + "/bin/data/";

// Pictures the screens load by fixed name, in both picture sets.
constexpr const char* kFixedPictures[] = {
    "brand_BG", "start_base_A", "start_base_B", "start_base_C", "TITLE_PARTS", "M_frame_A", "M_frame_B",
    "M_frame_C", "M_frame_NVL", "M_frame_name", "WIN_PARTS", "SELECT_BASE", "data_base_save", "data_base_load",
    "data_parts", "LOG_BASE", "LOG_PARTS", "sys_base", "sys_parts", "OMAKE_PARTS", "base_ex_ED", "base_ex_LA",
    "base_ex_Etc", "extra_sum1-1", "extra_sum1-2", "extra_sum2-1", "extra_sum2-2", "extra_sum3-1", "base_pic",
    "cg_sum1-1", "cg_sum1-2", "cg_sum2-1", "cg_sum2-2", "cg_sum3-1", "cg_sum3-2", "cg_sum4-1", "cg_sum4-2",
    "cg_sum5-1", "cg_sum5-2", "cg_sum6-1", "cg_sum6-2", "cg_sum6-3", "cg_sum6-4", "base_music", "parts_music",
    "base_mem", "scene_sum1-1", "scene_sum2-1", "scene_sum3-1", "scene_sum4-1", "scene_sum5-1", "scene_sum6-1",
    "chara_change_pic_chara01", "chara_change_pic_chara02", "chara_change_pic_chara03", "chara_change_pic_chara04",
    "chara_change_pic_chara05", "chara_change_pic_chara06", "chara_change_mem_chara01", "chara_change_mem_chara02",
    "chara_change_mem_chara03", "chara_change_mem_chara04", "chara_change_mem_chara05", "chara_change_mem_chara06",
};

struct ArchiveCase {
  const char* file;
  const char* magic;
};
// The picture archives of each screen size: the first holds the engine's
// pictures and backgrounds, the second the characters.
constexpr ArchiveCase kPictureArchives[] = {{"pict_v.mlz", "RLZ2"}, {"pict.mlz", "RLZ2"}};
constexpr ArchiveCase kCharacterArchives[] = {{"pict2_v.mlz", "RLZ3"}, {"pict2.mlz", "RLZ3"}};

std::string Magic(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path);
  return bytes.size() >= 4 ? std::string(bytes.begin(), bytes.begin() + 4) : std::string();
}

std::set<std::string> EntryNames(const std::vector<RlzIndexEntry>& index) {
  std::set<std::string> names;
  for (const RlzIndexEntry& entry : index) names.insert(entry.name);
  return names;
}

// The entry name a sound or picture is found under: the mixer tries ".mp3"
// and ".ogg".
bool HasSound(const std::set<std::string>& names, const std::string& name) {
  return names.count(name + ".ogg") + names.count(name + ".mp3") > 0;
}

class DemoDataTest : public ::testing::Test {
 protected:
  const std::vector<RlzIndexEntry>& Index(const std::string& file) {
    const std::vector<RlzIndexEntry>* index = reader_.LoadIndex((kData + file).c_str(), 1);
    if (index == nullptr) {
      ADD_FAILURE() << file << " is missing or not an archive";
      static const std::vector<RlzIndexEntry> none;
      return none;
    }
    return *index;
  }

  CArchiveReader reader_;
};

TEST_F(DemoDataTest, PictureArchivesHoldEveryEngineNamedPicture) {
  std::vector<std::string> wanted(std::begin(kFixedPictures), std::end(kFixedPictures));
  for (const PictureRecord* record = gExtraPictureTable; record->identifier >= 0; ++record) {
    wanted.push_back(record->name);
  }
  ASSERT_EQ(64u + 74u, wanted.size());
  for (const ArchiveCase& archive : kPictureArchives) {
    SCOPED_TRACE(archive.file);
    EXPECT_EQ(archive.magic, Magic(kData + archive.file));
    const std::set<std::string> names = EntryNames(Index(archive.file));
    for (const std::string& name : wanted) EXPECT_TRUE(names.count(name + ".rbp")) << name;
  }
  for (const ArchiveCase& archive : kCharacterArchives) {
    SCOPED_TRACE(archive.file);
    EXPECT_EQ(archive.magic, Magic(kData + archive.file));
    EXPECT_FALSE(Index(archive.file).empty());
  }
}

// The scripts name pictures as files ("BgSet bg_room.bmp") and the scene
// loads the name as written plus ".rbp"; the gallery's viewer loads a CG by
// its bare name. Both must find the picture, in both screen sizes.
TEST_F(DemoDataTest, ScenePicturesAreFoundUnderTheNamesTheScriptsWrite) {
  constexpr const char* kBackgrounds[] = {"bg_room", "bg_wide", "bg_observatory", "EVC002b", "EVY002-1",
                                          "EVY002-2", "EDY-1", "EDR-1", "CG160-1"};
  constexpr const char* kCharacters[] = {"chr_a", "chr_b", "chr_c", "chr_d", "chr_e"};
  for (int set = 0; set < 2; ++set) {
    const std::set<std::string> pictures = EntryNames(Index(kPictureArchives[set].file));
    const std::set<std::string> characters = EntryNames(Index(kCharacterArchives[set].file));
    for (const char* name : kBackgrounds) {
      EXPECT_TRUE(pictures.count(std::string(name) + ".bmp.rbp")) << kPictureArchives[set].file << " " << name;
      EXPECT_TRUE(pictures.count(std::string(name) + ".rbp")) << kPictureArchives[set].file << " " << name;
    }
    for (const char* name : kCharacters) {
      EXPECT_TRUE(characters.count(std::string(name) + ".bmp.rbp")) << kCharacterArchives[set].file << " " << name;
    }
  }
}

// Raw pixels (kinds 13 and 1) pack well and are LZSS-packed; JPEG-coded
// pictures gain nothing and are stored. Every kind the loaders take occurs.
TEST_F(DemoDataTest, OnlyRawPicturesArePacked) {
  std::set<std::uint32_t> kinds;
  for (const auto* list : {&kPictureArchives, &kCharacterArchives}) {
    for (const ArchiveCase& archive : *list) {
      SCOPED_TRACE(archive.file);
      for (const RlzIndexEntry& entry : Index(archive.file)) {
        std::uint32_t size = 0;
        void* data = reader_.ReadEntry((kData + archive.file).c_str(), entry.name, &size);
        ASSERT_NE(nullptr, data) << entry.name;
        RbpHeader header;
        const bool read = ReadRbpHeader(static_cast<const std::uint8_t*>(data), size, header);
        LocalFree(data);
        ASSERT_TRUE(read) << entry.name;
        kinds.insert(header.kind);
        const bool raw = header.kind == kRbpKindRgb565 || header.kind == kRbpKindRgb565Alpha;
        EXPECT_EQ(raw ? kRlzMethodLzss : kRlzMethodStored, entry.method) << entry.name << " kind " << header.kind;
      }
    }
  }
  EXPECT_EQ((std::set<std::uint32_t>{1, 13, 30, 32}), kinds);
}

TEST_F(DemoDataTest, ScriptsAreThePackedStoryAndEveryRecollection) {
  EXPECT_EQ("RLZ3", Magic(kData + "script.mlz"));
  const std::vector<RlzIndexEntry>& index = Index("script.mlz");
  std::set<std::string> wanted = {"main.txt", "sub.txt"};
  for (const RecollectionRecord* record = gRecollectionTable; record->identifier >= 0; ++record) {
    wanted.insert(std::string(record->script) + ".txt");
  }
  ASSERT_EQ(26u, wanted.size());
  EXPECT_EQ(wanted, EntryNames(index));
  for (const RlzIndexEntry& entry : index) EXPECT_EQ(kRlzMethodLzss, entry.method) << entry.name;
}

TEST_F(DemoDataTest, SoundsTheEngineNamesAreStoredOrLoose) {
  EXPECT_EQ("RLZ2", Magic(kData + "voice.mlz"));
  const std::set<std::string> voices = EntryNames(Index("voice.mlz"));
  for (int n = 1; n <= 8; ++n) {
    char number[4];
    std::snprintf(number, sizeof number, "%03d", n);
    EXPECT_TRUE(HasSound(voices, std::string("logo_se") + number)) << n;
    EXPECT_TRUE(HasSound(voices, std::string("title_se") + number)) << n;
  }
  EXPECT_EQ("RLZ3", Magic(kData + "se.mlz"));
  EXPECT_FALSE(Index("se.mlz").empty());
  for (const char* archive : {"voice.mlz", "se.mlz"}) {
    for (const RlzIndexEntry& entry : Index(archive)) EXPECT_EQ(kRlzMethodStored, entry.method) << entry.name;
  }
  // Music lies loose in "bgm": "00" for the title, "01".."27" for the music room.
  for (int n = 0; n <= 27; ++n) {
    const std::string base = kData + "bgm/" + (n < 10 ? "0" : "") + std::to_string(n);
    EXPECT_TRUE(std::filesystem::exists(base + ".ogg") || std::filesystem::exists(base + ".mp3")) << base;
  }
}

struct MovieCase {
  const char* name;
  const char* track;
  std::uint32_t storedWidth, storedHeight;
};
constexpr MovieCase kMovies[] = {
    {"sorabel_OP", ".ogg", 240, 320},  // the opening, shown by every build
    {"star_movie", ".mp3", 480, 640},  // the story's movie on the 640 builds' direct path
};

TEST_F(DemoDataTest, MoviesPlayWithinTheReadAheadBuffers) {
  for (const MovieCase& movie : kMovies) {
    SCOPED_TRACE(movie.name);
    EXPECT_TRUE(std::filesystem::exists(kData + movie.name + movie.track));
    const std::vector<std::uint8_t> file = ReadFileBytes(kData + movie.name + ".rzm2");
    ASSERT_GE(file.size(), kRzm2HeaderBytes);
    const Rzm2Header header = ReadRzm2Header(file.data());
    EXPECT_TRUE(header.version2);
    EXPECT_EQ(movie.storedWidth, header.storedWidth);
    EXPECT_EQ(movie.storedHeight, header.storedHeight);
    ASSERT_GT(header.frameCount, 0u);
    ASSERT_GT(header.timeBase, 0u);
    EXPECT_EQ(15u, header.rateNumerator / header.timeBase);
    const std::uint64_t block = Rzm2IndexBlockBytes(header.frameCount);
    ASSERT_LE(block, file.size());
    ASSERT_TRUE(ValidateRzm2Index(file.data(), block, file.size()));
    const std::size_t limit = MovieReadBufferBytes(static_cast<int>(header.storedWidth),
                                                   static_cast<int>(header.storedHeight));
    for (std::uint32_t frame = 0; frame < header.frameCount; ++frame) {
      EXPECT_LT(ReadRzm2FrameEntry(file.data(), frame).recordBytes, limit) << "frame " << frame;
    }
  }
}

}  // namespace
