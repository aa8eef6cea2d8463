// An ".mlz" archive: its directory, every entry stored or packed, read into a
// new block and into a small caller's buffer; and the bytes as a raw LZSS
// stream.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/archive/archive_reader.h"
#include "fuzz/fuzz_input.h"
#include "host/memory/memory_api.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  LimitAllocationsAsTheDevice();
  const std::string path = WriteFuzzFile(data, size, ".mlz");
  CArchiveReader reader;
  if (const std::vector<RlzIndexEntry>* directory = reader.LoadIndex(path.c_str(), 1)) {
    std::vector<RlzIndexEntry> entries(*directory);
    if (entries.size() > 64) entries.resize(64);
    for (const RlzIndexEntry& entry : entries) {
      char name[kRlzNameSize + 1] = {};
      std::memcpy(name, entry.name, kRlzNameSize);
      std::uint32_t unpacked = 0;
      LocalFree(reader.ReadEntry(path.c_str(), name, &unpacked));
      std::uint8_t buffer[256];
      int usedBuffer = 0;
      void* block = reader.ReadEntryInto(path.c_str(), name, &unpacked, buffer, sizeof buffer, &usedBuffer);
      if (!usedBuffer) LocalFree(block);
    }
  }
  std::vector<std::uint8_t> out(std::min<std::size_t>(size * 8, 1 << 20));
  bool overrun = false;
  CArchiveReader::UnpackLzss(out.data(), data, static_cast<std::uint32_t>(out.size()),
                             static_cast<std::uint32_t>(size), &overrun);
  return 0;
}
