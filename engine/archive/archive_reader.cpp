// ".mlz" directory cache and entry reads. Everything the directory says is
// checked against the file before it is used, so a damaged archive fails
// cleanly instead of over-reading or handing back bytes never read.
#include "engine/archive/archive_reader.h"

#include <cstring>
#include <memory>

#include "common/byte_order.h"
#include "common/sjis_string.h"
#include "engine/runtime/file_helpers.h"
#include "host/memory/memory_api.h"

namespace {

bool HasArchiveMagic(const std::uint8_t* header) {
  return header[0] == 'R' && header[1] == 'L' && header[2] == 'Z' &&
         (header[3] == '2' || header[3] == '3');
}

RlzIndexEntry ParseIndexEntry(const std::uint8_t* bytes) {
  RlzIndexEntry entry;
  std::memcpy(entry.name, bytes, kRlzNameSize);
  entry.packedSize = ReadLe32(bytes + 32);
  entry.unpackedSize = ReadLe32(bytes + 36);
  entry.method = ReadLe32(bytes + 40);
  entry.dataOffset = ReadLe32(bytes + 44);
  return entry;
}

// The LZSS stream yields at most eight bytes per packed byte (a flag byte and
// eight 17-byte matches: 136 bytes from 17); a directory that claims more
// describes a damaged entry, and its size is not worth allocating.
constexpr std::uint64_t kLzssMaxExpansion = 8;

}  // namespace

const std::vector<RlzIndexEntry>* CArchiveReader::LoadIndex(const char* archivePath, int reload) {
  if (archivePath == nullptr) return nullptr;
  if (!reload && !path_.empty() && StrEqualNoCase(path_.c_str(), archivePath)) {
    return directory_.empty() ? nullptr : &directory_;
  }

  const std::int32_t fileSize = QueryFileSize(archivePath);
  std::uint8_t header[kRlzHeaderSize];
  if (fileSize < static_cast<std::int32_t>(kRlzHeaderSize) ||
      ReadFileRange(archivePath, header, 0, 0, kRlzHeaderSize) != kRlzHeaderSize ||
      !HasArchiveMagic(header)) {
    return nullptr;
  }
  const std::uint32_t count = ReadLe32(header + 4);
  const std::uint64_t directoryBytes = std::uint64_t{kRlzEntrySize} * count;
  if (kRlzHeaderSize + directoryBytes > static_cast<std::uint64_t>(fileSize)) return nullptr;

  std::vector<std::uint8_t> raw(directoryBytes);
  if (count != 0 && ReadFileRange(archivePath, raw.data(), 0, kRlzHeaderSize,
                                  static_cast<std::uint32_t>(directoryBytes)) != directoryBytes) {
    return nullptr;
  }
  std::vector<RlzIndexEntry> directory;
  directory.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) directory.push_back(ParseIndexEntry(&raw[i * kRlzEntrySize]));

  directory_ = std::move(directory);
  path_ = archivePath;
  dataStart_ = kRlzHeaderSize + directoryBytes;
  fileSize_ = static_cast<std::uint64_t>(fileSize);
  return directory_.empty() ? nullptr : &directory_;
}

const RlzIndexEntry* CArchiveReader::FindEntry(const char* archivePath, const char* entryName) {
  const std::vector<RlzIndexEntry>* directory = LoadIndex(archivePath, 0);
  if (directory == nullptr || entryName == nullptr) return nullptr;
  for (const RlzIndexEntry& entry : *directory) {
    if (StrEqualNoCase(entry.name, entryName)) return &entry;
  }
  return nullptr;
}

bool CArchiveReader::LiesInFile(const RlzIndexEntry& entry) const {
  return dataStart_ + entry.dataOffset + entry.packedSize <= fileSize_;
}

int CArchiveReader::ReadPackedBytes(const RlzIndexEntry& entry, void* destination) {
  if (!LiesInFile(entry)) return 0;
  if (entry.packedSize == 0) return 1;
  return ReadFileRange(path_.c_str(), destination, 0, static_cast<std::int32_t>(dataStart_ + entry.dataOffset),
                       entry.packedSize) == entry.packedSize;
}

int CArchiveReader::HasEntry(const char* archivePath, const char* entryName) {
  return FindEntry(archivePath, entryName) != nullptr;
}

void* CArchiveReader::ReadEntry(const char* archivePath, const char* entryName,
                                std::uint32_t* unpackedSize) {
  int usedBuffer = 0;
  return ReadEntryInto(archivePath, entryName, unpackedSize, nullptr, 0, &usedBuffer);
}

void* CArchiveReader::ReadEntryInto(const char* archivePath, const char* entryName,
                                    std::uint32_t* unpackedSize, void* buffer,
                                    std::uint32_t bufferSize, int* usedBuffer) {
  if (usedBuffer != nullptr) *usedBuffer = 0;
  if (unpackedSize != nullptr) *unpackedSize = 0;
  const RlzIndexEntry* entry = FindEntry(archivePath, entryName);
  // Sizes are checked against the file before anything is allocated for them.
  if (entry == nullptr || !LiesInFile(*entry)) return nullptr;

  void* result = nullptr;
  if (entry->method != kRlzMethodLzss) {
    // Callers take the unpacked size as the block's length.
    if (entry->packedSize != entry->unpackedSize) return nullptr;
    if (entry->method == kRlzMethodStored && buffer != nullptr && entry->packedSize <= bufferSize) {
      if (!ReadPackedBytes(*entry, buffer)) return nullptr;
      if (usedBuffer != nullptr) *usedBuffer = 1;
      result = buffer;
    } else {
      result = LocalAlloc(LMEM_FIXED, entry->packedSize);
      if (result == nullptr) return nullptr;
      if (!ReadPackedBytes(*entry, result)) {
        LocalFree(result);
        return nullptr;
      }
    }
  } else {
    if (entry->unpackedSize > kLzssMaxExpansion * entry->packedSize) return nullptr;
    std::unique_ptr<void, decltype(&LocalFree)> packed(LocalAlloc(LMEM_FIXED, entry->packedSize), &LocalFree);
    if (packed == nullptr || !ReadPackedBytes(*entry, packed.get())) return nullptr;
    result = LocalAlloc(LMEM_FIXED, entry->unpackedSize);
    if (result == nullptr) return nullptr;
    // Packed data that runs on past the unpacked size is damaged, not cut.
    bool overrun = false;
    if (UnpackLzss(result, packed.get(), entry->unpackedSize, entry->packedSize, &overrun) != entry->unpackedSize ||
        overrun) {
      LocalFree(result);
      return nullptr;
    }
  }
  if (unpackedSize != nullptr) *unpackedSize = entry->unpackedSize;
  return result;
}
