#include "game/messages/message_pages.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/pictures/picture_design_space.h"
#include "engine/shell/dirty_rect_list.h"
#include "engine/shell/scene_state.h"
#include "game/frames/window_frames.h"
#include "game/input_actions.h"
#include "tests/game/messages/message_fixture.h"
#include "tests/support/flat_rbp.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"

namespace {

// Shift-JIS spellings.
const std::string kOpen = "\x81\x79";    // 【
const std::string kClose = "\x81\x7A";   // 】
const std::string kTobaru = "\x83\x67\x83\x6F\x83\x8B";  // トバル
const std::string kPerumo = "\x83\x79\x83\x8B\x83\x82";  // ペルモ
const std::string kDot = "\x81\x45";                      // ・
const std::string kHello = "\x82\xB1\x82\xF1";            // こん

using MessagePagesTest = MessageTest;

TEST_F(MessagePagesTest, SpeakerNamesAreReadWithinTheirBound) {
  const std::string fifteen = [] {
    std::string s;
    for (int i = 0; i < 15; ++i) s += "\x82\xA0";
    return s;
  }();
  const struct {
    std::string token;
    std::uint32_t nameChange;
    std::string speaker;
    std::string text;
  } cases[] = {
      {kOpen + kTobaru + kClose + kHello, 0, kTobaru, kHello},
      {kOpen + kTobaru + kClose + kHello, 1, kPerumo, kHello},
      {kOpen + kDot + "\x82\xA0" + kClose + kHello, 0, kDot + kDot + kDot, kHello},
      // 30 bytes fit; 32 do not, and the token is shown whole.
      {kOpen + fifteen + kClose + kHello, 0, fifteen, kHello},
      {kOpen + fifteen + "\x82\xA0" + kClose + kHello, 0, "", kOpen + fifteen + "\x82\xA0" + kClose + kHello},
      {kOpen + kTobaru + kHello, 0, "", kOpen + kTobaru + kHello},
      {kOpen + kTobaru, 0, "", kOpen + kTobaru},
      {kHello, 1, "", kHello},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.token);
    pages.ClearMessagePage();
    engine.options[NAME_CHANGE] = c.nameChange;
    ShowText(c.token.c_str());
    EXPECT_EQ(std::string(pages.state.speaker), c.speaker);
    EXPECT_EQ(std::string(pages.state.text), c.text);
    EXPECT_EQ(std::string(Window().text), c.text);
  }
}

TEST_F(MessagePagesTest, TextsAcrossAWaitContinueOnePageWithOneSavePoint) {
  ShowText((kOpen + kTobaru + kClose + "a").c_str());
  Word(ACTION_TAP) = 1;
  EXPECT_EQ(WaitFrames(10, 1), 0);
  EXPECT_EQ(Word(ACTION_TAP), 0u);
  pages.SetRubi("r");
  ShowText((kOpen + kPerumo + kClose + "b").c_str());
  EXPECT_EQ(std::string(Window().text), "ar" + kOpen + kPerumo + kClose + "b");
  EXPECT_EQ(Window().cellCount, 8u);
  EXPECT_EQ(std::string(pages.state.speaker), "");
  EXPECT_EQ(std::string(pages.state.prefix), "");
  EXPECT_EQ(log, (Log{"Capture", "Stop 20"}));
  char speaker[kBacklogSpeakerSize];
  char text[kBacklogTextSize];
  ASSERT_EQ(backlog.GetBacklogEntry(0, nullptr, &speaker, &text), 1);
  EXPECT_EQ(std::string(speaker), kTobaru);
  EXPECT_EQ(std::string(text), "a");
  EXPECT_TRUE(seen.HasReadMark("main.txt", 10));
}

// A script's or a save's offset of any size gives a font of 0..1000 design
// units, the page's glyphs sized from it.
TEST_F(MessagePagesTest, FontSizeOffsetsOfAnySizeAreHeldToTheFontRange) {
  const struct {
    std::int32_t offset;
    std::int32_t size;
  } cases[] = {{-4, 20}, {976, 1000}, {977, 1000}, {INT32_MAX, 1000}, {-24, 0}, {-25, 0}, {INT32_MIN, 0}};
  frames.BuildWindowFrame(0);
  frames.ShowMessageWindow(1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offset);
    pages.ClearMessagePage();
    pages.SetFontSizeOffset(c.offset);
    ShowText("x");
    EXPECT_EQ(Window().fontSize, c.size);
    EXPECT_EQ(Window().cells[0].cellSize, DesignXToScreen(c.size));
  }
}

TEST_F(MessagePagesTest, APageStartsAtTheLayoutsOriginWithTheStyleOfTheTags) {
  for (const int novel : {0, 1}) {
    SCOPED_TRACE(novel);
    frames.BuildWindowFrame(novel);
    frames.ShowMessageWindow(1);
    pages.SetFontSizeOffset(-4);
    pages.SetFontColor(255, 0, 0);
    ShowText("x/y");
    // Design (126, 260) or (126, 429 + 52) on the 640 x 480 screen.
    EXPECT_EQ(Window().cells[0].left, 126 * 640 / 800);
    EXPECT_EQ(Window().cells[0].top, (novel ? 260 : 481) * 640 / 800);
    EXPECT_EQ(Window().fontSize, 20);
    EXPECT_EQ(Window().cells[0].color, 0x0000FFu);  // red as the window keeps it
    EXPECT_GT(Window().cells[1].top, Window().cells[0].top);

    engine.dirtyList->Clear();
    pages.ClearMessagePage();
    EXPECT_EQ(frames.pageOpen, 0u);
    EXPECT_EQ(Window().cellCount, 0u);
    RECT rect{};
    ASSERT_EQ(engine.dirtyList->Count(), 1u);
    engine.dirtyList->GetAt(0, &rect);
    RECT expected = novel ? DesignRectToScreen(0, 260, 800, 200) : DesignRectToScreen(0, 429, 800, 171);
    engine.dirtyList->Clear();
    engine.dirtyList->Add(&expected, 1);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.bottom, expected.bottom);
    pages.ResetFontColor();
    ShowText("z");
    EXPECT_EQ(Window().cells[0].color, 0xFFFFFFu);
    EXPECT_EQ(Window().cells[0].top, (novel ? 260 : 481) * 640 / 800);
  }
}

// The white opaque pixels of a picture with an alpha plane.
int WhitePixels(const CImage& picture) {
  int count = 0;
  for (std::size_t i = 0; i < std::size_t{picture.width} * picture.height; ++i) {
    count += picture.GetPixels()[i] == 0xFFFF && picture.GetAlphaPlane()[i] != 0;
  }
  return count;
}

// The plate of a speaker's page carries the name in its own picture: the
// page's text and glyph cells stay as they were; a page without a speaker
// takes both away.
TEST_F(MessagePagesTest, ASpeakersPageShowsTheNameOnThePlateUntilTheNextPage) {
  ScopedTempDir dir{"novel_plate_"};
  dir.WriteFile("pict.mlz", BuildMlzArchive({{"M_frame_name.rbp", FlatRbp(294, 39, 0x80, 0x80, 0x80), true}}, '3'));
  engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
  engine.pictureSlots.LoadPictureSlot(kNamePlateSlot, "M_frame_name", 1, nullptr, nullptr);

  ShowText((kOpen + kTobaru + kClose + kHello).c_str());
  const CSpritePart* name = engine.sprites[kSpeakerNameSprite].get();
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->designX1000, 76 * 1000);
  EXPECT_EQ(name->designY1000, 432 * 1000);
  EXPECT_EQ(name->visible, 1u);
  const CImage* picture = engine.pictureSlots.Get(kSpeakerNameSlot);
  ASSERT_NE(picture, nullptr);
  EXPECT_GT(WhitePixels(*picture), 0);
  EXPECT_EQ(std::string(Window().text), kHello);
  EXPECT_EQ(Window().cellCount, 2u);

  frames.ShowMessageWindow(0);
  EXPECT_EQ(engine.sprites[kSpeakerNameSprite]->visible, 0u);
  frames.ShowMessageWindow(1);
  EXPECT_EQ(engine.sprites[kSpeakerNameSprite]->visible, 1u);

  pages.ClearMessagePage();
  ShowText(kHello.c_str());
  EXPECT_EQ(engine.sprites[kNamePlateSprite], nullptr);
  EXPECT_EQ(engine.sprites[kSpeakerNameSprite], nullptr);
  EXPECT_EQ(engine.pictureSlots.Get(kSpeakerNameSlot), nullptr);
}

TEST_F(MessagePagesTest, AnOverfullPageKeepsWhatFits) {
  const std::string line(100, 'w');
  for (int k = 0; k < 7; ++k) {
    ShowText(line.c_str());
    Word(ACTION_TAP) = 1;
    ASSERT_EQ(WaitFrames(k, 1), 0);
  }
  EXPECT_EQ(Window().cellCount, kPageCells);
  EXPECT_EQ(std::string(Window().text).size(), kPageTextBytes - 1);
}

// Auto-advance: ms after the text's first frame at which the KW advances.
TEST_F(MessagePagesTest, AutoAdvanceWaitsByTextLengthOrByTheVoice) {
  const struct {
    std::uint32_t base, perGlyph, voiceLock;
    std::int32_t voiceEndsMs;  // -1: no voice
    std::uint32_t expectedMs;
  } cases[] = {
      {0, 0, 0, -1, 200},  {0, 1, 0, -1, 230},  {2, 3, 0, -1, 690},
      {0, 0, 1, -1, 200},  {0, 0, 1, 500, 590}, {0, 0, 0, 500, 690},
  };
  // The voice is last heard in the frame at 490 ms.
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.base << " " << c.perGlyph << " " << c.voiceLock << " " << c.voiceEndsMs);
    pages.ClearMessagePage();
    HostClockSetVirtualNow(1000);
    engine.options[MESSAGE_AUTO] = 1;
    engine.options[MESSAGE_AUTO_BASE] = c.base;
    engine.options[MESSAGE_AUTO_ONE] = c.perGlyph;
    engine.options[VOICE_AUTOLOCK] = c.voiceLock;
    Mixer().voicePosition = c.voiceEndsMs > 0 ? 0 : -1;
    ShowText("abc");
    std::uint32_t advancedAt = 0;
    for (std::uint32_t frame = 0; frame < 1000 && advancedAt == 0; ++frame) {
      const std::uint32_t now = GetTickCount() - 1000;
      if (c.voiceEndsMs > 0 && now >= static_cast<std::uint32_t>(c.voiceEndsMs)) Mixer().voicePosition = -1;
      if (pages.WaitForReader(0, frame)) advancedAt = now;
      HostClockAdvance(10);
    }
    EXPECT_EQ(advancedAt, c.expectedMs);
  }
}

TEST_F(MessagePagesTest, TheVoiceCutModeDecidesWhatAPagesEndDoesToTheVoice) {
  const struct {
    std::uint32_t mode;
    Log expected;
  } cases[] = {{0, {"Stop 20"}}, {1, {}}, {2, {"FadeOut 20 1500"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    engine.options[VOICE_CUT_MODE] = c.mode;
    pages.ClearMessagePage();
    ShowText("a");
    log.clear();
    Word(ACTION_CLICK) = 1;
    ASSERT_EQ(WaitFrames(0, 1), 0);
    EXPECT_EQ(log, c.expected);
  }
}

TEST_F(MessagePagesTest, ReadSkipPassesReadPagesOnly) {
  engine.options[READ_SKIP] = 1;
  engine.options[SKIP_RUNNING] = 1;
  seen.AddReadMark("main.txt", 40);
  ShowText("a");
  EXPECT_EQ(WaitFrames(40, 1), 0);
  EXPECT_EQ(engine.options[SKIP_RUNNING], 1u);
  ShowText("b");
  EXPECT_EQ(WaitFrames(50, 5), -1);
  EXPECT_EQ(engine.options[SKIP_RUNNING], 0u);
  // Holding the skip key does not pass an unread page either.
  Word(ACTION_SKIP_KEY) = 3;
  EXPECT_EQ(WaitFrames(50, 5), -1);
  engine.options[READ_SKIP] = 0;
  EXPECT_EQ(WaitFrames(50, 1), 0);
}

TEST_F(MessagePagesTest, TheUpActionOpensTheBacklogAfterThreeFrames) {
  ShowText("a");
  log.clear();
  // An empty backlog never opens.
  Word(ACTION_UP) = 1;
  EXPECT_EQ(WaitFrames(0, 5), -1);
  EXPECT_EQ(engine.sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  backlog.AddBacklogEntry("", "", "old");
  for (std::uint32_t frame = 0; frame < 3; ++frame) EXPECT_EQ(pages.WaitForReader(0, frame), 0);
  EXPECT_EQ(engine.sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  EXPECT_EQ(pages.WaitForReader(0, 3), 0);
  EXPECT_EQ(engine.sceneState, static_cast<std::uint32_t>(SCENE_BACKLOG));
  EXPECT_EQ(Word(ACTION_UP), 0u);
  EXPECT_EQ(Window().textHidden, 1u);
  EXPECT_EQ(frames.shown, 0u);
  EXPECT_EQ(log, Log{"SetupBacklog"});
}

TEST_F(MessagePagesTest, WithTheBacklogOnCancelTheHiddenWindowOpensIt) {
  engine.options[MES_LOG_START] = 1;
  backlog.AddBacklogEntry("", "", "old");
  ShowText("a");
  log.clear();
  Word(ACTION_UP) = 1;
  EXPECT_EQ(pages.WaitForReader(0, 5), 0);
  EXPECT_EQ(engine.sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  // The first cancel hides the window; the next opens the backlog, once the
  // KW has run three frames.
  Word(ACTION_CANCEL) = 1;
  EXPECT_EQ(pages.WaitForReader(0, 0), 0);
  EXPECT_EQ(Window().textHidden, 1u);
  EXPECT_EQ(Word(ACTION_CANCEL), 0u);
  Word(ACTION_CANCEL) = 1;
  EXPECT_EQ(pages.WaitForReader(0, 2), 0);
  EXPECT_EQ(engine.sceneState, static_cast<std::uint32_t>(SCENE_GAME));
  EXPECT_EQ(pages.WaitForReader(0, 3), 0);
  EXPECT_EQ(engine.sceneState, static_cast<std::uint32_t>(SCENE_BACKLOG));
  EXPECT_EQ(log, Log{"SetupBacklog"});
}

TEST_F(MessagePagesTest, AHiddenWindowComesBackOnATapWithoutAdvancing) {
  ShowText("a");
  Word(ACTION_CANCEL) = 1;
  EXPECT_EQ(pages.WaitForReader(0, 0), 0);
  EXPECT_EQ(frames.shown, 0u);
  Word(ACTION_TAP) = 1;
  EXPECT_EQ(pages.WaitForReader(0, 1), 0);
  EXPECT_EQ(Word(ACTION_TAP), 0u);
  EXPECT_EQ(frames.shown, 1u);
  EXPECT_EQ(Window().textHidden, 0u);
  EXPECT_EQ(Window().cells[0].state, 1);  // drawn again
  Word(ACTION_TAP) = 1;
  EXPECT_EQ(pages.WaitForReader(0, 2), 1);
}

TEST_F(MessagePagesTest, TheCentreKeyActsByItsSetting) {
  const struct {
    std::uint32_t mode;
    Log expected;
    std::uint32_t hidden;
    std::uint32_t scene;
  } cases[] = {
      {1, {}, 0, SCENE_GAME},
      {2, {}, 1, SCENE_GAME},
      {3, {"SetupBacklog"}, 1, SCENE_BACKLOG},
      {4, {"QuickSave"}, 0, SCENE_GAME},
      {5, {"QuickLoad"}, 0, SCENE_GAME},
  };
  backlog.AddBacklogEntry("", "", "old");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    frames.ShowMessageWindow(1);
    engine.sceneState = SCENE_GAME;
    engine.options[KEY_CEN_CTRL] = c.mode;
    ShowText("a");
    log.clear();
    Word(ACTION_CENTRE) = 1;
    EXPECT_EQ(pages.WaitForReader(0, 3), 0);
    EXPECT_EQ(log, c.expected);
    EXPECT_EQ(Window().textHidden, c.hidden);
    EXPECT_EQ(engine.sceneState, c.scene);
    EXPECT_EQ(Word(ACTION_CENTRE), c.mode == 1 ? 1u : 0u);
    Word(ACTION_CENTRE) = 0;
  }
}

TEST_F(MessagePagesTest, ARunningWindowButtonHoldsThePage) {
  ShowText("a");
  hooks.buttonRun = 2;
  Word(ACTION_TAP) = 1;
  EXPECT_EQ(pages.WaitForReader(0, 0), 0);
  hooks.buttonRun = -1;
  EXPECT_EQ(pages.WaitForReader(0, 1), 1);
}

}  // namespace
