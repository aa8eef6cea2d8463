// The CG gallery: its built-in table, what the pictures' seen-list unlocks,
// its cursor ring and its links.
#include "game/extras/cg_gallery_screen.h"

#include <cstring>
#include <set>

#include "game/extras/cg_gallery_table.h"
#include "tests/game/extras/extras_fixture.h"

namespace {

class CgGalleryTest : public ExtrasTest {
 protected:
  void Seen(std::initializer_list<const char*> names, int list = 0) {
    for (const char* name : names) game->seen.AddSeenName(list, name);
  }
  const GalleryPage& Page() const { return game->extras.gallery; }
};

TEST(CgGalleryTable, HoldsEveryIdentifierOfTheTabsInOrderWithTheGamesOwnNames) {
  const PictureRecord* table = CgGalleryTable();
  std::size_t records = 0;
  std::set<std::int32_t> identifiers;
  std::int32_t previous = -1;
  int run = 0;
  for (const PictureRecord* r = table; r->identifier != -1; ++r, ++records) {
    ASSERT_GE(r->identifier, previous);
    run = r->identifier == previous ? run + 1 : 1;
    EXPECT_LE(run, 9) << r->identifier;
    EXPECT_LE(std::strlen(r->name), 27u) << r->name;
    previous = r->identifier;
    identifiers.insert(r->identifier);
  }
  EXPECT_EQ(records, 565u);
  EXPECT_EQ(identifiers.size(), 201u);
  for (std::uint32_t tab = 0; tab < kCgGalleryTabs; ++tab) {
    std::uint32_t positions = 0;
    for (std::uint32_t page = 0; page < gCgGalleryPageCounts[tab]; ++page) positions += kCgGalleryPositions[tab][page];
    for (std::uint32_t k = 0; k < positions; ++k)
      EXPECT_EQ(identifiers.count(static_cast<std::int32_t>(32 * tab + k)), 1u);
  }
  struct Named {
    std::size_t index;
    std::int32_t identifier;
    const char* name;
  };
  const Named kNamed[] = {{0, 0, "EVC002b"},  {1, 1, "EVC003b-1"}, {4, 1, "EVC003b-4"},
                          {5, 2, "EVY002-1"}, {7, 3, "CG003-1"},   {564, 219, "CG219-2"}};
  for (const Named& n : kNamed) {
    EXPECT_EQ(table[n.index].identifier, n.identifier);
    EXPECT_STREQ(table[n.index].name, n.name);
  }
  EXPECT_EQ(table[565].identifier, -1);
}

TEST_F(CgGalleryTest, ThePicturesSeenListUnlocksByNameWithBmpLetterCaseAside) {
  struct Case {
    const char* seen;
    int list;
    bool unlocks;
  };
  const Case kCases[] = {
      {"EVC002b.bmp", 0, true},  {"evc002B.BMP", 0, true},  {"EVC002b", 0, false},
      {"EVC002b.rbp", 0, false}, {"EVC002b.bmp", 1, false},
  };
  for (const Case& c : kCases) {
    game->seen.ClearSeenNames();
    Seen({c.seen}, c.list);
    game->cgGallery.SetUp(0, 0);
    EXPECT_EQ(Page().filled[0], c.unlocks ? 1u : 0u) << c.seen << " in list " << c.list;
    EXPECT_EQ(Sprite(64) != nullptr, c.unlocks) << c.seen;
  }
}

TEST_F(CgGalleryTest, APositionKeepsOnlyItsSeenPicturesInTableOrder) {
  Seen({"EVC003b-4.bmp", "EVC003b-2.bmp", "EDY-3.bmp", "CG160-1.bmp", "CG219-2.bmp"});
  game->cgGallery.SetUp(0, 0);
  EXPECT_STREQ(Page().names[16], "EVC003b-2");
  EXPECT_STREQ(Page().names[17], "EVC003b-4");
  EXPECT_STREQ(Page().names[18], "");
  game->cgGallery.SetUp(0, 1);
  EXPECT_EQ(Page().entryCount, 15u);
  EXPECT_STREQ(Page().names[3 * 16], "EDY-3");
  EXPECT_STREQ(Page().names[3 * 16 + 1], "");
  game->cgGallery.SetUp(5, 0);
  EXPECT_EQ(Page().filled[0], 1u);
  game->cgGallery.SetUp(5, 3);
  EXPECT_EQ(Page().entryCount, 12u);
  EXPECT_EQ(Page().filled[11], 1u);
  EXPECT_STREQ(Page().names[11 * 16], "CG219-2");
}

TEST_F(CgGalleryTest, TheViewerShowsOnlyTheSeenPictures) {
  Seen({"EVC003b-2.bmp", "EVC003b-4.bmp"});
  Open(0, 0, SCENE_CG_GALLERY);
  OpenCell(1);
  for (const char* name : {"EVC003b-2.rbp", "EVC003b-4.rbp"}) {
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_SHOW));
    EXPECT_STREQ(engine->pictureSlots.Get(6)->name, name);
    TapDesign(400, 300);
    Frame();
  }
  EXPECT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  EXPECT_EQ(game->extras.cursor, 1u);
}

TEST_F(CgGalleryTest, NothingSeenLeavesEmptyFramesAndTheRingOnTheButtons) {
  struct Case {
    std::uint32_t tab, page, entries;
    std::size_t key;
    std::vector<std::uint32_t> cursors;
  };
  const Case kCases[] = {
      {0, 0, 16, ACTION_DOWN, {17, 18, 19, 20, 21, 23, 27, 28, 29, 17}},
      {0, 1, 15, ACTION_UP, {29, 28, 27, 22, 21, 20, 19, 18, 17, 29}},
      {5, 3, 12, ACTION_UP, {29, 28, 27, 24, 23, 22, 20, 19}},
  };
  for (const Case& c : kCases) {
    Open(c.tab, c.page, SCENE_CG_GALLERY);
    EXPECT_EQ(Page().entryCount, c.entries);
    for (std::uint32_t k = 0; k < c.entries; ++k) {
      EXPECT_NE(Sprite(80 + static_cast<int>(k)), nullptr);
      EXPECT_EQ(Sprite(64 + static_cast<int>(k)), nullptr);
    }
    for (const std::uint32_t expected : c.cursors) {
      Press(c.key);
      EXPECT_EQ(game->extras.cursor, expected) << c.tab << "/" << c.page;
    }
  }
}

TEST_F(CgGalleryTest, ScreenButtonsLeaveAndTheGalleryReopensOnItsTabAndPage) {
  struct Case {
    std::uint32_t position, scene, subState;
  };
  const Case kCases[] = {{27, SCENE_MUSIC_ROOM, 0}, {28, SCENE_RECOLLECTION, 0}, {29, SCENE_TITLE, 30}};
  for (const Case& c : kCases) {
    Open(3, 1, SCENE_CG_GALLERY);
    TapDesign(384 + 104 * static_cast<std::int32_t>(c.position - 26) + 50, 570);
    EXPECT_EQ(game->extras.cursor, c.position);
    TapDesign(384 + 104 * static_cast<std::int32_t>(c.position - 26) + 50, 570);
    EXPECT_EQ(engine->sceneState, c.scene);
    EXPECT_EQ(Sub(), c.subState);
    EXPECT_EQ(game->extras.category, 3u);
    EXPECT_EQ(game->extras.page, 1u);
  }
  game->SetSceneState(SCENE_CG_GALLERY, 0);
  Frame();
  EXPECT_EQ(Page().entryCount, 14u);  // tab 3, page 2
}

TEST_F(CgGalleryTest, TheTitlesGalleryEntryOpensOnTheFirstTabAndPage) {
  game->extras.category = 4;
  game->extras.page = 1;
  game->ClearExtrasSelection();
  EXPECT_EQ(game->extras.category, 0u);
  EXPECT_EQ(game->extras.page, 0u);
}

}  // namespace
