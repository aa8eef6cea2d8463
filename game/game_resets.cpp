// The return to the title and the start of a new game: what each clears.
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/scene_state.h"
#include "game/game.h"

namespace {
constexpr std::uint32_t kWhite = 0x00FFFFFF;
}

void CGame::ReturnToTitle() {
  SetSaveEntryEnabled(0);
  StopMovie();
  StopAllSounds();
  FreeRuleTransition();
  FreeAllPartSlots();
  FreeAllPictureSlots();
  DestroyMessageWindow();
  FreeSaveThumbnail();
  interpreter_.Variables().ClearLocals();
  ClearSceneRecords();
  ClearSoundRecords();
  ClearChoiceRecords();
  ClearBacklog();
  ClearMessageTexts();
  interpreter_.ClearScriptState();
  DropPreviousChoice();
  InvalidateDesignRect(0, 0, GetDesignWidth(), GetDesignHeight());
  SetMessageFontColor(kWhite);
  SetSceneState(SCENE_TITLE, kTitleMenuSubState);
}

void CGame::ResetForNewGame() {
  interpreter_.ClearScriptState();
  FreeSaveThumbnail();
  interpreter_.Variables().ClearLocals();
  ClearMessageTexts();
  ClearBacklog();
  ClearSceneRecords();
  ClearSoundRecords();
  ClearChoiceRecords();
  ClearSaveHeader();
  SetMessageFontColor(kWhite);
  SetMessageFontSize(0);
  SetBackgroundColor(0);
  DropPreviousChoice();
  ResetWindowParts();
  SetSaveEntryEnabled(1);
  SetSceneState(SCENE_GAME, 0);
}

void CGame::StartNewGame() {
  ResetForNewGame();
  interpreter_.JumpToScript(kFirstScript, "");
}

void CGame::FreeRuleTransition() { engine_.ruleTransition.reset(); }

void CGame::FreeAllPictureSlots() { engine_.pictureSlots.FreeAllPictureSlots(); }

void CGame::ClearSoundRecords() { sound.ClearRecords(); }

void CGame::ClearBacklog() { backlog.Clear(); }

void CGame::DestroyMessageWindow() { frames.DestroyMessageWindow(); }

void CGame::ResetWindowParts() { frames.ResetWindowParts(); }

void CGame::DropPreviousChoice() { choices.DropSnapshot(); }

void CGame::InvalidateDesignRect(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) {
  engine_.InvalidateDesignRect(x, y, width, height);
}
