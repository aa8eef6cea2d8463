// Every pop-up menu command against the command table kept as test data:
// each id's item text, the setter it reaches with its word and value, and
// its side effects; the tree and the table list the same ids.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "host/text/wide_text.h"
#include "menu_game_fixture.h"

namespace {

struct CommandRow {
  std::uint32_t id;
  std::string text;
  std::string setter;
  std::string key;
  std::string value;
  std::vector<std::string> effects;
};

std::vector<CommandRow> CommandTable() {
  std::ifstream file(std::string(NOVEL_TEST_DATA_DIR) + "/menu/menu_commands.tsv");
  std::vector<CommandRow> rows;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    CommandRow row;
    std::string id, effects;
    std::getline(fields, id, '\t');
    std::getline(fields, row.text, '\t');
    std::getline(fields, row.setter, '\t');
    std::getline(fields, row.key, '\t');
    std::getline(fields, row.value, '\t');
    std::getline(fields, effects, '\t');
    row.id = static_cast<std::uint32_t>(std::stoul(id));
    std::istringstream list(effects);
    for (std::string effect; std::getline(list, effect, ';');) {
      if (effect != "-") row.effects.push_back(effect);
    }
    rows.push_back(row);
  }
  return rows;
}

ConfigWord WordOf(const std::string& key) { return static_cast<ConfigWord>(FindConfigRule(key.c_str())->target); }

void CommandIds(const MenuNode* node, std::set<std::uint32_t>& ids) {
  for (std::uint32_t i = 0; i < node->count; ++i) {
    const MenuItem& item = node->items[i];
    if (item.kind == kMenuCommand) {
      EXPECT_TRUE(ids.insert(item.id).second) << item.id;
    }
    if (item.child != nullptr) CommandIds(item.child, ids);
  }
}

class MenuCommandTest : public MenuGameTest {
 protected:
  // Toggles off; every other setting outside its group, so no item is
  // checked and every command reaches its setter.
  void StartFromUnmarkedSettings() {
    const std::vector<CommandRow> table = CommandTable();
    for (const CommandRow& row : table) {
      if (row.key == "-") continue;
      const ConfigWord word = WordOf(row.key);
      const bool toggle = std::count_if(table.begin(), table.end(), [&](const CommandRow& r) { return r.key == row.key; }) == 1;
      if (row.key == "MESSAGE_FONT_NAME") {
        app->options[word] = 77;
      } else {
        menu->SetOption(app->options, word, toggle ? 0 : 77);
      }
    }
    SetLatches();
    app->dirtyList->Clear();
    HostCallLogTake();
    Posted();
  }
  void SetLatches() {
    for (int latch = INPUT_LATCH_FIRST; latch <= INPUT_LATCH_LAST; ++latch) app->input[static_cast<InputWord>(latch)] = 1;
  }
  // The effects the engine's state shows, after those the log shows; then
  // the dirty list emptied and the latches set again.
  std::vector<std::string> StateEffects() {
    std::vector<std::string> effects;
    RECT rect;
    if (app->dirtyList->Count() == 1 && app->dirtyList->GetAt(0, &rect) == 1 && rect.left == 0 && rect.top == 0 &&
        rect.right == static_cast<LONG>(app->backBuffer->GetWidth()) &&
        rect.bottom == static_cast<LONG>(app->backBuffer->GetHeight())) {
      effects.push_back("Redraw");
    }
    if (app->input[INPUT_LATCH_FIRST] == 0 && app->input[INPUT_LATCH_LAST] == 0) effects.push_back("ClearLatches");
    for (UINT message : Posted()) effects.push_back(message == WM_CLOSE ? "WM_CLOSE" : std::to_string(message));
    if (!app->windowActive) effects.push_back("Deactivate");
    app->dirtyList->Clear();
    SetLatches();
    return effects;
  }
};

TEST_F(MenuCommandTest, TreeAndTableListTheSameCommandsWithTheSameTexts) {
  std::set<std::uint32_t> inTree;
  CommandIds(menu->Root(), inTree);
  std::set<std::uint32_t> inTable;
  for (const CommandRow& row : CommandTable()) {
    EXPECT_TRUE(inTable.insert(row.id).second) << row.id;
    std::string sjis;
    ASSERT_TRUE(ShiftJisFromUtf8(row.text.c_str(), &sjis)) << row.id;
    EXPECT_EQ(std::string(Item(row.id).text), sjis) << row.id;
  }
  EXPECT_EQ(inTree, inTable);
  EXPECT_EQ(inTable.size(), 162u);
}

TEST_F(MenuCommandTest, EveryCommandReachesItsSetterAndSideEffects) {
  for (const CommandRow& row : CommandTable()) {
    SCOPED_TRACE(row.id);
    SetUp();
    StartFromUnmarkedSettings();
    const ConfigOptions before = app->options;
    Dispatch(row.id);
    std::vector<std::string> effects = Taken();
    if (row.key != "-") {
      const auto setter = std::find_if(effects.begin(), effects.end(),
                                       [](const std::string& line) { return line.rfind("Set ", 0) == 0; });
      ASSERT_NE(setter, effects.end());
      const std::string call = *setter;
      effects.erase(setter);
      const ConfigWord word = WordOf(row.key);
      EXPECT_EQ(call.rfind("Set " + row.key + " " + row.value, 0), 0u) << call;
      EXPECT_EQ(std::to_string(app->options[word]), row.value);
      ConfigOptions others = app->options;
      others[word] = before[word];
      EXPECT_EQ(others.words, before.words) << "only its own word changes";
      EXPECT_TRUE(Checked(row.id)) << "the chosen item carries the mark";
      if (row.setter == "SetMessageFont") {
        EXPECT_FALSE(Enabled(row.id)) << "the chosen font cannot be chosen again";
      }
    } else {
      EXPECT_EQ(app->options.words, before.words);
    }
    const std::vector<std::string> state = StateEffects();
    effects.insert(effects.end(), state.begin(), state.end());
    EXPECT_EQ(effects, row.effects);
    TearDown();
  }
}

TEST_F(MenuCommandTest, IdsNoItemCarriesDoNothing) {
  StartFromUnmarkedSettings();
  const ConfigOptions before = app->options;
  // Between two groups, below and above the range, a font not listed, and
  // a 16-bit id whose high word the window procedure drops.
  for (std::uint32_t id : {40050u, 40006u, 40333u, 40181u, 40192u, 0u, 0x10000u + 40050u}) {
    SCOPED_TRACE(id);
    Dispatch(id);
    EXPECT_EQ(Taken(), std::vector<std::string>{});
    EXPECT_EQ(StateEffects(), std::vector<std::string>{});
    EXPECT_EQ(app->options.words, before.words);
  }
}

TEST_F(MenuCommandTest, ChoosingTheCurrentLevelStillRedrawsAndClearsTheLatches) {
  using Lines = std::vector<std::string>;
  StartFromUnmarkedSettings();
  menu->SetOption(app->options, TRANS_MODE, 2);
  menu->SetOption(app->options, KET_CUR_MODE, 1);
  menu->SetOption(app->options, DISP_FREE_MODE, 2);
  HostCallLogTake();
  Dispatch(40053);
  EXPECT_EQ(Taken(), Lines{}) << "no setter for the level already set";
  EXPECT_EQ(StateEffects(), Lines{"Redraw"});
  Dispatch(40121);
  EXPECT_EQ(Taken(), Lines{});
  EXPECT_EQ(StateEffects(), Lines{"ClearLatches"});
  Dispatch(40162);
  EXPECT_EQ(Taken(), Lines{});
  EXPECT_TRUE(Checked(40053));
  EXPECT_TRUE(Checked(40121));
  EXPECT_TRUE(Checked(40162));
}

TEST_F(MenuCommandTest, ExitStopsAPlayingMovieFirst) {
  app->backBuffer->AttachMovie(std::make_unique<CMoviePlayer>());
  Dispatch(40007);
  EXPECT_EQ(Taken(), (std::vector<std::string>{"StopMovie", "StopAllSounds"}));
  EXPECT_EQ(Posted(), std::vector<UINT>{WM_CLOSE});
}

TEST_F(MenuCommandTest, TogglesFlipBackAndForth) {
  StartFromUnmarkedSettings();
  Dispatch(40196);
  Dispatch(40196);
  EXPECT_EQ(app->options[VGA_QUALITY], 0u);
  EXPECT_FALSE(Checked(40196));
  app->options[PCM] = 2;  // "on" as a fresh file has it
  Dispatch(40068);
  EXPECT_EQ(app->options[PCM], 0u);
  EXPECT_FALSE(Checked(40068));
}

}  // namespace
