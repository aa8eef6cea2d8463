// Which screen's per-frame handler runs: the scene state of the engine object.
#pragma once

#include <cstdint>

enum SceneState : std::uint32_t {
  SCENE_TITLE = 0,
  SCENE_GAME_MENU = 30,
  SCENE_SAVE_LOAD = 70,
  SCENE_SYSTEM = 75,
  SCENE_BACKLOG = 80,
  SCENE_EXTRA_PICTURES = 84,
  SCENE_CG_GALLERY = 85,
  SCENE_MUSIC_ROOM = 86,
  SCENE_RECOLLECTION = 87,
  SCENE_GAME = 99,
  SCENE_QUIT = 999,
};

// The title screen's sub-state that shows its menu.
inline constexpr std::uint32_t kTitleMenuSubState = 4;
