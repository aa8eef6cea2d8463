// The save/load screen with all fifty slots saved (thumbnails and three full
// lines of text each), at 640 x 480 and 320 x 240: entering it up to its
// first composed frame, the entry alone (five save files read and checked,
// thumbnails, row texts and dates drawn) and a page change with its frame.
// The peer is one 16 ms frame: x_frame is the share of that frame each path
// takes (goal: at most 1.0).
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "peer_ratio.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/scene_state.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

constexpr double kFrameSeconds = 0.016;
constexpr int kSlots = 50;

// A game on a screen of the given width (4:3) over a save folder holding
// fifty saves.
class SavedGame {
 public:
  explicit SavedGame(std::int32_t width) {
    SetDesignWidth(800);
    SetDesignHeight(600);
    SetScreenWidth(width);
    SetScreenHeight(width * 3 / 4);
    engine_ = std::make_unique<CGameEngine>();
    game_ = std::make_unique<CGame>(*engine_);
    const std::vector<std::uint8_t> archive = BuildMlzArchive(
        {{"data_base_save.rbp", FlatRbp(800, 600, 10, 20, 30), true},
         {"data_base_load.rbp", FlatRbp(800, 600, 30, 20, 10), true},
         {"data_parts.rbp", FlatRbp(560, 417, 200, 200, 200), true}},
        '3');
    dir_.WriteFile("pict.mlz", archive);
    engine_->pictureSlots.SetArchivePaths(dir_.EnginePath("pict.mlz").c_str(), dir_.EnginePath("pict.mlz").c_str());
    engine_->saveFolder = dir_.EnginePath("");
    engine_->pictureSlots.SetSaveFolder(engine_->saveFolder.c_str());
    engine_->sceneState = SCENE_GAME;
    std::strcpy(game_->saves.captured.header.scriptName, "main.txt");
    std::string text;
    for (int line = 0; line < 3; ++line) {
      if (line > 0) text += '/';
      text += std::string(60, static_cast<char>('a' + line));
    }
    std::strcpy(game_->messages.state.text, text.c_str());
    for (int slot = 0; slot < kSlots; ++slot) game_->SaveGame(slot);
    game_->saves.lastSavedSlot = 0;
  }

  void Enter() { game_->EnterSaveLoadScreen(0); }
  void Leave() {
    engine_->input.words[ACTION_CANCEL] = 1;
    game_->RunSceneFrame(*engine_);
  }
  void ChangePage(std::int32_t page) { game_->saveLoad.DrawPage(page); }
  // The frame the engine composes after the scene step.
  void ComposeFrame() {
    engine_->ClearDrawLists();
    engine_->BuildDrawLists();
    engine_->RemoveFinishedSprites();
    engine_->InvalidateMovedSprites();
    engine_->RenderFrame(engine_->LayerListHead());
    engine_->dirtyList->Clear();
    benchmark::DoNotOptimize(engine_->backBuffer->GetPixels());
  }

 private:
  ScopedTempDir dir_{"bench_save_screen_"};
  std::unique_ptr<CGameEngine> engine_;
  std::unique_ptr<CGame> game_;
};

template <typename Work>
void RunAgainstFrame(benchmark::State& state, Work&& work) {
  for (auto _ : state) work();
  state.counters["x_frame"] = MedianCpuSecondsPerCall(work, 15, 10) / kFrameSeconds;
}

void BM_SaveScreenOpenToFirstFrame(benchmark::State& state) {
  SavedGame game(static_cast<std::int32_t>(state.range(0)));
  RunAgainstFrame(state, [&] {
    game.Enter();
    game.ComposeFrame();
    game.Leave();
  });
}

void BM_SaveScreenEntryOnly(benchmark::State& state) {
  SavedGame game(static_cast<std::int32_t>(state.range(0)));
  RunAgainstFrame(state, [&] {
    game.Enter();
    game.Leave();
  });
}

void BM_SaveScreenPageChange(benchmark::State& state) {
  SavedGame game(static_cast<std::int32_t>(state.range(0)));
  game.Enter();
  std::int32_t page = 0;
  RunAgainstFrame(state, [&] {
    page = (page + 1) % 10;
    game.ChangePage(page);
    game.ComposeFrame();
  });
}

}  // namespace

BENCHMARK(BM_SaveScreenOpenToFirstFrame)->Arg(640)->Arg(320)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveScreenEntryOnly)->Arg(640)->Arg(320)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveScreenPageChange)->Arg(640)->Arg(320)->Unit(benchmark::kMillisecond);
