#include "game/saves/save_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutText(Bytes& b, std::size_t at, const std::string& s) { std::memcpy(b.data() + at, s.data(), s.size()); }
void PutWordAt(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Append(Bytes& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void AppendName(Bytes& b, const std::string& s) {
  b.insert(b.end(), s.begin(), s.end());
  b.push_back(0);
}

SaveFile KnownSave() {
  SaveFile save;
  SaveHeader& h = save.header;
  std::strcpy(h.timeStamp, "2026-12-11 12:34:56");
  std::strcpy(h.messageText, "text");
  std::strcpy(h.scriptName, "main.txt");
  std::strcpy(h.voiceName, "v001");
  h.voiceSpeaker = 3;
  h.fontSizeOffset = -2;
  h.frameType = 1;
  h.novel = 1;
  h.windowShown = 1;
  h.reversal = 1;
  h.backgroundColor = 0x00102030;
  h.fontColor = 0xFF405060;
  std::strcpy(h.background, "bg01");
  h.backgroundX = -5;
  h.backgroundY = 7;
  h.effects[0] = {1, "se01", 100, 1};
  h.music = {1, "bgm01", 100, 1};
  h.characters[2] = {1, "chr_a", 100, 50, 0x00404040};
  std::strcpy(h.returnName, "sub.txt");
  h.returnPosition = 77;
  h.choice.count = 2;
  h.choice.chosen = 1;
  h.choice.top = 200;
  h.choice.spacing = 60;
  std::strcpy(h.choice.texts[1], "go");
  std::strcpy(h.choice.labels[1], "L2");
  h.priorities[0] = 4;
  h.priorities[4] = -1;
  h.readPosition = 1234;
  h.stepFrames = 9;
  save.thumbnail = {'B', 'M', 1, 2, 3};
  save.locals = {{"a", 1}, {"flag", -3}};
  save.backlog = {{"sp", "first", ""}, {"", "second", "v9"}};
  return save;
}

// The file laid out by hand from the format's table.
Bytes KnownBytes() {
  Bytes b(1656, 0);
  PutText(b, 0, "STA1");
  PutWordAt(b, 4, 1656);
  PutText(b, 8, "2026-12-11 12:34:56");
  PutWordAt(b, 92, 5);
  PutText(b, 104, "text");
  PutText(b, 360, "main.txt");
  PutText(b, 384, "v001");
  PutWordAt(b, 448, 3);
  PutWordAt(b, 452, 0xFFFFFFFE);
  PutWordAt(b, 460, 1);
  PutWordAt(b, 464, 1);
  PutWordAt(b, 468, 1);
  PutWordAt(b, 472, 1);
  PutWordAt(b, 476, 0x00102030);
  PutWordAt(b, 480, 0xFF405060);
  PutText(b, 492, "bg01");
  PutWordAt(b, 524, 0xFFFFFFFB);
  PutWordAt(b, 528, 7);
  PutWordAt(b, 532, 1);
  PutText(b, 536, "se01");
  PutWordAt(b, 568, 100);
  PutWordAt(b, 572, 1);
  for (int i = 1; i < 4; ++i) PutWordAt(b, 532 + 44 * i + 36, 100);  // level of unused records
  PutWordAt(b, 708, 1);
  PutText(b, 712, "bgm01");
  PutWordAt(b, 744, 100);
  PutWordAt(b, 748, 1);
  PutWordAt(b, 752 + 96, 1);
  PutText(b, 752 + 96 + 4, "chr_a");
  PutWordAt(b, 752 + 96 + 36, 100);
  PutWordAt(b, 752 + 96 + 40, 50);
  PutWordAt(b, 752 + 96 + 44, 0x00404040);
  PutText(b, 992, "sub.txt");
  PutWordAt(b, 1024, 77);
  PutWordAt(b, 1028, 2);
  PutWordAt(b, 1032, 1);
  PutWordAt(b, 1040, 200);
  PutWordAt(b, 1048, 60);
  PutText(b, 1052 + 64, "go");
  PutText(b, 1436 + 32, "L2");
  PutWordAt(b, 1628, 4);
  PutWordAt(b, 1644, 0xFFFFFFFF);
  PutWordAt(b, 1648, 1234);
  PutWordAt(b, 1652, 9);
  b.insert(b.end(), {'B', 'M', 1, 2, 3});
  Bytes locals;
  Append(locals, 2);
  AppendName(locals, "a");
  Append(locals, 1);
  AppendName(locals, "flag");
  Append(locals, 0xFFFFFFFD);
  Bytes backlog;
  Append(backlog, 2);
  for (const char* s : {"sp", "first", "", "", "second", "v9"}) AppendName(backlog, s);
  Append(backlog, static_cast<std::uint32_t>(backlog.size()));
  PutWordAt(b, 96, static_cast<std::uint32_t>(locals.size()));
  PutWordAt(b, 100, static_cast<std::uint32_t>(backlog.size()));
  b.insert(b.end(), locals.begin(), locals.end());
  b.insert(b.end(), backlog.begin(), backlog.end());
  return b;
}

TEST(SaveFileTest, WritesTheHandLaidBytes) {
  const Bytes written = EncodeSaveFile(KnownSave());
  const Bytes expected = KnownBytes();
  ASSERT_EQ(written.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(written[i], expected[i]) << "offset " << i;
}

TEST(SaveFileTest, AnEmptyBacklogIsFourZeroBytesAndReadsBackEmpty) {
  SaveFile save = KnownSave();
  save.backlog.clear();
  const Bytes written = EncodeSaveFile(save);
  EXPECT_EQ(Bytes(written.end() - 4, written.end()), Bytes(4, 0));
  EXPECT_EQ(written[100], 4);
  SaveFile read;
  ASSERT_EQ(DecodeSaveFile(written.data(), written.size(), read), 1);
  EXPECT_TRUE(read.backlog.empty());
  EXPECT_EQ(read.locals.size(), 2u);
}

TEST(SaveFileTest, ReadsBackWhatItWrote) {
  const Bytes written = KnownBytes();
  SaveFile read;
  ASSERT_EQ(DecodeSaveFile(written.data(), written.size(), read), 1);
  EXPECT_EQ(EncodeSaveFile(read), written);
  EXPECT_STREQ(read.header.choice.labels[1], "L2");
  EXPECT_EQ(read.header.priorities[4], -1);
  ASSERT_EQ(read.backlog.size(), 2u);
  EXPECT_EQ(read.backlog[0].text, "first");
  EXPECT_EQ(read.backlog[1].voice, "v9");
  EXPECT_EQ(read.locals[1].value, -3);
}

TEST(SaveFileTest, TextsLongerThanTheirFieldsAreCutWithTheirNul) {
  SaveFile save;
  std::memset(save.header.scriptName, 'x', sizeof save.header.scriptName);  // no NUL at all
  const Bytes written = EncodeSaveFile(save);
  EXPECT_EQ(written[360 + 22], 'x');
  EXPECT_EQ(written[360 + 23], 0);
  SaveFile read;
  EXPECT_EQ(DecodeSaveFile(written.data(), written.size(), read), 1);
}

// Damaged files: every one refused with the target untouched.
class DamagedSaveTest : public ::testing::Test {
 protected:
  void ExpectRefused(const Bytes& bytes) {
    SaveFile target;
    std::strcpy(target.header.scriptName, "untouched");
    EXPECT_EQ(DecodeSaveFile(bytes.data(), bytes.size(), target), 0);
    EXPECT_STREQ(target.header.scriptName, "untouched");
    EXPECT_TRUE(target.locals.empty());
  }
  Bytes good = KnownBytes();
};

TEST_F(DamagedSaveTest, EveryTruncationIsRefused) {
  for (std::size_t length = 0; length < good.size(); ++length) {
    SCOPED_TRACE(length);
    ExpectRefused(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
  }
}

TEST_F(DamagedSaveTest, FieldsThatDisagreeWithTheFileAreRefused) {
  const std::size_t localsAt = 1656 + 5;
  const std::size_t backlogAt = localsAt + good[96];
  struct Case {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  } cases[] = {
      {"magic letter", 2, 'B'},
      {"magic digit", 3, 'x'},
      {"header size", 4, 1600},
      {"thumbnail length", 92, 4},
      {"huge thumbnail length", 92, 0xFFFFFFF0},
      {"locals length", 96, 0xFFFFFFFF},
      {"backlog length", 100, 3},
      {"absurd local count", localsAt, 0x7FFFFFFF},
      {"local count one high", localsAt, 3},
      {"absurd backlog count", backlogAt, 0x40000000},
      {"backlog count one high", backlogAt, 3},
      {"backlog length from the end", good.size() - 4, 0xFFFFFFF0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bad = good;
    if (c.at < 4) {
      bad[c.at] = static_cast<std::uint8_t>(c.value);
    } else {
      PutWordAt(bad, c.at, c.value);
    }
    ExpectRefused(bad);
  }
}

TEST_F(DamagedSaveTest, UnterminatedFieldsAndNamesAreRefused) {
  struct Case {
    const char* what;
    std::size_t at;
    std::size_t size;
  } cases[] = {
      {"time stamp", 8, 20},  {"message", 104, 256}, {"script name", 360, 24},
      {"voice", 384, 64},     {"background", 492, 32}, {"music name", 712, 32},
      {"character", 756, 32}, {"call return", 992, 32}, {"choice label", 1436 + 160, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes bad = good;
    std::memset(bad.data() + c.at, 'x', c.size);
    ExpectRefused(bad);
  }
  // The last local name running into the backlog block.
  Bytes bad = good;
  const std::size_t localsEnd = 1656 + 5 + good[96];
  std::memset(bad.data() + localsEnd - 9, 'x', 9);
  ExpectRefused(bad);
}

TEST_F(DamagedSaveTest, RandomChangesNeverReadOutside) {
  std::mt19937 random(25);
  for (int round = 0; round < 3000; ++round) {
    Bytes bad = good;
    for (int n = 0; n < 4; ++n) bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
    SaveFile read;
    if (DecodeSaveFile(bad.data(), bad.size(), read)) {
      EXPECT_EQ(EncodeSaveFile(read).size(), bad.size());
    }
  }
}

TEST(SaveFileTest, NamesCountFromOne) {
  EXPECT_EQ(SaveFileName(0), "save001.dat");
  EXPECT_EQ(SaveFileName(3), "save004.dat");
  EXPECT_EQ(SaveFileName(502), "save503.dat");
  EXPECT_EQ(SaveFileName(600), "save601.dat");
}

}  // namespace
