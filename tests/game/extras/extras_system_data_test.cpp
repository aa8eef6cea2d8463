// What the extras take from "system.dat" as the game reads it at start-up:
// the pictures' seen-list unlocks the gallery, the globals the recollection
// (and the title's variant); a damaged file unlocks nothing at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/extras/cg_gallery_table.h"
#include "game/stores/system_data.h"
#include "tests/game/extras/extras_fixture.h"
#include "tests/support/hand_made_system_data.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const std::vector<HandMadeGlobal> kGlobals = {{"g_EDB001", 1}, {"g_EVY020", 0}, {"g_clear_flg", 1}};
// "EVC002b" without ".bmp" and a picture name in the scripts' list unlock
// nothing; letter case does not matter.
const std::vector<std::string> kPictures = {"EVC003b-2.bmp", "evc003B-4.BMP", "EVC002b", "EDY-3.bmp"};
const std::vector<std::string> kScripts = {"EVC002b.bmp", "main.txt"};

class ExtrasSystemDataTest : public ExtrasTest {
 protected:
  void SetUp() override {
    ExtrasTest::SetUp();
    engine->saveFolder = dir.EnginePath("");
  }
  // The game's start-up read of the save folder.
  void StartUp(const Bytes* file) {
    if (file != nullptr) dir.WriteFile("system.dat", *file);
    std::unique_ptr<CGameApp> app = MakeGameApp();
    game->LoadConfigAndBuildMenu(*app);
  }
  std::uint32_t TitleVariant() {
    game->SetSceneState(SCENE_TITLE, TITLE_SET_UP);
    Frame();
    return game->title.variant;
  }
  // Every track position the keys reach in the music room.
  std::uint32_t ReachableTracks() {
    Open(0, 0, SCENE_MUSIC_ROOM);
    std::uint32_t reached = 0;
    for (std::uint32_t i = 0; i < kMusicTracks; ++i) {
      Press(ACTION_DOWN);
      if (game->extras.musicCursor == i) ++reached;
    }
    return reached;
  }
};

TEST_F(ExtrasSystemDataTest, AHandMadeFileUnlocksWhatItNamesAndNothingElse) {
  const Bytes file = HandMadeSystemData(kGlobals, kPictures, kScripts);
  StartUp(&file);
  const GalleryPage& page = game->extras.gallery;
  game->cgGallery.SetUp(0, 0);
  EXPECT_EQ(page.filled[0], 0u);
  EXPECT_EQ(page.filled[1], 1u);
  EXPECT_STREQ(page.names[16], "EVC003b-2");
  EXPECT_STREQ(page.names[17], "EVC003b-4");
  EXPECT_STREQ(page.names[18], "");
  game->cgGallery.SetUp(0, 1);
  EXPECT_STREQ(page.names[3 * 16], "EDY-3");
  game->recollectionScreen.SetUp(5);
  EXPECT_EQ(game->extras.recollection.unlocked[0], 1u);
  game->recollectionScreen.SetUp(0);
  for (std::uint32_t k = 0; k < 16; ++k) EXPECT_EQ(game->extras.recollection.unlocked[k], 0u) << k;
  EXPECT_EQ(TitleVariant(), 1u);
  EXPECT_EQ(ReachableTracks(), kMusicTracks);
}

TEST_F(ExtrasSystemDataTest, AFullPicturesListStillUnlocksItsLastName) {
  std::vector<std::string> pictures;
  for (std::uint32_t i = 0; i + 1 < kSeenEntryCount; ++i) pictures.push_back("seen" + std::to_string(i) + ".bmp");
  pictures.push_back("EVC002b.bmp");
  const Bytes file = HandMadeSystemData({}, pictures, {});
  StartUp(&file);
  ASSERT_EQ(game->seen.SeenCount(kSeenPictures), kSeenEntryCount);
  game->cgGallery.SetUp(0, 0);
  EXPECT_EQ(game->extras.gallery.filled[0], 1u);
  EXPECT_EQ(ReachableTracks(), kMusicTracks);
}

// Damaged: cut anywhere, or a count beyond what the file holds (the magic
// and the byte lengths are not read, so they cannot damage it).
TEST_F(ExtrasSystemDataTest, AMissingOrDamagedFileUnlocksNothingAndIsKeptAside) {
  const Bytes whole = HandMadeSystemData(kGlobals, kPictures, kScripts);
  std::vector<Bytes> damaged;
  for (std::size_t size = 0; size < whole.size(); ++size) damaged.emplace_back(whole.begin(), whole.begin() + size);
  for (const std::size_t countAt : {std::size_t{4}, std::size_t{50}, whole.size() - 8}) {
    damaged.push_back(whole);
    damaged.back()[countAt + 1] = 0x01;  // 256 more
  }
  std::vector<const Bytes*> files = {nullptr};
  for (const Bytes& d : damaged) files.push_back(&d);
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    game.reset();
    game = std::make_unique<CGame>(*engine);
    std::remove(dir.HostPath("system.dat").c_str());
    std::remove(dir.HostPath("system.dat.bad").c_str());
    StartUp(files[i]);
    EXPECT_EQ(game->seen.SeenCount(kSeenPictures), 0u);
    EXPECT_EQ(game->seen.SeenCount(kSeenScripts), 0u);
    EXPECT_TRUE(game->Interpreter().Variables().Globals().empty());
    game->cgGallery.SetUp(0, 0);
    EXPECT_EQ(game->extras.gallery.filled[1], 0u);
    game->recollectionScreen.SetUp(5);
    EXPECT_EQ(game->extras.recollection.unlocked[0], 0u);
    if (files[i] != nullptr) {
      EXPECT_EQ(dir.ReadFile("system.dat.bad").value_or(""), std::string(files[i]->begin(), files[i]->end()));
    }
  }
  // With nothing taken in, the title is the ordinary one and the music room
  // offers every track.
  EXPECT_EQ(TitleVariant(), 0u);
  EXPECT_EQ(ReachableTracks(), kMusicTracks);
}

}  // namespace
