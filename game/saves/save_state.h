// What the game keeps between saves: the state captured at the last save
// point, the thumbnail kept while the in-game menu shows, and what the slot
// listings found (used slots, the newest ones, the last slot saved).
#pragma once

#include <cstdint>
#include <vector>

#include "game/saves/save_file.h"
#include "game/saves/save_listings.h"

struct SaveSlotState {
  // Header fields, local variables and backlog as of the last save point;
  // the time stamp, message text and thumbnail are added by the save.
  SaveFile captured;
  // A BMP file image taken when the in-game menu opened; empty when none.
  std::vector<std::uint8_t> keptThumbnail;
  std::uint32_t slotUsed[kMenuSaveSlots] = {};
  std::int32_t newestSlot = -1;
  std::uint32_t quickUsed[kQuickSaveSlots] = {};
  // 0 to 2; anything else: no quick save yet.
  std::int32_t newestQuick = -1;
  std::int32_t lastSavedSlot = -1;
};

// Menu items nobody shows: the listings' target until the pop-up menu is
// built.
class UnshownSaveSlotItems : public SaveSlotItems {
 public:
  void SetItem(int /*id*/, const char* /*text*/, int /*enabled*/, const CImage* /*icon*/, int /*damaged*/) override {}
  void DisableLoadAndSave() override {}
};
