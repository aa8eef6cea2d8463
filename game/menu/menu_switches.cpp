// The game's switches of the pop-up menu: the Load and Save submenus and the
// single command items the screens turn on and off.
#include "game/game.h"
#include "game/menu/system_menu.h"

CSystemMenu* CGame::Menu() const { return dynamic_cast<CSystemMenu*>(engine_.systemMenu.get()); }

void CGame::SetLoadSaveEnabled(int enabled) {
  if (CSystemMenu* menu = Menu()) menu->SetLoadSaveEnabled(&saveAllowed, enabled, enabled);
}

void CGame::SetSaveEntryEnabled(int enabled) {
  if (CSystemMenu* menu = Menu()) menu->SetLoadSaveEnabled(&saveAllowed, static_cast<int>(loadAllowed), enabled);
}

void CGame::SetMenuItemEnabled(int command, int enabled) {
  if (CSystemMenu* menu = Menu()) menu->SetItemEnabled(static_cast<std::uint32_t>(command), enabled);
}

void CGame::MarkMenuSlots() {
  CSystemMenu* menu = Menu();
  if (menu == nullptr) return;
  menu->MarkSaveSlots(kLoadItemBase, kSaveItemBase, saves.slotUsed, saves.newestSlot);
  menu->MarkQuickSaveSlots(kQuickLoadItemBase, saves.quickUsed, saves.newestQuick);
}
