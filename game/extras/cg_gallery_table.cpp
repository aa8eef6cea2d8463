#include "game/extras/cg_gallery_table.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The pictures the game names itself; every other identifier of the tabs
// holds stand-in pictures "CG<identifier>-<n>" that a game's data replaces.
struct NamedPictures {
  std::int32_t identifier;
  const char* stem;
  int count;  // 0: the stem is the one name
};
constexpr NamedPictures kNamed[] = {
    {0, "EVC002b", 0}, {1, "EVC003b-", 4}, {2, "EVY002-", 2}, {19, "EDY-", 5},
    {49, "EDR-", 7},   {81, "EDM-", 8},    {119, "EDSS-", 4}, {141, "EDSH-", 5},
};
// Stand-in pictures an identifier: three up to this one, two after it.
constexpr std::int32_t kLastOfThree = 169;

struct BuiltTable {
  std::vector<std::string> names;
  std::vector<PictureRecord> records;

  BuiltTable() {
    std::vector<std::int32_t> identifiers;
    for (std::uint32_t tab = 0; tab < kCgGalleryTabs; ++tab) {
      std::int32_t id = static_cast<std::int32_t>(32 * tab);
      for (std::uint32_t page = 0; page < gCgGalleryPageCounts[tab]; ++page) {
        for (std::uint32_t k = 0; k < kCgGalleryPositions[tab][page]; ++k) identifiers.push_back(id++);
      }
    }
    std::vector<std::int32_t> owners;
    for (const std::int32_t id : identifiers) {
      const NamedPictures* named = nullptr;
      for (const NamedPictures& n : kNamed) {
        if (n.identifier == id) named = &n;
      }
      char name[32];
      if (named != nullptr && named->count == 0) {
        names.emplace_back(named->stem);
        owners.push_back(id);
        continue;
      }
      const int count = named != nullptr ? named->count : id <= kLastOfThree ? 3 : 2;
      for (int n = 1; n <= count; ++n) {
        if (named != nullptr) {
          std::snprintf(name, sizeof name, "%s%d", named->stem, n);
        } else {
          std::snprintf(name, sizeof name, "CG%03d-%d", static_cast<int>(id), n);
        }
        names.emplace_back(name);
        owners.push_back(id);
      }
    }
    for (std::size_t i = 0; i < names.size(); ++i) records.push_back({owners[i], 0, names[i].c_str()});
    records.push_back({-1, 0, nullptr});
  }
};

}  // namespace

const PictureRecord* CgGalleryTable() {
  static const BuiltTable table;
  return table.records.data();
}
