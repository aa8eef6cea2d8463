// Long runs of random taps and keys over each extras screen on the virtual
// clock: every frame the screen's words stay in range and the parts and
// pictures it holds stay within what the screen builds; whatever leaves the
// screen (the title, a replayed scene) is followed back in.
#include <random>
#include <set>

#include "engine/pictures/picture_part_slots.h"
#include "game/script/script_interpreter.h"
#include "tests/game/extras/extras_fixture.h"

namespace {

constexpr std::uint32_t kSoakFrames = 4000;

class ExtrasSoakTest : public ExtrasTest {
 protected:
  void SetUp() override {
    ExtrasTest::SetUp();
    for (const char* seen : {"EVC002b.bmp", "EVC003b-2.bmp", "EVC003b-4.bmp", "EDY-3.bmp", "CG219-2.bmp"}) {
      game->seen.AddSeenName(kSeenPictures, seen);
    }
    for (const char* global : {"g_EVY020", "g_EDY", "g_EVR019", "g_EDB001"}) {
      game->Interpreter().SetVariable(global, 1);
    }
    // Every scene returns at once; "EDY" has no script.
    const std::string replay = std::string("<Mov ") + kRecollectionVariable + ",1><Return>";
    WriteScripts({{"EVY020.txt", replay}, {"EVR019.txt", replay}, {"EDB001.txt", replay}});
  }

  // Random input for one frame: keys, a tap anywhere on the design area.
  void RandomInput(std::mt19937& random) {
    std::uint32_t* words = engine->input.words.data();
    for (const std::size_t action : {ACTION_UP, ACTION_DOWN, ACTION_CLICK, ACTION_SKIP_KEY, ACTION_ADVANCE_KEY,
                                     ACTION_CANCEL}) {
      // Held keys count up; a press is a count of 1.
      words[action] = random() % 6 == 0 ? 1 + random() % 3 : 0;
    }
    words[ACTION_TAP] = random() % 3 == 0 ? 1 : 0;
    engine->input[INPUT_STYLUS_X] = random() % 640;
    engine->input[INPUT_STYLUS_Y] = random() % 480;
  }

  int UsedParts() const {
    int used = 0;
    for (const auto& sprite : engine->sprites) used += sprite != nullptr ? 1 : 0;
    return used;
  }
  int UsedPictures() const {
    int used = 0;
    for (int slot = 0; slot < kPictureSlotCount; ++slot) used += engine->pictureSlots.IsPictureSlotUsed(slot);
    return used;
  }
  std::uint32_t CursorOf(std::uint32_t scene) const {
    const ExtrasWords& w = game->extras;
    return scene == SCENE_MUSIC_ROOM ? w.musicCursor : scene == SCENE_RECOLLECTION ? w.recollectionCursor : w.cursor;
  }

  // visited: the sub-states the screen went through.
  void Soak(std::uint32_t scene, std::uint32_t ringSize, unsigned seed, std::set<std::uint32_t>& visited) {
    SCOPED_TRACE(scene);
    std::mt19937 random(seed);
    game->SetSceneState(scene, 0);
    std::uint32_t now = 1000;
    std::uint32_t reentries = 0;
    std::uint32_t replays = 0;
    for (std::uint32_t frame = 0; frame < kSoakFrames; ++frame) {
      now += 16;
      HostClockSetVirtualNow(now);
      RandomInput(random);
      StepOpeningEffect();
      Frame();
      const std::uint32_t state = engine->sceneState;
      if (state == SCENE_GAME) {
        ++replays;
        continue;  // the scene runs on the next frames and comes back
      }
      if (state != scene) {
        // Another extras screen or the title: back in from the start.
        ASSERT_TRUE(state == SCENE_TITLE || (state >= SCENE_EXTRA_PICTURES && state <= SCENE_RECOLLECTION)) << state;
        ++reentries;
        game->SetSceneState(scene, 0);
        continue;
      }
      const std::uint32_t sub = Sub();
      visited.insert(sub);
      ASSERT_TRUE(sub == 0 || sub == 1 || sub == 2 || sub == 20 || sub == 21) << "frame " << frame << " sub " << sub;
      const std::uint32_t cursor = CursorOf(scene);
      ASSERT_TRUE(cursor == kNoCursor || cursor < ringSize) << "frame " << frame << " cursor " << cursor;
      ASSERT_LE(game->extras.category, 5u);
      ASSERT_LE(game->extras.page, 3u);
      ASSERT_LE(game->extras.viewedVariant, kNamesPerPosition);
      ASSERT_LE(game->extras.scrollX, 0);
      ASSERT_LE(game->extras.scrollY, 0);
      ASSERT_LE(game->extras.musicTrack, 27u);
      ASSERT_LE(game->extras.recollectionTab, 5u);
      // The screen's background, sheets, portrait and viewed picture at
      // most; 16 cells of three parts, tabs, bars, marks and a highlight.
      ASSERT_LE(UsedPictures(), 6) << "frame " << frame;
      ASSERT_LE(UsedParts(), 3 * 16 + 16) << "frame " << frame;
      ASSERT_EQ(engine->statusWord, 0u);
    }
    EXPECT_GT(reentries, 0u);  // the run left the screen at times
    if (scene == SCENE_RECOLLECTION) {
      EXPECT_GT(replays, 0u);
    }
    // Nothing of the soak stays: a fresh opening holds what it always does.
    game->SetSceneState(scene, 0);
    Frame();
    const int parts = UsedParts();
    const int pictures = UsedPictures();
    EXPECT_EQ(CursorOf(scene), kNoCursor);
    game->SetSceneState(scene, 0);
    Frame();
    EXPECT_EQ(UsedParts(), parts);
    EXPECT_EQ(UsedPictures(), pictures);
    EXPECT_TRUE(game->Interpreter().Variables().Locals().empty());
  }
};

TEST_F(ExtrasSoakTest, RandomInputOnEveryScreenKeepsItsWordsAndSlotsInBounds) {
  struct Screen {
    std::uint32_t scene, ringSize;
    std::set<std::uint32_t> steps;  // every one reached
  };
  const Screen kScreens[] = {
      {SCENE_EXTRA_PICTURES, 22, {1, 2, 20, 21}},
      {SCENE_CG_GALLERY, 30, {1, 2, 20, 21}},
      {SCENE_MUSIC_ROOM, 31, {1, 2}},
      {SCENE_RECOLLECTION, 26, {1, 2, 20, 21}},
  };
  unsigned seed = 35;
  for (const Screen& s : kScreens) {
    std::set<std::uint32_t> visited;
    Soak(s.scene, s.ringSize, seed++, visited);
    for (const std::uint32_t step : s.steps) EXPECT_EQ(visited.count(step), 1u) << s.scene << " step " << step;
  }
}

}  // namespace
