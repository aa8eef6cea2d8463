#include "converter/mpeg/mpeg_byte_reader.h"

#include <algorithm>
#include <cstring>

#include "converter/mpeg/mpeg_start_code.h"
#include "host/files/file_api.h"

namespace reelpack {

int FILE_SOURCE::close() {
  if (file_ != INVALID_HANDLE_VALUE && file_ != nullptr) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  return 1;
}

std::int64_t FILE_SOURCE::tell() {
  LONG high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = SetFilePointer(file_, 0, &high, FILE_CURRENT);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return 0;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

std::int64_t FILE_SOURCE::size() {
  DWORD high = 0;
  SetLastError(ERROR_SUCCESS);
  const DWORD low = GetFileSize(file_, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS) return 0;
  return (static_cast<std::int64_t>(high) << 32) | low;
}

std::int64_t FILE_SOURCE::moveTo(std::int64_t position) {
  LONG high = static_cast<LONG>(position >> 32);
  SetFilePointer(file_, static_cast<LONG>(static_cast<std::uint32_t>(position)), &high, FILE_BEGIN);
  return tell();
}

std::int64_t FILE_SOURCE::seek(std::int64_t offset, int whence) {
  std::int64_t base = 0;
  if (whence == 1) {
    base = tell();
  } else if (whence == 2) {
    base = size();
  } else if (whence != 0) {
    return 0;
  }
  return moveTo(std::max<std::int64_t>(0, base + offset));
}

std::int64_t FILE_SOURCE::read(std::uint8_t* destination, std::int64_t n) {
  std::int64_t done = 0;
  while (done < n) {
    const DWORD want = static_cast<DWORD>(std::min<std::int64_t>(n - done, 1 << 30));
    DWORD got = 0;
    if (!ReadFile(file_, destination + done, want, &got, nullptr) || got == 0) break;
    done += got;
  }
  return done;
}

std::unique_ptr<FILE_SOURCE> fileSourceOpen(const char* path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL, nullptr);
  auto source = std::make_unique<FILE_SOURCE>(file);
  source->seek(0, 0);
  return source;
}

MpegBlockBuffer::MpegBlockBuffer() : storage_(kCarrySize + kFirstRoom + kCarrySize, 0) {}

void MpegBlockBuffer::growBlock(std::int64_t bytes) {
  if (bytes <= blockRoom()) return;
  const std::int64_t room = std::min(kBlockSize, std::max(bytes, 2 * blockRoom()));
  storage_.resize(static_cast<std::size_t>(kCarrySize + room + kCarrySize), 0);
}

std::int64_t MpegBlockBuffer::positionOf(std::int64_t index) {
  if (index < 0) return carryPositions_[kCarrySize + index];
  if (index >= fill_) return sourceTell() + (index - fill_);
  const auto run =
      std::upper_bound(runs_.begin(), runs_.end(), index, [](std::int64_t i, const Run& r) { return i < r.index; }) - 1;
  return run->position + (index - run->index);
}

std::int64_t MpegBlockBuffer::tell() { return positionOf(readPointer_ - lookAheadBits_ / 8); }

void MpegBlockBuffer::readBlock(std::int64_t limit) {
  fill_ = 0;
  runs_.clear();
  while (fill_ < limit) {
    // The block grows only when the data fills what it has.
    if (fill_ == blockRoom()) growBlock(fill_ + 1);
    std::int64_t position = 0;
    const std::int64_t got = readRun(block() + fill_, std::min(limit, blockRoom()) - fill_, &position);
    if (got <= 0) break;
    // A read cut short by the room continues its run.
    const bool continues = !runs_.empty() && runs_.back().position + (fill_ - runs_.back().index) == position;
    if (!continues) runs_.push_back({fill_, position});
    fill_ += got;
  }
}

bool MpegBlockBuffer::loadNextBlock() {
  // The carry area and the block read as one sequence: keep its last 8 bytes.
  std::int64_t positions[kCarrySize];
  for (int k = 0; k < kCarrySize; ++k) positions[k] = positionOf(fill_ - kCarrySize + k);
  std::memmove(storage_.data(), block() + fill_ - kCarrySize, kCarrySize);
  std::copy(positions, positions + kCarrySize, carryPositions_);
  readPointer_ -= fill_;
  readBlock(nextBlockSize());
  return fill_ > 0;
}

void MpegBlockBuffer::restart() {
  std::fill(carryPositions_, carryPositions_ + kCarrySize, 0);
  readPointer_ = 0;
  emptyLookAhead();
  blockSize_ = kFirstRoom;
  readBlock(nextBlockSize());
  fillLookAhead();
}

void MpegBlockBuffer::skipTo(std::int64_t position) {
  std::int64_t index = fill_;
  for (std::size_t r = 0; r < runs_.size(); ++r) {
    const std::int64_t end = r + 1 < runs_.size() ? runs_[r + 1].index : fill_;
    if (position < runs_[r].position) {
      index = runs_[r].index;
      break;
    }
    if (position < runs_[r].position + (end - runs_[r].index)) {
      index = runs_[r].index + (position - runs_[r].position);
      break;
    }
  }
  readPointer_ = index;
  emptyLookAhead();
  fillLookAhead();
}

void MpegBlockBuffer::pushBack() {
  readPointer_ -= lookAheadBits_ / 8;
  emptyLookAhead();
}

bool MpegBlockBuffer::nextStartCode() {
  pushBack();
  for (;;) {
    const std::uint8_t* found = findStartCodeForward(block() + readPointer_, block() + fill_);
    if (found != nullptr) {
      readPointer_ = found - block();
      fillLookAhead();
      return lookAheadBits_ >= 32;
    }
    // The last two bytes may begin a start code that ends in the next block.
    readPointer_ = std::max(readPointer_, fill_ - 2);
    if (!loadNextBlock()) return false;
  }
}

std::int64_t MpegBlockBuffer::appendBytes(std::vector<std::uint8_t>& destination, std::int64_t n) {
  pushBack();
  std::int64_t copied = 0;
  while (copied < n) {
    if (readPointer_ >= fill_ && !loadNextBlock()) break;
    const std::int64_t chunk = std::min(n - copied, fill_ - readPointer_);
    const std::uint8_t* from = block() + readPointer_;
    destination.insert(destination.end(), from, from + chunk);
    readPointer_ += chunk;
    copied += chunk;
  }
  fillLookAhead();
  return copied;
}

SYS_READER::SYS_READER(std::unique_ptr<FILE_SOURCE> source) : source_(std::move(source)) { restart(); }

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
  const std::int64_t count = std::min(nextBlockSize(), start);
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

}  // namespace reelpack
