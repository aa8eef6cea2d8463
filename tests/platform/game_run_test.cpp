// Each program's pieces (its build variant and the engine object with the
// game installed) run a game from a data folder made here, headless.
#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "engine/shell/engine_main.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "host/module/module_api.h"
#include "host/run/input_schedule.h"
#include "platform/ce3/ce3_build.h"
#include "platform/ce5/ce5_build.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

// Reads the game's state at shutdown, while the engine object still exists.
struct ObservingServices : ProcessServicesPort {
  CGame* game = nullptr;
  std::int32_t started = -1;
  std::int32_t waited = -1;
  std::uint32_t sceneState = 0;
  bool hasScript = false;
  std::uint32_t screenWidth = 0;
  void FlushProfile() override {
    started = game->Interpreter().GetVariable("g_started");
    waited = game->Interpreter().GetVariable("waited");
    sceneState = game->Engine().sceneState;
    hasScript = game->Interpreter().HasScript();
    screenWidth = game->Engine().backBuffer->GetWidth();
  }
};

struct Program {
  const char* name;
  const BuildVariant& (*build)();
  HostPanel panel;
  std::uint32_t screenWidth;
  // The title menu's "new game" row (design 100, 310) on this screen.
  const char* newGameRow;
};

// Through the title to a new game: a tap skips the logo (the data folder has
// no opening movie), one ends the white fade, one highlights "new game" and
// the next runs it; the game starts after a 1 s fade to black, by 1.8 s.
std::string ToNewGame(const char* row) {
  const std::string tap = std::string(" tap ") + row;
  return "100 tap 1 1; 300 tap 1 1; 500" + tap + "; 700" + tap + "; ";
}

void PrintTo(const Program& program, std::ostream* out) { *out << program.name; }

class GameRunTest : public ShellTest, public ::testing::WithParamInterface<Program> {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    // Each build sets (or keeps) its own screen size.
    SetScreenWidth(320);
    SetScreenHeight(240);
    HostDisplaySetPanel(GetParam().panel);
    dir_.WriteFile("pelmo.cfg", "[SYSTEM_CONFIG]\r\n");
    const std::string script = "<Mov g_started,7>[loop]<Inc waited><TW 100><Jump loop,main.txt>";
    const std::vector<MlzEntrySource> entries = {{"main.txt", {script.begin(), script.end()}, true}};
    const std::vector<std::uint8_t> archive = BuildMlzArchive(entries, '2');
    dir_.WriteFile("data/script.mlz", std::string(archive.begin(), archive.end()));
    HostSetModulePath(dir_.HostPath("novel_ce5").c_str());
  }
  void TearDown() override {
    HostSetModulePath("");
    HostSetWindowBackend(nullptr);
    ShellTest::TearDown();
  }

  int Run(const std::string& input) {
    std::vector<ScheduledAction> actions;
    std::string error;
    EXPECT_TRUE(ParseInputScript(input, &actions, &error)) << error;
    HostSetWindowBackend(MakeHeadlessBackend(InputSchedule(actions)));
    return RunEngine(
        GetParam().build(), services_,
        [this] {
          std::unique_ptr<CGameApp> app = MakeGameApp();
          services_.game = dynamic_cast<CGame*>(app->game.get());
          return app;
        },
        nullptr, nullptr, SW_SHOWNORMAL);
  }

  ScopedTempDir dir_{"game_run_"};
  ObservingServices services_;
};

TEST_P(GameRunTest, TheProgramStartsOnTheTitleAndStaysThereUntilChosen) {
  EXPECT_EQ(Run("2000 close"), 0);
  EXPECT_EQ(services_.sceneState, SCENE_TITLE);
  EXPECT_EQ(services_.started, 0);
  EXPECT_FALSE(services_.hasScript);
}

TEST_P(GameRunTest, ANewGameFromTheTitleRunsTheFirstScript) {
  EXPECT_EQ(Run(ToNewGame(GetParam().newGameRow) + "2800 close"), 0);
  ASSERT_NE(services_.game, nullptr) << "the program's engine object carries the game";
  EXPECT_EQ(services_.started, 7);
  EXPECT_EQ(services_.sceneState, SCENE_GAME);
  EXPECT_EQ(services_.screenWidth, GetParam().screenWidth);
  // One pass of the loop every 100 ms of the second the game ran.
  EXPECT_GE(services_.waited, 8);
  EXPECT_LE(services_.waited, 11);
}

TEST_P(GameRunTest, WithoutAScriptArchiveTheGameStaysIdle) {
  std::remove(dir_.HostPath("data/script.mlz").c_str());
  EXPECT_EQ(Run(ToNewGame(GetParam().newGameRow) + "2000 close"), 0);
  EXPECT_EQ(services_.started, 0);
  EXPECT_FALSE(services_.hasScript);
}

INSTANTIATE_TEST_SUITE_P(Programs, GameRunTest,
                         ::testing::Values(Program{"novel_ce5", Ce5Build, HostPanel{480, 640, 0}, 640, "80 248"},
                                           Program{"novel_ce3", Ce3Build,
                                                   HostPanel{240, 320, 0}, 320, "40 124"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
