// A game on a 640 x 480 screen with a picture archive of flat pictures, so
// expected pixels are worked out by hand: backgrounds of the design size
// and small characters, each one colour.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/runtime/engine_clock.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "host/time/time_api.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/rule_picture.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

class SceneTest : public ShellTest {
 protected:
  // Screen-sized pictures (design 800 x 600), a wide one, 80 x 160
  // characters (design 100 x 200) and a rule whose left half (green 63,
  // level 192) turns before its right half (green 0, level 255).
  void SetUp() override {
    ShellTest::SetUp();
    std::vector<MlzEntrySource> entries = {
        {"bg_red.rbp", FlatRbp(640, 480, 0xF8, 0, 0), true},
        {"bg_blue.rbp", FlatRbp(640, 480, 0, 0, 0xF8), true},
        {"bg_wide.rbp", FlatRbp(960, 480, 0, 0xFC, 0), true},
        {"EVC009.rbp", FlatRbp(640, 480, 0x80, 0x80, 0x80), true},
        {"chr_a.rbp", FlatRbp(80, 160, 0xF8, 0xFC, 0), true},
        {"chr_b.rbp", FlatRbp(80, 160, 0, 0xFC, 0xF8), true},
        {"halves.rbp", MakeRuleFile(640, 480, [](int bx, int) { return bx < 40 ? 63 : 0; }), true},
    };
    dir.WriteFile("pict.mlz", BuildMlzArchive(entries, '3'));
    engine = std::make_unique<CGameEngine>();
    engine->dirtyList->SetSize(640, 480);
    engine->pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    engine->options[EFFECT_USE] = 1;
    engine->sceneState = SCENE_GAME;
    game = std::make_unique<CGame>(*engine);
  }
  void TearDown() override {
    game.reset();
    engine.reset();
    ShellTest::TearDown();
  }

  static ParsedCommand Tag(const char* text) {
    ParsedCommand command;
    ParseCommandTag(text, command);
    return command;
  }
  // Runs a timed tag's frames: the first at the current time, then one per
  // entry of later, each that many ms after the first. The last result.
  template <typename Step>
  int RunFrames(Step step, const std::vector<std::uint32_t>& later) {
    const std::uint32_t start = GetClockMs();
    int done = step(0);
    std::uint32_t frame = 1;
    for (std::uint32_t at : later) {
      HostClockSetVirtualNow(start + at);
      done = step(frame++);
    }
    return done;
  }
  CSpritePart* Sprite(int index) const { return engine->sprites[static_cast<std::size_t>(index)].get(); }
  std::int32_t DesignX(int index) const { return Sprite(index)->designX1000 / 1000; }
  std::int32_t DesignY(int index) const { return Sprite(index)->designY1000 / 1000; }
  std::uint16_t PictureCorner(int slot) const { return engine->pictureSlots.Get(slot)->GetPixels()[0]; }
  // One frame's drawing as the frame tick does it, without the present.
  void DrawFrame() {
    GetClockMs();  // the frame's time, which the draw lists freeze
    engine->ClearDrawLists();
    engine->BuildDrawLists();
    engine->RemoveFinishedSprites();
    engine->InvalidateMovedSprites();
    engine->backgroundClear = 1;
    engine->RenderFrame(engine->LayerListHead());
    engine->dirtyList->Clear();
  }
  std::uint16_t ScreenPixel(int x, int y) const {
    return engine->backBuffer->GetPixels()[static_cast<std::size_t>(y) * engine->backBuffer->GetWidth() + x];
  }

  ScopedTempDir dir{"novel_scene_"};
  std::unique_ptr<CGameEngine> engine;
  std::unique_ptr<CGame> game;
};
