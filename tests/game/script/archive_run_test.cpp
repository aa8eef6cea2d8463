// A small two-script game packed into a "script.mlz" by the archive packer,
// read through the archive reader and run by the interpreter to its end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/runtime/runtime_globals.h"
#include "engine/shell/scene_state.h"
#include "game/script/script_interpreter.h"
#include "host/time/time_api.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir_test.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "recording_game.h"

namespace {

std::vector<std::uint8_t> ReadDataFile(const char* name) {
  return ReadFileBytes(std::string(NOVEL_TEST_DATA_DIR) + "/script/" + name);
}

// The game reading its scripts from the engine's script archive.
class ArchiveGame : public RecordingGame {
 public:
  explicit ArchiveGame(const std::string& archive) { engine.scriptArchive = archive; }
};

class ArchiveRunTest : public TempDirTest {
 protected:
  void SetUp() override {
    HostClockSetMode(HostClockMode::Virtual);
    SetDesignWidth(800);
    SetDesignHeight(600);
    const std::vector<MlzEntrySource> entries = {
        {"main.txt", ReadDataFile("main.txt"), true},
        {"sub.txt", ReadDataFile("sub.txt"), false},
    };
    ASSERT_FALSE(entries[0].data.empty());
    ASSERT_FALSE(entries[1].data.empty());
    const std::vector<std::uint8_t> archive = BuildMlzArchive(entries, '2');
    dir_.WriteFile("script.mlz", archive);
  }
  void TearDown() override { HostClockSetMode(HostClockMode::Real); }
};

TEST_F(ArchiveRunTest, ASmallGameRunsToItsEnd) {
  ArchiveGame services(dir_.HostPath("script.mlz"));
  services.choiceLabel = "go_left";
  CScriptInterpreter& interpreter = services.Interpreter();
  services.ResetForNewGame();
  ASSERT_EQ(services.sceneState, SCENE_GAME);
  ASSERT_EQ(interpreter.JumpToScript("MAIN.TXT", ""), 1) << "entry names are found without regard to case";

  std::srand(1);
  int frames = 0;
  while (services.sceneState == SCENE_GAME && frames < 1000) {
    interpreter.RunScriptFrame();
    HostClockAdvance(16);
    ++frames;
  }
  EXPECT_EQ(services.sceneState, SCENE_TITLE);
  EXPECT_EQ(services.subState, kTitleMenuSubState);
  EXPECT_LT(frames, 100);
  EXPECT_EQ(interpreter.GetVariable("g_clear_flg"), 1);
  EXPECT_EQ(interpreter.GetVariable("g_EDY"), 1);
  EXPECT_EQ(interpreter.GetVariable("route"), 0) << "locals are gone after the return to the title";

  std::vector<std::string> seen;
  std::vector<std::string> texts;
  for (const std::string& line : services.log) {
    if (line.rfind("MarkScriptSeen ", 0) == 0) seen.push_back(line.substr(15));
    if (line.rfind("text ", 0) == 0 && line.size() > 8 && line.substr(line.size() - 3) == " @0") {
      texts.push_back(line.substr(5, line.size() - 8));
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"MAIN.TXT", "sub.txt", "MAIN.TXT", "sub.txt", "main.txt"}));
  // 【トバル】「おはよう」<CR>二行目です。 and サブの台詞です。 in Shift-JIS.
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "\x81\x79\x83\x67\x83\x6f\x83\x8b\x81\x7a\x81\x75\x82\xa8\x82\xcd\x82\xe6\x82\xa4\x81\x76/"
                       "\x93\xf1\x8d\x73\x96\xda\x82\xc5\x82\xb7\x81\x42",
                       "\x83\x54\x83\x75\x82\xcc\x91\xe4\x8e\x8c\x82\xc5\x82\xb7\x81\x42"}));
  const auto ran = [&](const std::string& line) {
    return std::find(services.log.begin(), services.log.end(), line) != services.log.end();
  };
  EXPECT_TRUE(ran("SltAdd 1,go_left,\x8d\xb6\x82\xd6"));
  EXPECT_TRUE(ran("UpDate Cross,500 @0"));
  EXPECT_FALSE(ran("Effect Shake,XY @0")) << "route 1 jumps over the shake";
}

TEST_F(ArchiveRunTest, AScriptMissingFromTheArchiveStopsTheRun) {
  ArchiveGame services(dir_.HostPath("script.mlz"));
  CScriptInterpreter& interpreter = services.Interpreter();
  EXPECT_EQ(interpreter.JumpToScript("nothere.txt", ""), 0);
  EXPECT_FALSE(interpreter.HasScript());
  ArchiveGame noArchive(dir_.HostPath("absent.mlz"));
  CScriptInterpreter& other = noArchive.Interpreter();
  EXPECT_EQ(other.JumpToScript("main.txt", ""), 0);
  EXPECT_EQ(other.RunScriptFrame(), 1);
}

}  // namespace
