#include "game/saves/save_listings.h"

#include <string>

#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_thumbnail.h"
#include "engine/runtime/file_helpers.h"
#include "game/saves/save_file.h"
#include "host/memory/memory_api.h"

namespace {

struct SlotRead {
  SlotFile state = SlotFile::Missing;
  SaveFile save;
};

SlotRead ReadSlot(const char* folder, int slot) {
  SlotRead read;
  read.state = ReadSaveSlot(folder, slot, read.save);
  return read;
}

// One slot's item (or load and save pair); returns the slot's time key when
// it holds a whole save, else -1.
std::int64_t ListSlot(SaveSlotItems& items, const char* folder, int slot, int loadId, int saveId) {
  const SlotRead read = ReadSlot(folder, slot);
  if (read.state != SlotFile::Whole) {
    const int damaged = read.state == SlotFile::Damaged;
    items.SetItem(loadId, kEmptySlotText, 0, nullptr, damaged);
    if (saveId >= 0) items.SetItem(saveId, kEmptySlotText, 1, nullptr, damaged);
    return -1;
  }
  CImage icon;
  const CImage* shown = nullptr;
  if (icon.LoadSaveThumbnail(SaveFileName(slot).c_str(), folder, nullptr, nullptr, nullptr)) shown = &icon;
  const char* stamp = read.save.header.timeStamp;
  items.SetItem(loadId, stamp, 1, shown, 0);
  if (saveId >= 0) items.SetItem(saveId, stamp, 1, shown, 0);
  return PackSaveTimeStamp(stamp);
}

// Keeps the first of the largest keys.
void TakeNewest(std::int64_t key, int index, std::int64_t& best, std::int32_t& newest) {
  if (key > best) {
    best = key;
    newest = index;
  }
}

}  // namespace

SlotFile ReadSaveSlot(const char* folder, int slot, SaveFile& save) {
  const std::string path = std::string(folder) + SaveFileName(slot);
  std::uint32_t size = 0;
  void* block = ReadWholeFile(path.c_str(), &size, 0);
  // A folder or an unreadable file in the slot's place is damaged too.
  if (block == nullptr) return FileExists(path.c_str()) ? SlotFile::Damaged : SlotFile::Missing;
  const int whole = DecodeSaveFile(static_cast<const std::uint8_t*>(block), size, save);
  LocalFree(block);
  return whole ? SlotFile::Whole : SlotFile::Damaged;
}

int ReadSaveTimeKey(const char* folder, int slot, std::uint32_t& key) {
  const SlotRead read = ReadSlot(folder, slot);
  if (read.state != SlotFile::Whole) return 0;
  key = PackSaveTimeStamp(read.save.header.timeStamp);
  return 1;
}

void FillSaveSlotItems(SaveSlotItems& items, int loadBase, int saveBase, const char* folder, int listingAllowed,
                       std::uint32_t (&used)[kMenuSaveSlots], std::int32_t& newest) {
  if (!listingAllowed) {
    items.DisableLoadAndSave();
    return;
  }
  newest = -1;
  std::int64_t best = -1;
  for (int slot = 0; slot < kMenuSaveSlots; ++slot) {
    const std::int64_t key = ListSlot(items, folder, slot, loadBase + slot, saveBase + slot);
    used[slot] = key >= 0;
    TakeNewest(key, slot, best, newest);
  }
}

void FillQuickSaveItems(SaveSlotItems& items, int base, const char* folder, std::uint32_t (&used)[kQuickSaveSlots],
                        std::int32_t& newest) {
  newest = -1;
  std::int64_t best = -1;
  for (int k = 0; k < kQuickSaveSlots; ++k) {
    const std::int64_t key = ListSlot(items, folder, kFirstQuickSaveSlot + k, base + k, -1);
    used[k] = key >= 0;
    TakeNewest(key, k, best, newest);
  }
}

void FindNewestSave(const char* folder, std::int32_t& slot) {
  slot = -1;
  std::int64_t best = -1;
  for (int n = 0; n < kNewestSearchSlots; ++n) {
    std::uint32_t key = 0;
    if (ReadSaveTimeKey(folder, n, key)) TakeNewest(key, n, best, slot);
  }
}
