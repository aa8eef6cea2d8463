#include "converter/mpeg/mpeg_sys_reader.h"

#include <algorithm>
#include <cstring>

#include "converter/mpeg/mpeg_start_code.h"

SYS_READER::SYS_READER(std::unique_ptr<FILE_SOURCE> source) : source_(std::move(source)) {
  restart();
}

std::int64_t SYS_READER::readRun(std::uint8_t* destination, std::int64_t capacity, std::int64_t* position) {
  *position = source_->tell();
  return source_->read(destination, capacity);
}

std::int64_t SYS_READER::seek(std::int64_t offset, int whence) {
  if (whence == 1) offset += tell();
  if (whence == 0 || whence == 1) {
    // A target inside the buffered block needs no file access; backward
    // searches step from one start code to the one before this way.
    const std::int64_t start = blockPosition();
    if (offset >= start && offset < start + fill_) {
      readPointer_ = offset - start;
      emptyLookAhead();
      fillLookAhead();
      return tell();
    }
    source_->seek(offset, 0);
  } else {
    source_->seek(offset, whence);
  }
  restart();
  return tell();
}

bool SYS_READER::loadPreviousBlock() {
  const std::int64_t start = blockPosition();
  if (start <= 0) return false;
  // The first bytes of the current block go into the tail area so that a
  // start code across the two blocks is seen whole.
  std::uint8_t kept[kCarrySize] = {};
  std::memcpy(kept, block(), static_cast<std::size_t>(std::min<std::int64_t>(fill_, kCarrySize)));
  const std::int64_t count = std::min(kBlockSize, start);
  source_->seek(start - count, 0);
  readBlock(count);
  if (fill_ <= 0) return false;
  std::memcpy(block() + fill_, kept, kCarrySize);
  readPointer_ += fill_;
  return true;
}

bool SYS_READER::prevStartCode() {
  // The search starts as if the look-ahead held 32 bits: a code beginning up
  // to 2 bytes past the current byte position is still found.
  const std::int64_t held = lookAheadBits_ / 8;
  readPointer_ += std::min<std::int64_t>(held, 4) - held;
  emptyLookAhead();
  for (;;) {
    const std::uint8_t* found = findStartCodeBackward(block() + readPointer_, block());
    if (found != nullptr) {
      readPointer_ = found - block();
      fillLookAhead();
      return true;
    }
    readPointer_ = std::min<std::int64_t>(readPointer_, 2);
    if (!loadPreviousBlock()) return false;
  }
}

std::unique_ptr<SYS_READER> readerOpen(const char* path) {
  auto reader = std::make_unique<SYS_READER>(fileSourceOpen(path));
  if (reader->lookAheadBits() == 0) return nullptr;
  return reader;
}
