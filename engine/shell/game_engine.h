// The script and game state part of the engine object.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/shell/engine_base.h"
#include "engine/shell/scene_state.h"


// Status word bits that end the program after the current frame.
inline constexpr std::uint32_t STATUS_PICTURE_FAILED = 0x80000000u;
inline constexpr std::uint32_t STATUS_BLANK_HIGH_SLOT = 0x00800000u;

// A sound that may be playing and its level in percent (BGM, effects).
struct SoundRecord {
  std::uint32_t playing = 0;
  std::uint32_t level = 100;
};

class CGameEngine : public CEngineBase {
 public:
  static constexpr std::size_t kWorkBufferBytes = 16 * 1024;
  static constexpr std::size_t kSeenPoolBytes = 1253384;

  CGameEngine();

  void RunSceneFrame() { game->RunSceneFrame(*this); }
  void WriteSystemData() { game->WriteSystemData(*this); }
  // Re-applies the channel volumes after a volume setting (category 0
  // master, 1 music, 2 voice, 3 sound effects, 4 movie) changed to volume.
  void ApplyVolumes(std::uint32_t category, std::uint32_t volume);

  std::unique_ptr<GamePort> game;
  std::uint32_t sceneState = SCENE_TITLE;
  std::uint32_t subState = 0;
  std::vector<std::uint8_t> workBuffers[2];
  std::vector<std::uint8_t> seenPool;
  std::uint32_t previousChoiceSaved = 0;
  // Whether the player may load a game now; the settings routine reads it.
  std::uint32_t loadAllowed = 1;
  SoundRecord bgm;
  SoundRecord soundEffects[4];
};
