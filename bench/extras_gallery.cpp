// The CG gallery against the 16 ms frame period (no peer screen exists): a
// tab change (the whole set-up: pictures of the 640 x 480 set loaded, the
// grid filled) and the grid fill alone, each with a pictures' seen-list of
// 4,096 names whose last ones are the tab's pictures (every lookup walks the
// whole list). "x_frame" is the time a call takes in frame periods; goals:
// set-up at most 1.0, fill at most 0.1.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/peer_ratio.h"
#include "engine/pictures/rbp_format.h"
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/shell/game_engine.h"
#include "game/extras/cg_gallery_screen.h"
#include "game/extras/cg_gallery_table.h"
#include "game/game.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

constexpr double kFrameSeconds = 0.016;

// A picture of a design size as the 640 x 480 set holds it: 4/5 of it.
std::vector<std::uint8_t> Picture(std::int16_t designW, std::int16_t designH) {
  SourcePicture picture;
  picture.width = static_cast<std::uint32_t>(designW) * 4 / 5;
  picture.height = static_cast<std::uint32_t>(designH) * 4 / 5;
  picture.rgba.resize(std::size_t{picture.width} * picture.height * 4);
  for (std::size_t i = 0; i < picture.rgba.size(); ++i) picture.rgba[i] = static_cast<std::uint8_t>(i * 7 / 3);
  return BuildRbpFile(picture, {kRbpKindRgb565, designW, designH});
}

struct GalleryBench {
  GalleryBench() {
    SetDesignWidth(800);
    SetDesignHeight(600);
    SetScreenWidth(640);
    SetScreenHeight(480);
    std::vector<MlzEntrySource> pictures = {{"base_pic.rbp", Picture(800, 600), true},
                                            {"OMAKE_PARTS.rbp", Picture(710, 444), true}};
    for (int tab = 1; tab <= 2; ++tab) {
      pictures.push_back({"chara_change_pic_chara0" + std::to_string(tab) + ".rbp", Picture(440, 544), true});
      pictures.push_back({"cg_sum" + std::to_string(tab) + "-1.rbp", Picture(480, 360), true});
    }
    dir.WriteFile("pict_v.mlz", BuildMlzArchive(pictures, '3'));
    engine = std::make_unique<CGameEngine>();
    engine->dirtyList->SetSize(640, 480);
    engine->pictureSlots.SetArchivePaths(dir.EnginePath("pict_v.mlz").c_str(), dir.EnginePath("pict_v.mlz").c_str());
    game = std::make_unique<CGame>(*engine);
    // Fillers first, then every picture of tabs 0 and 1's first pages.
    std::vector<std::string> last;
    for (const PictureRecord* r = CgGalleryTable(); r->identifier != -1; ++r) {
      if (r->identifier % 32 < 16 && r->identifier < 64) last.push_back(std::string(r->name) + ".bmp");
    }
    const std::uint32_t fillers = kSeenEntryCount - static_cast<std::uint32_t>(last.size());
    char name[32];
    for (std::uint32_t i = 0; i < fillers; ++i) {
      std::snprintf(name, sizeof name, "FILLER%04u.bmp", i);
      game->seen.AddSeenName(kSeenPictures, name);
    }
    for (const std::string& n : last) game->seen.AddSeenName(kSeenPictures, n.c_str());
  }
  bool Full() const { return game->seen.SeenCount(kSeenPictures) == kSeenEntryCount; }

  ScopedTempDir dir{"bench_extras_"};
  std::unique_ptr<CGameEngine> engine;
  std::unique_ptr<CGame> game;
};

void BM_GalleryTabChange(benchmark::State& state) {
  GalleryBench bench;
  std::uint32_t tab = 0;
  auto change = [&] {
    tab ^= 1;
    bench.game->cgGallery.SetUp(tab, 0);
  };
  for (auto _ : state) change();
  if (!bench.Full() || bench.game->extras.gallery.filled[15] != 1) state.SkipWithError("the seen-list is not full");
  state.counters["x_frame"] = MedianCpuSecondsPerCall(change, 9, 4) / kFrameSeconds;
}
BENCHMARK(BM_GalleryTabChange)->Unit(benchmark::kMillisecond);

void BM_GalleryGridFill(benchmark::State& state) {
  GalleryBench bench;
  bench.game->cgGallery.SetUp(0, 0);
  CGame& game = *bench.game;
  auto fill = [&] {
    FillExtrasGrid(*bench.engine, game.extras.gallery, CgGalleryTable(), 0, 0, 16,
                   [&game](const char* picture) { return WasPictureShown(game.seen, picture); });
  };
  for (auto _ : state) fill();
  if (game.extras.gallery.filled[15] != 1) state.SkipWithError("the last position is not open");
  state.counters["x_frame"] = MedianCpuSecondsPerCall(fill, 9, 4) / kFrameSeconds;
}
BENCHMARK(BM_GalleryGridFill)->Unit(benchmark::kMillisecond);

}  // namespace
