// The CG gallery's data file: the compiled table holds exactly its records, and
// the tools' reader, which the demo game's builder uses, yields the same ones.
#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "game/extras/cg_gallery_table.h"
#include "support/scoped_temp_dir.h"
#include "support/shell_command.h"

namespace {

const std::string kSourceDir = std::string(NOVEL_TEST_DATA_DIR) + "/../..";

// What the table holds, one "identifier name" line a record.
std::string TableLines() {
  std::string lines;
  for (const PictureRecord* r = CgGalleryTable(); r->identifier != -1; ++r)
    lines += std::to_string(r->identifier) + " " + r->name + "\n";
  return lines;
}

// The game's own pictures: identifier, name stem, pictures (0: the stem is the name).
struct NamedPictures {
  std::int32_t identifier;
  const char* stem;
  int count;
};
constexpr NamedPictures kNamed[] = {
    {0, "EVC002b", 0}, {1, "EVC003b-", 4}, {2, "EVY002-", 2}, {19, "EDY-", 5},
    {49, "EDR-", 7},   {81, "EDM-", 8},    {119, "EDSS-", 4}, {141, "EDSH-", 5},
};

TEST(CgGalleryRecords, TheTableHoldsTheNamedPicturesAndStandInsForEveryOtherIdentifier) {
  std::string expected;
  std::set<std::string> named;
  std::size_t standIns = 0;
  for (std::uint32_t tab = 0; tab < kCgGalleryTabs; ++tab) {
    std::int32_t id = static_cast<std::int32_t>(32 * tab);
    for (std::uint32_t page = 0; page < gCgGalleryPageCounts[tab]; ++page) {
      for (std::uint32_t k = 0; k < kCgGalleryPositions[tab][page]; ++k, ++id) {
        const NamedPictures* own = nullptr;
        for (const NamedPictures& n : kNamed) own = n.identifier == id ? &n : own;
        const std::string prefix = std::to_string(id) + " ";
        if (own != nullptr && own->count == 0) {
          expected += prefix + own->stem + "\n";
          named.insert(own->stem);
          continue;
        }
        const int count = own != nullptr ? own->count : id <= 169 ? 3 : 2;
        for (int n = 1; n <= count; ++n) {
          char name[32];
          if (own != nullptr) {
            std::snprintf(name, sizeof name, "%s%d", own->stem, n);
            named.insert(name);
          } else {
            std::snprintf(name, sizeof name, "CG%03d-%d", static_cast<int>(id), n);
            ++standIns;
            EXPECT_EQ(named.count(name), 0u) << name;
          }
          expected += prefix + name + "\n";
        }
      }
    }
  }
  EXPECT_EQ(named.size(), 36u);
  EXPECT_EQ(standIns, 143u * 3 + 50u * 2);
  EXPECT_EQ(TableLines(), expected);
}

TEST(CgGalleryRecords, TheToolsReaderYieldsTheCompiledTable) {
  std::string output;
  ASSERT_EQ(RunShell("python3 " + kSourceDir + "/tools/cg_gallery_records.py", output), 0) << output;
  EXPECT_EQ(output, TableLines());
}

// The build's conversion of a data file, run as a script on a file of its own.
class CgRecordsConversion : public ::testing::Test {
 protected:
  int Convert(const std::string& records, std::string& output) const {
    std::remove(dir_.HostPath("records.inc").c_str());
    const std::string command = "cmake -DRECORDS=" + dir_.WriteFile("records.txt", records) +
                                " -DOUTPUT=" + dir_.HostPath("records.inc") + " -P " + kSourceDir +
                                "/game/extras/cg_gallery_table.cmake";
    return RunShell(command, output);
  }
  ScopedTempDir dir_{"cg_records"};
};

TEST_F(CgRecordsConversion, TakesCommentsBlankLinesAndWindowsLineEndsAndDropsLeadingZeros) {
  std::string output;
  ASSERT_EQ(Convert("# a comment; with [brackets\r\n\n  007\tA-1 \r\n7 B\n 8 c.d_e(2)\n", output), 0) << output;
  EXPECT_EQ(dir_.ReadFile("records.inc"),
            "    {7, 0, \"A-1\"},\n    {7, 0, \"B\"},\n    {8, 0, \"c.d_e(2)\"},\n");
}

TEST_F(CgRecordsConversion, RefusesARecordTheTableCouldNotHoldAsWritten) {
  struct Case {
    const char* records;
    const char* line;  // named in the message
  };
  const Case kCases[] = {
      {"1 A\n0 B\n", ":2:"},           {"1 \"A\n", ":1:"},      {"1 A\\B\n", ":1:"},
      {"1 A;B\n", ":1:"},               {"# x\n1 A[B]\n", ":2:"}, {"1\n", ":1:"},
      {"1 A B\n", ":1:"},               {"-1 A\n", ":1:"},       {"1234567890 A\n", ":1:"},
      {"1 ABCDEFGHIJKLMNOPQRSTUVWXYZ012345\n", ":1:"},
  };
  for (const Case& c : kCases) {
    std::string output;
    EXPECT_NE(Convert(c.records, output), 0) << c.records;
    EXPECT_NE(output.find(c.line), std::string::npos) << c.records << output;
    EXPECT_FALSE(dir_.ReadFile("records.inc").has_value()) << c.records;
  }
}

}  // namespace
