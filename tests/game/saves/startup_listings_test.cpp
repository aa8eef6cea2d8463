// At start-up the game lists the saves it finds for the menu and notes the
// newest one, before it reads "system.dat".
#include <gtest/gtest.h>

#include <cstring>

#include "game/game.h"
#include "game/saves/save_file.h"
#include "tests/support/temp_dir_test.h"

namespace {

class StartupListingsTest : public TempDirTest {
 protected:
  void WriteSave(int slot, const char* stamp) {
    SaveFile save;
    std::strcpy(save.header.timeStamp, stamp);
    std::strcpy(save.header.scriptName, "main.txt");
    dir_.WriteFile(SaveFileName(slot), EncodeSaveFile(save));
  }
};

TEST_F(StartupListingsTest, SavesInTheFolderAreListedAndTheNewestFound) {
  WriteSave(2, "2026-01-02 10:00:00");
  WriteSave(40, "2026-03-01 09:00:00");  // past the menu's 15, still searched
  WriteSave(7, "2026-02-01 12:00:00");
  WriteSave(501, "2026-01-05 08:00:00");
  std::unique_ptr<CGameApp> app = MakeGameApp();
  app->saveFolder = dir_.EnginePath("");
  CGame& game = *static_cast<CGame*>(app->game.get());
  game.LoadConfigAndBuildMenu(*app);
  EXPECT_EQ(game.saves.slotUsed[2], 1u);
  EXPECT_EQ(game.saves.slotUsed[7], 1u);
  EXPECT_EQ(game.saves.slotUsed[3], 0u);
  EXPECT_EQ(game.saves.newestSlot, 7);
  EXPECT_EQ(game.saves.quickUsed[1], 1u);
  EXPECT_EQ(game.saves.newestQuick, 1);
  EXPECT_EQ(game.saves.lastSavedSlot, 40);
}

}  // namespace
