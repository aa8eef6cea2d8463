// The scene dispatcher: one call of the current screen's frame handler.
#include "engine/shell/scene_state.h"
#include "game/game.h"

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
  if (state == SCENE_RECOLLECTION) {
    recollectionScreen.RunFrame();
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
}
