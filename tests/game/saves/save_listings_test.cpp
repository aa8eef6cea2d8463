#include "game/saves/save_listings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/pictures/picture_object.h"
#include "engine/pictures/picture_thumbnail.h"
#include "game/saves/save_file.h"
#include "host/memory/memory_api.h"
#include "tests/support/temp_dir_test.h"

namespace {

struct RecordedItem {
  std::string text;
  int enabled = -1;
  std::uint32_t iconWidth = 0;  // 0: no icon
  std::uint16_t iconPixel = 0;
  int damaged = -1;
};

class RecordingItems : public SaveSlotItems {
 public:
  void SetItem(int id, const char* text, int enabled, const CImage* icon, int damaged) override {
    RecordedItem& item = items[id];
    item.text = text;
    item.enabled = enabled;
    item.iconWidth = icon != nullptr ? icon->width : 0;
    item.iconPixel = icon != nullptr ? static_cast<const std::uint16_t*>(icon->pixels)[0] : 0;
    item.damaged = damaged;
  }
  void DisableLoadAndSave() override { ++disabled; }
  std::map<int, RecordedItem> items;
  int disabled = 0;
};

class SaveListingsTest : public TempDirTest {
 protected:
  void WriteSave(int slot, const char* stamp, std::uint16_t colour = 0x1234) {
    SaveFile save;
    std::strcpy(save.header.timeStamp, stamp);
    std::strcpy(save.header.scriptName, "main.txt");
    const std::vector<std::uint16_t> pixels(16 * 12, colour);
    std::uint32_t size = 0;
    std::uint8_t* bitmap = BuildThumbnailBitmap(pixels.data(), 16, 12, 4, 3, &size);
    save.thumbnail.assign(bitmap, bitmap + size);
    LocalFree(bitmap);
    dir_.WriteFile(SaveFileName(slot), EncodeSaveFile(save));
  }
  std::string Folder() const { return dir_.EnginePath(""); }

  RecordingItems items;
  std::uint32_t used[kMenuSaveSlots] = {};
  std::int32_t newest = 99;
};

TEST_F(SaveListingsTest, SlotsShowTheirStampsAndTheNewestWins) {
  WriteSave(3, "2026-12-11 10:00:00", 0xF800);
  WriteSave(5, "2026-12-11 12:00:00");
  WriteSave(9, "2026-12-11 09:00:00");
  FillSaveSlotItems(items, kLoadItemBase, kSaveItemBase, Folder().c_str(), 1, used, newest);
  EXPECT_EQ(newest, 5);
  for (int slot = 0; slot < kMenuSaveSlots; ++slot) {
    SCOPED_TRACE(slot);
    const bool present = slot == 3 || slot == 5 || slot == 9;
    const RecordedItem& load = items.items[kLoadItemBase + slot];
    const RecordedItem& save = items.items[kSaveItemBase + slot];
    EXPECT_EQ(used[slot], present ? 1u : 0u);
    EXPECT_EQ(load.enabled, present ? 1 : 0);
    EXPECT_EQ(save.enabled, 1);
    EXPECT_EQ(load.text, present ? load.text : std::string("---- \x96\xa2\x92\xe8\x8b\x60 ----"));
    EXPECT_EQ(save.text, load.text);
    EXPECT_EQ(load.iconWidth, present ? 4u : 0u);
    EXPECT_EQ(load.damaged, 0);
  }
  EXPECT_EQ(items.items[kLoadItemBase + 3].text, "2026-12-11 10:00:00");
  EXPECT_EQ(items.items[kLoadItemBase + 3].iconPixel, 0xF800);
  EXPECT_EQ(items.disabled, 0);
}

TEST_F(SaveListingsTest, TheFirstOfTwoSavesWithinTwoSecondsStaysTheNewest) {
  WriteSave(2, "2026-12-11 12:34:57");
  WriteSave(1, "2026-12-11 12:34:56");
  FillSaveSlotItems(items, kLoadItemBase, kSaveItemBase, Folder().c_str(), 1, used, newest);
  EXPECT_EQ(newest, 1);
  std::int32_t found = 99;
  FindNewestSave(Folder().c_str(), found);
  EXPECT_EQ(found, 1);
}

TEST_F(SaveListingsTest, DamagedFilesCannotBeLoadedButCanBeSavedOver) {
  WriteSave(0, "2026-12-11 12:00:00");
  WriteSave(1, "2027-01-01 00:00:00");
  const std::string whole = *dir_.ReadFile("save002.dat");
  dir_.WriteFile("save002.dat", whole.substr(0, whole.size() - 1));  // a short write
  dir_.WriteFile("save003.dat", std::string("STA1"));                 // magic alone
  FillSaveSlotItems(items, kLoadItemBase, kSaveItemBase, Folder().c_str(), 1, used, newest);
  EXPECT_EQ(newest, 0);
  for (int slot : {1, 2}) {
    SCOPED_TRACE(slot);
    EXPECT_EQ(used[slot], 0u);
    EXPECT_EQ(items.items[kLoadItemBase + slot].enabled, 0);
    EXPECT_EQ(items.items[kLoadItemBase + slot].damaged, 1);
    EXPECT_EQ(items.items[kSaveItemBase + slot].enabled, 1);
    EXPECT_EQ(items.items[kSaveItemBase + slot].damaged, 1);
    EXPECT_EQ(items.items[kLoadItemBase + slot].iconWidth, 0u);
  }
  EXPECT_EQ(items.items[kLoadItemBase + 4].damaged, 0);
  std::int32_t found = 99;
  FindNewestSave(Folder().c_str(), found);
  EXPECT_EQ(found, 0);
}

TEST_F(SaveListingsTest, WithoutListingNothingIsReadAndTheEntriesAreDisabled) {
  WriteSave(0, "2026-12-11 12:00:00");
  FillSaveSlotItems(items, kLoadItemBase, kSaveItemBase, Folder().c_str(), 0, used, newest);
  EXPECT_TRUE(items.items.empty());
  EXPECT_EQ(items.disabled, 1);
  EXPECT_EQ(newest, 99);
}

TEST_F(SaveListingsTest, QuickSlotsAndTheWholeSearchRange) {
  WriteSave(501, "2026-12-11 12:00:00");
  WriteSave(502, "2026-12-11 11:00:00");
  WriteSave(99, "2026-12-11 08:00:00");
  std::uint32_t quick[kQuickSaveSlots] = {9, 9, 9};
  FillQuickSaveItems(items, kQuickLoadItemBase, Folder().c_str(), quick, newest);
  EXPECT_EQ(newest, 1);
  EXPECT_EQ(quick[0], 0u);
  EXPECT_EQ(quick[1], 1u);
  EXPECT_EQ(quick[2], 1u);
  EXPECT_EQ(items.items.size(), 3u);
  EXPECT_EQ(items.items[kQuickLoadItemBase].enabled, 0);
  EXPECT_EQ(items.items[kQuickLoadItemBase + 1].text, "2026-12-11 12:00:00");
  EXPECT_EQ(items.items[kQuickLoadItemBase + 2].enabled, 1);
  std::int32_t found = -5;
  FindNewestSave(Folder().c_str(), found);
  EXPECT_EQ(found, 99);
  std::int32_t none = 7;
  FindNewestSave(dir_.EnginePath("missing\\").c_str(), none);
  EXPECT_EQ(none, -1);
}

}  // namespace
