#include "game/stores/seen_stores.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const CSeenStores& stores, int list) {
  std::vector<std::string> names;
  for (std::uint32_t n = 0; const char* name = stores.SeenName(list, n); ++n) names.emplace_back(name);
  return names;
}

TEST(SeenLists, EachListKeepsItsFirstSeenNamesOnceIgnoringCase) {
  CSeenStores stores;
  EXPECT_EQ(stores.AddSeenName(kSeenPictures, "bg01"), 1);
  EXPECT_EQ(stores.AddSeenName(kSeenScripts, "main.txt"), 1);
  EXPECT_EQ(stores.AddSeenName(kSeenPictures, "chr_a"), 1);
  EXPECT_EQ(stores.AddSeenName(kSeenPictures, "BG01"), 0);
  // The other list may hold the same name.
  EXPECT_EQ(stores.AddSeenName(kSeenScripts, "bg01"), 1);
  EXPECT_EQ(stores.AddSeenName(2, "bg02"), 0);
  EXPECT_EQ(Names(stores, kSeenPictures), (std::vector<std::string>{"bg01", "chr_a"}));
  EXPECT_EQ(Names(stores, kSeenScripts), (std::vector<std::string>{"main.txt", "bg01"}));
  EXPECT_EQ(stores.SeenCount(kSeenPictures), 2u);
}

TEST(SeenLists, ALookupFindsANameOnlyInItsOwnListIgnoringCase) {
  CSeenStores stores;
  stores.AddSeenName(kSeenPictures, "bg01");
  stores.AddSeenName(kSeenScripts, "main.txt");
  stores.AddSeenName(kSeenPictures, "EVC002b.bmp");
  const struct {
    int list;
    const char* name;
    bool found;
  } kCases[] = {
      {kSeenPictures, "bg01", true},         {kSeenPictures, "evc002B.BMP", true}, {kSeenPictures, "EVC002b", false},
      {kSeenPictures, "main.txt", false},    {kSeenScripts, "MAIN.TXT", true},     {kSeenScripts, "bg01", false},
      {2, "bg01", false},                    {-1, "bg01", false},
  };
  for (const auto& c : kCases) EXPECT_EQ(stores.HasSeenName(c.list, c.name), c.found) << c.list << " " << c.name;
}

TEST(SeenLists, ThePoolSharedByBothListsRefusesThe4097thName) {
  CSeenStores stores;
  for (std::uint32_t i = 0; i < kSeenEntryCount; ++i) {
    ASSERT_EQ(stores.AddSeenName(static_cast<int>(i % 2), ("n" + std::to_string(i)).c_str()), 1) << i;
  }
  EXPECT_EQ(stores.AddSeenName(kSeenPictures, "one_more"), 0);
  EXPECT_EQ(stores.AddSeenName(kSeenScripts, "one_more"), 0);
  EXPECT_EQ(stores.SeenCount(kSeenPictures) + stores.SeenCount(kSeenScripts), kSeenEntryCount);
  EXPECT_STREQ(stores.SeenName(kSeenScripts, 2047), "n4095");
  stores.ClearSeenNames();
  EXPECT_EQ(stores.AddSeenName(kSeenScripts, "one_more"), 1);
  EXPECT_EQ(Names(stores, kSeenScripts), std::vector<std::string>{"one_more"});
}

TEST(SeenLists, AnOverLongNameIsCutWholeCharactersFirst) {
  CSeenStores stores;
  // 42 ASCII bytes then a double-byte character: 44 bytes do not fit the 43
  // a record holds, and half a character must not be kept.
  const std::string name = std::string(42, 'a') + "\x82\xa0" + "tail";
  EXPECT_EQ(stores.AddSeenName(kSeenPictures, name.c_str()), 1);
  EXPECT_EQ(std::string(stores.SeenName(kSeenPictures, 0)), std::string(42, 'a'));
  // The same long name meets its cut form and is not added twice.
  EXPECT_EQ(stores.AddSeenName(kSeenPictures, name.c_str()), 0);
}

TEST(ReadMarks, APositionIsMarkedOnceAndASetHoldsAtMost1024) {
  CSeenStores stores;
  const ReadMarkSet* set = stores.AddReadMark("main.txt", 120);
  ASSERT_NE(set, nullptr);
  EXPECT_EQ(stores.AddReadMark("MAIN.TXT", 120), set);
  EXPECT_EQ(set->count, 1u);
  EXPECT_EQ(stores.HasReadMark("Main.txt", 120), 1);
  EXPECT_EQ(stores.HasReadMark("main.txt", 121), 0);
  EXPECT_EQ(stores.HasReadMark("other.txt", 120), 0);

  for (std::uint32_t p = 1; p < kReadMarkPositions; ++p) stores.AddReadMark("main.txt", 1000 + p);
  EXPECT_EQ(set->count, kReadMarkPositions);
  EXPECT_EQ(stores.AddReadMark("main.txt", 999999), set);
  EXPECT_EQ(set->count, kReadMarkPositions);
  EXPECT_EQ(stores.HasReadMark("main.txt", 999999), 0);
  EXPECT_EQ(stores.HasReadMark("main.txt", 1000 + kReadMarkPositions - 1), 1);
}

TEST(ReadMarks, The257thScriptGetsNoSetAndStaysUnread) {
  CSeenStores stores;
  for (std::uint32_t i = 0; i < kReadMarkSetCount; ++i) {
    ASSERT_NE(stores.AddReadMark(("s" + std::to_string(i) + ".txt").c_str(), 8), nullptr) << i;
  }
  EXPECT_EQ(stores.AddReadMark("late.txt", 8), nullptr);
  EXPECT_EQ(stores.HasReadMark("late.txt", 8), 0);
  // Sets already there still take positions.
  EXPECT_NE(stores.AddReadMark("s255.txt", 9), nullptr);
  EXPECT_EQ(stores.HasReadMark("s255.txt", 9), 1);
  EXPECT_STREQ(stores.ReadMarkSetAt(255)->name, "s255.txt");
  EXPECT_EQ(stores.ReadMarkSetAt(256), nullptr);
}

TEST(ReadMarks, AnOverLongScriptNameMatchesItsCutForm) {
  CSeenStores stores;
  const std::string longName = std::string(30, 'x') + ".txt";
  ASSERT_NE(stores.AddReadMark(longName.c_str(), 4), nullptr);
  EXPECT_EQ(std::string(stores.ReadMarkSetAt(0)->name), std::string(23, 'x'));
  EXPECT_EQ(stores.HasReadMark(longName.c_str(), 4), 1);
}

}  // namespace
