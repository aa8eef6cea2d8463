#include "game/game.h"

#include "engine/shell/scene_state.h"
#include "game/menu/font_list.h"
#include "game/menu/menu_save_slot_items.h"
#include "game/menu/system_menu.h"
#include "game/script/script_archive.h"
#include "game/stores/system_data.h"

CGame::CGame(CGameEngine& engine)
    : workBuffers{std::vector<std::uint8_t>(kWorkBufferBytes), std::vector<std::uint8_t>(kWorkBufferBytes)},
      backlog(engine.options[BACKLOG_SIZE_MODE]),
      sound(engine, std::make_unique<MixerSoundOutput>(engine)),
      frames(engine),
      messages(engine, frames, backlog, seen, sound, *this),
      choices(engine, *this),
      scene(engine, seen),
      title(*this),
      backlogScreen(*this),
      systemScreen(*this),
      extraPictures(*this),
      cgGallery(*this),
      musicRoom(*this),
      recollectionScreen(*this),
      gameMenu(*this),
      saveLoad(*this),
      engine_(engine),
      interpreter_(*this) {}

void CGame::LoadConfigAndBuildMenu(CGameApp& /*app*/) {
  const char* folder = engine_.saveFolder.c_str();
  FillSaveSlotItems(*saveSlotItems, kLoadItemBase, kSaveItemBase, folder, 1, saves.slotUsed, saves.newestSlot);
  FillQuickSaveItems(*saveSlotItems, kQuickLoadItemBase, folder, saves.quickUsed, saves.newestQuick);
  FindNewestSave(folder, saves.lastSavedSlot);
  MarkMenuSlots();
  SetSaveEntryEnabled(0);
  SetMenuItemEnabled(kPreviousChoiceCommand, 0);
  if (engine_.saveFolder.empty()) return;
  ReadSystemDataFile((engine_.saveFolder + kSystemDataFile).c_str(), interpreter_.Variables(), seen);
}

void CGame::WriteSystemData(CGameEngine& /*engine*/) {
  if (engine_.saveFolder.empty()) return;
  WriteSystemDataFile((engine_.saveFolder + kSystemDataFile).c_str(), interpreter_.Variables(), seen);
}

bool CGame::ReadScript(const char* name, std::vector<char>& bytes) {
  return ReadScriptFromArchive(scriptReader_, engine_.scriptArchive.c_str(), name, bytes);
}

std::uint32_t* CGame::InputWords() { return engine_.input.words.data(); }

int CGame::IsSkipping() { return engine_.options[SKIP_RUNNING] != 0; }

void CGame::SetSceneState(std::uint32_t state, std::uint32_t subState) {
  engine_.sceneState = state;
  engine_.subState = subState;
}

void CGame::Quit() {
  StopMovie();
  StopAllSounds();
  PostMessageW(engine_.GetWindow(), WM_CLOSE, 0, 0);
  SetSceneState(SCENE_QUIT, SCENE_QUIT);
}

void CGame::SetBackgroundColor(std::uint32_t rgb) { engine_.backgroundColor = rgb; }

std::unique_ptr<CGameApp> MakeGameApp() {
  auto app = std::make_unique<CGameApp>();
  auto menu = std::make_unique<CSystemMenu>();
  app->fontList = std::make_unique<CFontList>();
  auto game = std::make_unique<CGame>(*app);
  game->saveSlotItems = std::make_unique<MenuSaveSlotItems>(*menu);
  app->systemMenu = std::move(menu);
  app->game = std::move(game);
  return app;
}
