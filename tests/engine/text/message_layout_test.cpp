#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "message_fixture.h"

namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST_F(MessageWindowTest, TypesOneCharacterPer30MsAtSpeed3) {
  const std::string text = "ABCD";
  window->AppendText(text.c_str());
  const struct {
    DWORD now;
    std::uint32_t cells;
    int done;
  } steps[] = {{0, 0, 0}, {29, 0, 0}, {30, 1, 0}, {59, 1, 0}, {60, 2, 0}, {119, 3, 0}, {120, 4, 1}};
  for (const auto& step : steps) {
    SCOPED_TRACE(step.now);
    HostClockSetVirtualNow(step.now);
    EXPECT_EQ(Layout(), step.done);
    EXPECT_EQ(window->cellCount, step.cells);
    EXPECT_EQ(window->typedOffset, step.cells);
  }
}

TEST_F(MessageWindowTest, NoDelayPlacesEverythingInOneCall) {
  const struct {
    const char* name;
    std::uint32_t speed;
    std::uint32_t instant;
    std::uint32_t skipRunning;
    std::uint32_t skipKey;
  } cases[] = {{"speed 0", 0, 0, 0, 0},
               {"instant", 3, 1, 0, 0},
               {"skip mode", 3, 0, 1, 0},
               {"skip key held", 3, 0, 0, 5}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window->ClearText();
    options[MESSAGE_SPEED] = c.speed;
    options[SKIP_RUNNING] = c.skipRunning;
    input[INPUT_LEFT] = c.skipKey;
    window->instant = c.instant;
    const std::string text = std::string("Hi") + kWideA;
    window->AppendText(text.c_str());
    EXPECT_EQ(Layout(), 1);
    EXPECT_EQ(window->cellCount, 3u);
  }
}

TEST_F(MessageWindowTest, AdvanceInputPlacesTheRestAndIsConsumed) {
  const struct {
    const char* name;
    InputWord pressed;
  } cases[] = {{"tap", INPUT_TAP}, {"C key", INPUT_C}, {"right key", INPUT_RIGHT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window->ClearText();
    input.Clear();
    HostClockSetVirtualNow(1000);
    const std::string text = "ABCDEFG";
    window->AppendText(text.c_str());
    HostClockSetVirtualNow(1030);
    EXPECT_EQ(Layout(), 0);
    EXPECT_EQ(window->cellCount, 1u);
    input[c.pressed] = 1;
    EXPECT_EQ(Layout(), 1);
    EXPECT_EQ(window->cellCount, 7u);
    // The stylus word becomes 0, the keys 2 ("still held").
    EXPECT_EQ(input[INPUT_TAP], 0u);
    EXPECT_EQ(input[INPUT_C], 2u);
    EXPECT_EQ(input[INPUT_RIGHT], 2u);
  }
}

TEST_F(MessageWindowTest, TypingGoesOnAcrossAWrapOfTheClock) {
  HostClockSetVirtualNow(0xFFFFFFE0u);
  const std::string text = "AB";
  window->AppendText(text.c_str());
  HostClockAdvance(0x25);  // due at 0xFFFFFFFE; now 5
  EXPECT_EQ(Layout(), 0);
  EXPECT_EQ(window->cellCount, 1u);
}

TEST_F(MessageWindowTest, TwentyFirstCharacterWrapsUnlessItMayHang) {
  const struct {
    const char* name;
    const char* last;
    bool hangs;
  } cases[] = {{"、", "\x81\x41", true},  {"。", "\x81\x42", true}, {"」", "\x81\x76", true},
               {"Ａ", kWideA, false},     {"A", "A", false},        {"・", "\x81\x45", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window->ClearText();
    window->SetTextOrigin(0, 0);
    window->charsInLine = 0;
    Type(Repeat(kWideA, 20) + c.last);
    ASSERT_EQ(window->cellCount, 21u);
    const GlyphCell& last = window->cells[20];
    if (c.hangs) {
      EXPECT_EQ(last.top, 0);
      EXPECT_EQ(last.left, 20 * 19);
    } else {
      EXPECT_EQ(last.top, 19);  // one line of conv_x(24) further down
      EXPECT_EQ(last.left, 0);
    }
  }
}

TEST_F(MessageWindowTest, SlashBreaksTheLineBackslashAndLineFeedAreSkipped) {
  window->SetSpacing(0, 10);  // 8 px between lines
  Type("AB/C\\D\nE");
  ASSERT_EQ(window->cellCount, 5u);
  const std::vector<std::pair<int, int>> expected = {{16, 16}, {25, 16}, {16, 43}, {25, 43}, {34, 43}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(window->cells[i].left, expected[i].first) << i;
    EXPECT_EQ(window->cells[i].top, expected[i].second) << i;
  }
  EXPECT_EQ(window->lineCount, 1);
  EXPECT_STREQ(window->text, "AB/C\\D\nE");
}

TEST_F(MessageWindowTest, CellBoxesAdvancesAndPresentOnlyDirtyRectangles) {
  window->textColor = 0x00336699;
  window->SetSpacing(10, 0);  // 8 px after each character
  Type(std::string("a") + kWideA + "b");
  ASSERT_EQ(window->cellCount, 3u);
  const int lefts[] = {16, 16 + 9 + 8, 16 + 9 + 8 + 19 + 8};
  for (int i = 0; i < 3; ++i) {
    const GlyphCell& cell = window->cells[i];
    EXPECT_EQ(cell.left, lefts[i]);
    EXPECT_EQ(cell.cellSize, 19);
    EXPECT_EQ(cell.right, cell.left + 20);
    EXPECT_EQ(cell.bottom, cell.top + 20);
    EXPECT_EQ(cell.state, 1);
    EXPECT_EQ(cell.color, 0x00336699u);
  }
  EXPECT_EQ(window->cells[1].code, 0x6082);  // first byte + second x 256
  EXPECT_EQ(window->cells[0].code, 'a');
  ASSERT_EQ(dirty.Count(), 3u);
  for (std::uint32_t i = 0; i < 3; ++i) {
    RECT r;
    EXPECT_EQ(dirty.GetAt(i, &r), 0u);
    EXPECT_EQ(r.left, lefts[i]);
    EXPECT_EQ(r.top, 16);
    EXPECT_EQ(r.right, lefts[i] + 21);
    EXPECT_EQ(r.bottom, 16 + 21);
  }
}

TEST_F(MessageWindowTest, OverLongPagesStayWithinTheirBuffers) {
  // 200 characters: the page keeps 160 cells and drops the rest.
  window->SetLineLimits(1000, 3);
  Type(Repeat("A", 200));
  EXPECT_EQ(window->cellCount, kPageCells);
  // The page text keeps 511 bytes, cut between characters.
  window->ClearText();
  const std::string longText = "A" + Repeat(kWideA, 300);
  Type(longText);
  EXPECT_EQ(std::string(window->text), longText.substr(0, 511));
  window->ClearText();
  Type(Repeat(kWideA, 300));
  EXPECT_EQ(std::string(window->text), Repeat(kWideA, 255));
}

TEST_F(MessageWindowTest, MarkingFollowsRedrawRectanglesAndVisibility) {
  Type("ABCD");  // boxes from x 16, 25, 34 and 43, each 20 wide
  EXPECT_EQ(window->MarkGlyphs(1), 0);  // not shown
  window->SetVisible(1);
  const std::int16_t before[] = {0, 0, 2, 0};
  for (int i = 0; i < 4; ++i) window->cells[i].state = before[i];
  dirty.Clear();
  RECT presentOnly{16, 16, 20, 20};  // over cell 0 only, kind 0
  dirty.Add(&presentOnly, 0);
  RECT redraw{50, 30, 60, 32};  // over cells 2 and 3, kind 1
  dirty.Add(&redraw, 1);
  window->MarkDirtyGlyphs(dirty);
  const std::int16_t after[] = {0, 0, 2, 1};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(window->cells[i].state, after[i]) << i;
  EXPECT_EQ(window->MarkGlyphs(0), 1);
  EXPECT_EQ(window->cells[2].state, 0);
  window->cells[2].state = 2;
  window->MarkGlyphs(1);
  EXPECT_EQ(window->cells[0].state, 1);
  EXPECT_EQ(window->cells[2].state, 2);
}

TEST_F(MessageWindowTest, FaceNamesAreBoundedAndAMissingFaceFallsBack) {
  // 40 full-width characters: more than the font record's face field holds.
  const std::string longFace = Repeat(kWideA, 40);
  EXPECT_EQ(SetMessageFontFace(longFace.c_str()), 0);
  EXPECT_STREQ(gMessageFont.face, gMessageFont.defaultFace);
  EXPECT_NE(gMessageFont.handle, nullptr);
  const std::string tooLong = Repeat("x", 128);
  EXPECT_EQ(SetMessageFontFace(tooLong.c_str()), 128);
  // "ＭＳ 明朝" is a face the fake source knows.
  EXPECT_EQ(SetMessageFontFace("\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9"), 0);
  EXPECT_STREQ(gMessageFont.face, "\x82\x6C\x82\x72\x20\x96\xBE\x92\xA9");
}

}  // namespace
