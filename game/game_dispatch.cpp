// The scene dispatcher: one call of the current screen's frame handler.
#include "engine/shell/scene_state.h"
#include "game/game.h"
#include "host/base/diagnostics.h"

namespace {

// The title's re-entry step: screens that leave for the title land here.
constexpr std::uint32_t kTitleReentrySubState = 30;

// Screens that have a scene state but no handler in this build.
constexpr std::uint32_t kScreensWithoutHandler[] = {
    SCENE_RECOLLECTION,
};

}  // namespace

void CGame::RunSceneFrame(CGameEngine& /*engine*/) {
  const std::uint32_t state = engine_.sceneState;
  if (state == SCENE_TITLE) {
    RunTitleScreen();
    return;
  }
  if (state == SCENE_EXTRA_PICTURES) {
    extraPictures.RunFrame();
    return;
  }
  if (state == SCENE_CG_GALLERY) {
    cgGallery.RunFrame();
    return;
  }
  if (state == SCENE_MUSIC_ROOM) {
    musicRoom.RunFrame();
    return;
  }
  if (state == SCENE_GAME) {
    interpreter_.RunScriptFrame();
    return;
  }
  if (state == SCENE_BACKLOG) {
    backlogScreen.RunFrame();
    return;
  }
  if (state == SCENE_SYSTEM) {
    systemScreen.RunFrame();
    return;
  }
  if (state == SCENE_GAME_MENU) {
    gameMenu.RunFrame();
    return;
  }
  if (state == SCENE_SAVE_LOAD) {
    saveLoad.RunFrame();
    return;
  }
  for (const std::uint32_t missing : kScreensWithoutHandler) {
    if (state != missing) continue;
    // Never leave the player on a screen that runs nothing.
    DiagnosticLine("scene: no screen for scene state %u in this build; back to the title", state);
    SetSceneState(SCENE_TITLE, kTitleReentrySubState);
    return;
  }
}
