// Started from a folder whose name code page 932 cannot hold, the engine
// still finds its settings and data there, and what it writes lands there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/shell/engine_main.h"
#include "fake_ports.h"
#include "host/files/file_api.h"
#include "host/module/module_api.h"
#include "shell_fixture.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

class ProgramFolderTest : public ShellTest {
 protected:
  void TearDown() override {
    HostSetModulePath("");
    ShellTest::TearDown();
  }

  ScopedTempDir root_{"program_folder_"};
};

TEST_F(ProgramFolderTest, AFolderOutsideCodePage932IsReachedThroughItsAlias) {
  // "josé" and a clapper board emoji: neither has a Shift-JIS form.
  const std::string folder = "jos\xC3\xA9\xF0\x9F\x8E\xAC";
  root_.WriteFile(folder + "/pelmo.cfg", "[GAME_INST_FOLDER]\r\nDATA01=data\\\r\n");
  root_.WriteFile(folder + "/data/pict_v.mlz", "x");
  HostSetModulePath(root_.HostPath(folder + "/novel_ce5").c_str());

  std::string programFolder;
  std::string dataFolder;
  testing::internal::CaptureStderr();
  const int result = RunEngine(RecordingCe5Build(), StandInProcessServices(),
                               [&] {
                                 auto app = std::make_unique<CGameApp>();
                                 auto game = std::make_unique<ScriptedGame>();
                                 game->frame = [&](CGameEngine& engine, int n) {
                                   programFolder = engine.GetProgramFolder();
                                   dataFolder = engine.dataFolder;
                                   engine.options[MESSAGE_SPEED] = 3;
                                   if (n == 1) PostMessageW(engine.GetWindow(), WM_CLOSE, 0, 0);
                                 };
                                 app->game = std::move(game);
                                 return app;
                               },
                               nullptr, nullptr, SW_SHOWNORMAL);
  const std::string messages = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, 0);

  // The engine holds an alias without '?', and the settings' data folder.
  ASSERT_FALSE(programFolder.empty());
  EXPECT_EQ(programFolder.find('?'), std::string::npos) << programFolder;
  EXPECT_EQ(dataFolder, programFolder + "data\\");
  // The setting written at exit is in the real folder's file.
  EXPECT_NE(root_.ReadFile(folder + "/pelmo.cfg").value_or("").find("MESSAGE_SPEED=3"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(root_.HostPath(folder + "/data/save")));
  // Said once, however often the folder was asked for.
  const std::size_t said = messages.find("code page 932");
  ASSERT_NE(said, std::string::npos) << messages;
  EXPECT_EQ(messages.find("code page 932", said + 1), std::string::npos) << messages;

  // The alias is a link to the real folder; the temporary folder goes, so
  // its alias goes too.
  const std::string alias = HostPathFromShiftJis(programFolder.substr(0, programFolder.size() - 1).c_str());
  EXPECT_TRUE(std::filesystem::is_symlink(alias)) << alias;
  EXPECT_TRUE(std::filesystem::equivalent(alias, root_.HostPath(folder)));
  std::filesystem::remove(alias);
}

}  // namespace
