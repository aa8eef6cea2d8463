// The save/load screen over a temporary save folder, driven by input words.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_thumbnail.h"
#include "engine/shell/scene_state.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "host/memory/memory_api.h"
#include "host/run/call_log.h"
#include "tests/engine/text/text_fixture.h"
#include "tests/game/screens/image_ink.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

constexpr std::uint32_t kGameSubState = 5;

class SaveLoadScreenTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    dir.WriteFile("pict.mlz", BuildMlzArchive({{"data_base_save.rbp", FlatRbp(800, 600, 10, 20, 30), true},
                                               {"data_base_load.rbp", FlatRbp(800, 600, 30, 20, 10), true},
                                               {"data_parts.rbp", FlatRbp(560, 417, 200, 200, 200), true}},
                                              '3'));
    engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    engine.saveFolder = dir.EnginePath("");
    engine.pictureSlots.SetSaveFolder(engine.saveFolder.c_str());
    game.frames.BuildWindowFrame(0);
    game.frames.ShowMessageWindow(1);
    engine.sceneState = SCENE_GAME;
    engine.subState = kGameSubState;
    SaveHeader& header = game.saves.captured.header;
    std::strcpy(header.scriptName, "main.txt");
    std::strcpy(header.messageText, "one/two/three/four");
  }
  void TearDown() override {
    engine.messageWindow.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }

  void Press(std::size_t action) {
    engine.input.words[action] = 1;
    game.RunSceneFrame(engine);
  }
  void Tap(std::int32_t x, std::int32_t y) {
    engine.input.words[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x * 640 / 800);
    engine.input.words[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y * 640 / 800);
    engine.input.words[ACTION_TAP] = 1;
    game.RunSceneFrame(engine);
  }
  void TapRow(int row) { Tap(300, 100 + 95 * row); }
  CSpritePart* Part(int index) { return engine.sprites[static_cast<std::size_t>(index)].get(); }
  const SaveLoadRecord& Screen() const { return game.saveLoad.state; }
  // Whether anything is drawn into the text layer at one of the row's text
  // lines (x 262, y 98 + 95 row + 18 line, 16 high).
  bool RowTextDrawn(int row, int line = 0) {
    const CImage* layer = engine.pictureSlots.Get(162);
    const auto top = static_cast<std::uint32_t>(98 + 95 * row + 18 * line) * 480 / 600;
    return layer != nullptr && InkInRect(*layer, 262 * 640 / 800, top, 120, 14);
  }
  // The kept thumbnail: w x h, the left half red, the right half blue.
  void KeepHalvesThumbnail(std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint16_t> pixels(std::size_t{w} * h);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = i % w < w / 2 ? kRed : kBlue;
    std::uint32_t size = 0;
    std::uint8_t* bitmap = BuildThumbnailBitmap(pixels.data(), w, h, w, h, &size);
    ASSERT_NE(bitmap, nullptr);
    game.saves.keptThumbnail.assign(bitmap, bitmap + size);
    LocalFree(bitmap);
  }

  static constexpr std::uint16_t kRed = 0xF800, kBlue = 0x001F;

  ScopedTempDir dir{"novel_save_screen_"};
  CGameEngine engine;
  CGame game{engine};
};

TEST_F(SaveLoadScreenTest, TheLastSaveChoosesThePageAndItsMarker) {
  ASSERT_EQ(game.SaveGame(12), 1);
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD);
  EXPECT_EQ(Screen().page, 2);
  ASSERT_NE(Part(403), nullptr);
  EXPECT_EQ(Part(403)->designY1000, (69 + 95 * 2) * 1000);
  EXPECT_EQ(Screen().rowPresent[2], 1u);
  EXPECT_EQ(Screen().rowPresent[1], 0u);
  ASSERT_NE(Part(412), nullptr);  // the row's thumbnail
  EXPECT_EQ(Part(411), nullptr);
  Press(ACTION_CANCEL);

  // A newest save beyond the fifty slots counts as none.
  game.saves.lastSavedSlot = 57;
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(Screen().page, 0);
  EXPECT_EQ(Part(403), nullptr);
}

// The row shows the saved text's first three '/'-separated lines only.
TEST_F(SaveLoadScreenTest, FourLinesOfTextShowThree) {
  std::strcpy(game.messages.state.text, "one/two/three/four");
  ASSERT_EQ(game.SaveGame(1), 1);
  std::strcpy(game.messages.state.text, "/second only");
  ASSERT_EQ(game.SaveGame(3), 1);
  game.EnterSaveLoadScreen(1);
  for (int line = 0; line < 3; ++line) EXPECT_TRUE(RowTextDrawn(1, line)) << line;
  EXPECT_FALSE(RowTextDrawn(1, 3));
  EXPECT_FALSE(RowTextDrawn(3, 0));
  EXPECT_TRUE(RowTextDrawn(3, 1));
  EXPECT_FALSE(RowTextDrawn(3, 2));
}

TEST_F(SaveLoadScreenTest, LoadModeVisitsOnlyPresentRows) {
  ASSERT_EQ(game.SaveGame(1), 1);
  ASSERT_EQ(game.SaveGame(3), 1);
  game.saves.lastSavedSlot = -1;
  game.EnterSaveLoadScreen(1);
  for (int expected : {1, 3, 1}) {
    Press(ACTION_DOWN);
    EXPECT_EQ(Screen().selection, expected);
  }
  game.saveLoad.DrawPage(0);
  Press(ACTION_UP);
  EXPECT_EQ(Screen().selection, 3);
  TapRow(0);  // empty: no target in load mode
  EXPECT_EQ(Screen().selection, kNoSaveSelection);
  EXPECT_EQ(Part(404), nullptr);
  Press(ACTION_CANCEL);

  game.EnterSaveLoadScreen(0);
  Press(ACTION_DOWN);
  EXPECT_EQ(Screen().selection, 0);
  TapRow(4);
  EXPECT_EQ(Screen().selection, 4);
}

TEST_F(SaveLoadScreenTest, TwoTapsSaveARowAndTheScreenStays) {
  game.CaptureSaveThumbnail();
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(Screen().rowPresent[4], 0u);
  TapRow(4);
  EXPECT_FALSE(dir.ReadFile("save005.dat").has_value());
  TapRow(4);
  EXPECT_TRUE(dir.ReadFile("save005.dat").has_value());
  EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD);
  EXPECT_EQ(Screen().rowPresent[4], 1u);
  EXPECT_NE(Part(414), nullptr);
  EXPECT_NE(Part(403), nullptr);  // the marker moved to the new save
  EXPECT_FALSE(game.saves.keptThumbnail.empty());
  EXPECT_FALSE(RowTextDrawn(4, 1));

  // Overwriting the row writes the new text and draws it.
  std::strcpy(game.messages.state.text, "first/second");
  TapRow(4);
  TapRow(4);
  EXPECT_EQ(std::string(dir.ReadFile("save005.dat")->c_str() + 104), "first/second");
  EXPECT_TRUE(RowTextDrawn(4, 1));
  EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD);
}

TEST_F(SaveLoadScreenTest, TabsPageButTheShownTabIsNoTarget) {
  game.EnterSaveLoadScreen(0);
  Tap(30, 570);  // tab 0, shown
  EXPECT_EQ(Screen().selection, kNoSaveSelection);
  Tap(30 + 40 * 7, 570);
  Tap(30 + 40 * 7, 570);
  EXPECT_EQ(Screen().page, 7);
  EXPECT_EQ(Part(402)->designX1000, (10 + 40 * 7) * 1000);
}

TEST_F(SaveLoadScreenTest, LeavingFreesTheScreenAndRestoresTheGame) {
  game.CaptureSaveThumbnail();
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(game.frames.shown, 0u);
  Tap(740, 570);  // back
  Tap(740, 570);
  EXPECT_EQ(engine.sceneState, SCENE_GAME);
  EXPECT_EQ(engine.subState, kGameSubState);
  for (int part = 400; part <= 419; ++part) EXPECT_EQ(Part(part), nullptr) << part;
  for (int slot = 160; slot <= 169; ++slot) EXPECT_EQ(engine.pictureSlots.Get(slot), nullptr) << slot;
  EXPECT_EQ(game.frames.shown, 1u);
  EXPECT_EQ(engine.messageWindow->textHidden, 0u);
  EXPECT_TRUE(game.saves.keptThumbnail.empty());
}

// Files that are there but fail the whole-file check: the row is marked
// damaged, has no thumbnail, cannot be chosen in load mode, and a save in
// save mode replaces it (where the file system lets it).
TEST_F(SaveLoadScreenTest, DamagedRowsShowTheirMarkCannotBeLoadedAndASaveReplacesThem) {
  ASSERT_EQ(game.SaveGame(0), 1);
  const std::optional<std::string> good = dir.ReadFile("save001.dat");
  ASSERT_TRUE(good.has_value());
  std::string wrongLength = *good + "x";
  std::string wrongMagic = *good;
  wrongMagic[2] = 'B';
  const struct {
    const char* what;
    std::string bytes;  // empty: a folder in the file's place
    int replaced;
  } cases[] = {
      {"cut short", good->substr(0, good->size() - 1), 1},
      {"one byte too many", wrongLength, 1},
      {"foreign magic", wrongMagic, 1},
      {"header only", good->substr(0, 1656), 1},
      {"a folder", "", 0},
  };
  game.saves.lastSavedSlot = -1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(dir.HostPath("save004.dat"));
    if (c.bytes.empty()) {
      std::filesystem::create_directory(dir.HostPath("save004.dat"));
    } else {
      dir.WriteFile("save004.dat", c.bytes);
    }
    game.EnterSaveLoadScreen(1);
    EXPECT_EQ(Screen().rowPresent[3], 0u);
    EXPECT_EQ(Part(413), nullptr);
    EXPECT_TRUE(RowTextDrawn(3));
    EXPECT_FALSE(RowTextDrawn(2));  // an empty row shows nothing
    TapRow(3);
    TapRow(3);
    EXPECT_EQ(Screen().selection, kNoSaveSelection);
    EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD);

    Tap(540, 570);  // to save mode
    Tap(540, 570);
    ASSERT_EQ(Screen().mode, 0);
    TapRow(3);
    TapRow(3);
    EXPECT_EQ(engine.sceneState, SCENE_SAVE_LOAD);
    EXPECT_EQ(Screen().rowPresent[3], static_cast<std::uint32_t>(c.replaced));
    EXPECT_EQ(Part(413) != nullptr, c.replaced == 1);
    Press(ACTION_CANCEL);
  }
}

// The bar's quick-save button goes round the ring after the newest quick
// save; the save screen's page and marker stay with the last slot save.
TEST_F(SaveLoadScreenTest, FourBarQuickSavesGoRoundTheRing) {
  ASSERT_EQ(game.SaveGame(12), 1);
  const char* expected[] = {"save501.dat", "save502.dat", "save503.dat", "save501.dat"};
  for (int n = 0; n < 4; ++n) {
    const std::string text = "quick " + std::to_string(n);
    std::strcpy(game.messages.state.text, text.c_str());
    for (int tap = 0; tap < 2; ++tap) {
      engine.input.words[INPUT_STYLUS_X] = (214 + 10) * 640 / 800;
      engine.input.words[INPUT_STYLUS_Y] = 590 * 480 / 600;
      engine.input.words[ACTION_TAP] = 1;
      game.HandleWindowButtons();
    }
    const std::optional<std::string> file = dir.ReadFile(expected[n]);
    ASSERT_TRUE(file.has_value()) << expected[n];
    EXPECT_EQ(std::string(file->c_str() + 104), text) << expected[n];
  }
  EXPECT_EQ(dir.ReadFile("save502.dat")->substr(104, 7), "quick 1");
  EXPECT_EQ(game.saves.lastSavedSlot, 12);
  game.EnterSaveLoadScreen(0);
  EXPECT_EQ(Screen().page, 2);
  EXPECT_EQ(Part(403)->designY1000, (69 + 95 * 2) * 1000);
}

// A file that cannot be read is damaged too, not an empty slot.
TEST_F(SaveLoadScreenTest, AnUnreadableFileIsADamagedRow) {
  ASSERT_EQ(game.SaveGame(7), 1);
  game.EnterSaveLoadScreen(1);
  EXPECT_EQ(Screen().rowPresent[2], 1u);
  HostFailCall("ReadFile");
  game.saveLoad.DrawPage(1);
  HostClearFailures();
  EXPECT_EQ(Screen().rowPresent[2], 0u);
  EXPECT_TRUE(RowTextDrawn(2));
  EXPECT_FALSE(RowTextDrawn(1));
}

// Both screen sizes share the save folder: a thumbnail saved at the other
// size fills this screen's 100 x 75 box, resampled.
TEST_F(SaveLoadScreenTest, AThumbnailOfTheOtherSizeIsResampledToTheBox) {
  const struct {
    std::int32_t screenW, screenH;
    std::uint32_t savedW, savedH;
  } cases[] = {{640, 480, 40, 30}, {320, 240, 80, 60}, {640, 480, 80, 60}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.screenW) + " screen, saved " + std::to_string(c.savedW));
    KeepHalvesThumbnail(c.savedW, c.savedH);
    ASSERT_EQ(game.SaveGame(2), 1);
    SetScreenWidth(c.screenW);
    SetScreenHeight(c.screenH);
    game.EnterSaveLoadScreen(0);
    const CImage* shown = engine.pictureSlots.Get(167);
    ASSERT_NE(shown, nullptr);
    const std::uint32_t w = 100 * static_cast<std::uint32_t>(c.screenW) / 800;
    const std::uint32_t h = 75 * static_cast<std::uint32_t>(c.screenH) / 600;
    EXPECT_EQ(shown->width, w);
    EXPECT_EQ(shown->height, h);
    ASSERT_NE(Part(412), nullptr);
    for (std::uint32_t y : {0u, h / 2, h - 1}) {
      EXPECT_EQ(shown->GetPixels()[y * w + 0], kRed);
      EXPECT_EQ(shown->GetPixels()[y * w + w / 2 - 1], kRed);
      EXPECT_EQ(shown->GetPixels()[y * w + w / 2], kBlue);
      EXPECT_EQ(shown->GetPixels()[y * w + w - 1], kBlue);
    }
    Press(ACTION_CANCEL);
    SetScreenWidth(640);
    SetScreenHeight(480);
  }
}

// The row's date from the time key the save header's stamp packs: year
// from 2000 in the top seven bits, every field two digits but the year's
// four, seconds dropped.
TEST(SaveRowDate, AKnownKeyGivesItsDateText) {
  const struct {
    std::uint32_t key;
    const char* text;
  } cases[] = {
      {26u << 25 | 12u << 21 | 11u << 16 | 8u << 11 | 5u << 5 | 21u,
       "2026\x94\x4e"
       "12\x8c\x8e"
       "11\x93\xfa 08:05"},
      {PackSaveTimeStamp("2003-01-09 23:59:58"),
       "2003\x94\x4e"
       "01\x8c\x8e"
       "09\x93\xfa 23:59"},
      {127u << 25 | 9u << 21 | 30u << 16 | 0u << 11 | 0u << 5,
       "2127\x94\x4e"
       "09\x8c\x8e"
       "30\x93\xfa 00:00"},
  };
  for (const auto& c : cases) {
    char text[kSaveRowDateSize] = {};
    FormatSaveRowDate(c.key, text);
    EXPECT_STREQ(text, c.text) << std::hex << c.key;
  }
}

}  // namespace
