#include "game/stores/seen_stores.h"

#include <cstring>

#include "common/sjis_string.h"

CSeenStores::CSeenStores() : pool_(std::make_unique<SeenPool>()) { std::memset(pool_.get(), 0, sizeof(SeenPool)); }

int CSeenStores::AddSeenName(int list, const char* name) {
  if (list < 0 || list >= kSeenListCount) return 0;
  char bounded[kSeenNameSize];
  StrCopy(bounded, name);
  for (std::uint32_t link = heads_[list]; link != 0; link = pool_->seen[link - 1].link) {
    if (StrEqualNoCase(pool_->seen[link - 1].name, bounded)) return 0;
  }
  if (pool_->seenCount >= kSeenEntryCount) return 0;
  const std::uint32_t index = pool_->seenCount++;
  SeenEntry& entry = pool_->seen[index];
  entry.link = 0;
  std::memcpy(entry.name, bounded, sizeof bounded);
  if (tails_[list] != 0) {
    pool_->seen[tails_[list] - 1].link = index + 1;
  } else {
    heads_[list] = index + 1;
  }
  tails_[list] = index + 1;
  ++counts_[list];
  return 1;
}

const char* CSeenStores::SeenName(int list, std::uint32_t n) const {
  if (list < 0 || list >= kSeenListCount) return nullptr;
  std::uint32_t link = heads_[list];
  for (; link != 0 && n > 0; --n) link = pool_->seen[link - 1].link;
  return link != 0 ? pool_->seen[link - 1].name : nullptr;
}

bool CSeenStores::HasSeenName(int list, const char* name) const {
  if (list < 0 || list >= kSeenListCount) return false;
  for (std::uint32_t link = heads_[list]; link != 0; link = pool_->seen[link - 1].link) {
    if (StrEqualNoCase(pool_->seen[link - 1].name, name)) return true;
  }
  return false;
}

std::uint32_t CSeenStores::SeenCount(int list) const {
  return list >= 0 && list < kSeenListCount ? counts_[list] : 0;
}

const ReadMarkSet* CSeenStores::FindSet(const char* script) const {
  char bounded[kReadMarkNameSize];
  StrCopy(bounded, script);
  for (std::uint32_t i = 0; i < pool_->setCount; ++i) {
    if (StrEqualNoCase(pool_->sets[i].name, bounded)) return &pool_->sets[i];
  }
  return nullptr;
}

int CSeenStores::HasReadMark(const char* script, std::uint32_t position) const {
  const ReadMarkSet* set = FindSet(script);
  if (set == nullptr) return 0;
  for (std::uint32_t i = 0; i < set->count; ++i) {
    if (set->positions[i] == position) return 1;
  }
  return 0;
}

const ReadMarkSet* CSeenStores::AddReadMark(const char* script, std::uint32_t position) {
  if (const ReadMarkSet* found = FindSet(script)) {
    if (HasReadMark(script, position) || found->count >= kReadMarkPositions) return found;
    ReadMarkSet& set = pool_->sets[found - pool_->sets];
    set.positions[set.count++] = position;
    return found;
  }
  ReadMarkSet* set = TakeSet(script);
  if (set == nullptr) return nullptr;
  set->positions[0] = position;
  set->count = 1;
  return set;
}

ReadMarkSet* CSeenStores::TakeSet(const char* script) {
  if (pool_->setCount >= kReadMarkSetCount) return nullptr;
  const std::uint32_t index = pool_->setCount++;
  ReadMarkSet& set = pool_->sets[index];
  set.link = 0;
  if (index > 0) pool_->sets[index - 1].link = index + 1;
  StrCopy(set.name, script);
  set.count = 0;
  return &set;
}

const ReadMarkSet* CSeenStores::RestoreReadMarkSet(const char* script, const std::uint32_t* positions,
                                                   std::uint32_t count) {
  ReadMarkSet* set = TakeSet(script);
  if (set == nullptr) return nullptr;
  const std::uint32_t kept = count < kReadMarkPositions ? count : kReadMarkPositions;
  // A stored set may hold no positions at all, and then no array stands behind them.
  if (kept > 0) std::memcpy(set->positions, positions, kept * sizeof(std::uint32_t));
  set->count = kept;
  return set;
}

const ReadMarkSet* CSeenStores::ReadMarkSetAt(std::uint32_t n) const {
  return n < pool_->setCount ? &pool_->sets[n] : nullptr;
}

void CSeenStores::ClearSeenNames() {
  pool_->seenCount = 0;
  for (int list = 0; list < kSeenListCount; ++list) heads_[list] = tails_[list] = counts_[list] = 0;
}

void CSeenStores::ClearReadMarks() { pool_->setCount = 0; }
