#include "game/menu/menu_save_slot_items.h"

#include <cstring>

#include "engine/pictures/picture_object.h"
#include "game/menu/system_menu.h"

void MenuSaveSlotItems::SetItem(int id, const char* text, int enabled, const CImage* icon, int /*damaged*/) {
  // A damaged file lists as an empty slot: its text, no icon, no load.
  const auto item = static_cast<std::uint32_t>(id);
  menu_.SetItemText(nullptr, item, text);
  menu_.SetEnabled(nullptr, item, enabled ? kMenuEnabled : 0);
  menu_.SetChecked(nullptr, item, 0);
  const bool pixels = icon != nullptr && icon->pixelKind == kPixelKindRgb565 && icon->GetPixels() != nullptr;
  menu_.SetItemIconImage(nullptr, item, pixels ? icon->GetPixels() : nullptr, pixels ? static_cast<std::int32_t>(icon->width) : 0,
                         pixels ? static_cast<std::int32_t>(icon->height) : 0);
}

void MenuSaveSlotItems::DisableLoadAndSave() { menu_.SetLoadSaveEnabled(nullptr, 0, 0); }
