// The interpreter's window, sound and movie tags reach the game's own parts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/text/message_font.h"
#include "engine/text/message_window.h"
#include "engine/text/text_fixture.h"
#include "game/game.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

class ScriptTagsTest : public TextTest {
 protected:
  void TearDown() override {
    engine.messageWindow.reset();
    DeleteMessageFont();
    TextTest::TearDown();
  }
  void RunScript(const std::string& script) {
    dir.WriteFile("script.mlz", BuildMlzArchive({{"main.txt", {script.begin(), script.end()}, true}}, '2'));
    engine.scriptArchive = dir.EnginePath("script.mlz");
    game.StartNewGame();
    // WinFrame ends a frame's run; the rest runs in the next.
    for (int frame = 0; frame < 3; ++frame) game.RunSceneFrame(engine);
  }

  ScopedTempDir dir{"novel_script_tags_"};
  CGameEngine engine;
  CGame game{engine};
};

TEST_F(ScriptTagsTest, WindowSoundAndMovieTagsChangeTheGamesRecords) {
  RunScript(
      "<WinType NOVEL><WinFrameType 2><WinType WINDOW><WinFrame 1>"
      "<SndPlay bgm01,01,LOOP><SndPlay se02,door><SndPlay se03,rain,LOOP><SndStop se02>"
      "<SndPlay voice02,v001><MoviePlay op.rzm2>[wait]<TW 1000>");
  EXPECT_EQ(game.frames.novel, 0u);
  EXPECT_EQ(game.frames.frameType, 2);
  EXPECT_EQ(game.frames.shown, 1u);
  ASSERT_NE(engine.messageWindow, nullptr);
  EXPECT_EQ(engine.messageWindow->shown, 1u);
  EXPECT_EQ(game.IsMessageWindowShown(), 1);
  // No movie player yet: the movie does not start and the music record stays.
  EXPECT_EQ(game.sound.music.playing, 1u);
  EXPECT_STREQ(game.sound.music.name, "01");
  EXPECT_EQ(game.sound.effects[1].playing, 0u);
  EXPECT_STREQ(game.sound.effects[2].name, "rain");
  EXPECT_EQ(game.sound.effects[2].loop, 1u);
  EXPECT_STREQ(game.sound.voice.name, "v001");
  EXPECT_EQ(game.sound.voice.speaker, 1u);
  EXPECT_STREQ(game.seen.SeenName(kSeenScripts, 0), "main.txt");
  // The run stopped at the wait, after every tag before it.
  EXPECT_EQ(game.Interpreter().Command().name, std::string("TW"));

  game.ReturnToTitle();
  EXPECT_EQ(game.sound.music.playing, 0u);
  EXPECT_STREQ(game.sound.voice.name, "");
  EXPECT_EQ(engine.messageWindow, nullptr);
  EXPECT_EQ(game.frames.shown, 0u);
}

TEST_F(ScriptTagsTest, ANewGameEmptiesTheBacklogButKeepsTheSeenLists) {
  game.backlog.AddBacklogEntry("v", "s", "page");
  game.seen.AddSeenName(kSeenPictures, "bg01");
  RunScript("[wait]<TW 1000>");
  EXPECT_EQ(game.backlog.KeptCount(), 0u);
  EXPECT_EQ(game.seen.SeenCount(kSeenPictures), 1u);
}

}  // namespace
