// The system screen: music and sound-effect volume sliders, a voice level
// for each of nine characters, read-skip and scene-skip toggles, and the
// back, title and quit buttons. Keys move among the three buttons only.
#pragma once

#include <cstdint>

class CGame;

// Control codes.
enum SystemControl : std::uint32_t {
  SYSTEM_BACK = 0,
  SYSTEM_TITLE = 1,
  SYSTEM_QUIT = 2,
  SYSTEM_READ_SKIP = 5,
  SYSTEM_SCENE_SKIP = 6,
  SYSTEM_MUSIC_CELL = 80,   // + cell 0 to 9
  SYSTEM_EFFECT_CELL = 90,  // + cell 0 to 9
  SYSTEM_VOICE_CELL = 100,  // + 15 x character + level 0 to 10
  SYSTEM_NO_CONTROL = 300,
};

// The global variable the scene-skip toggle sets ("g_シーンスキップ").
inline constexpr char kSceneSkipVariable[] = "g_\x83\x56\x81\x5B\x83\x93\x83\x58\x83\x4C\x83\x62\x83\x76";

class CSystemScreen {
 public:
  explicit CSystemScreen(CGame& game) : game_(game) {}

  // Remembers the scene to return to, hides a shown message window, builds
  // the screen.
  void Enter();
  void Setup();
  void RunFrame();

  std::uint32_t highlight = SYSTEM_NO_CONTROL;
  std::uint32_t returnState = 0;
  std::uint32_t returnSubState = 0;
  std::uint32_t windowWasShown = 0;

 private:
  std::uint32_t ControlUnderStylus() const;
  void ShowHighlight(std::uint32_t previous);
  void RunControl();
  void SetVolume(std::uint32_t code);
  void ShowReadSkip();
  void ShowSceneSkip();
  void ShowKnob(int part, std::int32_t level, std::int32_t y);
  void GoBack();

  CGame& game_;
};
