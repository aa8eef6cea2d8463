// The menu's marks right after start-up, from a settings file with values in
// and out of their groups' ranges, and the slot and switch marks the game
// adds.
#include <gtest/gtest.h>

#include "engine/settings/settings_fixture.h"
#include "game/game.h"
#include "game/menu/system_menu.h"

namespace {

class MenuStartupTest : public SettingsTest {
 protected:
  // The real menu and game on the settings fixture's engine object.
  CSystemMenu& StartWithMenu(const std::string& file) {
    dir_.WriteFile("pelmo.cfg", file);
    ClearProfileCache();
    app = MakeApp(false, {"Alpha", "Beta", "Gamma"});
    app->systemMenu = std::make_unique<CSystemMenu>();
    app->game = std::make_unique<CGame>(*app);
    app->saveFolder = dir_.EnginePath("");
    app->LoadConfigAndBuildMenu();
    return static_cast<CSystemMenu&>(*app->systemMenu);
  }
  std::unique_ptr<CGameApp> app;
};

TEST_F(MenuStartupTest, MarksFollowTheFileAndOutOfRangeGroupsStayUnmarked) {
  CSystemMenu& menu = StartWithMenu(
      "[MUSIC_CONFIG]\r\nMASTER_VOL=55\r\nMUSIC_VOL=5\r\nPCM=0\r\nSAOUND_QUALITY=1\r\nOGG_USE_LEVEL=3\r\n"
      "[VOICE_CONFIG]\r\nVOICE_CUT_MODE=7\r\nVOICE_VOL=30\r\n"
      "[MESSAGE_CONFIG]\r\nTRANS_MODE=4\r\nMESSAGE_SPEED=5\r\nMESSAGE_AUTO_BASE=12\r\nMES_LOG_START=1\r\n"
      "[SYSTEM_CONFIG]\r\nKEY_CEN_CTRL=9\r\nKET_CUR_MODE=2\r\nMESSAGE_FONT_NAME=beta\r\n");
  auto checkedIn = [&](std::uint32_t first, std::uint32_t count) {
    std::vector<std::uint32_t> ids;
    for (std::uint32_t id = first; id < first + count; ++id) {
      if (menu.Item(nullptr, id)->flags & kMenuChecked) ids.push_back(id);
    }
    return ids;
  };
  using Ids = std::vector<std::uint32_t>;
  struct Group {
    const char* what;
    std::uint32_t first, count;
    Ids checked;
  } groups[] = {
      {"master 55: kept, no item", 40126, 10, {}},
      {"music 5: read as 100", 40069, 10, {40069}},
      {"voice 30", 40079, 10, {40086}},
      {"music off", 40068, 1, {}},
      {"sound quality as the device opened", 40258, 2, {40259}},
      {"Ogg level 3: stored as 0", 40260, 2, {40260}},
      {"voice cut 7: stored as 0", 40193, 3, {40193}},
      {"anti-alias 4: kept, no item", 40051, 4, {}},
      {"speed 5", 40225, 10, {40230}},
      {"auto base 12: kept, no item", 40235, 10, {}},
      {"log start 1", 40220, 2, {40221}},
      {"centre key 9: kept, no item", 40163, 6, {}},
      {"cursor mode 2", 40120, 5, {40122}},
      {"font: the listed spelling's item", 40178, 3, {40179}},
  };
  for (const Group& group : groups) EXPECT_EQ(checkedIn(group.first, group.count), group.checked) << group.what;
  EXPECT_FALSE(menu.Item(nullptr, 40179)->flags & kMenuEnabled);
  EXPECT_EQ(app->options[MASTER_VOL], 55u);
  EXPECT_EQ(app->options[TRANS_MODE], 4u);
  // The title's switches: Load as allowed, Save and the previous choice off;
  // no save yet, so nothing to load.
  EXPECT_TRUE(menu.Root()->items[0].flags & kMenuEnabled);
  EXPECT_FALSE(menu.Root()->items[1].flags & kMenuEnabled);
  EXPECT_FALSE(menu.Item(nullptr, kPreviousChoiceItem)->flags & kMenuEnabled);
  EXPECT_FALSE(menu.Item(nullptr, 40017)->flags & kMenuEnabled);
  EXPECT_EQ(checkedIn(40017, 15), Ids{});
}

}  // namespace
