// The scene recollection: its built-in table, what the globals unlock, its
// ring and links, the fade to black over the mixer and the replay that
// comes back to the screen.
#include "game/extras/recollection_screen.h"

#include <cstring>
#include <set>

#include "engine/pictures/picture_part_slots.h"
#include "engine/sound/sound_mixer.h"
#include "game/extras/recollection_table.h"
#include "game/script/script_interpreter.h"
#include "tests/engine/sound/sound_test_support.h"
#include "tests/game/extras/extras_fixture.h"

namespace {

// Ends a replayed scene the way the game's scenes do.
const std::string kReplayEnd = std::string("<Mov ") + kRecollectionVariable + ",1><Return>";

class RecollectionTest : public ExtrasTest {
 protected:
  void SetUp() override {
    ExtrasTest::SetUp();
    engine->mixer = std::make_unique<CSoundMixer>();
    engine->bgmFolder = dir.EnginePath("");
    engine->options[MEM_STREAM] = 1;  // the fake decoder reads whole files
    FakeSound tone;
    tone.frames = 22050 * 5;
    dir.WriteFile("20.ogg", FakeImage(tone));
  }
  void TearDown() override {
    if (engine) engine->mixer.reset();
    ExtrasTest::TearDown();
  }
  void OpenTab(std::uint32_t tab) {
    game->extras.recollectionTab = tab;
    Open(0, 0, SCENE_RECOLLECTION);
  }
  void SetGlobal(const char* name, std::int32_t value) { game->Interpreter().SetVariable(name, value); }
  std::uint32_t Cursor() const { return game->extras.recollectionCursor; }
  const RecollectionPage& Page() const { return game->extras.recollection; }
  // Position k tapped twice: the fade begins at the clock's time.
  void Choose(std::uint32_t k) {
    TapCell(k);
    TapCell(k);
    ASSERT_EQ(Sub(), 20u);
  }
  // Through the fade to the start of the scene at ms.
  void FinishFadeAt(std::uint32_t ms) {
    HostClockSetVirtualNow(ms);
    Frame();
    ASSERT_EQ(Sub(), 21u);
    Frame();
  }
  std::string PortraitName() const {
    const CImage* portrait = engine->pictureSlots.Get(12);
    return portrait != nullptr ? portrait->name : "";
  }

  FakeOggPlugin fakeDecoder;
};

TEST(RecollectionTable, HoldsTheTwentyFourScenesInOrderWithTheirGlobals) {
  std::set<std::int32_t> identifiers;
  std::int32_t previous = -1;
  std::size_t records = 0;
  for (const RecollectionRecord* r = gRecollectionTable; r->identifier != -1; ++r, ++records) {
    EXPECT_GT(r->identifier, previous);
    previous = r->identifier;
    identifiers.insert(r->identifier);
    EXPECT_EQ(std::string(r->variable), std::string("g_") + r->script);
    EXPECT_LT(std::strlen(r->script) + 4, 24u) << r->script;  // with ".txt", a script name field
  }
  EXPECT_EQ(records, 24u);
  const std::set<std::int32_t> kPositions = {0, 1, 2, 14, 15, 16, 17, 18, 30, 31, 32, 33,
                                             34, 46, 47, 48, 49, 62, 63, 64, 65, 78, 79, 80};
  EXPECT_EQ(identifiers, kPositions);
}

TEST_F(RecollectionTest, GlobalsUnlockScenesAndOnlyTheTablesPositionsGetFrames) {
  struct Case {
    std::uint32_t tab;
    const char* global;  // null: none set
    std::int32_t value;
    std::vector<std::uint32_t> framed;
    std::vector<std::uint32_t> unlocked;
  };
  const Case kCases[] = {
      {0, nullptr, 0, {0, 1, 2, 14, 15}, {}},
      {3, nullptr, 0, {0, 1, 14, 15}, {}},
      {5, "g_EDB001", 1, {0}, {0}},
      {5, "g_EDB001", 0, {0}, {}},
      {5, "g_EDB001x", 1, {0}, {}},
      {5, "EDB001", 1, {0}, {}},  // a local of the same stem is another variable
      {0, "g_EDY", -3, {0, 1, 2, 14, 15}, {15}},
      {2, "g_EDB004", 1, {0, 1, 2, 14, 15}, {14}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.tab) + " " + (c.global ? c.global : "-"));
    game->Interpreter().Variables().ClearGlobals();
    game->Interpreter().Variables().ClearLocals();
    if (c.global != nullptr) SetGlobal(c.global, c.value);
    OpenTab(c.tab);
    EXPECT_EQ(Page().entryCount, 16u);
    for (std::uint32_t k = 0; k < 16; ++k) {
      const bool framed = std::count(c.framed.begin(), c.framed.end(), k) != 0;
      const bool unlocked = std::count(c.unlocked.begin(), c.unlocked.end(), k) != 0;
      EXPECT_EQ(Page().absent[k], framed ? 0u : 1u) << k;
      EXPECT_EQ(Sprite(80 + static_cast<int>(k)) != nullptr, framed) << k;
      EXPECT_EQ(Sprite(96 + static_cast<int>(k)) != nullptr, framed) << k;
      EXPECT_EQ(Page().unlocked[k], unlocked ? 1u : 0u) << k;
      EXPECT_EQ(Sprite(64 + static_cast<int>(k)) != nullptr, unlocked) << k;
    }
    char portrait[40];
    std::snprintf(portrait, sizeof portrait, "chara_change_mem_chara0%u.rbp", c.tab + 1);
    EXPECT_EQ(PortraitName(), portrait);
  }
}

TEST_F(RecollectionTest, TheRingSkipsLockedScenesTheCurrentTabAndTheOwnButton) {
  struct Case {
    std::uint32_t tab;
    std::size_t key;
    std::vector<std::uint32_t> cursors;
  };
  const Case kCases[] = {
      {0, ACTION_DOWN, {17, 18, 19, 20, 21, 22, 23, 25, 17}},
      {0, ACTION_UP, {25, 23, 22, 21, 20, 19, 18, 17, 25}},
      {5, ACTION_DOWN, {0, 16, 17, 18, 19, 20, 22, 23, 25, 0}},
  };
  SetGlobal("g_EDB001", 1);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.tab);
    OpenTab(c.tab);
    for (const std::uint32_t expected : c.cursors) {
      Press(c.key);
      EXPECT_EQ(Cursor(), expected);
    }
  }
  // Taps on a locked scene and on the screen's own button take no cursor.
  OpenTab(0);
  TapCell(0);
  EXPECT_EQ(Cursor(), kNoCursor);
  TapDesign(384 + 2 * 104 + 50, 570);
  EXPECT_EQ(Cursor(), kNoCursor);
}

TEST_F(RecollectionTest, ButtonsLeaveTabsRebuildAndTheScreenReopensOnItsTab) {
  struct Case {
    std::uint32_t button, scene, subState;
  };
  const Case kCases[] = {{0, SCENE_CG_GALLERY, 0}, {1, SCENE_MUSIC_ROOM, 0}, {3, SCENE_TITLE, 30}};
  for (const Case& c : kCases) {
    OpenTab(0);
    TapDesign(26 + 72 * 4 + 30, 500);
    TapDesign(26 + 72 * 4 + 30, 500);
    EXPECT_EQ(game->extras.recollectionTab, 4u);
    EXPECT_EQ(PortraitName(), "chara_change_mem_chara05.rbp");
    EXPECT_EQ(Cursor(), kNoCursor);
    EXPECT_EQ(Sub(), 2u);
    const std::int32_t x = 384 + 104 * static_cast<std::int32_t>(c.button) + 50;
    TapDesign(x, 570);
    TapDesign(x, 570);
    EXPECT_EQ(engine->sceneState, c.scene);
    EXPECT_EQ(Sub(), c.subState);
  }
  game->SetSceneState(SCENE_RECOLLECTION, 0);
  Frame();
  EXPECT_EQ(PortraitName(), "chara_change_mem_chara05.rbp");
  // The title's way into the gallery starts the recollection on tab 0 again.
  engine->sceneState = SCENE_CG_GALLERY;
  game->ClearExtrasSelection();
  EXPECT_EQ(game->extras.recollectionTab, 0u);
}

TEST_F(RecollectionTest, TheFadeIgnoresInputStopsEverySoundAndStartsTheScene) {
  struct Case {
    bool music;
  };
  for (const Case& c : {Case{true}, Case{false}}) {
    SCOPED_TRACE(c.music);
    WriteScripts({{"EVY020.txt", "<Mov started,1>[hold]<TW 100000>"}});
    SetGlobal("g_EVY020", 1);
    game->Interpreter().SetVariable("old_local", 5);
    OpenTab(0);
    game->sound.ClearRecords();
    if (c.music) {
      game->sound.PlayMusic("20", 0, 1);
    } else {
      engine->mixer->Play(0, "20", dir.EnginePath(""), nullptr, 100, 0, 1, 1, 1);  // no record
    }
    engine->mixer->Play(10, "20", dir.EnginePath(""), nullptr, 100, 0, 0, 1, 1);
    ASSERT_NE(engine->mixer->GetChannel(0), nullptr);
    HostClockSetVirtualNow(20000);
    Choose(0);
    ASSERT_NE(Sprite(1), nullptr);
    EXPECT_EQ(Sprite(1)->priority, 1);
    EXPECT_EQ(Sprite(1)->node.opacity, 0);
    EXPECT_EQ(game->sound.music.playing, 0u);
    EXPECT_EQ(engine->mixer->GetChannel(0)->fadeOut, c.music ? 1u : 0u);
    const std::pair<std::uint32_t, std::int32_t> kOpacity[] = {{250, 64}, {500, 128}, {999, 255}};
    for (const auto& [ms, opacity] : kOpacity) {
      HostClockSetVirtualNow(20000 + ms);
      // Nothing reads input while the screen fades.
      TapDesign(384 + 50, 570);
      Press(ACTION_CANCEL);
      EXPECT_EQ(Sprite(1)->node.opacity, opacity) << ms;
      EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_RECOLLECTION));
      EXPECT_EQ(Sub(), 20u);
      EXPECT_NE(engine->mixer->GetChannel(10), nullptr);
    }
    HostClockSetVirtualNow(21000);
    Frame();
    EXPECT_EQ(Sub(), 21u);
    for (int part = 0; part < 128; ++part) EXPECT_EQ(Sprite(part), nullptr) << part;
    EXPECT_FALSE(engine->pictureSlots.IsPictureSlotUsed(10));
    EXPECT_EQ(engine->mixer->GetChannel(0), nullptr);
    EXPECT_EQ(engine->mixer->GetChannel(10), nullptr);
    Frame();
    EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
    EXPECT_STREQ(game->Interpreter().ScriptName(), "EVY020.txt");
    EXPECT_EQ(game->Interpreter().GetVariable("old_local"), 0);
    Frame();
    EXPECT_EQ(game->Interpreter().GetVariable("started"), 1);
  }
}

TEST_F(RecollectionTest, AReplayedScenesReturnComesBackToItsTabWithItsGlobalsKept) {
  WriteScripts({{"EVR019.txt", "<Mov g_seen_in_replay,4>" + kReplayEnd}});
  SetGlobal("g_EVR019", 1);
  OpenTab(1);
  HostClockSetVirtualNow(5000);
  Choose(0);
  FinishFadeAt(6000);
  ASSERT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_RECOLLECTION));
  EXPECT_EQ(Sub(), 0u);
  EXPECT_TRUE(game->Interpreter().Variables().Locals().empty());
  EXPECT_EQ(game->Interpreter().GetVariable("g_seen_in_replay"), 4);
  HostClockSetVirtualNow(7000);
  Frame();
  EXPECT_EQ(PortraitName(), "chara_change_mem_chara02.rbp");
  EXPECT_EQ(Page().unlocked[0], 1u);
  EXPECT_EQ(Sub(), 1u);
}

TEST_F(RecollectionTest, ASceneWhoseScriptCannotBeReadComesBackToTheScreen) {
  WriteScripts({{"other.txt", kReplayEnd}});
  SetGlobal("g_EDY", 1);
  OpenTab(0);
  HostClockSetVirtualNow(5000);
  Choose(15);
  FinishFadeAt(6000);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_RECOLLECTION));
  EXPECT_EQ(Sub(), 0u);
  EXPECT_FALSE(game->Interpreter().HasScript());
  EXPECT_EQ(game->extras.recollectionTab, 0u);
  EXPECT_EQ(game->seen.SeenCount(kSeenScripts), 0u);  // nothing marks a scene that never ran
}

}  // namespace
