// The pop-up menu's commands carried out by the game. The menu has hidden
// itself before it posted the command, so each runs on the game's own
// picture and scene state.
#include "engine/shell/game_app.h"
#include "game/game.h"
#include "game/menu/menu_commands.h"

namespace {

void RedrawWholeScreen(CGameEngine& engine) {
  if (!engine.dirtyList || !engine.backBuffer) return;
  RECT whole{0, 0, static_cast<LONG>(engine.backBuffer->GetWidth()), static_cast<LONG>(engine.backBuffer->GetHeight())};
  engine.dirtyList->Add(&whole, 1);
}

}  // namespace

void CGame::DispatchMenuCommand(CGameApp& app, HWND window, std::uint32_t command, LPARAM /*lParam*/) {
  const MenuCommandGroup* group = FindMenuCommand(command);
  if (group == nullptr) return;
  const std::uint32_t k = command - group->first;
  ConfigOptions& options = app.options;
  SystemMenuPort& menu = *app.systemMenu;
  auto set = [&](std::uint32_t value) { menu.SetOption(options, group->word, value); };
  switch (group->action) {
    case MenuAction::Exit:
      if (app.backBuffer && app.backBuffer->IsMoviePlaying()) StopMovie();
      StopAllSounds();
      PostMessageW(window, WM_CLOSE, 0, 0);
      break;
    case MenuAction::ReturnToTitle:
      ReturnToTitle();
      break;
    case MenuAction::LoadSlot:
      LoadGame(static_cast<int>(group->argument + k));
      break;
    case MenuAction::SaveSlot:
      SaveGame(static_cast<int>(group->argument + k));
      break;
    case MenuAction::Toggle:
    case MenuAction::ToggleRedraw:
      set(options[group->word] == 0 ? 1 : 0);
      if (group->action == MenuAction::ToggleRedraw) RedrawWholeScreen(app);
      break;
    case MenuAction::Volume:
      set(100 - 10 * k);
      ApplyVolumes(group->argument, 100 - 10 * k);
      break;
    case MenuAction::AntiAlias:
      if (options[group->word] != k) set(k);
      RedrawWholeScreen(app);
      break;
    case MenuAction::CursorMode:
      if (options[group->word] != k) set(k);
      for (int latch = INPUT_LATCH_FIRST; latch <= INPUT_LATCH_LAST; ++latch) app.input[static_cast<InputWord>(latch)] = 0;
      break;
    case MenuAction::RadioIfChanged:
      if (options[group->word] != k) set(k);
      break;
    case MenuAction::Radio:
      set(k);
      break;
    case MenuAction::MessageFont: {
      // Only listed fonts have items.
      if (!app.fontList || k >= app.fontList->Count()) break;
      menu.SetMessageFont(options, app.fontList->Count(), k);
      const char* name = app.fontList->Name(k);
      if (name[0] != '\0') app.services->SetMessageFontFace(name);
      break;
    }
    case MenuAction::OggFirst:
      app.mixer->SetOggFirst(k);
      set(k);
      break;
    case MenuAction::Suspend:
      app.Deactivate();
      break;
    case MenuAction::PreviousChoice:
      ReturnToPreviousChoice();
      break;
  }
}
