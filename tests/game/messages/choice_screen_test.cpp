#include "game/choices/choice_screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pictures/rbp_format.h"
#include "game/input_actions.h"
#include "game/script/script_command.h"
#include "tests/game/messages/message_fixture.h"
#include "tests/support/scoped_temp_dir.h"
#include "tools/mlz_pack/mlz_writer.h"
#include "tools/rbp_make/rbp_writer.h"

namespace {

class ChoiceScreenTest : public MessageTest {
 protected:
  void SetUp() override {
    MessageTest::SetUp();
    SourcePicture base;
    base.width = 800;
    base.height = 271;
    base.rgba.assign(std::size_t{800} * 271 * 4, 0x80);
    dir.WriteFile("pict.mlz", BuildMlzArchive({{"SELECT_BASE.rbp", BuildRbpFile(base, {kRbpKindRgb565, 0, 0}), true}},
                                              '3'));
    engine.pictureSlots.SetArchivePaths(dir.EnginePath("pict.mlz").c_str(), dir.EnginePath("pict.mlz").c_str());
  }

  // SltAdd with its arguments as the tag gives them.
  void Add(const std::string& tag) {
    ParsedCommand command;
    ParseCommandTag(("<SltAdd " + tag + ">").c_str(), command);
    choices.AddEntry(command);
  }
  // One frame of SltRun; frame 0 builds the screen.
  int Frame(std::uint32_t frame) { return choices.RunChoice(frame, label); }
  // A tap at design (x, y) on the 640 x 480 screen.
  void TapAt(std::int32_t x, std::int32_t y) {
    Word(INPUT_STYLUS_X) = static_cast<std::uint32_t>(x * 640 / 800);
    Word(INPUT_STYLUS_Y) = static_cast<std::uint32_t>(y * 640 / 800);
    Word(ACTION_TAP) = 1;
  }
  std::int32_t RowY(std::int32_t entry) const { return choices.state.top + choices.state.spacing * entry + 12; }
  CSpritePart* Sprite(int index) { return engine.sprites[static_cast<std::size_t>(index)].get(); }

  ScopedTempDir dir{"novel_choices_"};
  CChoiceScreen choices{engine, hooks};
  std::string label;
};

TEST_F(ChoiceScreenTest, RowsAreLaidOutByTheirCount) {
  const std::int32_t tops[] = {271, 254, 236, 220, 196};
  for (int count = 1; count <= 5; ++count) {
    SCOPED_TRACE(count);
    choices.DeleteEntries();
    for (int i = 0; i < count; ++i) Add(std::to_string(i) + ",L" + std::to_string(i) + ",\x82\xA0\x82\xA2");
    ASSERT_EQ(Frame(0), 0);
    EXPECT_EQ(choices.state.count, count);
    EXPECT_EQ(choices.state.top, tops[count - 1]);
    EXPECT_EQ(choices.state.spacing, 34);
    ASSERT_NE(Sprite(kChoiceBaseSprite), nullptr);
    for (int i = 0; i < count; ++i) {
      CSpritePart* row = Sprite(kChoiceFirstTextSprite + i);
      ASSERT_NE(row, nullptr);
      EXPECT_EQ(row->designX1000, (400 - 24) * 1000);  // two characters 48 wide, centred
      EXPECT_EQ(row->designY1000, (tops[count - 1] + 34 * i) * 1000);
    }
  }
}

TEST_F(ChoiceScreenTest, CaptionsAreShownButNeverHighlighted) {
  choices.DeleteEntries();
  Add("0,caption");
  Add("1,one,first");
  Add("2,two,second");
  ASSERT_EQ(Frame(0), 0);
  EXPECT_NE(Sprite(kChoiceFirstTextSprite), nullptr);
  const struct {
    InputAction action;
    std::int32_t highlight;
  } steps[] = {{ACTION_DOWN, 1}, {ACTION_DOWN, 2}, {ACTION_DOWN, 1}, {ACTION_UP, 2}, {ACTION_UP, 1}, {ACTION_UP, 2}};
  std::uint32_t frame = 1;
  for (const auto& step : steps) {
    Word(step.action) = 1;
    EXPECT_EQ(Frame(frame++), 0);
    Word(step.action) = 0;
    EXPECT_EQ(choices.state.highlight, step.highlight);
    ASSERT_NE(Sprite(kChoiceHighlightSprite), nullptr);
    EXPECT_EQ(Sprite(kChoiceHighlightSprite)->designY1000, (choices.state.top + 34 * step.highlight - 4) * 1000);
  }
  TapAt(400, RowY(0));
  EXPECT_EQ(Frame(frame++), 0);
  EXPECT_EQ(choices.state.highlight, kNoHighlight);
  EXPECT_EQ(Sprite(kChoiceHighlightSprite), nullptr);
}

TEST_F(ChoiceScreenTest, ASecondTapOnTheHighlightedRowChoosesIt) {
  choices.DeleteEntries();
  Add("0,yes,\x82\xCD\x82\xA2");
  Add("2,no,\x82\xA2\x82\xA2\x82\xA6");
  ASSERT_EQ(Frame(0), 0);
  EXPECT_EQ(choices.state.count, 3);  // row 1 stays empty
  EXPECT_EQ(Sprite(kChoiceFirstTextSprite + 1), nullptr);
  log.clear();
  TapAt(100, RowY(2));
  EXPECT_EQ(Frame(1), 0);
  EXPECT_EQ(choices.state.highlight, 2);
  EXPECT_EQ(Word(ACTION_TAP), 0u);
  TapAt(100, RowY(0));
  EXPECT_EQ(Frame(2), 0);
  EXPECT_EQ(choices.state.highlight, 0);
  TapAt(100, RowY(1));  // the empty row
  EXPECT_EQ(Frame(3), 0);
  EXPECT_EQ(choices.state.highlight, kNoHighlight);
  TapAt(100, RowY(2));
  EXPECT_EQ(Frame(4), 0);
  EXPECT_TRUE(log.empty());
  TapAt(100, RowY(2));
  EXPECT_EQ(Frame(5), 1);
  EXPECT_EQ(label, "no");
  EXPECT_EQ(choices.state.chosen, 2);
  EXPECT_EQ(log, (Log{"SaveGame 600", "Enable 40329 1"}));
  for (int sprite : {kChoiceBaseSprite, kChoiceHighlightSprite, kChoiceFirstTextSprite, kChoiceFirstTextSprite + 2}) {
    EXPECT_EQ(Sprite(sprite), nullptr) << sprite;
  }
  EXPECT_EQ(engine.pictureSlots.Get(kChoiceBaseSlot), nullptr);
  EXPECT_EQ(engine.pictureSlots.Get(kChoiceTextSlot), nullptr);

  log.clear();
  choices.ReturnToPreviousChoice();
  choices.ReturnToPreviousChoice();
  EXPECT_EQ(log, (Log{"LoadGame 600", "Enable 40329 0"}));
}

TEST_F(ChoiceScreenTest, ASnapshotThatCouldNotBeSavedIsNotOffered) {
  choices.DeleteEntries();
  Add("0,a,x");
  ASSERT_EQ(Frame(0), 0);
  TapAt(100, RowY(0));
  EXPECT_EQ(Frame(1), 0);
  ASSERT_EQ(choices.state.snapshotSaved, 0u);
  hooks.saveResult = 0;
  log.clear();
  TapAt(100, RowY(0));
  EXPECT_EQ(Frame(2), 1);
  EXPECT_EQ(label, "a");
  EXPECT_EQ(log, (Log{"SaveGame 600", "Enable 40329 0"}));
  EXPECT_EQ(choices.state.snapshotSaved, 0u);
  log.clear();
  choices.ReturnToPreviousChoice();
  EXPECT_TRUE(log.empty());
}

TEST_F(ChoiceScreenTest, TheAdvanceKeyConfirmsAHighlightOfAnEarlierFrameOnly) {
  choices.DeleteEntries();
  Add("0,a,x");
  Add("1,b,y");
  ASSERT_EQ(Frame(0), 0);
  Word(ACTION_ADVANCE_KEY) = 1;
  EXPECT_EQ(Frame(1), 0);
  EXPECT_EQ(Word(ACTION_ADVANCE_KEY), 0u);
  Word(ACTION_DOWN) = 1;
  Word(ACTION_ADVANCE_KEY) = 1;
  EXPECT_EQ(Frame(2), 0);
  Word(ACTION_DOWN) = 0;
  Word(ACTION_ADVANCE_KEY) = 1;
  EXPECT_EQ(Frame(3), 1);
  EXPECT_EQ(label, "a");
}

TEST_F(ChoiceScreenTest, ABlockWithNothingToChooseEndsAtOnce) {
  const std::vector<std::vector<std::string>> blocks = {{}, {"0,only a caption"}, {"0,one,x"}};
  const int expectedDone[] = {1, 1, 0};
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    SCOPED_TRACE(b);
    choices.DeleteEntries();
    for (const std::string& tag : blocks[b]) Add(tag);
    label = "stale";
    EXPECT_EQ(Frame(0), expectedDone[b]);
    if (expectedDone[b]) {
      EXPECT_EQ(label, "");
      EXPECT_EQ(Sprite(kChoiceBaseSprite), nullptr);
    }
  }
  // The one entry sits between the rows of a two-entry block.
  EXPECT_EQ(choices.state.top, 271);
}

TEST_F(ChoiceScreenTest, AddIgnoresEntriesPastTheFifthAndDeleteIsASavePoint) {
  log.clear();
  choices.DeleteEntries();
  EXPECT_EQ(log, Log{"Capture"});
  Add("5,l,t");
  Add("-1,l,t");
  Add("4,l,t");
  EXPECT_EQ(std::string(choices.state.texts[5]), "");
  EXPECT_EQ(std::string(choices.state.texts[4]), "t");
  EXPECT_EQ(std::string(choices.state.labels[4]), "l");
}

}  // namespace
