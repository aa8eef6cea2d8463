#include "game/stores/system_data.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/run/call_log.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Little-endian words and NUL-terminated names, as written by hand.
struct ImageText {
  Bytes bytes;
  ImageText& Word(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
  }
  ImageText& Name(const std::string& s) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
    return *this;
  }
};

class SystemDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    variables.Set("g_cleared", 5);
    variables.Set("local", 9);
    variables.Set("g_route", -1);
    stores.AddSeenName(kSeenPictures, "bg01");
    stores.AddSeenName(kSeenScripts, "main.txt");
    stores.AddSeenName(kSeenPictures, "chr_a");
    stores.AddReadMark("main.txt", 120);
    stores.AddReadMark("sub.txt", 8);
    stores.AddReadMark("main.txt", 300);
  }
  void TearDown() override { HostClearFailures(); }

  static std::string State(const ScriptVariables& v, const CSeenStores& s) {
    const Bytes image = BuildSystemData(v, s);
    return std::string(image.begin(), image.end());
  }

  ScriptVariables variables;
  CSeenStores stores;
  ScopedTempDir dir{"novel_system_data_"};
};

TEST_F(SystemDataTest, TheImageIsByteExact) {
  ImageText expected;
  expected.bytes = {'S', 'T', 'S', '0'};
  expected.Word(2).Name("g_cleared").Word(5).Name("g_route").Word(0xFFFFFFFF);
  expected.Word(2).Word(11).Name("bg01").Name("chr_a");
  expected.Word(1).Word(9).Name("main.txt");
  expected.Word(2).Word(9 + 4 + 8 + 8 + 4 + 4);
  expected.Name("main.txt").Word(2).Word(120).Word(300);
  expected.Name("sub.txt").Word(1).Word(8);
  EXPECT_EQ(BuildSystemData(variables, stores), expected.bytes);

  const Bytes empty = BuildSystemData(ScriptVariables(), CSeenStores());
  EXPECT_EQ(empty, (ImageText{{'S', 'T', 'S', '0'}}.Word(0).Word(0).Word(0).Word(0).Word(0).Word(0).Word(0).bytes));
}

TEST_F(SystemDataTest, WrittenThenReadBackGivesTheSameState) {
  const std::string path = dir.EnginePath("system.dat");
  ASSERT_EQ(WriteSystemDataFile(path.c_str(), variables, stores), 1);
  EXPECT_EQ(dir.ReadFile("system.dat").value_or(""), State(variables, stores));

  ScriptVariables readVariables;
  readVariables.Set("g_stale", 1);
  readVariables.Set("local", 4);
  CSeenStores readStores;
  readStores.AddSeenName(kSeenPictures, "stale");
  readStores.AddReadMark("stale.txt", 1);
  ASSERT_EQ(ReadSystemDataFile(path.c_str(), readVariables, readStores), 1);
  EXPECT_EQ(State(readVariables, readStores), State(variables, stores));
  EXPECT_EQ(readVariables.Get("g_stale"), 0);
  EXPECT_EQ(readVariables.Get("local"), 4);
  EXPECT_EQ(readStores.HasReadMark("main.txt", 300), 1);
  // The read lists take new names after the restored ones.
  EXPECT_EQ(readStores.AddSeenName(kSeenPictures, "bg02"), 1);
  EXPECT_STREQ(readStores.SeenName(kSeenPictures, 2), "bg02");
}

TEST_F(SystemDataTest, ATornWriteLeavesTheOldFile) {
  const std::string path = dir.EnginePath("system.dat");
  ASSERT_EQ(WriteSystemDataFile(path.c_str(), variables, stores), 1);
  const std::string before = dir.ReadFile("system.dat").value_or("");
  stores.AddSeenName(kSeenPictures, "bg_new");
  variables.Set("g_cleared", 6);
  HostFailWritesAfter(20);
  EXPECT_EQ(WriteSystemDataFile(path.c_str(), variables, stores), 0);
  HostClearFailures();
  EXPECT_EQ(dir.ReadFile("system.dat").value_or(""), before);
  EXPECT_FALSE(dir.ReadFile("system.dat.tmp").has_value());

  ScriptVariables readVariables;
  CSeenStores readStores;
  ASSERT_EQ(ReadSystemDataFile(path.c_str(), readVariables, readStores), 1);
  EXPECT_EQ(readVariables.Get("g_cleared"), 5);
  EXPECT_EQ(readStores.SeenCount(kSeenPictures), 2u);
}

TEST_F(SystemDataTest, AMissingShortOrBadImageChangesNothing) {
  const std::string before = State(variables, stores);
  EXPECT_EQ(ReadSystemDataFile(dir.EnginePath("none.dat").c_str(), variables, stores), 0);
  const Bytes image = BuildSystemData(variables, stores);
  for (std::size_t size = 0; size < image.size(); ++size) {
    EXPECT_EQ(ApplySystemData(image.data(), size, variables, stores), 0) << size;
  }
  // A count far beyond what the file can hold.
  Bytes huge = image;
  huge[4] = 0xFF;
  huge[7] = 0x7F;
  EXPECT_EQ(ApplySystemData(huge.data(), huge.size(), variables, stores), 0);
  EXPECT_EQ(State(variables, stores), before);
}

TEST_F(SystemDataTest, ADamagedFileIsKeptBesideAndTheNextWriteReplacesOnlyTheFile) {
  const std::string path = dir.EnginePath("system.dat");
  ASSERT_EQ(WriteSystemDataFile(path.c_str(), variables, stores), 1);
  std::string damaged = dir.ReadFile("system.dat").value_or("");
  damaged.resize(damaged.size() - 3);
  dir.WriteFile("system.dat", damaged);

  ScriptVariables readVariables;
  CSeenStores readStores;
  EXPECT_EQ(ReadSystemDataFile(path.c_str(), readVariables, readStores), 0);
  EXPECT_TRUE(readVariables.Globals().empty());
  EXPECT_EQ(dir.ReadFile("system.dat.bad").value_or(""), damaged);
  ASSERT_EQ(WriteSystemDataFile(path.c_str(), readVariables, readStores), 1);
  EXPECT_EQ(dir.ReadFile("system.dat.bad").value_or(""), damaged);
}

TEST_F(SystemDataTest, AStoredSetKeepsNoMorePositionsThanASetHolds) {
  // The last set of a full pool, so nothing follows it in memory.
  ImageText image;
  image.bytes = {'S', 'T', 'S', '0'};
  image.Word(0).Word(0).Word(0).Word(0).Word(0);
  image.Word(kReadMarkSetCount).Word(0);
  for (std::uint32_t s = 0; s + 1 < kReadMarkSetCount; ++s) image.Name("s" + std::to_string(s)).Word(1).Word(s);
  image.Name("long.txt").Word(kReadMarkPositions + 6);
  for (std::uint32_t p = 0; p < kReadMarkPositions + 6; ++p) image.Word(p);
  ASSERT_EQ(ApplySystemData(image.bytes.data(), image.bytes.size(), variables, stores), 1);
  const ReadMarkSet* last = stores.ReadMarkSetAt(kReadMarkSetCount - 1);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->count, kReadMarkPositions);
  EXPECT_EQ(stores.HasReadMark("long.txt", kReadMarkPositions - 1), 1);
  EXPECT_EQ(stores.HasReadMark("long.txt", kReadMarkPositions), 0);
}

TEST_F(SystemDataTest, FullStoresRoundTripWhole) {
  CSeenStores full;
  for (std::uint32_t i = 0; i < kSeenEntryCount; ++i) {
    full.AddSeenName(static_cast<int>(i % 2), (std::string(30, 'n') + std::to_string(i)).c_str());
  }
  for (std::uint32_t s = 0; s < kReadMarkSetCount; ++s) {
    const std::string script = "script" + std::to_string(s) + ".txt";
    for (std::uint32_t p = 0; p < kReadMarkPositions; ++p) full.AddReadMark(script.c_str(), p * 16 + s);
  }
  const std::string path = dir.EnginePath("system.dat");
  ASSERT_EQ(WriteSystemDataFile(path.c_str(), ScriptVariables(), full), 1);
  ScriptVariables readVariables;
  CSeenStores readStores;
  ASSERT_EQ(ReadSystemDataFile(path.c_str(), readVariables, readStores), 1);
  EXPECT_EQ(State(readVariables, readStores), State(ScriptVariables(), full));
  EXPECT_EQ(readStores.HasReadMark("script255.txt", 1023 * 16 + 255), 1);
}

}  // namespace
