// The save-slot listings of the pop-up menu and the save/load screen: each
// slot's file read and checked whole, its item given the time stamp, the
// enabled flag and the thumbnail, and the newest save found by its time key.
#pragma once

#include <cstdint>

#include "game/saves/save_file.h"

class CImage;

inline constexpr int kMenuSaveSlots = 15;
inline constexpr int kQuickSaveSlots = 3;
inline constexpr int kFirstQuickSaveSlot = 500;
inline constexpr int kNewestSearchSlots = 100;
inline constexpr int kLoadItemBase = 40017;
inline constexpr int kSaveItemBase = 40032;
inline constexpr int kQuickLoadItemBase = 40222;
// The text of a slot without a save.
inline constexpr char kEmptySlotText[] = "---- \x96\xa2\x92\xe8\x8b\x60 ----";

// What a listing fills: menu items by command id.
class SaveSlotItems {
 public:
  virtual ~SaveSlotItems() = default;
  // icon: the slot's thumbnail or null (the item keeps its own copy).
  // damaged: a file is there but fails the whole-file check; it cannot be
  // loaded, and saving over it replaces it.
  virtual void SetItem(int id, const char* text, int enabled, const CImage* icon, int damaged) = 0;
  // The top-level load and save entries, shown disabled while no listing is
  // allowed.
  virtual void DisableLoadAndSave() = 0;
};

// Slots 0 to 14: load item loadBase + slot (enabled when the slot holds a
// save) and save item saveBase + slot (always enabled). used[k] is 1 for a
// slot holding a save, newest the slot with the largest time key (the first
// wins a tie; -1 when none). With listing not allowed, no file is read, the
// items are left as they were and only the top-level entries are disabled.
void FillSaveSlotItems(SaveSlotItems& items, int loadBase, int saveBase, const char* folder, int listingAllowed,
                       std::uint32_t (&used)[kMenuSaveSlots], std::int32_t& newest);

// The quick-save ring, slots 500 to 502, items base to base + 2; newest is 0
// to 2, or -1.
void FillQuickSaveItems(SaveSlotItems& items, int base, const char* folder, std::uint32_t (&used)[kQuickSaveSlots],
                        std::int32_t& newest);

// The slot 0 to 99 whose save has the largest time key, or -1; damaged files
// are passed over.
void FindNewestSave(const char* folder, std::int32_t& slot);

// What a slot's file is: none, there but failing the whole-file check (a
// folder or an unreadable file in its place too), or a whole save.
enum class SlotFile { Missing, Damaged, Whole };
// Reads and checks the save of slot in folder; save is filled when Whole.
SlotFile ReadSaveSlot(const char* folder, int slot, SaveFile& save);

// Reads and checks the save of slot in folder: 1 with its time key when whole.
int ReadSaveTimeKey(const char* folder, int slot, std::uint32_t& key);
