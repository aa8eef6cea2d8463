// The save listings on the pop-up menu: each slot's time stamp, its enabled
// flag and the save's thumbnail as the item's icon; damaged files as empty
// slots; the marks of the newest saves; the Load and Save submenus and the
// previous-choice item as the game switches them.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/menu/menu_fixture.h"
#include "engine/pictures/picture_thumbnail.h"
#include "game/game.h"
#include "game/menu/system_menu.h"
#include "game/saves/save_file.h"
#include "host/memory/memory_api.h"
#include "host/run/call_log.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

constexpr MenuDisplay kLandscape{640, 480, 2, 960};
constexpr int kIconWidth = 80;
constexpr int kIconHeight = 60;

// Pixel (x, y) of the thumbnail saved in a slot: each row its own shade.
std::uint16_t ThumbPixel(int slot, int x, int y) { return static_cast<std::uint16_t>(slot * 1000 + y * 7 + x); }

class MenuSlotItemsTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    SetScreenWidth(kLandscape.screenWidth);
    SetScreenHeight(kLandscape.screenHeight);
    HostClockSetLocalTime({2026, 12, 5, 11, 12, 34, 56, 0});
  }
  void TearDown() override {
    app.reset();
    MenuTest::TearDown();
  }

  void WriteSave(int slot, const char* stamp) {
    SaveFile save;
    std::strcpy(save.header.timeStamp, stamp);
    std::strcpy(save.header.scriptName, "main.txt");
    std::vector<std::uint16_t> pixels(kIconWidth * kIconHeight);
    for (int y = 0; y < kIconHeight; ++y) {
      for (int x = 0; x < kIconWidth; ++x) pixels[static_cast<std::size_t>(y * kIconWidth + x)] = ThumbPixel(slot, x, y);
    }
    std::uint32_t size = 0;
    std::uint8_t* bitmap = BuildThumbnailBitmap(pixels.data(), kIconWidth, kIconHeight, kIconWidth, kIconHeight, &size);
    save.thumbnail.assign(bitmap, bitmap + size);
    LocalFree(bitmap);
    dir.WriteFile(SaveFileName(slot), EncodeSaveFile(save));
  }

  // The program as it starts: the tree built, then the game's listings.
  void Start() {
    app = MakeGameApp();
    app->saveFolder = dir.EnginePath("");
    menu = static_cast<CSystemMenu*>(app->systemMenu.get());
    FontListPort fonts;
    menu->BuildTree(fonts);
    Game().LoadConfigAndBuildMenu(*app);
  }
  CGame& Game() { return *static_cast<CGame*>(app->game.get()); }
  MenuItem& Item(std::uint32_t id) { return *menu->Item(nullptr, id); }
  bool Enabled(std::uint32_t id) { return (Item(id).flags & kMenuEnabled) != 0; }
  bool Checked(std::uint32_t id) { return (Item(id).flags & kMenuChecked) != 0; }
  bool RootEnabled(int index) { return (menu->Root()->items[index].flags & kMenuEnabled) != 0; }

  // The icon shows the thumbnail of slot, kept bottom row first.
  void ExpectIcon(std::uint32_t id, int slot) {
    const MenuItem& item = Item(id);
    ASSERT_TRUE(item.flags & kMenuHasIcon) << id;
    ASSERT_NE(item.icon, nullptr);
    EXPECT_EQ(item.icon->width, kIconWidth);
    EXPECT_EQ(item.icon->height, kIconHeight);
    EXPECT_EQ(item.icon->pixels[0], ThumbPixel(slot, 0, kIconHeight - 1));
    EXPECT_EQ(item.icon->pixels[kIconWidth * (kIconHeight - 1) + 5], ThumbPixel(slot, 5, 0));
  }

  ScopedTempDir dir{"menu_slots_"};
  std::unique_ptr<CGameApp> app;
  CSystemMenu* menu = nullptr;
};

std::string EmptySlotText() { return kEmptySlotText; }

TEST_F(MenuSlotItemsTest, ListingsGiveStampsIconsAndTheNewestMark) {
  WriteSave(2, "2026-01-02 10:00:00");
  WriteSave(7, "2026-02-01 12:00:00");
  WriteSave(4, "2026-03-01 12:00:00");
  // Slot 4's file cut short: damaged, listed as an empty slot.
  const std::string bytes = *dir.ReadFile(SaveFileName(4));
  dir.WriteFile(SaveFileName(4), bytes.substr(0, bytes.size() - 10));
  WriteSave(501, "2026-01-05 08:00:00");
  Start();

  struct Row {
    std::uint32_t id;
    std::string text;
    bool enabled;
    bool checked;
    int iconSlot;  // -1: no icon
  } rows[] = {
      {40019, "2026-01-02 10:00:00", true, false, 2}, {40034, "2026-01-02 10:00:00", true, false, 2},
      {40024, "2026-02-01 12:00:00", true, true, 7},  {40039, "2026-02-01 12:00:00", true, true, 7},
      {40021, EmptySlotText(), false, false, -1},     {40036, EmptySlotText(), true, false, -1},
      {40017, EmptySlotText(), false, false, -1},     {40032, EmptySlotText(), true, false, -1},
      {40223, "2026-01-05 08:00:00", true, true, 501}, {40222, EmptySlotText(), false, false, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    EXPECT_EQ(std::string(Item(row.id).text), row.text);
    EXPECT_EQ(Enabled(row.id), row.enabled);
    EXPECT_EQ(Checked(row.id), row.checked);
    if (row.iconSlot >= 0) {
      ExpectIcon(row.id, row.iconSlot);
    } else {
      EXPECT_FALSE(Item(row.id).flags & kMenuHasIcon);
      EXPECT_EQ(Item(row.id).icon, nullptr);
    }
  }
}

TEST_F(MenuSlotItemsTest, AtTheTitleSaveAndThePreviousChoiceAreGrey) {
  Start();
  EXPECT_TRUE(RootEnabled(0)) << "Load follows the load-allowed word";
  EXPECT_FALSE(RootEnabled(1));
  EXPECT_FALSE(Enabled(kPreviousChoiceItem));
  EXPECT_EQ(Game().saveAllowed, 0u);

  // A game: Save on; a choice passed: the previous choice on.
  Game().ResetForNewGame();
  Game().SetMenuItemEnabled(kPreviousChoiceItem, 1);
  EXPECT_TRUE(RootEnabled(1));
  EXPECT_EQ(Game().saveAllowed, 1u);
  EXPECT_TRUE(Enabled(kPreviousChoiceItem));

  // A screen without saving (the backlog): both off, the word kept.
  Game().SetLoadSaveEnabled(0);
  EXPECT_FALSE(RootEnabled(0));
  EXPECT_FALSE(RootEnabled(1));
  EXPECT_EQ(Game().saveAllowed, 1u);
  Game().SetLoadSaveEnabled(1);
  EXPECT_TRUE(RootEnabled(0) && RootEnabled(1));

  Game().ReturnToTitle();
  EXPECT_TRUE(RootEnabled(0));
  EXPECT_FALSE(RootEnabled(1));
  EXPECT_FALSE(Enabled(kPreviousChoiceItem));
  EXPECT_EQ(Game().saveAllowed, 0u);
}

TEST_F(MenuSlotItemsTest, StartWithLoadingNotAllowedGreysBothSubmenus) {
  app = MakeGameApp();
  app->saveFolder = dir.EnginePath("");
  menu = static_cast<CSystemMenu*>(app->systemMenu.get());
  FontListPort fonts;
  menu->BuildTree(fonts);
  Game().loadAllowed = 0;
  Game().LoadConfigAndBuildMenu(*app);
  EXPECT_FALSE(RootEnabled(0));
  EXPECT_FALSE(RootEnabled(1));
}

// Through the menu as the player uses it: opened over the game, Save, slot
// 4, Enter; the command then runs on the game's own picture.
TEST_F(MenuSlotItemsTest, ASaveChosenInTheMenuIsListedWithAThumbnailWithoutThePanel) {
  display_ = std::make_unique<FakeMenuDisplay>(kLandscape);
  Start();
  Game().ResetForNewGame();
  std::strcpy(Game().saves.captured.header.scriptName, "main.txt");
  std::uint16_t* pixels = app->backBuffer->GetPixels();
  std::fill(pixels, pixels + app->backBuffer->GetWidth() * app->backBuffer->GetHeight(), std::uint16_t{0x07E0});
  const std::vector<std::uint8_t> before = display_->Memory();

  ASSERT_TRUE(menu->Open(app->GetWindow()));
  auto press = [&](InputWord key) {
    InputState input;
    input[key] = 1;
    menu->HandleInput(app->GetWindow(), input);
  };
  press(INPUT_DOWN);
  press(INPUT_DOWN);  // "ｾｰﾌﾞ"
  press(INPUT_RIGHT);
  for (int i = 0; i < 4; ++i) press(INPUT_DOWN);  // the fourth slot
  press(INPUT_C);
  EXPECT_FALSE(menu->IsOpen());
  EXPECT_EQ(display_->Memory(), before) << "the panel is gone before the command runs";
  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_COMMAND));
  EXPECT_EQ(message.wParam & 0xFFFF, 40035u);
  app->HandleMessage(app->GetWindow(), message.message, message.wParam, message.lParam);

  EXPECT_EQ(std::string(Item(40020).text), "2026-12-11 12:34:56");
  EXPECT_TRUE(Enabled(40020) && Checked(40020) && Checked(40035));
  const MenuItem& item = Item(40020);
  ASSERT_NE(item.icon, nullptr);
  for (std::uint16_t pixel : item.icon->pixels) ASSERT_EQ(pixel, 0x07E0) << "only the game's picture";
}

// The player presses B while the save file is being written: the key waits
// in the queue, so the menu opens over a finished save with its new item.
TEST_F(MenuSlotItemsTest, AKeyDuringASavesWritesOpensTheMenuOnlyAfterTheSave) {
  display_ = std::make_unique<FakeMenuDisplay>(kLandscape);
  Start();
  Game().ResetForNewGame();
  std::strcpy(Game().saves.captured.header.scriptName, "main.txt");
  app->options[KEY_CEN_CTRL] = 1;
  int openDuringWrite = -1;
  HostRunAtCall("WriteFile", [&] {
    PostMessageW(app->GetWindow(), WM_KEYDOWN, 'X', 0);
    openDuringWrite = static_cast<int>(menu->IsOpen());
  });
  EXPECT_EQ(Game().SaveGame(5), 1);
  HostClearFailures();
  EXPECT_EQ(openDuringWrite, 0);
  EXPECT_FALSE(menu->IsOpen());

  MSG message;
  ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(message.message, static_cast<UINT>(WM_KEYDOWN));
  app->HandleMessage(app->GetWindow(), message.message, message.wParam, message.lParam);
  EXPECT_TRUE(menu->IsOpen());
  SaveFile written;
  const std::string bytes = dir.ReadFile(SaveFileName(5)).value_or("");
  EXPECT_TRUE(DecodeSaveFile(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), written));
  EXPECT_EQ(std::string(Item(40022).text), written.header.timeStamp);
  EXPECT_TRUE(Enabled(40022) && Checked(40022));
}

}  // namespace
