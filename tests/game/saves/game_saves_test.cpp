// Saving and loading through the game object: a script played to its first
// page, saved, moved on, loaded back; the quick-save ring; failed writes and
// damaged files; and a quit and restart between the save and the load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "engine/shell/back_buffer.h"
#include "engine/text/message_font.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "game/saves/save_file.h"
#include "host/run/call_log.h"
#include "host/time/time_api.h"
#include "tests/engine/text/text_fixture.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// "page one" then "page two", with the scene changed between them.
const std::string kScript =
    "<WinType WINDOW><WinFrameType 1><WinFrame 1><BgSet bg01><ChrSetXY 2,100,50><ChrSet 2,chr_a><Mov a,5>"
    "<Mov g_x,9>page one<KW><WinClear>\r\n"
    "<Mov a,6><BgSet bg02><ChrDel ALL><SltDel>page two<KW><TW 9999>";

class GameSavesTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    HostClockSetMode(HostClockMode::Virtual);
    HostClockSetLocalTime({2026, 12, 5, 11, 12, 34, 56, 0});
    std::vector<MlzEntrySource> pictures;
    for (const char* name : {"bg01", "bg02", "chr_a", "WIN_PARTS", "M_frame_A", "M_frame_B", "M_frame_C",
                             "M_frame_name", "SELECT_BASE"}) {
      const auto shade = static_cast<std::uint8_t>(pictures.size() * 20);
      pictures.push_back({std::string(name) + ".rbp", FlatRbp(64, 48, shade, 40, 80), true});
    }
    dir.WriteFile("pict.mlz", BuildMlzArchive(pictures, '3'));
    dir.WriteFile("script.mlz", BuildMlzArchive({{"main.txt", {kScript.begin(), kScript.end()}, true}}, '2'));
    MakeGame();
  }
  void TearDown() override {
    HostClearFailures();
    app.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }

  // A fresh program: engine object and game, "system.dat" read at start-up.
  void MakeGame() {
    if (app) app->engine().messageWindow.reset();
    app.reset();
    app = std::make_unique<Program>();
    CGameEngine& engine = app->engine();
    engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    engine.scriptArchive = dir.EnginePath("script.mlz");
    engine.saveFolder = dir.EnginePath("");
    engine.options[MESSAGE_SPEED] = 0;
    app->game().LoadConfigAndBuildMenu(*app->gameApp);
  }
  CGame& Game() { return app->game(); }
  CGameEngine& Engine() { return app->engine(); }

  void Frame() { Game().RunSceneFrame(Engine()); }
  bool RunUntilWaiting(const char* tag) {
    for (int frame = 0; frame < 50; ++frame) {
      if (Game().Interpreter().Command().name == std::string(tag) && Game().Interpreter().StepFrames() > 0) {
        return true;
      }
      Frame();
    }
    return false;
  }
  void Advance() {
    Engine().input.words[ACTION_ADVANCE_KEY] = 1;
    Frame();
    Engine().input.words[ACTION_ADVANCE_KEY] = 0;
  }
  // The game on its first page, the save point captured.
  void PlayToFirstPage() {
    Game().StartNewGame();
    ASSERT_TRUE(RunUntilWaiting("KW"));
    ASSERT_STREQ(Game().messages.state.text, "page one");
  }
  // Everything a save would keep, as bytes.
  Bytes Fingerprint() {
    SaveFile kept = Game().saves.captured;
    Game().CaptureSaveState();
    SaveFile now = Game().saves.captured;
    Game().saves.captured = kept;
    std::strcpy(now.header.messageText, Game().messages.state.text);
    return EncodeSaveFile(now);
  }
  std::optional<std::string> File(const std::string& name) const { return dir.ReadFile(name); }

  struct Program {
    std::unique_ptr<CGameApp> gameApp = MakeGameApp();
    CGameEngine& engine() { return *gameApp; }
    CGame& game() { return *static_cast<CGame*>(gameApp->game.get()); }
  };
  ScopedTempDir dir{"novel_game_saves_"};
  std::unique_ptr<Program> app;
};

TEST_F(GameSavesTest, ALoadBringsBackTheSavedPage) {
  PlayToFirstPage();
  const Bytes atSave = Fingerprint();
  ASSERT_EQ(Game().SaveGame(3), 1);
  ASSERT_TRUE(File("save004.dat").has_value());
  EXPECT_EQ(Game().saves.newestSlot, 3);
  EXPECT_EQ(Game().saves.slotUsed[3], 1u);
  EXPECT_EQ(Game().saves.lastSavedSlot, 3);

  Advance();
  ASSERT_TRUE(RunUntilWaiting("KW"));
  ASSERT_STREQ(Game().messages.state.text, "page two");
  ASSERT_STREQ(Game().scene.model.background, "bg02");
  EXPECT_EQ(Game().Interpreter().GetVariable("a"), 6);

  ASSERT_EQ(Game().LoadGame(3), 1);
  EXPECT_EQ(Engine().sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  EXPECT_STREQ(Game().scene.model.background, "bg01");
  EXPECT_EQ(Game().scene.model.characters[2].inUse, 1u);
  EXPECT_EQ(Game().scene.model.characters[2].x, 100);
  EXPECT_NE(Engine().sprites[kCharacterSlotBase + 2], nullptr);
  EXPECT_NE(Engine().sprites[kBackgroundSlot], nullptr);
  EXPECT_EQ(Game().Interpreter().GetVariable("a"), 5);
  EXPECT_EQ(Game().Interpreter().GetVariable("g_x"), 9);
  EXPECT_EQ(Game().frames.frameType, 1);
  EXPECT_EQ(Game().frames.shown, 1u);
  ASSERT_NE(Engine().messageWindow, nullptr);
  // The page comes back when the script runs on from the saved place.
  ASSERT_TRUE(RunUntilWaiting("KW"));
  EXPECT_STREQ(Game().messages.state.text, "page one");
  EXPECT_EQ(Fingerprint(), atSave);
}

// The running game's state lands at its offsets (checked against the
// format's table, not against the reader).
TEST_F(GameSavesTest, TheSavedBytesHoldTheRunningState) {
  PlayToFirstPage();
  Game().sound.music = {1, "bgm01", 100, 1};
  Game().messages.state.fontColor = 0x00112233;
  Engine().backgroundColor = 0x00445566;
  Game().scene.model.priorities[4] = -1;
  Game().CaptureSaveState();
  ASSERT_EQ(Game().SaveGame(3), 1);
  const std::string bytes = *File("save004.dat");
  const auto word = [&bytes](std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<std::uint8_t>(bytes[at + i])} << (8 * i);
    return value;
  };
  const auto text = [&bytes](std::size_t at) { return std::string(bytes.c_str() + at); };
  EXPECT_EQ(bytes.substr(0, 4), "STA1");
  EXPECT_EQ(word(4), 1656u);
  EXPECT_EQ(text(8), "2026-12-11 12:34:56");
  EXPECT_EQ(bytes.substr(28, 64), std::string(64, '\0'));
  EXPECT_EQ(text(104), "page one");
  EXPECT_EQ(text(360), "main.txt");
  EXPECT_EQ(word(460), 1u);  // frame type
  EXPECT_EQ(word(464), 0u);  // not the novel layout
  EXPECT_EQ(word(468), 1u);  // window shown
  EXPECT_EQ(word(476), 0x00445566u);
  EXPECT_EQ(word(480), 0xFF112233u);
  EXPECT_EQ(text(492), "bg01");
  EXPECT_EQ(word(708), 1u);
  EXPECT_EQ(text(712), "bgm01");
  EXPECT_EQ(word(748), 1u);
  const std::size_t character = 752 + 2 * 48;
  EXPECT_EQ(word(character), 1u);
  EXPECT_EQ(text(character + 4), "chr_a");
  EXPECT_EQ(word(character + 36), 100u);
  EXPECT_EQ(word(character + 40), 50u);
  EXPECT_EQ(word(1628 + 16), 0xFFFFFFFFu);
  EXPECT_EQ(word(1648), Game().Interpreter().ReadPosition());
  EXPECT_EQ(kScript.substr(word(1648), 4), "<KW>");  // captured here, at the wait
  // Thumbnail, then the local variables in creation order, then the backlog.
  const std::size_t locals = 1656 + word(92);
  EXPECT_EQ(bytes.substr(1656, 2), "BM");
  EXPECT_EQ(word(locals), 1u);
  EXPECT_EQ(text(locals + 4), "a");
  EXPECT_EQ(word(locals + 6), 5u);
  EXPECT_EQ(word(96), 10u);
  EXPECT_EQ(locals + word(96) + word(100), bytes.size());
}

TEST_F(GameSavesTest, MusicLoopingEffectsAndTheVoiceComeBack) {
  PlayToFirstPage();
  CSoundCommands& sound = Game().sound;
  sound.music = {1, "bgm02", 100, 1};
  sound.effects[0] = {1, "rain", 100, 1};
  sound.effects[1] = {1, "door", 100, 0};
  std::strcpy(sound.voice.name, "v001");
  sound.voice.speaker = 2;
  Game().CaptureSaveState();
  ASSERT_EQ(Game().SaveGame(3), 1);
  // A looping effect 0 only; a one-shot effect 0 is not played again.
  Game().sound.effects[0] = {1, "other", 100, 1};
  sound.effects[1] = {1, "bell", 100, 1};
  sound.music = SoundRecord();
  sound.voice = VoiceRecord();
  ASSERT_EQ(Game().LoadGame(3), 1);
  EXPECT_EQ(sound.music.playing, 1u);
  EXPECT_STREQ(sound.music.name, "bgm02");
  EXPECT_EQ(sound.music.loop, 1u);
  EXPECT_STREQ(sound.effects[0].name, "rain");
  EXPECT_STREQ(sound.effects[1].name, "bell");  // records 1 to 3 stay as they were
  EXPECT_STREQ(sound.voice.name, "v001");
  EXPECT_EQ(sound.voice.speaker, 2u);

  std::string bytes = *File("save004.dat");
  bytes[532 + 40] = 0;  // effect 0 not looping
  for (std::size_t at : {384u, 708u}) bytes[at] = 0;  // no voice, no music
  dir.WriteFile("save004.dat", bytes);
  ASSERT_EQ(Game().LoadGame(3), 1);
  EXPECT_EQ(sound.effects[0].playing, 0u);
  EXPECT_EQ(sound.music.playing, 0u);
  EXPECT_STREQ(sound.voice.name, "");
}

TEST_F(GameSavesTest, TheBacklogComesBackOldestFirst) {
  PlayToFirstPage();
  Advance();
  ASSERT_TRUE(RunUntilWaiting("KW"));
  const std::uint32_t kept = Game().backlog.KeptCount();
  ASSERT_GE(kept, 1u);
  char before[kBacklogTextSize];
  ASSERT_GT(Game().backlog.GetBacklogEntry(0, nullptr, nullptr, &before), 0);
  Game().CaptureSaveState();
  ASSERT_EQ(Game().SaveGame(7), 1);
  Game().backlog.Clear();
  Game().backlog.AddBacklogEntry("", "", "noise");
  ASSERT_EQ(Game().LoadGame(7), 1);
  ASSERT_EQ(Game().backlog.KeptCount(), kept);
  char after[kBacklogTextSize];
  Game().backlog.GetBacklogEntry(0, nullptr, nullptr, &after);
  EXPECT_STREQ(after, before);
}

TEST_F(GameSavesTest, QuickSavesGoRoundTheRingEvenWithinOneSecond) {
  PlayToFirstPage();
  // All within one second: the time keys tie, so only the ring's own order
  // tells the newest.
  const int expected[] = {500, 501, 502, 500, 501};
  for (int n = 0; n < 5; ++n) {
    SCOPED_TRACE(n);
    Game().Interpreter().SetVariable("n", n + 1);
    Game().CaptureSaveState();
    Game().QuickSave();
    const std::string bytes = File(SaveFileName(expected[n])).value_or("");
    SaveFile save;
    ASSERT_EQ(DecodeSaveFile(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), save), 1);
    EXPECT_EQ(save.locals.back().value, n + 1);
    EXPECT_EQ(Game().saves.newestQuick, expected[n] - 500);
    EXPECT_EQ(Game().saves.quickUsed[expected[n] - 500], 1u);
  }
  Game().Interpreter().SetVariable("n", 0);
  Game().QuickLoad();
  EXPECT_EQ(Game().Interpreter().GetVariable("n"), 5);
  EXPECT_EQ(Game().saves.newestQuick, 1);
}

TEST_F(GameSavesTest, WithoutAGameNothingIsSaved) {
  EXPECT_EQ(Game().SaveGame(0), 0);
  EXPECT_FALSE(File("save001.dat").has_value());
  EXPECT_FALSE(File("system.dat").has_value());
}

// Without a data folder there is no save folder; the working folder (shared by
// whatever else runs there) is never written instead.
TEST_F(GameSavesTest, WithoutASaveFolderNothingIsWrittenAnywhere) {
  PlayToFirstPage();
  ScopedTempDir working{"novel_working_folder_"};
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(working.Path());
  app->engine().saveFolder.clear();
  EXPECT_EQ(Game().SaveGame(3), 0);
  app->gameApp->WriteSystemData();
  std::filesystem::current_path(before);
  EXPECT_TRUE(std::filesystem::is_empty(working.Path()));
}

TEST_F(GameSavesTest, AFailedWriteLeavesBothFilesAndFails) {
  PlayToFirstPage();
  ASSERT_EQ(Game().SaveGame(3), 1);
  const std::string save = *File("save004.dat");
  const std::string system = *File("system.dat");
  Game().Interpreter().SetVariable("g_x", 10);
  Game().scene.model.backgroundX = 33;
  Game().CaptureSaveState();
  for (std::uint64_t bytes : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{1655}, std::uint64_t{1656},
                              std::uint64_t{save.size() - 1}, std::uint64_t{save.size()},
                              std::uint64_t{save.size() + system.size() - 1}}) {
    SCOPED_TRACE(bytes);
    HostFailWritesAfter(bytes);
    EXPECT_EQ(Game().SaveGame(3), 0);
    HostClearFailures();
    if (bytes < save.size()) {
      EXPECT_TRUE(*File("save004.dat") == save);
    }
    EXPECT_TRUE(*File("system.dat") == system);
  }
  // Only the save file failing: "system.dat" is written, the save still fails.
  const std::string current = *File("save004.dat");
  dir.WriteFile("save004.dat.tmp/blocker", "");
  Game().Interpreter().SetVariable("g_x", 11);
  EXPECT_EQ(Game().SaveGame(3), 0);
  EXPECT_TRUE(*File("save004.dat") == current);
  EXPECT_FALSE(*File("system.dat") == system);
  std::remove(dir.HostPath("save004.dat.tmp/blocker").c_str());
  std::remove(dir.HostPath("save004.dat.tmp").c_str());
  Game().scene.model.backgroundX = 34;
  Game().CaptureSaveState();
  EXPECT_EQ(Game().SaveGame(3), 1);
  EXPECT_FALSE(*File("save004.dat") == current);
}

TEST_F(GameSavesTest, ARefusedLoadChangesNothing) {
  PlayToFirstPage();
  ASSERT_EQ(Game().SaveGame(3), 1);
  const std::string good = *File("save004.dat");
  Advance();
  ASSERT_TRUE(RunUntilWaiting("KW"));
  const Bytes before = Fingerprint();
  const CMessageWindow* window = Engine().messageWindow.get();

  std::vector<std::string> damaged;
  for (std::size_t length = 0; length < good.size(); length += 97) damaged.push_back(good.substr(0, length));
  damaged.push_back(good.substr(0, good.size() - 1));
  std::mt19937 random(7);
  for (int n = 0; n < 40; ++n) {
    std::string bad = good;
    const std::size_t at = random() % 1656;
    std::memset(bad.data() + (at & ~std::size_t{3}), 0xFF, 4);
    damaged.push_back(bad);
  }
  int refused = 0;
  for (const std::string& bad : damaged) {
    dir.WriteFile("save004.dat", bad);
    if (Game().LoadGame(3) == 0) {
      ++refused;
      EXPECT_EQ(Fingerprint(), before);
      EXPECT_EQ(Engine().messageWindow.get(), window);
    } else {
      // Still a whole file: it loads; the good one brings back the state.
      dir.WriteFile("save004.dat", good);
      ASSERT_EQ(Game().LoadGame(3), 1);
      ASSERT_TRUE(RunUntilWaiting("KW"));
      Advance();
      ASSERT_TRUE(RunUntilWaiting("KW"));
      EXPECT_EQ(Fingerprint(), before);
      window = Engine().messageWindow.get();
    }
  }
  EXPECT_GE(refused, static_cast<int>(damaged.size()) - 40);
  std::remove(dir.HostPath("save004.dat").c_str());
  EXPECT_EQ(Game().LoadGame(3), 0);
  EXPECT_EQ(Fingerprint(), before);
}

TEST_F(GameSavesTest, StoredFontColoursAndLongTexts) {
  PlayToFirstPage();
  ASSERT_EQ(Game().SaveGame(3), 1);
  const std::string good = *File("save004.dat");
  struct Case {
    std::uint32_t stored;
    std::uint32_t loaded;
  } cases[] = {{0xFF123456, 0x123456}, {0x00123456, 0xFFFFFF}, {0x01000000, 0}, {0, 0xFFFFFF}};
  for (const Case& c : cases) {
    std::string bytes = good;
    for (int i = 0; i < 4; ++i) bytes[480 + i] = static_cast<char>(c.stored >> (8 * i));
    dir.WriteFile("save004.dat", bytes);
    ASSERT_EQ(Game().LoadGame(3), 1);
    EXPECT_EQ(Game().messages.state.fontColor, c.loaded) << std::hex << c.stored;
  }

  for (std::size_t length : {254u, 255u, 300u}) {
    std::memset(Game().messages.state.text, 'x', length);
    Game().messages.state.text[length] = '\0';
    ASSERT_EQ(Game().SaveGame(4), 1);
    const std::string saved = *File("save005.dat");
    EXPECT_EQ(saved[104] == 'x', length < 255) << length;
  }
}

TEST_F(GameSavesTest, TheKeptThumbnailShowsTheGameNotTheScreenAfterIt) {
  PlayToFirstPage();
  CBackBuffer& back = *Engine().backBuffer;
  const std::size_t pixels = std::size_t{back.GetWidth()} * back.GetHeight();
  const auto thumbnailPixel = [this] {
    const std::string bytes = *File("save004.dat");
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[1656 + 54]) |
                                      static_cast<std::uint8_t>(bytes[1656 + 55]) << 8);
  };
  std::fill(back.GetPixels(), back.GetPixels() + pixels, std::uint16_t{0x07E0});  // the game
  Game().CaptureSaveThumbnail();
  std::fill(back.GetPixels(), back.GetPixels() + pixels, std::uint16_t{0x001F});  // the save screen
  ASSERT_EQ(Game().SaveGame(3), 1);
  EXPECT_EQ(thumbnailPixel(), 0x07E0);
  const std::string bytes = *File("save004.dat");
  EXPECT_EQ(bytes.substr(1656, 2), "BM");
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[1656 + 18]), 100 * back.GetWidth() / 800);
  Game().ReleaseSaveThumbnail();
  ASSERT_EQ(Game().SaveGame(3), 1);
  EXPECT_EQ(thumbnailPixel(), 0x001F);
}

TEST_F(GameSavesTest, SaveQuitRestartAndLoadGivesTheSameGame) {
  PlayToFirstPage();
  // A pending call return and a choice block travel too: set in the game
  // and in the state captured at the page's start.
  std::strcpy(Game().Interpreter().Return().name, "sub.txt");
  Game().Interpreter().Return().position = 77;
  ChoiceState& choice = Game().choices.state;
  choice.count = 2;
  choice.chosen = 1;
  std::strcpy(choice.labels[1], "L2");
  SaveHeader& captured = Game().saves.captured.header;
  std::strcpy(captured.returnName, "sub.txt");
  captured.returnPosition = 77;
  captured.choice.count = 2;
  captured.choice.chosen = 1;
  std::strcpy(captured.choice.labels[1], "L2");
  ASSERT_EQ(Game().SaveGame(3), 1);
  const Bytes atSave = Fingerprint();
  app->gameApp->WriteSystemData();  // what closing the window does
  MakeGame();
  EXPECT_EQ(Game().Interpreter().GetVariable("g_x"), 9);  // "system.dat" read at start-up
  EXPECT_FALSE(Game().Interpreter().HasScript());
  ASSERT_EQ(Game().LoadGame(3), 1);
  ASSERT_TRUE(RunUntilWaiting("KW"));
  EXPECT_EQ(Fingerprint(), atSave);
  EXPECT_STREQ(Game().messages.state.text, "page one");
  EXPECT_STREQ(Game().Interpreter().Return().name, "sub.txt");
  EXPECT_STREQ(Game().choices.state.labels[1], "L2");
  EXPECT_NE(Engine().sprites[kBackgroundSlot], nullptr);
  EXPECT_NE(Engine().sprites[kCharacterSlotBase + 2], nullptr);
}

}  // namespace
