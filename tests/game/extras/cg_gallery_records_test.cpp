// The CG gallery's data file: the compiled table holds exactly its records, and
// the tools' reader, which the demo game's builder uses, yields the same ones.
#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "game/extras/cg_gallery_table.h"

namespace {

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
  const std::string command =
      "python3 " + std::string(NOVEL_TEST_DATA_DIR) + "/../../tools/cg_gallery_records.py 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  ASSERT_EQ(pclose(pipe), 0) << output;
  EXPECT_EQ(output, TableLines());
}

}  // namespace
