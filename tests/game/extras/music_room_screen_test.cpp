// The music room: its ring with the own button left out, the playing
// track's label that keys reach and taps do not, and its links.
#include "game/extras/music_room_screen.h"

#include "tests/game/extras/extras_fixture.h"

namespace {

class MusicRoomTest : public ExtrasTest {
 protected:
  void OpenRoom() { Open(0, 0, SCENE_MUSIC_ROOM); }
  // A tap in the middle of track position i's label.
  void TapTrack(std::uint32_t i) {
    TapDesign(40 + 240 * static_cast<std::int32_t>(i / 10) + 112, 118 + 37 * static_cast<std::int32_t>(i % 10) + 18);
  }
  std::uint32_t Cursor() const { return game->extras.musicCursor; }
};

TEST_F(MusicRoomTest, KeysWalkEveryTrackAndTheButtonsButTheRoomsOwn) {
  struct Case {
    std::uint32_t start;  // reached by Up from no cursor, then Down
    std::size_t key;
    std::vector<std::uint32_t> cursors;
  };
  const Case kCases[] = {
      {26, ACTION_DOWN, {27, 29, 30, 0, 1}},
      {kNoCursor, ACTION_UP, {30, 29, 27, 26, 25}},
  };
  for (const Case& c : kCases) {
    OpenRoom();
    if (c.start != kNoCursor) {
      for (std::uint32_t i = 0; i <= c.start; ++i) Press(ACTION_DOWN);
      ASSERT_EQ(Cursor(), c.start);
    }
    for (const std::uint32_t expected : c.cursors) {
      Press(c.key);
      EXPECT_EQ(Cursor(), expected);
      ASSERT_NE(Sprite(9), nullptr);
      EXPECT_EQ(Sprite(9)->priority, 28);
    }
  }
}

TEST_F(MusicRoomTest, ATrackTappedTwicePlaysAndItsLabelCannotBeTappedButKeysReachIt) {
  OpenRoom();
  EXPECT_EQ(Sprite(20), nullptr);
  TapTrack(11);
  EXPECT_EQ(Cursor(), 11u);
  TapTrack(11);
  EXPECT_EQ(game->extras.musicTrack, 12u);
  ASSERT_NE(Sprite(20), nullptr);
  EXPECT_EQ(Sprite(20)->priority, 30);
  EXPECT_EQ(Sprite(9), nullptr);
  EXPECT_EQ(Cursor(), kNoCursor);
  TapTrack(11);  // the playing label
  EXPECT_EQ(Cursor(), kNoCursor);
  for (int i = 0; i < 12; ++i) Press(ACTION_DOWN);
  EXPECT_EQ(Cursor(), 11u);
  Press(ACTION_ADVANCE_KEY);
  EXPECT_EQ(game->extras.musicTrack, 12u);
  EXPECT_NE(Sprite(20), nullptr);
  // Leaving and coming back shows the label of the track chosen last.
  game->SetSceneState(SCENE_MUSIC_ROOM, 0);
  Frame();
  EXPECT_NE(Sprite(20), nullptr);
  // The title's way into the gallery forgets it.
  game->SetSceneState(SCENE_CG_GALLERY, 0);
  game->ClearExtrasSelection();
  EXPECT_EQ(game->extras.musicTrack, 0u);
}

TEST_F(MusicRoomTest, ScreenButtonsLeaveForTheirScreens) {
  struct Case {
    std::uint32_t button, position, scene, subState;
  };
  const Case kCases[] = {{0, 27, SCENE_CG_GALLERY, 0}, {2, 29, SCENE_RECOLLECTION, 0}, {3, 30, SCENE_TITLE, 30}};
  for (const Case& c : kCases) {
    OpenRoom();
    TapDesign(384 + 104 * static_cast<std::int32_t>(c.button) + 50, 570);
    EXPECT_EQ(Cursor(), c.position);
    TapDesign(384 + 104 * static_cast<std::int32_t>(c.button) + 50, 570);
    EXPECT_EQ(engine->sceneState, c.scene);
    EXPECT_EQ(Sub(), c.subState);
  }
  OpenRoom();
  TapDesign(384 + 104 + 50, 570);  // the room's own button
  EXPECT_EQ(Cursor(), kNoCursor);
}

}  // namespace
