// Builds ".mlz" archive images: header, 48-byte directory entries, then the
// entries' data in the order given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MlzEntrySource {
  std::string name;  // Shift-JIS bytes, at most 31 so the stored name ends in a NUL
  std::vector<std::uint8_t> data;
  bool compress = true;  // LZSS, else stored
};

// version is '2' or '3'. Throws std::invalid_argument for a bad version, a
// name that does not fit or an archive beyond 32-bit offsets.
std::vector<std::uint8_t> BuildMlzArchive(const std::vector<MlzEntrySource>& entries, char version);
