// A game over a test picture archive for the extras screens, with the
// virtual clock, input words set directly and pictures of known design sizes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/pictures/rbp_format.h"
#include "engine/shell/scene_state.h"
#include "engine/shell/shell_fixture.h"
#include "game/extras/extras_frame.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "host/time/time_api.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

// A flat picture of a design size, drawn at the 640 x 480 screen's scale.
inline std::vector<std::uint8_t> Flat(std::int16_t designW, std::int16_t designH) {
  SourcePicture picture;
  picture.width = static_cast<std::uint32_t>(designW) * 4 / 5;
  picture.height = static_cast<std::uint32_t>(designH) * 4 / 5;
  picture.rgba.assign(std::size_t{picture.width} * picture.height * 4, 0xC0);
  return BuildRbpFile(picture, {kRbpKindRgb565, designW, designH});
}

class ExtrasTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    std::vector<MlzEntrySource> pictures;
    auto add = [&](const std::string& name, std::int16_t w, std::int16_t h) {
      pictures.push_back({name + ".rbp", Flat(w, h), true});
    };
    for (const char* base : {"base_ex_ED", "base_ex_LA", "base_ex_Etc"}) add(base, 800, 600);
    for (const char* sheet : {"extra_sum1-1", "extra_sum1-2", "extra_sum2-1", "extra_sum2-2", "extra_sum3-1"}) {
      add(sheet, 480, 360);
    }
    add("OMAKE_PARTS", 710, 444);
    add("1-01", 1600, 600);
    add("1-03", 800, 600);
    for (const char* name : {"1-04-01", "1-04-02", "1-04-03", "1-04-04"}) add(name, 800, 600);
    // "1-02-02" is missing from the archive.
    add("1-02-01", 800, 600);
    add("1-02-03", 800, 600);
    add("base_pic", 800, 600);
    add("base_music", 800, 600);
    add("parts_music", 672, 999);
    for (int tab = 1; tab <= 6; ++tab) add("chara_change_pic_chara0" + std::to_string(tab), 440, 544);
    for (const char* sheet : {"cg_sum1-1", "cg_sum1-2", "cg_sum6-4"}) add(sheet, 480, 360);
    for (const char* name : {"EVC003b-2", "EVC003b-4", "EDY-3"}) add(name, 800, 600);
    add("base_mem", 800, 600);
    for (int tab = 1; tab <= 6; ++tab) {
      add("chara_change_mem_chara0" + std::to_string(tab), 440, 544);
      add("scene_sum" + std::to_string(tab) + "-1", 480, 360);
    }
    dir.WriteFile("pict.mlz", BuildMlzArchive(pictures, '3'));
    engine = std::make_unique<CGameEngine>();
    engine->dirtyList->SetSize(640, 480);
    engine->pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    game = std::make_unique<CGame>(*engine);
  }
  void TearDown() override {
    game.reset();
    engine.reset();
    ShellTest::TearDown();
  }

  // The script archive: (name, text) entries.
  void WriteScripts(const std::vector<std::pair<std::string, std::string>>& scripts) {
    std::vector<MlzEntrySource> entries;
    for (const auto& [name, text] : scripts) entries.push_back({name, {text.begin(), text.end()}, true});
    dir.WriteFile("script.mlz", BuildMlzArchive(entries, '2'));
    engine->scriptArchive = dir.EnginePath("script.mlz");
  }
  void Frame() { game->RunSceneFrame(*engine); }
  // What the frame tick does to the opening snapshot at the clock's time.
  void StepOpeningEffect() {
    if (CSpritePart* snapshot = Sprite(0)) snapshot->StepEffect();
  }
  std::uint32_t Sub() const { return engine->subState; }
  CSpritePart* Sprite(int index) const { return engine->sprites[static_cast<std::size_t>(index)].get(); }
  void Press(std::size_t action) {
    engine->input.words[action] = 1;
    Frame();
    engine->input.words[action] = 0;
  }
  // A tap at a design point.
  void TapDesign(std::int32_t x, std::int32_t y) {
    engine->input[INPUT_STYLUS_X] = static_cast<std::uint32_t>(x * 640 / 800);
    engine->input[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(y * 480 / 600);
    Press(ACTION_TAP);
  }
  void TapCell(std::uint32_t k) {
    TapDesign(20 + 131 * static_cast<std::int32_t>(k % 4) + 60, 67 + 97 * static_cast<std::int32_t>(k / 4) + 45);
  }
  // Through the opening to the cursor step of a screen on a category and page.
  void Open(std::uint32_t category, std::uint32_t page, std::uint32_t scene = SCENE_EXTRA_PICTURES) {
    game->extras.category = category;
    game->extras.page = page;
    game->SetSceneState(scene, 0);
    HostClockSetVirtualNow(1000);
    Frame();
    HostClockSetVirtualNow(1600);
    StepOpeningEffect();
    Frame();
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_CURSOR));
  }
  void OpenCell(std::uint32_t k) {
    TapCell(k);
    TapCell(k);
    ASSERT_EQ(Sub(), static_cast<std::uint32_t>(EXTRAS_VIEWER_LOAD));
    Frame();
  }

  ScopedTempDir dir{"novel_extras_"};
  std::unique_ptr<CGameEngine> engine;
  std::unique_ptr<CGame> game;
};
