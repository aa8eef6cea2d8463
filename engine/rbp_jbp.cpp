#include "engine/rbp_jbp.h"

// Stand-in until the engine's picture decoder is linked in: every record is
// refused, so kinds 30 and 32 fail to load.
std::uint16_t* DecodeRbpJbpRecord(const std::uint8_t*, std::size_t, std::uint32_t, std::uint32_t) {
  return nullptr;
}
