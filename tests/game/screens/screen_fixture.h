// A game over flat pictures for the backlog and system screens, on a
// 640 x 480 screen, with input words set directly.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/pictures/rbp_format.h"
#include "engine/shell/fake_ports.h"
#include "engine/shell/shell_fixture.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

class ScreenTest : public ShellTest {
 protected:
  static std::vector<std::uint8_t> Flat(std::uint32_t width, std::uint32_t height, std::int16_t designW,
                                        std::int16_t designH) {
    SourcePicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgba.assign(std::size_t{width} * height * 4, 0xC0);
    return BuildRbpFile(picture, {kRbpKindRgb565, designW, designH});
  }
  void SetUp() override {
    ShellTest::SetUp();
    const std::vector<MlzEntrySource> pictures = {
        {"LOG_BASE.rbp", Flat(640, 480, 800, 600), true},
        {"LOG_PARTS.rbp", Flat(32, 252, 40, 314), true},
        {"sys_base.rbp", Flat(640, 480, 800, 600), true},
        {"sys_parts.rbp", Flat(154, 294, 192, 367), true},
    };
    dir.WriteFile("pict.mlz", BuildMlzArchive(pictures, '3'));
    engine = std::make_unique<CGameEngine>();
    engine->mixer = std::make_unique<RecordingMixer>();
    engine->dirtyList->SetSize(640, 480);
    engine->pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
    game = std::make_unique<CGame>(*engine);
  }
  void TearDown() override {
    game.reset();
    engine.reset();
    ShellTest::TearDown();
  }

  void Frame() { game->RunSceneFrame(*engine); }
  CSpritePart* Sprite(int index) const { return engine->sprites[static_cast<std::size_t>(index)].get(); }
  std::uint32_t* Words() { return engine->input.words.data(); }
  void Press(InputAction action) { Words()[action] = 1; }
  // A tap at a design point (800 x 600) on the 640 x 480 screen.
  void Tap(std::int32_t designX, std::int32_t designY) {
    engine->input[INPUT_STYLUS_X] = static_cast<std::uint32_t>(designX * 640 / 800);
    engine->input[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(designY * 480 / 600);
    engine->input[INPUT_TAP] = 1;
  }
  // Two frames tapping the same point: the first highlights, the second runs.
  void DoubleTap(std::int32_t designX, std::int32_t designY) {
    for (int i = 0; i < 2; ++i) {
      Tap(designX, designY);
      Frame();
    }
  }
  // A part's position in design units.
  std::int32_t DesignX(int index) const { return Sprite(index)->designX1000 / 1000; }
  std::int32_t DesignY(int index) const { return Sprite(index)->designY1000 / 1000; }

  ScopedTempDir dir{"novel_screens_"};
  std::unique_ptr<CGameEngine> engine;
  std::unique_ptr<CGame> game;
};
