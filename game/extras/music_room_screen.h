// The music room: the game's 27 tracks, the one chosen played as the
// background music and marked as playing; linked to the CG gallery and the
// recollection screen.
#pragma once

#include <cstdint>

class CGame;

inline constexpr std::uint32_t kMusicTracks = 27;

class CMusicRoomScreen {
 public:
  explicit CMusicRoomScreen(CGame& game) : game_(game) {}

  // One frame; the engine's sub-state selects the step.
  void RunFrame();
  void SetUp();

 private:
  void RunCursor();
  void Activate(std::uint32_t position);
  void ShowPlayingLabel();

  CGame& game_;
};
