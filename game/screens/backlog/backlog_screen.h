// The backlog screen: the last message pages, five at a time with the newest
// at the bottom, their speakers and voice buttons, a scroll knob and four
// scroll buttons. It always returns to the game.
#pragma once

#include <cstdint>

#include "game/stores/backlog_ring.h"

class CGame;

inline constexpr std::uint32_t kBacklogRows = 5;
inline constexpr std::uint32_t kBacklogNoControl = 100;
// Scroll buttons 10 and 11 go to older entries, 12 and 13 to newer ones.
inline constexpr std::uint32_t kBacklogFirstScrollButton = 10;

class CBacklogScreen {
 public:
  explicit CBacklogScreen(CGame& game) : game_(game) {}

  // Takes the kept count and shows the newest page. The caller then enters
  // the screen's scene state.
  void Setup();
  void DrawPage();
  void RunFrame();

  std::uint32_t count = 0;
  // 0 shows the newest entry.
  std::uint32_t first = 0;
  std::uint32_t onPage = 0;
  char voices[kBacklogRows][kBacklogVoiceSize] = {};
  std::int32_t knobOffset = 0;
  // 0 to 4 a row's voice button, 10 to 13 a scroll button, 100 none.
  std::uint32_t highlight = kBacklogNoControl;

 private:
  bool OlderRemain() const { return count - onPage != first; }
  std::uint32_t ControlUnderStylus() const;
  void ShowHighlight(std::uint32_t previous);
  void RunControl();
  void Leave();

  CGame& game_;
};
