// The return to the title and the start of a new game: what each clears.
#include "engine/runtime/runtime_globals.h"
#include "engine/shell/scene_state.h"
#include "game/script_interpreter.h"

namespace {
constexpr std::uint32_t kWhite = 0x00FFFFFF;
}

void CScriptInterpreter::ReturnToTitle() {
  services_.SetSaveEntryEnabled(0);
  services_.StopMovie();
  services_.StopAllSounds();
  services_.FreeRuleTransition();
  services_.FreeAllPartSlots();
  services_.FreeAllPictureSlots();
  services_.DestroyMessageWindow();
  services_.FreeSaveThumbnail();
  variables_.ClearLocals();
  services_.ClearSceneRecords();
  services_.ClearSoundRecords();
  services_.ClearChoiceRecords();
  services_.ClearBacklog();
  services_.ClearMessageTexts();
  ClearScriptState();
  services_.DropPreviousChoice();
  services_.InvalidateDesignRect(0, 0, GetDesignWidth(), GetDesignHeight());
  services_.SetMessageFontColor(kWhite);
  services_.SetSceneState(SCENE_TITLE, kTitleMenuSubState);
}

void CScriptInterpreter::ResetForNewGame() {
  ClearScriptState();
  services_.FreeSaveThumbnail();
  variables_.ClearLocals();
  services_.ClearMessageTexts();
  services_.ClearBacklog();
  services_.ClearSceneRecords();
  services_.ClearSoundRecords();
  services_.ClearChoiceRecords();
  services_.ClearSaveHeader();
  services_.SetMessageFontColor(kWhite);
  services_.SetMessageFontSize(0);
  services_.SetBackgroundColor(0);
  services_.DropPreviousChoice();
  services_.ResetWindowParts();
  services_.SetSaveEntryEnabled(1);
  services_.SetSceneState(SCENE_GAME, 0);
}
