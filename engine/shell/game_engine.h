// The game's part of the engine object: the scene state the frame tick
// reads and the game object (game/) it calls.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/shell/engine_base.h"
#include "engine/shell/scene_state.h"


// Status word bits that end the program after the current frame.
inline constexpr std::uint32_t STATUS_PICTURE_FAILED = 0x80000000u;
inline constexpr std::uint32_t STATUS_BLANK_HIGH_SLOT = 0x00800000u;

// Colour effects a picture slot can take.
enum PictureEffect : int {
  kPictureEffectInvert = 1,
  kPictureEffectGrey = 2,
  kPictureEffectSepia = 3,
};

class CGameEngine : public CEngineBase {
 public:
  CGameEngine() : game(std::make_unique<GamePort>()) {}

  void RunSceneFrame() { game->RunSceneFrame(*this); }
  void WriteSystemData() { game->WriteSystemData(*this); }
  // Plays the named movie full screen: 0 when it started, 1 when it did not.
  int StartMovie(const char* name);
  // The colour effect (a PictureEffect) on picture slot n; an empty slot or
  // any other effect value changes nothing.
  void ApplyPictureEffect(int n, int effect);

  std::unique_ptr<GamePort> game;
  std::uint32_t sceneState = SCENE_TITLE;
  std::uint32_t subState = 0;
};
