// The save listings' items on the pop-up menu: each slot's time stamp or the
// empty-slot text, its enabled flag and the save's thumbnail as its icon.
#pragma once

#include "game/saves/save_listings.h"

class CSystemMenu;

class MenuSaveSlotItems : public SaveSlotItems {
 public:
  explicit MenuSaveSlotItems(CSystemMenu& menu) : menu_(menu) {}
  void SetItem(int id, const char* text, int enabled, const CImage* icon, int damaged) override;
  void DisableLoadAndSave() override;

 private:
  CSystemMenu& menu_;
};
