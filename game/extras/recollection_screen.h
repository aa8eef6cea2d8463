// The scene recollection: by character tab, the scenes the game has
// unlocked (a non-zero global each); one chosen fades to black and is
// replayed as a new game, whose final Return comes back here. Linked to the
// CG gallery and the music room.
#pragma once

#include <cstdint>

class CGame;

class CRecollectionScreen {
 public:
  explicit CRecollectionScreen(CGame& game) : game_(game) {}

  // One frame; the engine's sub-state selects the step.
  void RunFrame();
  // Rebuilds the whole screen on a tab (one past the last is tab 0).
  void SetUp(std::uint32_t tab);

 private:
  void RunCursor();
  void Activate(std::uint32_t position);
  // Sub-state 20: the black cover grows opaque; then everything is freed.
  void RunFade();
  // Sub-state 21: the chosen scene's script as a new game.
  void StartScene();
  // Whether the table record's variable exists with a value other than 0.
  bool IsUnlocked(const char* variable) const;

  CGame& game_;
};
