// The registry text store, parsed once and kept while its file stays the
// same: each look-up checks the file's identity, size and times, and a file
// changed too recently for its times to tell a rewrite apart is compared by
// its bytes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/base/win_types.h"

struct RegistryValue {
  std::string name;
  DWORD type;
  std::string data;  // REG_SZ text (without terminator) or 4 little-endian bytes
};

struct RegistryKey {
  std::string header;  // "[ROOT\sub\key]" as written in the file
  std::vector<RegistryValue> values;
};

using RegistryKeys = std::vector<RegistryKey>;

// The keys of the store at path as the file holds them now; null when it
// cannot be read.
std::shared_ptr<const RegistryKeys> RegistryStoreKeys(const std::string& path);
