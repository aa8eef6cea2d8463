// Reader for ".mlz" archives: a 12-byte header ("RLZ2" or "RLZ3", entry
// count, one unused word), a directory of 48-byte entries and the entries'
// data, each stored plain or LZSS-packed. A reader keeps the directory of the
// last archive it opened, so repeated reads from one archive cost one
// directory read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One directory entry as the reader keeps it. The name is the file's 32 bytes
// plus a NUL of our own, so a name that fills all 32 bytes still ends.
struct RlzIndexEntry {
  char name[33] = {};
  std::uint32_t packedSize = 0;    // bytes stored in the archive
  std::uint32_t unpackedSize = 0;  // bytes after unpacking
  std::uint32_t method = 0;        // 1 = LZSS, any other value = stored
  std::uint32_t dataOffset = 0;    // counted from the end of the directory
};

inline constexpr std::uint32_t kRlzHeaderSize = 12;
inline constexpr std::uint32_t kRlzEntrySize = 48;
inline constexpr std::uint32_t kRlzNameSize = 32;
inline constexpr std::uint32_t kRlzMethodLzss = 1;
inline constexpr std::uint32_t kRlzMethodStored = 0;

// The LZSS variant: a 2,048-byte ring, cleared before each entry, written from
// position 2,031; matches are 2 to 17 bytes long.
inline constexpr std::uint32_t kLzssRingSize = 2048;
inline constexpr std::uint32_t kLzssStartPosition = kLzssRingSize - 17;
inline constexpr std::uint32_t kLzssMinMatch = 2;
inline constexpr std::uint32_t kLzssMaxMatch = 17;

class CArchiveReader {
 public:
  CArchiveReader() = default;
  ~CArchiveReader() = default;
  CArchiveReader(const CArchiveReader&) = delete;
  CArchiveReader& operator=(const CArchiveReader&) = delete;

  // 1 when the archive holds the name (ASCII letters compared without case).
  int HasEntry(const char* archivePath, const char* entryName);
  // A new LocalAlloc block with the entry's unpacked bytes (the caller frees
  // it with LocalFree; an empty entry gives a valid block of no bytes), or
  // null when the archive cannot be read, is not an archive, lacks the name or
  // the entry is damaged. The unpacked size goes to *unpackedSize when given.
  void* ReadEntry(const char* archivePath, const char* entryName, std::uint32_t* unpackedSize);
  // As ReadEntry, but a stored entry that fits the caller's buffer is read
  // into it (*usedBuffer = 1, the buffer is returned); otherwise a new block
  // comes back with *usedBuffer = 0.
  void* ReadEntryInto(const char* archivePath, const char* entryName, std::uint32_t* unpackedSize,
                      void* buffer, std::uint32_t bufferSize, int* usedBuffer);
  // The directory of the archive, read again only for another path (compared
  // without case) or when reload is non-zero. Null when the file cannot be
  // read, has no archive header or holds no entries; a failed header read
  // leaves the previous directory in place. The directory stays valid until
  // another archive is loaded.
  const std::vector<RlzIndexEntry>* LoadIndex(const char* archivePath, int reload);

  // Unpacks at most unpackedSize bytes of the packed stream into out (which
  // must hold unpackedSize bytes) and returns the number unpacked:
  // unpackedSize for well-formed data, fewer when the stream ends early (the
  // rest of out may then have been written over). *overrun, when given, is
  // set when the packed stream holds more than unpackedSize bytes.
  static std::uint32_t UnpackLzss(void* out, const void* in, std::uint32_t unpackedSize,
                                  std::uint32_t packedSize, bool* overrun = nullptr);

 private:
  const RlzIndexEntry* FindEntry(const char* archivePath, const char* entryName);
  // Whether the entry's packed bytes lie inside the archive file.
  bool LiesInFile(const RlzIndexEntry& entry) const;
  // Reads an entry's packed bytes into destination after checking they lie
  // inside the file; 0 on any failure.
  int ReadPackedBytes(const RlzIndexEntry& entry, void* destination);

  std::vector<RlzIndexEntry> directory_;
  std::string path_;        // empty when nothing is cached
  std::uint64_t dataStart_ = 0;  // file position of the end of the directory
  std::uint64_t fileSize_ = 0;
};
