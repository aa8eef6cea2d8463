// A script's pages, waits and choices played through the game object and
// the interpreter, driven by scripted taps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/pictures/rbp_format.h"
#include "engine/shell/back_buffer.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "engine/text/text_fixture.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

constexpr std::uint16_t kBackground = 0x52AA;
constexpr std::uint16_t kPureRed = 0xF800;

class MessagePlayTest : public TextTest {
 protected:
  void SetUp() override {
    TextTest::SetUp();
    SourcePicture base;
    base.width = 800;
    base.height = 271;
    base.rgba.assign(std::size_t{800} * 271 * 4, 0x40);
    dir.WriteFile("pict.mlz", BuildMlzArchive({{"SELECT_BASE.rbp", BuildRbpFile(base, {kRbpKindRgb565, 0, 0}), true}},
                                              '3'));
    engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    engine.dirtyList->SetSize(640, 480);
    engine.options[MESSAGE_SPEED] = 0;
  }
  void TearDown() override {
    engine.messageWindow.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }
  void Start(const std::string& script) {
    dir.WriteFile("script.mlz", BuildMlzArchive({{"main.txt", {script.begin(), script.end()}, true}}, '2'));
    engine.scriptArchive = dir.EnginePath("script.mlz");
    engine.saveFolder = dir.EnginePath("");
    game.StartNewGame();
  }
  // Frames until the interpreter stands at the named tag.
  bool RunUntilTag(const char* name) {
    for (int frame = 0; frame < 50; ++frame) {
      if (game.Interpreter().Command().name == std::string(name) && game.Interpreter().StepFrames() > 0) return true;
      game.RunSceneFrame(engine);
    }
    return false;
  }
  void Tap(std::int32_t x, std::int32_t y) {
    engine.input.words[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x * 640 / 800);
    engine.input.words[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y * 640 / 800);
    engine.input.words[ACTION_TAP] = 1;
    game.RunSceneFrame(engine);
  }

  ScopedTempDir dir{"novel_message_play_"};
  CGameEngine engine;
  CGame game{engine};
};

TEST_F(MessagePlayTest, RedTextIsTypedInPureRed) {
  Start("<WinFontColor 255,0,0>\x81\x79\x83\x67\x83\x6F\x83\x8B\x81\x7A\x82\xA0" "a<KW><TW 9999>");
  ASSERT_TRUE(RunUntilTag("KW"));
  CMessageWindow& window = *engine.messageWindow;
  ASSERT_EQ(window.cellCount, 2u) << window.text;
  CBackBuffer back;  // made at this screen size
  std::fill(back.GetPixels(), back.GetPixels() + back.GetWidth() * back.GetHeight(), kBackground);
  window.Draw(back, 0, 0);
  const GlyphCell& cell = window.cells[0];
  // Below the fake glyph's top row every pixel of the cell is covered.
  for (int y = cell.top + 1; y < cell.top + cell.cellSize; ++y) {
    for (int x = cell.left; x < cell.left + cell.cellSize; ++x) {
      ASSERT_EQ(back.GetPixels()[y * static_cast<int>(back.GetWidth()) + x], kPureRed) << x << "," << y;
    }
  }
  EXPECT_EQ(std::string(game.messages.state.speaker), "\x83\x67\x83\x6F\x83\x8B");
}

TEST_F(MessagePlayTest, PagesAVoiceAndAChoiceReachTheChosenLabel) {
  Start(
      "\x81\x79\x83\x67\x83\x6F\x83\x8B\x81\x7A" "first<KW><WinClear>"
      "<SndPlay voice01,v001>second<KW>"
      "<SltDel><SltAdd 0,yes,\x82\xCD\x82\xA2><SltAdd 1,no,\x82\xA2\x82\xA2\x82\xA6><SltRun>"
      "[yes]<Mov r,1><TW 9999>[no]<Mov r,2><TW 9999>");
  ASSERT_TRUE(RunUntilTag("KW"));
  EXPECT_EQ(std::string(engine.messageWindow->text), "first");
  Tap(0, 0);
  ASSERT_TRUE(RunUntilTag("KW"));
  EXPECT_EQ(std::string(engine.messageWindow->text), "second");
  EXPECT_EQ(game.backlog.KeptCount(), 1u);
  Tap(0, 0);
  ASSERT_TRUE(RunUntilTag("SltRun"));
  char voice[kBacklogVoiceSize];
  ASSERT_EQ(game.backlog.GetBacklogEntry(0, &voice, nullptr, nullptr), 1);
  EXPECT_EQ(std::string(voice), "v001");
  const std::int32_t noRow = game.choices.state.top + game.choices.state.spacing + 10;
  Tap(400, noRow);
  EXPECT_EQ(game.Interpreter().GetVariable("r"), 0);
  Tap(400, noRow);
  for (int frame = 0; frame < 3; ++frame) game.RunSceneFrame(engine);
  EXPECT_EQ(game.Interpreter().GetVariable("r"), 2);
  EXPECT_EQ(game.choices.state.snapshotSaved, 1u);
}

// The test data's choice script: pages, a voice and five choice blocks, the
// last choosable row of each tapped twice.
TEST_F(MessagePlayTest, TheTestDataScriptPlaysToItsEnd) {
  const std::string data = NOVEL_TEST_DATA_DIR "/game/";
  engine.pictureSlots.SetArchivePaths((data + "pict_v.mlz").c_str(), (data + "pict_v.mlz").c_str());
  engine.scriptArchive = data + "script.mlz";
  game.StartNewGame();
  game.Interpreter().JumpToScript("choice.txt", "");
  int blocks = 0;
  for (int frame = 0; frame < 400 && game.Interpreter().Command().name != std::string("TW"); ++frame) {
    const std::string tag = game.Interpreter().Command().name;
    const bool waiting = game.Interpreter().StepFrames() > 0;
    if (waiting && tag == "KW") {
      Tap(0, 0);
    } else if (waiting && tag == "SltRun") {
      const ChoiceState& choice = game.choices.state;
      std::int32_t row = choice.count - 1;
      while (row > 0 && choice.labels[row][0] == '\0') --row;
      if (choice.highlight == kNoHighlight) ++blocks;
      Tap(400, choice.top + choice.spacing * row + 10);
    } else {
      game.RunSceneFrame(engine);
    }
  }
  EXPECT_EQ(blocks, 5);
  EXPECT_EQ(game.Interpreter().GetVariable("g_choice"), 5);
  EXPECT_EQ(game.Interpreter().GetVariable("g_last"), 33);
  const struct {
    const char* speaker;
    const char* voice;
  } newestFirst[] = {{"\x83\x67\x83\x6F\x83\x8B", ""}, {"", ""}, {"\x81\x45\x81\x45\x81\x45", "v001"}};
  for (int n = 0; n < 3; ++n) {
    char speaker[kBacklogSpeakerSize];
    char voice[kBacklogVoiceSize];
    ASSERT_EQ(game.backlog.GetBacklogEntry(n, &voice, &speaker, nullptr), n + 1);
    EXPECT_STREQ(speaker, newestFirst[n].speaker) << n;
    EXPECT_STREQ(voice, newestFirst[n].voice) << n;
  }
}

}  // namespace
