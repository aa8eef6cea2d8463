// The byte layer under both MPEG readers, in the order data flows: a file
// source with 64-bit positions, a block buffer that serves bits and finds
// start codes, and the system stream's byte reader that feeds the buffer from
// the file and can also search backward.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/base/win_types.h"

namespace reelpack {

// A read-only file over the platform's file calls.
class FILE_SOURCE {
 public:
  explicit FILE_SOURCE(HANDLE file) : file_(file) {}
  ~FILE_SOURCE() { close(); }
  FILE_SOURCE(const FILE_SOURCE&) = delete;
  FILE_SOURCE& operator=(const FILE_SOURCE&) = delete;

  int close();
  std::int64_t tell();
  // whence 0 from the start, 1 from the current position, 2 from the end; a
  // target before the start becomes 0; any other whence gives 0 and stays.
  std::int64_t seek(std::int64_t offset, int whence);
  // Reads until n bytes arrive or the file ends; returns the bytes read.
  std::int64_t read(std::uint8_t* destination, std::int64_t n);

 private:
  std::int64_t size();
  std::int64_t moveTo(std::int64_t position);

  HANDLE file_;
};

// The handle is not checked: a file that cannot be opened reads as empty.
std::unique_ptr<FILE_SOURCE> fileSourceOpen(const char* path);

// Data arrives in blocks of up to 512 KiB with an 8-byte carry area in front
// holding the previous block's last bytes (so a start code split across two
// blocks is still seen whole) and an 8-byte tail area behind. The buffer
// grows with the data read, so a short file costs no 512 KiB; bits are served
// from a look-ahead refilled byte by byte. The first block after a seek holds
// 4 KiB and each further one twice its predecessor: a probe that reads a
// header and seeks on reads no 512 KiB. A block may be put together from
// several runs that are not back to back in the file (packet payloads), so
// the file offset of every buffered byte is kept and positions stay exact.
class MpegBlockBuffer {
 public:
  static constexpr std::int64_t kBlockSize = 524288;
  static constexpr int kCarrySize = 8;

  virtual ~MpegBlockBuffer() = default;

  // File offset of the first byte not yet consumed (a partly consumed byte
  // counts as consumed).
  std::int64_t tell();

  // The next n bits (0 to 32), most significant first; bits past the end of
  // the data read as 0.
  std::uint32_t peekBits(int n) const {
    if (n <= 0) return 0;
    const std::uint64_t mask = (std::uint64_t{1} << n) - 1;
    if (lookAheadBits_ >= n) return static_cast<std::uint32_t>((lookAhead_ >> (lookAheadBits_ - n)) & mask);
    return static_cast<std::uint32_t>((lookAhead_ << (n - lookAheadBits_)) & mask);
  }
  std::uint32_t getBits(int n) {
    const std::uint32_t value = peekBits(n);
    consumeBits(n);
    return value;
  }
  // false when the data ended before n bits were consumed.
  bool consumeBits(int n) {
    if (n <= 0) return true;
    const bool enough = lookAheadBits_ >= n;
    lookAheadBits_ = enough ? lookAheadBits_ - n : 0;
    lookAhead_ &= (std::uint64_t{1} << lookAheadBits_) - 1;
    fillLookAhead();
    return enough;
  }

  // Bits held ahead; fewer than 32 only near the end of the data.
  int lookAheadBits() const { return lookAheadBits_; }

  // Drops a partly consumed byte and moves to the next 00 00 01; the next 32
  // bits are then the start code. false when the data ends first.
  bool nextStartCode();
  // Appends up to n bytes from the next whole byte on; returns the bytes
  // appended (the destination grows only by what the data holds).
  std::int64_t appendBytes(std::vector<std::uint8_t>& destination, std::int64_t n);
  // Gives the look-ahead's whole bytes back to the block and empties it.
  void pushBack();

 protected:
  MpegBlockBuffer();

  // Reads up to `capacity` bytes that lie back to back in the file and sets
  // *position to the file offset of the first one; 0 at the end of the data.
  virtual std::int64_t readRun(std::uint8_t* destination, std::int64_t capacity, std::int64_t* position) = 0;
  // File offset just past the data read so far.
  virtual std::int64_t sourceTell() = 0;

  // Forgets everything buffered and reads a block from where the source now
  // stands.
  void restart();
  // Moves to the first buffered byte at or after a file offset.
  void skipTo(std::int64_t position);
  // Keeps the last 8 bytes in the carry area and reads the next block; false
  // when no data came.
  bool loadNextBlock();
  // Fills the block with up to `limit` bytes from where the source stands.
  void readBlock(std::int64_t limit);
  // The size of the next block read: doubles with every read since the last
  // restart, up to kBlockSize.
  std::int64_t nextBlockSize() {
    const std::int64_t size = blockSize_;
    blockSize_ = std::min(kBlockSize, 2 * blockSize_);
    return size;
  }
  void emptyLookAhead() {
    lookAhead_ = 0;
    lookAheadBits_ = 0;
  }
  void fillLookAhead() {
    // Up to 64 bits are held so that any 32-bit request is served whole.
    while (lookAheadBits_ <= 56) {
      if (readPointer_ >= fill_ && !loadNextBlock()) return;
      lookAhead_ = (lookAhead_ << 8) | block()[readPointer_++];
      lookAheadBits_ += 8;
    }
  }
  std::int64_t positionOf(std::int64_t index);
  std::uint8_t* block() { return storage_.data() + kCarrySize; }
  std::int64_t blockRoom() const { return static_cast<std::int64_t>(storage_.size()) - 2 * kCarrySize; }
  // Makes room for at least `bytes` in the block (at most kBlockSize),
  // keeping what is held; new bytes are zero.
  void growBlock(std::int64_t bytes);

  struct Run {
    std::int64_t index;
    std::int64_t position;
  };

  static constexpr std::int64_t kFirstRoom = 4096;

  std::vector<std::uint8_t> storage_;  // carry area, block, tail area
  std::int64_t fill_ = 0;              // valid bytes in the block
  std::int64_t readPointer_ = 0;       // next byte for the look-ahead; negative inside the carry area
  std::uint64_t lookAhead_ = 0;
  int lookAheadBits_ = 0;
  std::vector<Run> runs_;  // where each run of the block starts, in the block and in the file
  std::int64_t carryPositions_[kCarrySize] = {};
  std::int64_t blockSize_ = kFirstRoom;
};

// The system stream's byte reader: reads a file in blocks of up to 512 KiB
// and finds start codes forward and backward.
class SYS_READER final : public MpegBlockBuffer {
 public:
  explicit SYS_READER(std::unique_ptr<FILE_SOURCE> source);

  // whence 0 from the start, 1 from tell(), 2 from the end; returns tell().
  std::int64_t seek(std::int64_t offset, int whence);
  // Moves back to the nearest start code that begins at least 2 bytes before
  // the current byte position; the next 32 bits are then the code. false at
  // the start of the file.
  bool prevStartCode();

 protected:
  std::int64_t readRun(std::uint8_t* destination, std::int64_t capacity, std::int64_t* position) override;
  std::int64_t sourceTell() override { return source_->tell(); }

 private:
  bool loadPreviousBlock();
  std::int64_t blockPosition() { return sourceTell() - fill_; }

  std::unique_ptr<FILE_SOURCE> source_;
};

// Null when the file cannot be read or is empty.
std::unique_ptr<SYS_READER> readerOpen(const char* path);

}  // namespace reelpack
