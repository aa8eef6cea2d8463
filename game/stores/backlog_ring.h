// The backlog: the last message pages of the current game with speaker and
// voice, newest first to its readers. The ring has 96 slots; how many
// entries are kept depends on the size mode (see KeptCap), read from the
// option word the ring is given; the mode the engine object sets keeps 32.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr std::uint32_t kBacklogSlots = 96;
inline constexpr std::size_t kBacklogTextSize = 160;
inline constexpr std::size_t kBacklogSpeakerSize = 48;
inline constexpr std::size_t kBacklogVoiceSize = 24;

struct BacklogEntry {
  char text[kBacklogTextSize];
  char speaker[kBacklogSpeakerSize];
  char voice[kBacklogVoiceSize];
};

class CBacklogRing {
 public:
  explicit CBacklogRing(const std::uint32_t& sizeMode) : sizeMode_(sizeMode) {}

  // The kept-entry cap of a size mode: 0, 1, 2, 3 give 32, 48, 64, 96; any
  // other mode 32.
  static std::uint32_t KeptCap(std::uint32_t sizeMode);

  // Texts longer than their fields are cut at a character boundary.
  void AddBacklogEntry(const char* voice, const char* speaker, const char* text);
  // n = 0 is the newest entry. Returns n + 1, or -1 when n is not below the
  // kept count. Any out buffer may be null; each gets its whole field.
  int GetBacklogEntry(std::int32_t n, char (*voice)[kBacklogVoiceSize], char (*speaker)[kBacklogSpeakerSize],
                      char (*text)[kBacklogTextSize]) const;
  void Clear();

  std::uint32_t KeptCount() const { return kept_; }

 private:
  const std::uint32_t& sizeMode_;
  BacklogEntry entries_[kBacklogSlots] = {};
  std::uint32_t kept_ = 0;
  std::uint32_t next_ = 0;
};
