#include "game/screens/game_menu/game_menu_screen.h"

#include "engine/pictures/picture_part_slots.h"
#include "engine/shell/scene_state.h"
#include "engine/text/message_window.h"
#include "game/game.h"
#include "game/input_actions.h"
#include "game/screens/screen_steps.h"
#include "game/sprites/sprite_making.h"

namespace {

constexpr int kPanelPart = 470;
constexpr int kHighlightPart = 471;
constexpr std::int32_t kPanelX = 660, kPanelY = 10, kPanelWidth = 136, kPanelHeight = 423;
constexpr std::int32_t kButtonX = 678, kButtonTop = 34, kButtonWidth = 96, kButtonHeight = 47;
constexpr std::int32_t kButtons = 8;
enum MenuButton : std::int32_t { kSave = 0, kLoad = 1, kBacklog = 2, kSystem = 3, kClose = 5 };

// The bar's hit rectangles (each inside its highlight cell).
constexpr std::int32_t kBarX[kWindowButtons] = {124, 214, 308, 412, 504, 598};
constexpr std::int32_t kBarY = 580, kBarWidth = 80, kBarHeight = 20;
enum BarButton : int { kReplayVoice = 0, kQuickSave = 1, kOpenMenu = 2, kAutoMode = 3, kSkipMode = 4, kHideWindow = 5 };

bool AdvancePresent(const std::uint32_t* words) {
  return words[ACTION_TAP] != 0 || words[ACTION_ADVANCE_KEY] != 0 || words[ACTION_CLICK] != 0;
}

}  // namespace

void CGameMenuScreen::Enter(int argument) {
  CGameEngine& engine = game_.Engine();
  game_.CaptureSaveThumbnail();
  state.returnState = engine.sceneState;
  state.returnSubState = engine.subState;
  state.argument = argument;
  engine.sceneState = SCENE_GAME_MENU;
  state.highlight = kMenuNoButton;
  state.windowWasShown = static_cast<std::uint32_t>(HideWindowForScreen(engine, game_.frames));
  ShowPanel();
}

void CGameMenuScreen::ShowPanel() {
  CreateImageSprite(game_.Engine(), kPanelPart, kWindowPartsSlot, 769, 0, kPanelWidth, kPanelHeight, kPanelX, kPanelY,
                    0, 0, 12);
}

std::int32_t CGameMenuScreen::ButtonUnderStylus() const {
  const CGameEngine& engine = game_.Engine();
  if (!IsStylusInDesignRect(engine, kPanelX, kPanelY, kPanelWidth, kPanelHeight)) return kMenuTapOutside;
  for (std::int32_t b = 0; b < kButtons; ++b) {
    if (IsStylusInDesignRect(engine, kButtonX, kButtonTop + kButtonHeight * b, kButtonWidth, kButtonHeight)) return b;
  }
  return kMenuNoButton;
}

void CGameMenuScreen::ShowHighlight(std::int32_t button) {
  if (state.highlight < kButtons) FreePartSlot(game_.Engine(), kHighlightPart, 1);
  if (button >= 0 && button < kButtons) {
    CreateImageSprite(game_.Engine(), kHighlightPart, kWindowPartsSlot, 575, kButtonHeight * button, kButtonWidth,
                      kButtonHeight, kButtonX, 32 + kButtonHeight * button, 0, 0, 11);
  }
  state.highlight = button;
}

void CGameMenuScreen::RunFrame() {
  CGameEngine& engine = game_.Engine();
  std::uint32_t* words = engine.input.words.data();
  const std::int32_t before = state.highlight;
  if (words[ACTION_CANCEL] != 0) {
    words[ACTION_CANCEL] = 0;
    words[ACTION_CLICK] = 0;
    game_.ReleaseSaveThumbnail();
    Leave(1);
    return;
  }
  std::int32_t next = before;
  if (words[ACTION_UP] != 0) {
    words[ACTION_UP] = 0;
    next = (before == 0 || before == kMenuTapOutside || before == kMenuNoButton) ? kButtons - 1 : before - 1;
  }
  if (words[ACTION_DOWN] != 0) {
    words[ACTION_DOWN] = 0;
    next = (next == kMenuTapOutside || next == kMenuNoButton) ? 0 : (next + 1) % kButtons;
  }
  if (words[ACTION_TAP] != 0) next = ButtonUnderStylus();
  if (next != state.highlight) ShowHighlight(next);
  if (TakeSecondTap(words, before, state.highlight, kMenuNoButton)) RunButton(state.highlight);
}

void CGameMenuScreen::Leave(int restoreWindow) {
  CGameEngine& engine = game_.Engine();
  FreePartRange(engine, kPanelPart, kHighlightPart);
  if (restoreWindow) RestoreWindowAfterScreen(engine, game_.frames, static_cast<int>(state.windowWasShown));
  engine.sceneState = state.returnState;
  engine.subState = state.returnSubState;
}

void CGameMenuScreen::RunButton(std::int32_t button) {
  switch (button) {
    case kSave:
    case kLoad:
      // The thumbnail taken as the menu opened stays for the save screen:
      // the back buffer shows that screen by the time a save is made.
      Leave(1);
      game_.EnterSaveLoadScreen(button == kLoad ? 1 : 0);
      return;
    case kBacklog:
      game_.ReleaseSaveThumbnail();
      Leave(0);
      game_.SetupBacklogScreen();
      game_.Engine().sceneState = SCENE_BACKLOG;
      return;
    case kSystem:
      game_.ReleaseSaveThumbnail();
      Leave(1);
      game_.EnterSystemScreen();
      return;
    case kClose:
    case kMenuTapOutside:
      game_.ReleaseSaveThumbnail();
      Leave(1);
      return;
    default:
      return;
  }
}

int CGameMenuScreen::HandleWindowButtons() {
  CGameEngine& engine = game_.Engine();
  CWindowFrames& frames = game_.frames;
  // Invisible buttons never take a tap meant for the message.
  if (!frames.shown || (engine.messageWindow && engine.messageWindow->textHidden)) return -1;
  std::uint32_t* words = engine.input.words.data();
  int bar = frames.selectedButton;
  if (words[ACTION_DOWN] != 0) {
    words[ACTION_DOWN] = 0;
    bar = bar + 1 < kWindowButtons ? bar + 1 : -1;
  }
  if (words[ACTION_TAP] != 0) {
    int tapped = -1;
    for (int b = 0; b < kWindowButtons && tapped < 0; ++b) {
      if (IsStylusInDesignRect(engine, kBarX[b], kBarY, kBarWidth, kBarHeight)) tapped = b;
    }
    if (tapped >= 0 && tapped != bar) words[ACTION_TAP] = 0;  // a first tap only highlights
    bar = tapped;
  }
  if (bar != frames.selectedButton) frames.SelectWindowButton(bar);
  if (!AdvancePresent(words) || bar < 0) return -1;
  ClearAdvanceInputs(words);
  RunBarButton(bar);
  frames.SelectWindowButton(-1);
  return bar;
}

void CGameMenuScreen::RunBarButton(int button) {
  CGameEngine& engine = game_.Engine();
  switch (button) {
    case kReplayVoice:
      if (game_.sound.voice.name[0] != '\0')
        game_.sound.PlayVoice(static_cast<int>(game_.sound.voice.speaker), game_.sound.voice.name, 1);
      return;
    case kQuickSave:
      game_.QuickSave();
      return;
    case kOpenMenu:
      game_.EnterGameMenu(0);
      return;
    case kAutoMode:
      if (engine.systemMenu) {
        engine.systemMenu->SetOption(engine.options, MESSAGE_AUTO, engine.options[MESSAGE_AUTO] != 0 ? 0 : 1);
      }
      return;
    case kSkipMode:
      engine.options[SKIP_RUNNING] = engine.options[SKIP_RUNNING] != 0 ? 0 : 1;
      return;
    case kHideWindow:
      game_.ShowMessageWindow(0);
      if (engine.messageWindow) engine.messageWindow->textHidden = 1;
      return;
    default:
      return;
  }
}
