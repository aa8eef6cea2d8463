// The in-game menu: a column of eight buttons drawn over the frozen game
// picture (save, load, backlog, system, close), and the message window's
// button bar that opens it among its six buttons.
#pragma once

#include <cstdint>

class CGame;

// Highlight values besides the buttons 0..7.
inline constexpr std::int32_t kMenuTapOutside = 8;
inline constexpr std::int32_t kMenuNoButton = 100;

struct GameMenuRecord {
  std::int32_t argument = 0;  // kept from the caller, not read
  std::int32_t highlight = kMenuNoButton;
  std::uint32_t returnState = 0;
  std::uint32_t returnSubState = 0;
  std::uint32_t windowWasShown = 0;
};

class CGameMenuScreen {
 public:
  explicit CGameMenuScreen(CGame& game) : game_(game) {}

  // Keeps a thumbnail of the game as it stands, hides the window and shows
  // the panel.
  void Enter(int argument);
  void RunFrame();
  // The bar button run in this frame, or -1 (the message gets the input).
  int HandleWindowButtons();

  GameMenuRecord state;

 private:
  void ShowPanel();
  std::int32_t ButtonUnderStylus() const;
  void ShowHighlight(std::int32_t button);
  // Removes the panel and goes back to the remembered scene; the window
  // comes back with restoreWindow.
  void Leave(int restoreWindow);
  void RunButton(std::int32_t button);
  void RunBarButton(int button);

  CGame& game_;
};
