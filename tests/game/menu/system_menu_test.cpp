#include "game/menu/system_menu.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/menu/menu_fixture.h"
#include "host/text/wide_text.h"

namespace {

constexpr MenuDisplay kLandscape{640, 480, 2, 960};

class ThreeFonts : public FontListPort {
 public:
  std::uint32_t Count() const override { return static_cast<std::uint32_t>(names.size()); }
  const char* Name(std::uint32_t index) const override { return index < names.size() ? names[index].c_str() : ""; }
  std::vector<std::string> names = {"Alpha", "Beta", "Gamma"};
};

std::string Sjis(const char* utf8) {
  std::string out;
  ShiftJisFromUtf8(utf8, &out);
  return out;
}

class SystemMenuTest : public MenuTest {
 protected:
  void SetUp() override {
    MenuTest::SetUp();
    SetScreenWidth(kLandscape.screenWidth);
    SetScreenHeight(kLandscape.screenHeight);
    display_ = std::make_unique<FakeMenuDisplay>(kLandscape);
    menu.BuildTree(fonts);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  MenuItem& Item(std::uint32_t id) {
    MenuItem* item = menu.Item(nullptr, id);
    EXPECT_NE(item, nullptr) << id;
    return *item;
  }
  bool Checked(std::uint32_t id) { return (Item(id).flags & kMenuChecked) != 0; }
  bool Enabled(std::uint32_t id) { return (Item(id).flags & kMenuEnabled) != 0; }
  // The commands posted so far.
  static std::vector<std::uint32_t> Posted() {
    std::vector<std::uint32_t> ids;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_COMMAND) ids.push_back(static_cast<std::uint32_t>(message.wParam & 0xFFFF));
    }
    return ids;
  }

  // The menu's state after a case; an open menu is then closed by B, which
  // marks the key used.
  void ExpectState(const char* what, int open, int depth, int highlight, const std::vector<std::uint32_t>& posted) {
    EXPECT_EQ(static_cast<int>(menu.IsOpen()), open) << what;
    if (open) {
      EXPECT_EQ(menu.Depth(), depth) << what;
      EXPECT_EQ(menu.Highlighted(), highlight) << what;
      InputState close;
      close[INPUT_B] = 1;
      menu.HandleInput(nullptr, close);
      EXPECT_EQ(close[INPUT_B], 2u) << what;
    }
    EXPECT_EQ(Posted(), posted) << what;
  }

  ThreeFonts fonts;
  CSystemMenu menu;
  ConfigOptions options;
};

void Walk(const MenuNode* node, std::vector<std::uint32_t>& ids, std::uint32_t& largest) {
  largest = std::max(largest, node->count);
  for (std::uint32_t i = 0; i < node->count; ++i) {
    if (node->items[i].kind == kMenuCommand) ids.push_back(node->items[i].id);
    if (node->items[i].kind == kMenuSubmenu) {
      EXPECT_NE(node->items[i].child, nullptr) << node->items[i].text;
      if (node->items[i].child != nullptr) Walk(node->items[i].child, ids, largest);
    }
  }
}

TEST_F(SystemMenuTest, TreeHoldsEveryCommandOnce) {
  ASSERT_NE(menu.Root(), nullptr);
  EXPECT_EQ(menu.Root()->count, 13u);
  std::vector<std::uint32_t> ids;
  std::uint32_t largest = 0;
  Walk(menu.Root(), ids, largest);
  EXPECT_EQ(largest, 15u);
  EXPECT_EQ(std::set<std::uint32_t>(ids.begin(), ids.end()).size(), ids.size()) << "no id twice";
  EXPECT_EQ(ids.size(), 15u + 15 + 3 + 1 + 1 + 10 * 5 + 3 + 1 + 3 + 2 + 2 + 1 + 7 + 5 + 4 + 3 + 5 + 10 + 22 + 2 + 2 + 2 + 3);
  struct Text {
    std::uint32_t id;
    std::string text;
  } texts[] = {
      {40017, "LOAD_001"},  {40046, "SAVE_015"},   {40224, "SAVE_AUTO_03"},  {40126, "100%"},
      {40135, "10%"},       {40180, "Gamma"},      {40234, Sjis("LEVEL9(激遅)")}, {40236, Sjis("基準：400ms")},
      {40254, Sjis("文字：90ms")}, {40007, Sjis("終了")}, {40162, Sjis("見ちゃダメお兄ちゃん！")},
  };
  for (const Text& t : texts) EXPECT_EQ(Item(t.id).text, t.text) << t.id;
  EXPECT_EQ(menu.Item(nullptr, 40181), nullptr) << "one item per font";
  EXPECT_EQ(std::string(menu.Root()->items[0].text), Sjis("ﾛｰﾄﾞ"));
}

TEST_F(SystemMenuTest, SettersStoreTheWordAndMarkTheirGroup) {
  struct Case {
    ConfigWord word;
    std::uint32_t value;
    std::uint32_t stored;
    std::uint32_t first;
    std::uint32_t count;
    std::uint32_t checked;  // 0 for none
  } cases[] = {
      {MASTER_VOL, 55, 55, 40126, 10, 0},        {MASTER_VOL, 10, 10, 40126, 10, 40135},
      {MASTER_VOL, 100, 100, 40126, 10, 40126},  {MOV_VOL, 50, 50, 40136, 10, 40141},
      {SAOUND_QUALITY, 5, 0, 40258, 2, 40258},   {SAOUND_QUALITY, 1, 1, 40258, 2, 40259},
      {TRANS_MODE, 4, 4, 40051, 4, 0},           {TRANS_MODE, 3, 3, 40051, 4, 40054},
      {VOICE_CUT_MODE, 3, 0, 40193, 3, 40193},   {MES_LOG_START, 2, 0, 40220, 2, 40220},
      {MESSAGE_SPEED, 5, 5, 40225, 10, 40230},   {KEY_CEN_CTRL, 6, 6, 40163, 6, 0},
      {PCM, 1, 1, 40068, 1, 40068},              {PCM, 0, 0, 40068, 1, 0},
      {MESSAGE_AUTO, 7, 7, 40205, 1, 40205},
  };
  for (const Case& c : cases) {
    menu.SetOption(options, c.word, c.value);
    EXPECT_EQ(options[c.word], c.stored) << c.word << " " << c.value;
    for (std::uint32_t id = c.first; id < c.first + c.count; ++id) {
      EXPECT_EQ(Checked(id), id == c.checked) << c.word << " " << c.value << " item " << id;
    }
  }
}

TEST_F(SystemMenuTest, TogglesEnableTheirItemUnlessTheTableSaysNot) {
  menu.SetEnabled(nullptr, 40068, 0);
  menu.SetEnabled(nullptr, 40049, 0);
  menu.SetOption(options, PCM, 0);
  menu.SetOption(options, EFFECT_USE, 1);
  EXPECT_TRUE(Enabled(40068));
  EXPECT_FALSE(Enabled(40049));
  EXPECT_TRUE(Checked(40049));
}

TEST_F(SystemMenuTest, MessageFontItemIsCheckedAndDisabled) {
  menu.SetMessageFont(options, 3, 1);
  EXPECT_EQ(options[MESSAGE_FONT_INDEX], 1u);
  EXPECT_TRUE(Checked(40179));
  EXPECT_FALSE(Enabled(40179));
  for (std::uint32_t id : {40178u, 40180u}) {
    EXPECT_FALSE(Checked(id));
    EXPECT_TRUE(Enabled(id));
  }
  menu.SetMessageFont(options, 0, 2);
  EXPECT_EQ(options[MESSAGE_FONT_INDEX], 2u);
}

TEST_F(SystemMenuTest, LoadAndSaveEntriesAndTheSaveAllowedWord) {
  struct Case {
    int load, save;
    bool loadOn, saveOn;
    std::uint32_t out;
  } cases[] = {{0, 1, false, false, 77}, {1, 1, true, true, 1}, {1, 0, true, false, 0}};
  for (const Case& c : cases) {
    std::uint32_t out = 77;
    menu.SetLoadSaveEnabled(&out, c.load, c.save);
    EXPECT_EQ((menu.Root()->items[0].flags & kMenuEnabled) != 0, c.loadOn);
    EXPECT_EQ((menu.Root()->items[1].flags & kMenuEnabled) != 0, c.saveOn);
    EXPECT_EQ(out, c.out) << "the out word is left alone when loading is off";
    EXPECT_EQ(menu.SaveAllowed(), c.load ? static_cast<std::uint32_t>(c.save) : 0u);
  }
}

TEST_F(SystemMenuTest, ItemEnablingClearsTheCheckAndSlotMarksFollowTheSaves) {
  menu.SetChecked(nullptr, kPreviousChoiceItem, 1);
  menu.SetItemEnabled(kPreviousChoiceItem, 0);
  EXPECT_FALSE(Enabled(kPreviousChoiceItem));
  EXPECT_FALSE(Checked(kPreviousChoiceItem));
  const std::uint32_t used[15] = {1, 0, 1};
  menu.MarkSaveSlots(40017, 40032, used, 2);
  EXPECT_TRUE(Enabled(40017));
  EXPECT_FALSE(Enabled(40018));
  EXPECT_TRUE(Checked(40019));
  EXPECT_TRUE(Checked(40034));
  EXPECT_FALSE(Checked(40017));
  EXPECT_TRUE(Enabled(40046));
  const std::uint32_t quick[3] = {0, 1, 0};
  menu.MarkQuickSaveSlots(40222, quick, 1);
  EXPECT_FALSE(Enabled(40222));
  EXPECT_TRUE(Enabled(40223) && Checked(40223));
}

// One frame of input after the given moves; the keys are fresh presses.
struct InputCase {
  const char* what;
  std::vector<InputWord> keys;  // one key per frame
  int open;
  int depth;
  int highlight;
  std::vector<std::uint32_t> posted;
};

TEST_F(SystemMenuTest, KeysDriveTheMenu) {
  const InputCase cases[] = {
      {"B closes", {INPUT_B}, 0, 0, -1, {}},
      {"left at the root closes", {INPUT_LEFT}, 0, 0, -1, {}},
      {"A at the root closes", {INPUT_A}, 0, 0, -1, {}},
      {"down highlights the first item", {INPUT_DOWN}, 1, 0, 0, {}},
      {"up wraps to the last item", {INPUT_UP}, 1, 0, 12, {}},
      {"up skips separators", {INPUT_UP, INPUT_UP, INPUT_UP, INPUT_UP}, 1, 0, 7, {}},
      {"right enters a submenu", {INPUT_DOWN, INPUT_RIGHT}, 1, 1, -1, {}},
      {"left goes back", {INPUT_DOWN, INPUT_RIGHT, INPUT_LEFT}, 1, 0, 0, {}},
      {"C on a submenu closes without a command", {INPUT_DOWN, INPUT_C}, 0, 0, -1, {}},
      {"C without a highlight does nothing", {INPUT_C}, 1, 0, -1, {}},
      {"right on a command posts it", {INPUT_UP, INPUT_RIGHT}, 0, 0, -1, {40007}},
      {"C in a submenu posts", {INPUT_DOWN, INPUT_RIGHT, INPUT_DOWN, INPUT_DOWN, INPUT_C}, 0, 0, -1, {40018}},
  };
  for (const InputCase& c : cases) {
    ASSERT_EQ(menu.Open(nullptr), 1) << c.what;
    EXPECT_EQ(menu.Open(nullptr), 0) << "already open";
    for (InputWord key : c.keys) {
      InputState input;
      input[key] = 1;
      menu.HandleInput(nullptr, input);
      EXPECT_NE(input[key], 1u) << c.what << ": the press is used";
    }
    ExpectState(c.what, c.open, c.depth, c.highlight, c.posted);
  }
}

TEST_F(SystemMenuTest, StylusDrivesTheMenu) {
  struct Tap {
    int x, y;
    int released;
  };
  struct Case {
    const char* what;
    std::vector<Tap> taps;
    int open;
    int depth;
    int highlight;
    std::vector<std::uint32_t> posted;
  } cases[] = {
      {"a press on an item highlights it", {{20, 36, 0}}, 1, 0, 0, {}},
      {"a release outside closes", {{630, 400, 1}}, 0, 0, -1, {}},
      {"a release on a submenu enters it", {{20, 36, 1}}, 1, 1, -1, {}},
      {"a release on the title goes back", {{20, 36, 1}, {20, 10, 1}}, 1, 0, 0, {}},
      {"a release on the title at the root closes", {{20, 10, 1}}, 0, 0, -1, {}},
      {"a release on a command posts it", {{20, 34 + 13 * 12 + 3, 1}}, 0, 0, -1, {40007}},
      {"a separator is not highlighted", {{20, 36, 0}, {20, 34 + 13 * 4 + 3, 0}}, 1, 0, -1, {}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(menu.Open(nullptr), 1) << c.what;
    for (const Tap& tap : c.taps) {
      InputState input;
      input[INPUT_STYLUS_X] = static_cast<std::uint32_t>(tap.x);
      input[INPUT_STYLUS_Y] = static_cast<std::uint32_t>(tap.y);
      input[INPUT_TAP] = 1;
      input[INPUT_RELEASED] = static_cast<std::uint32_t>(tap.released);
      menu.HandleInput(nullptr, input);
      EXPECT_EQ(input[INPUT_TAP], 0u);
    }
    ExpectState(c.what, c.open, c.depth, c.highlight, c.posted);
  }
}

TEST_F(SystemMenuTest, FontItemsKeepADoubleByteCharacterWhole) {
  struct Case {
    std::string name;
    std::size_t length;
  } cases[] = {
      {std::string(23, 'a') + "\x82\xA0" + "zz", 25},  // a character at bytes 24 and 25
      {std::string(30, 'a'), 24},
      {std::string(22, 'a') + "\x82\x82" + "zz", 24},  // its trail byte at 24 looks like a lead byte
      {std::string(21, 'a') + "\x82\xA0\x82\xA0" + "zz", 25},
      {std::string(23, 'a') + "\x82", 24},             // a lead byte before the NUL
  };
  for (const Case& c : cases) {
    fonts.names = {c.name};
    CSystemMenu fresh;
    fresh.BuildTree(fonts);
    EXPECT_EQ(std::string(fresh.Item(nullptr, kFirstFontItem)->text), c.name.substr(0, c.length));
  }
}

}  // namespace
