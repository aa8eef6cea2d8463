// The title screen: brand logo, opening movie, and the title menu in three
// variants (ordinary, game cleared, all endings seen).
#pragma once

#include <cstdint>

class CGame;

inline constexpr std::uint32_t kTitleNoItem = 100;

enum TitleItem : std::uint32_t {
  TITLE_NEW_GAME = 0,
  TITLE_LOAD = 1,
  TITLE_QUICK_LOAD = 2,
  TITLE_SYSTEM = 3,
  TITLE_CG_GALLERY = 4,
  TITLE_EXIT = 5,
  TITLE_EXTRA_PICTURES = 6,
};

enum TitleStep : std::uint32_t {
  TITLE_LOGO = 0,
  TITLE_LOGO_FADE_IN = 1,
  TITLE_LOGO_HOLD = 2,
  TITLE_MOVIE = 3,
  TITLE_SET_UP = 4,
  TITLE_WHITE_FADE = 5,
  TITLE_MENU = 6,
  TITLE_RETURN_FADE = 9,
  TITLE_NEW_GAME_FADE = 10,
  TITLE_START_GAME = 11,
  TITLE_REENTRY = 30,
};

class CTitleScreen {
 public:
  explicit CTitleScreen(CGame& game) : game_(game) {}

  // One frame; the engine's sub-state selects the step.
  void RunFrame();

  std::uint32_t variant = 0;
  std::uint32_t itemCount = 6;
  std::uint32_t highlighted = kTitleNoItem;
  std::uint32_t chosen = kTitleNoItem;
  std::uint32_t returning = 0;
  std::uint32_t phaseStart = 0;

 private:
  void ShowLogo();
  void FadeInLogo();
  void HoldLogo();
  void SetUp();
  void FadeOutWhite();
  void RunMenu();
  // The item of the cursor keys or the stylus, or the highlighted one.
  std::uint32_t ItemFromInput();
  void Highlight(std::uint32_t item);
  void RunItem(std::uint32_t item);
  void FadeToNewGame();
  bool ItemShown(std::uint32_t item) const;
  void GoTo(std::uint32_t step);
  std::uint32_t Elapsed() const;

  CGame& game_;
};
