// What the player has met, kept across games: the seen-lists (0 pictures,
// 1 scripts) and the read marks (the finished message pages of each script).
// Both live in one fixed pool allocated once; every bound is the one
// "system.dat" is built for, so nothing here ever grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

inline constexpr int kSeenListCount = 2;
inline constexpr int kSeenPictures = 0;
inline constexpr int kSeenScripts = 1;
inline constexpr std::uint32_t kSeenEntryCount = 4096;
inline constexpr std::size_t kSeenNameSize = 44;
inline constexpr std::uint32_t kReadMarkSetCount = 256;
inline constexpr std::uint32_t kReadMarkPositions = 1024;
inline constexpr std::size_t kReadMarkNameSize = 24;

// Links hold the next record's index + 1; 0 ends a list.
struct SeenEntry {
  std::uint32_t link;
  char name[kSeenNameSize];
};

struct ReadMarkSet {
  std::uint32_t link;
  char name[kReadMarkNameSize];
  std::uint32_t positions[kReadMarkPositions];
  std::uint32_t count;
};

struct SeenPool {
  std::uint32_t seenCount;
  SeenEntry seen[kSeenEntryCount];
  std::uint32_t setCount;
  ReadMarkSet sets[kReadMarkSetCount];
};
static_assert(sizeof(SeenPool) == 1253384, "the pool is the engine object's fixed block");

class CSeenStores {
 public:
  CSeenStores();

  // 1 when added; 0 when the list already holds the name (ASCII case
  // ignored), the pool is full or the list number is bad. Names longer than
  // a record holds are cut at a character boundary.
  int AddSeenName(int list, const char* name);
  // The list's names in first-seen order: index n, or null past the end.
  const char* SeenName(int list, std::uint32_t n) const;
  std::uint32_t SeenCount(int list) const;
  // Whether the list holds the name (ASCII case ignored), in one walk of
  // the list.
  bool HasSeenName(int list, const char* name) const;

  int HasReadMark(const char* script, std::uint32_t position) const;
  // The script's set, or null when a new set was needed and none is left.
  const ReadMarkSet* AddReadMark(const char* script, std::uint32_t position);
  // A stored set taken anew with up to 1,024 of its positions; null when
  // none is left.
  const ReadMarkSet* RestoreReadMarkSet(const char* script, const std::uint32_t* positions, std::uint32_t count);
  // The sets in the order they were taken: index n, or null past the end.
  const ReadMarkSet* ReadMarkSetAt(std::uint32_t n) const;

  // Empties both seen-lists, or the read marks.
  void ClearSeenNames();
  void ClearReadMarks();

 private:
  const ReadMarkSet* FindSet(const char* script) const;
  ReadMarkSet* TakeSet(const char* script);

  std::unique_ptr<SeenPool> pool_;
  std::uint32_t heads_[kSeenListCount] = {};
  std::uint32_t tails_[kSeenListCount] = {};
  std::uint32_t counts_[kSeenListCount] = {};
};
