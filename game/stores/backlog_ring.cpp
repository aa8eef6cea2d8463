#include "game/stores/backlog_ring.h"

#include <cstring>

#include "common/sjis_string.h"

std::uint32_t CBacklogRing::KeptCap(std::uint32_t sizeMode) {
  switch (sizeMode) {
    case 1:
      return 48;
    case 2:
      return 64;
    case 3:
      return 96;
    default:
      return 32;
  }
}

void CBacklogRing::AddBacklogEntry(const char* voice, const char* speaker, const char* text) {
  BacklogEntry& entry = entries_[next_];
  StrCopy(entry.text, text != nullptr ? text : "");
  StrCopy(entry.speaker, speaker != nullptr ? speaker : "");
  StrCopy(entry.voice, voice != nullptr ? voice : "");
  next_ = (next_ + 1) % kBacklogSlots;
  if (kept_ < KeptCap(sizeMode_)) ++kept_;
}

int CBacklogRing::GetBacklogEntry(std::int32_t n, char (*voice)[kBacklogVoiceSize],
                                  char (*speaker)[kBacklogSpeakerSize], char (*text)[kBacklogTextSize]) const {
  if (n < 0 || static_cast<std::uint32_t>(n) >= kept_) return -1;
  const std::uint32_t index = (next_ + kBacklogSlots - 1 - static_cast<std::uint32_t>(n)) % kBacklogSlots;
  const BacklogEntry& entry = entries_[index];
  if (voice != nullptr) std::memcpy(*voice, entry.voice, sizeof entry.voice);
  if (speaker != nullptr) std::memcpy(*speaker, entry.speaker, sizeof entry.speaker);
  if (text != nullptr) std::memcpy(*text, entry.text, sizeof entry.text);
  return n + 1;
}

void CBacklogRing::Clear() {
  kept_ = 0;
  next_ = 0;
}
