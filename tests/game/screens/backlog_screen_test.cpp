// The backlog screen over a ring of numbered entries.
#include "game/screens/backlog/backlog_screen.h"

#include <string>

#include "engine/shell/scene_state.h"
#include "tests/game/screens/image_ink.h"
#include "tests/game/screens/screen_fixture.h"

namespace {

class BacklogTest : public ScreenTest {
 protected:
  // Entries 1..n, oldest first; every third has no voice.
  void Fill(int n) {
    for (int i = 1; i <= n; ++i) {
      const std::string voice = i % 3 == 0 ? "" : "v" + std::to_string(i);
      game->backlog.AddBacklogEntry(voice.c_str(), "spk", ("text " + std::to_string(i)).c_str());
    }
  }
  void Open() {
    game->SetupBacklogScreen();
    engine->sceneState = SCENE_BACKLOG;
  }
  CBacklogScreen& Screen() { return game->backlogScreen; }
  static constexpr int kKnob = 442;
  static constexpr int kScrollHighlight = 443;
  static constexpr int kFirstVoiceButton = 445;
};

TEST_F(BacklogTest, PageRowsAndKnobFollowTheCountAndFirstEntry) {
  const struct {
    int count;
    std::uint32_t first;
    std::uint32_t onPage;
    std::int32_t knob;
  } kCases[] = {{0, 0, 0, 0}, {3, 0, 3, 0}, {6, 0, 5, 378}, {6, 1, 5, 0}, {15, 10, 5, 0}, {15, 0, 5, 378},
                {15, 5, 5, 189}, {32, 0, 5, 378}, {32, 27, 5, 0}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.count << " first " << c.first);
    game->backlog.Clear();
    Fill(c.count);
    Open();
    Screen().first = c.first;
    Screen().DrawPage();
    EXPECT_EQ(Screen().onPage, c.onPage);
    EXPECT_EQ(Screen().knobOffset, c.knob);
    ASSERT_NE(Sprite(kKnob), nullptr);
    EXPECT_EQ(DesignX(kKnob), 750);
    EXPECT_EQ(DesignY(kKnob), 62 + c.knob);
  }
}

TEST_F(BacklogTest, NewestEntryIsAtTheBottomAndOnlyVoicedRowsHaveButtons) {
  Fill(3);  // entry 3 (newest) has no voice
  Open();
  EXPECT_STREQ(Screen().voices[0], "v1");
  EXPECT_STREQ(Screen().voices[1], "v2");
  EXPECT_STREQ(Screen().voices[2], "");
  ASSERT_NE(Sprite(kFirstVoiceButton), nullptr);
  EXPECT_EQ(DesignX(kFirstVoiceButton), 92);
  EXPECT_EQ(DesignY(kFirstVoiceButton + 1), 110 + 52);
  EXPECT_EQ(Sprite(kFirstVoiceButton + 2), nullptr);
  EXPECT_EQ(Sprite(kFirstVoiceButton + 3), nullptr);
}

TEST_F(BacklogTest, KeysScrollUpToTheOldestAndDownOffTheNewest) {
  Fill(7);
  Open();
  for (std::uint32_t expected : {1u, 2u, 2u}) {
    Press(ACTION_UP);
    Frame();
    EXPECT_EQ(Screen().first, expected);
    EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_BACKLOG));
  }
  // On the oldest page the up key is left alone.
  EXPECT_EQ(Words()[ACTION_UP], 1u);
  Words()[ACTION_UP] = 0;
  Press(ACTION_DOWN);
  Frame();
  Press(ACTION_DOWN);
  Frame();
  EXPECT_EQ(Screen().first, 0u);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_BACKLOG));
  Press(ACTION_DOWN);
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
}

TEST_F(BacklogTest, LeavingFreesTheScreenAndShowsTheWindow) {
  for (InputAction key : {ACTION_CANCEL, ACTION_CLICK, ACTION_DOWN}) {
    SCOPED_TRACE(key);
    game->backlog.Clear();
    Fill(4);
    game->frames.ShowMessageWindow(0);
    Open();
    Press(key);
    Frame();
    EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
    EXPECT_EQ(Words()[key], 0u);
    EXPECT_EQ(game->frames.shown, 1u);
    for (int part = 440; part <= 449; ++part) EXPECT_EQ(Sprite(part), nullptr) << part;
    for (int picture = 200; picture <= 204; ++picture) EXPECT_EQ(engine->pictureSlots.Get(picture), nullptr);
  }
}

// A row's text is cut into lines at '/' and after 63 bytes, double-byte
// characters counted as two; three lines are shown.
TEST_F(BacklogTest, LinesAreCutAtSlashesAndSixtyThreeBytes) {
  game->frames.BuildWindowFrame(0);
  const auto inked = [this](int line) {
    const CImage* layer = engine->pictureSlots.Get(202);
    return layer != nullptr &&
           InkInRect(*layer, 168 * 640 / 800, static_cast<std::uint32_t>(48 + 26 * line) * 480 / 600, 40, 14);
  };
  const std::string x61(61, 'x');
  const struct {
    std::string text;
    int lines;  // lines with ink, from the top; -1: only the second
  } kCases[] = {{"one", 1},      {"a/b", 2},       {"a/b/c/d", 3},        {"/b", -1},
                {x61 + "xx", 1}, {x61 + "xxx", 2}, {x61 + "\x82\xa0", 1}, {x61 + "x\x82\xa0", 2}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    game->backlog.Clear();
    game->backlog.AddBacklogEntry("", "", c.text.c_str());
    Open();
    for (int line = 0; line < 4; ++line) {
      const bool expected = c.lines < 0 ? line == 1 : line < c.lines;
      EXPECT_EQ(inked(line), expected) << line;
    }
  }
}

TEST_F(BacklogTest, TapOnAVoicelessRowHighlightsNothing) {
  Fill(3);
  Open();
  Tap(100, 110 * 2 + 60);  // row 2: no voice
  Frame();
  EXPECT_EQ(Screen().highlight, kBacklogNoControl);
  Tap(100, 110 * 1 + 60);
  Frame();
  EXPECT_EQ(Screen().highlight, 1u);
  EXPECT_EQ(Sprite(kFirstVoiceButton + 1)->node.srcTop, 286 * 480 / 600);
  Tap(100, 110 * 1 + 60);  // second tap replays; the highlight stays
  Frame();
  EXPECT_EQ(Screen().highlight, 1u);
  EXPECT_EQ(Words()[ACTION_TAP], 0u);
}

TEST_F(BacklogTest, ScrollButtonKeepsItsHighlightSoEachFurtherTapScrollsOnce) {
  Fill(9);
  Open();
  Tap(760, 10);  // older
  Frame();
  EXPECT_EQ(Screen().highlight, 10u);
  ASSERT_NE(Sprite(kScrollHighlight), nullptr);
  EXPECT_EQ(Screen().first, 0u);
  for (std::uint32_t expected : {1u, 2u, 3u, 4u, 4u}) {
    Tap(760, 10);
    Frame();
    EXPECT_EQ(Screen().first, expected);
    EXPECT_EQ(Screen().highlight, 10u);
    EXPECT_NE(Sprite(kScrollHighlight), nullptr);
  }
  // Newer, tapped to the newest page and once more: leaves.
  Tap(760, 580);
  Frame();
  for (int i = 0; i < 4; ++i) {
    Tap(760, 580);
    Frame();
  }
  EXPECT_EQ(Screen().first, 0u);
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_BACKLOG));
  Tap(760, 580);
  Frame();
  EXPECT_EQ(engine->sceneState, static_cast<std::uint32_t>(SCENE_GAME));
}

}  // namespace
