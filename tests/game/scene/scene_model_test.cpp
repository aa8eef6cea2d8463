// Backgrounds and characters: what each tag does to the scene model, the
// picture slots and the part sprites.
#include <gtest/gtest.h>

#include <cstring>

#include "game/scene/event_pictures.h"
#include "scene_fixture.h"

namespace {

using SceneModelTest = SceneTest;

TEST_F(SceneModelTest, BgSetOfTheShownNameRedoesNeitherInversionNorTint) {
  engine->options[DISP_FREE_MODE] = 1;
  game->TagReversal(Tag("<Reversal 1>"));
  game->TagBgSet(Tag("<BgSet EVC009>"));
  const std::uint16_t shown = PictureCorner(kBackgroundSlot);
  EXPECT_EQ(game->scene.model.mannerTinted, 1u);
  game->TagBgSet(Tag("<BgSet evc009>"));
  EXPECT_EQ(PictureCorner(kBackgroundSlot), shown);
  EXPECT_EQ(game->seen.SeenCount(kSeenPictures), 1u);
}

TEST_F(SceneModelTest, ReversalInvertsOnEveryCallAndLaterLoadsWhileOn) {
  game->TagBgSet(Tag("<BgSet bg_red>"));
  game->TagChrSet(Tag("<ChrSet 1,chr_a>"));
  const std::uint16_t background = PictureCorner(kBackgroundSlot);
  const std::uint16_t character = PictureCorner(kCharacterSlotBase + 1);
  game->TagReversal(Tag("<Reversal 1>"));
  EXPECT_EQ(PictureCorner(kBackgroundSlot), static_cast<std::uint16_t>(~background));
  EXPECT_EQ(PictureCorner(kCharacterSlotBase + 1), static_cast<std::uint16_t>(~character));
  game->TagBgSet(Tag("<BgSet bg_blue>"));
  EXPECT_EQ(PictureCorner(kBackgroundSlot), static_cast<std::uint16_t>(~0x001Fu));
  game->TagReversal(Tag("<Reversal 0>"));
  EXPECT_EQ(PictureCorner(kBackgroundSlot), 0x001F);
  EXPECT_EQ(PictureCorner(kCharacterSlotBase + 1), character);
}

TEST_F(SceneModelTest, OffsetsPlaceBackgroundAndCharacters) {
  game->TagBgSet(Tag("<BgSet bg_wide>"));
  game->TagChrSetXY(Tag("<ChrSetXY 2,300,100>"));
  game->TagChrSet(Tag("<ChrSet 2,chr_a>"));
  EXPECT_EQ(DesignX(kCharacterSlotBase + 2), 300);
  game->TagBgSetXY(Tag("<BgSetXY 200,10>"));
  EXPECT_EQ(DesignX(kBackgroundSlot), -200);
  EXPECT_EQ(DesignY(kBackgroundSlot), -10);
  EXPECT_EQ(DesignX(kCharacterSlotBase + 2), 300);  // characters stay until placed again
  game->TagChrSetXY(Tag("<ChrSetXY 2,300,100>"));
  EXPECT_EQ(DesignX(kCharacterSlotBase + 2), 100);
  EXPECT_EQ(DesignY(kCharacterSlotBase + 2), 90);
  // A new background keeps the offset.
  game->TagBgSet(Tag("<BgSet bg_red>"));
  EXPECT_EQ(DesignX(kBackgroundSlot), -200);
}

// Saves and scripts may hold any offsets and positions: the difference
// wraps in 32 bits instead of overflowing.
TEST_F(SceneModelTest, OffsetsAtTheEndsOfTheRangeWrap) {
  game->TagBgSetXY(Tag("<BgSetXY -2147483648,10>"));
  game->TagBgSet(Tag("<BgSet bg_wide>"));
  EXPECT_EQ(DesignY(kBackgroundSlot), -10);
  game->TagChrSetXY(Tag("<ChrSetXY 2,2147483000,-2147483648>"));
  game->TagChrSet(Tag("<ChrSet 2,chr_a>"));
  EXPECT_EQ(DesignX(kCharacterSlotBase + 2), -648);
  game->TagChrSetXY(Tag("<ChrSetXY 2,2147483001,0>"));
  EXPECT_EQ(DesignX(kCharacterSlotBase + 2), -647);
  EXPECT_EQ(DesignY(kCharacterSlotBase + 2), -10);
  game->TagBgSetXY(Tag("<BgSetXY 1,-2147483648>"));
  EXPECT_EQ(DesignX(kBackgroundSlot), -1);
}

TEST_F(SceneModelTest, PrioritiesHideWithoutFreeingAndShowAgain) {
  game->TagChrSet(Tag("<ChrSet 0,chr_a>"));
  game->TagChrSet(Tag("<ChrSet 3,chr_b>"));
  EXPECT_EQ(Sprite(kCharacterSlotBase + 3)->priority, 33);
  game->TagChrSetPry(Tag("<ChrSetPry -1,2>"));
  ASSERT_NE(Sprite(kCharacterSlotBase), nullptr);
  EXPECT_EQ(Sprite(kCharacterSlotBase)->visible, 0u);
  EXPECT_TRUE(engine->pictureSlots.IsPictureSlotUsed(kCharacterSlotBase));
  EXPECT_EQ(game->scene.model.priorities[1], 2);
  EXPECT_EQ(game->scene.model.priorities[3], 3);  // not given: kept
  game->TagChrSetPry(Tag("<ChrSetPry 0>"));
  EXPECT_EQ(Sprite(kCharacterSlotBase)->visible, 1u);
  EXPECT_EQ(Sprite(kCharacterSlotBase)->priority, 30);
  // A character set while its priority is negative starts hidden.
  game->TagChrSetPry(Tag("<ChrSetPry 0,-5>"));
  game->TagChrSet(Tag("<ChrSet 1,chr_b>"));
  EXPECT_EQ(Sprite(kCharacterSlotBase + 1)->visible, 0u);
  EXPECT_EQ(Sprite(kCharacterSlotBase + 1)->priority, 30);
}

TEST_F(SceneModelTest, ChrDelTakesTheSlotModuloFiveOrAll) {
  const struct {
    const char* tag;
    std::vector<int> left;
  } kCases[] = {
      {"<ChrDel 7>", {0, 1, 3, 4}},
      {"<ChrDel -3>", {0, 1, 3, 4}},
      {"<ChrDel -2>", {0, 1, 2, 4}},
      {"<ChrDel -1>", {}},
      {"<ChrDel 4>", {0, 1, 2, 3}},
      {"<ChrDel ALL>", {}},
      {"<ChrDel all>", {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.tag);
    for (int k = 0; k < kSceneCharacterCount; ++k) game->scene.SetCharacter(k, "chr_a");
    game->TagChrDel(Tag(c.tag));
    std::vector<int> left;
    for (int k = 0; k < kSceneCharacterCount; ++k) {
      if (Sprite(kCharacterSlotBase + k) != nullptr) left.push_back(k);
      EXPECT_EQ(game->scene.model.characters[k].inUse != 0, Sprite(kCharacterSlotBase + k) != nullptr);
      EXPECT_EQ(engine->pictureSlots.IsPictureSlotUsed(kCharacterSlotBase + k), Sprite(kCharacterSlotBase + k) != nullptr);
      EXPECT_STREQ(game->scene.model.characters[k].name, "chr_a");  // the name stays
    }
    EXPECT_EQ(left, c.left);
  }
}

TEST_F(SceneModelTest, ChrSetArgbWaitsForTheNextChrSet) {
  game->TagChrSet(Tag("<ChrSet 0,chr_a>"));
  const std::uint16_t plain = PictureCorner(kCharacterSlotBase);
  game->TagChrSetARGB(Tag("<ChrSetARGB 0,255,255,0,0>"));
  EXPECT_EQ(game->scene.model.characters[0].color, 0x0000FFFFu);
  EXPECT_EQ(PictureCorner(kCharacterSlotBase), plain);
  game->TagChrSet(Tag("<ChrSet 0,chr_a>"));
  // c3 is the red of the darkening: a red of 0 takes 80 off the picture's
  // red (0xF8 to 0xA8); green and blue of 255 leave the green alone.
  EXPECT_EQ(PictureCorner(kCharacterSlotBase), (0xA8 << 8) | (plain & 0x07FF));
}

TEST_F(SceneModelTest, SlotsOutsideZeroToFourAreRefused) {
  const SceneModel before = game->scene.model;
  for (const char* tag : {"<ChrSet 5,chr_a>", "<ChrSet -1,chr_a>", "<ChrSetXY 5,1,2>", "<ChrSetXY -1,1,2>",
                          "<ChrSetARGB 5,1,2,3,4>", "<ChrSetARGB 9,1,2,3,4>", "<ChrMove 7,5,0,0,9,9>"}) {
    SCOPED_TRACE(tag);
    const ParsedCommand command = Tag(tag);
    switch (LookupCommand(command.name)) {
      case OP_CHR_SET: game->TagChrSet(command); break;
      case OP_CHR_SET_XY: game->TagChrSetXY(command); break;
      case OP_CHR_MOVE: EXPECT_EQ(game->TagChrMove(command, 0), 1); break;
      default: game->TagChrSetARGB(command); break;
    }
    EXPECT_EQ(std::memcmp(&game->scene.model, &before, sizeof before), 0);
    for (int index = kCharacterSlotBase - 1; index <= kCharacterSlotBase + kSceneCharacterCount; ++index) {
      EXPECT_EQ(Sprite(index), nullptr);
    }
  }
}

TEST_F(SceneModelTest, BgSetColorRemovesTheBackgroundAndKeepsTheWord) {
  game->TagBgSet(Tag("<BgSet bg_blue>"));
  DrawFrame();
  EXPECT_EQ(ScreenPixel(639, 479), 0x001F);
  game->TagBgSetColor(Tag("<BgSetColor 255,0,0>"));
  EXPECT_EQ(engine->backgroundColor, 0x00FF0000u);
  EXPECT_EQ(Sprite(kBackgroundSlot), nullptr);
  EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(kBackgroundSlot));
  EXPECT_STREQ(game->scene.model.background, "");
  DrawFrame();
  EXPECT_EQ(ScreenPixel(0, 0), 0xF800);
  EXPECT_EQ(ScreenPixel(639, 479), 0xF800);
}

TEST_F(SceneModelTest, MannerTintDimsOrBlacksListedPicturesInTheGameOnly) {
  const struct {
    std::uint32_t mode;
    std::uint32_t state;
    const char* name;
    std::uint32_t tinted;
    std::uint16_t corner;
  } kCases[] = {
      {0, SCENE_GAME, "EVC009", 0, 0x8410},       {1, SCENE_GAME, "EVC009", 1, 0x2104},
      {2, SCENE_GAME, "evc009", 1, 0x0000},   {1, SCENE_TITLE, "EVC009", 0, 0x8410},
      {3, SCENE_GAME, "EVC009", 0, 0x8410},       {1, SCENE_GAME, "bg_red", 0, 0xF800},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    SCOPED_TRACE(c.mode);
    engine->options[DISP_FREE_MODE] = c.mode;
    engine->sceneState = c.state;
    game->TagBgSetColor(Tag("<BgSetColor 0,0,0>"));
    game->TagBgSet(Tag((std::string("<BgSet ") + c.name + ">").c_str()));
    EXPECT_EQ(game->scene.model.mannerTinted, c.tinted);
    EXPECT_EQ(PictureCorner(kBackgroundSlot), c.corner);
  }
}

TEST(EventPictures, TheTableHoldsItsNamesAndOnlyThose) {
  EXPECT_EQ(EventPictureCount(), 213u);
  for (const char* name : {"EVC009", "EVM005-1", "EVM005-5", "evr019b-4", "EVY026c-4.rbp", "EVSS008", "EVY022a-9"}) {
    EXPECT_EQ(IsEventPicture(name), 1) << name;
  }
  for (const char* name : {"EVM005-6", "EVM005-0", "EVM005-", "EVC00", "EVC0099", "bg01", "", "EVY022a-10"}) {
    EXPECT_EQ(IsEventPicture(name), 0) << name;
  }
}

}  // namespace
