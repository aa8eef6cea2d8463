#include "game/script/script_archive.h"

#include <cstdint>

#include "host/memory/memory_api.h"

bool ReadScriptFromArchive(CArchiveReader& reader, const char* archivePath, const char* name,
                           std::vector<char>& bytes) {
  std::uint32_t size = 0;
  void* block = reader.ReadEntry(archivePath, name, &size);
  if (block == nullptr) return false;
  const char* data = static_cast<const char*>(block);
  bytes.assign(data, data + size);
  LocalFree(block);
  return true;
}
